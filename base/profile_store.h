#pragma once
// The per-user profile store: integers and texts by section and entry name.
// Entry names compare without regard to case; integers and texts keep their
// kinds. The program keeps its settings in section "Version 1.0".

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

inline constexpr std::string_view kSettingsSection = "Version 1.0";

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The stored integer, or the default when the entry is absent (or holds a text).
  virtual int readInt(std::string_view section, std::string_view entry, int defaultValue) const = 0;
  // The stored text, or the default when the entry is absent (or holds an integer).
  virtual std::string readText(std::string_view section, std::string_view entry,
                               std::string_view defaultValue) const = 0;
  virtual void writeInt(std::string_view section, std::string_view entry, int value) = 0;
  virtual void writeText(std::string_view section, std::string_view entry, std::string_view value) = 0;
  // Makes every write so far durable; returns false when that failed.
  virtual bool flush() { return true; }
  // Where the entries are kept, as the operator would look for them.
  virtual std::string location() const { return {}; }
  // Why the stored entries could not be read when the store was opened, or
  // empty when they were read or nothing was stored yet.
  virtual std::string readProblem() const { return {}; }
  // Why the last flush failed, or empty when it succeeded.
  virtual std::string writeProblem() const { return {}; }
};

// Entry names folded for case-insensitive comparison (ASCII).
std::string foldEntryName(std::string_view name);

// A store held in memory, for tests and tools. It records every write in order.
class MemoryProfileStore final : public ProfileStore {
 public:
  struct Value {
    bool isInt = false;
    int number = 0;
    std::string text;
  };
  struct Write {
    std::string section;
    std::string entry;  // as the writer spelled it
    Value value;
  };

  int readInt(std::string_view section, std::string_view entry, int defaultValue) const override;
  std::string readText(std::string_view section, std::string_view entry,
                       std::string_view defaultValue) const override;
  void writeInt(std::string_view section, std::string_view entry, int value) override;
  void writeText(std::string_view section, std::string_view entry, std::string_view value) override;

  std::optional<Value> find(std::string_view section, std::string_view entry) const;
  std::size_t size() const { return values_.size(); }
  const std::vector<Write>& writes() const { return writes_; }
  void clearWriteLog() { writes_.clear(); }

 private:
  static std::string key(std::string_view section, std::string_view entry);
  std::map<std::string, Value> values_;
  std::vector<Write> writes_;
};

}  // namespace tervane

#pragma once
// The real profile store. On Linux and other platforms without a registry it
// is the file <config>/TervaneWare/TervaneAPRS.conf (XDG_CONFIG_HOME is
// honoured), written atomically so a crash during a save never leaves a
// half-written file; on Windows it is the per-user registry under
// Software\TervaneWare\TervaneAPRS. Entry names compare without regard to
// case; integers and texts keep their kinds.

#include <QSettings>
#include <map>
#include <memory>
#include <string>

#include "base/profile_store.h"

namespace tervane {

class QtProfileStore final : public ProfileStore {
 public:
  // The per-user store of the program.
  QtProfileStore();
  // A store in the given file (tests and tools).
  explicit QtProfileStore(const QString& filePath);

  int readInt(std::string_view section, std::string_view entry, int defaultValue) const override;
  std::string readText(std::string_view section, std::string_view entry,
                       std::string_view defaultValue) const override;
  void writeInt(std::string_view section, std::string_view entry, int value) override;
  void writeText(std::string_view section, std::string_view entry, std::string_view value) override;
  bool flush() override;
  std::string location() const override;
  std::string readProblem() const override { return readProblem_; }
  std::string writeProblem() const override { return writeProblem_; }

  QString fileName() const { return settings_->fileName(); }

 private:
  static QSettings::Format fileFormat();
  // Entry names compare without regard to case: every stored key is found
  // through its lower-case form, and a write keeps the spelling already stored.
  void indexKeys();
  // Called once the store is open: notes why an existing file could not be read.
  void checkReadable();
  void reopen();
  bool isFile() const;
  QString storedKey(std::string_view section, std::string_view entry) const;
  QString keyForWrite(std::string_view section, std::string_view entry);

  std::unique_ptr<QSettings> settings_;
  std::map<QString, QString> spelling_;
  std::string readProblem_;
  std::string writeProblem_;
};

}  // namespace tervane

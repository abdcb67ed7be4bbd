#include "base/profile_store.h"

#include <cctype>

namespace tervane {

std::string foldEntryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::string MemoryProfileStore::key(std::string_view section, std::string_view entry) {
  std::string k(section);
  k += '\n';
  k += foldEntryName(entry);
  return k;
}

std::optional<MemoryProfileStore::Value> MemoryProfileStore::find(std::string_view section,
                                                                  std::string_view entry) const {
  const auto it = values_.find(key(section, entry));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

int MemoryProfileStore::readInt(std::string_view section, std::string_view entry, int defaultValue) const {
  const auto value = find(section, entry);
  return value && value->isInt ? value->number : defaultValue;
}

std::string MemoryProfileStore::readText(std::string_view section, std::string_view entry,
                                         std::string_view defaultValue) const {
  const auto value = find(section, entry);
  return value && !value->isInt ? value->text : std::string(defaultValue);
}

void MemoryProfileStore::writeInt(std::string_view section, std::string_view entry, int value) {
  Value v;
  v.isInt = true;
  v.number = value;
  values_[key(section, entry)] = v;
  writes_.push_back({std::string(section), std::string(entry), v});
}

void MemoryProfileStore::writeText(std::string_view section, std::string_view entry, std::string_view value) {
  Value v;
  v.text = std::string(value);
  values_[key(section, entry)] = v;
  writes_.push_back({std::string(section), std::string(entry), v});
}

}  // namespace tervane

#pragma once
// The settings file's text form on platforms without a registry: sections in
// brackets, one entry per line, integers bare and texts quoted, so that both
// keep their kinds. Reading never fails: lines that cannot be read are
// skipped, so a damaged file yields what can still be read.
//
//   [Version 1.0]
//   callsign="N0CALL"
//   tncType=3

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tervane {

struct ProfileEntry {
  std::string section;
  std::string name;
  std::variant<int, std::string> value;
};

std::vector<ProfileEntry> parseProfileText(std::string_view text);
std::string formatProfileText(const std::vector<ProfileEntry>& entries);

}  // namespace tervane

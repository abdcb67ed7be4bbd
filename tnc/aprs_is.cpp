#include "tnc/aprs_is.h"

#include <algorithm>

#include "base/text_format.h"

namespace tervane {
namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool containsWord(std::string_view text, std::string_view word) {
  const auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                              [](char a, char b) { return upper(a) == upper(b); });
  return it != text.end();
}

}  // namespace

int aprsIsPasscode(std::string_view callsign) {
  callsign = callsign.substr(0, callsign.find('-'));
  unsigned hash = 0x73e2;
  for (std::size_t i = 0; i < callsign.size(); i += 2) {
    hash ^= static_cast<unsigned>(static_cast<unsigned char>(upper(callsign[i]))) << 8;
    if (i + 1 < callsign.size()) hash ^= static_cast<unsigned char>(upper(callsign[i + 1]));
  }
  return static_cast<int>(hash & 0x7fff);
}

std::string aprsIsLoginLine(std::string_view callsign, int passcode, std::string_view version,
                            std::string_view filter) {
  std::string line = "user ";
  for (char c : callsign) line += upper(c);
  line += textf(" pass %d vers TervaneAPRS ", passcode);
  line.append(version);
  if (!filter.empty()) {
    line += " filter ";
    line.append(filter);
  }
  line += "\r\n";
  return line;
}

std::string defaultAprsIsFilter(double latitudeDeg, double longitudeDeg) {
  return textf("r/%.2f/%.2f/100", latitudeDeg, longitudeDeg);
}

std::optional<LoginAnswer> readLoginAnswer(std::string_view line) {
  if (line.empty() || line.front() != '#') return std::nullopt;
  if (containsWord(line, "logresp")) {
    LoginAnswer answer;
    answer.verified = containsWord(line, " verified") && !containsWord(line, "unverified");
    return answer;
  }
  // Servers explain a login they turn down before they hang up.
  if (containsWord(line, "invalid login") || containsWord(line, "login not allowed") ||
      containsWord(line, "not allowed to login")) {
    return LoginAnswer{false, true};
  }
  return std::nullopt;
}

}  // namespace tervane

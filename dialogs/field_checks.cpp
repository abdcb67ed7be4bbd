#include "dialogs/field_checks.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/fixed_text.h"
#include "base/text_format.h"
#include "tnc/ax25.h"

namespace tervane {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A number typed in full within [low, high), or [low, high] when highIncluded;
// the rule says so in words, whatever is wrong with the text.
Refusal checkRange(std::string_view text, double low, double high, bool highIncluded, const char* rule) {
  const std::optional<double> v = wholeNumber(text);
  if (v && *v >= low && (*v < high || (highIncluded && *v == high))) return std::nullopt;
  return std::string(rule);
}

}  // namespace

std::optional<double> wholeNumber(std::string_view text) {
  std::string_view t = trimmed(text);
  if (t.size() > 1 && t.front() == '+' && t[1] != '-') t.remove_prefix(1);
  if (t.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
  if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

Refusal checkLatitude(std::string_view text) {
  return checkRange(text, -90, 90, true, "The latitude is a number of degrees\nfrom -90 (south) to 90 (north).");
}

Refusal checkLongitude(std::string_view text) {
  return checkRange(text, -180, 180, true, "The longitude is a number of degrees\nfrom -180 (west) to 180 (east).");
}

// The encoder's digits: power sqrt(W), height log2(ft / 10) from 20 feet up,
// gain in dB, each truncated; 10 would be the first digit beyond them.
Refusal checkPhgPower(std::string_view text) {
  return checkRange(text, 0, 100, false, "PHG tells a power of 0, 1, 4, 9 ... 81 watts:\ntype 0 to 99 watts.");
}

Refusal checkPhgHeight(std::string_view text) {
  return checkRange(text, 0, 10240, false, "PHG tells a height of 10, 20, 40 ... 5120 feet:\ntype 0 to 10239 feet.");
}

Refusal checkPhgGain(std::string_view text) {
  return checkRange(text, 0, 10, false, "PHG tells a gain of 0 to 9 dB: type 0 to 9 dB.");
}

Refusal checkPhgDirection(std::string_view text) {
  return checkRange(text, 0, 360, true, "PHG tells a direction of 45, 90 ... 360 degrees:\ntype 0 (omni) to 360.");
}

Refusal checkCallsign(std::string_view text) {
  if (text.empty() || parseAx25Address(text)) return std::nullopt;
  return std::string("A callsign is 1 to 6 letters and digits,\noptionally with an SSID from -0 to -15 (N0CALL-15).");
}

Refusal checkUnprotoDestination(std::string_view text) {
  if (parseAx25Address(text)) return std::nullopt;
  return std::string("The destination is 1 to 6 letters and digits\nwith an optional -SSID 0 to 15 (APRS).");
}

Refusal checkUnprotoPath(std::string_view text) {
  if (parseAx25Path(text)) return std::nullopt;
  return textf("AX.25 carries up to %zu digipeaters between commas, each\n"
               "1 to 6 letters and digits with -SSID 0 to 15 (WIDE1-1,WIDE2-1).",
               kAx25MaxDigipeaters);
}

Refusal checkAprsIsFilter(std::string_view text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b > 0x7e) {
      return std::string("An APRS-IS filter is plain ASCII (letters, digits,\n/ and the like): the server reads nothing else.");
    }
  }
  return std::nullopt;
}

Refusal checkTcpPort(std::string_view text) {
  const std::optional<double> v = wholeNumber(text);
  if (!v || *v != std::trunc(*v) || *v < 1 || *v > 65535) return std::string("A port is a whole number from 1 to 65535.");
  return std::nullopt;
}

Refusal checkBeaconMinutes(std::string_view text) {
  const std::optional<double> v = wholeNumber(text);
  if (!v) return std::string("Type the minutes between beacons as a number\n(0: no beacon from the PC).");
  if (*v < 0) return std::string("The minutes between beacons cannot be negative\n(0: no beacon from the PC).");
  // The interval is stored as "%f" text in a field of 31 characters.
  if (textf("%f", *v).size() > FixedText<32>::kMaxLength) return std::string("That interval is too long to keep:\ntype fewer minutes.");
  return std::nullopt;
}

Refusal checkPassMinutes(std::string_view text) {
  if (trimmed(text).empty()) return std::nullopt;
  const std::optional<double> v = wholeNumber(text);
  if (!v) return std::string("Type the minutes as a number\n(2.5 for two and a half).");
  if (*v < 0) return std::string("The minutes cannot be negative.");
  constexpr int kMostMinutes = std::numeric_limits<int>::max() / 6;  // kept in tens of seconds
  if (*v >= kMostMinutes) return textf("That is more minutes than can be kept:\ntype fewer than %d.", kMostMinutes);
  return std::nullopt;
}

}  // namespace tervane

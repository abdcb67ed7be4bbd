#include "tracker/elements.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace tervane {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Skips leading white space and an optional sign; returns -1 or +1.
int takeSign(std::string_view& text) {
  std::size_t at = 0;
  while (at < text.size() && isBlank(text[at])) ++at;
  int sign = 1;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    if (text[at] == '-') sign = -1;
    ++at;
  }
  text.remove_prefix(at);
  return sign;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A field holds a number when, blanks around it aside, it is a sign, digits
// with at most one decimal point (a decimal field only), and nothing else.
bool holdsNumber(std::string_view line, Column column, bool decimal) {
  const std::string_view field = fieldText(line, column);
  if (field.size() != static_cast<std::size_t>(column.last - column.first + 1)) return false;
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const std::string_view text = field.substr(first, field.find_last_not_of(' ') - first + 1);
  std::size_t at = text.front() == '+' || text.front() == '-' ? 1 : 0;
  bool digits = false;
  bool point = false;
  for (; at < text.size(); ++at) {
    if (isDigit(text[at])) {
      digits = true;
    } else if (text[at] == '.' && decimal && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

}  // namespace

std::string_view fieldText(std::string_view line, Column column) {
  const auto first = static_cast<std::size_t>(column.first - 1);
  const auto length = static_cast<std::size_t>(column.last - column.first + 1);
  if (first >= line.size()) return {};
  std::string_view field = line.substr(first, length);
  return field.substr(0, field.find('\0'));
}

double readDecimal(std::string_view text) {
  const int sign = takeSign(text);
  // from_chars would take a second minus sign as the number's own.
  if (text.empty() || isBlank(text.front()) || text.front() == '-') return 0.0;
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    // Too large gives infinity, too small gives zero, as strtod does.
    const std::string_view token(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
    const std::size_t mark = token.find_first_of("eE");
    const bool tiny = mark != std::string_view::npos && mark + 1 < token.size() && token[mark + 1] == '-';
    return tiny ? 0.0 : sign * HUGE_VAL;
  }
  return sign * value;
}

long readInteger(std::string_view text) {
  const int sign = takeSign(text);
  // As above: a minus sign after the sign makes no number.
  if (!text.empty() && text.front() == '-') return 0;
  long value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc()) return 0;
  return sign * value;
}

std::int32_t catalogNumberOf(std::string_view line1) {
  return static_cast<std::int32_t>(readInteger(fieldText(line1, line1_columns::kCatalogNumber)));
}

Elements parseElements(std::string_view line1, std::string_view line2) {
  using namespace line1_columns;
  using namespace line2_columns;
  Elements e;
  e.epoch = readDecimal(fieldText(line1, kEpoch));
  e.meanMotionDot2 = readDecimal(fieldText(line1, kMeanMotionDot2));
  const long mantissa = readInteger(fieldText(line1, kMeanMotionDdot6Mantissa));
  const long exponent = readInteger(fieldText(line1, kMeanMotionDdot6Exponent));
  e.meanMotionDdot6 = static_cast<double>(mantissa) * std::pow(10.0, static_cast<double>(exponent - 5));

  e.inclination = readDecimal(fieldText(line2, kInclination));
  e.raan = readDecimal(fieldText(line2, kRaan));
  std::string eccentricity = ".";
  eccentricity += fieldText(line2, kEccentricity);
  e.eccentricity = readDecimal(eccentricity);
  e.argPerigee = readDecimal(fieldText(line2, kArgPerigee));
  e.meanAnomaly = readDecimal(fieldText(line2, kMeanAnomaly));
  e.meanMotion = readDecimal(fieldText(line2, kMeanMotion));
  return e;
}

bool elementLinesReadable(std::string_view line1, std::string_view line2) {
  using namespace line1_columns;
  using namespace line2_columns;
  const bool numbers = holdsNumber(line1, kEpoch, true) && holdsNumber(line1, kMeanMotionDot2, true) &&
                       holdsNumber(line1, kMeanMotionDdot6Mantissa, false) &&
                       holdsNumber(line1, kMeanMotionDdot6Exponent, false) && holdsNumber(line2, kInclination, true) &&
                       holdsNumber(line2, kRaan, true) && holdsNumber(line2, kArgPerigee, true) &&
                       holdsNumber(line2, kMeanAnomaly, true) && holdsNumber(line2, kMeanMotion, true);
  if (!numbers) return false;
  const std::string_view eccentricity = fieldText(line2, kEccentricity);
  if (eccentricity.size() != 7 || !std::all_of(eccentricity.begin(), eccentricity.end(), isDigit)) return false;
  return parseElements(line1, line2).meanMotion > 0.0;
}

}  // namespace tervane

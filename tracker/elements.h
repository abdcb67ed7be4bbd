#pragma once
// The numeric element set read from the two lines of a NORAD element set, in
// the file's own units, and the fixed columns it is read from. Nothing is
// validated: a malformed field reads as its numeric prefix, or 0.

#include <cstdint>
#include <string_view>

namespace tervane {

// A field of a fixed-column line, columns counted from 1, both ends included.
struct Column {
  int first;
  int last;
};

namespace line1_columns {
inline constexpr Column kCatalogNumber{3, 7};
inline constexpr Column kEpoch{19, 32};
inline constexpr Column kMeanMotionDot2{34, 43};
// Second derivative: sign and five mantissa digits (decimal point assumed
// before them), then a signed power-of-ten exponent.
inline constexpr Column kMeanMotionDdot6Mantissa{45, 50};
inline constexpr Column kMeanMotionDdot6Exponent{51, 52};
}  // namespace line1_columns

namespace line2_columns {
inline constexpr Column kInclination{9, 16};
inline constexpr Column kRaan{18, 25};
// Seven digits with the decimal point assumed before them; the blank column
// in front of them takes the point.
inline constexpr Column kEccentricity{27, 33};
inline constexpr Column kArgPerigee{35, 42};
inline constexpr Column kMeanAnomaly{44, 51};
inline constexpr Column kMeanMotion{53, 63};
}  // namespace line2_columns

struct Elements {
  double epoch = 0.0;            // two-digit year × 1000 + day of year with fraction (day 1.0 = 1 January 0h UTC)
  double meanMotionDot2 = 0.0;   // first derivative of mean motion / 2, rev/day²
  double meanMotionDdot6 = 0.0;  // second derivative of mean motion / 6, rev/day³
  double inclination = 0.0;      // degrees
  double raan = 0.0;             // right ascension of the ascending node, degrees
  double eccentricity = 0.0;
  double argPerigee = 0.0;       // degrees
  double meanAnomaly = 0.0;      // degrees
  double meanMotion = 0.0;       // rev/day
};

Elements parseElements(std::string_view line1, std::string_view line2);

// True when every field the orbit model reads is there in full and holds a
// number (blanks around it allowed), and the mean motion is positive. Lines
// cut short, or with text where numbers belong, give no usable orbit.
bool elementLinesReadable(std::string_view line1, std::string_view line2);

// The catalog number in columns 3-7 of the first line.
std::int32_t catalogNumberOf(std::string_view line1);

// The text of a field; columns past the end of the line read as empty.
std::string_view fieldText(std::string_view line, Column column);

// Number conversions that behave like strtod and strtol in the C locale
// (leading white space skipped, reading stops at the first character that
// cannot continue the number, no number gives 0), whatever locale the
// program runs in.
double readDecimal(std::string_view text);
long readInteger(std::string_view text);

}  // namespace tervane

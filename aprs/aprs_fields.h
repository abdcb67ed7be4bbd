#pragma once
// Readers for the fixed-shape fields of an APRS information field: time
// stamps, plain positions with their symbol (blanks for hidden digits
// included), the course/speed and range extensions and the "/A=" altitude
// of a comment. Each reader is handed the text where its field should start
// and says whether the field is there; none of them keeps anything.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace tervane {

// Where a report puts a station, with what it says about its motion.
struct ReportPosition {
  double latitudeDeg = 0.0;   // north positive
  double longitudeDeg = 0.0;  // east positive
  char northSouth = '\0';     // hemisphere letters to show with the position
  char eastWest = '\0';
  char symbolTable = '\0';
  char symbolCode = '\0';
  int ambiguity = 0;  // trailing digits left blank, 0..4
  double courseDeg = std::numeric_limits<double>::quiet_NaN();
  double speedKnots = std::numeric_limits<double>::quiet_NaN();
  double altitudeFeet = std::numeric_limits<double>::quiet_NaN();
  double rangeMiles = std::numeric_limits<double>::quiet_NaN();
};

enum class StampKind : std::uint8_t { None, ZuluDayHourMinute, LocalDayHourMinute, HourMinuteSecond };

struct TimeStamp {
  StampKind kind = StampKind::None;
  int day = 0;  // day of the month for the day-hour-minute forms
  int hour = 0;
  int minute = 0;
  int second = 0;  // hour-minute-second form only
};

constexpr std::size_t kTimeStampLength = 7;
constexpr std::size_t kPlainPositionLength = 19;  // DDMM.hhN/DDDMM.hhW$
constexpr std::size_t kDataExtensionLength = 7;
constexpr double kFeetPerMetre = 3.280839895013123;

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// DDHHMMz (zulu), DDHHMM/ (local) or HHMMSSh (zulu), with the fields in
// their ranges.
bool readTimeStamp(std::string_view text, TimeStamp& stamp);

// Six digits and a time letter, whether or not the fields are in range.
bool hasTimeStampShape(std::string_view text);

// "DDMM.hhN" symbol table "DDDMM.hhW" symbol code. Blanks may replace the
// trailing digits of the latitude (hundredths first, then tenths of minutes,
// minutes, tens of minutes); the longitude takes the same ambiguity whether
// or not it shows the blanks, and may not show more of them. An ambiguous
// position is placed in the middle of the area it leaves open.
bool readPlainPosition(std::string_view text, ReportPosition& position);

// 'N', 'S', 'E' or 'W' for the letter or its small form; '\0' for any other.
char hemisphereLetter(char c);

// Degrees from whole degrees and hundredths of a minute, of which the
// `ambiguity` lowest digits are hidden (1: hundredths, 2: all of the
// decimals, 3: also the minutes, 4: also the tens of minutes): the middle
// of the area the hidden digits leave open.
double ambiguousDegrees(int wholeDegrees, int hundredthsOfMinute, int ambiguity);

// A symbol table identifier of a plain position: primary '/', alternate
// '\', or an overlay character (digit or capital letter).
bool isPlainSymbolTable(char c);

// The data extension after a symbol code: "ddd/sss" course and speed (not
// for a weather station, whose extension is the wind) or "RNGrrrr" radio
// range. Anything else leaves the position unchanged.
void readDataExtension(std::string_view text, ReportPosition& position);

// The first "/A=" altitude in a comment: six digits, or '-' and five, in
// feet. NaN when there is none.
double commentAltitudeFeet(std::string_view comment);

// The precision extension "!DAO!" anywhere in a comment: datum letter D,
// then one more digit of latitude and of longitude minutes (thousandths,
// when D is a capital) or a base-91 fraction of a hundredth of a minute
// (when D is small). Moves the position away from the equator and the
// prime meridian by that much; a blank adds nothing.
void applyPrecisionExtension(std::string_view comment, ReportPosition& position);

// Base-91 digits ('!' .. '{', worth 0 .. 90) as one number; false when a
// character is outside the digit range.
bool readBase91(std::string_view digits, long& value);

}  // namespace tervane

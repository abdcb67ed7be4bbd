#include "aprs/compressed_position.h"

#include <cmath>

namespace tervane {

namespace {

constexpr double kLatitudeUnitsPerDegree = 380926.0;   // 91^4 / 180, rounded
constexpr double kLongitudeUnitsPerDegree = 190463.0;  // 91^4 / 360, rounded
constexpr int kCourseSpeedMax = 89;                    // c of '!'..'z' is course/speed
constexpr int kRangeMark = 90;                         // c of '{' is a radio range
constexpr int kNmeaSourceShift = 3;
constexpr int kNmeaSourceMask = 3;
constexpr int kNmeaSourceGga = 2;  // a GGA fix carries an altitude in cs

}  // namespace

bool isCompressedSymbolTable(char c) {
  return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'j');
}

bool readCompressedPosition(std::string_view text, ReportPosition& position) {
  if (text.size() < kCompressedPositionLength || !isCompressedSymbolTable(text[0])) return false;
  long y = 0;
  long x = 0;
  if (!readBase91(text.substr(1, 4), y) || !readBase91(text.substr(5, 4), x)) return false;
  const char code = text[9];
  if (code < '!' || code > '~') return false;
  const double latitude = 90.0 - static_cast<double>(y) / kLatitudeUnitsPerDegree;
  const double longitude = -180.0 + static_cast<double>(x) / kLongitudeUnitsPerDegree;
  if (latitude < -90.0 || longitude > 180.0) return false;

  position = ReportPosition{};
  position.latitudeDeg = latitude;
  position.longitudeDeg = longitude;
  position.northSouth = latitude > 0.0 ? 'N' : 'S';
  position.eastWest = longitude > 0.0 ? 'E' : 'W';
  position.symbolTable = text[0] >= 'a' && text[0] <= 'j' ? static_cast<char>('0' + (text[0] - 'a')) : text[0];
  position.symbolCode = code;

  // A blank c leaves cs and T without meaning.
  long c = 0;
  long s = 0;
  long type = 0;
  if (text[10] == ' ' || !readBase91(text.substr(10, 1), c) || !readBase91(text.substr(11, 1), s) ||
      !readBase91(text.substr(12, 1), type)) {
    return true;
  }
  if (((type >> kNmeaSourceShift) & kNmeaSourceMask) == kNmeaSourceGga) {
    position.altitudeFeet = std::pow(1.002, static_cast<double>(c * 91 + s));
  } else if (c <= kCourseSpeedMax) {
    position.courseDeg = static_cast<double>(c * 4);
    position.speedKnots = std::pow(1.08, static_cast<double>(s)) - 1.0;
  } else if (c == kRangeMark) {
    position.rangeMiles = 2.0 * std::pow(1.08, static_cast<double>(s));
  }
  return true;
}

}  // namespace tervane

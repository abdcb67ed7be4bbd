#include "aprs/aprs_fields.h"

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

constexpr int kHundredthsPerDegree = 6000;  // 60 minutes of 100 hundredths
// Blanks in DDMM.hh replace, in turn: hundredths, tenths of a minute,
// minutes, tens of minutes. The middle of the area each level leaves open,
// and the digits it hides, in hundredths of a minute.
constexpr int kAmbiguityCentre[5] = {0, 5, 50, 500, 3000};
constexpr int kAmbiguityUnit[5] = {1, 10, 100, 1000, 6000};
constexpr int kMaxAmbiguity = 4;

int twoDigits(std::string_view text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// One coordinate of a plain position: whole degrees, then MM.hh with
// blanks allowed in place of trailing digits.
struct Coordinate {
  int degrees = 0;
  int hundredths = 0;  // minutes x 100, hidden digits as 0
  int blanks = 0;
};

// `text` holds degreeDigits digits, then "MM.hh", then the hemisphere letter.
bool readCoordinate(std::string_view text, std::size_t degreeDigits, Coordinate& out) {
  for (std::size_t i = 0; i < degreeDigits; ++i) {
    if (!isDigit(text[i])) return false;
    out.degrees = out.degrees * 10 + (text[i] - '0');
  }
  const std::size_t m = degreeDigits;
  if (text[m + 2] != '.') return false;
  // Minute digits from the most hidden to the least.
  const std::size_t hideOrder[kMaxAmbiguity] = {m + 4, m + 3, m + 1, m};
  int blanks = 0;
  while (blanks < kMaxAmbiguity && text[hideOrder[blanks]] == ' ') ++blanks;
  for (int i = blanks; i < kMaxAmbiguity; ++i) {
    if (!isDigit(text[hideOrder[i]])) return false;
  }
  const auto digit = [&](std::size_t at) { return text[at] == ' ' ? 0 : text[at] - '0'; };
  out.hundredths = digit(m) * 1000 + digit(m + 1) * 100 + digit(m + 3) * 10 + digit(m + 4);
  out.blanks = blanks;
  return out.hundredths < kHundredthsPerDegree;
}

double coordinateDegrees(const Coordinate& c, int ambiguity, double limitDeg) {
  return std::min(limitDeg, ambiguousDegrees(c.degrees, c.hundredths, ambiguity));
}

// Three digits, or three dots or blanks for "unknown"; -1 when neither.
int threeDigits(std::string_view text, bool* known) {
  if (isDigit(text[0]) && isDigit(text[1]) && isDigit(text[2])) {
    *known = true;
    return (text[0] - '0') * 100 + twoDigits(text, 1);
  }
  *known = false;
  const bool unknown = (text[0] == '.' || text[0] == ' ') && text[1] == text[0] && text[2] == text[0];
  return unknown ? 0 : -1;
}

}  // namespace

double ambiguousDegrees(int wholeDegrees, int hundredthsOfMinute, int ambiguity) {
  if (ambiguity <= 0) return wholeDegrees + static_cast<double>(hundredthsOfMinute) / kHundredthsPerDegree;
  ambiguity = std::min(ambiguity, kMaxAmbiguity);
  const int unit = kAmbiguityUnit[ambiguity];
  const int shown = hundredthsOfMinute / unit * unit + kAmbiguityCentre[ambiguity];
  return wholeDegrees + static_cast<double>(shown) / kHundredthsPerDegree;
}

bool hasTimeStampShape(std::string_view text) {
  if (text.size() < kTimeStampLength) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    if (!isDigit(text[i])) return false;
  }
  return text[6] == 'z' || text[6] == '/' || text[6] == 'h';
}

bool readTimeStamp(std::string_view text, TimeStamp& stamp) {
  if (!hasTimeStampShape(text)) return false;
  const int a = twoDigits(text, 0);
  const int b = twoDigits(text, 2);
  const int c = twoDigits(text, 4);
  switch (text[6]) {
    case 'z':
    case '/':
      if (a > 31 || b > 23 || c > 59) return false;
      stamp = TimeStamp{text[6] == 'z' ? StampKind::ZuluDayHourMinute : StampKind::LocalDayHourMinute, a, b, c, 0};
      return true;
    case 'h':
      if (a > 23 || b > 59 || c > 59) return false;
      stamp = TimeStamp{StampKind::HourMinuteSecond, 0, a, b, c};
      return true;
    default:
      return false;
  }
}

char hemisphereLetter(char c) {
  switch (c) {
    case 'N':
    case 'n':
      return 'N';
    case 'S':
    case 's':
      return 'S';
    case 'E':
    case 'e':
      return 'E';
    case 'W':
    case 'w':
      return 'W';
    default:
      return '\0';
  }
}

bool isPlainSymbolTable(char c) { return c == '/' || c == '\\' || isDigit(c) || (c >= 'A' && c <= 'Z'); }

bool readPlainPosition(std::string_view text, ReportPosition& position) {
  if (text.size() < kPlainPositionLength) return false;
  // The letters are capitals; small ones say the same thing.
  const char northSouth = hemisphereLetter(text[7]);
  const char table = text[8];
  const char eastWest = hemisphereLetter(text[17]);
  const char code = text[18];
  if ((northSouth != 'N' && northSouth != 'S') || (eastWest != 'E' && eastWest != 'W')) return false;
  if (!isPlainSymbolTable(table) || code < '!' || code > '~') return false;
  Coordinate latitude;
  Coordinate longitude;
  if (!readCoordinate(text.substr(0, 8), 2, latitude) || !readCoordinate(text.substr(9, 9), 3, longitude)) {
    return false;
  }
  if (latitude.degrees * kHundredthsPerDegree + latitude.hundredths > 90 * kHundredthsPerDegree ||
      longitude.degrees * kHundredthsPerDegree + longitude.hundredths > 180 * kHundredthsPerDegree) {
    return false;
  }
  // The latitude sets the ambiguity; a longitude that hides more digits
  // than it contradicts it.
  if (longitude.blanks > latitude.blanks) return false;
  const int ambiguity = latitude.blanks;
  const double latitudeDeg = coordinateDegrees(latitude, ambiguity, 90.0);
  const double longitudeDeg = coordinateDegrees(longitude, ambiguity, 180.0);

  position = ReportPosition{};
  position.latitudeDeg = northSouth == 'N' ? latitudeDeg : -latitudeDeg;
  position.longitudeDeg = eastWest == 'E' ? longitudeDeg : -longitudeDeg;
  position.northSouth = northSouth;
  position.eastWest = eastWest;
  position.symbolTable = table;
  position.symbolCode = code;
  position.ambiguity = ambiguity;
  return true;
}

void readDataExtension(std::string_view text, ReportPosition& position) {
  if (text.size() < kDataExtensionLength) return;
  if (text[3] == '/') {
    if (position.symbolCode == '_') return;  // a weather station's wind
    bool courseKnown = false;
    bool speedKnown = false;
    const int course = threeDigits(text, &courseKnown);
    const int speed = threeDigits(text.substr(4), &speedKnown);
    if (course < 0 || speed < 0 || course > 360) return;
    // A course of 0 says the course is not known; 360 is due north.
    if (courseKnown && course > 0) position.courseDeg = course;
    if (speedKnown) position.speedKnots = speed;
    return;
  }
  if (text.starts_with("RNG") && isDigit(text[3]) && isDigit(text[4]) && isDigit(text[5]) && isDigit(text[6])) {
    position.rangeMiles = (text[3] - '0') * 1000 + (text[4] - '0') * 100 + twoDigits(text, 5);
  }
}

void applyPrecisionExtension(std::string_view comment, ReportPosition& position) {
  constexpr std::size_t kLength = 5;  // !DAO!
  for (std::size_t at = comment.find('!'); at != std::string_view::npos && at + kLength <= comment.size();
       at = comment.find('!', at + 1)) {
    if (comment[at + 4] != '!') continue;
    const char datum = comment[at + 1];
    const char a = comment[at + 2];
    const char o = comment[at + 3];
    double latitudeMinutes = 0.0;
    double longitudeMinutes = 0.0;
    if (datum >= 'A' && datum <= 'Z') {
      if ((a != ' ' && !isDigit(a)) || (o != ' ' && !isDigit(o))) continue;
      latitudeMinutes = a == ' ' ? 0.0 : (a - '0') * 0.001;
      longitudeMinutes = o == ' ' ? 0.0 : (o - '0') * 0.001;
    } else if (datum >= 'a' && datum <= 'z') {
      long va = 0;
      long vo = 0;
      if ((a != ' ' && !readBase91(comment.substr(at + 2, 1), va)) ||
          (o != ' ' && !readBase91(comment.substr(at + 3, 1), vo))) {
        continue;
      }
      latitudeMinutes = static_cast<double>(va) / 91.0 * 0.01;
      longitudeMinutes = static_cast<double>(vo) / 91.0 * 0.01;
    } else {
      continue;
    }
    const double north = position.northSouth == 'N' ? 1.0 : -1.0;
    const double east = position.eastWest == 'E' ? 1.0 : -1.0;
    position.latitudeDeg = std::clamp(position.latitudeDeg + north * latitudeMinutes / 60.0, -90.0, 90.0);
    position.longitudeDeg = std::clamp(position.longitudeDeg + east * longitudeMinutes / 60.0, -180.0, 180.0);
    return;
  }
}

double commentAltitudeFeet(std::string_view comment) {
  constexpr std::string_view kMark = "/A=";
  constexpr std::size_t kDigits = 6;
  for (std::size_t at = comment.find(kMark); at != std::string_view::npos; at = comment.find(kMark, at + 1)) {
    const std::string_view field = comment.substr(at + kMark.size(), kDigits);
    if (field.size() < kDigits) break;
    const bool negative = field[0] == '-';
    long feet = 0;
    bool digits = true;
    for (std::size_t i = negative ? 1 : 0; i < kDigits; ++i) {
      if (!isDigit(field[i])) {
        digits = false;
        break;
      }
      feet = feet * 10 + (field[i] - '0');
    }
    if (digits) return static_cast<double>(negative ? -feet : feet);
  }
  return std::numeric_limits<double>::quiet_NaN();
}

bool readBase91(std::string_view digits, long& value) {
  long v = 0;
  for (char c : digits) {
    if (c < '!' || c > '{') return false;
    v = v * 91 + (c - '!');
  }
  value = v;
  return true;
}

}  // namespace tervane

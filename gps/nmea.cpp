#include "gps/nmea.h"

#include <charconv>
#include <cmath>

namespace tervane {
namespace {

constexpr double kMinutesToDegrees = 1.6666666666666667;
constexpr std::size_t kMaxFields = 10;

enum GgaField : std::size_t {
  kAddress = 0,
  kTime = 1,
  kLatitude = 2,
  kLatitudeLetter = 3,
  kLongitude = 4,
  kLongitudeLetter = 5,
  kFixQuality = 6,
};

enum RmcField : std::size_t {
  kRmcTime = 1,
  kRmcStatus = 2,
  kRmcDate = 9,
};

using Fields = std::array<std::string_view, kMaxFields>;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int twoDigits(std::string_view text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// hhmmss, optionally followed by a point and decimals.
bool readTime(std::string_view field, int& hour, int& minute, int& second) {
  if (field.size() < 6) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    if (!isDigit(field[i])) return false;
  }
  const std::string_view rest = field.substr(6);
  if (!rest.empty()) {
    if (rest[0] != '.') return false;
    for (char c : rest.substr(1)) {
      if (!isDigit(c)) return false;
    }
  }
  hour = twoDigits(field, 0);
  minute = twoDigits(field, 2);
  second = twoDigits(field, 4);
  return hour <= 23 && minute <= 59 && second <= 59;
}

// ddmm.mmmm or dddmm.mmmm: unsigned degrees, nothing when malformed.
std::optional<double> readCoordinate(std::string_view field, double maxDegrees) {
  const std::size_t point = field.find('.');
  const std::string_view whole = field.substr(0, point);
  if (whole.empty() || whole.size() > 5) return std::nullopt;
  int wholeValue = 0;
  for (char c : whole) {
    if (!isDigit(c)) return std::nullopt;
    wholeValue = wholeValue * 10 + (c - '0');
  }
  if (point != std::string_view::npos) {
    for (char c : field.substr(point + 1)) {
      if (!isDigit(c)) return std::nullopt;
    }
  }
  if (wholeValue % 100 >= 60) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  const double v = value * 0.01;
  const double wholeDegrees = std::trunc(v);
  const double degrees = wholeDegrees + (v - wholeDegrees) * kMinutesToDegrees;
  if (degrees > maxDegrees) return std::nullopt;
  return degrees;
}

// The comma-separated fields of a sentence, address first; 0 when it does not
// start with '$' or its "*hh" checksum is present but wrong.
std::size_t splitSentence(std::string_view sentence, Fields& fields) {
  while (!sentence.empty() && (sentence.back() == '\r' || sentence.back() == '\n')) sentence.remove_suffix(1);
  if (sentence.empty() || sentence[0] != '$') return 0;
  std::string_view body = sentence.substr(1);
  if (const std::size_t star = body.find('*'); star != std::string_view::npos) {
    const std::string_view given = body.substr(star + 1);
    body = body.substr(0, star);
    if (given.size() != 2) return 0;
    const int high = hexValue(given[0]);
    const int low = hexValue(given[1]);
    if (high < 0 || low < 0 || static_cast<unsigned>(high * 16 + low) != nmeaChecksum(body)) return 0;
  }
  std::size_t count = 0;
  for (std::size_t start = 0; count < kMaxFields;) {
    const std::size_t comma = body.find(',', start);
    fields[count++] = body.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return count;
}

}  // namespace

bool NmeaSentenceCollector::add(char byte) {
  complete_ = false;
  if (byte == '$') {
    buffer_[0] = byte;
    length_ = 1;
    collecting_ = true;
    return false;
  }
  if (!collecting_) return false;
  if (byte == '\r' || byte == '\n') {
    collecting_ = false;
    complete_ = true;
    return true;
  }
  if (length_ == kMaxBytes) {
    collecting_ = false;
    length_ = 0;
    return false;
  }
  buffer_[length_++] = byte;
  return false;
}

std::string_view NmeaSentenceCollector::sentence() const {
  return complete_ ? std::string_view(buffer_.data(), length_) : std::string_view();
}

void NmeaSentenceCollector::clear() {
  length_ = 0;
  collecting_ = false;
  complete_ = false;
}

unsigned nmeaChecksum(std::string_view body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return sum;
}

std::optional<GgaFix> parseGga(std::string_view sentence) {
  Fields fields{};
  const std::size_t count = splitSentence(sentence, fields);
  if (count <= kLongitudeLetter) return std::nullopt;
  if (fields[kAddress] != "GPGGA" && fields[kAddress] != "GNGGA") return std::nullopt;

  GgaFix fix;
  if (!readTime(fields[kTime], fix.hour, fix.minute, fix.second)) return std::nullopt;
  if (count > kFixQuality && !fields[kFixQuality].empty()) {
    int quality = 0;
    const std::string_view q = fields[kFixQuality];
    const auto [end, error] = std::from_chars(q.data(), q.data() + q.size(), quality);
    if (error != std::errc() || end != q.data() + q.size() || quality < 0) return std::nullopt;
    fix.fixQuality = quality;
  }

  const std::string_view latitude = fields[kLatitude];
  const std::string_view longitude = fields[kLongitude];
  if (latitude.empty() || longitude.empty()) return fix;
  const std::string_view latLetter = fields[kLatitudeLetter];
  const std::string_view lonLetter = fields[kLongitudeLetter];
  if ((latLetter != "N" && latLetter != "S") || (lonLetter != "E" && lonLetter != "W")) return std::nullopt;
  const std::optional<double> latitudeDeg = readCoordinate(latitude, 90.0);
  const std::optional<double> longitudeDeg = readCoordinate(longitude, 180.0);
  if (!latitudeDeg || !longitudeDeg) return std::nullopt;
  StationPosition position;
  position.latHemisphere = latLetter[0];
  position.lonHemisphere = lonLetter[0];
  position.latitudeDeg = position.latHemisphere == 'S' ? -*latitudeDeg : *latitudeDeg;
  position.longitudeDeg = position.lonHemisphere == 'W' ? -*longitudeDeg : *longitudeDeg;
  fix.position = position;
  return fix;
}

std::optional<RmcTime> parseRmcTime(std::string_view sentence) {
  Fields fields{};
  if (splitSentence(sentence, fields) <= kRmcDate) return std::nullopt;
  if (fields[kAddress] != "GPRMC" && fields[kAddress] != "GNRMC") return std::nullopt;
  if (fields[kRmcStatus] != "A") return std::nullopt;
  RmcTime time;
  if (!readTime(fields[kRmcTime], time.hour, time.minute, time.second)) return std::nullopt;
  const std::string_view date = fields[kRmcDate];
  if (date.size() != 6) return std::nullopt;
  for (char c : date) {
    if (!isDigit(c)) return std::nullopt;
  }
  const int yearOfCentury = twoDigits(date, 4);
  time.date.day = twoDigits(date, 0);
  time.date.month = twoDigits(date, 2);
  time.date.year = yearOfCentury < 80 ? 2000 + yearOfCentury : 1900 + yearOfCentury;
  if (time.date.month < 1 || time.date.month > 12) return std::nullopt;
  if (time.date.day < 1 || time.date.day > daysInMonth(time.date.year, time.date.month)) return std::nullopt;
  return time;
}

}  // namespace tervane

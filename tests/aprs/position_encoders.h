#pragma once
// Encoders of the tests' own making, from the APRS Protocol Reference: a
// position written as a plain position, a compressed one and Mic-E, for
// round trips through the decoder (tests and fuzz target).

#include <cmath>
#include <string>

namespace tervane::encode {

inline std::string twoDigits(int value) {
  return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

// Whole degrees and hundredths of a minute, rounded.
struct DegreesMinutes {
  int degrees;
  int hundredths;
};
inline DegreesMinutes toDegreesMinutes(double magnitude) {
  const long total = std::lround(magnitude * 6000.0);
  return {static_cast<int>(total / 6000), static_cast<int>(total % 6000)};
}

// "DDMM.hhN/DDDMM.hhW>" (car symbol).
inline std::string plainCoordinates(double latitude, double longitude) {
  const DegreesMinutes lat = toDegreesMinutes(std::fabs(latitude));
  const DegreesMinutes lon = toDegreesMinutes(std::fabs(longitude));
  return twoDigits(lat.degrees) + twoDigits(lat.hundredths / 100) + "." + twoDigits(lat.hundredths % 100) +
         (latitude < 0 ? "S" : "N") + "/" + std::to_string(lon.degrees / 100) + twoDigits(lon.degrees % 100) +
         twoDigits(lon.hundredths / 100) + "." + twoDigits(lon.hundredths % 100) + (longitude < 0 ? "W" : "E") + ">";
}

inline std::string base91(long value, int digits) {
  std::string out(static_cast<std::size_t>(digits), '!');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = static_cast<char>('!' + value % 91);
    value /= 91;
  }
  return out;
}

// "/YYYYXXXX> sT": car symbol, no course, speed or altitude.
inline std::string compressedPosition(double latitude, double longitude) {
  return "/" + base91(std::lround(380926.0 * (90.0 - latitude)), 4) +
         base91(std::lround(190463.0 * (180.0 + longitude)), 4) + "> sT";
}

// Mic-E cannot say 180 degrees of longitude: its furthest is 179 59.99.
constexpr double kMicELongitudeLimit = 179.0 + 59.99 / 60.0;

struct MicE {
  std::string destination;
  std::string information;
};

// A current fix, message "En Route", car symbol; the longitude within
// kMicELongitudeLimit.
inline MicE micE(double latitude, double longitude, int speedKnots, int courseDeg) {
  const DegreesMinutes lat = toDegreesMinutes(std::fabs(latitude));
  const DegreesMinutes lon = toDegreesMinutes(std::fabs(longitude));
  const std::string digits = twoDigits(lat.degrees) + twoDigits(lat.hundredths / 100) + twoDigits(lat.hundredths % 100);
  const bool offset = lon.degrees < 10 || lon.degrees >= 100;
  const bool flags[6] = {true, true, false, latitude >= 0, offset, longitude < 0};
  MicE out;
  for (std::size_t i = 0; i < 6; ++i) out.destination += static_cast<char>((flags[i] ? 'P' : '0') + (digits[i] - '0'));
  int d = lon.degrees;
  if (d < 10) {
    d += 90;
  } else if (d >= 110) {
    d -= 100;
  } else if (d >= 100) {
    d -= 20;
  }
  const int m = lon.hundredths / 100;
  out.information = {'`',
                     static_cast<char>(d + 28),
                     static_cast<char>((m < 10 ? m + 60 : m) + 28),
                     static_cast<char>(lon.hundredths % 100 + 28),
                     static_cast<char>(speedKnots / 10 + 28),
                     static_cast<char>(speedKnots % 10 * 10 + courseDeg / 100 + 28),
                     static_cast<char>(courseDeg % 100 + 28),
                     '>',
                     '/'};
  return out;
}

}  // namespace tervane::encode

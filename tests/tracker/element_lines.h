#pragma once
// NORAD element lines of the tests' own making: every field in its standard
// column, valid checksums.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace tervane::testing {

struct TestOrbit {
  const char* name;
  int catalogNumber;
  double epoch;  // YYDDD.DDDDDDDD
  double inclinationDeg, raanDeg, eccentricity, argPerigeeDeg, meanAnomalyDeg, meanMotionRevPerDay;
  double meanMotionDot2 = 0.0;   // rev/day²
  double meanMotionDdot6 = 0.0;  // rev/day³
};

inline std::string withChecksum(std::string line) {
  int sum = 0;
  for (char c : line) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-' ? 1 : 0);
  return line + static_cast<char>('0' + sum % 10) + "\n";
}

inline std::pair<std::string, std::string> elementLines(const TestOrbit& o) {
  // Second derivative as sign, five digits after an assumed point, exponent.
  int exponent = o.meanMotionDdot6 == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(o.meanMotionDdot6)))) + 1;
  long mantissa = std::lround(std::fabs(o.meanMotionDdot6) / std::pow(10.0, exponent) * 1e5);
  if (mantissa >= 100000) {
    mantissa /= 10;
    ++exponent;
  }
  char line1[96];
  char line2[96];
  std::snprintf(line1, sizeof line1, "1 %05dU 21001A   %014.8f %c.%08ld %c%05ld%c%d  00000-0 0  999", o.catalogNumber,
                o.epoch, o.meanMotionDot2 < 0 ? '-' : ' ', std::lround(std::fabs(o.meanMotionDot2) * 1e8),
                o.meanMotionDdot6 < 0 ? '-' : ' ', mantissa, exponent < 0 ? '-' : '+', std::abs(exponent) % 10);
  std::snprintf(line2, sizeof line2, "2 %05d %8.4f %8.4f %07ld %8.4f %8.4f %11.8f 1234", o.catalogNumber,
                o.inclinationDeg, o.raanDeg, std::lround(o.eccentricity * 1e7), o.argPerigeeDeg, o.meanAnomalyDeg,
                o.meanMotionRevPerDay);
  return {withChecksum(line1), withChecksum(line2)};
}

inline std::string elementFileText(const TestOrbit& o) {
  const auto lines = elementLines(o);
  return std::string(o.name) + "\n" + lines.first + lines.second;
}

}  // namespace tervane::testing

#include "tracker/element_writer.h"

#include <cmath>

#include "base/text_format.h"
#include "platform/clock.h"
#include "tracker/sidereal.h"

namespace tervane {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;
// From rise to highest point of a low pass takes about six minutes.
constexpr std::int64_t kRiseToOverheadSeconds = 370;

std::string withChecksum(std::string line) {
  int sum = 0;
  for (const char c : line) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-' ? 1 : 0);
  line += static_cast<char>('0' + sum % 10);
  line += '\n';
  return line;
}

double wrapDegrees(double deg) {
  deg = std::fmod(deg, 360.0);
  return deg < 0 ? deg + 360.0 : deg;
}

}  // namespace

std::string formatElementSet(const OrbitDescription& o) {
  const CalendarTime t = calendarFromUnix(o.epochUnix);
  CalendarTime newYear;
  newYear.year = t.year;
  const double dayOfYear = static_cast<double>(o.epochUnix - unixFromCalendar(newYear)) / 86400.0 + 1.0;
  const double epoch = (t.year % 100) * 1000.0 + dayOfYear;
  const std::string line1 =
      textf("1 %05dU 26001A   %014.8f  .00000000  00000-0  00000-0 0  999", o.catalogNumber % 100000, epoch);
  const std::string line2 = textf("2 %05d %8.4f %8.4f %07ld %8.4f %8.4f %11.8f    1", o.catalogNumber % 100000,
                                  o.inclinationDeg, wrapDegrees(o.raanDeg),
                                  std::lround(std::fmin(o.eccentricity, 0.9999999) * 1e7), wrapDegrees(o.argPerigeeDeg),
                                  wrapDegrees(o.meanAnomalyDeg), o.meanMotionRevPerDay);
  return o.name + "\n" + withChecksum(line1) + withChecksum(line2);
}

OrbitDescription orbitPassingOver(const std::string& name, int catalogNumber, double latitudeDeg,
                                  double longitudeDeg, std::int64_t epochUnix, std::int64_t riseInSeconds) {
  OrbitDescription o;
  o.name = name;
  o.catalogNumber = catalogNumber;
  o.epochUnix = epochUnix;
  o.inclinationDeg = 98.0;
  o.meanMotionRevPerDay = 15.0;
  const double incl = o.inclinationDeg / kDegPerRad;
  const double lat = std::fmax(-80.0, std::fmin(80.0, latitudeDeg)) / kDegPerRad;
  const std::int64_t overhead = epochUnix + riseInSeconds + kRiseToOverheadSeconds;
  // On a circular orbit the satellite is at latitude lat when its argument of
  // latitude u has sin(lat) = sin(i) sin(u) (on the northbound half).
  const double u = std::asin(std::sin(lat) / std::sin(incl));
  const double fromNode = std::atan2(std::cos(incl) * std::sin(u), std::cos(u));
  const double stationRightAscension = longitudeDeg / kDegPerRad + greenwichSiderealAngle(overhead);
  o.raanDeg = (stationRightAscension - fromNode) * kDegPerRad;
  const double revolutions = o.meanMotionRevPerDay * static_cast<double>(overhead - epochUnix) / 86400.0;
  o.argPerigeeDeg = 0;
  o.meanAnomalyDeg = u * kDegPerRad - revolutions * 360.0;
  return o;
}

}  // namespace tervane

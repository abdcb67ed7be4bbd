#include "tracker/sidereal.h"

#include <cmath>

namespace tervane {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kJ2000UnixSeconds = 946728000;  // 2000 January 1, 12h UT
constexpr double kDaysPerCentury = 36525.0;

}  // namespace

double greenwichSiderealAngle(std::int64_t unixSeconds) {
  // GMST in seconds of time:
  //   67310.54841 + (876600 h + 8640184.812866 s) T + 0.093104 T² − 6.2e-6 T³,
  // T in Julian centuries of UT1 from J2000. The 876600 h term is 86400 s for
  // every day since J2000, so modulo one day it is the time elapsed since the
  // last 12h UT; taking it from integer seconds keeps full precision.
  const std::int64_t sinceJ2000 = unixSeconds - kJ2000UnixSeconds;
  std::int64_t secondsOfDay = sinceJ2000 % kSecondsPerDay;
  if (secondsOfDay < 0) secondsOfDay += kSecondsPerDay;
  const double t = static_cast<double>(sinceJ2000) / static_cast<double>(kSecondsPerDay) / kDaysPerCentury;
  const double gmstSeconds =
      67310.54841 + static_cast<double>(secondsOfDay) + ((-6.2e-6 * t + 0.093104) * t + 8640184.812866) * t;
  double turns = std::fmod(gmstSeconds, static_cast<double>(kSecondsPerDay)) / static_cast<double>(kSecondsPerDay);
  if (turns < 0.0) turns += 1.0;
  double angle = turns * kFullTurnRad;
  if (angle >= kFullTurnRad) angle -= kFullTurnRad;
  return angle;
}

}  // namespace tervane

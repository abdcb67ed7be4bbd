#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "tracker/sidereal.h"

namespace tervane {
namespace {

constexpr double kDegPerRad = 180.0 / 3.14159265358979323846;

struct SiderealCase {
  const char* source;
  std::int64_t unixSeconds;
  double gmstDeg;
  double toleranceDeg;
};

TEST(SiderealAngle, MatchesPublishedGreenwichMeanSiderealTime) {
  const SiderealCase cases[] = {
      // 2002 January 1, 0h UT: 6h 41m 54.24s.
      {"GMST at 2002-01-01 0h UT", 1009843200, 100.4760, 5e-5},
      // Meeus, Astronomical Algorithms (2nd ed.), example 12.a: 1987 April 10,
      // 0h UT, 13h 10m 46.3668s.
      {"Meeus example 12.a", 545011200, 197.693195, 1e-6},
      // Meeus, example 12.b: 1987 April 10, 19h 21m 00s UT, 8h 34m 57.0896s.
      {"Meeus example 12.b", 545080860, 128.7378734, 1e-6},
      // Vallado, Fundamentals of Astrodynamics and Applications, example 3-5:
      // 1992 August 20, 12h 14m UT1, 152.578787810 degrees.
      {"Vallado example 3-5", 714312840, 152.578787810, 1e-6},
  };
  for (const SiderealCase& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_NEAR(greenwichSiderealAngle(c.unixSeconds) * kDegPerRad, c.gmstDeg, c.toleranceDeg);
  }
  EXPECT_NEAR(greenwichSiderealAngle(1009843200), 1.753637, 5e-7);
}

TEST(SiderealAngle, StaysInOneTurnAndAdvancesAtTheSiderealRate) {
  // From 1901 to 2099, including instants before 1970 and every time of day.
  for (std::int64_t t = -2200000000LL; t < 4100000000LL; t += 7777777) {
    SCOPED_TRACE(t);
    const double angle = greenwichSiderealAngle(t);
    EXPECT_GE(angle, 0.0);
    EXPECT_LT(angle, kFullTurnRad);
    double advance = greenwichSiderealAngle(t + 60) - angle;
    if (advance < 0) advance += kFullTurnRad;
    EXPECT_NEAR(advance / 60.0, kSiderealRateRadPerSec, 1e-11);
  }
}

}  // namespace
}  // namespace tervane

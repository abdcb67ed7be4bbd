#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/clock.h"
#include "tracker/orbit_model.h"

namespace tervane {
namespace {

// The SGP test case of Spacetrack Report No. 3 (Hoots & Roehrich, 1980):
// its element set and the positions the report prints for SGP (km).
const char* const kStr3Line1 = "1 88888U          80275.98708465  .00073094  13844-3  66816-4 0    87\n";
const char* const kStr3Line2 = "2 88888  72.8435 115.9689 0086731  52.6988 110.5714 16.05824518  1058\n";

struct PublishedPosition {
  const char* name;
  double tsinceMin;
  double xKm, yKm, zKm;
};

TEST(OrbitModel, ReproducesTheSgpTestCaseOfSpacetrackReport3) {
  const PublishedPosition published[] = {
      {"Satellite 1a", 0.0, 2328.96594238, -5995.21600342, 1719.97894287},
      {"Satellite 1b", 360.0, 2456.00610352, -6071.94232177, 1222.95977784},
      {"Satellite 1c", 720.0, 2567.39477539, -6112.49725342, 713.97710419},
      {"Satellite 1d", 1080.0, 2663.03179932, -6115.37414551, 195.73919105},
      {"Satellite 1e", 1440.0, 2742.85470581, -6079.13580322, -328.86091614},
  };
  constexpr double kToleranceKm = 0.010;
  for (const PublishedPosition& p : published) {
    SCOPED_TRACE(p.name);
    OrbitModel model;
    model.loadElements(p.name, kStr3Line1, kStr3Line2);
    model.propagate(1626220800);  // any instant: the name fixes the time since epoch
    EXPECT_DOUBLE_EQ(model.minutesSinceEpoch(), p.tsinceMin);
    EXPECT_NEAR(model.xKm(), p.xKm, kToleranceKm);
    EXPECT_NEAR(model.yKm(), p.yKm, kToleranceKm);
    EXPECT_NEAR(model.zKm(), p.zKm, kToleranceKm);
  }
}

TEST(OrbitModel, ReservedNamesFixTheTimeWhateverTheClockSays) {
  struct Row {
    const char* name;
    bool reserved;
    double minutes;
  };
  const Row rows[] = {{"Satellite 1c", true, 720},
                      {"Satellite 2e and more", true, 1440},
                      {"satellite 1c", false, 0},
                      {"Satellite 3a", false, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    OrbitModel model;
    model.loadElements(row.name, kStr3Line1, kStr3Line2);
    model.propagate(0);
    const double x0 = model.xKm();
    const double epochForm = model.nowEpoch();
    model.propagate(1700000000);
    EXPECT_EQ(model.fixedMinutesSinceEpoch().has_value(), row.reserved);
    if (row.reserved) {
      EXPECT_DOUBLE_EQ(model.minutesSinceEpoch(), row.minutes);
      EXPECT_DOUBLE_EQ(model.xKm(), x0);
      EXPECT_DOUBLE_EQ(model.nowEpoch(), epochForm);
      EXPECT_EQ(model.instant(), 1700000000);
    } else {
      EXPECT_NE(model.xKm(), x0);
    }
  }
}

struct EpochCase {
  const char* what;
  const char* epochField;  // columns 19-32
  CalendarTime at;
  double minutesSinceEpoch;
  double nowEpoch;
};

TEST(OrbitModel, MinutesSinceEpochFollowTheTwoDigitYearRule) {
  const EpochCase cases[] = {
      {"year 02 is 2002", "02001.50000000", {2002, 1, 1, 12, 0, 0, 0}, 0.0, 2001.5},
      {"year 02, one day later", "02001.50000000", {2002, 1, 2, 12, 0, 0, 0}, 1440.0, 2002.5},
      {"year 99 is 1999, counted across the new year", "99365.00000000", {2000, 1, 1, 0, 0, 0, 0}, 1440.0,
       99366.0},
      {"year 80 is 2080", "80001.00000000", {2080, 1, 1, 0, 1, 0, 0}, 1.0, 80001.0 + 60.0 / 86400.0},
      {"year 81 is 1981", "81001.00000000", {1981, 1, 1, 0, 0, 30, 0}, 0.5, 81001.0 + 30.0 / 86400.0},
      {"before the epoch is negative", "21194.50000000", {2021, 7, 13, 11, 0, 0, 0}, -60.0, 21194.5 - 1.0 / 24.0},
  };
  for (const EpochCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string line1 = kStr3Line1;
    line1.replace(18, 14, c.epochField);
    OrbitModel model;
    model.loadElements("TEST", line1, kStr3Line2);
    model.propagate(unixFromCalendar(c.at));
    EXPECT_NEAR(model.minutesSinceEpoch(), c.minutesSinceEpoch, 1e-6);
    EXPECT_NEAR(model.nowEpoch(), c.nowEpoch, 1e-9);
  }
}

TEST(OrbitModel, TwoPiConstantSwitchesAtTheFirstSiderealAngle) {
  OrbitModel model;
  EXPECT_EQ(model.twoPi(), 6.2831853);
  model.loadElements("TEST", kStr3Line1, kStr3Line2);
  EXPECT_FALSE(model.initialised());
  model.propagate(1626220800);
  EXPECT_TRUE(model.initialised());
  EXPECT_EQ(model.twoPi(), 6.2831853);
  model.lookAngles(10.0, 20.0);
  EXPECT_EQ(model.twoPi(), 6.28318530717959);
  model.loadElements("TEST", kStr3Line1, kStr3Line2);
  EXPECT_FALSE(model.initialised());
  EXPECT_EQ(model.twoPi(), 6.28318530717959);
}

TEST(OrbitModel, NonsenseElementsGiveNotANumberInsteadOfFailing) {
  OrbitModel model;
  model.loadElements("BAD", "1 00001U", "2 00001");
  model.propagate(1626220800);
  const LookAngles look = model.lookAngles(45.0, 7.0);
  EXPECT_TRUE(std::isnan(model.xKm()));
  EXPECT_TRUE(std::isnan(look.elevationDeg));
  EXPECT_FALSE(model.findCrossing(1626220800, 45.0, 7.0).has_value());
}

}  // namespace
}  // namespace tervane

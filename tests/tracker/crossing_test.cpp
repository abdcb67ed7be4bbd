#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/tracker/element_lines.h"
#include "tracker/crossing.h"
#include "tracker/orbit_model.h"
#include "tracker/sidereal.h"

namespace tervane {
namespace {

using testing::TestOrbit;
using Chain = std::vector<std::optional<std::int64_t>>;

constexpr std::int64_t kEpochUnix = 1626177600;  // 2021-07-13T12:00:00Z, the epoch below

const TestOrbit kOrbits[] = {
    {"LOW 51", 90001, 21194.5, 51.64, 213.25, 0.0002, 155.1, 334.2, 15.4879, 1.068e-5},
    {"POLAR 800", 90002, 21194.5, 98.6, 34.3, 0.0008, 20.1, 340.0, 14.2955},
    {"MID 1400", 90003, 21194.5, 52.0, 300.0, 0.0005, 90.0, 10.0, 12.80},
    {"LOW 20", 90004, 21194.5, 20.0, 100.0, 0.0010, 0.0, 180.0, 15.0},
    {"ELLIPSE 12H", 90005, 21194.5, 63.4, 80.0, 0.70, 270.0, 20.0, 2.0060},
    {"HEO 0.6", 90006, 21194.5, 26.15, 150.95, 0.6005, 350.2, 1.8, 2.0587},
    {"GEO", 90007, 21194.5, 0.05, 80.0, 0.0002, 100.0, 200.0, 1.00273},
    {"DECAY", 90008, 21194.5, 72.84, 115.97, 0.0087, 52.7, 110.6, 16.0582, 7.3094e-4, 1.3844e-4},
    // Circular and decaying: the eccentricity floor switches in at the epoch.
    {"ROUND", 90009, 21194.5, 45.0, 10.0, 0.0, 0.0, 0.0, 15.2, 1.0e-4},
};

struct Station {
  double latDeg, lonDeg;
};

OrbitModel loadedModel(const TestOrbit& orbit) {
  const auto lines = testing::elementLines(orbit);
  OrbitModel model;
  model.loadElements(orbit.name, lines.first, lines.second);
  return model;
}

double elevationAt(OrbitModel& model, std::int64_t t, const Station& station) {
  model.propagate(t);
  return model.lookAngles(station.latDeg, station.lonDeg).elevationDeg;
}

// Crossings in a row, each search starting 2 seconds after the previous
// crossing, with a fresh model as the tracker has.
template <typename Search>
Chain crossingChain(const TestOrbit& orbit, const Station& station, std::int64_t start, int count, Search search) {
  OrbitModel model = loadedModel(orbit);
  const StationGeometry geometry = stationGeometry(station.latDeg, station.lonDeg);
  Chain found;
  for (int i = 0; i < count; ++i) {
    found.push_back(search(model, start, geometry));
    if (!found.back()) break;
    start = *found.back() + 2;
  }
  return found;
}

void expectSameAsStepwise(const TestOrbit& orbit, const Station& station, std::int64_t start, int count) {
  SCOPED_TRACE(std::string(orbit.name) + " at " + std::to_string(station.latDeg) + " " +
               std::to_string(station.lonDeg) + " from " + std::to_string(start));
  EXPECT_EQ(crossingChain(orbit, station, start, count, findCrossingBounded),
            crossingChain(orbit, station, start, count, findCrossingStepwise));
}

TEST(FindCrossing, BoundedSearchReturnsTheSecondsOfTheStepwiseSearch) {
  // TERVANE_ORBIT_FULL_CHECK=1 runs longer chains and many more stations.
  const bool full = std::getenv("TERVANE_ORBIT_FULL_CHECK") != nullptr;
  const Station stations[] = {{0.0, 0.0}, {48.1, 11.6}, {-70.6, -8.3}, {90.0, 0.0}};
  for (const TestOrbit& orbit : kOrbits) {
    for (const Station& station : stations) expectSameAsStepwise(orbit, station, kEpochUnix, full ? 12 : 2);
  }
  std::mt19937 random(20210713);
  std::uniform_real_distribution<double> latitude(-90.0, 90.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  std::uniform_int_distribution<std::int64_t> offset(-86400, 3 * 86400);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kOrbits) - 1);
  for (int i = 0; i < (full ? 400 : 12); ++i) {
    const Station station{latitude(random), longitude(random)};
    expectSameAsStepwise(kOrbits[pick(random)], station, kEpochUnix + offset(random), 3);
  }
}

double highestElevation(const TestOrbit& orbit, const Station& station, std::int64_t from, std::int64_t to) {
  OrbitModel model = loadedModel(orbit);
  double highest = -90.0;
  for (std::int64_t t = from; t <= to; ++t) highest = std::max(highest, elevationAt(model, t, station));
  return highest;
}

TEST(FindCrossing, GrazingPassesAreFoundToTheSecond) {
  // Moves the station sideways from an ordinary pass until that pass only
  // just reaches the horizon: one station sees the satellite for a second or
  // a few, the other (a hair further) never does.
  for (const TestOrbit& orbit : {kOrbits[0], kOrbits[1]}) {
    SCOPED_TRACE(orbit.name);
    const Station home{40.0, 10.0};
    OrbitModel model = loadedModel(orbit);
    const auto rise = model.findCrossing(kEpochUnix, home.latDeg, home.lonDeg);
    ASSERT_TRUE(rise.has_value());
    const std::int64_t from = *rise - 900;
    const std::int64_t to = *rise + 1800;
    double seesLon = home.lonDeg;
    double missesLon = NAN;
    for (double offsetDeg : {-40.0, 40.0, -60.0, 60.0}) {
      if (highestElevation(orbit, {home.latDeg, home.lonDeg + offsetDeg}, from, to) < 0.0) {
        missesLon = home.lonDeg + offsetDeg;
        break;
      }
    }
    ASSERT_FALSE(std::isnan(missesLon));
    for (int i = 0; i < 45; ++i) {
      const double middle = 0.5 * (seesLon + missesLon);
      (highestElevation(orbit, {home.latDeg, middle}, from, to) > 0.0 ? seesLon : missesLon) = middle;
    }
    const Station grazing{home.latDeg, seesLon};
    OrbitModel check = loadedModel(orbit);
    int secondsAbove = 0;
    for (std::int64_t t = from; t <= to; ++t) secondsAbove += elevationAt(check, t, grazing) > 0.0 ? 1 : 0;
    EXPECT_GE(secondsAbove, 1);
    EXPECT_LE(secondsAbove, 30);
    for (const Station& station : {grazing, Station{home.latDeg, missesLon}}) {
      for (std::int64_t start : {from, from + 300, *rise - 17}) expectSameAsStepwise(orbit, station, start, 2);
    }
  }
}

TEST(FindCrossing, NoCrossingWithin24Hours) {
  struct Row {
    const char* what;
    const TestOrbit& orbit;
    Station station;
  };
  const Row rows[] = {
      {"a low inclination orbit never rises over the pole", kOrbits[3], {89.0, 0.0}},
      {"a geostationary satellite never sets", kOrbits[6], {0.0, 0.0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    OrbitModel model = loadedModel(row.orbit);
    EXPECT_FALSE(model.findCrossing(kEpochUnix, row.station.latDeg, row.station.lonDeg).has_value());
  }
}

TEST(FindCrossing, FirstSecondNeverReportsAndACrossingAtStartPlusOneIs) {
  const Station station{48.1, 11.6};
  OrbitModel model = loadedModel(kOrbits[0]);
  const auto crossing = model.findCrossing(kEpochUnix, station.latDeg, station.lonDeg);
  ASSERT_TRUE(crossing.has_value());
  EXPECT_LT(elevationAt(model, *crossing - 1, station) * elevationAt(model, *crossing, station), 0.0);
  EXPECT_EQ(model.findCrossing(*crossing - 1, station.latDeg, station.lonDeg), crossing);
  const auto after = model.findCrossing(*crossing, station.latDeg, station.lonDeg);
  ASSERT_TRUE(after.has_value());
  EXPECT_GT(*after, *crossing + 60);
}

TEST(FindCrossing, AFalseSpeedBoundStillReportsOnlyRealSignChanges) {
  const Station station{48.1, 11.6};
  const StationGeometry geometry = stationGeometry(station.latDeg, station.lonDeg);
  int found = 0;
  for (double divisor : {3.0, 10.0, 30.0}) {
    SCOPED_TRACE(divisor);
    OrbitModel model = loadedModel(kOrbits[0]);
    model.propagate(kEpochUnix);
    MotionBound weakened = model.motionBound(kEpochUnix, kEpochUnix + 86399);
    weakened.speedKmPerSec /= divisor;
    weakened.accelerationKmPerSec2 /= divisor;
    const auto stepwise = findCrossingStepwise(model, kEpochUnix, geometry);
    const auto weak = findCrossingWithBound(model, kEpochUnix, geometry, weakened);
    ASSERT_TRUE(stepwise.has_value());
    if (!weak) continue;  // it may skip whole passes
    ++found;
    EXPECT_GE(*weak, *stepwise);
    EXPECT_LT(elevationAt(model, *weak - 1, station) * elevationAt(model, *weak, station), 0.0);
  }
  EXPECT_GE(found, 1);
}

TEST(FindCrossing, MotionBoundsHoldAndAreNotWildlyLoose) {
  for (const TestOrbit& orbit : kOrbits) {
    SCOPED_TRACE(orbit.name);
    OrbitModel model = loadedModel(orbit);
    model.propagate(kEpochUnix);
    const MotionBound bound = model.motionBound(kEpochUnix, kEpochUnix + 86399);
    ASSERT_TRUE(std::isfinite(bound.speedKmPerSec));
    ASSERT_TRUE(std::isfinite(bound.accelerationKmPerSec2));
    // Earth-fixed displacement per second, and its change from one second
    // to the next, over half a day, which holds a perigee of every orbit
    // here. A step of the modelled position shows in the change as well.
    double fastest = 0.0;
    double hardest = 0.0;
    double previous[3] = {0, 0, 0};
    double step[3] = {0, 0, 0};
    for (std::int64_t t = kEpochUnix; t < kEpochUnix + 43200; ++t) {
      model.propagate(t);
      const double theta = greenwichSiderealAngle(t);
      const double fixed[3] = {model.xKm() * std::cos(theta) + model.yKm() * std::sin(theta),
                               -model.xKm() * std::sin(theta) + model.yKm() * std::cos(theta), model.zKm()};
      const double moved[3] = {fixed[0] - previous[0], fixed[1] - previous[1], fixed[2] - previous[2]};
      if (t > kEpochUnix) fastest = std::max(fastest, std::hypot(moved[0], moved[1], moved[2]));
      if (t > kEpochUnix + 1) {
        hardest = std::max(hardest, std::hypot(moved[0] - step[0], moved[1] - step[1], moved[2] - step[2]));
      }
      std::copy(fixed, fixed + 3, previous);
      std::copy(moved, moved + 3, step);
    }
    EXPECT_LT(fastest, bound.speedKmPerSec);
    EXPECT_LT(hardest, bound.accelerationKmPerSec2 + 2.0 * bound.jumpKm);
    if (orbit.meanMotionRevPerDay > 1.5) {  // a geostationary one hardly moves against the Earth
      EXPECT_GT(fastest, 0.5 * bound.speedKmPerSec);
      EXPECT_GT(hardest, 0.3 * bound.accelerationKmPerSec2);
    }
  }
}

TEST(FindCrossing, SignKeepingSeconds) {
  struct Row {
    const char* what;
    double heightKm, earlierHeightKm;
    std::int64_t sinceSeconds;
    MotionBound bound;
    std::int64_t seconds;
  };
  const double none = NAN;
  const Row rows[] = {
      {"no usable speed bound", -3000, 0, 0, {none, none, 0}, 1},
      {"close to the horizon plane", -0.5, 0, 0, {8, 0.01, 0}, 1},
      // 4000 km at 8 km/s, less the rounding allowance: 499.99... s
      {"far below, no earlier look", -4000, 0, 0, {8, 0.01, 0}, 499},
      {"far above, same rule", 4000, 0, 0, {8, 0.01, 0}, 499},
      {"position steps shorten the skip", -41, 0, 0, {8, 0.01, 1.0}, 4},
      {"without them", -41, 0, 0, {8, 0.01, 0}, 5},
      // falling away at about 2 km/s: (1.995 + sqrt(1.995² + 2 × 0.01 × 10)) / 0.01
      {"just set and falling away", -10, -8, 1, {8, 0.01, 0}, 403},
      // closing at 2.5 km/s, less A h / 2: (-2.6 + sqrt(2.6² + 2)) / 0.01
      {"closing in on the horizon", -100, -150, 20, {8, 0.01, 0}, 35},
      {"an earlier look on the other side is no trend", -100, 5, 20, {8, 0.01, 0}, 12},
      {"no acceleration bound, no trend", -100, -150, 20, {8, none, 0}, 12},
      {"never beyond the search window", -1e9, 0, 0, {1e-3, 1e-6, 0}, 86400},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(signKeepingSeconds(row.heightKm, row.earlierHeightKm, row.sinceSeconds, row.bound), row.seconds);
  }
}

}  // namespace
}  // namespace tervane

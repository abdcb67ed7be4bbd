#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "base/coordination.h"
#include "tests/tracker/element_lines.h"
#include "tracker/element_file.h"
#include "tracker/pass_table.h"
#include "tracker/tracker_worker.h"

namespace tervane {
namespace {

using testing::TestOrbit;

constexpr std::int64_t kEpochUnix = 1626177600;  // 2021-07-13T12:00:00Z, the epoch below
constexpr std::int64_t kDay = 86400;

const TestOrbit kLow{"LOW 51      ", 90001, 21194.5, 51.64, 213.25, 0.0002, 155.1, 334.2, 15.4879, 1.068e-5};
const TestOrbit kPolar{"POLAR 800", 90002, 21194.5, 98.6, 34.3, 0.0008, 20.1, 340.0, 14.2955};
const TestOrbit kElliptic{"HEO 0.6", 90006, 21194.5, 26.15, 150.95, 0.6005, 350.2, 1.8, 2.0587};
const TestOrbit kStationary{"GEO", 90007, 21194.5, 0.05, 80.0, 0.0002, 100.0, 200.0, 1.00273};

ElementRecord recordOf(const TestOrbit& orbit) {
  const auto records = scanElementText(testing::elementFileText(orbit));
  return records.at(0);
}

OrbitModel modelOf(const ElementRecord& record) {
  OrbitModel model;
  model.loadElements(record.name.view(), record.line1.view(), record.line2.view());
  return model;
}

LookAngles lookAt(OrbitModel& model, std::int64_t t, double latDeg, double lonDeg) {
  model.propagate(t);
  return model.lookAngles(latDeg, lonDeg);
}

class SilentUi final : public TrackerUi {
 public:
  void showRow(int, const TrackerRowText&) override {}
  void showWindow() override {}
};

// The crossings the tracker counts down to, one after the other: its first
// prediction at start, then each one it makes at the first second after the
// one before has passed.
std::vector<std::int64_t> trackerCrossings(const ElementRecord& record, double latDeg, double lonDeg,
                                           std::int64_t start, std::int64_t until) {
  Coordination shared;
  shared.values.setPosition(latDeg, lonDeg);
  shared.tracker.count = 1;
  shared.tracker.names[0] = record.name.view();
  shared.tracker.line1[0] = record.line1.view();
  shared.tracker.line2[0] = record.line2.view();
  SilentUi ui;
  LinkOutbox noLink;
  TrackerWorker worker(shared, ui, noLink);
  worker.start(start);
  std::vector<std::int64_t> crossings;
  for (std::int64_t c = worker.nextCrossing(0); c > 0 && c < until; c = worker.nextCrossing(0)) {
    crossings.push_back(c);
    worker.tick(c + 1);
  }
  return crossings;
}

TEST(PassTable, RisesAndSetsAreTheTrackersCrossingsAndTheTopIsTheHighestSecond) {
  struct Row {
    const char* what;
    TestOrbit orbit;
    double latDeg, lonDeg;
    std::int64_t start;
  };
  const Row rows[] = {
      {"a low orbit at mid latitude", kLow, 48.1, 11.6, kEpochUnix},
      {"a polar orbit far north", kPolar, 64.8, -147.7, kEpochUnix + 5000},
      {"a highly elliptical orbit's long passes", kElliptic, -33.9, 18.4, kEpochUnix},
      // LOW 51 rises over 48.1 N 11.6 E at 1626204038 (19:20:38 UTC).
      {"starting during a pass", kLow, 48.1, 11.6, 1626204038 + 200},
  };
  constexpr int kDays = 2;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const ElementRecord record = recordOf(row.orbit);
    const std::int64_t until = row.start + kDays * kDay;
    OrbitModel model = modelOf(record);
    const std::vector<SatellitePass> passes =
        predictPasses(model, stationGeometry(row.latDeg, row.lonDeg), row.start, until);
    ASSERT_GE(passes.size(), 2u);

    std::vector<std::int64_t> fromTable;
    for (const SatellitePass& p : passes) {
      ASSERT_TRUE(p.riseUnix.has_value());
      ASSERT_TRUE(p.setUnix.has_value());
      if (*p.riseUnix >= row.start) fromTable.push_back(*p.riseUnix);
      fromTable.push_back(*p.setUnix);
    }
    std::vector<std::int64_t> fromTracker = trackerCrossings(record, row.latDeg, row.lonDeg, row.start, until + kDay);
    ASSERT_GT(fromTracker.size(), fromTable.size());
    EXPECT_GE(fromTracker[fromTable.size()], until);  // the next rise is after the table's days
    fromTracker.resize(fromTable.size());
    EXPECT_EQ(fromTable, fromTracker);

    OrbitModel check = modelOf(record);
    for (const SatellitePass& p : passes) {
      SCOPED_TRACE(*p.riseUnix);
      std::int64_t top = *p.riseUnix;
      double highest = -90.0;
      for (std::int64_t t = *p.riseUnix; t < *p.setUnix; ++t) {
        const double el = lookAt(check, t, row.latDeg, row.lonDeg).elevationDeg;
        if (el > highest) {
          highest = el;
          top = t;
        }
      }
      EXPECT_EQ(p.culminationUnix, top);
      EXPECT_EQ(p.maxElevationDeg, highest);
      EXPECT_EQ(p.riseAzimuthDeg, lookAt(check, *p.riseUnix, row.latDeg, row.lonDeg).azimuthDeg);
      EXPECT_EQ(p.setAzimuthDeg, lookAt(check, *p.setUnix, row.latDeg, row.lonDeg).azimuthDeg);
      EXPECT_EQ(p.durationSeconds(), *p.setUnix - *p.riseUnix);
    }
    EXPECT_EQ(passes.front().inView(row.start), *passes.front().riseUnix < row.start);
  }
}

TEST(PassTable, EverySatelliteSortedByRiseWithoutTheUnreadableOnes) {
  std::vector<ElementRecord> satellites{recordOf(kPolar), recordOf(kLow), recordOf(kStationary), recordOf(kLow)};
  satellites[3].line2 = satellites[3].line2.str().substr(0, 50) + "\n";
  // Straight under the stationary satellite, which never sets.
  OrbitModel geo = modelOf(satellites[2]);
  const double underLon = lookAt(geo, kEpochUnix, 0.0, 0.0).subLongitudeDeg;
  const double latDeg = 0.0;
  const std::vector<PassRow> rows = passTable(satellites, latDeg, underLon, kEpochUnix, 1);

  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front().satellite, 2);
  EXPECT_FALSE(rows.front().pass.riseUnix.has_value());
  EXPECT_FALSE(rows.front().pass.setUnix.has_value());
  EXPECT_GT(rows.front().pass.maxElevationDeg, 80.0);
  std::map<int, std::vector<SatellitePass>> bySatellite;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    ASSERT_TRUE(rows[i].pass.riseUnix.has_value());
    EXPECT_LT(rows[i - 1].pass.riseUnix.value_or(0), *rows[i].pass.riseUnix);
    bySatellite[rows[i].satellite].push_back(rows[i].pass);
  }
  EXPECT_EQ(bySatellite.count(3), 0u);
  for (int i : {0, 1}) {
    OrbitModel model = modelOf(satellites[static_cast<std::size_t>(i)]);
    const auto alone = predictPasses(model, stationGeometry(latDeg, underLon), kEpochUnix, kEpochUnix + kDay);
    ASSERT_EQ(bySatellite[i].size(), alone.size());
    for (std::size_t k = 0; k < alone.size(); ++k) EXPECT_EQ(bySatellite[i][k].setUnix, alone[k].setUnix);
  }
}

TEST(SkyPlot, NorthUpEastRightZenithInTheMiddle) {
  struct Row {
    const char* what;
    double azimuthDeg, elevationDeg, x, y;
  };
  const Row rows[] = {
      {"north on the horizon", 0, 0, 0, 1},
      {"east on the horizon", 90, 0, 1, 0},
      {"west half way up", -90, 45, -0.5, 0},
      {"south at 60 degrees", 180, 60, 0, -1.0 / 3},
      {"the zenith", 123, 90, 0, 0},
      {"below the horizon stays on its circle", 90, -5, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const PlotPoint p = skyPlotPoint(row.azimuthDeg, row.elevationDeg);
    EXPECT_NEAR(p.x, row.x, 1e-9);
    EXPECT_NEAR(p.y, row.y, 1e-9);
  }

  OrbitModel model = modelOf(recordOf(kLow));
  const StationGeometry station = stationGeometry(48.1, 11.6);
  const auto passes = predictPasses(model, station, kEpochUnix, kEpochUnix + kDay);
  ASSERT_FALSE(passes.empty());
  const SatellitePass& pass = passes.front();
  const std::vector<SkyPoint> track = passTrack(model, station, pass, 10);
  ASSERT_GE(track.size(), 3u);
  EXPECT_EQ(track.front().unixSeconds, *pass.riseUnix);
  EXPECT_EQ(track.front().azimuthDeg, pass.riseAzimuthDeg);
  EXPECT_EQ(track.back().unixSeconds, *pass.setUnix - 1);
  for (const SkyPoint& point : track) EXPECT_GT(point.elevationDeg, 0.0);
}

}  // namespace
}  // namespace tervane

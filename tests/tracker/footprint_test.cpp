#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/tracker/element_lines.h"
#include "tracker/footprint.h"

namespace tervane {
namespace {

TEST(Footprint, RadiusFromAltitude) {
  struct Row {
    const char* name;
    double altitudeKm;
    double radiusKm;
  };
  const Row rows[] = {
      {"on the ground it has no footprint", 0.0, 0.0},
      {"below the ground neither", -5.0, 0.0},
      // At one Earth radius up, the horizon is 60 degrees round the Earth.
      {"one Earth radius up", kEarthRadiusKm, kEarthRadiusKm * std::numbers::pi / 3.0},
      // Geostationary height: the well-known 81.3 degrees of visibility.
      {"geostationary", 35786.0, kEarthRadiusKm * 81.3 * std::numbers::pi / 180.0},
  };
  for (const Row& r : rows) EXPECT_NEAR(footprintRadiusKm(r.altitudeKm), r.radiusKm, 2.0) << r.name;
  // A low orbit at 400 km: about 2,200 km.
  EXPECT_NEAR(footprintRadiusKm(400.0), 2200.0, 30.0);
}

// A satellite seen from any point on its footprint's edge stands on the
// horizon, as the tracker's own look angles (on an oblate Earth) tell it.
TEST(Footprint, TheEdgeIsWhereTheTrackerSeesTheSatelliteOnTheHorizon) {
  struct Row {
    const char* name;
    testing::TestOrbit orbit;
    std::int64_t atUnix;
  };
  const Row rows[] = {
      {"low, inclined", {"LOW", 90001, 21001.5, 51.6, 40.0, 0.0005, 0.0, 10.0, 15.5}, 1609502400 + 600},
      {"polar, over the pole", {"POLAR", 90002, 21001.5, 98.6, 120.0, 0.0010, 0.0, 90.0, 14.3}, 1609502400 + 1500},
      {"high, eccentric", {"HIGH", 90003, 21001.5, 63.4, 10.0, 0.6, 270.0, 180.0, 2.0}, 1609502400 + 3600},
  };
  for (const Row& r : rows) {
    const auto [line1, line2] = testing::elementLines(r.orbit);
    OrbitModel model;
    model.loadElements(r.orbit.name, line1, line2);
    model.propagate(r.atUnix);
    const LookAngles sub = model.lookAngles(0.0, 0.0);
    const std::vector<SurfacePoint> ring =
        footprintRing({sub.subLatitudeDeg, sub.subLongitudeDeg}, sub.altitudeKm, 72);
    ASSERT_GE(ring.size(), 72u) << r.name;
    int onEdge = 0;
    for (const SurfacePoint& p : ring) {
      if (std::fabs(p.latitudeDeg) == 90.0) continue;  // the closure over a pole
      EXPECT_NEAR(model.lookAngles(p.latitudeDeg, wrapLongitudeDeg(p.longitudeDeg)).elevationDeg, 0.0, 0.6)
          << r.name << " at " << p.latitudeDeg << " " << p.longitudeDeg;
      ++onEdge;
      // Longitudes run on without jumps.
      if (&p != &ring.front()) {
        EXPECT_LT(std::fabs(p.longitudeDeg - (&p - 1)->longitudeDeg), 180.0) << r.name;
      }
    }
    EXPECT_EQ(onEdge, 72) << r.name;
    const bool overPole = std::fabs(sub.subLatitudeDeg) + footprintAngleRad(sub.altitudeKm) * 180.0 / std::numbers::pi > 90.0;
    EXPECT_EQ(ring.size(), overPole ? 74u : 72u) << r.name;
  }
}

TEST(Footprint, GroundTrackFollowsTheModelForOneOrbit) {
  const testing::TestOrbit orbit{"TRACK", 90004, 21001.5, 51.6, 40.0, 0.0005, 0.0, 10.0, 15.5};
  const auto [line1, line2] = testing::elementLines(orbit);
  OrbitModel model;
  model.loadElements(orbit.name, line1, line2);
  const std::int64_t start = 1609502400;
  const std::vector<TrackPoint> track = groundTrack(model, start, 30);
  const double period = orbitalPeriodSeconds(model);
  EXPECT_NEAR(period, 86400.0 / 15.5, 1e-9);
  ASSERT_EQ(track.size(), static_cast<std::size_t>(std::ceil(period / 30.0)) + 1);
  EXPECT_EQ(track.back().unixSeconds, start + static_cast<std::int64_t>(std::ceil(period)));
  for (std::size_t i : {std::size_t{0}, track.size() / 3, track.size() - 1}) {
    OrbitModel check;
    check.loadElements(orbit.name, line1, line2);
    check.propagate(track[i].unixSeconds);
    const LookAngles look = check.lookAngles(42.36, -71.06);
    // A fresh model converts its elements with the short 2π of a model that
    // has not yet computed a sidereal angle: a metre or so apart.
    EXPECT_NEAR(track[i].at.latitudeDeg, look.subLatitudeDeg, 1e-5);
    EXPECT_NEAR(wrapLongitudeDeg(track[i].at.longitudeDeg), look.subLongitudeDeg, 1e-5);
  }
  double highest = 0.0;
  for (std::size_t i = 1; i < track.size(); ++i) {
    EXPECT_LT(std::fabs(track[i].at.longitudeDeg - track[i - 1].at.longitudeDeg), 10.0);
    highest = std::max(highest, std::fabs(track[i].at.latitudeDeg));
  }
  EXPECT_NEAR(highest, 51.6, 0.5);
  // One turn eastward round the Earth, less what the Earth has turned under
  // it meanwhile: about 23 degrees for a 93-minute orbit.
  const double drift = track.back().at.longitudeDeg - track.front().at.longitudeDeg;
  EXPECT_NEAR(drift, 360.0 - 360.0 * period / 86164.1, 1.5);
  EXPECT_NEAR(track.back().at.latitudeDeg, track.front().at.latitudeDeg, 1.0);
}

}  // namespace
}  // namespace tervane

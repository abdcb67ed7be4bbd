#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tracker/look_angles.h"

namespace tervane {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Inertial {
  double xKm, yKm, zKm;
};

// Above the equator at a right ascension (degrees) and radius.
Inertial overEquator(double rightAscensionDeg, double radiusKm) {
  const double rad = rightAscensionDeg * kPi / 180.0;
  return {radiusKm * std::cos(rad), radiusKm * std::sin(rad), 0.0};
}

TEST(LookAngles, FromAStationOnTheEquator) {
  struct Row {
    const char* what;
    Inertial satellite;
    double siderealRad;
    double azimuthDeg, elevationDeg, subLongitudeDeg;
  };
  const double north = kEarthRadiusKm * kPolarRadiusRatio + 2000.0;
  const Row rows[] = {
      {"due west is -90, not 270", overEquator(-20, 7000), 0.0, -90.0, NAN, -20.0},
      {"due east", overEquator(20, 7000), 0.0, 90.0, NAN, 20.0},
      {"due north", {7000, 0, north}, 0.0, 0.0, NAN, 0.0},
      {"due south", {7000, 0, -north}, 0.0, 180.0, NAN, 0.0},
      {"the Earth turned a quarter and more under it: west", overEquator(90, 7000), kPi / 2 + 0.3, -90.0, NAN,
       -0.3 * 180 / kPi},
      {"sub-satellite longitude -190 is shown as 170", overEquator(-170, 7000), 20 * kPi / 180, NAN, NAN, 170.0},
      {"the antipode is straight down", overEquator(180, 7000), 0.0, NAN, -90.0, NAN},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const LookAngles look = lookAnglesFrom(row.satellite.xKm, row.satellite.yKm, row.satellite.zKm, row.siderealRad,
                                           stationGeometry(0.0, 0.0));
    if (!std::isnan(row.azimuthDeg)) {
      EXPECT_NEAR(look.azimuthDeg, row.azimuthDeg, 1e-6);
    }
    if (!std::isnan(row.elevationDeg)) {
      EXPECT_NEAR(look.elevationDeg, row.elevationDeg, 1e-5);
    }
    if (!std::isnan(row.subLongitudeDeg)) {
      EXPECT_NEAR(look.subLongitudeDeg, row.subLongitudeDeg, 1e-5);
    }
  }
}

TEST(LookAngles, StraightOverheadElevationIs90AndRangeIsAltitude) {
  const LookAngles look = lookAnglesFrom(kEarthRadiusKm + 800.0, 0.0, 0.0, 0.0, stationGeometry(0.0, 0.0));
  // Radians become degrees through the model's 0.0174532925, so the zenith
  // reads 90.0000001.
  EXPECT_NEAR(look.elevationDeg, 90.0, 2e-7);
  EXPECT_NEAR(look.rangeKm, 800.0, 1e-9);
  EXPECT_DOUBLE_EQ(look.rangeKm, look.altitudeKm);
  EXPECT_DOUBLE_EQ(look.subLatitudeDeg, 0.0);
}

TEST(LookAngles, UpIsTheEllipsoidNormalAtMidLatitude) {
  // 1000 km along the vertical above a station at 45 N 30 E, rotated into
  // inertial axes with a sidereal angle of 1.1 rad.
  const StationGeometry station = stationGeometry(45.0, 30.0);
  const double theta = 1.1;
  const double ex = station.xKm + 1000.0 * station.cosLatitude * station.cosLongitude;
  const double ey = station.yKm + 1000.0 * station.cosLatitude * station.sinLongitude;
  const double ez = station.zKm + 1000.0 * station.sinLatitude;
  const LookAngles look = lookAnglesFrom(ex * std::cos(theta) - ey * std::sin(theta),
                                         ex * std::sin(theta) + ey * std::cos(theta), ez, theta, station);
  EXPECT_NEAR(look.elevationDeg, 90.0, 1e-5);
  EXPECT_NEAR(look.rangeKm, 1000.0, 1e-6);
  EXPECT_NEAR(look.subLongitudeDeg, 30.0, 1e-9);
}

TEST(LookAngles, HorizonHeightIsRangeTimesSineOfElevation) {
  // Over any station, at any sidereal angle, anywhere from low orbits to
  // beyond the geostationary ring, and every other time within a metre of
  // the station's horizon plane: the crossing search takes the elevation's
  // sign from this height.
  std::mt19937 random(42);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> distance(300.0, 45000.0);
  for (int i = 0; i < 20000; ++i) {
    const StationGeometry station = stationGeometry(90.0 * unit(random), 180.0 * unit(random));
    const double up[3] = {station.cosLatitude * station.cosLongitude, station.cosLatitude * station.sinLongitude,
                          station.sinLatitude};
    double way[3] = {unit(random), unit(random), unit(random)};
    const double along = i % 2 == 0 ? way[0] * up[0] + way[1] * up[1] + way[2] * up[2] : 0.0;
    for (int k = 0; k < 3; ++k) way[k] -= along * up[k];
    const double length = std::sqrt(way[0] * way[0] + way[1] * way[1] + way[2] * way[2]);
    const double reach = distance(random);
    const double lift = i % 2 == 0 ? 1e-3 * unit(random) : 0.0;
    double fixed[3];
    for (int k = 0; k < 3; ++k) fixed[k] = way[k] / length * reach + lift * up[k];
    fixed[0] += station.xKm;
    fixed[1] += station.yKm;
    fixed[2] += station.zKm;
    if (std::sqrt(fixed[0] * fixed[0] + fixed[1] * fixed[1] + fixed[2] * fixed[2]) < kEarthRadiusKm + 100.0) continue;
    const double theta = kPi * (1.0 + unit(random));
    const double x = fixed[0] * std::cos(theta) - fixed[1] * std::sin(theta);
    const double y = fixed[0] * std::sin(theta) + fixed[1] * std::cos(theta);
    const LookAngles look = lookAnglesFrom(x, y, fixed[2], theta, station);
    const double height = horizonHeightFrom(x, y, fixed[2], theta, station);
    EXPECT_NEAR(height, look.rangeKm * std::sin(look.elevationDeg * kRadPerDeg), 1e-3 * kHorizonHeightToleranceKm);
    if (std::fabs(height) > kHorizonHeightToleranceKm) {
      EXPECT_EQ(height > 0.0, look.elevationDeg > 0.0);
    }
  }
}

TEST(LookAngles, LongitudeWrapsIntoHalfTurns) {
  const double rows[][2] = {{-190, 170}, {185, -175}, {-180, -180}, {180, 180}, {-540.5, 179.5}, {725, 5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    EXPECT_DOUBLE_EQ(wrapLongitudeDeg(row[0]), row[1]);
  }
  EXPECT_TRUE(std::isnan(wrapLongitudeDeg(NAN)));
}

}  // namespace
}  // namespace tervane

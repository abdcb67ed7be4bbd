#include <gtest/gtest.h>

#include <cmath>

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

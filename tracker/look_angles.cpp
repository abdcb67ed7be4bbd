#include "tracker/look_angles.h"

#include <cmath>

namespace tervane {

StationGeometry stationGeometry(double latitudeDeg, double longitudeDeg) {
  StationGeometry s;
  s.latitudeRad = latitudeDeg * kRadPerDeg;
  const double longitudeRad = longitudeDeg * kRadPerDeg;
  const double geocentricLatitude = std::atan(kGeocentricTanRatio * std::tan(s.latitudeRad));
  const double polarRadiusKm = kEarthRadiusKm * kPolarRadiusRatio;
  s.sinLatitude = std::sin(s.latitudeRad);
  s.cosLatitude = std::cos(s.latitudeRad);
  s.sinLongitude = std::sin(longitudeRad);
  s.cosLongitude = std::cos(longitudeRad);
  s.xKm = kEarthRadiusKm * std::cos(geocentricLatitude) * s.cosLongitude;
  s.yKm = kEarthRadiusKm * std::cos(geocentricLatitude) * s.sinLongitude;
  s.zKm = polarRadiusKm * std::sin(geocentricLatitude);
  return s;
}

double wrapLongitudeDeg(double longitudeDeg) {
  if (!std::isfinite(longitudeDeg)) return longitudeDeg;
  while (longitudeDeg < -180.0) longitudeDeg += 360.0;
  while (longitudeDeg > 180.0) longitudeDeg -= 360.0;
  return longitudeDeg;
}

LookAngles lookAnglesFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station) {
  const double polarRadiusKm = kEarthRadiusKm * kPolarRadiusRatio;
  const double equatorialDistanceKm = std::sqrt(xKm * xKm + yKm * yKm);
  const double subLatitude = std::atan(zKm / equatorialDistanceKm);
  const double rightAscension = std::atan2(yKm, xKm);
  const double subLongitude = rightAscension - siderealRad;
  const double radiusKm = std::sqrt(xKm * xKm + yKm * yKm + zKm * zKm);

  const double cosSubLatitude = std::cos(subLatitude);
  const double sinSubLatitude = std::sin(subLatitude);
  const double xs = radiusKm * cosSubLatitude * std::cos(subLongitude);
  const double ys = radiusKm * cosSubLatitude * std::sin(subLongitude);
  const double zs = zKm;

  LookAngles look;
  look.altitudeKm = radiusKm - std::sqrt(polarRadiusKm * polarRadiusKm * sinSubLatitude * sinSubLatitude +
                                         kEarthRadiusKm * kEarthRadiusKm * cosSubLatitude * cosSubLatitude);

  const double dx = xs - station.xKm;
  const double dy = ys - station.yKm;
  const double dz = zs - station.zKm;
  look.rangeKm = std::sqrt(dx * dx + dy * dy + dz * dz);

  const double east = -station.sinLongitude * dx + station.cosLongitude * dy;
  const double north = -station.sinLatitude * station.cosLongitude * dx -
                       station.sinLatitude * station.sinLongitude * dy + station.cosLatitude * dz;
  const double up = station.cosLatitude * station.cosLongitude * dx +
                    station.cosLatitude * station.sinLongitude * dy + station.sinLatitude * dz;
  look.azimuthDeg = std::atan2(east, north) / kRadPerDeg;
  // Straight overhead, rounding can put up / range a hair above 1.
  double sineElevation = up / look.rangeKm;
  if (sineElevation > 1.0) sineElevation = 1.0;
  if (sineElevation < -1.0) sineElevation = -1.0;
  look.elevationDeg = std::asin(sineElevation) / kRadPerDeg;
  look.subLatitudeDeg = subLatitude / kRadPerDeg;
  look.subLongitudeDeg = wrapLongitudeDeg(subLongitude / kRadPerDeg);
  return look;
}

}  // namespace tervane

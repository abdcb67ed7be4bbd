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

namespace {

// Where the satellite is against the station, in the Earth-fixed frame.
// The look angles and the elevation alone are both taken from here, each
// step once in the program, so the crossing search sees exactly the
// elevation that the look angles show.
struct Relative {
  double subLatitudeRad;
  double subLongitudeRad;
  double radiusKm;
  double sinSubLatitude;
  double cosSubLatitude;
  double dx, dy, dz;  // satellite less station
  double rangeKm;
};

[[gnu::noinline]] Relative relativeTo(double xKm, double yKm, double zKm, double siderealRad,
                                      const StationGeometry& station) {
  Relative r;
  const double equatorialDistanceKm = std::sqrt(xKm * xKm + yKm * yKm);
  r.subLatitudeRad = std::atan(zKm / equatorialDistanceKm);
  const double rightAscension = std::atan2(yKm, xKm);
  r.subLongitudeRad = rightAscension - siderealRad;
  r.radiusKm = std::sqrt(xKm * xKm + yKm * yKm + zKm * zKm);
  r.cosSubLatitude = std::cos(r.subLatitudeRad);
  r.sinSubLatitude = std::sin(r.subLatitudeRad);
  const double xs = r.radiusKm * r.cosSubLatitude * std::cos(r.subLongitudeRad);
  const double ys = r.radiusKm * r.cosSubLatitude * std::sin(r.subLongitudeRad);
  const double zs = zKm;
  r.dx = xs - station.xKm;
  r.dy = ys - station.yKm;
  r.dz = zs - station.zKm;
  r.rangeKm = std::sqrt(r.dx * r.dx + r.dy * r.dy + r.dz * r.dz);
  return r;
}

[[gnu::noinline]] double elevationDegOf(const Relative& r, const StationGeometry& station) {
  const double up = station.cosLatitude * station.cosLongitude * r.dx +
                    station.cosLatitude * station.sinLongitude * r.dy + station.sinLatitude * r.dz;
  // Straight overhead, rounding can put up / range a hair above 1.
  double sineElevation = up / r.rangeKm;
  if (sineElevation > 1.0) sineElevation = 1.0;
  if (sineElevation < -1.0) sineElevation = -1.0;
  return std::asin(sineElevation) / kRadPerDeg;
}

}  // namespace

LookAngles lookAnglesFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station) {
  const Relative r = relativeTo(xKm, yKm, zKm, siderealRad, station);
  const double polarRadiusKm = kEarthRadiusKm * kPolarRadiusRatio;
  LookAngles look;
  look.altitudeKm = r.radiusKm - std::sqrt(polarRadiusKm * polarRadiusKm * r.sinSubLatitude * r.sinSubLatitude +
                                           kEarthRadiusKm * kEarthRadiusKm * r.cosSubLatitude * r.cosSubLatitude);
  look.rangeKm = r.rangeKm;
  const double east = -station.sinLongitude * r.dx + station.cosLongitude * r.dy;
  const double north = -station.sinLatitude * station.cosLongitude * r.dx -
                       station.sinLatitude * station.sinLongitude * r.dy + station.cosLatitude * r.dz;
  look.azimuthDeg = std::atan2(east, north) / kRadPerDeg;
  look.elevationDeg = elevationDegOf(r, station);
  look.subLatitudeDeg = r.subLatitudeRad / kRadPerDeg;
  look.subLongitudeDeg = wrapLongitudeDeg(r.subLongitudeRad / kRadPerDeg);
  return look;
}

ElevationRange elevationFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station) {
  const Relative r = relativeTo(xKm, yKm, zKm, siderealRad, station);
  return ElevationRange{elevationDegOf(r, station), r.rangeKm};
}

double horizonHeightFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station) {
  const double cosTurn = std::cos(siderealRad);
  const double sinTurn = std::sin(siderealRad);
  const double dx = xKm * cosTurn + yKm * sinTurn - station.xKm;
  const double dy = yKm * cosTurn - xKm * sinTurn - station.yKm;
  const double dz = zKm - station.zKm;
  return station.cosLatitude * station.cosLongitude * dx + station.cosLatitude * station.sinLongitude * dy +
         station.sinLatitude * dz;
}

}  // namespace tervane

#pragma once
// How a satellite looks from the station: azimuth, elevation and range on an
// oblate Earth, with the sub-satellite point and the altitude.

namespace tervane {

struct LookAngles {
  double azimuthDeg = 0.0;       // from north through east, -180 to +180
  double elevationDeg = 0.0;
  double rangeKm = 0.0;
  double subLatitudeDeg = 0.0;   // north positive
  double subLongitudeDeg = 0.0;  // east positive, -180 to +180
  double altitudeKm = 0.0;
};

inline constexpr double kEarthRadiusKm = 6378.135;          // equatorial radius of the SGP constants
inline constexpr double kRadPerDeg = 0.0174532925;
inline constexpr double kPolarRadiusRatio = 0.9966476701307408;   // b / Re
inline constexpr double kGeocentricTanRatio = 0.9933065783770341; // (b / Re)²

// The station's fixed quantities, computed once per station position.
struct StationGeometry {
  double latitudeRad = 0.0;   // geodetic
  double sinLatitude = 0.0;
  double cosLatitude = 1.0;
  double sinLongitude = 0.0;
  double cosLongitude = 1.0;
  double xKm = 0.0;           // Earth-fixed position
  double yKm = 0.0;
  double zKm = 0.0;
};

StationGeometry stationGeometry(double latitudeDeg, double longitudeDeg);

// Look angles of a satellite at inertial position (xKm, yKm, zKm) when the
// Greenwich sidereal angle is siderealRad.
LookAngles lookAnglesFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station);

// The elevation and range alone, exactly as lookAnglesFrom gives them.
struct ElevationRange {
  double elevationDeg = 0.0;
  double rangeKm = 0.0;
};
ElevationRange elevationFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station);

// The satellite's height above the station's horizon plane in kilometres,
// from the inertial position turned by the sidereal angle directly. It is
// range × sine of the elevation up to rounding far below
// kHorizonHeightToleranceKm, so wherever it is further than that from 0 it
// has the sign of the elevation lookAnglesFrom gives.
double horizonHeightFrom(double xKm, double yKm, double zKm, double siderealRad, const StationGeometry& station);
inline constexpr double kHorizonHeightToleranceKm = 1.0e-6;

// Brings a longitude into -180..+180 by whole turns.
double wrapLongitudeDeg(double longitudeDeg);

}  // namespace tervane

#pragma once
// Where a satellite can be heard: its footprint (the area of the Earth from
// which it stands above the horizon) and the ground track of its next orbit,
// for drawing on the map. A spherical Earth of the model's equatorial radius.

#include <cstdint>
#include <vector>

#include "tracker/orbit_model.h"

namespace tervane {

struct SurfacePoint {
  double latitudeDeg = 0.0;
  double longitudeDeg = 0.0;  // unwrapped: a line keeps going past ±180 rather than jumping
};

// Angle at the Earth's centre between the sub-satellite point and the
// footprint's edge, and the same as a distance along the ground.
double footprintAngleRad(double altitudeKm);
double footprintRadiusKm(double altitudeKm);

// The footprint's edge as a closed ring of points around the sub-satellite
// point, longitudes continuous from the sub-satellite longitude. A footprint
// that covers a pole is closed over that pole (latitude ±90 at both ends),
// so that filling the ring on a map covers the right side.
std::vector<SurfacePoint> footprintRing(const SurfacePoint& subPoint, double altitudeKm, int points = 120);

// One orbit of sub-satellite points from startUnix, every stepSeconds, with
// continuous longitudes. The period comes from the mean motion; the model
// is left propagated to the last point.
struct TrackPoint {
  std::int64_t unixSeconds = 0;
  SurfacePoint at;
};
std::vector<TrackPoint> groundTrack(OrbitModel& model, std::int64_t startUnix, int stepSeconds = 30);

// The period of one revolution in seconds; 0 without a mean motion.
double orbitalPeriodSeconds(const OrbitModel& model);

}  // namespace tervane

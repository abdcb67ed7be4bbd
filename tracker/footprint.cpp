#include "tracker/footprint.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tracker/look_angles.h"

namespace tervane {

namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;
constexpr double kSecondsPerDay = 86400.0;

// The longitude nearest to reference that names the same meridian as lon.
double continuous(double lon, double reference) { return lon - 360.0 * std::round((lon - reference) / 360.0); }

}  // namespace

double footprintAngleRad(double altitudeKm) {
  if (!(altitudeKm > 0.0)) return 0.0;
  return std::acos(kEarthRadiusKm / (kEarthRadiusKm + altitudeKm));
}

double footprintRadiusKm(double altitudeKm) { return kEarthRadiusKm * footprintAngleRad(altitudeKm); }

std::vector<SurfacePoint> footprintRing(const SurfacePoint& subPoint, double altitudeKm, int points) {
  std::vector<SurfacePoint> ring;
  const double delta = footprintAngleRad(altitudeKm);
  if (!(delta > 0.0) || points < 3) return ring;
  const double lat1 = subPoint.latitudeDeg / kDegPerRad;
  const double sinLat1 = std::sin(lat1);
  const double cosLat1 = std::cos(lat1);
  ring.reserve(static_cast<std::size_t>(points) + 2);
  // Bearings from due south round through west, north and east, so that a
  // pole inside the footprint is passed in the middle of the ring.
  for (int i = 0; i < points; ++i) {
    const double bearing = std::numbers::pi + 2.0 * std::numbers::pi * i / points;
    const double sinLat2 = sinLat1 * std::cos(delta) + cosLat1 * std::sin(delta) * std::cos(bearing);
    const double lat2 = std::asin(std::clamp(sinLat2, -1.0, 1.0));
    const double dLon = std::atan2(std::sin(bearing) * std::sin(delta) * cosLat1, std::cos(delta) - sinLat1 * sinLat2);
    const double lon = subPoint.longitudeDeg + dLon * kDegPerRad;
    ring.push_back({lat2 * kDegPerRad, ring.empty() ? lon : continuous(lon, ring.back().longitudeDeg)});
  }
  const double turned = ring.back().longitudeDeg - ring.front().longitudeDeg;
  if (std::fabs(turned) > 180.0) {
    const double pole = subPoint.latitudeDeg >= 0.0 ? 90.0 : -90.0;
    ring.push_back({pole, ring.back().longitudeDeg});
    ring.push_back({pole, ring.front().longitudeDeg});
  }
  return ring;
}

double orbitalPeriodSeconds(const OrbitModel& model) {
  const double revPerDay = model.elements().meanMotion;
  return revPerDay > 0.0 ? kSecondsPerDay / revPerDay : 0.0;
}

std::vector<TrackPoint> groundTrack(OrbitModel& model, std::int64_t startUnix, int stepSeconds) {
  std::vector<TrackPoint> track;
  const double period = orbitalPeriodSeconds(model);
  if (!(period > 0.0) || stepSeconds <= 0) return track;
  const auto steps = static_cast<std::int64_t>(std::ceil(period / stepSeconds));
  track.reserve(static_cast<std::size_t>(steps) + 1);
  for (std::int64_t i = 0; i <= steps; ++i) {
    const std::int64_t t = startUnix + std::min<std::int64_t>(i * stepSeconds, static_cast<std::int64_t>(std::ceil(period)));
    model.propagate(t);
    const LookAngles look = model.lookAngles(0.0, 0.0);
    if (!std::isfinite(look.subLatitudeDeg) || !std::isfinite(look.subLongitudeDeg)) break;
    const double lon = track.empty() ? look.subLongitudeDeg : continuous(look.subLongitudeDeg, track.back().at.longitudeDeg);
    track.push_back({t, {look.subLatitudeDeg, lon}});
  }
  return track;
}

}  // namespace tervane

#include "tracker/crossing.h"

#include <algorithm>
#include <cmath>

#include "tracker/orbit_model.h"
#include "tracker/sidereal.h"

namespace tervane {
namespace {

// Allowance for rounding in the computed elevation: asin near the zenith
// loses up to about 1.5e-8 rad; everything else is far smaller.
constexpr double kElevationMarginRad = 1.0e-7;

double elevationAt(OrbitModel& model, std::int64_t unixSeconds, const StationGeometry& station, double* rangeKm) {
  model.propagate(unixSeconds);
  const LookAngles look = model.lookAngles(station);
  if (rangeKm != nullptr) *rangeKm = look.rangeKm;
  return look.elevationDeg;
}

}  // namespace

std::int64_t signKeepingSeconds(double elevationDeg, double rangeKm, const MotionBound& bound) {
  // The elevation is the angle between the line of sight and the station's
  // horizon plane, so it changes no faster than the line of sight turns:
  // |d el/dt| <= v / ρ for a satellite moving at speed v (in the Earth-fixed
  // frame, where station and horizon stand still) at range ρ. With v <= V
  // the range after s seconds is at least ρ - V s, and the elevation has
  // moved by at most ∫ V / (ρ - V s) ds = ln(ρ / (ρ - V s)), which stays
  // below a budget x for s < (ρ / V) (1 - exp(-x)).
  // Keeping x <= ln 2 keeps the range above ρ / 2, where a step of J km in
  // the modelled position turns the line of sight by less than 4 J / ρ; two
  // such steps are allowed for.
  const double speed = bound.speedKmPerSec;
  if (!(speed > 0.0) || !std::isfinite(speed)) return 1;
  if (!(rangeKm > 0.0) || !std::isfinite(rangeKm) || !(bound.jumpKm < rangeKm / 4.0)) return 1;
  const double budgetRad = std::fabs(elevationDeg) * kRadPerDeg - kElevationMarginRad - 8.0 * bound.jumpKm / rangeKm;
  if (!(budgetRad > 0.0)) return 1;
  const double seconds = rangeKm / speed * -std::expm1(-std::min(budgetRad, std::log(2.0)));
  if (!(seconds >= 2.0)) return 1;
  return static_cast<std::int64_t>(std::min(seconds, static_cast<double>(kCrossingWindowSeconds)));
}

std::optional<std::int64_t> findCrossingStepwise(OrbitModel& model, std::int64_t startUnix,
                                                 const StationGeometry& station) {
  double previous = 0.0;
  for (std::int64_t t = startUnix; t < startUnix + kCrossingWindowSeconds; ++t) {
    const double elevation = elevationAt(model, t, station, nullptr);
    if (elevation * previous < 0.0) return t;
    previous = elevation;
  }
  return std::nullopt;
}

std::optional<std::int64_t> findCrossingWithBound(OrbitModel& model, std::int64_t startUnix,
                                                  const StationGeometry& station, const MotionBound& bound) {
  const std::int64_t last = startUnix + kCrossingWindowSeconds - 1;
  // A model that has not computed a sidereal angle yet propagates the first
  // second with its rounded 2π, which can put that one position tens of
  // metres off the orbit; no skip is based on it.
  bool maySkip = model.twoPi() == kFullTurnRad;
  double rangeKm = 0.0;
  double previous = elevationAt(model, startUnix, station, &rangeKm);
  std::int64_t t = startUnix;
  while (t < last) {
    const std::int64_t stride = maySkip ? signKeepingSeconds(previous, rangeKm, bound) : 1;
    maySkip = true;
    const std::int64_t next = std::min(last, t + stride);
    const double elevation = elevationAt(model, next, station, &rangeKm);
    if (next == t + 1) {
      if (elevation * previous < 0.0) return next;
    } else if (!(elevation * previous > 0.0)) {
      // The skipped seconds were meant to keep the sign. Should a bound ever
      // fail, go over them one by one rather than report a wrong second.
      double before = previous;
      for (std::int64_t s = t + 1; s < next; ++s) {
        const double between = elevationAt(model, s, station, nullptr);
        if (between * before < 0.0) return s;
        before = between;
      }
      if (elevation * before < 0.0) return next;
    }
    previous = elevation;
    t = next;
  }
  return std::nullopt;
}

std::optional<std::int64_t> findCrossingBounded(OrbitModel& model, std::int64_t startUnix,
                                                const StationGeometry& station) {
  model.propagate(startUnix);
  const MotionBound bound = model.motionBound(startUnix, startUnix + kCrossingWindowSeconds - 1);
  return findCrossingWithBound(model, startUnix, station, bound);
}

}  // namespace tervane

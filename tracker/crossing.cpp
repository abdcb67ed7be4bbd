#include "tracker/crossing.h"

#include <algorithm>
#include <cmath>

#include "tracker/orbit_model.h"
#include "tracker/sidereal.h"

namespace tervane {
namespace {

// Allowance for rounding in the height above the horizon plane.
constexpr double kHeightMarginKm = kHorizonHeightToleranceKm;

// One look at the satellite during the search.
struct Look {
  std::int64_t unixSeconds;
  int side;         // the elevation's sign: +1 above the horizon, -1 below, 0 on it
  double heightKm;  // above the station's horizon plane
};

// The height alone tells the side, except within a hair of the horizon
// plane, where the elevation itself decides.
Look lookAt(OrbitModel& model, std::int64_t unixSeconds, const StationGeometry& station) {
  model.propagate(unixSeconds);
  const double heightKm = model.horizonHeightKm(station);
  if (std::fabs(heightKm) > kHorizonHeightToleranceKm) return Look{unixSeconds, heightKm > 0.0 ? 1 : -1, heightKm};
  const double elevation = model.elevation(station).elevationDeg;
  return Look{unixSeconds, elevation > 0.0 ? 1 : (elevation < 0.0 ? -1 : 0), heightKm};
}

}  // namespace

double elevationAt(OrbitModel& model, std::int64_t unixSeconds, const StationGeometry& station) {
  model.propagate(unixSeconds);
  return model.elevation(station).elevationDeg;
}

std::int64_t signKeepingSeconds(double heightKm, double earlierHeightKm, std::int64_t sinceSeconds,
                                const MotionBound& bound) {
  // The elevation has the sign of the satellite's height d above the
  // station's horizon plane. In the Earth-fixed frame, where station and
  // plane stand still, |d'| <= V and |d''| <= A, and the modelled position
  // may step by J at most twice. On the satellite's side of the plane
  // (d > 0 now), with no earlier look:
  //   d(now + s) >= d - 2J - V s;
  // with a look h seconds earlier, Taylor's theorem gives
  //   d'(now) >= (d - d_earlier - 2J) / h - A h / 2,
  //   d(now + s) >= d - 2J + d'(now) s - A s² / 2,
  // which stays positive for s below the larger root of the right side.
  const double speed = bound.speedKmPerSec;
  if (!(speed > 0.0) || !std::isfinite(speed)) return 1;
  const double side = heightKm > 0.0 ? 1.0 : -1.0;
  const double depth = side * heightKm;
  const double steps = 2.0 * bound.jumpKm + kHeightMarginKm;
  const double clear = depth - steps - kHeightMarginKm;
  if (!(clear > 0.0)) return 1;
  double seconds = clear / speed;
  const double acceleration = bound.accelerationKmPerSec2;
  const double earlierDepth = side * earlierHeightKm;
  if (sinceSeconds >= 1 && earlierDepth > 0.0 && acceleration > 0.0 && std::isfinite(acceleration)) {
    const double h = static_cast<double>(sinceSeconds);
    const double rate = std::max(-speed, (depth - earlierDepth - steps) / h - acceleration * h / 2.0);
    seconds = std::max(seconds, (rate + std::sqrt(rate * rate + 2.0 * acceleration * clear)) / acceleration);
  }
  if (!(seconds >= 2.0)) return 1;
  // The sign is certain for every s below the bound, not at the bound itself.
  const double whole = std::ceil(std::min(seconds, static_cast<double>(kCrossingWindowSeconds) + 1.0)) - 1.0;
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(whole));
}

std::optional<std::int64_t> findCrossingStepwise(OrbitModel& model, std::int64_t startUnix,
                                                 const StationGeometry& station) {
  double previous = 0.0;
  for (std::int64_t t = startUnix; t < startUnix + kCrossingWindowSeconds; ++t) {
    const double elevation = elevationAt(model, t, station);
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
  const bool firstIsExact = model.twoPi() == kFullTurnRad;
  Look current = lookAt(model, startUnix, station);
  std::optional<Look> earlier;
  bool maySkip = firstIsExact;
  while (current.unixSeconds < last) {
    const std::int64_t t = current.unixSeconds;
    std::int64_t stride = 1;
    if (maySkip) {
      stride = earlier ? signKeepingSeconds(current.heightKm, earlier->heightKm, t - earlier->unixSeconds, bound)
                       : signKeepingSeconds(current.heightKm, 0.0, 0, bound);
      earlier = current;
    }
    maySkip = true;
    const std::int64_t next = std::min(last, t + stride);
    const Look look = lookAt(model, next, station);
    if (next == t + 1) {
      if (look.side * current.side < 0) return next;
    } else if (look.side * current.side <= 0) {
      // The skipped seconds were meant to keep the sign. Should a bound ever
      // fail, go over them one by one rather than report a wrong second.
      double before = current.side;
      for (std::int64_t s = t + 1; s < next; ++s) {
        const double between = elevationAt(model, s, station);
        if (between * before < 0.0) return s;
        before = between;
      }
      if (look.side * before < 0.0) return next;
    }
    current = look;
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

#pragma once
// The horizon crossing search: the first second after a start, within 24
// hours, whose elevation has the opposite sign to the elevation one second
// earlier (a rise or a set). The start second itself never reports.

#include <cstdint>
#include <optional>

#include "tracker/look_angles.h"
#include "tracker/orbit_model.h"

namespace tervane {

inline constexpr std::int64_t kCrossingWindowSeconds = 86400;

// Once a predicted crossing has passed (at the first second after it), the
// tracker searches for the next one from this many seconds later.
inline constexpr std::int64_t kResearchDelaySeconds = 2;

// Where the tracker's search for the crossing after the given one starts.
constexpr std::int64_t nextCrossingSearchStart(std::int64_t crossingUnix) {
  return crossingUnix + 1 + kResearchDelaySeconds;
}

// Moves the model to the second and gives the elevation from the station.
double elevationAt(OrbitModel& model, std::int64_t unixSeconds, const StationGeometry& station);

// The search the tracker uses. It returns exactly the second that the
// second-by-second search returns, but evaluates only the seconds at which
// a sign change cannot be ruled out.
std::optional<std::int64_t> findCrossingBounded(OrbitModel& model, std::int64_t startUnix,
                                                const StationGeometry& station);

// The same search with a given bound on the satellite's motion; no speed
// bound (NaN or not positive) gives the plain search.
std::optional<std::int64_t> findCrossingWithBound(OrbitModel& model, std::int64_t startUnix,
                                                  const StationGeometry& station, const MotionBound& bound);

// The plain search: every second of the window, in order.
std::optional<std::int64_t> findCrossingStepwise(OrbitModel& model, std::int64_t startUnix,
                                                 const StationGeometry& station);

// How many seconds ahead the elevation certainly keeps its sign, given the
// satellite's height above the station's horizon plane (range × sine of the
// elevation) now and a bound on its motion relative to the station; at least
// 1. With sinceSeconds of 1 or more, earlierHeightKm is the height that many
// seconds earlier, and the trend of the two lengthens the answer.
std::int64_t signKeepingSeconds(double heightKm, double earlierHeightKm, std::int64_t sinceSeconds,
                                const MotionBound& bound);

}  // namespace tervane

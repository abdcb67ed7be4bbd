#pragma once
// Upcoming passes of the tracked satellites over the station: each pass from
// its rise to its set, with its highest point between. Rises and sets come
// from the tracker's own crossing search, chained as the tracker chains it,
// so each falls on the very second that Tracker Status counts down to.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "tracker/element_record.h"
#include "tracker/look_angles.h"
#include "tracker/orbit_model.h"

namespace tervane {

inline constexpr int kMostPassDays = 7;

struct SatellitePass {
  // The first second above the horizon; none when the satellite has been up
  // for the whole day before the table starts.
  std::optional<std::int64_t> riseUnix;
  double riseAzimuthDeg = 0.0;
  // The second of the greatest elevation.
  std::int64_t culminationUnix = 0;
  double maxElevationDeg = 0.0;
  // The first second below the horizon again; none when the satellite stays
  // up for a whole day.
  std::optional<std::int64_t> setUnix;
  double setAzimuthDeg = 0.0;

  std::optional<std::int64_t> durationSeconds() const;
  bool inView(std::int64_t unixSeconds) const;
};

// The passes of one satellite that are still to come or under way at
// fromUnix and rise before untilUnix, in time order, at most `most` of them.
// A pass under way at fromUnix is given from its rise; a pass that rises
// before untilUnix is given up to its set, even when it sets later.
std::vector<SatellitePass> predictPasses(OrbitModel& model, const StationGeometry& station, std::int64_t fromUnix,
                                         std::int64_t untilUnix, std::size_t most = SIZE_MAX);

// One row of the table of all satellites: the satellite's index in the list
// given, and one of its passes.
struct PassRow {
  int satellite = 0;
  SatellitePass pass;
};

// The passes of every satellite over the given number of days (1 to
// kMostPassDays) from fromUnix, sorted by rise (passes under way first, then
// by satellite). Satellites whose element lines do not read as numbers have
// no passes.
std::vector<PassRow> passTable(const std::vector<ElementRecord>& satellites, double latitudeDeg, double longitudeDeg,
                               std::int64_t fromUnix, int days);

// The satellite's path across the sky during a pass, one point every
// stepSeconds from the rise to the last second above the horizon (both
// included), with the azimuth and elevation the tracker would show.
struct SkyPoint {
  std::int64_t unixSeconds = 0;
  double azimuthDeg = 0.0;
  double elevationDeg = 0.0;
};
std::vector<SkyPoint> passTrack(OrbitModel& model, const StationGeometry& station, const SatellitePass& pass,
                                std::int64_t stepSeconds);

// Where a direction in the sky lies on a polar sky plot of unit radius:
// north up, east to the right, the zenith at the centre and the horizon on
// the unit circle (distance from the centre proportional to 90° less the
// elevation).
struct PlotPoint {
  double x = 0.0;  // to the right
  double y = 0.0;  // up
};
PlotPoint skyPlotPoint(double azimuthDeg, double elevationDeg);

}  // namespace tervane

#include "tracker/pass_table.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>
#include <thread>

#include "tracker/crossing.h"
#include "tracker/elements.h"

namespace tervane {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// How far back, and in what steps, the rise of a pass under way is looked for.
constexpr std::int64_t kLookBackStepSeconds = 60;
// Most threads one pass table is worked out on.
constexpr std::size_t kMostPassThreads = 4;
// A long pass is looked at this often before its highest second is narrowed
// down, in case it has more than one top.
constexpr std::int64_t kCulminationLookSeconds = 1800;

LookAngles lookAt(OrbitModel& model, std::int64_t unixSeconds, const StationGeometry& station) {
  model.propagate(unixSeconds);
  return model.lookAngles(station);
}

struct Highest {
  std::int64_t unixSeconds;
  double elevationDeg;
};

// The highest second from first to last, for an elevation that rises to one
// top and falls again. A long pass is first looked at every half hour, in
// case it has more than one top. Then a bracket around the top (a second at
// least as high as the two at its ends) is narrowed by the vertex of the
// parabola through its three seconds, and by halving when that gains too
// little, until the top second lies between its two neighbours.
Highest highestSecond(OrbitModel& model, const StationGeometry& station, std::int64_t first, std::int64_t last) {
  const auto at = [&](std::int64_t t) { return Highest{t, elevationAt(model, t, station)}; };
  Highest left = at(first);
  Highest right = at(last);
  const auto higher = [](const Highest& a, const Highest& b) { return a.elevationDeg < b.elevationDeg; };
  const std::int64_t looks = (last - first) / kCulminationLookSeconds;
  if (looks > 1) {
    std::vector<Highest> seen{left};
    for (std::int64_t k = 1; k < looks; ++k) seen.push_back(at(first + (last - first) * k / looks));
    seen.push_back(right);
    const auto top = std::max_element(seen.begin(), seen.end(), higher);
    if (top == seen.begin() || top == seen.end() - 1) return *top;
    left = *(top - 1);
    right = *(top + 1);
  }
  Highest middle = at(left.unixSeconds + (right.unixSeconds - left.unixSeconds) / 2);
  // Until the middle is the highest of the three, the top lies on the side
  // of the higher end.
  while (middle.elevationDeg < left.elevationDeg || middle.elevationDeg < right.elevationDeg) {
    (left.elevationDeg > right.elevationDeg ? right : left) = middle;
    if (right.unixSeconds - left.unixSeconds < 2) return std::max(left, right, higher);
    middle = at(left.unixSeconds + (right.unixSeconds - left.unixSeconds) / 2);
  }
  bool halve = false;
  while (right.unixSeconds - left.unixSeconds > 2) {
    const double dl = static_cast<double>(middle.unixSeconds - left.unixSeconds);
    const double dr = static_cast<double>(middle.unixSeconds - right.unixSeconds);
    const double fl = middle.elevationDeg - left.elevationDeg;
    const double fr = middle.elevationDeg - right.elevationDeg;
    const double denominator = dl * fr - dr * fl;
    const bool leftWider = middle.unixSeconds - left.unixSeconds > right.unixSeconds - middle.unixSeconds;
    std::int64_t next = 0;
    if (halve || !(denominator != 0.0)) {
      next = leftWider ? (left.unixSeconds + middle.unixSeconds) / 2 : (middle.unixSeconds + right.unixSeconds + 1) / 2;
    } else {
      const double vertex = static_cast<double>(middle.unixSeconds) - 0.5 * (dl * dl * fr - dr * dr * fl) / denominator;
      next = std::clamp(static_cast<std::int64_t>(std::llround(vertex)), left.unixSeconds + 1, right.unixSeconds - 1);
      if (next == middle.unixSeconds) next += leftWider ? -1 : 1;
    }
    const std::int64_t before = right.unixSeconds - left.unixSeconds;
    const Highest look = at(next);
    if (look.elevationDeg >= middle.elevationDeg) {
      (next < middle.unixSeconds ? right : left) = middle;
      middle = look;
    } else {
      (next < middle.unixSeconds ? left : right) = look;
    }
    // A parabola step that took off less than a quarter is followed by a halving.
    halve = !halve && 4 * (right.unixSeconds - left.unixSeconds) > 3 * before;
  }
  return middle;
}

// A second from which the chain of crossings can start so that it meets the
// rise of the pass under way at fromUnix: the latest look below the horizon
// within a day before it; none when the satellite was up all that day.
std::optional<std::int64_t> secondBeforeRise(OrbitModel& model, const StationGeometry& station,
                                             std::int64_t fromUnix) {
  for (std::int64_t back = kLookBackStepSeconds; back <= kSecondsPerDay; back += kLookBackStepSeconds) {
    if (elevationAt(model, fromUnix - back, station) < 0.0) return fromUnix - back;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> SatellitePass::durationSeconds() const {
  if (!riseUnix || !setUnix) return std::nullopt;
  return *setUnix - *riseUnix;
}

bool SatellitePass::inView(std::int64_t unixSeconds) const {
  return (!riseUnix || *riseUnix <= unixSeconds) && (!setUnix || unixSeconds < *setUnix);
}

std::vector<SatellitePass> predictPasses(OrbitModel& model, const StationGeometry& station, std::int64_t fromUnix,
                                         std::int64_t untilUnix, std::size_t most) {
  std::vector<SatellitePass> passes;
  std::int64_t searchFrom = fromUnix;
  std::optional<SatellitePass> open;
  if (elevationAt(model, fromUnix, station) > 0.0) {
    if (const auto before = secondBeforeRise(model, station, fromUnix)) {
      searchFrom = *before;
    } else {
      open.emplace();
    }
  }
  std::int64_t openFrom = fromUnix;
  const auto close = [&](std::optional<std::int64_t> setUnix, std::int64_t lastUp) {
    SatellitePass pass = *open;
    open.reset();
    if (setUnix && *setUnix <= fromUnix) return;
    pass.setUnix = setUnix;
    if (setUnix) pass.setAzimuthDeg = lookAt(model, *setUnix, station).azimuthDeg;
    const Highest top = highestSecond(model, station, pass.riseUnix.value_or(openFrom), lastUp);
    pass.culminationUnix = top.unixSeconds;
    pass.maxElevationDeg = top.elevationDeg;
    passes.push_back(pass);
  };

  while (passes.size() < most) {
    const std::optional<std::int64_t> crossing = findCrossingBounded(model, searchFrom, station);
    if (!crossing) {
      // Nothing within a day: go on from the last second searched, so that a
      // crossing right after it is still seen.
      const std::int64_t lastSearched = searchFrom + kCrossingWindowSeconds - 1;
      if (open && lastSearched >= untilUnix) {
        close(std::nullopt, lastSearched);
        break;
      }
      if (!open && lastSearched >= untilUnix) break;
      searchFrom = lastSearched;
      continue;
    }
    const LookAngles look = lookAt(model, *crossing, station);
    if (look.elevationDeg > 0.0) {
      // A set and a rise within the search delay are one pass to the chain.
      if (open) {
        searchFrom = nextCrossingSearchStart(*crossing);
        continue;
      }
      if (*crossing >= untilUnix) break;
      open.emplace();
      open->riseUnix = *crossing;
      open->riseAzimuthDeg = look.azimuthDeg;
    } else if (open) {
      close(*crossing, *crossing - 1);
    }
    searchFrom = nextCrossingSearchStart(*crossing);
  }
  return passes;
}

std::vector<PassRow> passTable(const std::vector<ElementRecord>& satellites, double latitudeDeg, double longitudeDeg,
                               std::int64_t fromUnix, int days) {
  const StationGeometry station = stationGeometry(latitudeDeg, longitudeDeg);
  const std::int64_t untilUnix = fromUnix + std::clamp(days, 1, kMostPassDays) * kSecondsPerDay;
  // The satellites are shared out in turn among the processor's cores.
  const std::size_t shares =
      std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::min(kMostPassThreads, satellites.size()));
  std::vector<std::vector<PassRow>> found(shares);
  const auto predictShare = [&](std::size_t share) {
    OrbitModel model;
    for (std::size_t i = share; i < satellites.size(); i += shares) {
      const ElementRecord& sat = satellites[i];
      if (!elementLinesReadable(sat.line1.view(), sat.line2.view())) continue;
      model.loadElements(sat.name.view(), sat.line1.view(), sat.line2.view());
      for (const SatellitePass& pass : predictPasses(model, station, fromUnix, untilUnix)) {
        found[share].push_back(PassRow{static_cast<int>(i), pass});
      }
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t share = 1; share < shares; ++share) {
    try {
      helpers.emplace_back(predictShare, share);
    } catch (const std::system_error&) {
      predictShare(share);
    }
  }
  if (shares > 0) predictShare(0);
  for (std::thread& helper : helpers) helper.join();

  std::vector<PassRow> rows;
  for (const std::vector<PassRow>& part : found) rows.insert(rows.end(), part.begin(), part.end());
  std::sort(rows.begin(), rows.end(), [](const PassRow& a, const PassRow& b) {
    const std::int64_t riseA = a.pass.riseUnix.value_or(INT64_MIN);
    const std::int64_t riseB = b.pass.riseUnix.value_or(INT64_MIN);
    return riseA != riseB ? riseA < riseB : a.satellite < b.satellite;
  });
  return rows;
}

std::vector<SkyPoint> passTrack(OrbitModel& model, const StationGeometry& station, const SatellitePass& pass,
                                std::int64_t stepSeconds) {
  std::vector<SkyPoint> track;
  if (!pass.riseUnix || !pass.setUnix || stepSeconds < 1) return track;
  const std::int64_t last = *pass.setUnix - 1;
  for (std::int64_t t = *pass.riseUnix;; t += stepSeconds) {
    const std::int64_t at = std::min(t, last);
    const LookAngles look = lookAt(model, at, station);
    track.push_back(SkyPoint{at, look.azimuthDeg, look.elevationDeg});
    if (at == last) break;
  }
  return track;
}

PlotPoint skyPlotPoint(double azimuthDeg, double elevationDeg) {
  const double radius = (90.0 - std::clamp(elevationDeg, 0.0, 90.0)) / 90.0;
  const double azimuthRad = azimuthDeg * std::numbers::pi / 180.0;
  return PlotPoint{radius * std::sin(azimuthRad), radius * std::cos(azimuthRad)};
}

}  // namespace tervane

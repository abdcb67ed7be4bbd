#pragma once
// The stations on the map, apart from how they are painted: where each one
// is, what it shows, which labels fit without piling up, which station a
// click means, and which part of the screen a change touches, so that a new
// report repaints only the few pixels around it.

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "aprs/station_entry.h"
#include "map/projection.h"
#include "map/spatial_index.h"

namespace tervane {

// Sizes in pixels that the painter uses.
struct MarkerMetrics {
  double symbolPx = 20.0;
  double labelHeightPx = 14.0;
  double labelGapPx = 3.0;
  double courseLinePx = 22.0;
};

struct Marker {
  std::string name;  // the station's callsign, or the object's or item's name
  GeoPoint geo;
  WorldPoint world;
  char symbolTable = '\0';
  char symbolCode = '\0';
  double courseDeg = std::numeric_limits<double>::quiet_NaN();
  double speedKnots = std::numeric_limits<double>::quiet_NaN();
  bool tracked = false;
  bool object = false;
  HeardHow heard = HeardHow::Unknown;
  double labelWidthPx = 0.0;
  // A course is drawn when one was reported and the station is not standing.
  bool showsCourse() const { return std::isfinite(courseDeg) && !(speedKnots == 0.0); }
};

// One marker on the screen (a station in view twice, in two copies of the
// world, is placed twice).
struct Placement {
  static constexpr std::uint32_t kGone = 0xFFFFFFFFu;  // the station has moved or left since the layout
  std::uint32_t id = kGone;
  ScreenPoint at;
  // Where stations crowd one spot, the symbols under the first one there
  // would be hidden anyway and are not drawn.
  bool symbolShown = true;
  bool labelShown = false;
  Box label;
};

struct OwnStation {
  std::string name;
  GeoPoint geo;
  bool known = false;
  bool mobile = false;
  std::vector<GeoPoint> track;  // a mobile station's positions, oldest first
};

class StationScene {
 public:
  using LabelWidth = std::function<double(std::string_view)>;
  static constexpr std::size_t kMaxTrackPoints = 5000;

  StationScene(MarkerMetrics metrics, LabelWidth labelWidth);

  const Viewport& view() const { return view_; }
  // The view for changing; the labels are laid out afresh at the next paint.
  Viewport& changeView() {
    layoutValid_ = false;
    return view_;
  }

  // Adds or moves the entry's station (a killed object or item leaves the
  // map). Returns the screen area to repaint; empty when nothing in view
  // changed or the whole view is to be laid out anyway.
  Box update(const StationEntry& entry, bool tracked);
  Box remove(std::string_view name);
  void clear();
  std::size_t size() const { return byName_.size(); }
  const Marker* find(std::string_view name) const;
  const Marker& marker(std::uint32_t id) const { return markers_[id]; }

  // Every marker in view with the labels that fit, the most important first
  // (selected, then tracked, then the others in the order they arrived).
  const std::vector<Placement>& placements();

  Box select(const std::vector<std::string>& names);
  bool isSelected(std::uint32_t id) const { return selected_.count(id) != 0; }
  std::vector<std::string> selection() const;
  // The station nearest to a pixel within radiusPx.
  std::optional<std::string> pick(const ScreenPoint& at, double radiusPx) const;

  // The own station's name and position; a mobile station's positions are
  // kept as its track.
  Box setOwnStation(std::string_view name, const GeoPoint& geo, bool mobile);
  const OwnStation& ownStation() const { return own_; }

  // The pixels a marker covers at a screen point: symbol, course line, label.
  Box markerBox(const Marker& m, const ScreenPoint& at, const Box& label) const;
  // The screen area of a world box in every copy of the world in view.
  Box screenArea(const Box& world) const;

 private:
  void layout();
  void placeSymbol(std::uint32_t id, const ScreenPoint& at);
  void placeLabel(Placement& p);
  bool areaFree(const Box& box) const;
  void occupy(const Box& box, int delta);
  std::vector<ScreenPoint> screenPositions(const WorldPoint& world) const;
  Box labelBoxAt(const Marker& m, const ScreenPoint& at) const;
  Box symbolBox(const ScreenPoint& at) const;
  Box unplace(std::uint32_t id);
  Box placeNew(std::uint32_t id);

  MarkerMetrics metrics_;
  LabelWidth labelWidth_;
  Viewport view_;
  std::vector<Marker> markers_;
  std::vector<std::uint32_t> freeIds_;
  std::unordered_map<std::string, std::uint32_t> byName_;
  std::unordered_set<std::uint32_t> selected_;
  SpatialIndex index_;
  OwnStation own_;

  bool layoutValid_ = false;
  std::vector<Placement> placements_;
  // Each station's placements as a chain through the placements: the first
  // by station id, the next in nextPlacement_ by placement index.
  static constexpr std::uint32_t kNoPlacement = 0xFFFFFFFFu;
  std::vector<std::uint32_t> firstPlacement_;
  std::vector<std::uint32_t> nextPlacement_;
  std::vector<std::uint16_t> occupancy_;
  int gridColumns_ = 0;
  int gridRows_ = 0;
  std::vector<std::uint16_t> symbolsAt_;  // symbols whose centre falls in each crowd cell
  int symbolColumns_ = 0;
  std::size_t symbolCell(const ScreenPoint& at) const;
};

}  // namespace tervane

#include "map/station_scene.h"

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

constexpr double kCellPx = 4.0;      // the label grid's resolution
constexpr double kHaloPx = 4.0;      // the highlight ring beyond the symbol
constexpr double kTrackStepDeg = 2e-5;  // about two metres: smaller moves add no track point
constexpr std::size_t kNoCell = static_cast<std::size_t>(-1);
// Symbols are drawn at most one to a cell of this many symbol widths: more
// would only cover one another.
constexpr double kCrowdCell = 0.75;

}  // namespace

StationScene::StationScene(MarkerMetrics metrics, LabelWidth labelWidth)
    : metrics_(metrics), labelWidth_(std::move(labelWidth)) {}

std::vector<ScreenPoint> StationScene::screenPositions(const WorldPoint& world) const {
  std::vector<ScreenPoint> out;
  const double margin = metrics_.symbolPx + metrics_.courseLinePx;
  const Box area{-margin, -margin, view_.widthPx() + margin, view_.heightPx() + margin};
  for (int k = view_.firstCopy() - 1; k <= view_.lastCopy() + 1; ++k) {
    const ScreenPoint p = view_.toScreen({world.x + k, world.y});
    if (area.contains(p.x, p.y)) out.push_back(p);
  }
  return out;
}

Box StationScene::symbolBox(const ScreenPoint& at) const {
  const double half = metrics_.symbolPx / 2.0;
  return {at.x - half, at.y - half, at.x + half, at.y + half};
}

Box StationScene::labelBoxAt(const Marker& m, const ScreenPoint& at) const {
  const double left = at.x + metrics_.symbolPx / 2.0 + metrics_.labelGapPx;
  const double top = at.y - metrics_.labelHeightPx / 2.0;
  return {left, top, left + m.labelWidthPx, top + metrics_.labelHeightPx};
}

Box StationScene::markerBox(const Marker& m, const ScreenPoint& at, const Box& label) const {
  double reach = metrics_.symbolPx / 2.0 + kHaloPx;
  if (m.showsCourse()) reach = std::max(reach, metrics_.courseLinePx + 2.0);
  const Box around{at.x - reach, at.y - reach, at.x + reach, at.y + reach};
  return around.united(label).grown(1.0);
}

Box StationScene::screenArea(const Box& world) const {
  Box area;
  const Box screen{0.0, 0.0, static_cast<double>(view_.widthPx()), static_cast<double>(view_.heightPx())};
  for (int k = view_.firstCopy() - 1; k <= view_.lastCopy() + 1; ++k) {
    const Box b = view_.screenBox(world.shifted(k, 0.0));
    if (b.intersects(screen.grown(1.0)) || (b.right == b.left && screen.contains(b.left, b.top))) area = area.united(b);
  }
  return area;
}

bool StationScene::areaFree(const Box& box) const {
  const int x0 = std::max(0, static_cast<int>(std::floor(box.left / kCellPx)));
  const int y0 = std::max(0, static_cast<int>(std::floor(box.top / kCellPx)));
  const int x1 = std::min(gridColumns_ - 1, static_cast<int>(std::floor((box.right - 0.01) / kCellPx)));
  const int y1 = std::min(gridRows_ - 1, static_cast<int>(std::floor((box.bottom - 0.01) / kCellPx)));
  // A label that would stick out of the window does not fit either.
  if (box.left < 0.0 || box.top < 0.0 || box.right > view_.widthPx() || box.bottom > view_.heightPx()) return false;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      if (occupancy_[static_cast<std::size_t>(y * gridColumns_ + x)] != 0) return false;
    }
  }
  return true;
}

void StationScene::occupy(const Box& box, int delta) {
  const int x0 = std::max(0, static_cast<int>(std::floor(box.left / kCellPx)));
  const int y0 = std::max(0, static_cast<int>(std::floor(box.top / kCellPx)));
  const int x1 = std::min(gridColumns_ - 1, static_cast<int>(std::floor((box.right - 0.01) / kCellPx)));
  const int y1 = std::min(gridRows_ - 1, static_cast<int>(std::floor((box.bottom - 0.01) / kCellPx)));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      std::uint16_t& cell = occupancy_[static_cast<std::size_t>(y * gridColumns_ + x)];
      cell = static_cast<std::uint16_t>(std::clamp(static_cast<int>(cell) + delta, 0, 0xFFFF));
    }
  }
}

// The label goes where neither another label nor another symbol is; a
// selected station is always labelled.
std::size_t StationScene::symbolCell(const ScreenPoint& at) const {
  if (!(at.x >= 0.0 && at.y >= 0.0 && at.x < view_.widthPx() && at.y < view_.heightPx())) return kNoCell;
  const double cell = metrics_.symbolPx * kCrowdCell;
  return static_cast<std::size_t>(at.y / cell) * static_cast<std::size_t>(symbolColumns_) +
         static_cast<std::size_t>(at.x / cell);
}

void StationScene::placeSymbol(std::uint32_t id, const ScreenPoint& at) {
  const Marker& m = markers_[id];
  Placement p;
  p.id = id;
  p.at = at;
  p.label = labelBoxAt(m, at);
  const std::size_t cell = symbolCell(at);
  if (cell != kNoCell) {
    std::uint16_t& here = symbolsAt_[cell];
    p.symbolShown = here == 0 || m.tracked || isSelected(id);
    if (here < 0xFFFF) ++here;
  }
  if (p.symbolShown) occupy(symbolBox(at), 1);
  if (firstPlacement_.size() < markers_.size()) firstPlacement_.resize(markers_.size(), kNoPlacement);
  nextPlacement_.push_back(firstPlacement_[id]);
  firstPlacement_[id] = static_cast<std::uint32_t>(placements_.size());
  placements_.push_back(p);
}

// The label goes where neither another label nor another symbol is; a
// selected station is always labelled, a station whose symbol is hidden in
// a crowd never.
void StationScene::placeLabel(Placement& p) {
  if (!p.symbolShown) return;
  const Box symbol = symbolBox(p.at);
  occupy(symbol, -1);
  p.labelShown = isSelected(p.id) || areaFree(p.label);
  occupy(symbol, 1);
  if (p.labelShown) occupy(p.label, 1);
}

void StationScene::layout() {
  placements_.clear();
  nextPlacement_.clear();
  firstPlacement_.assign(markers_.size(), kNoPlacement);
  gridColumns_ = static_cast<int>(std::ceil(view_.widthPx() / kCellPx));
  gridRows_ = static_cast<int>(std::ceil(view_.heightPx() / kCellPx));
  occupancy_.assign(static_cast<std::size_t>(gridColumns_) * static_cast<std::size_t>(gridRows_), 0);
  symbolColumns_ = static_cast<int>(std::ceil(view_.widthPx() / (metrics_.symbolPx * kCrowdCell))) + 1;
  const int symbolRows = static_cast<int>(std::ceil(view_.heightPx() / (metrics_.symbolPx * kCrowdCell))) + 1;
  symbolsAt_.assign(static_cast<std::size_t>(symbolColumns_) * static_cast<std::size_t>(symbolRows), 0);
  layoutValid_ = true;

  struct Found {
    std::uint32_t id;
    ScreenPoint at;
  };
  std::vector<Found> found;
  found.reserve(index_.size());
  const double margin = metrics_.symbolPx + metrics_.courseLinePx;
  const Box world =
      view_.worldBox({-margin, -margin, view_.widthPx() + margin, view_.heightPx() + margin});
  for (int k = view_.firstCopy() - 1; k <= view_.lastCopy() + 1; ++k) {
    index_.query(world.shifted(-k, 0.0), [&](std::uint32_t id, const WorldPoint& at) {
      found.push_back({id, view_.toScreen({at.x + k, at.y})});
    });
  }
  // In order of arrival (a counting sort by id, which also reads the
  // markers in memory order), then the selected and tracked ones first.
  std::vector<std::uint32_t> start(markers_.size() + 1, 0);
  for (const Found& f : found) ++start[f.id + 1];
  for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  std::vector<Found> ordered(found.size());
  for (const Found& f : found) ordered[start[f.id]++] = f;
  std::vector<std::uint8_t> rank(ordered.size());
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    const std::uint32_t id = ordered[i].id;
    rank[i] = !selected_.empty() && isSelected(id) ? 0 : markers_[id].tracked ? 1 : 2;
  }

  if (own_.known) {
    for (const ScreenPoint& at : screenPositions(toWorld(own_.geo))) {
      occupy(symbolBox(at).grown(kHaloPx), 1);
      Marker own;
      own.labelWidthPx = labelWidth_(own_.name);
      occupy(labelBoxAt(own, at), 1);
    }
  }
  placements_.reserve(ordered.size());
  nextPlacement_.reserve(ordered.size());
  for (std::uint8_t r = 0; r <= 2; ++r) {
    for (std::size_t i = 0; i < ordered.size(); ++i) {
      if (rank[i] == r) placeSymbol(ordered[i].id, ordered[i].at);
    }
  }
  for (Placement& p : placements_) placeLabel(p);
}

const std::vector<Placement>& StationScene::placements() {
  if (!layoutValid_) layout();
  return placements_;
}

Box StationScene::unplace(std::uint32_t id) {
  Box dirty;
  if (id >= firstPlacement_.size()) return dirty;
  for (std::uint32_t i = firstPlacement_[id]; i != kNoPlacement; i = nextPlacement_[i]) {
    Placement& p = placements_[i];
    if (p.symbolShown) occupy(symbolBox(p.at), -1);
    const std::size_t cell = symbolCell(p.at);
    if (cell != kNoCell && symbolsAt_[cell] > 0) --symbolsAt_[cell];
    if (p.labelShown) occupy(p.label, -1);
    dirty = dirty.united(markerBox(markers_[id], p.at, p.labelShown ? p.label : Box{}));
    p.id = Placement::kGone;
  }
  firstPlacement_[id] = kNoPlacement;
  return dirty;
}

Box StationScene::placeNew(std::uint32_t id) {
  Box dirty;
  if (!layoutValid_) return dirty;
  for (const ScreenPoint& at : screenPositions(markers_[id].world)) {
    placeSymbol(id, at);
    Placement& p = placements_.back();
    placeLabel(p);
    dirty = dirty.united(markerBox(markers_[id], at, p.labelShown ? p.label : Box{}));
  }
  return dirty;
}

Box StationScene::update(const StationEntry& entry, bool tracked) {
  const std::string name(stationName(entry));
  if (entry.killed) return remove(name);
  Box dirty;
  std::uint32_t id = 0;
  const auto it = byName_.find(name);
  if (it != byName_.end()) {
    id = it->second;
    dirty = unplace(id);
    index_.remove(id, markers_[id].world);
  } else {
    if (freeIds_.empty()) {
      id = static_cast<std::uint32_t>(markers_.size());
      markers_.emplace_back();
    } else {
      id = freeIds_.back();
      freeIds_.pop_back();
    }
    byName_.emplace(name, id);
  }
  Marker& m = markers_[id];
  if (m.name != name) {
    m.name = name;
    m.labelWidthPx = labelWidth_(name);
  }
  m.geo = {entry.latitudeDeg, entry.longitudeDeg};
  m.world = toWorld(m.geo);
  m.world.x -= std::floor(m.world.x);
  m.symbolTable = entry.symbolTable;
  m.symbolCode = entry.symbolCode;
  m.courseDeg = entry.courseDeg;
  m.speedKnots = entry.speedKnots;
  m.tracked = tracked;
  m.object = isObjectOrItem(entry);
  m.heard = entry.heardHow;
  index_.insert(id, m.world);
  return dirty.united(placeNew(id));
}

Box StationScene::remove(std::string_view name) {
  const auto it = byName_.find(std::string(name));
  if (it == byName_.end()) return {};
  const std::uint32_t id = it->second;
  const Box dirty = unplace(id);
  index_.remove(id, markers_[id].world);
  selected_.erase(id);
  byName_.erase(it);
  markers_[id] = Marker{};
  freeIds_.push_back(id);
  return dirty;
}

void StationScene::clear() {
  markers_.clear();
  freeIds_.clear();
  byName_.clear();
  selected_.clear();
  index_.clear();
  layoutValid_ = false;
}

const Marker* StationScene::find(std::string_view name) const {
  const auto it = byName_.find(std::string(name));
  return it == byName_.end() ? nullptr : &markers_[it->second];
}

Box StationScene::select(const std::vector<std::string>& names) {
  std::unordered_set<std::uint32_t> chosen;
  for (const std::string& n : names) {
    const auto it = byName_.find(n);
    if (it != byName_.end()) chosen.insert(it->second);
  }
  if (chosen == selected_) return {};
  selected_ = std::move(chosen);
  // The selection comes first in the label order, so everything is laid out afresh.
  layoutValid_ = false;
  return {0.0, 0.0, static_cast<double>(view_.widthPx()), static_cast<double>(view_.heightPx())};
}

std::vector<std::string> StationScene::selection() const {
  std::vector<std::string> names;
  for (std::uint32_t id : selected_) names.push_back(markers_[id].name);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> StationScene::pick(const ScreenPoint& at, double radiusPx) const {
  std::optional<std::string> best;
  double bestDistance = radiusPx * radiusPx;
  const Box world = view_.worldBox({at.x - radiusPx, at.y - radiusPx, at.x + radiusPx, at.y + radiusPx});
  for (int k = view_.firstCopy() - 1; k <= view_.lastCopy() + 1; ++k) {
    index_.query(world.shifted(-k, 0.0), [&](std::uint32_t id, const WorldPoint& w) {
      const ScreenPoint p = view_.toScreen({w.x + k, w.y});
      const double d = (p.x - at.x) * (p.x - at.x) + (p.y - at.y) * (p.y - at.y);
      if (d <= bestDistance) {
        bestDistance = d;
        best = markers_[id].name;
      }
    });
  }
  return best;
}

Box StationScene::setOwnStation(std::string_view name, const GeoPoint& geo, bool mobile) {
  const bool moved = !own_.known || own_.geo.latitudeDeg != geo.latitudeDeg || own_.geo.longitudeDeg != geo.longitudeDeg;
  if (!moved && own_.name == name && own_.mobile == mobile) return {};
  Marker shape;
  shape.labelWidthPx = labelWidth_(own_.name);
  Box dirty;
  if (own_.known) {
    for (const ScreenPoint& at : screenPositions(toWorld(own_.geo))) {
      dirty = dirty.united(markerBox(shape, at, labelBoxAt(shape, at)));
    }
  }
  if (!mobile && !own_.track.empty()) {
    own_.track.clear();
    dirty = {0.0, 0.0, static_cast<double>(view_.widthPx()), static_cast<double>(view_.heightPx())};
  }
  if (mobile) {
    const bool far = own_.track.empty() || std::fabs(own_.track.back().latitudeDeg - geo.latitudeDeg) > kTrackStepDeg ||
                     std::fabs(own_.track.back().longitudeDeg - geo.longitudeDeg) > kTrackStepDeg;
    if (far) {
      if (!own_.track.empty()) {
        const WorldPoint a = toWorld(own_.track.back());
        const WorldPoint b = toWorld(geo);
        dirty = dirty.united(screenArea({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)})
                                 .grown(3.0));
      }
      own_.track.push_back(geo);
      if (own_.track.size() > kMaxTrackPoints) own_.track.erase(own_.track.begin());
    }
  }
  own_.name = std::string(name);
  own_.geo = geo;
  own_.known = true;
  own_.mobile = mobile;
  shape.labelWidthPx = labelWidth_(own_.name);
  for (const ScreenPoint& at : screenPositions(toWorld(own_.geo))) {
    dirty = dirty.united(markerBox(shape, at, labelBoxAt(shape, at)));
  }
  return dirty;
}

}  // namespace tervane

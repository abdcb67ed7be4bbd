#include "map/spatial_index.h"

#include <algorithm>
#include <cmath>

namespace tervane {

SpatialIndex::SpatialIndex(int level)
    : side_(1 << std::clamp(level, 0, 11)), cells_(static_cast<std::size_t>(side_) * static_cast<std::size_t>(side_)) {}

int SpatialIndex::column(double v) const {
  if (!(v > 0.0)) return 0;
  return std::min(static_cast<int>(v * side_), side_ - 1);
}

std::uint32_t SpatialIndex::cellOf(const WorldPoint& at) const {
  return static_cast<std::uint32_t>(column(at.y)) * static_cast<std::uint32_t>(side_) +
         static_cast<std::uint32_t>(column(at.x));
}

void SpatialIndex::insert(std::uint32_t id, const WorldPoint& at) {
  cells_[cellOf(at)].push_back({id, at});
  ++size_;
}

void SpatialIndex::remove(std::uint32_t id, const WorldPoint& at) {
  std::vector<Entry>& entries = cells_[cellOf(at)];
  const auto e = std::find_if(entries.begin(), entries.end(), [id](const Entry& x) { return x.id == id; });
  if (e == entries.end()) return;
  *e = entries.back();
  entries.pop_back();
  --size_;
}

void SpatialIndex::clear() {
  for (std::vector<Entry>& entries : cells_) entries.clear();
  size_ = 0;
}

}  // namespace tervane

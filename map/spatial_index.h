#pragma once
// A uniform grid over the world square that finds the stations inside a
// rectangle without looking at the others. Points move in and out one at a
// time, so a new station costs a constant amount of work.

#include <cstdint>
#include <vector>

#include "map/projection.h"

namespace tervane {

class SpatialIndex {
 public:
  explicit SpatialIndex(int level = 8);  // 2^level cells along each side

  void insert(std::uint32_t id, const WorldPoint& at);
  // at must be where the point was inserted.
  void remove(std::uint32_t id, const WorldPoint& at);
  void clear();
  std::size_t size() const { return size_; }

  // Calls visit(id, point) for every point inside the box (world units within
  // the square; the caller shifts by whole turns for the wrapped copies).
  template <class Visit>
  void query(const Box& box, Visit&& visit) const;

 private:
  struct Entry {
    std::uint32_t id;
    WorldPoint at;
  };
  std::uint32_t cellOf(const WorldPoint& at) const;
  int column(double v) const;

  int side_;
  std::vector<std::vector<Entry>> cells_;  // row by row
  std::size_t size_ = 0;
};

template <class Visit>
void SpatialIndex::query(const Box& box, Visit&& visit) const {
  if (box.empty()) return;
  const int x0 = column(box.left);
  const int x1 = column(box.right);
  const int y0 = column(box.top);
  const int y1 = column(box.bottom);
  for (int cy = y0; cy <= y1; ++cy) {
    for (int cx = x0; cx <= x1; ++cx) {
      for (const Entry& e : cells_[static_cast<std::size_t>(cy) * static_cast<std::size_t>(side_) + static_cast<std::size_t>(cx)]) {
        if (box.contains(e.at.x, e.at.y)) visit(e.id, e.at);
      }
    }
  }
}

}  // namespace tervane

#pragma once
// The world's land and country borders for the map's background, read from
// the outline file built into the program (scripts/make-map-data writes it
// from Natural Earth's 1:50m data). Lines are kept in world units, with
// lighter copies for the smaller scales where a pixel covers many points.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "map/projection.h"

namespace tervane {

struct MapLine {
  std::vector<WorldPoint> points;
  Box bounds;  // world units
};

struct MapLayer {
  std::vector<MapLine> land;     // closed rings, filled even-odd
  std::vector<MapLine> borders;  // open lines between countries
};

class BaseMap {
 public:
  // Reads the outline file; nothing when it is damaged or of another kind.
  static std::optional<BaseMap> decode(std::span<const std::uint8_t> bytes);

  // The layer to draw at a scale: points closer together than about a pixel
  // are left out. Built on first use and kept.
  const MapLayer& layerFor(double pixelsPerWorld) const;
  const MapLayer& full() const { return full_; }
  std::size_t pointCount() const;

 private:
  static constexpr int kLevels = 8;  // 256 to 32768 pixels per world, each twice the last
  MapLayer full_;
  mutable std::vector<std::optional<MapLayer>> lighter_ = std::vector<std::optional<MapLayer>>(kLevels);
};

// Keeps each point that lies at least minDistance from the last kept one;
// the first and last points always stay.
std::vector<WorldPoint> thinLine(const std::vector<WorldPoint>& points, double minDistance);

}  // namespace tervane

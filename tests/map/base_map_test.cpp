#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "map/base_map.h"
#include "map/clip.h"

namespace tervane {
namespace {

std::vector<std::uint8_t> builtInMapData() {
  std::ifstream in(TERVANE_MAP_DATA, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Even-odd: how many land rings hold the point, in any copy of the world
// (rings across 180° run on past the square's edge).
bool onLand(const MapLayer& layer, const GeoPoint& geo) {
  bool inside = false;
  for (const MapLine& ring : layer.land) {
    WorldPoint p = toWorld(geo);
    if (ring.bounds.right > 1.0 && p.x < ring.bounds.left) p.x += 1.0;
    if (ring.bounds.left < 0.0 && p.x > ring.bounds.right) p.x -= 1.0;
    if (!ring.bounds.contains(p.x, p.y)) continue;
    for (std::size_t i = 0, j = ring.points.size() - 1; i < ring.points.size(); j = i++) {
      const WorldPoint& a = ring.points[i];
      const WorldPoint& b = ring.points[j];
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
  }
  return inside;
}

TEST(BaseMap, BuiltInOutlinesPutLandAndSeaWhereTheyAre) {
  const std::vector<std::uint8_t> bytes = builtInMapData();
  ASSERT_FALSE(bytes.empty()) << TERVANE_MAP_DATA;
  const std::optional<BaseMap> map = BaseMap::decode(bytes);
  ASSERT_TRUE(map);
  EXPECT_EQ(map->full().land.size(), 1428u);
  EXPECT_EQ(map->full().borders.size(), 362u);
  EXPECT_GT(map->pointCount(), 80000u);
  // No outline jumps across the map (Chukotka and Fiji run on past 180°),
  // except along the square's edge where Antarctica is closed over the pole.
  for (const MapLine& ring : map->full().land) {
    for (std::size_t i = 1; i < ring.points.size(); ++i) {
      const bool alongEdge = ring.points[i].y == ring.points[i - 1].y &&
                             (ring.points[i].y < 1e-9 || ring.points[i].y > 1.0 - 1e-9);
      if (!alongEdge) {
        ASSERT_LT(std::fabs(ring.points[i].x - ring.points[i - 1].x), 0.25);
      }
    }
  }

  struct Row {
    const char* name;
    GeoPoint geo;
    bool land;
  };
  const Row rows[] = {
      {"Denver", {39.74, -104.99}, true},
      {"Paris", {48.86, 2.35}, true},
      {"Alice Springs", {-23.70, 133.88}, true},
      {"Tasmania, an island ring of its own", {-42.0, 146.5}, true},
      {"Chukotka, Asia east of 180", {66.0, -172.0}, true},
      {"Bering Strait", {65.8, -169.0}, false},
      {"Antarctica inland, closed over the pole", {-80.0, 0.0}, true},
      {"Ross Sea", {-75.0, -175.0}, false},
      {"mid-Atlantic", {30.0, -40.0}, false},
      {"Massachusetts Bay", {42.4, -70.6}, false},
      {"the Caspian Sea, a hole in Asia", {42.0, 50.5}, false},
      {"Lake Superior, which the land layer does not cut out", {47.7, -87.5}, true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(onLand(map->full(), r.geo), r.land) << r.name;
    // The lighter layers of small scales keep the shapes.
    EXPECT_EQ(onLand(map->layerFor(256.0 * 16), r.geo), r.land) << r.name << " at a small scale";
  }
  EXPECT_LT(map->layerFor(256.0).land.size(), map->full().land.size());
  EXPECT_EQ(&map->layerFor(256.0 * 4096), &map->full());

  // Damage of any kind gives no map rather than a wrong one.
  std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
  EXPECT_FALSE(BaseMap::decode(cut));
  std::vector<std::uint8_t> renamed = bytes;
  renamed[0] = 'X';
  EXPECT_FALSE(BaseMap::decode(renamed));
  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(BaseMap::decode(longer));
  EXPECT_FALSE(BaseMap::decode({}));
}

TEST(Clip, RingsAndLinesAreCutToTheBox) {
  const Box box{0.0, 0.0, 100.0, 100.0};
  const auto area = [](const std::vector<ScreenPoint>& ring) {
    double twice = 0.0;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
      twice += ring[j].x * ring[i].y - ring[i].x * ring[j].y;
    }
    return std::fabs(twice) / 2.0;
  };
  struct Row {
    const char* name;
    std::vector<ScreenPoint> ring;
    double area;
  };
  const Row rows[] = {
      {"inside stays whole", {{10, 10}, {90, 10}, {90, 90}, {10, 90}}, 6400.0},
      {"half out to the right", {{50, 20}, {150, 20}, {150, 60}, {50, 60}}, 2000.0},
      {"around the whole box", {{-1000, -1000}, {1000, -1000}, {1000, 1000}, {-1000, 1000}}, 10000.0},
      {"wholly outside", {{200, 200}, {300, 200}, {300, 300}}, 0.0},
      {"a triangle across a corner", {{-20, 60}, {60, -20}, {60, 60}}, 60.0 * 60.0 - 0.5 * 40.0 * 40.0},
  };
  for (const Row& r : rows) {
    const std::vector<ScreenPoint> cut = clipRing(r.ring, box);
    EXPECT_NEAR(cut.empty() ? 0.0 : area(cut), r.area, 1e-9) << r.name;
    for (const ScreenPoint& p : cut) EXPECT_TRUE(p.x >= 0 && p.x <= 100 && p.y >= 0 && p.y <= 100) << r.name;
  }

  // Out, in, out, in again: two pieces with their ends on the edges.
  const auto pieces = clipLine({{-50, 50}, {50, 50}, {150, 50}, {150, 80}, {50, 80}, {50, 90}}, box);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_DOUBLE_EQ(pieces[0].front().x, 0.0);
  EXPECT_DOUBLE_EQ(pieces[0].back().x, 100.0);
  EXPECT_EQ(pieces[0].size(), 3u);
  EXPECT_DOUBLE_EQ(pieces[1].front().x, 100.0);
  EXPECT_DOUBLE_EQ(pieces[1].back().y, 90.0);
  EXPECT_TRUE(clipLine({{-10, -10}, {-10, 200}}, box).empty());
}

}  // namespace
}  // namespace tervane

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "map/spatial_index.h"
#include "map/station_scene.h"

namespace tervane {
namespace {

StationEntry report(const std::string& call, double lat, double lon) {
  StationEntry e;
  e.positionValid = true;
  e.callsignFound = true;
  e.sourceCall = call;
  e.latitudeDeg = lat;
  e.longitudeDeg = lon;
  return e;
}

// Every character 7 pixels wide, as a plain font would be.
StationScene makeScene(int widthPx = 1000, int heightPx = 700) {
  StationScene scene(MarkerMetrics{}, [](std::string_view text) { return 7.0 * static_cast<double>(text.size()); });
  scene.changeView().resize(widthPx, heightPx);
  return scene;
}

void lookAt(StationScene& scene, const GeoPoint& centre, double pixelsPerWorld) {
  Viewport& view = scene.changeView();
  view.setPixelsPerWorld(pixelsPerWorld);
  view.centreOn(toWorld(centre));
}

std::size_t labelsShown(StationScene& scene) {
  std::size_t n = 0;
  for (const Placement& p : scene.placements()) n += p.labelShown ? 1 : 0;
  return n;
}

TEST(SpatialIndex, FindsExactlyThePointsInABox) {
  SpatialIndex index(6);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<WorldPoint> points;
  for (std::uint32_t i = 0; i < 3000; ++i) {
    // Half of them crowd into one small corner, as stations do around a city.
    points.push_back(i % 2 ? WorldPoint{unit(random), unit(random)}
                           : WorldPoint{0.3 + 0.001 * unit(random), 0.37 + 0.001 * unit(random)});
    index.insert(i, points.back());
  }
  for (std::uint32_t i = 0; i < 3000; i += 3) index.remove(i, points[i]);
  struct Row {
    const char* name;
    Box box;
  };
  const Row rows[] = {
      {"the whole square", {0.0, 0.0, 1.0, 1.0}},
      {"a city inside one crowded cell", {0.3002, 0.3702, 0.3009, 0.3705}},
      {"a strip across", {0.0, 0.45, 1.0, 0.55}},
      {"partly outside the square", {-0.5, -0.5, 0.2, 0.2}},
      {"nothing there", {0.9, 0.9, 0.9, 0.95}},
  };
  for (const Row& r : rows) {
    std::set<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < points.size(); ++i) {
      if (i % 3 != 0 && r.box.contains(points[i].x, points[i].y)) expected.insert(i);
    }
    std::set<std::uint32_t> found;
    index.query(r.box, [&](std::uint32_t id, const WorldPoint&) { EXPECT_TRUE(found.insert(id).second) << r.name; });
    EXPECT_EQ(found, expected) << r.name;
  }
  EXPECT_EQ(index.size(), 2000u);
}

TEST(StationScene, ANewStationRepaintsOnlyItsOwnFewPixels) {
  StationScene scene = makeScene();
  lookAt(scene, {42.36, -71.06}, 256.0 * 1024);
  for (int i = 0; i < 50; ++i) scene.update(report("K1S" + std::to_string(i), 42.0 + 0.01 * i, -71.5 + 0.02 * i), false);
  ASSERT_EQ(scene.placements().size(), 50u);

  StationEntry mover = report("N1NEW-9", 42.36, -71.06);
  mover.courseDeg = 90.0;
  mover.speedKnots = 30.0;
  const Box added = scene.update(mover, false);
  const ScreenPoint at = scene.view().toScreen(toWorld({42.36, -71.06}));
  EXPECT_TRUE(added.contains(at.x, at.y));
  EXPECT_LT((added.right - added.left) * (added.bottom - added.top), 0.01 * 1000 * 700);
  EXPECT_EQ(scene.placements().size(), 51u);

  // A move repaints where it was and where it is now, and nothing between.
  mover.latitudeDeg = 42.30;
  const Box moved = scene.update(mover, false);
  const ScreenPoint now = scene.view().toScreen(toWorld({42.30, -71.06}));
  EXPECT_TRUE(moved.contains(at.x, at.y));
  EXPECT_TRUE(moved.contains(now.x, now.y));
  EXPECT_EQ(scene.size(), 51u);

  // Out of view, a report costs no repaint at all.
  EXPECT_TRUE(scene.update(report("VK2ABC", -33.87, 151.21), false).empty());
  EXPECT_EQ(scene.size(), 52u);

  // A killed object leaves the map, as it leaves the position table.
  StationEntry object = report("K1LMN-2", 42.2, -71.2);
  object.reportKind = ReportKind::Object;
  object.objectName = "LEADER";
  scene.update(object, false);
  ASSERT_NE(scene.find("LEADER"), nullptr);
  EXPECT_TRUE(scene.find("LEADER")->object);
  EXPECT_EQ(scene.find("K1LMN-2"), nullptr);
  object.killed = true;
  EXPECT_FALSE(scene.update(object, false).empty());
  EXPECT_EQ(scene.find("LEADER"), nullptr);
  for (const Placement& p : scene.placements()) {
    if (p.id != Placement::kGone) {
      EXPECT_NE(scene.marker(p.id).name, "LEADER");
    }
  }
}

TEST(StationScene, LabelsThinOutWhereStationsCrowd) {
  StationScene scene = makeScene();
  std::mt19937 random(3);
  std::normal_distribution<double> spread(0.0, 0.05);
  for (int i = 0; i < 400; ++i) {
    scene.update(report("W1C" + std::to_string(i), 42.36 + spread(random), -71.06 + spread(random)), i == 399);
  }
  struct Row {
    const char* name;
    double pixelsPerWorld;
    std::size_t fewest;
    std::size_t most;
  };
  const Row rows[] = {
      {"world: one crowd, one label", 1000.0, 1, 1},
      {"region: a few labels", 256.0 * 512, 2, 60},
      {"street blocks: each station in view has its label", 256.0 * (1 << 17), 1, 400},
  };
  for (const Row& r : rows) {
    lookAt(scene, {42.36, -71.06}, r.pixelsPerWorld);
    const std::size_t shown = labelsShown(scene);
    EXPECT_GE(shown, r.fewest) << r.name;
    EXPECT_LE(shown, r.most) << r.name;
    // No two shown labels overlap.
    std::vector<Box> labels;
    for (const Placement& p : scene.placements()) {
      if (!p.labelShown) continue;
      for (const Box& other : labels) EXPECT_FALSE(p.label.intersects(other)) << r.name;
      labels.push_back(p.label);
    }
  }
  lookAt(scene, {42.36, -71.06}, 256.0 * (1 << 17));
  for (const Placement& p : scene.placements()) EXPECT_TRUE(p.labelShown) << scene.marker(p.id).name;

  // A selected station is always labelled, even inside the crowd.
  lookAt(scene, {42.36, -71.06}, 256.0 * 64);
  EXPECT_FALSE(scene.select({"W1C17", "W1C18"}).empty());
  EXPECT_EQ(scene.selection(), (std::vector<std::string>{"W1C17", "W1C18"}));
  std::set<std::string> labelled;
  for (const Placement& p : scene.placements()) {
    if (p.labelShown) labelled.insert(scene.marker(p.id).name);
  }
  EXPECT_EQ(labelled, (std::set<std::string>{"W1C17", "W1C18"}));
}

TEST(StationScene, TrackedStationsWinTheRoomForALabel) {
  StationScene scene = makeScene();
  lookAt(scene, {42.36, -71.06}, 256.0 * 4096);
  // Two stations six pixels apart, one above the other: their symbols leave
  // room for one label only.
  const GeoPoint upper = scene.view().geoAt({500.0, 350.0});
  const GeoPoint lower = scene.view().geoAt({500.0, 356.0});
  for (bool trackLower : {false, true}) {
    scene.clear();
    scene.update(report("N1UPR", upper.latitudeDeg, upper.longitudeDeg), false);
    scene.update(report("N1LWR", lower.latitudeDeg, lower.longitudeDeg), trackLower);
    std::vector<std::string> labelled;
    for (const Placement& p : scene.placements()) {
      if (p.labelShown) labelled.push_back(scene.marker(p.id).name);
    }
    EXPECT_EQ(labelled, std::vector<std::string>{trackLower ? "N1LWR" : "N1UPR"});
  }
}

TEST(StationScene, ClicksFindTheNearestStationAcrossTheDateLine) {
  StationScene scene = makeScene(800, 600);
  scene.update(report("ZL1AA", -36.85, 179.99), false);
  scene.update(report("KH6BB", 21.3, -157.86), false);
  scene.update(report("A35CC", -21.13, -175.2), false);
  lookAt(scene, {-20.0, 180.0}, 4096.0);
  const auto at = [&](double lat, double lon) {
    const WorldPoint w = toWorld({lat, lon});
    // The copy of the world that is in view.
    for (int k = scene.view().firstCopy(); k <= scene.view().lastCopy(); ++k) {
      const ScreenPoint p = scene.view().toScreen({w.x + k, w.y});
      if (p.x >= 0 && p.x < 800) return p;
    }
    return ScreenPoint{-1, -1};
  };
  const ScreenPoint zl = at(-36.85, 179.99);
  const ScreenPoint a3 = at(-21.13, -175.2);
  ASSERT_GE(zl.x, 0.0);
  ASSERT_GE(a3.x, 0.0);
  EXPECT_GT(a3.x, zl.x);  // east of the date line is further right, not on the far side
  EXPECT_EQ(scene.pick({zl.x + 4, zl.y - 3}, 10.0), "ZL1AA");
  EXPECT_EQ(scene.pick({a3.x - 2, a3.y + 5}, 10.0), "A35CC");
  EXPECT_FALSE(scene.pick({zl.x + 40, zl.y}, 10.0));
  EXPECT_EQ(scene.placements().size(), 2u);  // Hawaii is north of the view
}

TEST(StationScene, TheOwnStationLeavesATrackOnlyWhileMobile) {
  StationScene scene = makeScene();
  lookAt(scene, {42.36, -71.06}, 256.0 * 4096);
  EXPECT_FALSE(scene.setOwnStation("N0CALL", {42.36, -71.06}, true).empty());
  EXPECT_TRUE(scene.setOwnStation("N0CALL", {42.36, -71.06}, true).empty());
  for (int i = 1; i <= 10; ++i) scene.setOwnStation("N0CALL", {42.36 + 0.001 * i, -71.06}, true);
  scene.setOwnStation("N0CALL", {42.36 + 0.01 + 1e-6, -71.06}, true);  // a metre: no new point
  EXPECT_EQ(scene.ownStation().track.size(), 11u);
  EXPECT_DOUBLE_EQ(scene.ownStation().track.back().latitudeDeg, 42.37);
  const Box fixed = scene.setOwnStation("N0CALL", {42.36, -71.06}, false);
  EXPECT_TRUE(scene.ownStation().track.empty());
  EXPECT_EQ(fixed.right - fixed.left, 1000.0);
}

}  // namespace
}  // namespace tervane

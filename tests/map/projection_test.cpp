#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "map/locator.h"
#include "map/projection.h"

namespace tervane {
namespace {

TEST(Projection, GeographicPointsSurviveTheRoundTrip) {
  struct Row {
    const char* name;
    GeoPoint geo;
  };
  const Row rows[] = {
      {"Boston", {42.3601, -71.0589}},
      {"null island", {0.0, 0.0}},
      {"Sydney, south and east", {-33.8688, 151.2093}},
      {"just west of the date line", {51.0, -179.9999}},
      {"just east of the date line", {-17.7, 179.9999}},
      {"near the Mercator limit", {85.0, 10.0}},
  };
  for (const Row& r : rows) {
    const GeoPoint back = toGeo(toWorld(r.geo));
    EXPECT_NEAR(back.latitudeDeg, r.geo.latitudeDeg, 1e-9) << r.name;
    EXPECT_NEAR(back.longitudeDeg, r.geo.longitudeDeg, 1e-9) << r.name;
  }
  // Beyond the limit a point is drawn at the square's edge.
  EXPECT_NEAR(toWorld({89.9, 0.0}).y, 0.0, 1e-12);
  EXPECT_NEAR(toWorld({-89.9, 0.0}).y, 1.0, 1e-12);
}

TEST(Projection, ViewportKeepsThePointUnderTheCursorAndWrapsEastWest) {
  Viewport view(1200, 800);
  // The well-known Web Mercator resolution: 156543.03 m a pixel at the
  // equator when the world is 256 pixels wide.
  view.resize(256, 256);
  view.setPixelsPerWorld(256.0);
  view.centreOn(toWorld({0.0, 0.0}));
  EXPECT_NEAR(view.metresPerPixel(), 156543.03, 0.01);
  view.resize(1200, 800);

  view.centreOn(toWorld({42.3601, -71.0589}));
  view.setPixelsPerWorld(256.0 * 4096);
  const ScreenPoint cursor{900.0, 150.0};
  const GeoPoint before = view.geoAt(cursor);
  for (double factor : {2.0, 8.0, 0.5, 1.0 / 32}) {
    view.zoomAround(cursor, factor);
    EXPECT_NEAR(view.geoAt(cursor).latitudeDeg, before.latitudeDeg, 1e-9) << factor;
    EXPECT_NEAR(view.geoAt(cursor).longitudeDeg, before.longitudeDeg, 1e-9) << factor;
  }
  // Zoom stops at street-block scale.
  view.zoomAround(cursor, 1e9);
  EXPECT_EQ(view.pixelsPerWorld(), Viewport::kMaxPixelsPerWorld);
  EXPECT_LT(view.metresPerPixel(), 0.5);

  // Panning across the date line comes back round the other side.
  view.setPixelsPerWorld(2048.0);
  view.centreOn(toWorld({0.0, 179.0}));
  view.panBy(-2048.0 * 4.0 / 360.0, 0.0);
  EXPECT_NEAR(toGeo(view.centre()).longitudeDeg, -177.0, 1e-9);
  EXPECT_GE(view.centre().x, 0.0);
  EXPECT_LT(view.centre().x, 1.0);
  EXPECT_EQ(view.firstCopy(), -1);
  EXPECT_EQ(view.lastCopy(), 0);
  view.centreOn(toWorld({0.0, 0.0}));
  EXPECT_EQ(view.firstCopy(), 0);
  EXPECT_EQ(view.lastCopy(), 0);

  // The whole world never shrinks below the window's width, and the north
  // edge of the square stops at the top of the window.
  view.setPixelsPerWorld(1.0);
  EXPECT_EQ(view.pixelsPerWorld(), 1200.0);
  view.centreOn({0.5, 0.0});
  EXPECT_NEAR(view.toWorld({0.0, 0.0}).y, 0.0, 1e-12);
}

TEST(Locator, KnownLocatorsAndAreasThatHoldTheirPoint) {
  struct Row {
    const char* name;
    GeoPoint geo;
    const char* locator;
  };
  const Row rows[] = {
      {"Boston", {42.3601, -71.0589}, "FN42li"},
      {"W1AW, Newington", {41.7148, -72.7272}, "FN31pr"},
      {"Sydney", {-33.8688, 151.2093}, "QF56od"},
      {"null island", {0.0, 0.0}, "JJ00aa"},
      {"the north pole and 180 E stay in the last field", {90.0, 180.0}, "RR99xx"},
      {"the south pole at 180 W is the first", {-90.0, -180.0}, "AA00aa"},
  };
  for (const Row& r : rows) EXPECT_EQ(maidenheadLocator(r.geo), r.locator) << r.name;
  EXPECT_EQ(maidenheadLocator({42.3601, -71.0589}, 1), "FN");
  EXPECT_EQ(maidenheadLocator({42.3601, -71.0589}, 4), "FN42li26");

  std::mt19937 random(7);
  std::uniform_real_distribution<double> lat(-89.99, 89.99);
  std::uniform_real_distribution<double> lon(-179.99, 179.99);
  for (int i = 0; i < 500; ++i) {
    const GeoPoint p{lat(random), lon(random)};
    for (int pairs = 1; pairs <= 5; ++pairs) {
      const Box area = maidenheadArea(maidenheadLocator(p, pairs));
      ASSERT_FALSE(area.empty());
      EXPECT_TRUE(area.contains(p.longitudeDeg, p.latitudeDeg)) << maidenheadLocator(p, pairs);
    }
  }
  const Box fn42 = maidenheadArea("fn42LI");
  EXPECT_DOUBLE_EQ(fn42.left, -71.0 - 1.0 / 12.0);
  EXPECT_DOUBLE_EQ(fn42.top, 42.0 + 8.0 / 24.0);
  for (const char* bad : {"", "F", "SN42", "FN4x", "FN42yy", "FN42li5", "FN42li53aa00"}) {
    EXPECT_TRUE(maidenheadArea(bad).empty()) << bad;
  }
}

TEST(ScaleBar, RoundLengthsThatFit) {
  struct Row {
    double metresPerPixel;
    double maxPx;
    const char* text;
    double lengthPx;
  };
  const Row rows[] = {
      {10.0, 100.0, "1 km", 100.0},
      {3.0, 100.0, "200 m", 200.0 / 3.0},
      {0.25, 120.0, "20 m", 80.0},
      {40000.0, 150.0, "5000 km", 125.0},
      {499.0, 100.0, "20 km", 20000.0 / 499.0},
  };
  for (const Row& r : rows) {
    const ScaleBar bar = scaleBar(r.metresPerPixel, r.maxPx);
    EXPECT_EQ(bar.text, r.text) << r.metresPerPixel;
    EXPECT_NEAR(bar.lengthPx, r.lengthPx, 1e-9) << r.metresPerPixel;
    EXPECT_LE(bar.lengthPx, r.maxPx);
  }
}

}  // namespace
}  // namespace tervane

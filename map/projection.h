#pragma once
// Web Mercator: the world as a unit square, x growing east from 180° W and y
// growing south from the Mercator limit near 85° N, and a viewport that shows
// part of it on a screen at some scale. The map wraps east and west, so a
// viewport may show the world (or parts of it) more than once side by side.

#include <cmath>

namespace tervane {

inline constexpr double kMercatorLimitDeg = 85.05112877980659;  // the latitude where the square ends
inline constexpr double kEarthMeanRadiusM = 6371008.8;
inline constexpr double kEquatorM = 40075016.68557849;  // Web Mercator's equatorial circumference

struct GeoPoint {
  double latitudeDeg = 0.0;   // north positive
  double longitudeDeg = 0.0;  // east positive
};

struct WorldPoint {
  double x = 0.0;
  double y = 0.0;
};

struct ScreenPoint {
  double x = 0.0;
  double y = 0.0;
};

// An axis-aligned rectangle, in world units or pixels; empty when right <= left.
struct Box {
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
  bool empty() const { return !(right > left && bottom > top); }
  bool intersects(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
  bool contains(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
  Box united(const Box& o) const;
  Box shifted(double dx, double dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Box grown(double by) const { return {left - by, top - by, right + by, bottom + by}; }
};

// Latitudes beyond the Mercator limit are drawn at the edge; longitudes keep
// any value, so a line that crosses 180° can continue past x = 1.
WorldPoint toWorld(const GeoPoint& geo);
// Longitude brought into -180..180.
GeoPoint toGeo(const WorldPoint& world);
// Ground metres that one world unit spans along a parallel.
double metresPerWorldUnit(double latitudeDeg);

class Viewport {
 public:
  static constexpr double kMaxPixelsPerWorld = 256.0 * (1 << 19);  // about 0.3 m a pixel: street blocks

  Viewport(int widthPx = 800, int heightPx = 600);

  void resize(int widthPx, int heightPx);
  void centreOn(const WorldPoint& centre);
  void setPixelsPerWorld(double pixelsPerWorld);
  // Scales by factor while the world point under fixed stays where it is.
  void zoomAround(const ScreenPoint& fixed, double factor);
  void panBy(double dxPx, double dyPx);

  ScreenPoint toScreen(const WorldPoint& world) const {
    return {(world.x - centre_.x) * scale_ + widthPx_ * 0.5, (world.y - centre_.y) * scale_ + heightPx_ * 0.5};
  }
  WorldPoint toWorld(const ScreenPoint& screen) const {
    return {centre_.x + (screen.x - widthPx_ * 0.5) / scale_, centre_.y + (screen.y - heightPx_ * 0.5) / scale_};
  }
  // The world under the screen rectangle, in unwrapped world units.
  Box worldBox(const Box& screen) const;
  Box screenBox(const Box& world) const;
  // The whole-turn shifts k (x + k) at which some of the world is in view.
  int firstCopy() const;
  int lastCopy() const;

  // The geographic point under a pixel, longitude wrapped.
  GeoPoint geoAt(const ScreenPoint& screen) const { return toGeo(toWorld(screen)); }
  // Ground metres per pixel at the viewport's centre.
  double metresPerPixel() const;

  int widthPx() const { return widthPx_; }
  int heightPx() const { return heightPx_; }
  double pixelsPerWorld() const { return scale_; }
  double minPixelsPerWorld() const;
  WorldPoint centre() const { return centre_; }

 private:
  void clampCentre();

  int widthPx_;
  int heightPx_;
  double scale_ = 256.0;
  WorldPoint centre_{0.5, 0.5};
};

}  // namespace tervane

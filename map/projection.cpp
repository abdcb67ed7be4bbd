#include "map/projection.h"

#include <algorithm>
#include <numbers>

namespace tervane {

namespace {

constexpr double kRadPerDeg = std::numbers::pi / 180.0;

}  // namespace

Box Box::united(const Box& o) const {
  if (empty()) return o;
  if (o.empty()) return *this;
  return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
}

WorldPoint toWorld(const GeoPoint& geo) {
  const double lat = std::clamp(geo.latitudeDeg, -kMercatorLimitDeg, kMercatorLimitDeg) * kRadPerDeg;
  const double y = 0.5 - std::log(std::tan(std::numbers::pi / 4.0 + lat / 2.0)) / (2.0 * std::numbers::pi);
  return {(geo.longitudeDeg + 180.0) / 360.0, y};
}

GeoPoint toGeo(const WorldPoint& world) {
  const double lat = std::atan(std::sinh((0.5 - world.y) * 2.0 * std::numbers::pi)) / kRadPerDeg;
  double lon = world.x * 360.0 - 180.0;
  lon -= 360.0 * std::floor((lon + 180.0) / 360.0);
  return {lat, lon};
}

double metresPerWorldUnit(double latitudeDeg) {
  const double lat = std::clamp(latitudeDeg, -kMercatorLimitDeg, kMercatorLimitDeg);
  return kEquatorM * std::cos(lat * kRadPerDeg);
}

Viewport::Viewport(int widthPx, int heightPx) : widthPx_(std::max(1, widthPx)), heightPx_(std::max(1, heightPx)) {
  scale_ = minPixelsPerWorld();
}

double Viewport::minPixelsPerWorld() const { return std::max(256.0, static_cast<double>(widthPx_)); }

void Viewport::resize(int widthPx, int heightPx) {
  widthPx_ = std::max(1, widthPx);
  heightPx_ = std::max(1, heightPx);
  setPixelsPerWorld(scale_);
}

void Viewport::centreOn(const WorldPoint& centre) {
  centre_ = centre;
  clampCentre();
}

void Viewport::setPixelsPerWorld(double pixelsPerWorld) {
  scale_ = std::clamp(pixelsPerWorld, minPixelsPerWorld(), kMaxPixelsPerWorld);
  clampCentre();
}

void Viewport::zoomAround(const ScreenPoint& fixed, double factor) {
  const WorldPoint anchor = toWorld(fixed);
  scale_ = std::clamp(scale_ * factor, minPixelsPerWorld(), kMaxPixelsPerWorld);
  centre_ = {anchor.x - (fixed.x - widthPx_ * 0.5) / scale_, anchor.y - (fixed.y - heightPx_ * 0.5) / scale_};
  clampCentre();
}

void Viewport::panBy(double dxPx, double dyPx) {
  centre_.x -= dxPx / scale_;
  centre_.y -= dyPx / scale_;
  clampCentre();
}

// East and west wrap; north and south stop where the square's edge meets the
// screen's edge, or stay centred while the whole height fits.
void Viewport::clampCentre() {
  centre_.x -= std::floor(centre_.x);
  const double halfHeight = heightPx_ * 0.5 / scale_;
  centre_.y = halfHeight >= 0.5 ? 0.5 : std::clamp(centre_.y, halfHeight, 1.0 - halfHeight);
}

Box Viewport::worldBox(const Box& screen) const {
  const WorldPoint a = toWorld({screen.left, screen.top});
  const WorldPoint b = toWorld({screen.right, screen.bottom});
  return {a.x, a.y, b.x, b.y};
}

Box Viewport::screenBox(const Box& world) const {
  const ScreenPoint a = toScreen({world.left, world.top});
  const ScreenPoint b = toScreen({world.right, world.bottom});
  return {a.x, a.y, b.x, b.y};
}

int Viewport::firstCopy() const { return static_cast<int>(std::floor(toWorld({0.0, 0.0}).x)); }

int Viewport::lastCopy() const { return static_cast<int>(std::floor(toWorld({static_cast<double>(widthPx_), 0.0}).x)); }

double Viewport::metresPerPixel() const { return metresPerWorldUnit(toGeo(centre_).latitudeDeg) / scale_; }

}  // namespace tervane

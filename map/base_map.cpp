#include "map/base_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tervane {

namespace {

constexpr std::uint8_t kMagic[] = {'T', 'V', 'M', 'A', 'P', 1};
constexpr std::size_t kMaxPointsPerLine = 1u << 20;
// Points closer than this many pixels at a layer's scale are left out.
constexpr double kThinPx = 1.5;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  bool atEnd() const { return at_ == bytes_.size(); }

  bool expect(std::span<const std::uint8_t> text) {
    if (bytes_.size() - at_ < text.size() || std::memcmp(bytes_.data() + at_, text.data(), text.size()) != 0) {
      ok_ = false;
      return false;
    }
    at_ += text.size();
    return true;
  }
  double real() {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(byte()) << (8 * i);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  std::uint64_t varint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const std::uint8_t b = byte();
      value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return value;
    }
    ok_ = false;
    return 0;
  }
  std::int64_t signedVarint() {
    const std::uint64_t v = varint();
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
  }
  std::size_t remaining() const { return bytes_.size() - at_; }

 private:
  std::uint8_t byte() {
    if (at_ >= bytes_.size()) {
      ok_ = false;
      return 0;
    }
    return bytes_[at_++];
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

struct Transform {
  double scaleX, scaleY, translateX, translateY;
};

Box boundsOf(const std::vector<WorldPoint>& points) {
  Box b{points.front().x, points.front().y, points.front().x, points.front().y};
  for (const WorldPoint& p : points) {
    b.left = std::min(b.left, p.x);
    b.right = std::max(b.right, p.x);
    b.top = std::min(b.top, p.y);
    b.bottom = std::max(b.bottom, p.y);
  }
  return b;
}

bool readLines(Reader& in, const Transform& t, std::vector<MapLine>& lines) {
  const std::uint64_t count = in.varint();
  // Every line takes at least one byte, so a count beyond the rest is damage.
  if (!in.ok() || count > in.remaining()) return false;
  lines.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t n = in.varint();
    if (!in.ok() || n < 2 || n > kMaxPointsPerLine || n > in.remaining()) return false;
    MapLine line;
    line.points.reserve(n);
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (std::uint64_t k = 0; k < n; ++k) {
      x += in.signedVarint();
      y += in.signedVarint();
      if (!in.ok()) return false;
      const GeoPoint geo{t.translateY + t.scaleY * static_cast<double>(y), t.translateX + t.scaleX * static_cast<double>(x)};
      line.points.push_back(toWorld(geo));
    }
    line.bounds = boundsOf(line.points);
    lines.push_back(std::move(line));
  }
  return true;
}

std::vector<MapLine> thinLines(const std::vector<MapLine>& lines, double minDistance, std::size_t minPoints) {
  std::vector<MapLine> out;
  for (const MapLine& line : lines) {
    // Rings smaller than the distance vanish at this scale.
    if (std::max(line.bounds.right - line.bounds.left, line.bounds.bottom - line.bounds.top) < minDistance) continue;
    MapLine thin{thinLine(line.points, minDistance), line.bounds};
    if (thin.points.size() >= minPoints) out.push_back(std::move(thin));
  }
  return out;
}

}  // namespace

std::vector<WorldPoint> thinLine(const std::vector<WorldPoint>& points, double minDistance) {
  std::vector<WorldPoint> kept;
  if (points.empty()) return kept;
  kept.push_back(points.front());
  const double min2 = minDistance * minDistance;
  for (std::size_t i = 1; i + 1 < points.size(); ++i) {
    const double dx = points[i].x - kept.back().x;
    const double dy = points[i].y - kept.back().y;
    if (dx * dx + dy * dy >= min2) kept.push_back(points[i]);
  }
  if (points.size() > 1) kept.push_back(points.back());
  return kept;
}

std::optional<BaseMap> BaseMap::decode(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  if (!in.expect(kMagic)) return std::nullopt;
  Transform t{};
  t.scaleX = in.real();
  t.scaleY = in.real();
  t.translateX = in.real();
  t.translateY = in.real();
  if (!in.ok() || !std::isfinite(t.scaleX) || !std::isfinite(t.scaleY) || !std::isfinite(t.translateX) ||
      !std::isfinite(t.translateY))
    return std::nullopt;
  BaseMap map;
  if (!readLines(in, t, map.full_.land) || !readLines(in, t, map.full_.borders) || !in.atEnd()) return std::nullopt;
  return map;
}

const MapLayer& BaseMap::layerFor(double pixelsPerWorld) const {
  const int level = static_cast<int>(std::floor(std::log2(std::max(pixelsPerWorld, 1.0) / 256.0)));
  if (level < 0 || level >= kLevels) return level < 0 ? layerFor(256.0) : full_;
  std::optional<MapLayer>& layer = lighter_[static_cast<std::size_t>(level)];
  if (!layer) {
    const double pixel = kThinPx / (256.0 * std::ldexp(1.0, level));
    layer = MapLayer{thinLines(full_.land, pixel, 4), thinLines(full_.borders, pixel, 2)};
  }
  return *layer;
}

std::size_t BaseMap::pointCount() const {
  std::size_t n = 0;
  for (const MapLine& l : full_.land) n += l.points.size();
  for (const MapLine& l : full_.borders) n += l.points.size();
  return n;
}

}  // namespace tervane

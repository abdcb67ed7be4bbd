#include "map/locator.h"

#include <algorithm>
#include <cmath>

#include "base/text_format.h"

namespace tervane {

namespace {

// Per pair: how many divisions the previous cell is cut into, and the first
// character of each division.
struct PairKind {
  int divisions;
  char base;
};
constexpr PairKind kPairs[] = {{18, 'A'}, {10, '0'}, {24, 'a'}, {10, '0'}, {24, 'a'}};
constexpr int kMaxPairs = 5;

}  // namespace

std::string maidenheadLocator(const GeoPoint& point, int pairs) {
  pairs = std::clamp(pairs, 1, kMaxPairs);
  double lon = std::clamp((point.longitudeDeg + 180.0) / 360.0, 0.0, 1.0);
  double lat = std::clamp((point.latitudeDeg + 90.0) / 180.0, 0.0, 1.0);
  std::string text;
  for (int p = 0; p < pairs; ++p) {
    const PairKind& kind = kPairs[p];
    const int x = std::min(static_cast<int>(lon * kind.divisions), kind.divisions - 1);
    const int y = std::min(static_cast<int>(lat * kind.divisions), kind.divisions - 1);
    text += static_cast<char>(kind.base + x);
    text += static_cast<char>(kind.base + y);
    lon = lon * kind.divisions - x;
    lat = lat * kind.divisions - y;
  }
  return text;
}

Box maidenheadArea(std::string_view locator) {
  if (locator.empty() || locator.size() % 2 != 0 || locator.size() > 2 * kMaxPairs) return {};
  double west = -180.0;
  double south = -90.0;
  double width = 360.0;
  double height = 180.0;
  for (std::size_t p = 0; p < locator.size() / 2; ++p) {
    const PairKind& kind = kPairs[p];
    int digits[2];
    for (int i = 0; i < 2; ++i) {
      char c = locator[2 * p + static_cast<std::size_t>(i)];
      if (kind.base != '0') c = static_cast<char>(kind.base == 'A' ? (c & ~0x20) : (c | 0x20));
      digits[i] = c - kind.base;
      if (digits[i] < 0 || digits[i] >= kind.divisions) return {};
    }
    width /= kind.divisions;
    height /= kind.divisions;
    west += digits[0] * width;
    south += digits[1] * height;
  }
  return {west, south, west + width, south + height};
}

ScaleBar scaleBar(double metresPerPixel, double maxLengthPx) {
  ScaleBar bar;
  if (!(metresPerPixel > 0.0) || !(maxLengthPx > 0.0)) return bar;
  const double most = metresPerPixel * maxLengthPx;
  const double decade = std::pow(10.0, std::floor(std::log10(most)));
  for (double step : {5.0, 2.0, 1.0}) {
    if (step * decade <= most) {
      bar.metres = step * decade;
      break;
    }
  }
  bar.lengthPx = bar.metres / metresPerPixel;
  bar.text = bar.metres >= 1000.0 ? textf("%.0f km", bar.metres / 1000.0) : textf("%.0f m", bar.metres);
  return bar;
}

}  // namespace tervane

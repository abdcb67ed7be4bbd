#pragma once
// Maidenhead grid locators ("FN42li") and the scale bar's length and text.

#include <string>
#include <string_view>

#include "map/projection.h"

namespace tervane {

// The locator of a point with the given number of character pairs (1 to 5):
// field, square, subsquare, extended square, extended subsquare. The north
// pole and 180° E fall into the last field.
std::string maidenheadLocator(const GeoPoint& point, int pairs = 3);

// The area a locator names, in degrees (left and right are its west and east
// edges, top and bottom its south and north edges); an empty box for text
// that is not a locator of 1 to 5 pairs (letters of either case).
Box maidenheadArea(std::string_view locator);

struct ScaleBar {
  double lengthPx = 0.0;
  double metres = 0.0;
  std::string text;  // "500 m", "2 km"
};

// The longest round length (1, 2 or 5 times a power of ten metres) that fits
// into maxLengthPx at the given ground resolution.
ScaleBar scaleBar(double metresPerPixel, double maxLengthPx);

}  // namespace tervane

#pragma once
// Cutting lines to a rectangle before they are drawn, so that a ring of
// thousands of points around a continent costs only its part in view.

#include <vector>

#include "map/projection.h"

namespace tervane {

// The part of a closed ring inside the box (Sutherland-Hodgman). Where the
// ring leaves the box the result runs along the box's edge, so filling it
// gives exactly the ring's area within the box; empty when none is inside.
std::vector<ScreenPoint> clipRing(const std::vector<ScreenPoint>& ring, const Box& box);

// The pieces of an open line inside the box, each with at least two points.
std::vector<std::vector<ScreenPoint>> clipLine(const std::vector<ScreenPoint>& line, const Box& box);

}  // namespace tervane

#include "map/clip.h"

#include <algorithm>

namespace tervane {

namespace {

enum class Edge { Left, Right, Top, Bottom };

bool inside(const ScreenPoint& p, Edge edge, const Box& box) {
  switch (edge) {
    case Edge::Left: return p.x >= box.left;
    case Edge::Right: return p.x <= box.right;
    case Edge::Top: return p.y >= box.top;
    case Edge::Bottom: return p.y <= box.bottom;
  }
  return false;
}

ScreenPoint crossing(const ScreenPoint& a, const ScreenPoint& b, Edge edge, const Box& box) {
  const bool vertical = edge == Edge::Left || edge == Edge::Right;
  const double at = edge == Edge::Left ? box.left : edge == Edge::Right ? box.right : edge == Edge::Top ? box.top : box.bottom;
  const double t = vertical ? (at - a.x) / (b.x - a.x) : (at - a.y) / (b.y - a.y);
  return vertical ? ScreenPoint{at, a.y + t * (b.y - a.y)} : ScreenPoint{a.x + t * (b.x - a.x), at};
}

// Liang-Barsky: the parameters t0 <= t1 of the segment a->b inside the box.
bool clipSegment(const ScreenPoint& a, const ScreenPoint& b, const Box& box, double* t0, double* t1) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
  *t0 = 0.0;
  *t1 = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      *t0 = std::max(*t0, r);
    } else {
      *t1 = std::min(*t1, r);
    }
    if (*t0 > *t1) return false;
  }
  return true;
}

}  // namespace

std::vector<ScreenPoint> clipRing(const std::vector<ScreenPoint>& ring, const Box& box) {
  std::vector<ScreenPoint> out = ring;
  std::vector<ScreenPoint> in;
  for (Edge edge : {Edge::Left, Edge::Right, Edge::Top, Edge::Bottom}) {
    if (out.empty()) break;
    in.swap(out);
    out.clear();
    ScreenPoint prev = in.back();
    bool prevInside = inside(prev, edge, box);
    for (const ScreenPoint& p : in) {
      const bool pInside = inside(p, edge, box);
      if (pInside != prevInside) out.push_back(crossing(prev, p, edge, box));
      if (pInside) out.push_back(p);
      prev = p;
      prevInside = pInside;
    }
  }
  if (out.size() < 3) out.clear();
  return out;
}

std::vector<std::vector<ScreenPoint>> clipLine(const std::vector<ScreenPoint>& line, const Box& box) {
  std::vector<std::vector<ScreenPoint>> pieces;
  std::vector<ScreenPoint> piece;
  for (std::size_t i = 1; i < line.size(); ++i) {
    const ScreenPoint& a = line[i - 1];
    const ScreenPoint& b = line[i];
    double t0 = 0.0;
    double t1 = 1.0;
    if (!clipSegment(a, b, box, &t0, &t1)) {
      if (piece.size() >= 2) pieces.push_back(std::move(piece));
      piece.clear();
      continue;
    }
    const ScreenPoint from{a.x + t0 * (b.x - a.x), a.y + t0 * (b.y - a.y)};
    const ScreenPoint to{a.x + t1 * (b.x - a.x), a.y + t1 * (b.y - a.y)};
    if (piece.empty() || t0 > 0.0) {
      if (piece.size() >= 2) pieces.push_back(std::move(piece));
      piece.assign(1, from);
    }
    piece.push_back(to);
    if (t1 < 1.0) {
      pieces.push_back(std::move(piece));
      piece.clear();
    }
  }
  if (piece.size() >= 2) pieces.push_back(std::move(piece));
  return pieces;
}

}  // namespace tervane

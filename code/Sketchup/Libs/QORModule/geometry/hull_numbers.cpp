#include "hull_numbers.hpp"

#include <algorithm>
#include <cmath>

namespace qor {
namespace geometry {

namespace {

// More points than this are left to the host: the bound grows with them.
const long kMostPoints = 16;
// In the host's unit box (the points moved to the first and scaled by
// their spread), points closer than this, or triangles thinner than this,
// are too near rounding to say what the host's turns make of them.
const double kApart = 1e-4;
const double kClearOfLine = 1e-6;
// The host's collinear angle, doubled.
const double kDroppedAngle = 2e-5;
// Farther than this from a chord (in the unit box, over the chord's
// length), a point is clear of the host's collinear angle and straight
// limit, with room for the rounding of its angle_between.
const double kOffChord = 1e-4;

double coordinate(const arith::Xyz& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// z of (b - a) x (c - a) in the plane of axes (u, v).
double turn(const arith::Xyz& a, const arith::Xyz& b, const arith::Xyz& c, int u, int v) {
  return (coordinate(b, u) - coordinate(a, u)) * (coordinate(c, v) - coordinate(a, v)) -
         (coordinate(b, v) - coordinate(a, v)) * (coordinate(c, u) - coordinate(a, u));
}

}  // namespace

bool hull_of_numbers(const arith::Xyz* points, long n, const arith::Xyz& normal, NativeArray<arith::Xyz>* out,
                     double* slack) {
  if (n < 3 || n > kMostPoints) return false;
  const arith::Xyz origin = points[0];
  double offset = 0.0, magnitude = 0.0;
  for (long i = 0; i < n; ++i) {
    const arith::Xyz d = arith::sub(points[i], origin);
    offset = std::max({offset, std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
    magnitude = std::max({magnitude, std::fabs(points[i].x), std::fabs(points[i].y), std::fabs(points[i].z)});
  }
  if (!(offset > 0.0) || !std::isfinite(offset) || !std::isfinite(magnitude)) return false;
  // The host's straight limit, as hull.cpp works it out.
  const double straight = 1e-12 * (1.0 + magnitude / offset);
  if (!(straight < 1e-9)) return false;

  // The host's unit-box copies, repeats dropped as the host drops them.
  arith::Xyz unit[kMostPoints];
  long kept[kMostPoints];
  long m = 0;
  for (long i = 0; i < n; ++i) {
    const arith::Xyz exact{(points[i].x - origin.x) / offset, (points[i].y - origin.y) / offset,
                           (points[i].z - origin.z) / offset};
    bool repeat = false;
    for (long k = 0; k < m && !repeat; ++k)
      repeat = unit[k].x == exact.x && unit[k].y == exact.y && unit[k].z == exact.z;
    if (repeat) continue;
    unit[m] = exact;
    kept[m++] = i;
  }
  if (m < 3) return false;
  double closest = INFINITY;
  bool any_near_line = false;  // a point the host's hull might drop as on a chord
  for (long j = 0; j < m; ++j)
    for (long k = j + 1; k < m; ++k) {
      const arith::Xyz along = arith::sub(unit[k], unit[j]);
      const double length = arith::len(along);
      closest = std::min(closest, length);
      double widest = 0.0;
      for (long i = 0; i < m; ++i) {
        if (i == j || i == k) continue;
        const double off = arith::len(arith::cross(along, arith::sub(unit[i], unit[j])));
        widest = std::max(widest, off);
        if (!(off > kOffChord * length)) any_near_line = true;
      }
      if (!(widest > kClearOfLine)) return false;
    }
  if (!(closest > kApart)) return false;

  // Monotone chain in the plane that drops the normal's largest axis;
  // points on a hull edge are left out.
  const double ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
  const int drop = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
  const int u = drop == 0 ? 1 : 0, v = drop == 2 ? 1 : 2;
  long order[kMostPoints];
  for (long i = 0; i < m; ++i) order[i] = kept[i];
  std::sort(order, order + m, [&](long a, long b) {
    const double ua = coordinate(points[a], u), ub = coordinate(points[b], u);
    if (ua != ub) return ua < ub;
    return coordinate(points[a], v) < coordinate(points[b], v);
  });
  long hull[2 * kMostPoints];
  long h = 0;
  for (long pass = 0; pass < 2; ++pass) {
    const long start = h;
    for (long s = 0; s < m; ++s) {
      const long i = order[pass == 0 ? s : m - 1 - s];
      while (h >= start + 2 && !(turn(points[hull[h - 2]], points[hull[h - 1]], points[i], u, v) > 0.0)) --h;
      hull[h++] = i;
    }
    --h;  // the last point starts the other chain
  }
  if (h < 3) return false;
  for (long k = 0; k < h; ++k) out->push(points[hull[k]]);
  // With every point well off every chord the host's turns and angles all
  // come out as these do, and its hull has the same corners: only rounding
  // is left.  Otherwise its corners are a subset of these, each dropped one
  // within the collinear angle (or a straight turn) of its neighbours.
  *slack = 1e-9 * (1.0 + magnitude);
  if (any_near_line)
    *slack += static_cast<double>(m) * offset * (kDroppedAngle * 3.5 + 4.0 * straight / closest);
  return true;
}

}  // namespace geometry
}  // namespace qor

#include "hull_numbers.hpp"

#include <algorithm>
#include <cmath>

namespace qor {
namespace geometry {

namespace {

// In the host's unit box (the points moved to the first and scaled by
// their spread, so within 2 * sqrt(3) of each other), points closer than
// this, or a hull thinner than this, are too near rounding to say what
// the host's turns make of them.
const double kApart = 1e-4;
const double kClearOfLine = 1e-6;
const double kUnitBoxDiameter = 3.5;
// The host's collinear angle, doubled.
const double kDroppedAngle = 2e-5;
// Farther than this from the chord of its neighbours (in the unit box), a
// hull corner is clear of the host's collinear angle and straight limit,
// with room for the rounding of its angle_between.
const double kOffChord = 1e-4;

double coordinate(const arith::Xyz& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// z of (b - a) x (c - a) in the plane of axes (u, v).
double turn(const arith::Xyz& a, const arith::Xyz& b, const arith::Xyz& c, int u, int v) {
  return (coordinate(b, u) - coordinate(a, u)) * (coordinate(c, v) - coordinate(a, v)) -
         (coordinate(b, v) - coordinate(a, v)) * (coordinate(c, u) - coordinate(a, u));
}

// The least distance between two of the points, sweeping them in x order.
double closest_pair(NativeArray<arith::Xyz>* points) {
  std::sort(points->begin(), points->begin() + points->size(),
            [](const arith::Xyz& a, const arith::Xyz& b) { return a.x < b.x; });
  double best = INFINITY;
  for (size_t i = 0; i < points->size(); ++i)
    for (size_t j = i + 1; j < points->size() && (*points)[j].x - (*points)[i].x < best; ++j)
      best = std::min(best, arith::dist((*points)[i], (*points)[j]));
  return best;
}

}  // namespace

bool hull_of_numbers(const arith::Xyz* points, long n, const arith::Xyz& normal, NativeArray<arith::Xyz>* out,
                     double* slack) {
  if (n < 3) return false;
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

  // The host's unit-box copies; a point repeated exactly is one point to
  // the host as here, any two others must be well apart.
  NativeArray<arith::Xyz> unit;
  for (long i = 0; i < n; ++i)
    unit.push(arith::Xyz{(points[i].x - origin.x) / offset, (points[i].y - origin.y) / offset,
                         (points[i].z - origin.z) / offset});
  std::sort(unit.begin(), unit.begin() + unit.size(), [](const arith::Xyz& a, const arith::Xyz& b) {
    return a.x != b.x ? a.x < b.x : (a.y != b.y ? a.y < b.y : a.z < b.z);
  });
  NativeArray<arith::Xyz> distinct;
  for (size_t i = 0; i < unit.size(); ++i)
    if (i == 0 || unit[i].x != unit[i - 1].x || unit[i].y != unit[i - 1].y || unit[i].z != unit[i - 1].z)
      distinct.push(unit[i]);
  if (distinct.size() < 3) return false;
  const double closest = closest_pair(&distinct);
  if (!(closest > kApart)) return false;

  // Monotone chain in the plane that drops the normal's largest axis;
  // points on a hull edge are left out.
  const double ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
  const int drop = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
  const int u = drop == 0 ? 1 : 0, v = drop == 2 ? 1 : 2;
  NativeArray<long> order, hull;
  for (long i = 0; i < n; ++i) order.push(i);
  std::sort(order.begin(), order.begin() + n, [&](long a, long b) {
    const double ua = coordinate(points[a], u), ub = coordinate(points[b], u);
    if (ua != ub) return ua < ub;
    return coordinate(points[a], v) < coordinate(points[b], v);
  });
  for (long pass = 0; pass < 2; ++pass) {
    const size_t start = hull.size();
    for (long s = 0; s < n; ++s) {
      const long i = order[pass == 0 ? s : n - 1 - s];
      while (hull.size() >= start + 2 &&
             !(turn(points[hull[hull.size() - 2]], points[hull[hull.size() - 1]], points[i], u, v) > 0.0))
        hull.truncate(hull.size() - 1);
      hull.push(i);
    }
    hull.truncate(hull.size() - 1);  // the last point starts the other chain
  }
  const long h = static_cast<long>(hull.size());
  if (h < 3) return false;

  // Clear of one line: every line through two of the points has a point
  // of the hull at least half its least width away, and the least width
  // is at least the area over the diameter.  The host's hull then surely
  // finds its plane and does not raise.
  double area = 0.0;
  bool any_near_line = false;  // a corner the host's hull might drop as on a chord
  for (long k = 0; k < h; ++k) {
    const arith::Xyz a = arith::scale(arith::sub(points[hull[k]], origin), 1.0 / offset);
    const arith::Xyz b = arith::scale(arith::sub(points[hull[(k + 1) % h]], origin), 1.0 / offset);
    const arith::Xyz before = arith::scale(arith::sub(points[hull[(k + h - 1) % h]], origin), 1.0 / offset);
    area += turn(arith::Xyz{0.0, 0.0, 0.0}, a, b, u, v) / 2.0;
    const arith::Xyz chord = arith::sub(b, before);
    const double off = arith::len(arith::cross(chord, arith::sub(a, before))) / arith::len(chord);
    if (!(off > kOffChord)) any_near_line = true;
  }
  if (!(closest * std::fabs(area) / kUnitBoxDiameter / 2.0 > kClearOfLine)) return false;

  for (long k = 0; k < h; ++k) out->push(points[hull[k]]);
  // With every corner well off the chord of its neighbours the host's
  // turns and angles all come out as these do, and its hull has the same
  // corners but for points on or within its straight limit of an edge.
  // Otherwise its corners are a subset of these, each dropped one within
  // the collinear angle of its neighbours.
  const double m = static_cast<double>(distinct.size());
  *slack = 1e-9 * (1.0 + magnitude) + m * offset * 4.0 * straight / closest;
  if (any_near_line) *slack += m * offset * kDroppedAngle * kUnitBoxDiameter;
  return true;
}

}  // namespace geometry
}  // namespace qor

// Tests on numbers that answer only where the answer is certain: on any
// host whose arithmetic keeps the documented semantics (0.001 inch for
// points, 1e-6 for angles) within rounding and within that tolerance, the
// host would answer the same.  Closer to a knife edge than the margins
// below, the answer is kUnsure and the caller asks the host.
//
// Only plain doubles: nothing here calls Ruby.
#pragma once

#include <algorithm>
#include <cmath>

#include "point_arithmetic.hpp"

namespace qor {
namespace geometry {
namespace certain {

enum class Sure : unsigned char { kNo, kYes, kUnsure };

inline Sure sure(bool b) { return b ? Sure::kYes : Sure::kNo; }
// Three-valued and / or / not: a certain answer settles what it can.
inline Sure both(Sure a, Sure b) {
  if (a == Sure::kNo || b == Sure::kNo) return Sure::kNo;
  return a == Sure::kYes && b == Sure::kYes ? Sure::kYes : Sure::kUnsure;
}
inline Sure either(Sure a, Sure b) {
  if (a == Sure::kYes || b == Sure::kYes) return Sure::kYes;
  return a == Sure::kNo && b == Sure::kNo ? Sure::kNo : Sure::kUnsure;
}
inline Sure negated(Sure a) { return a == Sure::kUnsure ? a : sure(a == Sure::kNo); }

using arith::Xyz;

// Closer than this, two points are one and a point is on a border, for any
// host: a tenth of the tolerance.
const double kSurelyOn = 1.0e-4;
// Farther than this, two points are apart and a point is off a border, for
// any host: twenty times the tolerance.  A host's border may be wider than
// it documents (0.01 inch is seen in the tests), never this wide.
const double kKnifeEdge = 0.02;
// Parallel lines: the host's angular tolerance, halved and doubled.
const double kSurelyParallel = 0.5e-6;
const double kSurelyCrossing = 2.0e-6;

inline double magnitude(const Xyz& p) { return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}); }
// Room for rounding at coordinates this large.
inline double slack(double m) { return 1e-9 * m; }

// Far apart, or surely the same point: a distance against the tolerance.
inline Sure within_tolerance(double d, double m) {
  if (d < kSurelyOn - slack(m)) return Sure::kYes;
  if (d > kKnifeEdge + slack(m)) return Sure::kNo;
  return Sure::kUnsure;  // NaN too
}

// Point#==.
inline Sure same_point(const Xyz& p, const Xyz& q) {
  return within_tolerance(arith::dist(p, q), std::max(magnitude(p), magnitude(q)));
}

// x strictly between a and b: the directions from x to them opposed within
// the host's -0.999999.  Unsure within the knife edge of an end, where
// the direction to it is the host's rounding.
inline Sure strictly_between(const Xyz& x, const Xyz& a, const Xyz& b) {
  const double da = arith::dist(a, x), db = arith::dist(b, x);
  const double m = std::max({magnitude(x), magnitude(a), magnitude(b)});
  if (!(std::min(da, db) > kKnifeEdge + slack(m))) return Sure::kUnsure;
  const double c = arith::dot(arith::unit(arith::sub(b, x)), arith::unit(arith::sub(a, x)));
  const double margin = 1e-7 + slack(m) / std::min(da, db);
  if (c < -0.999999 - margin) return Sure::kYes;
  if (c > -0.999999 + margin) return Sure::kNo;
  return Sure::kUnsure;
}

// Geom.intersect_line_line of the lines through p0-p1 and q0-q1: kYes with
// the point (on the first line) in *x.
inline Sure lines_meet(const Xyz& p0, const Xyz& p1, const Xyz& q0, const Xyz& q1, Xyz* x) {
  const Xyz d1 = arith::unit(arith::sub(p1, p0)), d2 = arith::unit(arith::sub(q1, q0));
  const double s = arith::len(arith::cross(d1, d2));
  if (s < kSurelyParallel) return Sure::kNo;
  if (!(s > kSurelyCrossing)) return Sure::kUnsure;
  const double b = arith::dot(d1, d2);
  const double denom = 1.0 - b * b;
  const Xyz w = arith::sub(p0, q0);
  const double d = arith::dot(d1, w), e = arith::dot(d2, w);
  const Xyz on1 = arith::add(p0, arith::scale(d1, (b * e - d) / denom));
  const Xyz on2 = arith::add(q0, arith::scale(d2, (e - b * d) / denom));
  const Sure meet = same_point(on1, on2);
  if (meet == Sure::kYes) *x = on1;
  return meet;
}

// Geom.point_in_polygon_2D on points flattened to z = 0, border counting
// as inside: certain on the border (within kSurelyOn of an edge) and away
// from it (beyond kKnifeEdge of every edge, and an area clear of the
// host's "no area" limit or no crossing at all).  With `widen`, the
// host's polygon may be any whose border lies within that distance of
// this one: the margins grow by it.
template <class At>
Sure in_polygon_2d(const Xyz& p, long n, At at, double widen = 0.0) {
  if (n == 0) return Sure::kNo;
  double nearest = INFINITY, m = magnitude(p), perimeter = 0.0;
  for (long i = 0; i < n; ++i) {
    const Xyz a = at(i), b = at((i + 1) % n);
    nearest = std::min(nearest, arith::dist_to_segment(p, a, b));
    perimeter += arith::dist(a, b);
    m = std::max(m, magnitude(a));
  }
  if (widen > 0.0) {
    if (nearest < kSurelyOn - widen - slack(m)) return Sure::kYes;
    if (!(nearest > kKnifeEdge + widen + slack(m))) return Sure::kUnsure;
  } else {
    const Sure on_border = within_tolerance(nearest, m);
    if (on_border != Sure::kNo) return on_border;
  }
  if (n < 3) return Sure::kNo;
  // The area may differ by the border's shift along the whole perimeter.
  const double no_area = 1.0e-6 + 2.0 * widen * perimeter;
  double nz = 0.0;
  bool inside = false;
  long j = n - 1;
  for (long i = 0; i < n; ++i) {
    const Xyz a = at(i), b = at(j);
    nz += (a.x - b.x) * (a.y + b.y);
    if ((a.y > p.y) != (b.y > p.y)) {
      const double xc = (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x;
      if (p.x < xc) inside = !inside;
    }
    j = i;
  }
  if (std::fabs(nz) > no_area) return sure(inside);
  return inside ? Sure::kUnsure : Sure::kNo;
}

// pointInPolygon3D with border: inside seen along each of the three axes.
inline Sure in_polygon_3d(const Xyz& p, const Xyz* polygon, long n, double widen = 0.0) {
  const Sure in_xy =
      in_polygon_2d({p.x, p.y, 0.0}, n, [&](long i) { return Xyz{polygon[i].x, polygon[i].y, 0.0}; }, widen);
  if (in_xy == Sure::kNo) return in_xy;
  const Sure in_xz =
      in_polygon_2d({p.x, p.z, 0.0}, n, [&](long i) { return Xyz{polygon[i].x, polygon[i].z, 0.0}; }, widen);
  if (in_xz == Sure::kNo) return in_xz;
  return both(both(in_xy, in_xz), in_polygon_2d({p.z, p.y, 0.0}, n,
                                                [&](long i) { return Xyz{polygon[i].z, polygon[i].y, 0.0}; }, widen));
}

}  // namespace certain
}  // namespace geometry
}  // namespace qor

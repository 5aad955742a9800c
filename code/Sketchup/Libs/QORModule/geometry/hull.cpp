#include "hull.hpp"

#include <cmath>

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "sort_blocks.hpp"

namespace qor {
namespace geometry {

namespace {

// Below this angle (radians) three hull points count as collinear.
const double kCollinearAngle = 0.00001;

// (u x v).normalize . n: the sign of the turn from u to v about n; 0 when
// u and v are parallel or either is zero.
double turn(VALUE u, VALUE v, VALUE n) {
  return num(call(call(call(u, id::cross, v), id::normalize), id::dot, n));
}

// The sign of a turn; a straight or reversed line gives the sign of
// u . v (NaN when the dot product is zero too).
double turn_sign(double t, VALUE u, VALUE v) {
  if (t > 0) return 1.0;
  if (t < 0) return -1.0;
  const double d = num(call(u, id::dot, v));
  return d / std::fabs(d);
}

VALUE vec(VALUE from, VALUE to) { return call(from, id::vector_to, to); }

}  // namespace

VALUE order_round_point(VALUE points, VALUE reference, VALUE normal) {
  VALUE ref = vec(reference, at(points, 0));
  VALUE keyed = new_array(len(points));
  for (long i = 0; i < len(points); ++i) {
    VALUE p = at(points, i);
    VALUE v = vec(reference, p);
    double side = turn(ref, v, normal);
    // Along ref (points[0] itself included) there is no side: key 0 or pi.
    if (side == 0.0) side = 1.0;
    const double key = side * num(call(ref, id::angle_between, v));
    push(keyed, array_of(flo(key), p));
  }
  sort_with(keyed, sortByKeyThenDistance, reference);
  VALUE ordered = new_array(len(keyed));
  for (long i = 0; i < len(keyed); ++i) push(ordered, at(at(keyed, i), 1));
  RB_GC_GUARD(reference);
  return ordered;
}

VALUE convex_hull(VALUE points) {
  VALUE sorted = call(new_array(), id::plus, points);
  sort_with(sorted, sortByXThenYDescending);
  VALUE anchor = at(sorted, 0);

  // The plane's normal from the first pair of edges out of the anchor that
  // are not parallel.
  VALUE normal = Qnil;
  for (long i = 1; i < len(sorted); ++i) {
    normal = call(call(vec(anchor, at(sorted, 1)), id::cross, vec(anchor, at(sorted, i))),
                  id::normalize);
    if (num(call(normal, id::length)) != 0.0) break;
  }

  VALUE rest = call(sorted, id::minus, array_of(anchor));
  VALUE ring = call(array_of(anchor), id::plus, order_round_point(rest, anchor, normal));

  // Winding of the ring about the normal.  Runs off the end of the ring
  // (and raises there) when the points are all on one line.
  double winding = 0.0;
  VALUE first = at(ring, 0);
  for (long j = 0;; ++j) {
    VALUE u = vec(first, at(ring, j - 1));
    VALUE v = vec(first, at(ring, j));
    const double d = turn(u, v, normal);
    if (d == 0.0) continue;
    winding = turn_sign(d, u, v);
    break;
  }

  VALUE hull = array_of(first);
  VALUE removed = new_array();
  const long n = len(ring);
  for (long k = 1; k < n; ++k) {
    VALUE next = at(ring, (k + 1) % n);
    push(hull, at(ring, k));
    VALUE a = vec(at(hull, -2), at(hull, -1));
    VALUE c = vec(at(hull, -1), next);
    if (turn_sign(turn(a, c, normal), a, c) == winding) continue;
    // Back up over the points that turn the wrong way.  A straight
    // continuation counts as turning the right way here.
    double g;
    do {
      push(removed, rb_ary_pop(hull));
      a = vec(at(hull, -2), at(hull, -1));
      c = vec(at(hull, -1), next);
      g = turn(a, c, normal) >= 0 ? 1.0 : -1.0;
    } while (g != winding);
  }

  // Points on a hull edge: every test looks at the hull as it was before.
  const long h = len(hull);
  if (h > 2) {
    for (long e = -1; e <= h - 2; ++e) {
      VALUE u = vec(at(hull, e - 1), at(hull, e));
      VALUE w = vec(at(hull, e - 1), at(hull, e + 1));
      if (std::fabs(num(call(u, id::angle_between, w))) < kCollinearAngle)
        push(removed, at(hull, e));
    }
  }
  return call(hull, id::minus, removed);
}

VALUE convexHull(VALUE, VALUE face) { return convex_hull(call(face, id::polygon)); }
VALUE convexHull2(VALUE, VALUE points) { return convex_hull(points); }
VALUE orderVerticesRoundMinPoint(VALUE, VALUE points, VALUE reference, VALUE normal) {
  return order_round_point(points, reference, normal);
}

}  // namespace geometry
}  // namespace qor

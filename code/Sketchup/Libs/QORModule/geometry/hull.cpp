#include "hull.hpp"

#include <cmath>

#include "../core/globals.hpp"
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

namespace {

// Angles this close count as the same direction when the hull orders its
// points: points along one ray then come nearest first, as ties should,
// whatever the rounding of angle_between made of their angles.
const double kHullTieAngle = 1e-9;

// The angular order round reference; keys are snapped to multiples of tie
// when tie is not zero.
VALUE order_round(VALUE points, VALUE reference, VALUE normal, double tie) {
  VALUE ref = vec(reference, at(points, 0));
  VALUE keyed = new_array(len(points));
  for (long i = 0; i < len(points); ++i) {
    VALUE p = at(points, i);
    VALUE v = vec(reference, p);
    double side = turn(ref, v, normal);
    // Along ref (points[0] itself included) there is no side: key 0 or pi.
    if (side == 0.0) side = 1.0;
    double key = side * num(call(ref, id::angle_between, v));
    if (tie != 0.0) key = std::nearbyint(key / tie) * tie;
    // Ties go nearest first: the distance is read now, not by the sort.
    const double distance = num(call(call(p, id::distance, reference), id::to_f));
    push(keyed, array_of(flo(key), flo(distance), p));
  }
  VALUE ordered = sort_by_read_keys(keyed, KeyOrder::ascending);
  RB_GC_GUARD(reference);
  return ordered;
}

}  // namespace

VALUE order_round_point(VALUE points, VALUE reference, VALUE normal) {
  return order_round(points, reference, normal, 0.0);
}

namespace {

// In the unit box rounding leaves (u x v) . n below about 1e-14 for three
// points on one line given exactly; below this a turn counts as straight.
const double kStraightTurn = 1e-12;

[[noreturn]] void too_few_points() {
  rb_raise(rb_eArgError, "points must hold three distinct points not on one line");
}

// The host's point class: the scripts' global when set, else by name.
VALUE point_class() {
  if (RB_TYPE_P(gv::class_Geom_Point3d, T_CLASS)) return gv::class_Geom_Point3d;
  return rb_path2class("Geom::Point3d");
}

double coordinate_or_zero(VALUE p, ID axis) {
  return rb_respond_to(p, axis) ? num(call(p, axis)) : 0.0;
}

// The hull is worked out on host points of our own: the distinct input
// points moved so that the first sits at the origin and scaled into the
// unit box.  The turns, angles and orders the hull rests on are the same,
// but no product of coordinates can overflow (1e78 and up did) and
// duck-typed points are read only for their coordinates.  `originals`
// maps each copy back to the input point it stands for.  *straight gets
// the turn below which three copies count as on one line (hull_turn).
VALUE normalised_copies(VALUE points, VALUE originals, double* straight) {
  const long n = len(points);
  VALUE coordinates = new_array(n);
  double max_offset = 0.0, max_magnitude = 0.0, origin[3] = {0.0, 0.0, 0.0};
  for (long i = 0; i < n; ++i) {
    VALUE p = expect_point_arg(at(points, i), "a points entry");
    const double c[3] = {coordinate_or_zero(p, id::x), coordinate_or_zero(p, id::y),
                         coordinate_or_zero(p, id::z)};
    for (int k = 0; k < 3; ++k) {
      if (!std::isfinite(c[k])) rb_raise(rb_eArgError, "points must have finite coordinates");
      if (i == 0) origin[k] = c[k];
      max_offset = std::fmax(max_offset, std::fabs(c[k] - origin[k]));
      max_magnitude = std::fmax(max_magnitude, std::fabs(c[k]));
    }
    push(coordinates, array_of(flo(c[0]), flo(c[1]), flo(c[2]), p));
  }
  if (!(max_offset > 0.0) || !std::isfinite(max_offset)) too_few_points();
  // Coordinates far from the origin for the points' spread carry fewer
  // digits of it: points on one line are off it by more once in the box.
  *straight = kStraightTurn * (1.0 + max_magnitude / max_offset);

  call(originals, id::compare_by_identity);
  VALUE seen = rb_hash_new();
  VALUE copies = new_array(n);
  for (long i = 0; i < n; ++i) {
    VALUE entry = at(coordinates, i);
    double c[3];
    for (int k = 0; k < 3; ++k) c[k] = (num(at(entry, k)) - origin[k]) / max_offset;
    VALUE key = array_of(flo(c[0]), flo(c[1]), flo(c[2]));
    if (!NIL_P(rb_hash_lookup2(seen, key, Qnil))) continue;  // a repeated point
    rb_hash_aset(seen, key, Qtrue);
    VALUE copy = call(point_class(), id::new_, flo(c[0]), flo(c[1]), flo(c[2]));
    rb_hash_aset(originals, copy, at(entry, 3));
    push(copies, copy);
  }
  if (len(copies) < 3) too_few_points();
  return copies;
}

// The turn from u to v about n, of the sign turn() gives, but 0 for
// points on one line up to rounding (below `straight`).  Normalising the
// rounding left in a cross product would make it a full turn either way.
double hull_turn(VALUE u, VALUE v, VALUE n, double straight) {
  const double t = num(call(call(u, id::cross, v), id::dot, n));
  return std::fabs(t) < straight ? 0.0 : t;
}

VALUE hull_of(VALUE points, double straight) {
  VALUE sorted = sort_points_x_then_y_descending(points);
  VALUE anchor = at(sorted, 0);

  // The plane's normal from the first pair of edges out of the anchor that
  // are not parallel.  Rounding leaves a tiny cross product for parallel
  // edges, and normalising that would give a normal in any direction.
  VALUE normal = Qnil;
  for (long i = 2; i < len(sorted) && NIL_P(normal); ++i) {
    VALUE cross = call(vec(anchor, at(sorted, 1)), id::cross, vec(anchor, at(sorted, i)));
    if (num(call(cross, id::length)) >= straight) normal = call(cross, id::normalize);
  }
  if (NIL_P(normal)) too_few_points();  // all on one line

  VALUE rest = call(sorted, id::minus, array_of(anchor));
  VALUE ring = call(array_of(anchor), id::plus, order_round(rest, anchor, normal, kHullTieAngle));

  // Winding of the ring about the normal.  Runs off the end of the ring
  // (and raises there) when the points are all on one line.
  double winding = 0.0;
  VALUE first = at(ring, 0);
  for (long j = 0; j < len(ring); ++j) {
    VALUE u = vec(first, at(ring, j - 1));
    VALUE v = vec(first, at(ring, j));
    const double d = hull_turn(u, v, normal, straight);
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
    if (turn_sign(hull_turn(a, c, normal, straight), a, c) == winding) continue;
    // Back up over the points that turn the wrong way.  A straight
    // continuation counts as turning the right way here.
    double g;
    do {
      push(removed, rb_ary_pop(hull));
      if (len(hull) < 2) break;  // back at the anchor: nothing left to turn at
      a = vec(at(hull, -2), at(hull, -1));
      c = vec(at(hull, -1), next);
      g = hull_turn(a, c, normal, straight) >= 0 ? 1.0 : -1.0;
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

}  // namespace

VALUE convex_hull(VALUE points) {
  expect_array_arg(points, "points");
  VALUE originals = rb_hash_new();
  double straight = 0.0;
  VALUE copies = normalised_copies(points, originals, &straight);
  VALUE hull = hull_of(copies, straight);
  VALUE result = new_array(len(hull));
  for (long i = 0; i < len(hull); ++i) push(result, rb_hash_lookup2(originals, at(hull, i), Qnil));
  return result;
}

VALUE convexHull(VALUE, VALUE face) {
  if (!rb_respond_to(face, id::polygon))
    rb_raise(rb_eTypeError, "face must answer polygon, not %s", rb_obj_classname(face));
  return convex_hull(call(face, id::polygon));
}
VALUE convexHull2(VALUE, VALUE points) { return convex_hull(points); }
VALUE orderVerticesRoundMinPoint(VALUE, VALUE points, VALUE reference, VALUE normal) {
  expect_array_arg(points, "points");
  expect_point_arg(reference, "reference");
  return order_round_point(points, reference, normal);
}

}  // namespace geometry
}  // namespace qor

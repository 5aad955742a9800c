#include "primitives.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "certain.hpp"
#include "point_math.hpp"

namespace qor {
namespace geometry {

namespace {

const double kPivotThreshold = 0.001;
const double kPlaneTolerance = 1e-5;
const double kOppositeDirections = -0.999999;

// The four coefficients of a plane array, through the float conversion.
void plane_coefficients(VALUE plane, double out[4]) {
  for (long i = 0; i < 4; ++i) out[i] = num(at(plane, i));
}

// (p.a, p.b, 0.0) as a new host point.
VALUE projected_point(VALUE a, VALUE b) {
  return call(gv::class_Geom_Point3d, id::new_, a, b, flo(0.0));
}

}  // namespace

bool planes_equal(VALUE plane, VALUE other) {
  double r[4], o[4];
  plane_coefficients(plane, r);
  plane_coefficients(other, o);
  return planes_equal(r, o);
}

bool planes_equal(const double r[4], const double o[4]) {
  double s = 0.0, t = 0.0;  // receiver's and other's coefficient at the pivot
  for (int k = 0; k < 4; ++k) {
    if (std::fabs(r[k]) > kPivotThreshold) {
      s = r[k];
      t = o[k];
      break;
    }
  }
  // No usable pivot on either side: compare the coefficients directly.
  if (std::fabs(s) < kPivotThreshold || std::fabs(t) < kPivotThreshold) s = t = 1.0;

  // Written so that a NaN anywhere makes the planes differ.
  for (int i = 0; i < 4; ++i)
    if (!(std::fabs(r[i] * t - o[i] * s) <= kPlaneTolerance)) return false;
  return true;
}

VALUE isEqualtoPlane(VALUE self, VALUE other) {
  expect_plane_arg(self, "plane");
  expect_plane_arg(other, "other");
  return planes_equal(self, other) ? Qtrue : Qfalse;
}

namespace {

// pointInPolygon3D with border on the host's points read once each (to_a),
// where certain.hpp settles it; kUnsure for anything else.
certain::Sure in_polygon_on_numbers(VALUE point, VALUE polygon, long n) {
  static const long kMostPoints = 64;
  if (n < 3 || n > kMostPoints) return certain::Sure::kUnsure;
  arith::Xyz corners[kMostPoints];
  double c[3];
  if (!read_point(point, c)) return certain::Sure::kUnsure;
  const arith::Xyz p{c[0], c[1], c[2]};
  for (long i = 0; i < n; ++i) {
    if (!read_point(rb_ary_entry(polygon, i), c)) return certain::Sure::kUnsure;
    corners[i] = arith::Xyz{c[0], c[1], c[2]};
  }
  return certain::in_polygon_3d(p, corners, n);
}

}  // namespace

VALUE pointInPolygon3D(VALUE, VALUE point, VALUE polygon, VALUE border) {
  return point_in_polygon_3d(Road::chosen(), point, polygon, border);
}

VALUE point_in_polygon_3d(Road road, VALUE point, VALUE polygon, VALUE border) {
  expect_point_arg(point, "point");
  expect_array_arg(polygon, "polygon");
  const long n = len(polygon);
  if (is_true(border) && road.indexed()) {
    const certain::Sure sure = in_polygon_on_numbers(point, polygon, n);
    if (sure != certain::Sure::kUnsure) return sure == certain::Sure::kYes ? Qtrue : Qfalse;
  }
  VALUE point_xz = projected_point(call(point, id::x), call(point, id::z));
  VALUE xz = new_array(n);
  for (long i = 0; i < n; ++i) {
    VALUE p = at(polygon, i);
    push(xz, projected_point(call(p, id::x), call(p, id::z)));
  }
  VALUE point_zy = projected_point(call(point, id::z), call(point, id::y));
  VALUE zy = new_array(n);
  for (long i = 0; i < n; ++i) {
    VALUE p = at(polygon, i);
    push(zy, projected_point(call(p, id::z), call(p, id::y)));
  }

  VALUE in_xz = call(gv::module_Geom, id::point_in_polygon_2D, point_xz, xz, border);
  VALUE in_zy = call(gv::module_Geom, id::point_in_polygon_2D, point_zy, zy, border);
  VALUE in_xy = call(gv::module_Geom, id::point_in_polygon_2D, point, polygon, border);
  return call(call(in_xy, id::amp, in_xz), id::amp, in_zy);
}

bool strictly_inside(VALUE p, VALUE a, VALUE b) {
  VALUE to_b = call(call(p, id::vector_to, b), id::normalize);
  VALUE to_a = call(call(p, id::vector_to, a), id::normalize);
  return num(call(to_b, id::dot, to_a)) < kOppositeDirections;
}

VALUE segment_intersection(VALUE segment1, VALUE segment2, VALUE mode) {
  VALUE a0 = at(segment1, 0), a1 = at(segment1, 1);
  VALUE b0 = at(segment2, 0), b1 = at(segment2, 1);
  if (equal(b0, b1)) return Qnil;
  if (equal(a0, a1)) return Qnil;

  VALUE line1 = array_of(a0, call(a0, id::vector_to, a1));
  VALUE line2 = array_of(b0, call(b0, id::vector_to, b1));
  VALUE p = call(gv::module_Geom, id::intersect_line_line, line1, line2);
  if (NIL_P(p)) return Qnil;

  // The checks run in a fixed order; a second check runs only after its
  // first one holds.
  const bool i1 = strictly_inside(p, a0, a1);
  const bool i1_i2 = i1 && strictly_inside(p, b0, b1);
  const bool e1 = equal(p, a0) || equal(p, a1);
  const bool e1_i2 = e1 && strictly_inside(p, b0, b1);
  const bool e2 = equal(p, b0) || equal(p, b1);
  const bool e2_i1 = e2 && strictly_inside(p, a0, a1);

  const bool touching = e1_i2 || e2_i1;
  if (!(i1_i2 || touching)) return Qnil;
  if (is_true(mode)) return p;
  if (is_false(mode)) return touching ? Qnil : p;
  return Qnil;
}

VALUE intersection(VALUE, VALUE segment1, VALUE segment2, VALUE mode) {
  const VALUE segments[2] = {segment1, segment2};
  const char* const names[2] = {"segment1", "segment2"};
  for (int s = 0; s < 2; ++s) {
    expect_array_arg(segments[s], names[s]);
    if (RARRAY_LEN(segments[s]) != 2)
      rb_raise(rb_eArgError, "%s must hold 2 points, not %ld", names[s], RARRAY_LEN(segments[s]));
    for (long i = 0; i < 2; ++i) expect_point_arg(rb_ary_entry(segments[s], i), names[s]);
  }
  return segment_intersection(segment1, segment2, mode);
}

}  // namespace geometry
}  // namespace qor

#include "point_math.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "exact_arithmetic.hpp"

namespace qor {
namespace geometry {

namespace {

using exact::Xyz;

Xyz xyz(const double v[3]) { return Xyz{v[0], v[1], v[2]}; }

// The interpreter's Math.atan2, which answers its own way for two zeros.
double atan2_as_interpreter(double y, double x) {
  if (x == 0.0 && y == 0.0) {
    if (!std::signbit(x)) return y;
    return std::signbit(y) ? -M_PI : M_PI;
  }
  return std::atan2(y, x);
}

bool coordinates_of(VALUE v, VALUE klass, double out[3]) {
  static const ID id_x = rb_intern("@x"), id_y = rb_intern("@y"), id_z = rb_intern("@z");
  if (SPECIAL_CONST_P(v) || RB_BUILTIN_TYPE(v) != T_OBJECT || rb_obj_class(v) != klass) return false;
  const ID ids[3] = {id_x, id_y, id_z};
  for (int i = 0; i < 3; ++i) {
    VALUE c = ivar(v, ids[i]);
    if (!RB_FLOAT_TYPE_P(c)) return false;
    out[i] = RFLOAT_VALUE(c);
  }
  return true;
}

// A plane [a, b, c, d] of Floats, or [point, vector], with a normal of
// some length, as the host reads it.
bool plane_of(VALUE plane, exact::Plane* out) {
  if (!RB_TYPE_P(plane, T_ARRAY)) return false;
  if (RARRAY_LEN(plane) == 2) {
    double p[3], n[3];
    if (!genuine_point(RARRAY_AREF(plane, 0), p) || !genuine_vector(RARRAY_AREF(plane, 1), n)) return false;
    if (exact::len(xyz(n)) == 0.0) return false;
    out->n = exact::unit(xyz(n));
    out->d = -exact::dot(out->n, xyz(p));
    return true;
  }
  if (RARRAY_LEN(plane) != 4) return false;
  double c[4];
  for (long i = 0; i < 4; ++i) {
    VALUE v = RARRAY_AREF(plane, i);
    if (!RB_FLOAT_TYPE_P(v)) return false;
    c[i] = RFLOAT_VALUE(v);
  }
  return exact::plane_of(c, out);
}

// The origin and unit direction of a line [point, vector] with a vector of
// some length, as the host reads it.
bool line_of(VALUE line, Xyz* origin, Xyz* direction) {
  if (!RB_TYPE_P(line, T_ARRAY) || RARRAY_LEN(line) != 2) return false;
  double o[3], d[3];
  if (!genuine_point(RARRAY_AREF(line, 0), o) || !genuine_vector(RARRAY_AREF(line, 1), d)) return false;
  if (exact::len(xyz(d)) == 0.0) return false;
  *origin = xyz(o);
  *direction = exact::unit(xyz(d));
  return true;
}

// The foot of p on the line through o along the unit direction d.
Xyz foot_on(const Xyz& p, const Xyz& o, const Xyz& d) {
  return exact::add(o, exact::scale(d, exact::dot(exact::sub(p, o), d)));
}

VALUE new_point(const Xyz& p) { return call(gv::class_Geom_Point3d, id::new_, flo(p.x), flo(p.y), flo(p.z)); }

VALUE new_vector(const Xyz& v) { return call(gv::class_Geom_Vector3d, id::new_, flo(v.x), flo(v.y), flo(v.z)); }

}  // namespace

bool genuine_point(VALUE v, double out[3]) { return coordinates_of(v, gv::class_Geom_Point3d, out); }
bool genuine_vector(VALUE v, double out[3]) { return coordinates_of(v, gv::class_Geom_Vector3d, out); }

bool same_point(VALUE a, VALUE b) {
  double p[3], q[3];
  if (!genuine_point(a, p) || !genuine_point(b, q)) return equal(a, b);
  return exact::same_point(xyz(p), xyz(q));
}

bool on_line_through(VALUE p, VALUE q, VALUE r) {
  double a[3], o[3], e[3];
  if (!genuine_point(p, a) || !genuine_point(q, o) || !genuine_point(r, e))
    return truthy(call(p, id::on_line_p, array_of(q, call(q, id::vector_to, r))));
  const Xyz d = exact::sub(xyz(e), xyz(o));
  // The host refuses a line of no length: let it say so.
  if (exact::len(d) == 0.0) return truthy(call(p, id::on_line_p, array_of(q, call(q, id::vector_to, r))));
  return exact::dist(xyz(a), foot_on(xyz(a), xyz(o), exact::unit(d))) < exact::kTolerance;
}

VALUE projected_to_plane(VALUE point, VALUE plane) {
  double p[3];
  exact::Plane pl;
  if (!genuine_point(point, p) || !plane_of(plane, &pl)) return call(point, id::project_to_plane, plane);
  return new_point(exact::project_to_plane(xyz(p), pl));
}

VALUE projected_to_line(VALUE point, VALUE line) {
  double p[3];
  Xyz o, d;
  if (!genuine_point(point, p) || !line_of(line, &o, &d)) return call(point, id::project_to_line, line);
  return new_point(foot_on(xyz(p), o, d));
}

bool on_host_line(VALUE point, VALUE line) {
  double p[3];
  Xyz o, d;
  if (!genuine_point(point, p) || !line_of(line, &o, &d)) return equal(point, call(point, id::project_to_line, line));
  return exact::same_point(xyz(p), foot_on(xyz(p), o, d));
}

VALUE unit_normal_of(VALUE centre, VALUE q, VALUE r) {
  double c[3], a[3], b[3];
  if (!genuine_point(centre, c) || !genuine_point(q, a) || !genuine_point(r, b))
    return call(call(call(centre, id::vector_to, q), id::cross, call(centre, id::vector_to, r)),
                id::normalize);
  return new_vector(exact::unit(exact::cross(exact::sub(xyz(a), xyz(c)), exact::sub(xyz(b), xyz(c)))));
}

bool turn_round(VALUE origin, VALUE first, VALUE point, VALUE axis, double* turn) {
  double o[3], f[3], p[3], a[3];
  if (!genuine_point(origin, o) || !genuine_point(first, f) || !genuine_point(point, p) ||
      !genuine_vector(axis, a))
    return false;
  const Xyz ref = exact::sub(xyz(f), xyz(o)), v = exact::sub(xyz(p), xyz(o));
  const Xyz c = exact::cross(ref, v);
  const double side = exact::dot(exact::unit(c), xyz(a));
  *turn = side * atan2_as_interpreter(exact::len(c), exact::dot(ref, v));
  return true;
}

bool segments_surely_apart(VALUE a0, VALUE a1, VALUE b0, VALUE b1) {
  double p[3], q[3], r[3], s[3];
  if (!genuine_point(a0, p) || !genuine_point(a1, q) || !genuine_point(b0, r) || !genuine_point(b1, s))
    return false;
  const double margin = 0.01 + 0.01 * (exact::dist(xyz(p), xyz(q)) + exact::dist(xyz(r), xyz(s)));
  for (int i = 0; i < 3; ++i) {
    const double lo_a = std::fmin(p[i], q[i]), hi_a = std::fmax(p[i], q[i]);
    const double lo_b = std::fmin(r[i], s[i]), hi_b = std::fmax(r[i], s[i]);
    // Written so that a NaN answers "unsure".
    if (lo_b - hi_a > margin || lo_a - hi_b > margin) return true;
  }
  return false;
}

double angle_of_cross(VALUE a, VALUE b, VALUE c) {
  double x[3], y[3], z[3];
  if (!genuine_vector(a, x) || !genuine_vector(b, y) || !genuine_vector(c, z))
    return num(call(call(a, id::cross, b), id::angle_between, c));
  const Xyz n = exact::cross(xyz(x), xyz(y));
  return atan2_as_interpreter(exact::len(exact::cross(n, xyz(z))), exact::dot(n, xyz(z)));
}

}  // namespace geometry
}  // namespace qor

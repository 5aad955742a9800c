#include "point_math.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

namespace {

// The host's length tolerance, in inches.
const double kTolerance = 0.001;

// Left to right, as the host adds.
double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(const double a[3]) { return std::sqrt(dot(a, a)); }
void sub(const double a[3], const double b[3], double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
}
void cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}
// A zero vector stays zero; otherwise scaled by the reciprocal, as the host
// does (not divided).
void unit(const double a[3], double out[3]) {
  const double l = length(a);
  if (l == 0.0) {
    out[0] = out[1] = out[2] = 0.0;
    return;
  }
  const double s = 1.0 / l;
  for (int i = 0; i < 3; ++i) out[i] = a[i] * s;
}
double distance(const double a[3], const double b[3]) {
  double d[3];
  sub(a, b, d);
  return length(d);
}
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

// The unit normal and offset of a plane [point, vector] with a vector of
// some length, as the host reads it.
bool point_plane_of(VALUE plane, double normal[3], double* offset) {
  double p[3], n[3];
  if (!genuine_point(RARRAY_AREF(plane, 0), p) || !genuine_vector(RARRAY_AREF(plane, 1), n)) return false;
  if (length(n) == 0.0) return false;
  unit(n, normal);
  *offset = -dot(normal, p);
  return true;
}

// The unit normal and offset of a plane [a, b, c, d] of Floats, or
// [point, vector], with a normal of some length, as the host reads it.
bool plane_of(VALUE plane, double normal[3], double* offset) {
  if (!RB_TYPE_P(plane, T_ARRAY)) return false;
  if (RARRAY_LEN(plane) == 2) return point_plane_of(plane, normal, offset);
  if (RARRAY_LEN(plane) != 4) return false;
  double c[4];
  for (long i = 0; i < 4; ++i) {
    VALUE v = RARRAY_AREF(plane, i);
    if (!RB_FLOAT_TYPE_P(v)) return false;
    c[i] = RFLOAT_VALUE(v);
  }
  const double l = length(c);
  if (l == 0.0) return false;
  const double s = 1.0 / l;
  for (int i = 0; i < 3; ++i) normal[i] = c[i] * s;
  *offset = c[3] / l;
  return true;
}

// The origin and unit direction of a line [point, vector] with a vector of
// some length, as the host reads it.
bool line_of(VALUE line, double origin[3], double direction[3]) {
  if (!RB_TYPE_P(line, T_ARRAY) || RARRAY_LEN(line) != 2) return false;
  double d[3];
  if (!genuine_point(RARRAY_AREF(line, 0), origin) || !genuine_vector(RARRAY_AREF(line, 1), d)) return false;
  if (length(d) == 0.0) return false;
  unit(d, direction);
  return true;
}

// The foot of p on the line.
void foot_on(const double p[3], const double o[3], const double d[3], double out[3]) {
  double from_o[3];
  sub(p, o, from_o);
  const double t = dot(from_o, d);
  for (int i = 0; i < 3; ++i) out[i] = o[i] + d[i] * t;
}

VALUE new_point(const double p[3]) {
  return call(gv::class_Geom_Point3d, id::new_, flo(p[0]), flo(p[1]), flo(p[2]));
}

VALUE new_vector(const double v[3]) {
  return call(gv::class_Geom_Vector3d, id::new_, flo(v[0]), flo(v[1]), flo(v[2]));
}

}  // namespace

bool genuine_point(VALUE v, double out[3]) { return coordinates_of(v, gv::class_Geom_Point3d, out); }
bool genuine_vector(VALUE v, double out[3]) { return coordinates_of(v, gv::class_Geom_Vector3d, out); }

bool same_point(VALUE a, VALUE b) {
  double p[3], q[3];
  if (!genuine_point(a, p) || !genuine_point(b, q)) return equal(a, b);
  return distance(p, q) < kTolerance;
}

bool on_line_through(VALUE p, VALUE q, VALUE r) {
  double a[3], o[3], e[3];
  if (!genuine_point(p, a) || !genuine_point(q, o) || !genuine_point(r, e))
    return truthy(call(p, id::on_line_p, array_of(q, call(q, id::vector_to, r))));
  double d[3];
  sub(e, o, d);
  // The host refuses a line of no length: let it say so.
  if (length(d) == 0.0) return truthy(call(p, id::on_line_p, array_of(q, call(q, id::vector_to, r))));
  double u[3], foot[3];
  unit(d, u);
  foot_on(a, o, u, foot);
  return distance(a, foot) < kTolerance;
}

VALUE projected_to_plane(VALUE point, VALUE plane) {
  double p[3], n[3], d;
  if (!genuine_point(point, p) || !plane_of(plane, n, &d)) return call(point, id::project_to_plane, plane);
  const double s = dot(n, p) + d;
  double q[3];
  for (int i = 0; i < 3; ++i) q[i] = p[i] - n[i] * s;
  return new_point(q);
}

VALUE projected_to_line(VALUE point, VALUE line) {
  double p[3], o[3], d[3], q[3];
  if (!genuine_point(point, p) || !line_of(line, o, d)) return call(point, id::project_to_line, line);
  foot_on(p, o, d, q);
  return new_point(q);
}

bool on_host_line(VALUE point, VALUE line) {
  double p[3], o[3], d[3], q[3];
  if (!genuine_point(point, p) || !line_of(line, o, d)) return equal(point, call(point, id::project_to_line, line));
  foot_on(p, o, d, q);
  return distance(p, q) < kTolerance;
}

VALUE unit_normal_of(VALUE centre, VALUE q, VALUE r) {
  double c[3], a[3], b[3];
  if (!genuine_point(centre, c) || !genuine_point(q, a) || !genuine_point(r, b))
    return call(call(call(centre, id::vector_to, q), id::cross, call(centre, id::vector_to, r)),
                id::normalize);
  double to_q[3], to_r[3], n[3], u[3];
  sub(a, c, to_q);
  sub(b, c, to_r);
  cross(to_q, to_r, n);
  unit(n, u);
  return new_vector(u);
}

bool turn_round(VALUE origin, VALUE first, VALUE point, VALUE axis, double* turn) {
  double o[3], f[3], p[3], a[3];
  if (!genuine_point(origin, o) || !genuine_point(first, f) || !genuine_point(point, p) ||
      !genuine_vector(axis, a))
    return false;
  double ref[3], v[3], c[3], n[3];
  sub(f, o, ref);
  sub(p, o, v);
  cross(ref, v, c);
  unit(c, n);
  const double side = dot(n, a);
  *turn = side * atan2_as_interpreter(length(c), dot(ref, v));
  return true;
}

bool segments_surely_apart(VALUE a0, VALUE a1, VALUE b0, VALUE b1) {
  double p[3], q[3], r[3], s[3];
  if (!genuine_point(a0, p) || !genuine_point(a1, q) || !genuine_point(b0, r) || !genuine_point(b1, s))
    return false;
  const double margin = 0.01 + 0.01 * (distance(p, q) + distance(r, s));
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
  double n[3], m[3];
  cross(x, y, n);
  cross(n, z, m);
  return atan2_as_interpreter(length(m), dot(n, z));
}

}  // namespace geometry
}  // namespace qor

#include "point_math.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "point_arithmetic.hpp"

namespace qor {
namespace geometry {

namespace {

bool coordinates_of(VALUE v, VALUE klass, double out[3]) {
  if (SPECIAL_CONST_P(v) || !RB_TYPE_P(klass, T_CLASS) || !RTEST(rb_obj_is_kind_of(v, klass))) return false;
  VALUE c = call(v, id::to_a);
  if (!RB_TYPE_P(c, T_ARRAY) || RARRAY_LEN(c) != 3) return false;
  for (long i = 0; i < 3; ++i) {
    VALUE x = rb_ary_entry(c, i);
    if (!RB_FLOAT_TYPE_P(x)) return false;
    out[i] = RFLOAT_VALUE(x);
  }
  return true;
}

arith::Xyz xyz(const double v[3]) { return arith::Xyz{v[0], v[1], v[2]}; }

}  // namespace

bool read_point(VALUE v, double out[3]) { return coordinates_of(v, gv::class_Geom_Point3d, out); }
bool read_vector(VALUE v, double out[3]) { return coordinates_of(v, gv::class_Geom_Vector3d, out); }

bool segments_surely_apart(VALUE a0, VALUE a1, VALUE b0, VALUE b1) {
  double p[3], q[3], r[3], s[3];
  if (!read_point(a0, p) || !read_point(a1, q) || !read_point(b0, r) || !read_point(b1, s)) return false;
  const double margin = 0.1 + 0.01 * (arith::dist(xyz(p), xyz(q)) + arith::dist(xyz(r), xyz(s)));
  for (int i = 0; i < 3; ++i) {
    const double lo_a = std::fmin(p[i], q[i]), hi_a = std::fmax(p[i], q[i]);
    const double lo_b = std::fmin(r[i], s[i]), hi_b = std::fmax(r[i], s[i]);
    // Written so that a NaN answers "unsure".
    if (lo_b - hi_a > margin || lo_a - hi_b > margin) return true;
  }
  return false;
}

}  // namespace geometry
}  // namespace qor

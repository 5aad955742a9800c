#include "host_points.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

bool read_host_point(VALUE p, arith::Xyz* out) {
  if (!RB_TYPE_P(gv::class_Geom_Point3d, T_CLASS) || rb_obj_class(p) != gv::class_Geom_Point3d) return false;
  VALUE c = call(p, id::to_a);
  if (!RB_TYPE_P(c, T_ARRAY) || RARRAY_LEN(c) != 3) return false;
  double v[3];
  for (long k = 0; k < 3; ++k) {
    VALUE x = rb_ary_entry(c, k);
    if (!RB_FLOAT_TYPE_P(x)) return false;
    v[k] = RFLOAT_VALUE(x);
  }
  *out = arith::Xyz{v[0], v[1], v[2]};
  return true;
}

bool read_host_points(VALUE points, NativeArray<arith::Xyz>* out) {
  for (long i = 0; i < RARRAY_LEN(points); ++i) {
    arith::Xyz p;
    if (!read_host_point(rb_ary_entry(points, i), &p)) return false;
    out->push(p);
  }
  return true;
}

}  // namespace geometry
}  // namespace qor

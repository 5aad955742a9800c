#include "ruby.hpp"

#include "names.hpp"

namespace qor {

bool equal(VALUE a, VALUE b) { return truthy(call(a, id::eq, b)); }

VALUE array_ivar(VALUE obj, ID iv) {
  VALUE v = ivar(obj, iv);
  if (!RB_TYPE_P(v, T_ARRAY))
    rb_raise(rb_eTypeError, "%s must be an Array, not %s", rb_id2name(iv), rb_obj_classname(v));
  return v;
}

bool is_exception(VALUE v) {
  if (SPECIAL_CONST_P(v) || RB_BUILTIN_TYPE(v) != T_OBJECT) return false;
  return truthy(rb_obj_is_kind_of(v, rb_eException));
}

VALUE expect_array_arg(VALUE v, const char* name) {
  if (!RB_TYPE_P(v, T_ARRAY))
    rb_raise(rb_eTypeError, "%s must be an Array, not %s", name, rb_obj_classname(v));
  return v;
}

VALUE expect_numeric_arg(VALUE v, const char* name) {
  if (!RB_INTEGER_TYPE_P(v) && !RB_FLOAT_TYPE_P(v))
    rb_raise(rb_eTypeError, "%s must be a number, not %s", name, rb_obj_classname(v));
  return v;
}

VALUE expect_point_arg(VALUE v, const char* name) {
  static const ID id_x = rb_intern("x"), id_y = rb_intern("y");
  if (!rb_respond_to(v, id_x) || !rb_respond_to(v, id_y))
    rb_raise(rb_eTypeError, "%s must be a point, not %s", name, rb_obj_classname(v));
  return v;
}

VALUE expect_plane_arg(VALUE v, const char* name) {
  expect_array_arg(v, name);
  if (RARRAY_LEN(v) != 4)
    rb_raise(rb_eArgError, "%s must be a plane of 4 coefficients, not %ld", name, RARRAY_LEN(v));
  for (long i = 0; i < 4; ++i) {
    VALUE c = rb_ary_entry(v, i);
    if (!RB_INTEGER_TYPE_P(c) && !RB_FLOAT_TYPE_P(c))
      rb_raise(rb_eTypeError, "%s[%ld] must be a number, not %s", name, i, rb_obj_classname(c));
  }
  return v;
}

VALUE expect_kind_arg(VALUE v, VALUE klass, const char* name) {
  if (!truthy(rb_obj_is_kind_of(v, klass)))
    rb_raise(rb_eTypeError, "%s must be a %s, not %s", name, rb_class2name(klass),
             rb_obj_classname(v));
  return v;
}

}  // namespace qor

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

VALUE list_ivar(VALUE obj, ID iv) {
  if (NIL_P(ivar(obj, iv))) return new_array();
  return array_ivar(obj, iv);
}

VALUE string_ivar(VALUE obj, ID iv) {
  VALUE v = ivar(obj, iv);
  if (!RB_TYPE_P(v, T_STRING))
    rb_raise(rb_eTypeError, "%s must be a String, not %s", rb_id2name(iv), rb_obj_classname(v));
  return v;
}

double number_ivar(VALUE obj, ID iv) {
  VALUE v = ivar(obj, iv);
  if (!truthy(rb_obj_is_kind_of(v, rb_cNumeric)))
    rb_raise(rb_eTypeError, "%s must be a number, not %s", rb_id2name(iv), rb_obj_classname(v));
  return num(v);
}

VALUE xyz_ivar(VALUE obj, ID iv, const char* what) {
  VALUE v = ivar(obj, iv);
  if (!rb_respond_to(v, id::x) || !rb_respond_to(v, id::y))
    rb_raise(rb_eTypeError, "%s must be %s, not %s", rb_id2name(iv), what, rb_obj_classname(v));
  return v;
}

VALUE answering_ivar(VALUE obj, ID iv, ID mid) {
  VALUE v = ivar(obj, iv);
  if (!rb_respond_to(v, mid))
    rb_raise(rb_eTypeError, "%s must answer %s, not %s", rb_id2name(iv), rb_id2name(mid),
             rb_obj_classname(v));
  return v;
}

VALUE object_ivar(VALUE obj, ID iv, const char* what) {
  VALUE v = ivar(obj, iv);
  bool plain_value = SPECIAL_CONST_P(v);
  if (!plain_value) {
    switch (RB_BUILTIN_TYPE(v)) {
      case T_STRING: case T_ARRAY: case T_HASH: case T_FLOAT: case T_BIGNUM:
      case T_SYMBOL: case T_RATIONAL: case T_COMPLEX: case T_REGEXP:
        plain_value = true;
        break;
      default:
        break;
    }
  }
  if (plain_value)
    rb_raise(rb_eTypeError, "%s must be %s, not %s", rb_id2name(iv), what, rb_obj_classname(v));
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
  if (!rb_respond_to(v, id::x) || !rb_respond_to(v, id::y))
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

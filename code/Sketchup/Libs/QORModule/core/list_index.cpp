#include "list_index.hpp"

#include "ruby.hpp"

namespace qor {

VALUE kept_index(VALUE list, ID key, VALUE (*build)(VALUE list)) {
  const long length = RARRAY_LEN(list);
  VALUE kept = rb_attr_get(list, key);
  if (RB_TYPE_P(kept, T_ARRAY) && RARRAY_LEN(kept) == 2 && rb_ary_entry(kept, 0) == LONG2NUM(length))
    return rb_ary_entry(kept, 1);
  VALUE index = build(list);
  if (!OBJ_FROZEN(list)) rb_ivar_set(list, key, array_of(LONG2NUM(length), index));
  return index;
}

}  // namespace qor

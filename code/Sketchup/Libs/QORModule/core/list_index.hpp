// An index worked out from a Ruby Array and kept on the Array itself, under
// a hidden instance variable (no "@": scripts do not see it), so that it is
// built once for all the calls that consult the same list and dies with it.
// It is built again when the list's length changes.  A list changed in
// place at the same length (an entry replaced, an entry's own lists
// replaced) keeps its old index: callers document that they read such
// lists as they stood.  A frozen list cannot keep one: it gets a fresh
// index every time.
#pragma once

#include <ruby.h>

namespace qor {

// The index `build(list)` made for list, kept under the hidden name key.
VALUE kept_index(VALUE list, ID key, VALUE (*build)(VALUE list));

}  // namespace qor

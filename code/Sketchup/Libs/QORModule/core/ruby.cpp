#include "ruby.hpp"

#include "names.hpp"

namespace qor {

bool equal(VALUE a, VALUE b) { return truthy(call(a, id::eq, b)); }

void not_built(const char* name) {
  rb_raise(rb_eNotImpError, "%s is not implemented yet", name);
}

}  // namespace qor

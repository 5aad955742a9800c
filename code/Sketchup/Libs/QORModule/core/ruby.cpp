#include "ruby.hpp"

#include "names.hpp"

namespace qor {

bool equal(VALUE a, VALUE b) { return truthy(call(a, id::eq, b)); }

}  // namespace qor

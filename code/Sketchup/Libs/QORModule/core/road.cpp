#include "road.hpp"

#include "classes.hpp"
#include "names.hpp"
#include "ruby.hpp"

namespace qor {

bool plain_road() {
  // Asked first, so that an unset switch draws no warning.
  if (!RTEST(rb_ivar_defined(cls::QORTA, id::plainRoad_ivar))) return false;
  return is_true(ivar(cls::QORTA, id::plainRoad_ivar));
}

}  // namespace qor

#include "road.hpp"

#include "classes.hpp"
#include "ruby.hpp"

namespace qor {

bool plain_road() {
  static const ID id_plainRoad = rb_intern("@plainRoad");
  // Asked first, so that an unset switch draws no warning.
  if (!RTEST(rb_ivar_defined(cls::QORTA, id_plainRoad))) return false;
  return is_true(ivar(cls::QORTA, id_plainRoad));
}

}  // namespace qor

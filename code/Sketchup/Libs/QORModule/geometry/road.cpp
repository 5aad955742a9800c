#include "road.hpp"

#include "../core/classes.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

Road Road::chosen() {
  // Asked first, so that an unset switch draws no warning.
  if (!RTEST(rb_ivar_defined(cls::QORTA, id::plainRoad_ivar))) return Road(true);
  return Road(!is_true(ivar(cls::QORTA, id::plainRoad_ivar)));
}

}  // namespace geometry
}  // namespace qor

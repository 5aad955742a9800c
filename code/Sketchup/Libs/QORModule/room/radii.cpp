#include "radii.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace room {

VALUE getRoomsRadii(VALUE, VALUE) { not_built("QORTA.getRoomsRadii"); }

}  // namespace room
}  // namespace qor

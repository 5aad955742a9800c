#include "floors.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace room {

VALUE makeFloors(VALUE, VALUE, VALUE, VALUE) { not_built("QORTA_Room#makeFloors"); }

}  // namespace room
}  // namespace qor

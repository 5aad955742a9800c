#include "room_key.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/primitives.hpp"
#include "../geometry/sort_blocks.hpp"

namespace qor {
namespace room {

VALUE room_key(VALUE floorFace) {
  VALUE vertices = call(floorFace, id::vertices);
  VALUE positions = geometry::positions(vertices);
  return call(geometry::sort_points_x_then_y_descending(positions), id::to_s);
}

}  // namespace room
}  // namespace qor

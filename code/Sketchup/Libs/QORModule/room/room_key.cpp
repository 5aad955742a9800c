#include "room_key.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/sort_blocks.hpp"

namespace qor {
namespace room {

VALUE room_key(VALUE floorFace) {
  VALUE vertices = call(floorFace, id::vertices);
  VALUE positions = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i) push(positions, call(at(vertices, i), id::position));
  return call(geometry::sort_points_x_then_y_descending(positions), id::to_s);
}

}  // namespace room
}  // namespace qor

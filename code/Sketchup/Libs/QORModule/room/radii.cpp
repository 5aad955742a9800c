#include "radii.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"

namespace qor {
namespace room {

// Each room's radius: the greatest distance from its label centroid to a
// vertex of its faces that still exists.
VALUE getRoomsRadii(VALUE, VALUE rooms) {
  expect_array_arg(rooms, "rooms");
  VALUE reads = geometry::export_reads();
  for (long i = 0; i < len(rooms); ++i) {
    VALUE room = at(rooms, i);
    double r = 0.0;
    VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
    for (long f = 0; f < len(roomFaces); ++f) {
      VALUE vertices = array_ivar(at(roomFaces, f), iv::RoomFace::faceVertices);
      for (long k = 0; k < len(vertices); ++k) {
        VALUE v = at(vertices, k);
        if (is_false(call(v, id::valid_p))) continue;
        // Read where used: a room without vertices needs no centroid.
        VALUE centroid = xyz_ivar(room, iv::Room::centroid, "a point");
        const double d = num(call(geometry::read_position(reads, v), id::distance, centroid));
        if (d > r) r = d;
      }
    }
    set_ivar(room, iv::Room::radius, flo(r));
  }
  return Qtrue;
}

}  // namespace room
}  // namespace qor

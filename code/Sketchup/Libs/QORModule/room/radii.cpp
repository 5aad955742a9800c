#include "radii.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/road.hpp"

namespace qor {
namespace room {

// Each room's radius: the greatest distance from its label centroid to a
// vertex of its faces that still exists.  A vertex several faces share is
// measured once per room (the same answer: nothing changes meanwhile).
VALUE getRoomsRadii(VALUE, VALUE rooms) {
  expect_array_arg(rooms, "rooms");
  VALUE reads = geometry::Road::chosen().export_reads();
  for (long i = 0; i < len(rooms); ++i) {
    VALUE room = at(rooms, i);
    double r = 0.0;
    VALUE measured = call(rb_hash_new(), id::compare_by_identity);
    VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
    for (long f = 0; f < len(roomFaces); ++f) {
      VALUE vertices = array_ivar(at(roomFaces, f), iv::RoomFace::faceVertices);
      for (long k = 0; k < len(vertices); ++k) {
        VALUE v = at(vertices, k);
        if (!NIL_P(rb_hash_lookup(measured, v))) continue;
        rb_hash_aset(measured, v, Qtrue);
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

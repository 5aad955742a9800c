#include "surface_type.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/primitives.hpp"
#include "room_key.hpp"
#include "../roomface/fields.hpp"

namespace qor {
namespace room {

namespace {

using geometry::kHalfTurn;

bool inside(VALUE point, VALUE polygon) {
  return is_true(call(gv::module_Geom, id::point_in_polygon_3D, point, polygon, Qtrue));
}

bool inside_any(VALUE point, VALUE polygons) {
  if (NIL_P(polygons)) return false;
  for (long i = 0; i < len(polygons); ++i)
    if (inside(point, at(polygons, i))) return true;
  return false;
}

// How many other faces of the room a ray from inside the face, along its
// normal, passes through.  Odd: the normal points into the room.
long crossings(VALUE room, VALUE roomFace) {
  static const ID id_internalPoint = rb_intern("internalPoint");
  VALUE face = ivar(roomFace, iv::RoomFace::face);
  VALUE p = call(face, id_internalPoint);
  VALUE plane = call(face, id::plane);
  VALUE normal = ivar(roomFace, iv::RoomFace::normal);
  VALUE ray = array_of(p, normal);

  VALUE hits = new_array();
  long count = 0;
  VALUE roomFaces = ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE other = at(roomFaces, i);
    if (other == roomFace) continue;
    VALUE otherPlane = call(ivar(other, iv::RoomFace::face), id::plane);
    VALUE q = call(gv::module_Geom, id::intersect_line_plane, ray, otherPlane);
    if (truthy(call(hits, id::include_p, q))) continue;
    if (geometry::planes_equal(otherPlane, plane)) continue;
    if (NIL_P(q)) continue;
    if (!inside(q, ivar(other, iv::RoomFace::facePolygon))) continue;
    if (inside_any(q, ivar(other, iv::RoomFace::innerLoopPolygons))) continue;
    VALUE direction = call(call(p, id::vector_to, q), id::normalize);
    if (num(call(direction, id::dot, normal)) > 0.0) {
      push(hits, q);
      ++count;
    }
  }
  return count;
}

// The floor goes to the first room that claims it, unless a later room with
// fewer other faces claims it with the claim flag set.
void claim_floor(VALUE room, VALUE roomFace, VALUE claimFloor) {
  VALUE face = ivar(roomFace, iv::RoomFace::face);
  VALUE number = ivar(room, iv::Room::number);
  const long others = len(ivar(room, iv::Room::roomFaces)) - 1;
  if (NIL_P(call(face, id::get_attribute, str::FaceDict, str::Floor))) {
    call(face, id::set_attribute, str::FaceDict, str::Floor, number);
    call(face, id::set_attribute, str::FaceDict, str::RoomFaceCount, LONG2NUM(others));
  } else {
    VALUE stored = call(face, id::get_attribute, str::FaceDict, str::RoomFaceCount);
    // A count the scripts did not store as a number cannot be beaten.
    const bool fewer = RB_INTEGER_TYPE_P(stored) || RB_FLOAT_TYPE_P(stored)
                           ? static_cast<double>(others) < num(stored)
                           : false;
    if (fewer && truthy(claimFloor))
      call(face, id::set_attribute, str::FaceDict, str::Floor, number);
  }
  set_ivar(room, iv::Room::roomKey, room_key(face));
}

}  // namespace

VALUE surface_type(VALUE room, VALUE roomFace, VALUE claimFloor) {
  const long count = crossings(room, roomFace);
  set_ivar(roomFace, iv::RoomFace::crossFaceCount, LONG2NUM(count));

  const double t = num(gv::vHETARadians);
  VALUE up = call(gv::class_Geom_Vector3d, id::new_, INT2FIX(0), INT2FIX(0), INT2FIX(1));
  const double theta = num(call(ivar(roomFace, iv::RoomFace::normal), id::angle_between, up));

  const bool inward = (count % 2) == 1;
  set_ivar(roomFace, iv::RoomFace::normalDirectionIn, inward ? Qtrue : Qfalse);
  roomface::Surface type;
  if (theta < t)
    type = inward ? roomface::Surface::Floor : roomface::Surface::Ceiling;
  else if (theta < kHalfTurn - t)
    type = roomface::Surface::Wall;
  else
    type = inward ? roomface::Surface::Ceiling : roomface::Surface::Floor;
  set_ivar(roomFace, iv::RoomFace::type, roomface::surface_text(type));

  if (type == roomface::Surface::Floor) claim_floor(room, roomFace, claimFloor);
  return Qtrue;
}

}  // namespace room
}  // namespace qor

#include "surface_type.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/road.hpp"
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
  for (long i = 0; i < len(polygons); ++i)
    if (inside(point, at(polygons, i))) return true;
  return false;
}

// Whether the ray [p, normal] passes through the other face ahead of p,
// at a point not already counted; a crossing is added to hits.
bool crosses(VALUE ray, VALUE p, VALUE normal, VALUE plane, VALUE other, VALUE otherPlane,
             VALUE hits) {
  VALUE q = call(gv::module_Geom, id::intersect_line_plane, ray, otherPlane);
  if (truthy(call(hits, id::include_p, q))) return false;
  if (geometry::planes_equal(otherPlane, plane)) return false;
  if (NIL_P(q)) return false;
  if (!inside(q, array_ivar(other, iv::RoomFace::facePolygon))) return false;
  if (inside_any(q, list_ivar(other, iv::RoomFace::innerLoopPolygons))) return false;
  VALUE direction = call(call(p, id::vector_to, q), id::normalize);
  if (!(num(call(direction, id::dot, normal)) > 0.0)) return false;
  push(hits, q);
  return true;
}

void read_xyz(VALUE reads, VALUE point, double out[3]) { geometry::point_xyz(reads, point, out); }

// How many other faces of the room a ray from inside the face, along its
// normal, passes through.  Odd: the normal points into the room.  Faces
// are visited in @roomFaces order: a crossing at a point already counted
// does not count again.
long crossings_of(VALUE room, VALUE roomFace, RoomCrossings* cached) {
  VALUE face = answering_ivar(roomFace, iv::RoomFace::face, id::internalPoint);
  VALUE p = call(face, id::internalPoint);
  VALUE plane = geometry::read_plane(cached ? cached->reads : Qnil, face);
  VALUE normal = xyz_ivar(roomFace, iv::RoomFace::normal, "a vector");
  VALUE ray = array_of(p, normal);

  VALUE hits = new_array();
  long count = 0;
  VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
  // The faces the ray may pass through, in order: the index's, else every
  // face; each other face's plane as read once, else asked now.
  const NativeArray<int>* candidates = nullptr;
  if (cached) {
    double origin[3], direction[3];
    read_xyz(cached->reads, p, origin);
    read_xyz(cached->reads, normal, direction);
    candidates = &cached->index.candidates(origin, direction);
  }
  const long n = candidates ? static_cast<long>(candidates->size()) : len(roomFaces);
  for (long c = 0; c < n; ++c) {
    const long i = candidates ? (*candidates)[c] : c;
    VALUE other = at(roomFaces, i);
    if (other == roomFace) continue;
    VALUE otherPlane = cached ? at(cached->planes, i) : call(answering_ivar(other, iv::RoomFace::face, id::plane), id::plane);
    if (crosses(ray, p, normal, plane, other, otherPlane, hits)) ++count;
  }
  return count;
}

// The floor goes to the first room that claims it, unless a later room with
// fewer other faces claims it with the claim flag set.
void claim_floor(VALUE room, VALUE roomFace, VALUE claimFloor) {
  VALUE face = answering_ivar(roomFace, iv::RoomFace::face, id::get_attribute);
  VALUE number = ivar(room, iv::Room::number);
  const long others = len(array_ivar(room, iv::Room::roomFaces)) - 1;
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

void read_room_crossings(VALUE roomFaces, RoomCrossings* crossings) {
  crossings->planes = new_array(len(roomFaces));
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE roomFace = at(roomFaces, i);
    push(crossings->planes,
         geometry::read_plane(crossings->reads, answering_ivar(roomFace, iv::RoomFace::face, id::plane)));
    // An outline that is not a list of points is left to the host.
    VALUE polygon = ivar(roomFace, iv::RoomFace::facePolygon);
    if (!RB_TYPE_P(polygon, T_ARRAY) || len(polygon) == 0) {
      crossings->index.add_unbounded();
      continue;
    }
    double lo[3], hi[3];
    read_xyz(crossings->reads, at(polygon, 0), lo);
    for (int a = 0; a < 3; ++a) hi[a] = lo[a];
    for (long k = 1; k < len(polygon); ++k) {
      double xyz[3];
      read_xyz(crossings->reads, at(polygon, k), xyz);
      for (int a = 0; a < 3; ++a) {
        if (xyz[a] < lo[a]) lo[a] = xyz[a];
        if (xyz[a] > hi[a]) hi[a] = xyz[a];
      }
    }
    crossings->index.add_bounds(lo, hi);
  }
  crossings->index.build();
}

VALUE surface_type(VALUE room, VALUE roomFace, VALUE claimFloor, RoomCrossings* crossings) {
  const long count = crossings_of(room, roomFace, crossings);
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

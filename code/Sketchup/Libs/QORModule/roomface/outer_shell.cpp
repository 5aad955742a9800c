// What lies in front of each room face across the wall: nothing (type 1,
// the face looks out), another room's face at some distance (type 2, an
// internal wall), or the face is otherwise on the outer shell (0 or 1).
#include "outer_shell.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "facing.hpp"

namespace qor {
namespace roomface {

namespace {

// Closer than this is touching.
const double kCoincident = 0.00001;
// Unit normals whose dot product is within this of 1 point the same way.
const double kSameOrientation = 0.03;

// Rooms whose bounding spheres are apart, and rooms the scripts say form
// the outer shell themselves, hold no facing face.
bool room_out_of_reach(VALUE room, VALUE own_room) {
  VALUE centre = ivar(own_room, iv::Room::centroid);
  const double apart = num(call(centre, id::distance, ivar(room, iv::Room::centroid)));
  if (apart > num(ivar(room, iv::Room::radius)) + num(ivar(own_room, iv::Room::radius))) return true;
  return is_true(ivar(room, iv::Room::exteriorOuterShell));
}

// Doors and slabs never face anything; nor does the face itself in
// another room.
bool never_facing(VALUE candidate, VALUE own_face) {
  VALUE face = ivar(candidate, iv::RoomFace::face);
  if (face == own_face) return true;
  return face_flag(face, str::TrueDoor) || face_flag(face, str::Slab);
}

// The normal pointing out of the room face's room.
VALUE outward_normal(VALUE room_face) {
  VALUE n = call(ivar(room_face, iv::RoomFace::face), id::normal);
  if (is_true(ivar(room_face, iv::RoomFace::normalDirectionIn))) call(n, id::reverse_bang);
  return n;
}

bool same_way(VALUE u, VALUE v) {
  return std::fabs(num(call(u, id::dot, v)) - 1.0) < kSameOrientation;
}

// Both face out the same way: on the outer shell (0) unless the face lies
// in the other's plane or the other lies behind it (1).
int same_orientation_type(VALUE face, VALUE other_face, VALUE outward) {
  int type = 0;
  if (num(call(call(face, id::centroid), id::distance_to_plane, call(other_face, id::plane))) <
      kCoincident)
    type = 1;
  VALUE cb = call(other_face, id::centroid);
  VALUE towards = call(call(cb, id::vector_to, call(cb, id::project_to_plane, call(face, id::plane))),
                       id::normalize);
  if (same_way(towards, outward)) type = 1;
  return type;
}

void set_type(VALUE self, int type) { set_ivar(self, iv::RoomFace::outerShellType, INT2FIX(type)); }

void reset_outer_shell(VALUE room_face) {
  set_type(room_face, 1);
  set_ivar(room_face, iv::RoomFace::outerShellPlane, call(ivar(room_face, iv::RoomFace::face), id::plane));
  set_ivar(room_face, iv::RoomFace::intermediatePlanes, new_array());
  set_ivar(room_face, iv::RoomFace::outerShellFaces, new_array());
  set_ivar(room_face, iv::RoomFace::outerShellRoomFaces, new_array());
  set_ivar(room_face, iv::RoomFace::oppositeRoomFaces, new_array());
  set_ivar(room_face, iv::RoomFace::projectedDoors, new_array());
}

}  // namespace

VALUE setOuterShellType(VALUE self, VALUE rooms) {
  VALUE face = ivar(self, iv::RoomFace::face);
  VALUE own_room = ivar(self, iv::RoomFace::room);

  // The first facing face met seeds the search; a later one wins only when
  // strictly nearer.
  VALUE best = Qnil;
  double d = -1.0;
  for (long r = 0; r < len(rooms); ++r) {
    VALUE room = at(rooms, r);
    if (room_out_of_reach(room, own_room)) continue;
    VALUE candidates = ivar(room, iv::Room::roomFaces);
    for (long k = 0; k < len(candidates); ++k) {
      VALUE t = at(candidates, k);
      if (never_facing(t, face)) continue;
      VALUE m = facing_distance(self, t);
      if (is_false(m)) continue;
      const double distance = num(m);
      if (NIL_P(best) || distance < d) {
        d = distance;
        best = t;
      }
    }
  }

  if (NIL_P(best)) {
    set_type(self, 1);
    return INT2FIX(-1);
  }

  VALUE outward = outward_normal(self);
  if (same_way(outward, outward_normal(best))) {
    set_type(self, same_orientation_type(face, ivar(best, iv::RoomFace::face), outward));
  } else if (ivar(best, iv::RoomFace::room) == own_room) {
    set_type(self, 1);
    if (d > kCoincident && d < num(gv::maxWallThickness)) set_ivar(self, iv::RoomFace::incursionFace, Qtrue);
  } else {
    set_type(self, d < kCoincident ? 1 : 2);
  }
  return flo(d);
}

VALUE setRoomsFacesOuterShellType(VALUE, VALUE rooms, VALUE count) {
  expect_array_arg(rooms, "rooms");
  const long n = NUM2LONG(expect_numeric_arg(count, "count"));
  long done = 0;
  for (long r = 0; r < len(rooms); ++r) {
    VALUE room = at(rooms, r);
    call(gv::class_ProgressBar2, id::setValue, LONG2NUM(n - done));
    VALUE faces = ivar(room, iv::Room::roomFaces);
    for (long k = 0; k < len(faces); ++k) {
      VALUE room_face = at(faces, k);
      ++done;
      reset_outer_shell(room_face);
      setOuterShellType(room_face, rooms);
    }
  }
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

// What lies in front of each room face across the wall: nothing (type 1,
// the face looks out), another room's face at some distance (type 2, an
// internal wall), or the face is otherwise on the outer shell (0 or 1).
#include "outer_shell.hpp"

#include <cmath>
#include <new>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/road.hpp"
#include "facing.hpp"
#include "fields.hpp"
#include "nearest_facing.hpp"
#include "pair_faces.hpp"
#include "pair_grid.hpp"
#include "pair_tests.hpp"
#include "parallel_faces.hpp"

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
  VALUE centre = xyz_ivar(own_room, iv::Room::centroid, "a point");
  const double apart = num(call(centre, id::distance, xyz_ivar(room, iv::Room::centroid, "a point")));
  if (apart > number_ivar(room, iv::Room::radius) + number_ivar(own_room, iv::Room::radius)) return true;
  return is_true(ivar(room, iv::Room::exteriorOuterShell));
}

// Doors and slabs never face anything; nor does the face itself in
// another room.
bool never_facing(VALUE face, VALUE own_face) {
  if (face == own_face) return true;
  return face_flag(face, str::TrueDoor) || face_flag(face, str::Slab);
}

// The normal pointing out of the room face's room: the face's normal as
// read (face_reads.hpp), or a reversed copy where it points in.
VALUE outward_normal(VALUE reads, VALUE room_face) {
  VALUE n = geometry::read_normal(reads, model_face(room_face));
  return is_true(ivar(room_face, iv::RoomFace::normalDirectionIn)) ? call(n, id::reverse) : n;
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
  set_ivar(room_face, iv::RoomFace::outerShellPlane, call(model_face(room_face), id::plane));
  set_ivar(room_face, iv::RoomFace::intermediatePlanes, new_array());
  set_ivar(room_face, iv::RoomFace::outerShellFaces, new_array());
  set_ivar(room_face, iv::RoomFace::outerShellRoomFaces, new_array());
  set_ivar(room_face, iv::RoomFace::oppositeRoomFaces, new_array());
  set_ivar(room_face, iv::RoomFace::projectedDoors, new_array());
}

// Sets the type by the nearest facing face best (nil for none) at distance
// d, and answers the method's result.
VALUE classify(VALUE reads, VALUE self, VALUE best, double d) {
  if (NIL_P(best)) {
    set_type(self, 1);
    return INT2FIX(-1);
  }
  VALUE face = model_face(self);
  VALUE outward = outward_normal(reads, self);
  if (same_way(outward, outward_normal(reads, best))) {
    set_type(self, same_orientation_type(face, model_face(best), outward));
  } else if (ivar(best, iv::RoomFace::room) == ivar(self, iv::RoomFace::room)) {
    set_type(self, 1);
    if (d > kCoincident && d < num(gv::maxWallThickness)) set_ivar(self, iv::RoomFace::incursionFace, Qtrue);
  } else {
    set_type(self, d < kCoincident ? 1 : 2);
  }
  return flo(d);
}

// Rooms with more faces than this have their faces' normals indexed.
const long kIndexedRoom = 64;
// Normals whose dot product is at least this in size may face.
const double kFacingParallel = 0.97;

// The plain road: for each face, every face of every room in reach, as the
// host says, in the order of the rooms and their faces.
struct PlainShell {
  PairFaces faces;
  NativeArray<Candidate> candidates;

  void read(geometry::Road road, VALUE rooms) { list_pair_faces(road, rooms, &faces); }
  HostPairTests tests() { return HostPairTests{&faces}; }
  void begin_room(VALUE, long) {}

  void find_candidates(VALUE rooms, long s) {
    candidates.clear();
    VALUE self = rb_ary_entry(faces.room_faces, s);
    VALUE own_face = rb_ary_entry(faces.model_faces, s);
    VALUE own_room = ivar(self, iv::RoomFace::room);
    for (long r = 0; r + 1 < static_cast<long>(faces.room_start.size()); ++r) {
      if (room_out_of_reach(at(rooms, r), own_room)) continue;
      for (long t = faces.room_start[r]; t < faces.room_start[r + 1]; ++t)
        if (!never_facing(rb_ary_entry(faces.model_faces, t), own_face)) candidates.push(Candidate{t, kNoBound});
    }
  }
};

// The indexed road: the building's faces and rooms read once, the rooms'
// spheres in a grid, the normals of a long room's faces in one too (made
// the first time the room is near a face, owned here); a face's candidates
// are the faces of near rooms that the numbers cannot rule out.
struct IndexedShell {
  PairFaces faces;
  PairGrid spheres;
  NativeArray<int> near_rooms;  // of the room being classified, ascending
  NativeArray<Candidate> candidates;
  NativeArray<ParallelFaces*> normals;  // per room; null until needed
  NativeArray<long> near_faces;

  IndexedShell() = default;
  IndexedShell(const IndexedShell&) = delete;
  IndexedShell& operator=(const IndexedShell&) = delete;
  ~IndexedShell() {
    for (size_t r = 0; r < normals.size(); ++r) {
      if (!normals[r]) continue;
      normals[r]->~ParallelFaces();
      ruby_xfree(normals[r]);
    }
  }

  void read(geometry::Road road, VALUE rooms);
  NumbersPairTests tests() { return NumbersPairTests{&faces}; }
  void begin_room(VALUE rooms, long r);
  void find_candidates(VALUE rooms, long s);

 private:
  ParallelFaces& normals_of(int r);
  void weigh(long s, long t);
};

// The normals index of room r, made now if it is not yet.
ParallelFaces& IndexedShell::normals_of(int r) {
  if (normals.empty()) normals.assign(faces.rooms.size(), nullptr);
  if (!normals[r]) {
    void* memory = ruby_xmalloc(sizeof(ParallelFaces));
    normals[r] = new (memory) ParallelFaces();
    normals[r]->build(faces, faces.room_start[r], faces.room_start[r + 1], kFacingParallel);
  }
  return *normals[r];
}

// Grid boxes of the rooms' bounding spheres, a little wider than the
// spheres so that touching spheres always overlap.
void sphere_box(const RoomNumbers& room, double lo[3], double hi[3]) {
  const double r = room.radius + 1e-6 * (1.0 + std::fabs(room.radius));
  for (int a = 0; a < 3; ++a) {
    const double wide = r + 1e-6 * std::fabs(room.centre[a]);
    lo[a] = room.centre[a] - wide;
    hi[a] = room.centre[a] + wide;
  }
}

void IndexedShell::read(geometry::Road road, VALUE rooms) {
  read_pair_faces(road, rooms, &faces);
  for (size_t r = 0; r < faces.rooms.size(); ++r) {
    const RoomNumbers& room = faces.rooms[r];
    if (!room.known) {
      spheres.add_unbounded();
      continue;
    }
    double lo[3], hi[3];
    sphere_box(room, lo, hi);
    spheres.add(lo, hi);
  }
  spheres.build();
}

// The rooms whose faces may face those of room r0, ascending: a room the
// numbers cannot place for sure is left to the host's own test.
void IndexedShell::begin_room(VALUE rooms, long r0) {
  near_rooms.clear();
  const RoomNumbers& own = faces.rooms[r0];
  double lo[3], hi[3];
  if (own.known) {
    sphere_box(own, lo, hi);
  } else {
    for (int a = 0; a < 3; ++a) lo[a] = hi[a] = NAN;
  }
  const NativeArray<int>& found = spheres.overlapping(lo, hi);
  VALUE own_room = at(rooms, r0);
  for (size_t k = 0; k < found.size(); ++k) {
    const int r = found[k];
    VALUE room = at(rooms, r);
    const int apart = spheres_apart(own, faces.rooms[r]);
    const bool out = apart < 0 ? room_out_of_reach(room, own_room)
                               : apart == 1 || is_true(ivar(room, iv::Room::exteriorOuterShell));
    if (!out) near_rooms.push(r);
  }
}

void IndexedShell::weigh(long s, long t) {
  const FaceNumbers& a = faces.faces[s];
  const FaceNumbers& b = faces.faces[t];
  if (faces.same_model_face(s, t) || (b.marks & (kTrueDoor | kSlab))) return;
  if (!may_be_parallel(a, b, kFacingParallel) || !may_overlap(a, b)) return;
  candidates.push(Candidate{t, facing_lower_bound(a, b)});
}

void IndexedShell::find_candidates(VALUE, long s) {
  const FaceNumbers& a = faces.faces[s];
  candidates.clear();
  for (size_t k = 0; k < near_rooms.size(); ++k) {
    const int r = near_rooms[k];
    // A long room: only its faces whose normals may be parallel, in order.
    if (a.known && faces.room_start[r + 1] - faces.room_start[r] > kIndexedRoom &&
        normals_of(r).within_cone(a.normal, &near_faces)) {
      for (size_t i = 0; i < near_faces.size(); ++i) weigh(s, near_faces[i]);
      continue;
    }
    for (long t = faces.room_start[r]; t < faces.room_start[r + 1]; ++t) weigh(s, t);
  }
}

// setOuterShellType for face s: the nearest facing face among the road's
// candidates.
template <class Pass>
VALUE classify_face(Pass* pass, VALUE rooms, long s) {
  pass->find_candidates(rooms, s);
  double d = -1.0;
  const long best = nearest_facing_of(pass->tests(), s, &pass->candidates, false, &d);
  const PairFaces& faces = pass->faces;
  return classify(faces.reads, rb_ary_entry(faces.room_faces, s), best < 0 ? Qnil : rb_ary_entry(faces.room_faces, best), d);
}

// The pass over every room face, room by room, on either road.
template <class Pass>
void classify_all(Pass* pass, geometry::Road road, VALUE rooms, long n) {
  pass->read(road, rooms);
  const PairFaces& faces = pass->faces;
  long done = 0;
  for (long r = 0; r + 1 < static_cast<long>(faces.room_start.size()); ++r) {
    call(gv::class_ProgressBar2, id::setValue, LONG2NUM(n - done));
    pass->begin_room(rooms, r);
    for (long s = faces.room_start[r]; s < faces.room_start[r + 1]; ++s) {
      ++done;
      reset_outer_shell(rb_ary_entry(faces.room_faces, s));
      classify_face(pass, rooms, s);
    }
  }
}

}  // namespace

// One face alone takes the plain road: an index would cost more than it
// saves.  The face is listed after every room's.
VALUE setOuterShellType(VALUE self, VALUE rooms) {
  return with_native<PlainShell>([&](PlainShell& pass) -> VALUE {
    list_pair_faces(geometry::Road::plain(), rooms, &pass.faces);
    const long s = len(pass.faces.room_faces);
    push(pass.faces.room_faces, self);
    push(pass.faces.model_faces, model_face(self));
    return classify_face(&pass, rooms, s);
  });
}

VALUE setRoomsFacesOuterShellType(VALUE, VALUE rooms, VALUE count) {
  expect_array_arg(rooms, "rooms");
  const long n = NUM2LONG(expect_numeric_arg(count, "count"));
  const geometry::Road road = geometry::Road::chosen();
  if (road.indexed())
    with_native<IndexedShell>([&](IndexedShell& pass) -> VALUE {
      classify_all(&pass, road, rooms, n);
      return Qnil;
    });
  else
    with_native<PlainShell>([&](PlainShell& pass) -> VALUE {
      classify_all(&pass, road, rooms, n);
      return Qnil;
    });
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

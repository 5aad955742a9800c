#include "intermediate_planes.hpp"

#include <algorithm>
#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/road.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/primitives.hpp"
#include "facing.hpp"
#include "fields.hpp"
#include "facing_numbers.hpp"
#include "nearest_facing.hpp"
#include "pair_faces.hpp"
#include "pair_grid.hpp"

// Faces across a wall are paired in two passes.  The first pairs every face
// with each face of any room that lies within the thickest wall of it; the
// second gives each face left alone its nearest facing face of another room,
// however far, unless the face is mostly short edges (the end of a wall) or
// fully transparent.

namespace qor {
namespace roomface {

namespace {

const double kParallel = 0.97;

VALUE room_of(VALUE room_face) { return object_ivar(room_face, iv::RoomFace::room, "a room"); }

// Appends to the Array in obj's variable; a variable holding no Array (the
// lists were never created) raises TypeError.
void append_to(VALUE obj, ID list, VALUE value) { push(array_ivar(obj, list), value); }

bool type_is_one(VALUE room_face) { return ivar(room_face, iv::RoomFace::outerShellType) == INT2FIX(1); }

double room_number(VALUE room_face) { return number_ivar(room_of(room_face), iv::Room::number); }

// The plane through the point halfway between p and q, with normal n.
VALUE mid_plane(VALUE p, VALUE q, VALUE n) {
  VALUE half = flo(0.5);
  VALUE m = call(gv::class_Geom_Point3d, id::linear_combination, half, p, half, q);
  VALUE origin = call(gv::class_Geom_Point3d, id::new_, flo(0.0), flo(0.0), flo(0.0));
  VALUE plane = rb_ary_dup(expect_array(call(n, id::to_a)));
  push(plane, call(n, id::dot, call(origin, id::minus, m)));
  return plane;
}

// Which plane the pair (s, other) is built on, a and b being their model
// faces in room-number order.  Next to a face of another room that looks out
// of the building (type 1), that face's own plane; otherwise halfway.
VALUE choose_plane(VALUE s, VALUE other, VALUE a, VALUE b) {
  VALUE a_centre = call(a, id::centroid);
  VALUE a_normal = call(a, id::normal);
  VALUE across = call(gv::module_Geom, id::intersect_line_plane, array_of(a_centre, a_normal),
                      call(b, id::plane));
  if (NIL_P(across)) across = a_centre;
  if (std::fabs(num(call(a_normal, id::dot, call(b, id::normal)))) < kParallel) return Qfalse;

  const bool same_room = room_of(s) == room_of(other);
  if (type_is_one(other) && !same_room) return call(model_face(other), id::plane);
  if (type_is_one(s) && !same_room) return call(model_face(s), id::plane);
  if (type_is_one(other) && type_is_one(s) && is_false(ivar(s, iv::RoomFace::incursionFace)))
    return call(model_face(s), id::plane);
  return mid_plane(across, a_centre, a_normal);
}

void mark_door_parts_not_doors(VALUE face) {
  if (face_flag(face, str::IsPartOfDoor))
    call(face, id::set_attribute, str::FaceDict, str::Door, Qfalse);
  if (face_flag(face, str::IsPartOfDoorFrame))
    call(face, id::set_attribute, str::FaceDict, str::Door, Qfalse);
}

bool share_a_vertex(VALUE a, VALUE b) {
  return len(call(call(a, id::vertices), id::amp, call(b, id::vertices))) > 0;
}

// Can t be paired with s in the first pass?
bool pairs_with(VALUE s, VALUE t) {
  VALUE a = model_face(s), b = model_face(t);
  if (t == s || b == a || excluded_from_pairing(b)) return false;
  // Faces in one plane that do not touch lie side by side, not across a wall.
  if (geometry::planes_equal(call(a, id::plane), call(b, id::plane)) && !share_a_vertex(a, b))
    return false;
  return is_opposite_face(s, t, 1.0);
}

void pair_first(VALUE s, VALUE t, VALUE room) {
  append_to(s, iv::RoomFace::oppositeRoomFaces, t);
  VALUE plane = call(s, id::getIntermediatePlane, t);
  append_to(s, iv::RoomFace::intermediatePlanes, plane);
  append_to(room, iv::Room::intermediatePlanes, plane);
}

// First pass for face s of room: pairs it with every opposite face of any
// room.  Answers whether it found one.
bool pair_within_wall(VALUE s, VALUE room, VALUE rooms) {
  VALUE face = model_face(s);
  mark_door_parts_not_doors(face);
  for (long k = 0; k < len(rooms); ++k) {
    VALUE faces = array_ivar(at(rooms, k), iv::Room::roomFaces);
    for (long j = 0; j < len(faces); ++j) {
      VALUE t = at(faces, j);
      if (pairs_with(s, t)) pair_first(s, t, room);
    }
  }
  return len(array_ivar(s, iv::RoomFace::oppositeRoomFaces)) > 0;
}

VALUE first_pass(VALUE rooms) {
  VALUE unmatched = new_array();
  const long count = len(rooms);
  for (long i = 0; i < count; ++i) {
    VALUE room = at(rooms, i);
    call(gv::class_ProgressBar2, id::setValue, LONG2NUM(count - i - 1));
    VALUE faces = array_ivar(room, iv::Room::roomFaces);
    for (long j = 0; j < len(faces); ++j) {
      VALUE s = at(faces, j);
      if (excluded_from_pairing(model_face(s))) continue;
      if (!pair_within_wall(s, room, rooms)) push(unmatched, s);
    }
  }
  return unmatched;
}

// At least half of the face's edges no longer than a wall is thick: the end
// of a wall, which faces nothing across it.
bool mostly_short_edges(VALUE face) {
  VALUE edges = call(face, id::edges);
  const double thickest = num(gv::maxWallThickness);
  long short_edges = 0;
  const long n = len(edges);
  for (long i = 0; i < n; ++i)
    if (num(call(at(edges, i), id::length)) <= thickest) ++short_edges;
  return 2 * short_edges >= n;
}

bool clear(VALUE material) {
  if (NIL_P(material)) return false;
  VALUE alpha = call(material, id::alpha);
  return !NIL_P(alpha) && num(alpha) == 0.0;
}

bool see_through(VALUE face) {
  return clear(call(face, id::material)) || clear(call(face, id::back_material));
}

// The nearest face of any room facing u from some distance, or u itself
// when there is none.  The first found stays unless a later one is strictly
// nearer.
VALUE nearest_facing(VALUE u, VALUE rooms) {
  VALUE best_face = u;
  double best = -1.0;
  bool found = false;
  for (long k = 0; k < len(rooms); ++k) {
    VALUE faces = array_ivar(at(rooms, k), iv::Room::roomFaces);
    for (long j = 0; j < len(faces); ++j) {
      VALUE t = at(faces, j);
      // u itself, and faces on u's own model face, face u from nowhere
      // however the distance rounds.
      if (t == u || model_face(t) == model_face(u)) continue;
      if (excluded_from_pairing(model_face(t))) continue;
      VALUE m = facing_distance(u, t);
      if (is_false(m)) continue;
      const double d = num(m);
      if (d == 0.0) continue;
      if (!found || best > d) {
        found = true;
        best = d;
        best_face = t;
      }
    }
  }
  return best_face;
}

// Pairs u with other from the second pass.  With type 0 on u the plane is
// other's own when other looks out of the building, the mid plane otherwise.
void pair_second(VALUE u, VALUE other) {
  append_to(u, iv::RoomFace::oppositeRoomFaces, other);
  VALUE u_type = ivar(u, iv::RoomFace::outerShellType);
  VALUE other_type = ivar(other, iv::RoomFace::outerShellType);
  set_ivar(u, iv::RoomFace::outerShellType, INT2FIX(0));
  int state = 0;
  VALUE plane = protect([&] { return call(u, id::getIntermediatePlane, other); }, &state);
  // The types come back even when the plane call raises.
  set_ivar(u, iv::RoomFace::outerShellType, u_type);
  set_ivar(other, iv::RoomFace::outerShellType, other_type);
  if (state) rb_jump_tag(state);
  append_to(u, iv::RoomFace::intermediatePlanes, plane);
}

void second_pass(VALUE unmatched, VALUE rooms) {
  for (long i = 0; i < len(unmatched); ++i) {
    VALUE u = at(unmatched, i);
    VALUE face = model_face(u);
    if (mostly_short_edges(face) || see_through(face)) continue;
    VALUE other = nearest_facing(u, rooms);
    if (room_of(other) != room_of(u)) pair_second(u, other);
  }
}

// The indexed road: the building's faces read once, their boxes in a grid.
struct PlanesPass {
  double thickest;   // $maxWallThickness, a finite number
  PairFaces faces;
  PairGrid grid;
  NativeArray<long> unmatched;  // face numbers
  NativeArray<Candidate> candidates;
};

// A face's box in the grid, widened by the margin overlap tests allow it.
void build_grid(PlanesPass* pass) {
  for (long f = 0; f < pass->faces.count(); ++f) {
    const FaceNumbers& face = pass->faces.faces[f];
    if (!face.known) {
      pass->grid.add_unbounded();
      continue;
    }
    const double m = 0.01 + 0.002 * face.size;
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
      lo[a] = face.lo[a] - m;
      hi[a] = face.hi[a] + m;
    }
    pass->grid.add(lo, hi);
  }
  pass->grid.build();
}

// The faces that may lie across a wall from face s, ascending.
const NativeArray<int>& within_reach(PlanesPass* pass, long s) {
  const FaceNumbers& a = pass->faces.faces[s];
  double lo[3], hi[3];
  const double reach = a.known ? opposite_reach(a, std::max(0.0, pass->thickest), pass->faces.widest_off_plane) : NAN;
  for (int k = 0; k < 3; ++k) {
    lo[k] = a.lo[k] - reach;
    hi[k] = a.hi[k] + reach;
  }
  return pass->grid.overlapping(lo, hi);
}

// pairs_with for faces s and t that differ in model face and carry no
// marks, on the numbers where they answer.
bool pairs_with_indexed(PlanesPass* pass, long s, long t) {
  PairFaces& faces = pass->faces;
  const FaceNumbers& a = faces.faces[s];
  const FaceNumbers& b = faces.faces[t];
  VALUE self = rb_ary_entry(faces.room_faces, s), other = rb_ary_entry(faces.room_faces, t);
  if (!a.known || !b.known) return pairs_with(self, other);
  if (geometry::planes_equal(a.plane, b.plane) && !share_a_vertex(model_face(self), model_face(other)))
    return false;
  switch (opposite_face_of(&faces, s, t, pass->thickest)) {
    case kFacing:
      return true;
    case kNotFacing:
      return false;
    case kUnknown:
      break;
  }
  return is_opposite_face(self, other, 1.0);
}

// First pass for face s: every face the numbers cannot rule out is
// decided in face order.
bool pair_within_wall_indexed(PlanesPass* pass, long s, VALUE room) {
  const PairFaces& faces = pass->faces;
  VALUE self = rb_ary_entry(faces.room_faces, s);
  mark_door_parts_not_doors(model_face(self));
  const FaceNumbers& a = faces.faces[s];
  const NativeArray<int>& found = within_reach(pass, s);
  for (size_t k = 0; k < found.size(); ++k) {
    const long t = found[k];
    const FaceNumbers& b = faces.faces[t];
    if (faces.same_model_face(s, t) || b.marks) continue;
    if (surely_farther(a, b, std::max(0.0, pass->thickest)) || !may_be_parallel(a, b, kParallel) || !may_overlap(a, b))
      continue;
    if (pairs_with_indexed(pass, s, t)) pair_first(self, rb_ary_entry(faces.room_faces, t), room);
  }
  return len(array_ivar(self, iv::RoomFace::oppositeRoomFaces)) > 0;
}

void first_pass_indexed(PlanesPass* pass, VALUE rooms) {
  const PairFaces& faces = pass->faces;
  const long count = static_cast<long>(faces.room_start.size()) - 1;
  for (long i = 0; i < count; ++i) {
    VALUE room = at(rooms, i);
    call(gv::class_ProgressBar2, id::setValue, LONG2NUM(count - i - 1));
    for (long s = faces.room_start[i]; s < faces.room_start[i + 1]; ++s) {
      if (excluded_from_pairing(model_face(rb_ary_entry(faces.room_faces, s)))) continue;
      if (!pair_within_wall_indexed(pass, s, room)) pass->unmatched.push(s);
    }
  }
}

// Second pass: each unmatched face's nearest facing face, asking the host
// only about faces the numbers cannot rule out, nearest bound first.
void second_pass_indexed(PlanesPass* pass) {
  const PairFaces& faces = pass->faces;
  for (size_t i = 0; i < pass->unmatched.size(); ++i) {
    const long u = pass->unmatched[i];
    VALUE self = rb_ary_entry(faces.room_faces, u);
    VALUE face = model_face(self);
    if (mostly_short_edges(face) || see_through(face)) continue;
    const FaceNumbers& a = faces.faces[u];
    pass->candidates.clear();
    for (long t = 0; t < faces.count(); ++t) {
      const FaceNumbers& b = faces.faces[t];
      if (faces.same_model_face(u, t) || b.marks) continue;
      if (!may_be_parallel(a, b, kParallel) || !may_overlap(a, b)) continue;
      pass->candidates.push(Candidate{t, facing_lower_bound(a, b)});
    }
    double d = 0.0;
    const long best = nearest_facing_of(u, &pass->faces, &pass->candidates, true, &d);
    VALUE other = best < 0 ? self : rb_ary_entry(faces.room_faces, best);
    if (room_of(other) != room_of(self)) pair_second(self, other);
  }
}

bool finite_number(VALUE v, double* out) {
  if (!RB_FLOAT_TYPE_P(v) && !RB_INTEGER_TYPE_P(v)) return false;
  *out = NUM2DBL(v);
  return std::isfinite(*out);
}

}  // namespace

VALUE getIntermediatePlane(VALUE self, VALUE other) {
  const bool self_first = room_number(other) >= room_number(self);
  VALUE a = model_face(self_first ? self : other);
  VALUE b = model_face(self_first ? other : self);
  VALUE plane = choose_plane(self, other, a, b);
  if (is_false(plane)) return Qfalse;
  set_ivar(self, iv::RoomFace::outerShellPlane, plane);
  return plane;
}

VALUE setRoomsIntermediatePlanes(VALUE, VALUE rooms) {
  expect_array_arg(rooms, "rooms");
  double wall = 0.0;
  // A wall thickness that is no number leaves every test to the host.
  if (!plain_road() && finite_number(gv::maxWallThickness, &wall)) {
    int state = 0;
    {
      PlanesPass pass;
      pass.thickest = wall;
      protect(
          [&]() -> VALUE {
            read_pair_faces(geometry::face_reads(), rooms, &pass.faces);
            build_grid(&pass);
            first_pass_indexed(&pass, rooms);
            second_pass_indexed(&pass);
            return Qnil;
          },
          &state);
      RB_GC_GUARD(pass.faces.room_faces);
      RB_GC_GUARD(pass.faces.model_faces);
      RB_GC_GUARD(pass.faces.reads);
    }
    if (state) rb_jump_tag(state);
    return Qtrue;
  }
  VALUE unmatched = first_pass(rooms);
  second_pass(unmatched, rooms);
  RB_GC_GUARD(unmatched);
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

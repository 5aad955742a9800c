#include "intermediate_planes.hpp"

#include <algorithm>
#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/road.hpp"
#include "../geometry/primitives.hpp"
#include "facing.hpp"
#include "fields.hpp"
#include "facing_numbers.hpp"
#include "nearest_facing.hpp"
#include "pair_faces.hpp"
#include "pair_grid.hpp"
#include "pair_tests.hpp"

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
bool pairs_with(geometry::Road road, VALUE s, VALUE t) {
  VALUE a = model_face(s), b = model_face(t);
  if (t == s || b == a || excluded_from_pairing(b)) return false;
  // Faces in one plane that do not touch lie side by side, not across a wall.
  if (geometry::planes_equal(call(a, id::plane), call(b, id::plane)) && !share_a_vertex(a, b))
    return false;
  return is_opposite_face(road, s, t, 1.0);
}

void pair_first(VALUE s, VALUE t, VALUE room) {
  append_to(s, iv::RoomFace::oppositeRoomFaces, t);
  VALUE plane = call(s, id::getIntermediatePlane, t);
  append_to(s, iv::RoomFace::intermediatePlanes, plane);
  append_to(room, iv::Room::intermediatePlanes, plane);
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

// The plain road: every face of every room, as the host says, in the
// order of the rooms and their faces.
struct PlainPlanes {
  PairFaces faces;
  NativeArray<long> unmatched;  // face numbers
  NativeArray<Candidate> candidates;

  void read(geometry::Road road, VALUE rooms, double) { list_pair_faces(road, rooms, &faces); }
  HostPairTests tests() { return HostPairTests{&faces}; }

  template <class F>
  void each_within_wall(long, F&& visit) {
    for (long t = 0; t < len(faces.room_faces); ++t) visit(t);
  }
  bool pairs_with(long s, long t) {
    return roomface::pairs_with(faces.road, rb_ary_entry(faces.room_faces, s), rb_ary_entry(faces.room_faces, t));
  }

  void prepare_second() {}
  // Every face but u's own model face's and those that take no part in
  // pairing.
  long nearest_second(long u, double* d) {
    candidates.clear();
    VALUE own_face = rb_ary_entry(faces.model_faces, u);
    for (long t = 0; t < len(faces.room_faces); ++t) {
      VALUE face = rb_ary_entry(faces.model_faces, t);
      if (t == u || face == own_face || excluded_from_pairing(face)) continue;
      candidates.push(Candidate{t, kNoBound});
    }
    return nearest_facing_of(tests(), u, &candidates, true, d);
  }
};

// The indexed road: the building's faces read once, their boxes in a grid.
struct IndexedPlanes;
void build_grid(IndexedPlanes* pass);
void prepare_second(IndexedPlanes* pass);
long nearest_second(IndexedPlanes* pass, long u, double* d);
const NativeArray<int>& within_reach(IndexedPlanes* pass, long s);
bool pairs_with_indexed(IndexedPlanes* pass, long s, long t);

struct IndexedPlanes {
  double thickest = 0.0;  // $maxWallThickness, a finite number
  PairFaces faces;
  PairGrid grid;
  NativeArray<long> unmatched;  // face numbers
  NativeArray<Candidate> candidates;
  // The second pass looks near a face first (second_reach) where every
  // face's normals are unit and agree with its plane's.
  bool near_first = false;
  double usual_size = 0.0;    // faces wider than this are always looked at
  NativeArray<int> wide;      // those faces, ascending
  double scale = 0.0;         // the largest coordinate of any face's box
  double lo[3], hi[3];        // the box of every known face
  NativeArray<int> nearby;    // scratch of the second pass

  void read(geometry::Road road, VALUE rooms, double thickest) {
    this->thickest = thickest;
    read_pair_faces(road, rooms, &faces);
    build_grid(this);
  }
  NumbersPairTests tests() { return NumbersPairTests{&faces}; }

  // The faces within reach that the numbers cannot rule out, in face order.
  template <class F>
  void each_within_wall(long s, F&& visit) {
    const FaceNumbers& a = faces.faces[s];
    const NativeArray<int>& found = within_reach(this, s);
    for (size_t k = 0; k < found.size(); ++k) {
      const long t = found[k];
      const FaceNumbers& b = faces.faces[t];
      if (faces.same_model_face(s, t) || b.marks) continue;
      if (surely_farther(a, b, std::max(0.0, thickest)) || !may_be_parallel(a, b, kParallel) || !may_overlap(a, b))
        continue;
      visit(t);
    }
  }
  bool pairs_with(long s, long t) { return pairs_with_indexed(this, s, t); }

  void prepare_second() { roomface::prepare_second(this); }
  long nearest_second(long u, double* d) { return roomface::nearest_second(this, u, d); }
};

// A face's box in the grid, widened by the margin overlap tests allow it.
void build_grid(IndexedPlanes* pass) {
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

double length_of(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// What the second pass needs to look near a face first.
void prepare_second(IndexedPlanes* pass) {
  const PairFaces& faces = pass->faces;
  double total = 0.0;  // of the sizes: finite when each is
  long known = 0;
  bool unit_normals = true;
  for (long f = 0; f < faces.count(); ++f) {
    const FaceNumbers& face = faces.faces[f];
    if (!face.known) continue;
    const double n = length_of(face.normal), p = length_of(face.plane);
    const double agree = (face.normal[0] * face.plane[0] + face.normal[1] * face.plane[1] +
                          face.normal[2] * face.plane[2]) / (n * p);
    unit_normals = unit_normals && std::fabs(n - 1.0) < 1e-6 && std::fabs(agree) >= 0.9999;
    total += face.size;
    for (int k = 0; k < 3; ++k) {
      pass->lo[k] = known == 0 ? face.lo[k] : std::min(pass->lo[k], face.lo[k]);
      pass->hi[k] = known == 0 ? face.hi[k] : std::max(pass->hi[k], face.hi[k]);
      pass->scale = std::max({pass->scale, std::fabs(face.lo[k]), std::fabs(face.hi[k])});
    }
    ++known;
  }
  pass->near_first = unit_normals && known > 0 && std::isfinite(total) && std::isfinite(pass->scale);
  if (!pass->near_first) return;
  // Nearly every face (all but the widest hundredth, and at least the two
  // widest) is no wider than this; the rest are always looked at.
  NativeArray<double> sizes;
  for (long f = 0; f < faces.count(); ++f)
    if (faces.faces[f].known) sizes.push(faces.faces[f].size);
  std::sort(sizes.begin(), sizes.end());
  const size_t out = std::max<size_t>(2, sizes.size() / 100);
  pass->usual_size = sizes[sizes.size() > out ? sizes.size() - 1 - out : 0];
  for (long f = 0; f < faces.count(); ++f)
    if (faces.faces[f].known && faces.faces[f].size > pass->usual_size) pass->wide.push(static_cast<int>(f));
}

// How far from face a's box, along each axis, the box of a face no wider
// than usual_size may lie and still have a facing bound
// (facing_lower_bound) of at most limit.  Such a bound puts a point of one
// box within limit (and rounding) of the other face's plane, so every
// point of both boxes within limit, the boxes' sizes, the margins and the
// widest centroid's offset of it (each box widened by the margin m
// reaches under 3.5 m farther).  The overlap test joins a point of each
// box along one of the two normals, which are unit and at least 0.97
// parallel: at least 0.96 along that plane's normal, so the points are at
// most that distance over 0.96 apart; and along an axis at most that times
// the normal's share of the axis, which is a's share and at most 0.245 more.
void second_reach(const IndexedPlanes* pass, const FaceNumbers& a, double limit, double reach[3]) {
  const double m = 0.01 + 0.002 * (a.size + pass->usual_size);
  const double rounding = 1e-6 * (1.0 + pass->scale);
  const double along = limit + rounding + a.size + pass->usual_size + pass->faces.widest_off_plane + 8.0 * m;
  const double apart = along / 0.96;
  for (int k = 0; k < 3; ++k) reach[k] = (apart * std::min(1.0, std::fabs(a.normal[k]) + 0.25) + m) * 1.01 + 1e-3;
}

// The second pass's candidates for face u, ascending: among the faces
// found (all when null), each that may face u, with its bound, when that
// bound is at most limit.
void second_candidates(IndexedPlanes* pass, long u, const NativeArray<int>* found, double limit) {
  const PairFaces& faces = pass->faces;
  const FaceNumbers& a = faces.faces[u];
  pass->candidates.clear();
  const long n = found ? static_cast<long>(found->size()) : faces.count();
  for (long k = 0; k < n; ++k) {
    const long t = found ? (*found)[k] : k;
    const FaceNumbers& b = faces.faces[t];
    if (faces.same_model_face(u, t) || b.marks) continue;
    if (!may_be_parallel(a, b, kParallel) || !may_overlap(a, b)) continue;
    const double bound = facing_lower_bound(a, b);
    if (!(bound > limit)) pass->candidates.push(Candidate{t, bound});
  }
}

// The faces whose boxes lie within reach of a's (per axis), and every
// wide face, ascending and once each, into *found.  False when the reach takes in the
// whole building: every face is then a candidate.
bool near_faces(IndexedPlanes* pass, const FaceNumbers& a, const double reach[3], NativeArray<int>* found) {
  double lo[3], hi[3];
  bool everything = true;
  for (int k = 0; k < 3; ++k) {
    lo[k] = a.lo[k] - reach[k];
    hi[k] = a.hi[k] + reach[k];
    everything = everything && lo[k] <= pass->lo[k] && hi[k] >= pass->hi[k];
    if (!std::isfinite(reach[k])) return false;
  }
  if (everything) return false;
  const NativeArray<int>& grid = pass->grid.overlapping(lo, hi);
  found->clear();
  size_t g = 0, w = 0;
  while (g < grid.size() || w < pass->wide.size()) {
    int next;
    if (w == pass->wide.size() || (g < grid.size() && grid[g] < pass->wide[w])) {
      next = grid[g++];
    } else {
      next = pass->wide[w++];
      if (g < grid.size() && grid[g] == next) ++g;
    }
    found->push(next);
  }
  return true;
}

// The nearest face facing u, as the loop over every face finds it: the
// faces near u first, within a limit on their bound that grows fourfold.
// Every face whose bound is within the limit is among the near ones, so
// when the nearest found is no farther than the limit, the loop over every
// face, visiting bounds in ascending order, would have found it and
// stopped there too.
long nearest_second(IndexedPlanes* pass, long u, double* d) {
  const FaceNumbers& a = pass->faces.faces[u];
  if (pass->near_first && a.known) {
    for (double limit = std::max(a.size, 1.0); std::isfinite(limit); limit *= 4.0) {
      double reach[3];
      second_reach(pass, a, limit, reach);
      if (!near_faces(pass, a, reach, &pass->nearby)) break;
      second_candidates(pass, u, &pass->nearby, limit);
      // A bound that is no number has no place in the order of bounds.
      bool ordered = true;
      for (size_t c = 0; c < pass->candidates.size(); ++c) ordered = ordered && !std::isnan(pass->candidates[c].bound);
      if (!ordered) break;
      bool asked_all = false;
      const long best = nearest_facing_of(pass->tests(), u, &pass->candidates, true, d, &asked_all);
      if (!asked_all && best >= 0 && *d <= limit) return best;
    }
  }
  second_candidates(pass, u, nullptr, INFINITY);
  return nearest_facing_of(pass->tests(), u, &pass->candidates, true, d);
}

// The faces that may lie across a wall from face s, ascending.
const NativeArray<int>& within_reach(IndexedPlanes* pass, long s) {
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
bool pairs_with_indexed(IndexedPlanes* pass, long s, long t) {
  PairFaces& faces = pass->faces;
  const FaceNumbers& a = faces.faces[s];
  const FaceNumbers& b = faces.faces[t];
  VALUE self = rb_ary_entry(faces.room_faces, s), other = rb_ary_entry(faces.room_faces, t);
  if (!a.known || !b.known) return pairs_with(faces.road, self, other);
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
  return is_opposite_face(faces.road, self, other, 1.0);
}

// First pass: each face, in order, paired with every face of the road's
// candidates that lies across a wall from it, in face order; the faces
// left alone are kept for the second.
template <class Pass>
void first_pass(Pass* pass, VALUE rooms) {
  const PairFaces& faces = pass->faces;
  const long count = static_cast<long>(faces.room_start.size()) - 1;
  for (long i = 0; i < count; ++i) {
    VALUE room = at(rooms, i);
    call(gv::class_ProgressBar2, id::setValue, LONG2NUM(count - i - 1));
    for (long s = faces.room_start[i]; s < faces.room_start[i + 1]; ++s) {
      VALUE self = rb_ary_entry(faces.room_faces, s);
      if (excluded_from_pairing(model_face(self))) continue;
      mark_door_parts_not_doors(model_face(self));
      pass->each_within_wall(s, [&](long t) {
        if (pass->pairs_with(s, t)) pair_first(self, rb_ary_entry(faces.room_faces, t), room);
      });
      if (len(array_ivar(self, iv::RoomFace::oppositeRoomFaces)) == 0) pass->unmatched.push(s);
    }
  }
}

// Second pass: each face left alone, unless it is the end of a wall or
// see-through, paired with its nearest facing face when that lies in
// another room.
template <class Pass>
void second_pass(Pass* pass) {
  pass->prepare_second();
  const PairFaces& faces = pass->faces;
  for (size_t i = 0; i < pass->unmatched.size(); ++i) {
    const long u = pass->unmatched[i];
    VALUE self = rb_ary_entry(faces.room_faces, u);
    VALUE face = model_face(self);
    if (mostly_short_edges(face) || see_through(face)) continue;
    double d = 0.0;
    const long best = pass->nearest_second(u, &d);
    VALUE other = best < 0 ? self : rb_ary_entry(faces.room_faces, best);
    if (room_of(other) != room_of(self)) pair_second(self, other);
  }
}

template <class Pass>
VALUE pair_all(Pass& pass, geometry::Road road, VALUE rooms, double thickest) {
  pass.read(road, rooms, thickest);
  first_pass(&pass, rooms);
  second_pass(&pass);
  return Qnil;
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
  const geometry::Road road = geometry::Road::chosen();
  double thickest = 0.0;
  // A wall thickness that is no number leaves every test to the host.
  if (road.indexed() && finite_number(gv::maxWallThickness, &thickest))
    with_native<IndexedPlanes>([&](IndexedPlanes& pass) { return pair_all(pass, road, rooms, thickest); });
  else
    with_native<PlainPlanes>([&](PlainPlanes& pass) { return pair_all(pass, road, rooms, thickest); });
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

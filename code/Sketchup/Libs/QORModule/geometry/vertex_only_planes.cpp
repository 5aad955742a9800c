#include "vertex_only_planes.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "primitives.hpp"
#include "../roomface/fields.hpp"

namespace qor {
namespace geometry {

namespace {

// Two walls are linked round F's normal when their common line leans at most
// a fifth of a half turn off it, either way.
const double kNearParallel = kHalfTurn / 5;
const double kNearAntiparallel = kHalfTurn - kHalfTurn / 5;

using roomface::model_face;
VALUE room_faces_of_room(VALUE room_face) { return ivar(ivar(room_face, iv::RoomFace::room), iv::Room::roomFaces); }
bool incursion(VALUE room_face) { return is_true(ivar(room_face, iv::RoomFace::incursionFace)); }

bool includes(VALUE ary, VALUE v) { return truthy(rb_ary_includes(expect_array(ary), v)); }
bool shares_any(VALUE a, VALUE b) { return len(call(a, id::amp, b)) > 0; }

VALUE face_attribute(VALUE face, VALUE key) {
  return call(face, id::get_attribute, str::FaceDict, key);
}

bool door_face(VALUE face) { return is_true(face_attribute(face, str::TrueDoor)); }

// Doors, slabs and partitions never take part in linking walls.
bool excluded(VALUE room_face) {
  VALUE face = model_face(room_face);
  if (door_face(face)) return true;
  VALUE type = face_attribute(face, str::FaceType);
  if (NIL_P(type)) return false;
  StringValue(type);
  return truthy(rb_str_equal(type, str::Slab)) || truthy(rb_str_equal(type, str::Partition));
}

// Edges of the face running from a vertex of one loop to a vertex of the
// other, an edge counted once for each direction it does so.  Two make a
// bridge.
bool bridges(VALUE face, VALUE vertices1, VALUE vertices2) {
  VALUE edges = call(face, id::edges);
  int links = 0;
  for (long k = 0, count = len(edges); k < count; ++k) {
    VALUE edge = at(edges, k);
    VALUE s = call(edge, id::start), e = call(edge, id::end);
    if (includes(vertices1, s) && includes(vertices2, e)) ++links;
    if (includes(vertices1, e) && includes(vertices2, s)) ++links;
    if (links > 1) return true;
  }
  return false;
}

// Is the incursion face F boxed in by other incursion faces of its room:
// three or more around it, or two no farther apart than a wall is thick?
bool enclosed_by_incursions(VALUE room_face) {
  VALUE adjacent = call(gv::cMethods, id::findAdjFaces, model_face(room_face));
  VALUE others = room_faces_of_room(room_face);
  VALUE found = new_array();
  for (long a = 0, na = len(adjacent); a < na; ++a) {
    VALUE face = at(adjacent, a);
    for (long k = 0, nk = len(others); k < nk; ++k) {
      VALUE other = at(others, k);
      if (other != room_face && model_face(other) == face && incursion(other)) push(found, face);
    }
  }
  const long count = len(found);
  if (count < 2) return false;
  if (count >= 3) return true;
  VALUE distance = call(call(at(found, 0), id::centroid), id::distance_to_plane,
                        call(at(found, 1), id::plane));
  return num(distance) < num(gv::maxWallThickness);
}

// Can x, a room face beside y, carry the wall on from y round F's normal?
bool admissible(VALUE x, VALUE y, VALUE normal_y, VALUE normal_f) {
  VALUE normal_x = call(model_face(x), id::normal);
  const double angle =
      num(call(call(normal_x, id::cross, normal_y), id::angle_between, normal_f));
  if (angle > kNearParallel && angle < kNearAntiparallel) return false;
  if (!shares_any(call(model_face(x), id::edges), call(model_face(y), id::edges))) return false;
  return !excluded(x);
}

// The room faces beside `face` (of its own room) admissible as neighbours.
VALUE admissible_neighbours(VALUE face, VALUE normal_f) {
  VALUE normal = call(model_face(face), id::normal);
  VALUE all = room_faces_of_room(face);
  VALUE found = new_array();
  for (long k = 0, count = len(all); k < count; ++k) {
    VALUE x = at(all, k);
    if (x != face && admissible(x, face, normal, normal_f)) push(found, x);
  }
  return found;
}

// A pair of room faces facing each other across a wall, one beside a and one
// beside b: the second of the pair links a to b behind F.
VALUE linking_face(VALUE f, VALUE a, VALUE b) {
  VALUE normal_f = call(model_face(f), id::normal);
  VALUE beside_a = admissible_neighbours(a, normal_f);
  if (len(beside_a) == 0) return Qnil;
  VALUE beside_b = admissible_neighbours(b, normal_f);
  for (long i = 0, na = len(beside_a); i < na; ++i) {
    VALUE x = at(beside_a, i);
    for (long j = 0, nb = len(beside_b); j < nb; ++j) {
      VALUE y = at(beside_b, j);
      if (includes(ivar(x, iv::RoomFace::oppositeRoomFaces), y) && includes(ivar(y, iv::RoomFace::oppositeRoomFaces), x))
        return y;
    }
  }
  return Qnil;
}

bool touches(VALUE edge, VALUE p) {
  return equal(call(call(edge, id::start), id::position), p) ||
         equal(call(call(edge, id::end), id::position), p);
}

bool lies_on(VALUE edge, VALUE line) {
  return truthy(call(call(call(edge, id::start), id::position), id::on_line_p, line)) &&
         truthy(call(call(call(edge, id::end), id::position), id::on_line_p, line));
}

bool borders_door(VALUE edge) {
  VALUE faces = call(edge, id::faces);
  for (long k = 0, count = len(faces); k < count; ++k)
    if (door_face(at(faces, k))) return true;
  return false;
}

// The edge of f's outer loop that runs along the line from q to r, found
// among the edges at q and at r; doorways never count.  Nil without one.
VALUE edge_between(VALUE face, VALUE q, VALUE r) {
  VALUE edges = call(call(face, id::outer_loop), id::edges);
  VALUE at_q = new_array(), at_r = new_array();
  for (long k = 0, count = len(edges); k < count; ++k) {
    VALUE edge = at(edges, k);
    if (borders_door(edge)) continue;
    if (touches(edge, q)) push(at_q, edge);
    if (touches(edge, r)) push(at_r, edge);
  }

  VALUE line = array_of(q, call(q, id::vector_to, r));
  for (long i = 0, nq = len(at_q); i < nq; ++i) {
    VALUE eq = at(at_q, i);
    for (long j = 0, nr = len(at_r); j < nr; ++j) {
      VALUE er = at(at_r, j);
      if (er == eq || (lies_on(er, line) && lies_on(eq, line))) return er;
    }
  }
  return Qnil;
}

bool marked(VALUE face, VALUE key) { return is_true(face_attribute(face, key)); }

// The first wall across the edge from F: another plane, and no door, slab
// or partition.
VALUE neighbour_across(VALUE f, VALUE edge, VALUE candidates) {
  VALUE face = model_face(f);
  VALUE plane = call(face, id::plane);
  for (long k = 0, count = len(candidates); k < count; ++k) {
    VALUE g = at(candidates, k);
    if (g == f) continue;
    VALUE other = model_face(g);
    if (planes_equal(call(other, id::plane), plane)) continue;
    if (marked(other, str::TrueDoor) || marked(other, str::Slab) || marked(other, str::Partition))
      continue;
    if (includes(call(other, id::edges), edge)) return g;
  }
  return Qnil;
}

// The topmost faces, each followed by the face that bridges it to the next
// (round the ring); two topmost faces need at most one bridge.
VALUE chain_of(VALUE top) {
  const long count = len(top);
  VALUE chain = new_array();
  for (long i = 0; i < count; ++i) {
    push(chain, at(top, i));
    if (count == 2 && len(chain) == 3) break;
    VALUE missing = findMissingFace(Qnil, at(top, i), at(top, (i + 1) % count));
    if (!NIL_P(missing)) push(chain, missing);
  }
  return chain;
}

// The chain with the faces that link each pair of neighbours behind F.
VALUE filled(VALUE f, VALUE chain) {
  const long count = len(chain);
  VALUE faces = new_array();
  for (long i = 0; i + 1 < count; ++i) {
    push(faces, at(chain, i));
    VALUE link = linking_face(f, at(chain, i), at(chain, i + 1));
    if (!NIL_P(link)) push(faces, link);
  }
  if (count > 0) push(faces, at(chain, count - 1));
  return faces;
}

// Each face takes as its outer-shell plane the intermediate plane it shares
// with the neighbour.
void take_planes_towards(VALUE faces, VALUE neighbour) {
  for (long i = 0, count = len(faces); i < count; ++i) {
    VALUE g = at(faces, i);
    VALUE opposite = ivar(g, iv::RoomFace::oppositeRoomFaces);
    for (long k = 0, n = len(opposite); k < n; ++k)
      if (at(opposite, k) == neighbour)
        set_ivar(g, iv::RoomFace::outerShellPlane, at(ivar(g, iv::RoomFace::intermediatePlanes), k));
  }
}

// The faces across the wall from F that its outer shell follows.
VALUE chosen_faces(VALUE f, VALUE neighbour, VALUE axis, VALUE centre) {
  if (NIL_P(neighbour)) return new_array();
  VALUE opposite = ivar(neighbour, iv::RoomFace::oppositeRoomFaces);
  if (len(opposite) <= 1) return array_of(neighbour);

  static const ID id_order = rb_intern("orderFacesRoundNormal");
  static const ID id_topmost = rb_intern("topmostFaces");
  static const ID id_show = rb_intern("showTopFaces");
  VALUE ordered = call(Qnil, id_order, opposite, axis, centre);
  VALUE top = call(Qnil, id_topmost, ordered, call(model_face(f), id::plane),
                   call(model_face(neighbour), id::plane));
  call(Qnil, id_show, f, top);

  VALUE faces = filled(f, chain_of(top));
  take_planes_towards(faces, neighbour);
  return faces;
}

}  // namespace

VALUE findMissingFace(VALUE, VALUE f1, VALUE f2) {
  expect_kind_arg(f1, cls::RoomFace, "f1");
  expect_kind_arg(f2, cls::RoomFace, "f2");
  VALUE loop1 = call(model_face(f1), id::outer_loop);
  VALUE loop2 = call(model_face(f2), id::outer_loop);
  if (shares_any(call(loop1, id::edges), call(loop2, id::edges))) return Qnil;

  VALUE vertices1 = call(loop1, id::vertices), vertices2 = call(loop2, id::vertices);
  VALUE candidates = call(room_faces_of_room(f1), id::minus, array_of(f1, f2));
  VALUE found = Qnil;
  for (long k = 0, count = len(candidates); k < count; ++k) {
    VALUE c = at(candidates, k);
    if (excluded(c) || incursion(c)) continue;
    if (bridges(model_face(c), vertices1, vertices2)) found = c;
  }
  return found;
}

VALUE findIPlanesByVertexOnly(VALUE, VALUE f, VALUE q, VALUE r, VALUE faces, VALUE) {
  expect_kind_arg(f, cls::RoomFace, "f");
  expect_point_arg(q, "q");
  expect_point_arg(r, "r");
  expect_array_arg(faces, "faces");
  VALUE face = model_face(f);
  VALUE centre = call(face, id::centroid);
  VALUE axis = call(call(call(centre, id::vector_to, q), id::cross, call(centre, id::vector_to, r)),
                    id::normalize);

  VALUE edge = edge_between(face, q, r);
  VALUE neighbour = NIL_P(edge) ? Qnil : neighbour_across(f, edge, faces);
  VALUE chosen = chosen_faces(f, neighbour, axis, centre);

  VALUE planes = new_array();
  if (incursion(f)) return planes;
  int enclosed = -1;  // the enclosure test, once it is needed
  for (long k = 0, count = len(chosen); k < count; ++k) {
    VALUE g = at(chosen, k);
    if (incursion(g)) {
      if (enclosed < 0) enclosed = enclosed_by_incursions(f) ? 1 : 0;
      if (enclosed) continue;
    }
    push(planes, ivar(g, iv::RoomFace::outerShellPlane));
  }
  return planes;
}

}  // namespace geometry
}  // namespace qor

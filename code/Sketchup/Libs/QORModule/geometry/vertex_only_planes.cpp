#include "vertex_only_planes.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/model_face.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "certain.hpp"
#include "face_reads.hpp"
#include "point_math.hpp"
#include "primitives.hpp"

namespace qor {
namespace geometry {

namespace {

// Two walls are linked round F's normal when their common line leans at most
// a fifth of a half turn off it, either way.
const double kNearParallel = kHalfTurn / 5;
const double kNearAntiparallel = kHalfTurn - kHalfTurn / 5;

VALUE room_faces_of_room(VALUE room_face) { return ivar(ivar(room_face, iv::RoomFace::room), iv::Room::roomFaces); }
bool incursion(VALUE room_face) { return is_true(ivar(room_face, iv::RoomFace::incursionFace)); }

bool includes(VALUE ary, VALUE v) { return truthy(rb_ary_includes(expect_array(ary), v)); }
bool shares_any(VALUE a, VALUE b) { return len(call(a, id::amp, b)) > 0; }
// The places in candidates (room faces) of the room faces on the given
// model faces, ascending; nil where that cannot be told (then every
// candidate is looked at).
VALUE candidate_places(VALUE reads, VALUE candidates, VALUE faces) {
  if (!RB_TYPE_P(faces, T_ARRAY) || !RB_TYPE_P(candidates, T_ARRAY)) return Qnil;
  VALUE index = read_room_face_places(reads, candidates);
  VALUE found = new_array();
  for (long k = 0, count = len(faces); k < count; ++k) {
    VALUE places = rb_hash_lookup2(index, at(faces, k), Qnil);
    if (!NIL_P(places)) rb_ary_concat(found, places);
  }
  return rb_ary_sort_bang(found);
}

// Every function below takes the reads of the call (face_reads.hpp): nil
// on the plain road, which asks the host afresh each time and does its
// arithmetic through host calls.

bool door_face(VALUE reads, VALUE face) { return is_true(read_mark(reads, face, Mark::TrueDoor)); }

// Doors, slabs and partitions never take part in linking walls.
bool excluded(VALUE reads, VALUE room_face) {
  VALUE face = model_face(room_face);
  if (door_face(reads, face)) return true;
  VALUE type = read_mark(reads, face, Mark::FaceType);
  if (NIL_P(type)) return false;
  StringValue(type);
  return truthy(rb_str_equal(type, str::Slab)) || truthy(rb_str_equal(type, str::Partition));
}

// Edges of the face running from a vertex of one loop to a vertex of the
// other, an edge counted once for each direction it does so.  Two make a
// bridge.
bool bridges(VALUE reads, VALUE face, VALUE vertices1, VALUE vertices2) {
  VALUE edges = read_edges(reads, face);
  int links = 0;
  for (long k = 0, count = len(edges); k < count; ++k) {
    VALUE edge = at(edges, k);
    VALUE s = read_start(reads, edge), e = read_end(reads, edge);
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

// The angle between x's and y's normals' cross product and F's normal.
double lean(VALUE normal_x, VALUE normal_y, VALUE normal_f) {
  return num(call(call(normal_x, id::cross, normal_y), id::angle_between, normal_f));
}

// Can x, a room face beside y, carry the wall on from y round F's normal?
bool admissible(VALUE reads, VALUE x, VALUE y, VALUE normal_y, VALUE normal_f) {
  VALUE normal_x = read_normal(reads, model_face(x));
  const double angle = lean(normal_x, normal_y, normal_f);
  if (angle > kNearParallel && angle < kNearAntiparallel) return false;
  if (!shares_any(read_edges(reads, model_face(x)), read_edges(reads, model_face(y)))) return false;
  return !excluded(reads, x);
}

// The room faces beside `face` (of its own room) admissible as neighbours.
VALUE admissible_neighbours(VALUE reads, VALUE face, VALUE normal_f) {
  VALUE normal = read_normal(reads, model_face(face));
  VALUE all = room_faces_of_room(face);
  VALUE found = new_array();
  for (long k = 0, count = len(all); k < count; ++k) {
    VALUE x = at(all, k);
    if (x != face && admissible(reads, x, face, normal, normal_f)) push(found, x);
  }
  return found;
}

// A pair of room faces facing each other across a wall, one beside a and one
// beside b: the second of the pair links a to b behind F.
VALUE linking_face(VALUE reads, VALUE f, VALUE a, VALUE b) {
  VALUE normal_f = read_normal(reads, model_face(f));
  VALUE beside_a = admissible_neighbours(reads, a, normal_f);
  if (len(beside_a) == 0) return Qnil;
  VALUE beside_b = admissible_neighbours(reads, b, normal_f);
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

VALUE start_position(VALUE reads, VALUE edge) { return read_position(reads, read_start(reads, edge)); }
VALUE end_position(VALUE reads, VALUE edge) { return read_position(reads, read_end(reads, edge)); }

bool touches(VALUE reads, VALUE edge, VALUE p) {
  return same_position(reads, start_position(reads, edge), p) || same_position(reads, end_position(reads, edge), p);
}

// The line from q to r, as the host takes it.
VALUE line_through(VALUE, VALUE q, VALUE r) { return array_of(q, call(q, id::vector_to, r)); }

// p.on_line?(line) for the line through q and r: on the numbers where
// certain (within a tenth of the tolerance, or beyond the knife edge).
// *line is asked of the host the first time the host is asked (Qundef
// until then).
bool on_line(VALUE reads, VALUE p, VALUE* line, VALUE q, VALUE r) {
  arith::Xyz a, o, e;
  if (read_numbers(reads, p, &a) && read_numbers(reads, q, &o) && read_numbers(reads, r, &e)) {
    const arith::Xyz d = arith::sub(e, o);
    if (arith::len(d) > certain::kKnifeEdge) {
      const arith::Xyz u = arith::unit(d);
      const arith::Xyz foot = arith::add(o, arith::scale(u, arith::dot(arith::sub(a, o), u)));
      const double m = std::max({certain::magnitude(a), certain::magnitude(o), certain::magnitude(e)});
      const certain::Sure on = certain::within_tolerance(arith::dist(a, foot), m);
      if (on != certain::Sure::kUnsure) return on == certain::Sure::kYes;
    }
  }
  if (*line == Qundef) *line = line_through(reads, q, r);
  return truthy(call(p, id::on_line_p, *line));
}

bool lies_on(VALUE reads, VALUE edge, VALUE* line, VALUE q, VALUE r) {
  return on_line(reads, start_position(reads, edge), line, q, r) && on_line(reads, end_position(reads, edge), line, q, r);
}

bool borders_door(VALUE reads, VALUE edge) {
  VALUE faces = read_edge_faces(reads, edge);
  for (long k = 0, count = len(faces); k < count; ++k)
    if (door_face(reads, at(faces, k))) return true;
  return false;
}

// The edge of f's outer loop that runs along the line from q to r, found
// among the edges at q and at r; doorways never count.  Nil without one.
VALUE edge_between(VALUE reads, VALUE face, VALUE q, VALUE r) {
  VALUE near_q = read_outer_edges_at(reads, face, q), near_r = read_outer_edges_at(reads, face, r);
  VALUE at_q = new_array(), at_r = new_array();
  if (!NIL_P(near_q) && !NIL_P(near_r)) {
    // A long outline: only the edges with an end near q, or near r.
    for (long k = 0, count = len(near_q); k < count; ++k)
      if (!borders_door(reads, at(near_q, k)) && touches(reads, at(near_q, k), q)) push(at_q, at(near_q, k));
    for (long k = 0, count = len(near_r); k < count; ++k)
      if (!borders_door(reads, at(near_r, k)) && touches(reads, at(near_r, k), r)) push(at_r, at(near_r, k));
  } else {
    VALUE edges = read_outer_edges(reads, face);
    for (long k = 0, count = len(edges); k < count; ++k) {
      VALUE edge = at(edges, k);
      if (borders_door(reads, edge)) continue;
      if (touches(reads, edge, q)) push(at_q, edge);
      if (touches(reads, edge, r)) push(at_r, edge);
    }
  }

  VALUE line = Qundef;
  for (long i = 0, nq = len(at_q); i < nq; ++i) {
    VALUE eq = at(at_q, i);
    for (long j = 0, nr = len(at_r); j < nr; ++j) {
      VALUE er = at(at_r, j);
      if (er == eq || (lies_on(reads, er, &line, q, r) && lies_on(reads, eq, &line, q, r))) return er;
    }
  }
  RB_GC_GUARD(line);
  return Qnil;
}

bool marked(VALUE reads, VALUE face, Mark mark) { return is_true(read_mark(reads, face, mark)); }

// The first wall across the edge from F: another plane, and no door, slab
// or partition.
VALUE neighbour_across(Road road, VALUE reads, VALUE f, VALUE edge, VALUE candidates) {
  VALUE face = model_face(f);
  VALUE plane = read_plane(reads, face);
  // On the indexed road, only the candidates whose faces the edge says it
  // bounds are looked at (a face lists an edge exactly when the edge lists
  // the face), still in the candidates' order: a long room is then not
  // scanned face by face for every corner.
  VALUE places = !road.indexed() ? Qnil : candidate_places(reads, candidates, read_edge_faces(reads, edge));
  const long count = NIL_P(places) ? len(candidates) : len(places);
  for (long i = 0; i < count; ++i) {
    const long k = NIL_P(places) ? i : FIX2LONG(at(places, i));
    VALUE g = at(candidates, k);
    if (g == f) continue;
    VALUE other = model_face(g);
    if (planes_equal(read_plane(reads, other), plane)) continue;
    if (marked(reads, other, Mark::TrueDoor) || marked(reads, other, Mark::Slab) ||
        marked(reads, other, Mark::Partition))
      continue;
    if (includes(read_edges(reads, other), edge)) return g;
  }
  return Qnil;
}

// findMissingFace on the call's reads.
VALUE missing_face(VALUE reads, VALUE f1, VALUE f2) {
  VALUE loop1 = read_outer_loop(reads, model_face(f1));
  VALUE loop2 = read_outer_loop(reads, model_face(f2));
  if (shares_any(read_edges(reads, loop1), read_edges(reads, loop2))) return Qnil;

  VALUE vertices1 = read_vertices(reads, loop1), vertices2 = read_vertices(reads, loop2);
  VALUE candidates = call(room_faces_of_room(f1), id::minus, array_of(f1, f2));
  VALUE found = Qnil;
  for (long k = 0, count = len(candidates); k < count; ++k) {
    VALUE c = at(candidates, k);
    if (excluded(reads, c) || incursion(c)) continue;
    if (bridges(reads, model_face(c), vertices1, vertices2)) found = c;
  }
  return found;
}

// What a script is handed: a copy of a kept point, so that nothing it does
// to it reaches the reads.
VALUE script_copy(Road road, VALUE point) {
  double p[3];
  if (!road.indexed() || !read_point(point, p)) return point;
  return call(gv::class_Geom_Point3d, id::new_, flo(p[0]), flo(p[1]), flo(p[2]));
}

// The topmost faces, each followed by the face that bridges it to the next
// (round the ring); two topmost faces need at most one bridge.
VALUE chain_of(VALUE reads, VALUE top) {
  const long count = len(top);
  VALUE chain = new_array();
  for (long i = 0; i < count; ++i) {
    push(chain, at(top, i));
    if (count == 2 && len(chain) == 3) break;
    VALUE missing = missing_face(reads, at(top, i), at(top, (i + 1) % count));
    if (!NIL_P(missing)) push(chain, missing);
  }
  return chain;
}

// The chain with the faces that link each pair of neighbours behind F.
VALUE filled(VALUE reads, VALUE f, VALUE chain) {
  const long count = len(chain);
  VALUE faces = new_array();
  for (long i = 0; i + 1 < count; ++i) {
    push(faces, at(chain, i));
    VALUE link = linking_face(reads, f, at(chain, i), at(chain, i + 1));
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
// Faces are ordered round the axis through the centre square to the
// plane of centre, q and r: worked out only when there are faces to order.
VALUE chosen_faces(Road road, VALUE reads, VALUE f, VALUE neighbour, VALUE centre, VALUE q, VALUE r) {
  if (NIL_P(neighbour)) return new_array();
  VALUE opposite = ivar(neighbour, iv::RoomFace::oppositeRoomFaces);
  if (len(opposite) <= 1) return array_of(neighbour);
  VALUE axis = call(call(call(centre, id::vector_to, q), id::cross, call(centre, id::vector_to, r)), id::normalize);

  VALUE ordered = call(Qnil, id::orderFacesRoundNormal, opposite, axis, script_copy(road, centre));
  VALUE top = call(Qnil, id::topmostFaces, ordered, call(model_face(f), id::plane),
                   call(model_face(neighbour), id::plane));
  call(Qnil, id::showTopFaces, f, top);

  VALUE faces = filled(reads, f, chain_of(reads, top));
  take_planes_towards(faces, neighbour);
  return faces;
}

}  // namespace

VALUE findMissingFace(VALUE, VALUE f1, VALUE f2) {
  expect_kind_arg(f1, cls::RoomFace, "f1");
  expect_kind_arg(f2, cls::RoomFace, "f2");
  return missing_face(Road::chosen().pass_reads(), f1, f2);
}

VALUE findIPlanesByVertexOnly(VALUE, VALUE f, VALUE q, VALUE r, VALUE faces, VALUE) {
  const Road road = Road::chosen();
  return planes_by_vertex_only(road, road.pass_reads(), f, q, r, faces);
}

VALUE planes_by_vertex_only(Road road, VALUE reads, VALUE f, VALUE q, VALUE r, VALUE faces) {
  expect_kind_arg(f, cls::RoomFace, "f");
  expect_point_arg(q, "q");
  expect_point_arg(r, "r");
  expect_array_arg(faces, "faces");
  VALUE face = model_face(f);
  VALUE centre = read_centroid(reads, face);

  VALUE edge = edge_between(reads, face, q, r);
  VALUE neighbour = NIL_P(edge) ? Qnil : neighbour_across(road, reads, f, edge, faces);
  VALUE chosen = chosen_faces(road, reads, f, neighbour, centre, q, r);

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

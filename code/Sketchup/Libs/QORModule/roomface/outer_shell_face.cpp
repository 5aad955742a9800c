// The constructed outer-shell face of a room face: the outline it and the
// face across the wall have in common on the shared plane, closed round its
// corners by the planes of the walls that meet it, carrying the projected
// doors and windows.
#include <cmath>

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "fields.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/point_math.hpp"
#include "../geometry/polygon_intersection.hpp"
#include "../geometry/road.hpp"
#include "../geometry/vertex_only_planes.hpp"
#include "outer_shell.hpp"

namespace qor {
namespace roomface {

namespace {

// |normal . z| above this is a horizontal face.
const double kHorizontal = 0.9999;

using geometry::read_normal;
using geometry::read_position;
using geometry::read_vertices;

// Every function below takes the reads of the call (geometry/face_reads.hpp):
// nil on the plain road, which asks the host each time and does its
// arithmetic through host calls.

bool same(VALUE reads, VALUE a, VALUE b) { return geometry::same_position(reads, a, b); }

double z_of(VALUE, VALUE vector) { return num(call(vector, id::z)); }

// The two faces whose outlines meet, as P and Q: a floor or ceiling is met
// with itself; otherwise the scripts may swap the roles.
void roles(VALUE reads, VALUE self, VALUE other, VALUE* p, VALUE* q) {
  VALUE normal = read_normal(reads, model_face(self));
  if (std::fabs(z_of(reads, normal)) > kHorizontal) {
    *p = *q = self;
  } else if (is_true(ivar(self, iv::RoomFace::reverseCompare))) {
    *p = other;
    *q = self;
  } else {
    *p = self;
    *q = other;
  }
}

// P's intermediate plane towards Q when Q is across P's wall, else self's
// outer-shell plane.
VALUE shared_plane(VALUE self, VALUE p, VALUE q) {
  VALUE opposite = list_ivar(p, iv::RoomFace::oppositeRoomFaces);
  for (long i = 0; i < len(opposite); ++i)
    if (at(opposite, i) == q) return at(array_ivar(p, iv::RoomFace::intermediatePlanes), i);
  return array_ivar(self, iv::RoomFace::outerShellPlane);
}

// Can every vertex's == be taken as identity?
bool compared_by_identity(VALUE reads, VALUE vertices) {
  if (!RB_TYPE_P(vertices, T_ARRAY)) return false;
  for (long i = 0; i < len(vertices); ++i)
    if (!geometry::identity_equality(reads, at(vertices, i))) return false;
  return true;
}

// The positions of the building doors' corners that lie on the room face's
// model face, each once, in the face's vertex order.  Only which positions
// are there matters to the caller.
VALUE door_corners_indexed(VALUE reads, VALUE vertices) {
  VALUE corners = new_array();
  for (long i = 0; i < len(vertices); ++i) {
    VALUE v = at(vertices, i);
    if (geometry::door_vertex(reads, v)) push(corners, read_position(reads, v));
  }
  return corners;
}

// The positions of the building doors' corners that lie on the room face's
// model face.
VALUE door_corners(geometry::Road road, VALUE reads, VALUE room_face) {
  VALUE vertices = read_vertices(reads, model_face(room_face));
  if (road.indexed() && compared_by_identity(reads, vertices)) return door_corners_indexed(reads, vertices);
  VALUE corners = new_array();
  VALUE doors = gv::modelDoors;
  for (long d = 0; d < len(doors); ++d) {
    VALUE door_vertices = call(at(doors, d), id::vertices);
    for (long k = 0; k < len(door_vertices); ++k) {
      VALUE v = at(door_vertices, k);
      if (truthy(call(vertices, id::include_p, v))) push(corners, call(v, id::position));
    }
  }
  return corners;
}

// The room face's polygon (its @polygon, which the scripts set before the
// stage), an Array.
VALUE polygon_of(VALUE room_face) {
  VALUE polygon = call(room_face, id::polygon);
  if (!RB_TYPE_P(polygon, T_ARRAY))
    rb_raise(rb_eTypeError, "@polygon must be an Array, not %s", rb_obj_classname(polygon));
  return polygon;
}

bool equals_any(VALUE reads, VALUE point, VALUE points) {
  for (long i = 0; i < len(points); ++i)
    if (same(reads, point, at(points, i))) return true;
  return false;
}

// The outline without door corners: a door cut in the wall is no corner of
// the outer shell.
VALUE outline_without(VALUE reads, VALUE outline, VALUE corners) {
  VALUE kept = new_array();
  for (long i = 0; i < len(outline); ++i)
    if (!equals_any(reads, at(outline, i), corners)) push(kept, at(outline, i));
  return kept;
}

VALUE projected_onto(VALUE points, VALUE plane) {
  VALUE projected = new_array(len(points));
  for (long i = 0; i < len(points); ++i) {
    VALUE p = at(points, i);
    push(projected, call(p, id::project_to_plane, plane));
  }
  return projected;
}

// The overlap walk can stop short in one order; the longer answer is kept,
// tagged so that "A" is always JP and "B" JQ.
VALUE overlap_edges(geometry::Road road, VALUE jp, VALUE jq) {
  VALUE y = Qnil;
  VALUE x = geometry::overlaps_both_ways(road, jp, jq, &y);
  if (len(x) >= len(y)) return x;
  VALUE swapped = new_array(len(y));
  for (long i = 0; i < len(y); ++i) {
    VALUE e = at(y, i);
    VALUE tag = text_is(at(e, 0), "A") ? new_string("B") : new_string("A");
    push(swapped, array_of(tag, at(e, 1), at(e, 2), at(e, 3)));
  }
  return swapped;
}

// The planes of the walls beyond each overlap edge, edge by edge.
VALUE corner_planes(geometry::Road road, VALUE reads, VALUE edges, VALUE p, VALUE kp, VALUE q, VALUE kq) {
  VALUE planes = new_array();
  for (long i = 0; i < len(edges); ++i) {
    VALUE e = at(edges, i);
    VALUE tag = at(e, 0);
    VALUE face, points;
    if (text_is(tag, "A")) {
      face = p;
      points = kp;
    } else if (text_is(tag, "B")) {
      face = q;
      points = kq;
    } else {
      continue;
    }
    VALUE a = at(points, NUM2LONG(at(e, 1))), b = at(points, NUM2LONG(at(e, 2)));
    VALUE found = geometry::planes_by_vertex_only(road, reads, face, a, b,
                                                  array_ivar(object_ivar(face, iv::RoomFace::room, "a room"),
                                                             iv::Room::roomFaces));
    if (len(found) > 0) rb_ary_concat(planes, found);
  }
  return planes;
}

// Where each pair of neighbouring planes (the last with the first) meets
// the shared plane.
VALUE corner_points(VALUE planes, VALUE plane) {
  VALUE points = new_array();
  for (long k = 0; k < len(planes); ++k) {
    VALUE line = call(gv::module_Geom, id::intersect_plane_plane, at(planes, k - 1), at(planes, k));
    if (NIL_P(line)) continue;
    VALUE point = call(gv::module_Geom, id::intersect_line_plane, line, plane);
    if (!NIL_P(point)) push(points, point);
  }
  return points;
}

VALUE without_repeats(VALUE reads, VALUE points) {
  VALUE kept = new_array();
  for (long i = 0; i < len(points); ++i) {
    VALUE point = at(points, i);
    if (len(kept) == 0 || !same(reads, point, at(kept, len(kept) - 1))) push(kept, point);
  }
  return kept;
}

// A point that returns to where the outline was two steps before is a
// spike: its tip and the step out are dropped.
VALUE without_spikes(VALUE reads, VALUE points) {
  VALUE marked = new_array();
  for (long k = 0; k < len(points); ++k) {
    if (!same(reads, at(points, k - 2), at(points, k))) continue;
    push(marked, at(points, k));
    push(marked, at(points, k - 1));
  }
  return call(points, id::minus, marked);
}

// The room face built on the outline, in self's room, with self's doors and
// windows projected onto it.
VALUE constructed_face(VALUE self, VALUE points, VALUE plane) {
  VALUE pseudo = call(cls::PseudoFace, id::new_, points);
  set_ivar(pseudo, iv::Script::plane, plane);
  VALUE v = call(cls::RoomFace, id::new_, ivar(self, iv::RoomFace::room), pseudo, ivar(self, iv::RoomFace::reference));

  set_ivar(v, iv::RoomFace::projectedDoors, new_array());
  call(v, id::project, self);
  set_ivar(v, iv::RoomFace::doors, call(ivar(v, iv::RoomFace::doors), id::plus, ivar(v, iv::RoomFace::projectedDoors)));

  set_ivar(v, iv::RoomFace::type, ivar(self, iv::RoomFace::type));
  set_ivar(v, iv::RoomFace::outerShellType, ivar(self, iv::RoomFace::outerShellType));
  VALUE offset = call(model_face(self), id::get_attribute, str::GroupDict, str::ZOffset);
  set_ivar(v, iv::RoomFace::zOffset, is_false(offset) ? Qnil : offset);
  return v;
}

void append_constructed(VALUE self, VALUE v) {
  VALUE list = ivar(self, iv::RoomFace::outerShellRoomFaces);
  if (NIL_P(list)) set_ivar(self, iv::RoomFace::outerShellRoomFaces, new_array());
  push(array_ivar(self, iv::RoomFace::outerShellRoomFaces), v);
}

}  // namespace

VALUE getOuterShellFace(VALUE self, VALUE other) {
  expect_kind_arg(other, cls::RoomFace, "other");
  const geometry::Road road = geometry::Road::chosen();
  VALUE reads = road.pass_reads();
  VALUE p, q;
  roles(reads, self, other, &p, &q);
  VALUE plane = shared_plane(self, p, q);

  // A face met with itself (a floor, a ceiling, a face with nothing
  // across) has one outline: worked out and projected once.
  VALUE kp = outline_without(reads, polygon_of(p), door_corners(road, reads, p));
  VALUE kq = p == q ? kp : outline_without(reads, polygon_of(q), door_corners(road, reads, q));
  VALUE jp = projected_onto(kp, plane);
  VALUE edges = overlap_edges(road, jp, p == q ? jp : projected_onto(kq, plane));

  VALUE planes = corner_planes(road, reads, edges, p, kp, q, kq);
  VALUE points = without_spikes(reads, without_repeats(reads, corner_points(planes, plane)));
  if (len(points) < 3) return Qfalse;

  append_constructed(self, constructed_face(self, points, plane));
  RB_GC_GUARD(reads);
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

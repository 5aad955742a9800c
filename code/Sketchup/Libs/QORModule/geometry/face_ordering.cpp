#include "face_ordering.hpp"

#include "../core/globals.hpp"
#include "../core/model_face.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "face_reads.hpp"
#include "road.hpp"
#include "point_math.hpp"
#include "primitives.hpp"
#include "sort_blocks.hpp"

namespace qor {
namespace geometry {

namespace {


// Every function below takes the reads of the call (face_reads.hpp): nil
// on the plain road, which asks the host each time.  Arithmetic is always
// the host's.

VALUE projected(VALUE, VALUE point, VALUE plane) { return call(point, id::project_to_plane, plane); }

VALUE projected_centroid(VALUE reads, VALUE room_face, VALUE plane) {
  return projected(reads, read_centroid(reads, model_face(room_face)), plane);
}

// The outer loop of the room face's model face, projected onto the plane.
VALUE projected_outline(VALUE reads, VALUE room_face, VALUE plane) {
  VALUE vertices = read_vertices(reads, read_outer_loop(reads, model_face(room_face)));
  const long count = len(vertices);
  VALUE outline = new_array(count);
  for (long k = 0; k < count; ++k) push(outline, projected(reads, read_position(reads, at(vertices, k)), plane));
  return outline;
}

// The items of keyed pairs sorted by key.
VALUE sorted_items(VALUE pairs) {
  sort_with(pairs, sortByKey);
  const long count = len(pairs);
  VALUE items = new_array(count);
  for (long k = 0; k < count; ++k) push(items, at(at(pairs, k), 1));
  return items;
}

bool on_line(VALUE p, VALUE line) { return equal(p, call(p, id::project_to_line, line)); }

bool reaches_line(VALUE outline, VALUE line) {
  for (long k = 0, count = len(outline); k < count; ++k)
    if (on_line(at(outline, k), line)) return true;
  return false;
}

// An outline with fewer than three points or two equal neighbours has
// collapsed in the projection: it hides nothing.
bool degenerate(VALUE outline) {
  const long count = len(outline);
  if (count < 3) return true;
  for (long k = 0; k < count; ++k) {
    if (equal(at(outline, k - 1), at(outline, k))) return true;
  }
  return false;
}

// Does the outline stand in the way of the sight segment?  Crossing it
// strictly, or meeting it twice, does; touching it once at an end does not.
bool blocks(Road road, VALUE sight, VALUE outline) {
  int met = 0;
  for (long k = 0, count = len(outline); k < count; ++k) {
    VALUE from = at(outline, k - 1), to = at(outline, k);
    if (road.indexed() && segments_surely_apart(at(sight, 0), at(sight, 1), from, to)) continue;
    VALUE edge = array_of(from, to);
    if (NIL_P(segment_intersection(sight, edge, Qtrue))) continue;
    if (++met == 2) return true;
    if (!NIL_P(segment_intersection(sight, edge, Qfalse))) return true;
  }
  return false;
}

bool topmost(Road road, long i, VALUE outlines, VALUE centroids, VALUE line) {
  if (reaches_line(at(outlines, i), line)) return true;
  VALUE c = at(centroids, i);
  VALUE foot = call(c, id::project_to_line, line);
  VALUE sight = array_of(c, foot);
  for (long j = 0, count = len(outlines); j < count; ++j) {
    if (j == i) continue;
    VALUE outline = at(outlines, j);
    if (!degenerate(outline) && blocks(road, sight, outline)) return false;
  }
  return true;
}

}  // namespace

VALUE orderFacesRoundNormal(VALUE, VALUE faces, VALUE axis, VALUE origin) {
  expect_array_arg(faces, "faces");
  expect_point_arg(origin, "origin");
  if (NIL_P(at(faces, 0))) return faces;
  if (num(call(axis, id::length)) == 0.0) return faces;

  VALUE reads = Road::chosen().pass_reads();
  VALUE plane = array_of(origin, axis);
  VALUE first = projected_centroid(reads, at(faces, 0), plane);
  VALUE ref = call(origin, id::vector_to, first);

  const long count = len(faces);
  VALUE pairs = new_array(count);
  for (long k = 0; k < count; ++k) {
    VALUE f = at(faces, k);
    VALUE v = call(origin, id::vector_to, projected_centroid(reads, f, plane));
    const double side = num(call(call(call(ref, id::cross, v), id::normalize), id::dot, axis));
    const double key = side * num(call(ref, id::angle_between, v));
    push(pairs, array_of(flo(key), f));
  }
  RB_GC_GUARD(reads);
  return sorted_items(pairs);
}

VALUE topmostFaces(VALUE, VALUE faces, VALUE plane1, VALUE plane2) {
  expect_array_arg(faces, "faces");
  gv::topmostFacesLog = new_string("");
  const Road road = Road::chosen();
  VALUE reads = road.pass_reads();
  VALUE line = call(gv::module_Geom, id::intersect_plane_plane, plane1, plane2);

  const long count = len(faces);
  VALUE outlines = new_array(count);
  VALUE centroids = new_array(count);
  for (long k = 0; k < count; ++k) {
    push(outlines, projected_outline(reads, at(faces, k), plane2));
    push(centroids, projected_centroid(reads, at(faces, k), plane2));
  }

  VALUE top = new_array();
  for (long i = 0; i < count; ++i)
    if (topmost(road, i, outlines, centroids, line)) push(top, at(faces, i));
  RB_GC_GUARD(reads);
  return len(top) == 0 ? faces : top;
}

}  // namespace geometry
}  // namespace qor

#include "face_ordering.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "primitives.hpp"
#include "../roomface/fields.hpp"
#include "sort_blocks.hpp"

namespace qor {
namespace geometry {

namespace {

using roomface::model_face;

VALUE projected_centroid(VALUE room_face, VALUE plane) {
  return call(call(model_face(room_face), id::centroid), id::project_to_plane, plane);
}

// The outer loop of the room face's model face, projected onto the plane.
VALUE projected_outline(VALUE room_face, VALUE plane) {
  VALUE vertices = call(call(model_face(room_face), id::outer_loop), id::vertices);
  const long count = len(vertices);
  VALUE outline = new_array(count);
  for (long k = 0; k < count; ++k)
    push(outline, call(call(at(vertices, k), id::position), id::project_to_plane, plane));
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
  for (long k = 0; k < count; ++k)
    if (equal(at(outline, k - 1), at(outline, k))) return true;
  return false;
}

// Does the outline stand in the way of the sight segment?  Crossing it
// strictly, or meeting it twice, does; touching it once at an end does not.
bool blocks(VALUE sight, VALUE outline) {
  int met = 0;
  for (long k = 0, count = len(outline); k < count; ++k) {
    VALUE edge = array_of(at(outline, k - 1), at(outline, k));
    if (NIL_P(segment_intersection(sight, edge, Qtrue))) continue;
    if (++met == 2) return true;
    if (!NIL_P(segment_intersection(sight, edge, Qfalse))) return true;
  }
  return false;
}

bool topmost(long i, VALUE outlines, VALUE centroids, VALUE line) {
  if (reaches_line(at(outlines, i), line)) return true;
  VALUE c = at(centroids, i);
  VALUE sight = array_of(c, call(c, id::project_to_line, line));
  for (long j = 0, count = len(outlines); j < count; ++j) {
    if (j == i) continue;
    VALUE outline = at(outlines, j);
    if (!degenerate(outline) && blocks(sight, outline)) return false;
  }
  return true;
}

}  // namespace

VALUE orderFacesRoundNormal(VALUE, VALUE faces, VALUE axis, VALUE origin) {
  expect_array_arg(faces, "faces");
  expect_point_arg(origin, "origin");
  if (NIL_P(at(faces, 0))) return faces;
  if (num(call(axis, id::length)) == 0.0) return faces;

  VALUE plane = array_of(origin, axis);
  VALUE ref = call(origin, id::vector_to, projected_centroid(at(faces, 0), plane));

  const long count = len(faces);
  VALUE pairs = new_array(count);
  for (long k = 0; k < count; ++k) {
    VALUE f = at(faces, k);
    VALUE v = call(origin, id::vector_to, projected_centroid(f, plane));
    const double side = num(call(call(call(ref, id::cross, v), id::normalize), id::dot, axis));
    const double key = side * num(call(ref, id::angle_between, v));
    push(pairs, array_of(flo(key), f));
  }
  return sorted_items(pairs);
}

VALUE topmostFaces(VALUE, VALUE faces, VALUE plane1, VALUE plane2) {
  expect_array_arg(faces, "faces");
  gv::topmostFacesLog = new_string("");
  VALUE line = call(gv::module_Geom, id::intersect_plane_plane, plane1, plane2);

  const long count = len(faces);
  VALUE outlines = new_array(count);
  VALUE centroids = new_array(count);
  for (long k = 0; k < count; ++k) {
    push(outlines, projected_outline(at(faces, k), plane2));
    push(centroids, projected_centroid(at(faces, k), plane2));
  }

  VALUE top = new_array();
  for (long i = 0; i < count; ++i)
    if (topmost(i, outlines, centroids, line)) push(top, at(faces, i));
  return len(top) == 0 ? faces : top;
}

}  // namespace geometry
}  // namespace qor

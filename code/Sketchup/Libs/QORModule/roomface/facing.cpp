#include "facing.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/hull.hpp"
#include "../geometry/polygon_intersection.hpp"
#include "../geometry/primitives.hpp"
#include "fields.hpp"

namespace qor {
namespace roomface {

namespace {

// Normals whose dot product is smaller than this in size are not parallel.
const double kParallel = 0.97;


bool parallel(VALUE a, VALUE b) {
  return std::fabs(num(call(call(a, id::normal), id::dot, call(b, id::normal)))) >= kParallel;
}

// Where the line through p along direction meets plane; p itself when the
// line runs parallel to the plane.
VALUE along_onto(VALUE p, VALUE direction, VALUE plane) {
  VALUE hit = call(gv::module_Geom, id::intersect_line_plane, array_of(p, direction), plane);
  return NIL_P(hit) ? p : hit;
}

// Face a's outline carried along a's normal onto plane.
VALUE outline_along_normal(VALUE a, VALUE plane) {
  VALUE normal = call(a, id::normal);
  VALUE vertices = call(call(a, id::outer_loop), id::vertices);
  const long n = len(vertices);
  VALUE projected = new_array(n);
  for (long i = 0; i < n; ++i)
    push(projected, along_onto(call(at(vertices, i), id::position), normal, plane));
  return projected;
}

// Is p inside the convex hull of face's outline, border included?
bool in_hull_of(geometry::Road road, VALUE p, VALUE face) {
  VALUE hull = geometry::convex_hull(call(face, id::polygon));
  return truthy(geometry::point_in_polygon_3d(road, p, hull, Qtrue));
}

// The overlap of b's outline with a's carried onto b's plane.
VALUE overlap_edges(geometry::Road road, VALUE a, VALUE b) {
  return geometry::polygon_overlap(road, call(b, id::polygon),
                                                   outline_along_normal(a, call(b, id::plane)));
}

}  // namespace

bool face_flag(VALUE face, VALUE key) {
  return is_true(call(face, id::get_attribute, str::FaceDict, key));
}

bool excluded_from_pairing(VALUE face) {
  return face_flag(face, str::TrueDoor) || face_flag(face, str::Slab) ||
         face_flag(face, str::Partition);
}

VALUE facing_distance(geometry::Road road, VALUE s, VALUE t) {
  VALUE a = model_face(s), b = model_face(t);
  if (!parallel(a, b)) return Qfalse;

  VALUE a_centre = call(a, id::centroid);
  VALUE a_onto_b = along_onto(a_centre, call(a, id::normal), call(b, id::plane));
  VALUE gap = flo(num(call(a_centre, id::distance, a_onto_b)));

  if (in_hull_of(road, a_onto_b, b)) return gap;
  VALUE b_onto_a = along_onto(call(b, id::centroid), call(b, id::normal), call(a, id::plane));
  if (in_hull_of(road, b_onto_a, a)) return gap;

  VALUE edges = overlap_edges(road, a, b);
  if (len(edges) <= 2) return Qfalse;
  VALUE start = at(at(edges, 0), 3);
  return flo(num(call(start, id::distance_to_plane, call(a, id::plane))));
}

bool is_opposite_face(geometry::Road road, VALUE s, VALUE t, double k) {
  VALUE a = model_face(s), b = model_face(t);
  VALUE a_centre = call(a, id::centroid);
  VALUE b_plane = call(b, id::plane);
  if (num(call(a_centre, id::distance_to_plane, b_plane)) > num(gv::maxWallThickness) * k)
    return false;
  if (!parallel(a, b) || face_flag(a, str::TrueDoor)) return false;

  if (in_hull_of(road, call(a_centre, id::project_to_plane, b_plane), b)) return true;
  VALUE b_centre = call(b, id::centroid);
  if (in_hull_of(road, call(b_centre, id::project_to_plane, call(a, id::plane)), a)) return true;
  return len(overlap_edges(road, a, b)) >= 3;
}

}  // namespace roomface
}  // namespace qor

#include "facing.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/hull.hpp"
#include "../geometry/polygon_intersection.hpp"
#include "../geometry/primitives.hpp"

namespace qor {
namespace roomface {

namespace {

// |cos| below this (about 14 degrees) is not parallel.
const double kParallel = 0.97;

// Where the line from the point along the normal meets the plane; the point
// itself when the line misses it.
VALUE along_normal_onto(VALUE point, VALUE normal, VALUE plane) {
  VALUE hit = call(gv::module_Geom, id::intersect_line_plane, array_of(point, normal), plane);
  return NIL_P(hit) ? point : hit;
}

bool in_hull_of(VALUE point, VALUE face) {
  VALUE hull = geometry::convex_hull(call(face, id::polygon));
  return is_true(geometry::pointInPolygon3D(Qnil, point, hull, Qtrue));
}

// A's outline carried along A's normal onto B's plane.
VALUE outline_onto(VALUE a, VALUE normal, VALUE plane) {
  VALUE vertices = call(call(a, id::outer_loop), id::vertices);
  VALUE points = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i)
    push(points, along_normal_onto(call(at(vertices, i), id::position), normal, plane));
  return points;
}

}  // namespace

VALUE facingDistance(VALUE s, VALUE t) {
  VALUE a = ivar(s, iv::RoomFace::face), b = ivar(t, iv::RoomFace::face);
  VALUE na = call(a, id::normal), nb = call(b, id::normal);
  if (std::fabs(num(call(na, id::dot, nb))) < kParallel) return Qfalse;

  VALUE plane_b = call(b, id::plane);
  VALUE ca = call(a, id::centroid);
  VALUE p1 = along_normal_onto(ca, na, plane_b);
  VALUE e = flo(num(call(ca, id::distance, p1)));

  // Either centre seen across the wall inside the other's hull: they face.
  if (in_hull_of(p1, b)) return e;
  VALUE plane_a = call(a, id::plane);
  VALUE p2 = along_normal_onto(call(b, id::centroid), nb, plane_a);
  if (in_hull_of(p2, a)) return e;

  // Otherwise the outlines must overlap.
  VALUE overlap = geometry::getIntersectionPointsOfPolygons(
      Qnil, call(b, id::polygon), outline_onto(a, na, plane_b));
  if (len(overlap) <= 2) return Qfalse;
  return flo(num(call(at(at(overlap, 0), 3), id::distance_to_plane, plane_a)));
}

}  // namespace roomface
}  // namespace qor

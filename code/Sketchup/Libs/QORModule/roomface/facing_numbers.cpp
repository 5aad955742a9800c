#include "facing_numbers.hpp"

#include <cmath>

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/host_points.hpp"
#include "../geometry/hull.hpp"
#include "../geometry/polygon_intersection.hpp"
#include "facing.hpp"

// Each step below is the host call facing.cpp makes at that point, done on
// the numbers: face.normal, face.plane and face.centroid as read, the
// outline as outer_loop.vertices' positions, the hull as convex_hull of
// face.polygon.

namespace qor {
namespace roomface {

namespace {

namespace exact = geometry::exact;
using exact::Plane;
using exact::Xyz;

const double kParallel = 0.97;

Xyz xyz(const double v[3]) { return Xyz{v[0], v[1], v[2]}; }

bool parallel(const FaceNumbers& a, const FaceNumbers& b) {
  return std::fabs(exact::dot(xyz(a.normal), xyz(b.normal))) >= kParallel;
}

// Where the line through p along direction meets plane; p itself when the
// line runs parallel to the plane.
Xyz along_onto(const Xyz& p, const Xyz& direction, const Plane& plane) {
  Xyz hit;
  return exact::intersect_line_plane(p, direction, plane, &hit) ? hit : p;
}

// Has face f a hull in the points buffer?  Worked out by the host the first
// time it is asked.
bool hull_read(PairFaces* faces, long f) {
  if (faces->faces[f].hull_state == FaceNumbers::kHullUnread) {
    faces->faces[f].hull_state = FaceNumbers::kHullUnknown;
    VALUE hull = geometry::convex_hull(call(rb_ary_entry(faces->model_faces, f), id::polygon));
    const long at = static_cast<long>(faces->points.size());
    if (!geometry::read_host_points(hull, &faces->points)) return false;
    FaceNumbers& face = faces->faces[f];
    face.hull_at = at;
    face.hull_n = RARRAY_LEN(hull);
    face.hull_state = FaceNumbers::kHullRead;
  }
  return faces->faces[f].hull_state == FaceNumbers::kHullRead;
}

bool in_hull(const PairFaces& faces, long f, const Xyz& p) {
  const FaceNumbers& face = faces.faces[f];
  return exact::point_in_polygon_3d(p, faces.points.begin() + face.hull_at, face.hull_n, true);
}

// How many edges the overlap of b's polygon with a's outline carried along
// a's normal onto b's plane has, and the point the first one starts at.
long overlap_of(PairFaces* faces, long s, long t, const Plane& b_plane, Xyz* start) {
  const FaceNumbers& a = faces->faces[s];
  const FaceNumbers& b = faces->faces[t];
  NativeArray<Xyz>& points = faces->points;
  // The carried outline goes at the end of the buffer, and is dropped after.
  const size_t mark = points.size();
  for (long i = 0; i < a.outline_n; ++i)
    points.push(along_onto(points[a.outline_at + i], xyz(a.normal), b_plane));
  const Xyz* polygon = points.begin() + b.polygon_at;
  const Xyz* carried = points.begin() + mark;
  geometry::OverlapEntry first;
  const long count = geometry::overlap_of_points(polygon, b.polygon_n, carried, a.outline_n, &first);
  if (count > 0) {
    const Xyz* from = first.tag == geometry::kTagA ? polygon : carried;
    const long n = first.tag == geometry::kTagA ? b.polygon_n : a.outline_n;
    *start = from[first.from < 0 ? first.from + n : first.from];
  }
  points.truncate(mark);
  return count;
}

bool planes_of(const FaceNumbers& a, const FaceNumbers& b, Plane* pa, Plane* pb) {
  return exact::plane_of(a.plane, pa) && exact::plane_of(b.plane, pb);
}

}  // namespace

FacingAnswer facing_distance_of(PairFaces* faces, long s, long t, double* distance) {
  const FaceNumbers& a = faces->faces[s];
  const FaceNumbers& b = faces->faces[t];
  if (!a.shaped || !b.shaped) return kUnknown;
  if (!parallel(a, b)) return kNotFacing;
  Plane pa, pb;
  if (!planes_of(a, b, &pa, &pb)) return kUnknown;

  const Xyz a_centre = xyz(a.centroid);
  const Xyz a_onto_b = along_onto(a_centre, xyz(a.normal), pb);
  const double gap = exact::dist(a_centre, a_onto_b);
  if (!hull_read(faces, t)) return kUnknown;
  if (in_hull(*faces, t, a_onto_b)) {
    *distance = gap;
    return kFacing;
  }
  const Xyz b_onto_a = along_onto(xyz(b.centroid), xyz(b.normal), pa);
  if (!hull_read(faces, s)) return kUnknown;
  if (in_hull(*faces, s, b_onto_a)) {
    *distance = gap;
    return kFacing;
  }

  Xyz start;
  if (overlap_of(faces, s, t, pb, &start) <= 2) return kNotFacing;
  *distance = std::fabs(exact::signed_distance(start, pa));
  return kFacing;
}

FacingAnswer opposite_face_of(PairFaces* faces, long s, long t, double limit) {
  const FaceNumbers& a = faces->faces[s];
  const FaceNumbers& b = faces->faces[t];
  if (!a.shaped || !b.shaped) return kUnknown;
  Plane pa, pb;
  if (!planes_of(a, b, &pa, &pb)) return kUnknown;
  const Xyz a_centre = xyz(a.centroid);
  if (std::fabs(exact::signed_distance(a_centre, pb)) > limit) return kNotFacing;
  if (!parallel(a, b) || (a.marks & kTrueDoor)) return kNotFacing;

  if (!hull_read(faces, t)) return kUnknown;
  if (in_hull(*faces, t, exact::project_to_plane(a_centre, pb))) return kFacing;
  if (!hull_read(faces, s)) return kUnknown;
  if (in_hull(*faces, s, exact::project_to_plane(xyz(b.centroid), pa))) return kFacing;
  Xyz start;
  return overlap_of(faces, s, t, pb, &start) >= 3 ? kFacing : kNotFacing;
}

VALUE facing_distance(PairFaces* faces, long s, long t) {
  double d = 0.0;
  switch (facing_distance_of(faces, s, t, &d)) {
    case kFacing:
      return flo(d);
    case kNotFacing:
      return Qfalse;
    case kUnknown:
      break;
  }
  return facing_distance(rb_ary_entry(faces->room_faces, s), rb_ary_entry(faces->room_faces, t));
}

}  // namespace roomface
}  // namespace qor

#include "facing_numbers.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/certain.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/host_points.hpp"
#include "../geometry/hull_numbers.hpp"
#include "../geometry/hull.hpp"
#include "../geometry/polygon_intersection.hpp"
#include "facing.hpp"

// Each step below is the host call facing.cpp makes at that point, done on
// the numbers: face.normal, face.plane and face.centroid as read, the
// outline as outer_loop.vertices' positions, the hull as convex_hull of
// face.polygon.  A step decides only where certain.hpp says the host would
// decide the same; a distance is always the host's, asked on the values it
// gave when the faces were read.

namespace qor {
namespace roomface {

namespace {

namespace arith = geometry::arith;
namespace certain = geometry::certain;
using arith::Plane;
using arith::Xyz;
using certain::Sure;

const double kParallel = 0.97;

Xyz xyz(const double v[3]) { return Xyz{v[0], v[1], v[2]}; }

// Rounding in a dot product of unit normals stays far below this.
const double kCosineMargin = 1e-9;

// Parallel enough to face: |cos| >= 0.97, as the host tests it.
Sure parallel(const FaceNumbers& a, const FaceNumbers& b) {
  const double c = std::fabs(arith::dot(xyz(a.normal), xyz(b.normal)));
  if (c >= kParallel + kCosineMargin) return Sure::kYes;
  if (c < kParallel - kCosineMargin) return Sure::kNo;
  return Sure::kUnsure;
}

// Where the line through p along direction meets plane; p itself when the
// line runs parallel to the plane.
Xyz along_onto(const Xyz& p, const Xyz& direction, const Plane& plane) {
  Xyz hit;
  return arith::intersect_line_plane(p, direction, plane, &hit) ? hit : p;
}

// Has face f a hull in the points buffer?  Worked out by the host the first
// time it is asked.
bool hull_read(PairFaces* faces, long f) {
  if (faces->faces[f].hull_state == FaceNumbers::kHullUnread) {
    faces->faces[f].hull_state = FaceNumbers::kHullUnknown;
    VALUE hull = geometry::read_hull(faces->reads, rb_ary_entry(faces->model_faces, f));
    const long at = static_cast<long>(faces->points.size());
    for (long i = 0; i < RARRAY_LEN(hull); ++i) {
      geometry::arith::Xyz p;
      if (!geometry::read_numbers(faces->reads, rb_ary_entry(hull, i), &p)) return false;
      faces->points.push(p);
    }
    FaceNumbers& face = faces->faces[f];
    face.hull_at = at;
    face.hull_n = RARRAY_LEN(hull);
    face.hull_state = FaceNumbers::kHullRead;
  }
  return faces->faces[f].hull_state == FaceNumbers::kHullRead;
}

Sure in_host_hull(const PairFaces& faces, long f, const Xyz& p) {
  const FaceNumbers& face = faces.faces[f];
  return certain::in_polygon_3d(p, faces.points.begin() + face.hull_at, face.hull_n);
}

// Has face f a hull of its own numbers in the points buffer?  Worked out
// the first time it is asked.
bool own_hull(PairFaces* faces, long f) {
  FaceNumbers& face = faces->faces[f];
  if (face.own_hull_state == FaceNumbers::kHullUnread) {
    face.own_hull_state = FaceNumbers::kHullUnknown;
    const long at = static_cast<long>(faces->points.size());
    // The polygon's points are copied first: pushing may move the buffer.
    NativeArray<Xyz> polygon;
    for (long i = 0; i < face.polygon_n; ++i) polygon.push(faces->points[face.polygon_at + i]);
    double slack = 0.0;
    if (geometry::hull_of_numbers(polygon.begin(), face.polygon_n, xyz(face.normal), &faces->points, &slack)) {
      face.own_hull_at = at;
      face.own_hull_n = static_cast<long>(faces->points.size()) - at;
      face.own_hull_slack = slack;
      face.own_hull_state = FaceNumbers::kHullRead;
    } else {
      faces->points.truncate(at);
    }
  }
  return face.own_hull_state == FaceNumbers::kHullRead;
}

// Is p in face f's convex hull, border included, as the host's hull test
// would answer?  Decided on the face's own hull where that holds whichever
// points the host's hull keeps; else on the host's hull, worked out then.
// False in *known when that hull cannot be read.
Sure in_hull(PairFaces* faces, long f, const Xyz& p, bool* known) {
  *known = true;
  if (own_hull(faces, f)) {
    const FaceNumbers& face = faces->faces[f];
    const Sure own = certain::in_polygon_3d(p, faces->points.begin() + face.own_hull_at, face.own_hull_n,
                                            face.own_hull_slack);
    if (own != Sure::kUnsure) return own;
  }
  if (!hull_read(faces, f)) {
    *known = false;
    return Sure::kUnsure;
  }
  return in_host_hull(*faces, f, p);
}

// What the host's facing tests keep of face f.
enum Kept { kCentroid, kNormal, kPlane, kPolygon, kPositions };
VALUE kept(PairFaces* faces, long f, Kept what) { return rb_ary_entry(rb_ary_entry(faces->host_values, f), what); }

struct Carry {
  PairFaces* faces;
  long s, t;
};

// Corner i of s's outline carried along s's normal onto t's plane by the
// host, as its facing tests carry it.
VALUE carried_by_host(void* context, long i) {
  const Carry& c = *static_cast<Carry*>(context);
  VALUE p = at(kept(c.faces, c.s, kPositions), i);
  VALUE hit = call(gv::module_Geom, id::intersect_line_plane, array_of(p, kept(c.faces, c.s, kNormal)),
                   kept(c.faces, c.t, kPlane));
  return NIL_P(hit) ? p : hit;
}

// How many edges the overlap of t's polygon with s's outline carried along
// s's normal onto t's plane has, and the host's point the first one starts
// at; the host asked wherever the numbers leave a step unsure.
long walk_overlap(PairFaces* faces, long s, long t, const Plane& b_plane, VALUE* start) {
  const FaceNumbers& a = faces->faces[s];
  const FaceNumbers& b = faces->faces[t];
  NativeArray<Xyz>& points = faces->points;
  // The carried outline goes at the end of the buffer, and is dropped after.
  const size_t mark = points.size();
  for (long i = 0; i < a.outline_n; ++i)
    points.push(along_onto(points[a.outline_at + i], xyz(a.normal), b_plane));
  Carry carry{faces, s, t};
  const geometry::HostSides host{kept(faces, t, kPolygon), carried_by_host, &carry};
  // The host calls of the walk add nothing to the buffer, so the pointers
  // hold; a call that raises leaves the carried points behind, with the
  // pass they belong to.
  const long count = geometry::overlap_of_points(points.begin() + b.polygon_at, b.polygon_n, points.begin() + mark,
                                                 a.outline_n, host, start);
  points.truncate(mark);
  return count;
}

// The overlap of two model faces is walked once per export: both passes
// and both tests ask it of the same pairs.  Only an overlap of three points
// or more has its first point read, so only then is it kept: most pairs
// asked about merely touch, and the export keeps their counts alone.
long overlap_of(PairFaces* faces, long s, long t, const Plane& b_plane, VALUE* start) {
  VALUE a = rb_ary_entry(faces->model_faces, s), b = rb_ary_entry(faces->model_faces, t);
  VALUE kept = geometry::read_pair(faces->reads, a, b);
  if (kept == Qundef) {
    VALUE first = Qnil;
    const long count = walk_overlap(faces, s, t, b_plane, &first);
    kept = count > 2 ? array_of(LONG2FIX(count), first) : LONG2FIX(count);
    geometry::keep_pair(faces->reads, a, b, kept);
  }
  if (FIXNUM_P(kept)) {
    *start = Qnil;
    return FIX2LONG(kept);
  }
  *start = rb_ary_entry(kept, 1);
  return FIX2LONG(rb_ary_entry(kept, 0));
}

// a_centre.distance(Geom.intersect_line_plane([a_centre, a.normal], b.plane)),
// on the values the host gave when the faces were read.
double host_gap(PairFaces* faces, long s, long t) {
  VALUE centre = kept(faces, s, kCentroid);
  VALUE hit = call(gv::module_Geom, id::intersect_line_plane, array_of(centre, kept(faces, s, kNormal)),
                   kept(faces, t, kPlane));
  return num(call(centre, id::distance, NIL_P(hit) ? centre : hit));
}

bool planes_of(const FaceNumbers& a, const FaceNumbers& b, Plane* pa, Plane* pb) {
  return arith::plane_of(a.plane, pa) && arith::plane_of(b.plane, pb);
}

}  // namespace

FacingAnswer facing_distance_of(PairFaces* faces, long s, long t, double* distance) {
  const FaceNumbers& a = faces->faces[s];
  const FaceNumbers& b = faces->faces[t];
  if (!a.shaped || !b.shaped) return kUnknown;
  const Sure facing_way = parallel(a, b);
  if (facing_way != Sure::kYes) return facing_way == Sure::kNo ? kNotFacing : kUnknown;
  Plane pa, pb;
  if (!planes_of(a, b, &pa, &pb)) return kUnknown;

  // A centroid carried into the other hull: facing, at the distance the
  // host gives between a's centroid and where it lands on b's plane.
  const Xyz a_onto_b = along_onto(xyz(a.centroid), xyz(a.normal), pb);
  bool known = true;
  Sure in = in_hull(faces, t, a_onto_b, &known);
  if (!known) return kUnknown;
  if (in == Sure::kNo) {
    const Xyz b_onto_a = along_onto(xyz(b.centroid), xyz(b.normal), pa);
    in = in_hull(faces, s, b_onto_a, &known);
    if (!known) return kUnknown;
  }
  if (in == Sure::kYes) {
    *distance = host_gap(faces, s, t);
    return kFacing;
  }
  if (in == Sure::kUnsure) return kUnknown;
  // Facing by the overlap: the distance from its first point to a's plane.
  VALUE start = Qnil;
  if (overlap_of(faces, s, t, pb, &start) <= 2) return kNotFacing;
  *distance = num(call(start, id::distance_to_plane, kept(faces, s, kPlane)));
  return kFacing;
}

FacingAnswer opposite_face_of(PairFaces* faces, long s, long t, double limit) {
  const FaceNumbers& a = faces->faces[s];
  const FaceNumbers& b = faces->faces[t];
  if (!a.shaped || !b.shaped) return kUnknown;
  Plane pa, pb;
  if (!planes_of(a, b, &pa, &pb)) return kUnknown;
  const Xyz a_centre = xyz(a.centroid);
  // Beyond the limit: the host's test is strictly greater.
  const double gap = std::fabs(arith::signed_distance(a_centre, pb));
  const double margin = 1e-12 + certain::slack(std::max(certain::magnitude(a_centre), std::fabs(limit)));
  if (gap > limit + margin) return kNotFacing;
  if (!(gap < limit - margin)) return kUnknown;
  const Sure facing_way = parallel(a, b);
  if (facing_way == Sure::kNo || (a.marks & kTrueDoor)) return kNotFacing;
  if (facing_way == Sure::kUnsure) return kUnknown;

  bool known = true;
  const Sure a_in_b = in_hull(faces, t, arith::project_to_plane(a_centre, pb), &known);
  if (!known) return kUnknown;
  if (a_in_b != Sure::kNo) return a_in_b == Sure::kYes ? kFacing : kUnknown;
  const Sure b_in_a = in_hull(faces, s, arith::project_to_plane(xyz(b.centroid), pa), &known);
  if (!known) return kUnknown;
  if (b_in_a != Sure::kNo) return b_in_a == Sure::kYes ? kFacing : kUnknown;
  VALUE start = Qnil;
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
  return facing_distance(faces->road, rb_ary_entry(faces->room_faces, s), rb_ary_entry(faces->room_faces, t));
}

}  // namespace roomface
}  // namespace qor

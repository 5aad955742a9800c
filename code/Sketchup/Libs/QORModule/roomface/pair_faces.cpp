#include "pair_faces.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/host_points.hpp"
#include "facing.hpp"
#include "fields.hpp"

namespace qor {
namespace roomface {

namespace {

// Far wider than the host's point tolerance (0.001 inch), and growing with
// the faces: a crossing of two long edges is found within a small angle of
// each edge, so its distance from them grows with their length.
double overlap_margin(const FaceNumbers& a, const FaceNumbers& b) {
  return 0.01 + 0.002 * (a.size + b.size);
}

// Slack for comparing a distance we compute with one the host computes.
double rounding_slack(double scale) { return 1e-6 * (1.0 + std::fabs(scale)); }

bool number_of(VALUE v, double* out) {
  if (!RB_FLOAT_TYPE_P(v) && !RB_INTEGER_TYPE_P(v)) return false;
  *out = NUM2DBL(v);
  return std::isfinite(*out);
}

// The first n numbers of an Array, or of a host point or vector through its
// to_a.  False for anything else: the face is then left to the host.
bool read_numbers(VALUE v, double* out, long n) {
  VALUE numbers = v;
  if (!RB_TYPE_P(v, T_ARRAY)) {
    if (!rb_respond_to(v, id::to_a)) return false;
    numbers = call(v, id::to_a);
  }
  if (!RB_TYPE_P(numbers, T_ARRAY) || RARRAY_LEN(numbers) < n) return false;
  for (long i = 0; i < n; ++i)
    if (!number_of(rb_ary_entry(numbers, i), &out[i])) return false;
  return true;
}

// read_numbers of a host point kept for the export (a face's centroid,
// polygon or bounds): its numbers read once (face_reads.hpp), the same
// answer.  Anything else is read as read_numbers reads it.
bool read_kept_numbers(VALUE reads, VALUE v, double out[3]) {
  geometry::arith::Xyz c;
  if (!geometry::read_numbers(reads, v, &c)) return read_numbers(v, out, 3);
  out[0] = c.x;
  out[1] = c.y;
  out[2] = c.z;
  return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z);
}

void widen_to(FaceNumbers* f, const double p[3]) {
  for (int a = 0; a < 3; ++a) {
    f->lo[a] = std::min(f->lo[a], p[a]);
    f->hi[a] = std::max(f->hi[a], p[a]);
  }
}

double dot3(const double u[3], const double v[3]) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; }

double length3(const double v[3]) { return std::sqrt(dot3(v, v)); }

// The unsigned distance of p from plane [a, b, c, d].
double plane_distance(const double plane[4], const double p[3]) {
  return std::fabs(dot3(plane, p) + plane[3]) / length3(plane);
}

// The least distance of the box [lo, hi] from plane; 0 when it cuts it.
double box_plane_distance(const double plane[4], const double lo[3], const double hi[3]) {
  double least = std::numeric_limits<double>::infinity(), most = -least;
  for (int c = 0; c < 8; ++c) {
    const double p[3] = {(c & 1) ? hi[0] : lo[0], (c & 2) ? hi[1] : lo[1], (c & 4) ? hi[2] : lo[2]};
    const double s = dot3(plane, p) + plane[3];
    least = std::min(least, s);
    most = std::max(most, s);
  }
  if (least <= 0.0 && most >= 0.0) return 0.0;
  return std::min(std::fabs(least), std::fabs(most)) / length3(plane);
}

// Does the line through the origin along direction meet the box [lo, hi]?
bool line_meets(const double direction[3], const double lo[3], const double hi[3]) {
  double from = -std::numeric_limits<double>::infinity(), to = -from;
  for (int a = 0; a < 3; ++a) {
    const double d = direction[a];
    if (std::fabs(d) < 1e-12) {
      if (lo[a] > 0.0 || hi[a] < 0.0) return false;
      continue;
    }
    double t0 = lo[a] / d, t1 = hi[a] / d;
    if (t0 > t1) std::swap(t0, t1);
    from = std::max(from, t0 - rounding_slack(t0));
    to = std::min(to, t1 + rounding_slack(t1));
    if (from > to) return false;
  }
  return true;
}

// The coordinates of a host point, appended to points.
bool read_host_point(VALUE reads, VALUE p, NativeArray<geometry::arith::Xyz>* points) {
  geometry::arith::Xyz c;
  if (!geometry::read_numbers(reads, p, &c)) return false;
  points->push(c);
  return true;
}

// The positions of the face's outer loop, appended to points.
bool read_outline(VALUE reads, VALUE face, FaceNumbers* f, NativeArray<geometry::arith::Xyz>* points,
                  VALUE positions) {
  if (!rb_respond_to(face, id::outer_loop)) return false;
  VALUE loop = geometry::read_outer_loop(reads, face);
  if (!rb_respond_to(loop, id::vertices)) return false;
  VALUE vertices = geometry::read_vertices(reads, loop);
  if (!RB_TYPE_P(vertices, T_ARRAY)) return false;
  f->outline_at = static_cast<long>(points->size());
  f->outline_n = RARRAY_LEN(vertices);
  for (long i = 0; i < f->outline_n; ++i) {
    VALUE v = rb_ary_entry(vertices, i);
    if (!rb_respond_to(v, id::position)) return false;
    VALUE p = geometry::read_position(reads, v);
    push(positions, p);
    if (!read_host_point(reads, p, points)) return false;
  }
  return true;
}

// The face's numbers.  Known only when all of them are finite numbers and
// its polygon has three points or more.
FaceNumbers read_face(VALUE reads, VALUE face, int room, NativeArray<geometry::arith::Xyz>* points, VALUE kept) {
  using geometry::Mark;
  FaceNumbers f;
  f.known = false;
  f.room = room;
  f.marks = 0;
  if (is_true(geometry::read_mark(reads, face, Mark::TrueDoor))) f.marks |= kTrueDoor;
  if (is_true(geometry::read_mark(reads, face, Mark::Slab))) f.marks |= kSlab;
  if (is_true(geometry::read_mark(reads, face, Mark::Partition))) f.marks |= kPartition;
  f.size = 0.0;
  f.off_plane = 0.0;
  f.shaped = false;
  f.polygon_at = f.polygon_n = f.outline_at = f.outline_n = f.hull_at = f.hull_n = 0;
  f.hull_state = f.own_hull_state = FaceNumbers::kHullUnread;
  f.own_hull_at = f.own_hull_n = 0;
  f.own_hull_slack = 0.0;

  VALUE normal = geometry::read_normal(reads, face);
  if (!read_numbers(normal, f.normal, 3)) return f;
  VALUE plane = geometry::read_plane(reads, face);
  if (!read_numbers(plane, f.plane, 4) || !(length3(f.plane) > 0.0)) return f;
  VALUE centroid = geometry::read_centroid(reads, face);
  if (!read_kept_numbers(reads, centroid, f.centroid)) return f;
  rb_ary_store(kept, 0, centroid);
  rb_ary_store(kept, 1, normal);
  rb_ary_store(kept, 2, plane);
  for (int a = 0; a < 3; ++a) f.lo[a] = f.hi[a] = f.centroid[a];

  VALUE polygon = geometry::read_polygon(reads, face);
  if (!RB_TYPE_P(polygon, T_ARRAY) || RARRAY_LEN(polygon) < 3) return f;
  bool shaped = true;
  f.polygon_at = static_cast<long>(points->size());
  f.polygon_n = RARRAY_LEN(polygon);
  for (long i = 0; i < RARRAY_LEN(polygon); ++i) {
    double p[3];
    VALUE point = rb_ary_entry(polygon, i);
    if (!read_kept_numbers(reads, point, p)) return f;
    widen_to(&f, p);
    shaped = shaped && read_host_point(reads, point, points);
  }
  rb_ary_store(kept, 3, polygon);
  VALUE positions = new_array();
  rb_ary_store(kept, 4, positions);
  shaped = shaped && read_outline(reads, face, &f, points, positions);
  // The outline (whose points the facing tests carry along the normal)
  // lies in the face's bounds.
  if (!rb_respond_to(face, id::bounds)) return f;
  VALUE corners = geometry::read_corners(reads, face);
  double corner[3];
  if (!read_kept_numbers(reads, at(corners, 0), corner)) return f;
  widen_to(&f, corner);
  if (!read_kept_numbers(reads, at(corners, 1), corner)) return f;
  widen_to(&f, corner);

  double diagonal[3];
  for (int a = 0; a < 3; ++a) diagonal[a] = f.hi[a] - f.lo[a];
  f.size = length3(diagonal);
  f.off_plane = plane_distance(f.plane, f.centroid);
  f.known = std::isfinite(f.size) && std::isfinite(f.off_plane);
  f.shaped = f.known && shaped && length3(f.normal) > 0.0;
  return f;
}

RoomNumbers read_room(VALUE room) {
  RoomNumbers r;
  r.known = read_numbers(ivar(room, iv::Room::centroid), r.centre, 3) &&
            number_of(ivar(room, iv::Room::radius), &r.radius);
  return r;
}

}  // namespace

void list_pair_faces(geometry::Road road, VALUE rooms, PairFaces* out) {
  out->road = road;
  out->room_faces = new_array();
  out->model_faces = new_array();
  for (long r = 0; r < len(rooms); ++r) {
    out->room_start.push(static_cast<int>(len(out->room_faces)));
    VALUE faces = array_ivar(at(rooms, r), iv::Room::roomFaces);
    for (long k = 0; k < len(faces); ++k) {
      VALUE room_face = at(faces, k);
      push(out->room_faces, room_face);
      push(out->model_faces, model_face(room_face));
    }
  }
  out->room_start.push(static_cast<int>(len(out->room_faces)));
}

void read_pair_faces(geometry::Road road, VALUE rooms, PairFaces* out) {
  VALUE reads = road.pass_reads();
  out->road = road;
  out->reads = reads;
  out->room_faces = new_array();
  out->model_faces = new_array();
  out->host_values = new_array();
  for (long r = 0; r < len(rooms); ++r) {
    VALUE room = at(rooms, r);
    out->rooms.push(read_room(room));
    out->room_start.push(static_cast<int>(out->faces.size()));
    VALUE faces = array_ivar(room, iv::Room::roomFaces);
    for (long k = 0; k < len(faces); ++k) {
      VALUE room_face = at(faces, k);
      VALUE face = model_face(room_face);
      push(out->room_faces, room_face);
      push(out->model_faces, face);
      VALUE kept = rb_ary_new_from_args(5, Qnil, Qnil, Qnil, Qnil, Qnil);
      push(out->host_values, kept);
      const FaceNumbers f = read_face(reads, face, static_cast<int>(r), &out->points, kept);
      if (f.known) out->widest_off_plane = std::max(out->widest_off_plane, f.off_plane);
      out->faces.push(f);
    }
  }
  out->room_start.push(static_cast<int>(out->faces.size()));
}

bool may_be_parallel(const FaceNumbers& a, const FaceNumbers& b, double parallel) {
  if (!a.known || !b.known) return true;
  return std::fabs(dot3(a.normal, b.normal)) >= parallel - 1e-7;
}

// Both tests find a point a + t·n in b's outline (or b + t·n in a's), with a
// in one face's box, b in the other's and n one of the normals: the line
// along n through the origin meets the box of differences b − a.
bool may_overlap(const FaceNumbers& a, const FaceNumbers& b) {
  if (!a.known || !b.known) return true;
  const double m = overlap_margin(a, b);
  double lo[3], hi[3];
  for (int k = 0; k < 3; ++k) {
    lo[k] = b.lo[k] - a.hi[k] - m;
    hi[k] = b.hi[k] - a.lo[k] + m;
  }
  return line_meets(a.normal, lo, hi) || line_meets(b.normal, lo, hi);
}

bool surely_farther(const FaceNumbers& a, const FaceNumbers& b, double limit) {
  if (!a.known || !b.known) return false;
  return plane_distance(b.plane, a.centroid) > limit + rounding_slack(limit);
}

// The facing distance is the distance from a's centroid to a point of b's
// plane, or the distance from a's plane of a corner of b's outline (inside
// b's box) or of a's outline carried along a's normal onto b's plane (no
// nearer to a's plane than that corner is to b's).
double facing_lower_bound(const FaceNumbers& a, const FaceNumbers& b) {
  if (!a.known || !b.known) return -std::numeric_limits<double>::infinity();
  const double m = overlap_margin(a, b);
  double alo[3], ahi[3], blo[3], bhi[3];
  for (int k = 0; k < 3; ++k) {
    alo[k] = a.lo[k] - m;
    ahi[k] = a.hi[k] + m;
    blo[k] = b.lo[k] - m;
    bhi[k] = b.hi[k] + m;
  }
  const double bound = std::min({plane_distance(b.plane, a.centroid), box_plane_distance(a.plane, blo, bhi),
                                 box_plane_distance(b.plane, alo, ahi)});
  double scale = 0.0;
  for (int k = 0; k < 3; ++k)
    scale = std::max({scale, std::fabs(a.lo[k]), std::fabs(a.hi[k]), std::fabs(b.lo[k]), std::fabs(b.hi[k])});
  return bound - rounding_slack(scale);
}

// a's centroid lies within `wall` of the opposite face's plane, so every
// point of a's box within wall + size of it; carried along a normal at
// least 0.97 parallel, a point moves at most that over 0.97 to reach the
// other plane, and a centroid lies off its plane by at most the widest.
double opposite_reach(const FaceNumbers& a, double wall, double widest_off_plane) {
  return (wall + a.size + widest_off_plane) / 0.969 + 0.01 + 0.004 * a.size;
}

int spheres_apart(const RoomNumbers& a, const RoomNumbers& b) {
  if (!a.known || !b.known) return -1;
  double d[3];
  for (int k = 0; k < 3; ++k) d[k] = a.centre[k] - b.centre[k];
  const double apart = length3(d), reach = a.radius + b.radius;
  const double slack = rounding_slack(std::max(apart, reach));
  if (apart > reach + slack) return 1;
  if (apart < reach - slack) return 0;
  return -1;
}

}  // namespace roomface
}  // namespace qor

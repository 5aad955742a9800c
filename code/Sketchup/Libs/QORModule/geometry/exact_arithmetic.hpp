// The modeller's point and vector arithmetic, step for step, on plain
// numbers: the same formulas in the same order as the headless modeller's
// Geom (code/Sketchup/Headless/support.rb, geom.rb, point3d.rb,
// vector3d.rb), so that a test decided here comes out bit for bit as the
// host would decide it.  The build turns off contraction into fused
// multiply-adds, which would round differently.
//
// Only plain doubles: nothing here calls Ruby.
#pragma once

#include <cmath>

namespace qor {
namespace geometry {
namespace exact {

// The modeller's length tolerance (inch) and angular tolerance (sine).
const double kTolerance = 0.001;
const double kAngleTolerance = 1.0e-6;

struct Xyz {
  double x, y, z;
};

inline Xyz add(const Xyz& a, const Xyz& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Xyz sub(const Xyz& a, const Xyz& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Xyz scale(const Xyz& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(const Xyz& a, const Xyz& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double len(const Xyz& a) { return std::sqrt(dot(a, a)); }
inline Xyz cross(const Xyz& a, const Xyz& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// A zero vector stays zero.
inline Xyz unit(const Xyz& a) {
  const double l = len(a);
  return l == 0.0 ? Xyz{0.0, 0.0, 0.0} : scale(a, 1.0 / l);
}
inline double dist(const Xyz& a, const Xyz& b) { return len(sub(a, b)); }
// Point#== : closer than the tolerance.
inline bool same_point(const Xyz& a, const Xyz& b) { return dist(a, b) < kTolerance; }

// A plane [a, b, c, d] as the host reads it: unit normal and offset.
struct Plane {
  Xyz n;
  double d;
};
// False when the normal has no length (the host raises).
inline bool plane_of(const double abcd[4], Plane* out) {
  const Xyz n = {abcd[0], abcd[1], abcd[2]};
  const double l = len(n);
  if (l == 0.0) return false;
  out->n = scale(n, 1.0 / l);
  out->d = abcd[3] / l;
  return true;
}
inline double signed_distance(const Xyz& p, const Plane& plane) { return dot(plane.n, p) + plane.d; }
inline Xyz project_to_plane(const Xyz& p, const Plane& plane) {
  return sub(p, scale(plane.n, dot(plane.n, p) + plane.d));
}

// Geom.intersect_line_plane([origin, direction], plane), direction a
// vector; false when the line runs parallel to the plane.
inline bool intersect_line_plane(const Xyz& origin, const Xyz& direction, const Plane& plane, Xyz* out) {
  const Xyz d = unit(direction);
  const double denom = dot(plane.n, d);
  if (std::fabs(denom) < kAngleTolerance) return false;
  const double t = -(dot(plane.n, origin) + plane.d) / denom;
  *out = add(origin, scale(d, t));
  return true;
}

// Geom.intersect_line_line([p0, p0.vector_to(p1)], [q0, q0.vector_to(q1)]);
// false for parallel or skew lines.  Both directions must have a length.
inline bool intersect_line_line(const Xyz& p0, const Xyz& p1, const Xyz& q0, const Xyz& q1, Xyz* out) {
  const Xyz d1 = unit(sub(p1, p0)), d2 = unit(sub(q1, q0));
  if (len(cross(d1, d2)) < kAngleTolerance) return false;
  const double b = dot(d1, d2);
  const double denom = 1.0 - b * b;
  const Xyz w = sub(p0, q0);
  const double d = dot(d1, w), e = dot(d2, w);
  const double s = (b * e - d) / denom, t = (e - b * d) / denom;
  const Xyz on1 = add(p0, scale(d1, s)), on2 = add(q0, scale(d2, t));
  if (!(dist(on1, on2) < kTolerance)) return false;
  *out = on1;
  return true;
}

// Is p between a and b on their line: the directions to them opposed?
inline bool strictly_between(const Xyz& p, const Xyz& a, const Xyz& b) {
  return dot(unit(sub(b, p)), unit(sub(a, p))) < -0.999999;
}

// Distance from p to the segment a-b.
inline double dist_to_segment(const Xyz& p, const Xyz& a, const Xyz& b) {
  const Xyz ab = sub(b, a);
  const double l2 = dot(ab, ab);
  if (l2 == 0.0) return dist(p, a);
  double t = dot(sub(p, a), ab) / l2;
  if (t < 0.0) t = 0.0;
  if (t > 1.0) t = 1.0;
  return dist(p, add(a, scale(ab, t)));
}

// Geom.point_in_polygon_2D on points already flattened to z = 0: a point
// on the border counts as border says; a polygon without area has no
// inside.
template <class At>
bool point_in_polygon_2d(const Xyz& p, long n, At at, bool border) {
  if (n == 0) return false;
  for (long i = 0; i < n; ++i)
    if (dist_to_segment(p, at(i), at((i + 1) % n)) < kTolerance) return border;
  if (n < 3) return false;
  double nz = 0.0;
  for (long i = 0; i < n; ++i) {
    const Xyz a = at(i), b = at((i + 1) % n);
    nz += (a.x - b.x) * (a.y + b.y);
  }
  if (std::fabs(nz) < 1.0e-12) return false;
  bool inside = false;
  long j = n - 1;
  for (long i = 0; i < n; ++i) {
    const Xyz a = at(i), b = at(j);
    if ((a.y > p.y) != (b.y > p.y)) {
      const double xc = (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x;
      if (p.x < xc) inside = !inside;
    }
    j = i;
  }
  return inside;
}

// pointInPolygon3D: inside the polygon seen along each of the three axes.
inline bool point_in_polygon_3d(const Xyz& p, const Xyz* polygon, long n, bool border) {
  const bool in_xy = point_in_polygon_2d(
      {p.x, p.y, 0.0}, n, [&](long i) { return Xyz{polygon[i].x, polygon[i].y, 0.0}; }, border);
  const bool in_xz = point_in_polygon_2d(
      {p.x, p.z, 0.0}, n, [&](long i) { return Xyz{polygon[i].x, polygon[i].z, 0.0}; }, border);
  const bool in_zy = point_in_polygon_2d(
      {p.z, p.y, 0.0}, n, [&](long i) { return Xyz{polygon[i].z, polygon[i].y, 0.0}; }, border);
  return in_xy && in_xz && in_zy;
}

}  // namespace exact
}  // namespace geometry
}  // namespace qor

// The modeller's documented point and vector arithmetic on plain numbers.
// Written in the headless modeller's order, but another host may round
// otherwise, use another formula or draw its borders wider: nothing here
// is the host's answer.  The tests that decide anything from these numbers
// are in certain.hpp, each with its margin.
//
// Only plain doubles: nothing here calls Ruby.
#pragma once

#include <cmath>

namespace qor {
namespace geometry {
namespace arith {

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

}  // namespace arith
}  // namespace geometry
}  // namespace qor

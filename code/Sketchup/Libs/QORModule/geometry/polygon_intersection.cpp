#include "polygon_intersection.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/road.hpp"
#include "../core/ruby.hpp"
#include "edge_index.hpp"
#include "host_points.hpp"
#include "polygon_index.hpp"
#include "polygon_walk.hpp"
#include "primitives.hpp"

// The two point kernels of the overlap walk (polygon_walk.hpp): the host's
// points asked through the host, and the host's points read once and
// decided by its own arithmetic (exact_arithmetic.hpp).

namespace qor {
namespace geometry {

namespace {

// Points as the host has them; every question is a host call.
struct HostKernel {
  using Point = VALUE;

  bool same(VALUE p, VALUE q) const { return equal(p, q); }

  // Segment Q against edge E: a crossing inside both, or Q ending on E's
  // interior; never E ending on Q's interior.
  bool crosses_edge(VALUE q0, VALUE q1, VALUE e0, VALUE e1) const {
    if (equal(q0, q1) || equal(e0, e1)) return false;
    VALUE line_q = array_of(q0, call(q0, id::vector_to, q1));
    VALUE line_e = array_of(e0, call(e0, id::vector_to, e1));
    VALUE x = call(gv::module_Geom, id::intersect_line_line, line_q, line_e);
    if (NIL_P(x)) return false;

    const bool inside_q = strictly_inside(x, q0, q1);
    const bool inside_e = strictly_inside(x, e0, e1);
    if ((equal(x, e0) || equal(x, e1)) && inside_q) return false;
    if (inside_q && inside_e) return true;
    return (equal(x, q0) || equal(x, q1)) && inside_e;
  }

  bool crosses_properly(VALUE q0, VALUE q1, VALUE e0, VALUE e1) const {
    return !NIL_P(segment_intersection(array_of(q0, q1), array_of(e0, e1), Qfalse));
  }

  bool inside(VALUE p, const WalkSide<VALUE>& polygon) const {
    return truthy(pointInPolygon3D(Qnil, p, polygon_array(polygon), Qtrue));
  }

  template <class Visit>
  void each_edge(const WalkSide<VALUE>& s, VALUE, VALUE, Visit visit) {
    each_edge_of(s.size, visit);
  }

  // The side's points as the Ruby Array the host reads.
  VALUE polygon_array(const WalkSide<VALUE>& s) const { return s.tag == kTagA ? a : b; }

  VALUE a, b;
};

// Points read once; every question answered by the host's arithmetic.
struct ExactKernel {
  using Point = exact::Xyz;

  bool same(const Point& p, const Point& q) const { return exact::same_point(p, q); }

  bool crosses_edge(const Point& q0, const Point& q1, const Point& e0, const Point& e1) const {
    if (same(q0, q1) || same(e0, e1)) return false;
    Point x;
    if (!exact::intersect_line_line(q0, q1, e0, e1, &x)) return false;
    const bool inside_q = exact::strictly_between(x, q0, q1);
    const bool inside_e = exact::strictly_between(x, e0, e1);
    if ((same(x, e0) || same(x, e1)) && inside_q) return false;
    if (inside_q && inside_e) return true;
    return (same(x, q0) || same(x, q1)) && inside_e;
  }

  // segment_intersection(…, false): a crossing strictly inside both
  // segments, not one segment's end touching the other's inside.
  bool crosses_properly(const Point& a0, const Point& a1, const Point& b0, const Point& b1) const {
    if (same(b0, b1) || same(a0, a1)) return false;
    Point p;
    if (!exact::intersect_line_line(a0, a1, b0, b1, &p)) return false;
    const bool in_a = exact::strictly_between(p, a0, a1), in_b = exact::strictly_between(p, b0, b1);
    const bool touching = ((same(p, a0) || same(p, a1)) && in_b) || ((same(p, b0) || same(p, b1)) && in_a);
    return in_a && in_b && !touching;
  }

  bool inside(const Point& p, const WalkSide<Point>& polygon) {
    if (polygon.size < kIndexedSide) return exact::point_in_polygon_3d(p, polygon.points, polygon.size, true);
    PolygonIndex& index = outlines[polygon.tag];
    if (!index.built()) index.build(polygon.points, polygon.size);
    return index.contains(p);
  }

  // Long sides are looked up in an index of their edges.
  template <class Visit>
  void each_edge(const WalkSide<Point>& s, const Point& q0, const Point& q1, Visit visit) {
    if (s.size < kIndexedSide) return each_edge_of(s.size, visit);
    EdgeIndex& index = edges[s.tag];
    if (!index.built()) index.build(s.points, s.size);
    index.each_near(q0, q1, visit);
  }

  static const long kIndexedSide = 64;
  EdgeIndex edges[2];  // per tag
  PolygonIndex outlines[2];
};

VALUE entries_of(const NativeArray<OverlapEntry>& entries, VALUE polygon_a, VALUE polygon_b) {
  VALUE tags[2] = {new_string("A"), new_string("B")};
  VALUE result = new_array(static_cast<long>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const OverlapEntry& e = entries[i];
    VALUE points = e.tag == kTagA ? polygon_a : polygon_b;
    push(result, array_of(tags[e.tag], LONG2NUM(e.from), LONG2NUM(e.to), rb_ary_entry(points, e.from)));
  }
  return result;
}

// The walk over the host's points, asking the host.
VALUE overlap_by_host(VALUE polygon_a, VALUE polygon_b) {
  // Copies no script can reach keep the points still while the walk reads
  // them by pointer.
  VALUE a = rb_ary_dup(polygon_a), b = rb_ary_dup(polygon_b);
  VALUE result = Qnil;
  int state = 0;
  {
    HostKernel kernel{a, b};
    PolygonWalk<HostKernel> walk(kernel, RARRAY_CONST_PTR(a), RARRAY_LEN(a), RARRAY_CONST_PTR(b),
                                 RARRAY_LEN(b));
    result = protect([&] { return entries_of(walk.run(), a, b); }, &state);
  }
  RB_GC_GUARD(a);
  RB_GC_GUARD(b);
  if (state) rb_jump_tag(state);
  return result;
}

// The walk over coordinates read once; nil when some point is not the
// host's own.
VALUE overlap_by_numbers(VALUE polygon_a, VALUE polygon_b) {
  VALUE result = Qnil;
  int state = 0;
  {
    // Everything that frees memory lives out here, where an exit caught by
    // protect() still reaches the end of the scope.
    NativeArray<exact::Xyz> a, b;
    ExactKernel kernel;
    const VALUE read = protect(
        [&]() -> VALUE { return read_host_points(polygon_a, &a) && read_host_points(polygon_b, &b) ? Qtrue : Qfalse; },
        &state);
    if (!state && read == Qtrue) {
      PolygonWalk<ExactKernel> walk(kernel, a.begin(), static_cast<long>(a.size()), b.begin(),
                                    static_cast<long>(b.size()));
      result = protect([&] { return entries_of(walk.run(), polygon_a, polygon_b); }, &state);
    }
  }
  if (state) rb_jump_tag(state);
  return result;
}

}  // namespace

long overlap_of_points(const exact::Xyz* a, long n, const exact::Xyz* b, long m, OverlapEntry* first) {
  ExactKernel kernel;
  PolygonWalk<ExactKernel> walk(kernel, a, n, b, m);
  const NativeArray<OverlapEntry>& entries = walk.run();
  if (!entries.empty()) *first = entries[0];
  return static_cast<long>(entries.size());
}

VALUE getIntersectionPointsOfPolygons(VALUE, VALUE polygonA, VALUE polygonB) {
  expect_array_arg(polygonA, "polygonA");
  expect_array_arg(polygonB, "polygonB");
  for (long i = 0; i < RARRAY_LEN(polygonA); ++i) expect_point_arg(rb_ary_entry(polygonA, i), "a polygonA entry");
  for (long i = 0; i < RARRAY_LEN(polygonB); ++i) expect_point_arg(rb_ary_entry(polygonB, i), "a polygonB entry");
  if (!plain_road()) {
    VALUE result = overlap_by_numbers(polygonA, polygonB);
    if (!NIL_P(result)) return result;
  }
  return overlap_by_host(polygonA, polygonB);
}

}  // namespace geometry
}  // namespace qor

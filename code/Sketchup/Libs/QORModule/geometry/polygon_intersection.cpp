#include "polygon_intersection.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/road.hpp"
#include "../core/ruby.hpp"
#include "certain.hpp"
#include "edge_index.hpp"
#include "host_points.hpp"
#include "polygon_index.hpp"
#include "point_math.hpp"
#include "polygon_walk.hpp"
#include "primitives.hpp"

// The two point kernels of the overlap walk (polygon_walk.hpp): the host's
// points asked through the host, and the host's points read once and
// decided on their numbers where that is certain.

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

  bool inside(VALUE p, const WalkSide<VALUE>& polygon) const { return inside_tagged(p, polygon.tag); }
  bool inside_tagged(VALUE p, int tag) const {
    return truthy(pointInPolygon3D(Qnil, p, tag == kTagA ? a : b, Qtrue));
  }

  template <class Visit>
  void each_edge(const WalkSide<VALUE>& s, VALUE, VALUE, Visit visit) {
    each_edge_of(s.size, visit);
  }

  VALUE a, b;
};

// A point of either polygon: its numbers, and where the host keeps it.
struct Vertex {
  arith::Xyz at;
  int tag;
  long index;
};

// Points read once; a question is answered from the numbers where the
// answer is certain (certain.hpp), else asked of the host on the host's
// points.
struct NumbersKernel {
  using Point = Vertex;
  using Sure = certain::Sure;

  bool same(const Point& p, const Point& q) {
    return decide(certain::same_point(p.at, q.at), [&] { return host().same(value(p), value(q)); });
  }

  bool crosses_edge(const Point& q0, const Point& q1, const Point& e0, const Point& e1) {
    return decide(crossing(q0.at, q1.at, e0.at, e1.at), [&] { return crosses_edge_asked(q0, q1, e0, e1); });
  }

  bool crosses_properly(const Point& a0, const Point& a1, const Point& b0, const Point& b1) {
    return decide(proper_crossing(a0.at, a1.at, b0.at, b1.at),
                  [&] { return crosses_properly_asked(a0, a1, b0, b1); });
  }

  bool inside(const Point& p, const WalkSide<Point>& polygon) {
    return decide(in_polygon(p.at, polygon), [&] { return host().inside_tagged(value(p), polygon.tag); });
  }

  // Long sides are looked up in an index of their edges, reaching well
  // past the knife edge.
  template <class Visit>
  void each_edge(const WalkSide<Point>& s, const Point& q0, const Point& q1, Visit visit) {
    if (s.size < kIndexedSide) return each_edge_of(s.size, visit);
    EdgeIndex& index = edges[s.tag];
    if (!index.built()) index.build(numbers[s.tag], s.size);
    index.each_near(q0.at, q1.at, visit);
  }

  // The host kernel's crosses_edge, on numbers.
  static Sure crossing(const arith::Xyz& q0, const arith::Xyz& q1, const arith::Xyz& e0, const arith::Xyz& e1) {
    using namespace certain;
    const Sure degenerate = either(same_point(q0, q1), same_point(e0, e1));
    if (degenerate == Sure::kYes) return Sure::kNo;
    arith::Xyz x;
    Sure meet = lines_meet(q0, q1, e0, e1, &x);
    if (meet != Sure::kYes) return both(negated(degenerate), meet);
    const Sure inside_q = strictly_between(x, q0, q1), inside_e = strictly_between(x, e0, e1);
    const Sure at_e = either(same_point(x, e0), same_point(x, e1));
    const Sure at_q = either(same_point(x, q0), same_point(x, q1));
    const Sure crossed = both(negated(both(at_e, inside_q)), either(both(inside_q, inside_e), both(at_q, inside_e)));
    return both(negated(degenerate), crossed);
  }

  // segment_intersection(…, false): a crossing strictly inside both
  // segments, not one segment's end touching the other's inside.
  static Sure proper_crossing(const arith::Xyz& a0, const arith::Xyz& a1, const arith::Xyz& b0,
                              const arith::Xyz& b1) {
    using namespace certain;
    const Sure degenerate = either(same_point(b0, b1), same_point(a0, a1));
    if (degenerate == Sure::kYes) return Sure::kNo;
    arith::Xyz p;
    const Sure meet = lines_meet(a0, a1, b0, b1, &p);
    if (meet != Sure::kYes) return both(negated(degenerate), meet);
    const Sure in_a = strictly_between(p, a0, a1), in_b = strictly_between(p, b0, b1);
    const Sure touching = either(both(either(same_point(p, a0), same_point(p, a1)), in_b),
                                 both(either(same_point(p, b0), same_point(p, b1)), in_a));
    return both(negated(degenerate), both(both(in_a, in_b), negated(touching)));
  }

  // Where the host's lines through p0-p1 and q0-q1 meet, as the host
  // kernel asks it, with its numbers when they can be read.
  struct Meeting {
    VALUE at;
    arith::Xyz numbers;
    bool read;
  };
  Meeting meet(const Point& p0, const Point& p1, const Point& q0, const Point& q1) {
    VALUE a = value(p0), b = value(q0);
    VALUE line_p = array_of(a, call(a, id::vector_to, value(p1)));
    VALUE line_q = array_of(b, call(b, id::vector_to, value(q1)));
    Meeting x{call(gv::module_Geom, id::intersect_line_line, line_p, line_q), arith::Xyz{0.0, 0.0, 0.0}, false};
    double c[3];
    if (!NIL_P(x.at) && read_point(x.at, c)) {
      x.numbers = arith::Xyz{c[0], c[1], c[2]};
      x.read = true;
    }
    return x;
  }
  bool at_point(const Meeting& x, const Point& p) {
    if (x.read) {
      const Sure s = certain::same_point(x.numbers, p.at);
      if (s != Sure::kUnsure) return s == Sure::kYes;
    }
    return equal(x.at, value(p));
  }
  bool between(const Meeting& x, const Point& a, const Point& b) {
    if (x.read) {
      const Sure s = certain::strictly_between(x.numbers, a.at, b.at);
      if (s != Sure::kUnsure) return s == Sure::kYes;
    }
    return strictly_inside(x.at, value(a), value(b));
  }

  // The host kernel's crosses_edge step by step: the meeting point is the
  // host's, and each test on it is asked of the host only where its
  // numbers leave it unsure, and only when the answer still depends on it.
  // The host kernel answers
  //   !(at_e && inside_q) && ((inside_q && inside_e) || (at_q && inside_e)),
  // which is inside_q ? !at_e && inside_e : at_q && inside_e.
  bool crosses_edge_asked(const Point& q0, const Point& q1, const Point& e0, const Point& e1) {
    if (same(q0, q1) || same(e0, e1)) return false;
    const Meeting x = meet(q0, q1, e0, e1);
    if (NIL_P(x.at)) return false;
    if (between(x, q0, q1)) return !(at_point(x, e0) || at_point(x, e1)) && between(x, e0, e1);
    return (at_point(x, q0) || at_point(x, q1)) && between(x, e0, e1);
  }

  // The same for crosses_properly (segment_intersection(…, false)): a
  // crossing inside both segments that is no touch, i1 && i2 && !(e1 && i2)
  // && !(e2 && i1), which is i1 && i2 && !e1 && !e2.
  bool crosses_properly_asked(const Point& a0, const Point& a1, const Point& b0, const Point& b1) {
    if (same(b0, b1) || same(a0, a1)) return false;
    const Meeting p = meet(a0, a1, b0, b1);
    if (NIL_P(p.at)) return false;
    return between(p, a0, a1) && between(p, b0, b1) && !(at_point(p, a0) || at_point(p, a1)) &&
           !(at_point(p, b0) || at_point(p, b1));
  }

  Sure in_polygon(const arith::Xyz& p, const WalkSide<Point>& polygon) {
    if (polygon.size < kIndexedSide) return certain::in_polygon_3d(p, numbers[polygon.tag], polygon.size);
    PolygonIndex& index = outlines[polygon.tag];
    if (!index.built()) index.build(numbers[polygon.tag], polygon.size);
    return index.contains(p);
  }

  template <class Ask>
  bool decide(Sure answer, Ask ask) {
    if (answer != Sure::kUnsure) return answer == Sure::kYes;
    return ask();
  }

  HostKernel host() {
    if (host_b == Qundef) host_b = b_points(context);
    return HostKernel{host_a, host_b};
  }
  VALUE value(const Point& p) {
    if (p.tag == kTagB && host_b == Qundef) host_b = b_points(context);
    return rb_ary_entry(p.tag == kTagA ? host_a : host_b, p.index);
  }

  static const long kIndexedSide = 64;
  const arith::Xyz* numbers[2] = {nullptr, nullptr};  // per tag
  VALUE host_a = Qnil, host_b = Qnil;
  // Makes host_b when it is first needed (Qundef until then).
  VALUE (*b_points)(void* context) = nullptr;
  void* context = nullptr;
  EdgeIndex edges[2];  // per tag
  PolygonIndex outlines[2];
};

void vertices_of(const arith::Xyz* points, long n, int tag, NativeArray<Vertex>* out) {
  for (long i = 0; i < n; ++i) out->push(Vertex{points[i], tag, i});
}

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

// The walk over coordinates read once, asking the host where they leave it
// unsure; nil when some point is not the host's.  With b_over_a, the walk
// of B over A too, on the same numbers.
VALUE overlap_by_numbers(VALUE polygon_a, VALUE polygon_b, VALUE* b_over_a = nullptr) {
  VALUE a = rb_ary_dup(polygon_a), b = rb_ary_dup(polygon_b);
  VALUE result = Qnil, reverse = Qnil;
  int state = 0;
  {
    // Everything that frees memory lives out here, where an exit caught by
    // protect() still reaches the end of the scope.
    NativeArray<arith::Xyz> na, nb;
    NativeArray<Vertex> va, vb;
    NumbersKernel kernel, other;
    const VALUE read = protect(
        [&]() -> VALUE { return read_host_points(a, &na) && read_host_points(b, &nb) ? Qtrue : Qfalse; }, &state);
    if (!state && read == Qtrue) {
      vertices_of(na.begin(), RARRAY_LEN(a), kTagA, &va);
      vertices_of(nb.begin(), RARRAY_LEN(b), kTagB, &vb);
      kernel.numbers[kTagA] = na.begin();
      kernel.numbers[kTagB] = nb.begin();
      kernel.host_a = a;
      kernel.host_b = b;
      PolygonWalk<NumbersKernel> walk(kernel, va.begin(), static_cast<long>(va.size()), vb.begin(),
                                      static_cast<long>(vb.size()));
      result = protect([&] { return entries_of(walk.run(), a, b); }, &state);
      if (!state && b_over_a) {
        // The same points, B's tagged "A" now.
        NativeArray<Vertex> wa, wb;
        vertices_of(nb.begin(), RARRAY_LEN(b), kTagA, &wa);
        vertices_of(na.begin(), RARRAY_LEN(a), kTagB, &wb);
        other.numbers[kTagA] = nb.begin();
        other.numbers[kTagB] = na.begin();
        other.host_a = b;
        other.host_b = a;
        PolygonWalk<NumbersKernel> back(other, wa.begin(), static_cast<long>(wa.size()), wb.begin(),
                                        static_cast<long>(wb.size()));
        reverse = protect([&] { return entries_of(back.run(), b, a); }, &state);
      }
    }
  }
  RB_GC_GUARD(a);
  RB_GC_GUARD(b);
  if (state) rb_jump_tag(state);
  if (b_over_a) *b_over_a = reverse;
  return result;
}

}  // namespace

long overlap_of_points(const arith::Xyz* a, long n, const arith::Xyz* b, long m, const HostSides& host,
                       VALUE* first_point) {
  long count = 0;
  int state = 0;
  {
    NativeArray<Vertex> va, vb;
    NumbersKernel kernel;
    kernel.numbers[kTagA] = a;
    kernel.numbers[kTagB] = b;
    kernel.host_a = host.a;
    kernel.host_b = Qundef;
    kernel.b_points = host.b_points;
    kernel.context = host.context;
    protect(
        [&]() -> VALUE {
          vertices_of(a, n, kTagA, &va);
          vertices_of(b, m, kTagB, &vb);
          return Qnil;
        },
        &state);
    if (!state) {
      PolygonWalk<NumbersKernel> walk(kernel, va.begin(), n, vb.begin(), m);
      *first_point = protect(
          [&]() -> VALUE {
            const NativeArray<OverlapEntry>& entries = walk.run();
            count = static_cast<long>(entries.size());
            if (entries.empty()) return Qnil;
            const OverlapEntry& e = entries[0];
            const long size = e.tag == kTagA ? n : m;
            return kernel.value(Vertex{arith::Xyz{0.0, 0.0, 0.0}, e.tag, e.from < 0 ? e.from + size : e.from});
          },
          &state);
    }
  }
  if (state) rb_jump_tag(state);
  return count;
}

namespace {

void expect_polygons(VALUE polygonA, VALUE polygonB) {
  expect_array_arg(polygonA, "polygonA");
  expect_array_arg(polygonB, "polygonB");
  for (long i = 0; i < RARRAY_LEN(polygonA); ++i) expect_point_arg(rb_ary_entry(polygonA, i), "a polygonA entry");
  for (long i = 0; i < RARRAY_LEN(polygonB); ++i) expect_point_arg(rb_ary_entry(polygonB, i), "a polygonB entry");
}

}  // namespace

VALUE getIntersectionPointsOfPolygons(VALUE, VALUE polygonA, VALUE polygonB) {
  expect_polygons(polygonA, polygonB);
  if (!plain_road()) {
    VALUE result = overlap_by_numbers(polygonA, polygonB);
    if (!NIL_P(result)) return result;
  }
  return overlap_by_host(polygonA, polygonB);
}

VALUE overlaps_both_ways(VALUE polygonA, VALUE polygonB, VALUE* b_over_a) {
  if (!plain_road()) {
    expect_polygons(polygonA, polygonB);
    expect_polygons(polygonB, polygonA);
    VALUE reverse = Qnil;
    VALUE result = overlap_by_numbers(polygonA, polygonB, &reverse);
    if (!NIL_P(result) && !NIL_P(reverse)) {
      *b_over_a = reverse;
      return result;
    }
  }
  VALUE result = getIntersectionPointsOfPolygons(Qnil, polygonA, polygonB);
  *b_over_a = getIntersectionPointsOfPolygons(Qnil, polygonB, polygonA);
  return result;
}

}  // namespace geometry
}  // namespace qor

#include "polygon_intersection.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "certain.hpp"
#include "edge_index.hpp"
#include "host_points.hpp"
#include "polygon_index.hpp"
#include "polygon_walk.hpp"
#include "primitives.hpp"

// The two point kernels of the overlap walk (polygon_walk.hpp): the host's
// points asked through the host, and the host's points read once and
// decided on their numbers where that is certain.

namespace qor {
namespace geometry {

namespace {

// Points as the host has them; every question is a host call, a question
// of a point in a polygon asked as the road asks it.
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
    return truthy(point_in_polygon_3d(road, p, tag == kTagA ? a : b, Qtrue));
  }

  template <class Visit>
  void each_edge(const WalkSide<VALUE>& s, VALUE, VALUE, Visit visit) {
    each_edge_of(s.size, visit);
  }

  VALUE a, b;
  Road road;
};

// A point of a crossing test: its numbers (NaN where they cannot be read:
// every step on it is then the host's), the host's value, and the host's
// own numbers for it, read when first needed (*host_read: 0 unread, 1
// read, 2 unreadable).
struct Known {
  arith::Xyz at;
  VALUE value;
  arith::Xyz* host_at;
  unsigned char* host_read;
};

bool same_known(const Known& p, const Known& q) {
  const certain::Sure s = certain::same_point(p.at, q.at);
  return s == certain::Sure::kUnsure ? equal(p.value, q.value) : s == certain::Sure::kYes;
}

// Is x, as the host gave it, exactly the host's point e?  The direction
// from a point to itself is the zero vector, which normalizes to zero.
bool exactly_at(const Known& x, const Known& e) {
  if (std::isnan(x.at.x)) return false;
  if (*e.host_read == 0) *e.host_read = read_host_point(e.value, e.host_at) ? 1 : 2;
  const arith::Xyz& h = *e.host_at;
  return *e.host_read == 1 && h.x == x.at.x && h.y == x.at.y && h.z == x.at.z;
}

// strictly_inside(x, a, b): at an end itself, a direction is zero and the
// dot product with it is zero, never the -0.999999 it needs.
bool strictly_inside_known(const Known& x, const Known& a, const Known& b) {
  const certain::Sure s = certain::strictly_between(x.at, a.at, b.at);
  if (s != certain::Sure::kUnsure) return s == certain::Sure::kYes;
  if (exactly_at(x, b) || exactly_at(x, a)) return false;
  return strictly_inside(x.value, a.value, b.value);
}

// Geom.intersect_line_line of the lines through p0-p1 and q0-q1, drawn as
// the host kernel draws them; false for none.
bool host_lines_meet(const Known& p0, const Known& p1, const Known& q0, const Known& q1, Known* x) {
  VALUE line_p = array_of(p0.value, call(p0.value, id::vector_to, p1.value));
  VALUE line_q = array_of(q0.value, call(q0.value, id::vector_to, q1.value));
  x->value = call(gv::module_Geom, id::intersect_line_line, line_p, line_q);
  if (NIL_P(x->value)) return false;
  if (!read_host_point(x->value, &x->at)) x->at = arith::Xyz{NAN, NAN, NAN};
  x->host_at = &x->at;
  x->host_read = nullptr;
  return true;
}

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
    return decide(crossing(q0.at, q1.at, e0.at, e1.at),
                  [&] { return host_crosses_edge(known(q0), known(q1), known(e0), known(e1)); });
  }

  bool crosses_properly(const Point& a0, const Point& a1, const Point& b0, const Point& b1) {
    return decide(proper_crossing(a0.at, a1.at, b0.at, b1.at),
                  [&] { return host_crosses_properly(known(a0), known(a1), known(b0), known(b1)); });
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

  // The host kernel's crossing tests, step by step: a step the numbers
  // settle is not asked, so a test costs the host only its intersection
  // point and the steps at the knife edge.  The steps are the host's own
  // tests, free of side effects, so leaving out one whose answer cannot
  // change the outcome changes nothing.
  Known known(const Point& p) {
    NativeArray<arith::Xyz>& at = host_at[p.tag];
    NativeArray<unsigned char>& read = host_read[p.tag];
    if (read.empty()) {
      // Points the kernel read of the host are the host's own numbers;
      // points the host makes one by one are read when first needed.
      const bool made = p.tag == kTagB && b_point;
      at.assign(static_cast<size_t>(sizes[p.tag]), arith::Xyz{0.0, 0.0, 0.0});
      read.assign(static_cast<size_t>(sizes[p.tag]), made ? 0 : 1);
      if (!made)
        for (long i = 0; i < sizes[p.tag]; ++i) at[i] = numbers[p.tag][i];
    }
    return Known{p.at, value(p), &at[p.index], &read[p.index]};
  }

  bool host_crosses_edge(const Known& q0, const Known& q1, const Known& e0, const Known& e1) {
    if (same_known(q0, q1) || same_known(e0, e1)) return false;
    Known x;
    if (!host_lines_meet(q0, q1, e0, e1, &x)) return false;
    // !(at_e && inside_q) && ((inside_q && inside_e) || (at_q && inside_e))
    // is inside_q ? !at_e && inside_e : at_q && inside_e: each test asked
    // only while the answer still depends on it.
    if (strictly_inside_known(x, q0, q1))
      return !(same_known(x, e0) || same_known(x, e1)) && strictly_inside_known(x, e0, e1);
    return (same_known(x, q0) || same_known(x, q1)) && strictly_inside_known(x, e0, e1);
  }

  // segment_intersection(…, false) found a point.
  bool host_crosses_properly(const Known& a0, const Known& a1, const Known& b0, const Known& b1) {
    if (same_known(b0, b1) || same_known(a0, a1)) return false;
    Known p;
    if (!host_lines_meet(a0, a1, b0, b1, &p)) return false;
    // i_a && i_b && !(at_a && i_b) && !(at_b && i_a) is i_a && i_b &&
    // !at_a && !at_b.
    return strictly_inside_known(p, a0, a1) && strictly_inside_known(p, b0, b1) &&
           !(same_known(p, a0) || same_known(p, a1)) && !(same_known(p, b0) || same_known(p, b1));
  }

  // The whole of B is made only for a question on a polygon; a question on
  // points makes the points it names.
  HostKernel host() {
    if (b_point)
      for (long i = 0; i < b_size; ++i) b_value(i);
    return HostKernel{host_a, host_b, Road::with_index()};
  }
  VALUE value(const Point& p) { return p.tag == kTagA ? rb_ary_entry(host_a, p.index) : b_value(p.index); }
  VALUE b_value(long i) {
    if (!b_point) return rb_ary_entry(host_b, i);
    if (host_b == Qundef) host_b = rb_ary_new();
    VALUE v = rb_ary_entry(host_b, i);
    if (NIL_P(v)) {
      v = b_point(context, i);
      rb_ary_store(host_b, i, v);
    }
    return v;
  }

  static const long kIndexedSide = 64;
  const arith::Xyz* numbers[2] = {nullptr, nullptr};  // per tag
  VALUE host_a = Qnil, host_b = Qnil;
  // Where B's points are made one by one, each when first needed (host_b
  // Qundef until the first): b_point(context, i) for i below b_size.
  VALUE (*b_point)(void* context, long i) = nullptr;
  long b_size = 0;
  long sizes[2] = {0, 0};  // per tag
  // Per tag and point, the host's own numbers for a step at a knife edge.
  NativeArray<arith::Xyz> host_at[2];
  NativeArray<unsigned char> host_read[2];
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
VALUE overlap_by_host(Road road, VALUE polygon_a, VALUE polygon_b) {
  // Copies no script can reach keep the points still while the walk reads
  // them by pointer.
  VALUE a = rb_ary_dup(polygon_a), b = rb_ary_dup(polygon_b);
  HostKernel kernel{a, b, road};
  VALUE result = with_native<PolygonWalk<HostKernel>>(
      [&](PolygonWalk<HostKernel>& walk) { return entries_of(walk.run(), a, b); }, kernel, RARRAY_CONST_PTR(a),
      RARRAY_LEN(a), RARRAY_CONST_PTR(b), RARRAY_LEN(b));
  RB_GC_GUARD(a);
  RB_GC_GUARD(b);
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
      kernel.sizes[kTagA] = RARRAY_LEN(a);
      kernel.sizes[kTagB] = RARRAY_LEN(b);
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
        other.sizes[kTagA] = RARRAY_LEN(b);
        other.sizes[kTagB] = RARRAY_LEN(a);
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
    kernel.b_point = host.b_point;
    kernel.b_size = m;
    kernel.sizes[kTagA] = n;
    kernel.sizes[kTagB] = m;
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
  return polygon_overlap(Road::chosen(), polygonA, polygonB);
}

VALUE polygon_overlap(Road road, VALUE polygonA, VALUE polygonB) {
  expect_polygons(polygonA, polygonB);
  if (road.indexed()) {
    VALUE result = overlap_by_numbers(polygonA, polygonB);
    if (!NIL_P(result)) return result;
  }
  return overlap_by_host(road, polygonA, polygonB);
}

VALUE overlaps_both_ways(Road road, VALUE polygonA, VALUE polygonB, VALUE* b_over_a) {
  if (road.indexed()) {
    expect_polygons(polygonA, polygonB);
    expect_polygons(polygonB, polygonA);
    VALUE reverse = Qnil;
    VALUE result = overlap_by_numbers(polygonA, polygonB, &reverse);
    if (!NIL_P(result) && !NIL_P(reverse)) {
      *b_over_a = reverse;
      return result;
    }
  }
  VALUE result = polygon_overlap(road, polygonA, polygonB);
  *b_over_a = polygon_overlap(road, polygonB, polygonA);
  return result;
}

}  // namespace geometry
}  // namespace qor

#include "polygon_intersection.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "primitives.hpp"

// The overlap of two coplanar polygons A (n points) and B (m points) as the
// edges that bound it, each entry [tag, from, to, start point].  After the
// two containment shortcuts, the boundary is walked from A's closing edge:
// along A while A lies inside B, across to B where A leaves B, along B while
// B lies inside A, and back to A where B leaves A.
//
// Every value of a call lives in a Walk on the stack, where the collector
// sees it; nothing here owns a destructor, so a raising host call unwinds
// cleanly.

namespace qor {
namespace geometry {

namespace {

// One polygon of the walk: its points, size, tag and, for each vertex, whether
// it lies inside the other polygon (computed once, read by Ruby index so that
// negative indices count from the end).
struct Side {
  VALUE points;
  long size;
  VALUE tag;
  VALUE inside;  // Array of true/false, index-aligned with points
};

struct Walk {
  Side a, b;
  VALUE result;  // R

  long t;         // start index of the current A edge
  VALUE q0, q1;   // its segment Q

  VALUE start;          // S, or nil until set
  long start_from, start_to;
  VALUE prev_b;         // the previous pass's B entry, or nil
  VALUE a_exit;         // where the walk leaves B along A
};

// What a step tells the pass.
enum Outcome { kGoOn, kEndPass, kFinish };

// The B side of one pass: the picked edge, the walks from it, the segment J
// the walk goes on from, and the B entry the pass settles on.
struct BStretch {
  long i0, h0;       // the picked edge
  long h, i;         // where the forward and backward walks stopped
  bool forward, backward;  // whether each made a step
  VALUE j0, j1;      // J
  VALUE entry;       // this pass's B entry
};

long next_index(const Side& s, long k) { return k + 1 == s.size ? 0 : k + 1; }

VALUE vertex(const Side& s, long k) { return rb_ary_entry(s.points, k); }

bool vertex_inside(const Side& s, long k) { return truthy(rb_ary_entry(s.inside, k)); }

bool edge_inside(const Side& s, long from, long to) {
  return vertex_inside(s, from) && vertex_inside(s, to);
}

VALUE entry(const Side& s, long from, long to) {
  return array_of(s.tag, LONG2NUM(from), LONG2NUM(to), vertex(s, from));
}

long entry_from(VALUE e) { return NUM2LONG(at(e, 1)); }
long entry_to(VALUE e) { return NUM2LONG(at(e, 2)); }

bool included(const Walk& w, VALUE e) { return truthy(rb_ary_includes(w.result, e)); }

void append(Walk& w, VALUE e) { push(w.result, e); }

// Appends e unless R holds an equal entry; true when it was appended.
bool append_new(Walk& w, VALUE e) {
  if (included(w, e)) return false;
  push(w.result, e);
  return true;
}

bool inside_polygon(VALUE p, VALUE polygon) {
  return truthy(pointInPolygon3D(Qnil, p, polygon, Qtrue));
}

// Marks each vertex of `of` inside or not inside `in`.
void mark_inside(Side& of, const Side& in) {
  of.inside = new_array(of.size);
  for (long k = 0; k < of.size; ++k)
    push(of.inside, inside_polygon(vertex(of, k), in.points) ? Qtrue : Qfalse);
}

// The edges of s with both ends inside the other polygon, closing edge first;
// nil unless every edge is.
VALUE contained(const Side& s) {
  VALUE edges = new_array(s.size);
  for (long i = -1; i <= s.size - 2; ++i)
    if (edge_inside(s, i, i + 1)) push(edges, entry(s, i, i + 1));
  return len(edges) == s.size ? edges : Qnil;
}

// Segment Q against edge E: a crossing inside both, or Q ending on E's
// interior; never E ending on Q's interior.
bool crosses_edge(VALUE q0, VALUE q1, VALUE e0, VALUE e1) {
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

bool crosses_properly(VALUE q0, VALUE q1, VALUE e0, VALUE e1) {
  return !NIL_P(segment_intersection(array_of(q0, q1), array_of(e0, e1), Qfalse));
}

// The entries of the edges of s that segment [q0, q1] meets, closing edge
// first.
VALUE scan(const Side& s, VALUE q0, VALUE q1, bool proper) {
  VALUE met = new_array();
  for (long i = -1; i <= s.size - 2; ++i) {
    VALUE e0 = vertex(s, i), e1 = vertex(s, i + 1);
    if (proper ? crosses_properly(q0, q1, e0, e1) : crosses_edge(q0, q1, e0, e1))
      push(met, entry(s, i, i + 1));
  }
  return met;
}

// Does segment [x0, x1] of A close the walk (the start edge again)?
bool closes(const Walk& w, VALUE x0, VALUE x1) {
  return !NIL_P(w.start) && equal(x0, vertex(w.a, w.start_from)) &&
         equal(x1, vertex(w.a, w.start_to));
}

void set_start(Walk& w, VALUE e) {
  w.start = e;
  w.start_from = entry_from(e);
  w.start_to = entry_to(e);
}

void set_current(Walk& w, long t, long to) {
  w.t = t;
  w.q0 = vertex(w.a, t);
  w.q1 = vertex(w.a, to);
}

VALUE current_entry(const Walk& w) { return entry(w.a, w.t, next_index(w.a, w.t)); }

// Moves on to A's next edge.
Outcome advance(Walk& w) {
  const long t = next_index(w.a, w.t);
  set_current(w, t, next_index(w.a, t));
  return closes(w, w.q0, w.q1) ? kFinish : kEndPass;
}

// The B edges the current A edge meets.  An A edge lying inside B is part of
// the outline and may also end on B's edges; any other one must cross them.
VALUE b_edges_met(Walk& w) {
  if (edge_inside(w.a, w.t, next_index(w.a, w.t))) {
    VALUE e = current_entry(w);
    append(w, e);
    if (NIL_P(w.start)) set_start(w, e);
    return scan(w.b, w.q0, w.q1, false);
  }
  return scan(w.b, w.q0, w.q1, true);
}

// Lists the current A edge and picks the B edge to go on with: the last one
// met that is not the one just come from.  Nil when there is none.
VALUE pick_b_edge(Walk& w, VALUE met) {
  VALUE current = current_entry(w);
  if (NIL_P(w.start)) set_start(w, current);
  append_new(w, current);

  VALUE picked = Qnil;
  for (long k = 0, count = len(met); k < count; ++k) {
    VALUE e = at(met, k);
    if (NIL_P(w.prev_b) || !equal(e, w.prev_b)) picked = e;
  }
  if (!NIL_P(picked)) append_new(w, picked);
  return picked;
}

// Follows B forward from the picked edge's end while B stays inside A.
void walk_b_forward(Walk& w, BStretch& s) {
  s.h = s.h0;
  s.forward = false;
  while (edge_inside(w.b, s.h, next_index(w.b, s.h))) {
    append(w, entry(w.b, s.h, next_index(w.b, s.h)));
    s.h = next_index(w.b, s.h);
    s.forward = true;
  }
}

// Follows B backward from the picked edge's start while B stays inside A.
void walk_b_backward(Walk& w, BStretch& s) {
  s.i = s.i0;
  s.backward = false;
  while (edge_inside(w.b, s.i - 1, s.i)) {
    append(w, entry(w.b, s.i - 1, s.i));
    s.i -= 1;
    s.backward = true;
  }
}

bool crosses_one_a_edge(const Walk& w, VALUE k0, VALUE k1) {
  return len(scan(w.a, k0, k1, true)) == 1;
}

// Settles the segment J that leaves A and this pass's B entry.  Without a
// walk, a neighbouring B edge that crosses exactly one A edge is the way out;
// otherwise the segment the walk stopped at is.
void leave_b(Walk& w, BStretch& s, VALUE picked) {
  if (!s.forward && !s.backward) {
    s.entry = picked;
    const long after = next_index(w.b, s.h0);
    VALUE k0 = vertex(w.b, s.h0), k1 = vertex(w.b, after);
    if (crosses_one_a_edge(w, k0, k1)) {
      append(w, entry(w.b, s.h0, after));
      s.j0 = k0;
      s.j1 = k1;
    }
    VALUE l0 = vertex(w.b, s.i0 - 1), l1 = vertex(w.b, s.i0);
    if (crosses_one_a_edge(w, l0, l1)) {
      append(w, entry(w.b, s.i0 - 1, s.i0));
      s.j0 = l0;
      s.j1 = l1;
    }
    return;
  }
  const long from = s.backward ? s.i - 1 : s.h;
  const long to = s.backward ? s.i : next_index(w.b, s.h);
  s.entry = entry(w.b, from, to);
  append_new(w, s.entry);
  s.j0 = vertex(w.b, from);
  s.j1 = vertex(w.b, to);
}

// Picks the A edge where the outline returns to A from J: the last edge J
// meets, other than the current one, that J crosses or that has an end
// inside B.  Finishes when J meets no A edge but the current one.
Outcome pick_a_exit(Walk& w, const BStretch& s) {
  VALUE met = scan(w.a, s.j0, s.j1, false);
  const long count = len(met);
  if (count == 0) return kFinish;

  VALUE current = current_entry(w);
  bool any_other = false;
  for (long k = 0; k < count; ++k) {
    VALUE o = at(met, k);
    if (equal(o, current)) continue;
    any_other = true;
    const long from = entry_from(o), to = entry_to(o);
    if (crosses_properly(s.j0, s.j1, vertex(w.a, from), vertex(w.a, to)) ||
        vertex_inside(w.a, from) || vertex_inside(w.a, to))
      w.a_exit = o;
  }
  return any_other ? kGoOn : kFinish;
}

// Lists the A edges inside B on both sides of the exit edge, then resumes
// the walk at the A edge where B is left again.
Outcome walk_a_and_resume(Walk& w) {
  const long exit_from = entry_from(w.a_exit), exit_to = entry_to(w.a_exit);

  long h = exit_to;
  bool forward = false;
  if (closes(w, vertex(w.a, h), vertex(w.a, next_index(w.a, h)))) return kFinish;
  while (edge_inside(w.a, h, next_index(w.a, h))) {
    append(w, entry(w.a, h, next_index(w.a, h)));
    h = next_index(w.a, h);
    forward = true;
    if (closes(w, vertex(w.a, h), vertex(w.a, next_index(w.a, h)))) return kFinish;
  }

  long i = exit_from;
  bool backward = false;
  if (closes(w, vertex(w.a, i - 1), vertex(w.a, i))) return kFinish;
  while (edge_inside(w.a, i - 1, i)) {
    append(w, entry(w.a, i - 1, i));
    i -= 1;
    backward = true;
    if (closes(w, vertex(w.a, i - 1), vertex(w.a, i))) return kFinish;
  }

  long from = exit_from, to = exit_to;
  if (backward) {
    from = i - 1;
    to = i;
  } else if (forward) {
    from = h;
    to = next_index(w.a, h);
  }
  if (backward || forward) {
    w.a_exit = entry(w.a, from, to);
    if (append_new(w, w.a_exit)) w.prev_b = Qnil;
  }
  set_current(w, from, to);
  return kEndPass;
}

// One pass: from the current A edge over to B, along B and back to A.
Outcome pass(Walk& w) {
  if (closes(w, w.q0, w.q1)) return kFinish;

  VALUE met = b_edges_met(w);
  if (len(met) == 0) return advance(w);
  VALUE picked = pick_b_edge(w, met);
  if (NIL_P(picked)) return advance(w);

  BStretch s;
  s.i0 = entry_from(picked);
  s.h0 = entry_to(picked);
  s.j0 = vertex(w.b, s.i0);
  s.j1 = vertex(w.b, s.h0);
  walk_b_forward(w, s);
  walk_b_backward(w, s);
  leave_b(w, s, picked);

  if (pick_a_exit(w, s) == kFinish) return kFinish;
  if (equal(w.a_exit, w.start)) return kFinish;
  w.prev_b = s.entry;
  append_new(w, s.entry);
  return walk_a_and_resume(w);
}

Side side(VALUE points, const char* tag) {
  Side s;
  s.points = expect_array(points);
  s.size = RARRAY_LEN(points);
  s.tag = new_string(tag);
  s.inside = Qnil;
  return s;
}

}  // namespace

VALUE getIntersectionPointsOfPolygons(VALUE, VALUE polygonA, VALUE polygonB) {
  expect_array_arg(polygonA, "polygonA");
  expect_array_arg(polygonB, "polygonB");
  for (long i = 0; i < RARRAY_LEN(polygonA); ++i) expect_point_arg(rb_ary_entry(polygonA, i), "a polygonA entry");
  for (long i = 0; i < RARRAY_LEN(polygonB); ++i) expect_point_arg(rb_ary_entry(polygonB, i), "a polygonB entry");
  Walk w;
  w.a = side(polygonA, "A");
  w.b = side(polygonB, "B");

  mark_inside(w.b, w.a);
  VALUE b_in_a = contained(w.b);
  if (!NIL_P(b_in_a)) return b_in_a;
  mark_inside(w.a, w.b);
  VALUE a_in_b = contained(w.a);
  if (!NIL_P(a_in_b)) return a_in_b;

  w.result = new_array();
  set_current(w, -1, 0);
  w.start = Qnil;
  w.start_from = w.start_to = 0;
  w.prev_b = Qnil;
  w.a_exit = entry(w.a, -1, 0);

  for (long k = 0; k < w.a.size; ++k)
    if (pass(w) == kFinish) break;
  return w.result;
}

}  // namespace geometry
}  // namespace qor

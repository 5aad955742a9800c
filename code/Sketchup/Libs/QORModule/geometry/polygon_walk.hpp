// The overlap of two coplanar polygons A (n points) and B (m points) as the
// edges that bound it, each entry (tag, from, to).  After the two
// containment shortcuts, the boundary is walked from A's closing edge:
// along A while A lies inside B, across to B where A leaves B, along B while
// B lies inside A, and back to A where B leaves A.
//
// The walk is written once over a point kernel K, which says what a point
// is and answers the four questions the walk asks of points:
//   K::Point                          a point of either polygon
//   bool same(Point, Point)           the host's tolerant Point#==
//   bool crosses_edge(q0, q1, e0, e1) Q crosses E inside both, or ends on E
//   bool crosses_properly(q0, q1, e0, e1)  the strict crossing of segments
//   bool inside(Point, const Side&)   in the polygon, border included
//   void each_edge(const Side&, q0, q1, visit)  visit(i) for each edge i of
//                                     the side that segment q0-q1 may meet,
//                                     closing edge (-1) first, then ascending
// The host kernel asks the host; the numbers kernel answers from numbers
// read once where its answer is certain (certain.hpp) and asks the host
// otherwise.  Entries compare by tag and indices, as the host's
// Arrays [tag, from, to, point] do: the same index gives the same point.
//
// Indices follow Ruby's: -1 is the last point.  The walk's lists are native
// arrays, so a kernel that calls Ruby must run the walk under protect().
#pragma once

#include <climits>

#include "../core/native_array.hpp"

namespace qor {
namespace geometry {

enum Tag : int { kTagA = 0, kTagB = 1 };

struct OverlapEntry {
  int tag;
  long from, to;
};

inline bool same_entry(const OverlapEntry& x, const OverlapEntry& y) {
  return x.tag == y.tag && x.from == y.from && x.to == y.to;
}

// Every edge of a side of n points, in the order of a walk round it from
// its closing edge.
template <class Visit>
void each_edge_of(long n, Visit visit) {
  for (long i = -1; i <= n - 2; ++i) visit(i);
}

template <class Point>
struct WalkSide {
  const Point* points;
  long size;
  int tag;
  NativeArray<unsigned char> inside;  // per vertex: inside the other polygon

  // Ruby's index: from the end when negative; out of range reads as not
  // inside (the walk never reads a point out of range; were it to, it
  // would wrap round rather than read past the end).
  bool in_range(long k) const { return k >= -size && k < size; }
  long place(long k) const { return ((k % size) + size) % size; }
  const Point& vertex(long k) const { return points[place(k)]; }
  bool vertex_inside(long k) const { return in_range(k) && inside[place(k)]; }
  long next(long k) const { return k + 1 == size ? 0 : k + 1; }
  bool edge_inside(long from, long to) const { return vertex_inside(from) && vertex_inside(to); }
  OverlapEntry entry(long from, long to) const { return OverlapEntry{tag, from, to}; }
};

template <class K>
class PolygonWalk {
 public:
  using Point = typename K::Point;
  using Side = WalkSide<Point>;

  PolygonWalk(K& kernel, const Point* a, long n, const Point* b, long m) : k_(kernel) {
    a_.points = a;
    a_.size = n;
    a_.tag = kTagA;
    b_.points = b;
    b_.size = m;
    b_.tag = kTagB;
  }

  // The overlap's edges, in the order the walk lists them.
  const NativeArray<OverlapEntry>& run() {
    mark_inside(&b_, a_);
    if (contained(b_)) return result_;
    mark_inside(&a_, b_);
    if (contained(a_)) return result_;

    result_.clear();
    listed_to_.assign(static_cast<size_t>(2 * (a_.size + b_.size) + 4), kUnlisted);
    set_current(-1, 0);
    has_start_ = false;
    has_prev_b_ = false;
    a_exit_ = a_.entry(-1, 0);
    for (long k = 0; k < a_.size; ++k)
      if (pass() == kFinish) break;
    return result_;
  }

 private:
  enum Outcome { kGoOn, kEndPass, kFinish };

  // The B side of one pass: the picked edge, the walks from it, the segment
  // J the walk goes on from, and the B entry the pass settles on.
  struct BStretch {
    long i0, h0;
    long h, i;
    bool forward, backward;
    Point j0, j1;
    OverlapEntry entry;
  };

  K& k_;
  Side a_, b_;
  NativeArray<OverlapEntry> result_;
  // Per slot_of(), the end of the first listed entry there, or kUnlisted:
  // whether an entry is listed is then known without reading the list.
  static constexpr long kUnlisted = LONG_MIN;
  NativeArray<long> listed_to_;
  NativeArray<OverlapEntry> met_;  // scratch of scan()

  long t_;          // start index of the current A edge
  Point q0_, q1_;   // its segment Q
  bool has_start_;
  OverlapEntry start_;
  bool has_prev_b_;
  OverlapEntry prev_b_;
  OverlapEntry a_exit_;

  // Where an entry's mark lives: one slot per tag and start index (an edge's
  // end follows from its start), or -1 for an index out of the walk's range.
  long slot_of(const OverlapEntry& e) const {
    const Side& s = e.tag == kTagA ? a_ : b_;
    if (e.from < -1 - s.size || e.from >= s.size) return -1;
    const long base = e.tag == kTagA ? 0 : 2 * a_.size + 2;
    return base + e.from + s.size + 1;
  }

  // Lists e, and marks it listed with its end.
  void list(const OverlapEntry& e) {
    result_.push(e);
    const long slot = slot_of(e);
    if (slot >= 0 && listed_to_[slot] == kUnlisted) listed_to_[slot] = e.to;
  }

  bool included(const OverlapEntry& e) const {
    const long slot = slot_of(e);
    if (slot >= 0 && listed_to_[slot] == kUnlisted) return false;
    if (slot >= 0 && listed_to_[slot] == e.to) return true;
    for (size_t i = 0; i < result_.size(); ++i)
      if (same_entry(result_[i], e)) return true;
    return false;
  }

  // Appends e unless an equal entry is listed; true when it was appended.
  bool append_new(const OverlapEntry& e) {
    if (included(e)) return false;
    list(e);
    return true;
  }

  void mark_inside(Side* of, const Side& in) {
    of->inside.clear();
    for (long k = 0; k < of->size; ++k) of->inside.push(k_.inside(of->vertex(k), in) ? 1 : 0);
  }

  // Lists the edges of s with both ends inside the other polygon, closing
  // edge first; true when every edge is.
  bool contained(const Side& s) {
    result_.clear();
    for (long i = -1; i <= s.size - 2; ++i)
      if (s.edge_inside(i, i + 1)) result_.push(s.entry(i, i + 1));
    if (static_cast<long>(result_.size()) == s.size) return true;
    result_.clear();
    return false;
  }

  // The entries of the edges of s that segment [q0, q1] meets, closing edge
  // first, into met.
  void scan(const Side& s, const Point& q0, const Point& q1, bool proper, NativeArray<OverlapEntry>* met) {
    met->clear();
    k_.each_edge(s, q0, q1, [&](long i) {
      const Point& e0 = s.vertex(i);
      const Point& e1 = s.vertex(i + 1);
      if (proper ? k_.crosses_properly(q0, q1, e0, e1) : k_.crosses_edge(q0, q1, e0, e1))
        met->push(s.entry(i, i + 1));
    });
  }

  long count_met(const Side& s, const Point& q0, const Point& q1, bool proper) {
    long count = 0;
    k_.each_edge(s, q0, q1, [&](long i) {
      if (proper ? k_.crosses_properly(q0, q1, s.vertex(i), s.vertex(i + 1))
                 : k_.crosses_edge(q0, q1, s.vertex(i), s.vertex(i + 1)))
        ++count;
    });
    return count;
  }

  // Does segment [x0, x1] of A close the walk (the start edge again)?
  bool closes(const Point& x0, const Point& x1) const {
    return has_start_ && k_.same(x0, a_.vertex(start_.from)) && k_.same(x1, a_.vertex(start_.to));
  }

  void set_start(const OverlapEntry& e) {
    start_ = e;
    has_start_ = true;
  }

  void set_current(long t, long to) {
    t_ = t;
    q0_ = a_.vertex(t);
    q1_ = a_.vertex(to);
  }

  OverlapEntry current_entry() const { return a_.entry(t_, a_.next(t_)); }

  // Moves on to A's next edge.
  Outcome advance() {
    const long t = a_.next(t_);
    set_current(t, a_.next(t));
    return closes(q0_, q1_) ? kFinish : kEndPass;
  }

  // The B edges the current A edge meets, into met_.  An A edge lying
  // inside B is part of the outline and may also end on B's edges; any
  // other one must cross them.
  void b_edges_met() {
    if (a_.edge_inside(t_, a_.next(t_))) {
      const OverlapEntry e = current_entry();
      list(e);
      if (!has_start_) set_start(e);
      scan(b_, q0_, q1_, false, &met_);
      return;
    }
    scan(b_, q0_, q1_, true, &met_);
  }

  // Lists the current A edge and picks the B edge to go on with: the last
  // one met that is not the one just come from.  False when there is none.
  bool pick_b_edge(OverlapEntry* picked) {
    const OverlapEntry current = current_entry();
    if (!has_start_) set_start(current);
    append_new(current);

    bool found = false;
    for (size_t k = 0; k < met_.size(); ++k) {
      if (!has_prev_b_ || !same_entry(met_[k], prev_b_)) {
        *picked = met_[k];
        found = true;
      }
    }
    if (found) append_new(*picked);
    return found;
  }

  // Follows B forward from the picked edge's end while B stays inside A.
  void walk_b_forward(BStretch& s) {
    s.h = s.h0;
    s.forward = false;
    while (b_.edge_inside(s.h, b_.next(s.h))) {
      list(b_.entry(s.h, b_.next(s.h)));
      s.h = b_.next(s.h);
      s.forward = true;
    }
  }

  // Follows B backward from the picked edge's start while B stays inside A.
  void walk_b_backward(BStretch& s) {
    s.i = s.i0;
    s.backward = false;
    while (b_.edge_inside(s.i - 1, s.i)) {
      list(b_.entry(s.i - 1, s.i));
      s.i -= 1;
      s.backward = true;
    }
  }

  // Settles the segment J that leaves A and this pass's B entry.  Without a
  // walk, a neighbouring B edge that crosses exactly one A edge is the way
  // out; otherwise the segment the walk stopped at is.
  void leave_b(BStretch& s, const OverlapEntry& picked) {
    if (!s.forward && !s.backward) {
      s.entry = picked;
      const long after = b_.next(s.h0);
      const Point k0 = b_.vertex(s.h0), k1 = b_.vertex(after);
      if (count_met(a_, k0, k1, true) == 1) {
        list(b_.entry(s.h0, after));
        s.j0 = k0;
        s.j1 = k1;
      }
      const Point l0 = b_.vertex(s.i0 - 1), l1 = b_.vertex(s.i0);
      if (count_met(a_, l0, l1, true) == 1) {
        list(b_.entry(s.i0 - 1, s.i0));
        s.j0 = l0;
        s.j1 = l1;
      }
      return;
    }
    const long from = s.backward ? s.i - 1 : s.h;
    const long to = s.backward ? s.i : b_.next(s.h);
    s.entry = b_.entry(from, to);
    append_new(s.entry);
    s.j0 = b_.vertex(from);
    s.j1 = b_.vertex(to);
  }

  // Picks the A edge where the outline returns to A from J: the last edge J
  // meets, other than the current one, that J crosses or that has an end
  // inside B.  Finishes when J meets no A edge but the current one.
  Outcome pick_a_exit(const BStretch& s) {
    scan(a_, s.j0, s.j1, false, &met_);
    if (met_.empty()) return kFinish;

    const OverlapEntry current = current_entry();
    bool any_other = false;
    for (size_t k = 0; k < met_.size(); ++k) {
      const OverlapEntry o = met_[k];
      if (same_entry(o, current)) continue;
      any_other = true;
      if (k_.crosses_properly(s.j0, s.j1, a_.vertex(o.from), a_.vertex(o.to)) || a_.vertex_inside(o.from) ||
          a_.vertex_inside(o.to))
        a_exit_ = o;
    }
    return any_other ? kGoOn : kFinish;
  }

  // Lists the A edges inside B on both sides of the exit edge, then resumes
  // the walk at the A edge where B is left again.
  Outcome walk_a_and_resume() {
    const long exit_from = a_exit_.from, exit_to = a_exit_.to;

    long h = exit_to;
    bool forward = false;
    if (closes(a_.vertex(h), a_.vertex(a_.next(h)))) return kFinish;
    while (a_.edge_inside(h, a_.next(h))) {
      list(a_.entry(h, a_.next(h)));
      h = a_.next(h);
      forward = true;
      if (closes(a_.vertex(h), a_.vertex(a_.next(h)))) return kFinish;
    }

    long i = exit_from;
    bool backward = false;
    if (closes(a_.vertex(i - 1), a_.vertex(i))) return kFinish;
    while (a_.edge_inside(i - 1, i)) {
      list(a_.entry(i - 1, i));
      i -= 1;
      backward = true;
      if (closes(a_.vertex(i - 1), a_.vertex(i))) return kFinish;
    }

    long from = exit_from, to = exit_to;
    if (backward) {
      from = i - 1;
      to = i;
    } else if (forward) {
      from = h;
      to = a_.next(h);
    }
    if (backward || forward) {
      a_exit_ = a_.entry(from, to);
      if (append_new(a_exit_)) has_prev_b_ = false;
    }
    set_current(from, to);
    return kEndPass;
  }

  // One pass: from the current A edge over to B, along B and back to A.
  Outcome pass() {
    if (closes(q0_, q1_)) return kFinish;

    b_edges_met();
    if (met_.empty()) return advance();
    OverlapEntry picked;
    if (!pick_b_edge(&picked)) return advance();

    BStretch s;
    s.i0 = picked.from;
    s.h0 = picked.to;
    s.j0 = b_.vertex(s.i0);
    s.j1 = b_.vertex(s.h0);
    walk_b_forward(s);
    walk_b_backward(s);
    leave_b(s, picked);

    if (pick_a_exit(s) == kFinish) return kFinish;
    if (has_start_ && same_entry(a_exit_, start_)) return kFinish;
    prev_b_ = s.entry;
    has_prev_b_ = true;
    append_new(s.entry);
    return walk_a_and_resume();
  }
};

}  // namespace geometry
}  // namespace qor

#include "construction.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/road.hpp"
#include "../geometry/face_reads.hpp"

namespace qor {
namespace roomface {

namespace {

// vertex -> Array of the indices (1...n) of the edges that end at it, in
// edge order.  Identity hash: vertices compare as the same entity.
VALUE incident_edges(VALUE starts, VALUE ends) {
  VALUE index = rb_hash_new();
  call(index, id::compare_by_identity);
  for (long i = 1; i < len(starts); ++i) {
    const VALUE ends_of_edge[2] = {at(starts, i), at(ends, i)};
    for (int k = 0; k < 2; ++k) {
      if (k == 1 && ends_of_edge[1] == ends_of_edge[0]) break;
      VALUE list = rb_hash_lookup2(index, ends_of_edge[k], Qnil);
      if (NIL_P(list)) rb_hash_aset(index, ends_of_edge[k], list = new_array(2));
      push(list, LONG2FIX(i));
    }
  }
  return index;
}

// The first edge after `after` (an index) that ends at vertex, or 0.
long next_edge(VALUE index, VALUE vertex, long after) {
  VALUE list = rb_hash_lookup2(index, vertex, Qnil);
  if (NIL_P(list)) return 0;
  for (long k = 0; k < len(list); ++k) {
    const long i = FIX2LONG(at(list, k));
    if (i > after) return i;
  }
  return 0;
}

}  // namespace

// Passes over the edges after the first, in order, each adding the far end
// of every edge that touches the chain's last vertex, until the chain has
// as many vertices as there are edges.  The edges' ends are read from the
// host once, and each step jumps to the next edge touching the last vertex
// instead of sweeping them all: linear, where sweeping was quadratic for
// edges in loop order (the walk then goes backwards, one vertex a pass).
VALUE chainLoopVertices(VALUE loop) { return chain_loop_vertices(geometry::Road::chosen().export_reads(), loop); }

VALUE chain_loop_vertices(VALUE reads, VALUE loop) {
  VALUE edges = geometry::read_edges(reads, loop);
  const long n = len(edges);
  if (n == 0) rb_raise(rb_eArgError, "a loop without edges has no vertices to chain");
  VALUE starts = new_array(n), ends = new_array(n);
  for (long i = 0; i < n; ++i) {
    VALUE edge = at(edges, i);
    push(starts, geometry::read_start(reads, edge));
    push(ends, geometry::read_end(reads, edge));
  }
  VALUE chain = array_of(at(starts, 0));
  VALUE index = incident_edges(starts, ends);
  while (len(chain) < n) {
    const long before = len(chain);
    for (long i = next_edge(index, at(chain, -1), 0); i != 0;
         i = next_edge(index, at(chain, -1), i)) {
      VALUE start = at(starts, i);
      push(chain, start == at(chain, -1) ? at(ends, i) : start);
    }
    // Edges that do not close into a chain: stop where the walk stuck.
    if (len(chain) == before) break;
  }
  return chain;
}

}  // namespace roomface
}  // namespace qor

#include "construction.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

VALUE chainLoopVertices(VALUE loop) {
  VALUE edges = call(loop, id::edges);
  const long n = len(edges);
  VALUE chain = array_of(call(at(edges, 0), id::start));
  // The first edge is never looked at again, so the walk goes round the
  // loop once, in whichever direction the first edge's start leads.
  while (len(chain) < n) {
    const long before = len(chain);
    for (long i = 1; i < n; ++i) {
      VALUE edge = at(edges, i);
      VALUE last = at(chain, -1);
      VALUE start = call(edge, id::start);
      if (start == last) {
        push(chain, call(edge, id::end));
      } else {
        VALUE end = call(edge, id::end);
        if (end == last) push(chain, start);
      }
    }
    // Edges that do not close into a chain: stop where the walk stuck.
    if (len(chain) == before) break;
  }
  return chain;
}

}  // namespace roomface
}  // namespace qor

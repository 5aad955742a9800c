#include "nearest_facing.hpp"

#include <cstdlib>

namespace qor {
namespace roomface {

namespace {

int by_bound_then_face(const void* a, const void* b) {
  const Candidate& x = *static_cast<const Candidate*>(a);
  const Candidate& y = *static_cast<const Candidate*>(b);
  if (x.bound != y.bound) return x.bound < y.bound ? -1 : 1;
  return (x.face > y.face) - (x.face < y.face);
}

int by_face(const void* a, const void* b) {
  const long x = static_cast<const Candidate*>(a)->face, y = static_cast<const Candidate*>(b)->face;
  return (x > y) - (x < y);
}

}  // namespace

void sort_by_bound(NativeArray<Candidate>* candidates) {
  if (candidates->size() > 1) std::qsort(candidates->begin(), candidates->size(), sizeof(Candidate), by_bound_then_face);
}

void sort_by_face(NativeArray<Candidate>* candidates) {
  if (candidates->size() > 1) std::qsort(candidates->begin(), candidates->size(), sizeof(Candidate), by_face);
}

}  // namespace roomface
}  // namespace qor

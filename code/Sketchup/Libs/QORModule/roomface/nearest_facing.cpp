#include "nearest_facing.hpp"

#include <cmath>
#include <cstdlib>

#include "../core/ruby.hpp"
#include "facing_numbers.hpp"

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

// The all-pairs rule over every candidate in face order: the first found
// stays unless a later one is strictly nearer.
long in_face_order(long s, PairFaces* faces, NativeArray<Candidate>* candidates, bool skip_zero,
                   double* distance) {
  if (candidates->size() > 1) std::qsort(candidates->begin(), candidates->size(), sizeof(Candidate), by_face);
  long best = -1;
  for (size_t c = 0; c < candidates->size(); ++c) {
    const long t = (*candidates)[c].face;
    VALUE m = facing_distance(faces, s, t);
    if (is_false(m)) continue;
    const double d = num(m);
    if (skip_zero && d == 0.0) continue;
    if (best < 0 || *distance > d) {
      best = t;
      *distance = d;
    }
  }
  return best;
}

}  // namespace

// Candidates are asked nearest bound first; once a bound exceeds the best
// distance found, no later candidate can be nearer, nor as near (a tie
// would need an equal distance).  Among equal distances the lowest face
// number wins, as the first met in face order.  A distance that is not a
// number makes the order matter in ways no bound predicts: then every
// candidate is asked in face order.
long nearest_facing_of(long s, PairFaces* faces, NativeArray<Candidate>* candidates, bool skip_zero,
                       double* distance, bool* asked_all) {
  if (asked_all) *asked_all = false;
  if (candidates->size() > 1)
    std::qsort(candidates->begin(), candidates->size(), sizeof(Candidate), by_bound_then_face);
  long best = -1;
  double nearest = 0.0;
  for (size_t c = 0; c < candidates->size(); ++c) {
    const Candidate& candidate = (*candidates)[c];
    if (best >= 0 && candidate.bound > nearest) break;
    VALUE m = facing_distance(faces, s, candidate.face);
    if (is_false(m)) continue;
    const double d = num(m);
    if (std::isnan(d)) {
      if (asked_all) *asked_all = true;
      return in_face_order(s, faces, candidates, skip_zero, distance);
    }
    if (skip_zero && d == 0.0) continue;
    if (best < 0 || d < nearest || (d == nearest && candidate.face < best)) {
      best = candidate.face;
      nearest = d;
    }
  }
  *distance = nearest;
  return best;
}

}  // namespace roomface
}  // namespace qor

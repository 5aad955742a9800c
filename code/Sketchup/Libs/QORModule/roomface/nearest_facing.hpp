// The nearest facing face among a face's candidates, found as the
// all-pairs loops find it: the first met in face order at the least
// distance.  Written once for both roads; the road's tests answer the
// facing distance of a pair (the host's own test on the plain road, the
// numbers where certain on the indexed one), and the road's candidates
// carry a lower bound on their distance (kNoBound where none is known: the
// plain road's, and a face whose numbers could not be read), so that as few
// candidates as the bounds allow are asked.
#pragma once

#include <ruby.h>

#include <cmath>

#include "../core/native_array.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

struct Candidate {
  long face;     // its number in the pair faces
  double bound;  // no facing distance to it is smaller
};

// No bound is known.
const double kNoBound = -INFINITY;

// Sorts candidates by bound, then face number; by face number alone.
void sort_by_bound(NativeArray<Candidate>* candidates);
void sort_by_face(NativeArray<Candidate>* candidates);

// The all-pairs rule over every candidate in face order: the first found
// stays unless a later one is strictly nearer.  *met_nan says whether a
// distance was no number.
template <class Tests>
long in_face_order(const Tests& tests, long s, NativeArray<Candidate>* candidates, bool skip_zero,
                   double* distance, bool* met_nan) {
  sort_by_face(candidates);
  *met_nan = false;
  long best = -1;
  for (size_t c = 0; c < candidates->size(); ++c) {
    const long t = (*candidates)[c].face;
    VALUE m = tests.facing_distance(s, t);
    if (is_false(m)) continue;
    const double d = num(m);
    if (std::isnan(d)) *met_nan = true;
    if (skip_zero && d == 0.0) continue;
    if (best < 0 || *distance > d) {
      best = t;
      *distance = d;
    }
  }
  return best;
}

// The number of the face nearest to face s among candidates (in
// ascending face numbers; reordered here), or -1 when none faces it; its
// distance in *distance.  With skip_zero a distance of exactly 0 does not
// count.  *asked_all, when given, says whether a distance that is no
// number made every candidate be asked in face order.
//
// Candidates are asked nearest bound first; once a bound exceeds the best
// distance found, no later candidate can be nearer, nor as near (a tie
// would need an equal distance).  Among equal distances the lowest face
// number wins, as the first met in face order.  A distance that is not a
// number makes the order matter in ways no bound predicts: then every
// candidate is asked in face order.  Candidates none of which has a bound
// are asked in face order from the start.
template <class Tests>
long nearest_facing_of(const Tests& tests, long s, NativeArray<Candidate>* candidates, bool skip_zero,
                       double* distance, bool* asked_all = nullptr) {
  if (asked_all) *asked_all = false;
  sort_by_bound(candidates);
  bool met_nan = false;
  if (candidates->empty() || (*candidates)[candidates->size() - 1].bound == kNoBound) {
    const long best = in_face_order(tests, s, candidates, skip_zero, distance, &met_nan);
    if (asked_all) *asked_all = met_nan;
    if (best < 0) *distance = 0.0;
    return best;
  }
  long best = -1;
  double nearest = 0.0;
  for (size_t c = 0; c < candidates->size(); ++c) {
    const Candidate& candidate = (*candidates)[c];
    if (best >= 0 && candidate.bound > nearest) break;
    VALUE m = tests.facing_distance(s, candidate.face);
    if (is_false(m)) continue;
    const double d = num(m);
    if (std::isnan(d)) {
      if (asked_all) *asked_all = true;
      return in_face_order(tests, s, candidates, skip_zero, distance, &met_nan);
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

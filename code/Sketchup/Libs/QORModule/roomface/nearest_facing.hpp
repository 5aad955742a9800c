// The nearest facing face among a face's candidates, found as the
// all-pairs loops find it (the first met at the least distance) while
// asking the host about as few candidates as the lower bounds allow.
#pragma once

#include <ruby.h>

#include "../core/native_array.hpp"
#include "pair_faces.hpp"

namespace qor {
namespace roomface {

struct Candidate {
  long face;     // its number in the pair faces
  double bound;  // no facing distance to it is smaller
};

// The number of the face nearest to face s among candidates (in
// ascending face numbers; reordered here), or -1 when none faces it; its
// distance in *distance.  With skip_zero a distance of exactly 0 does not
// count.  *asked_all, when given, says whether a distance that is no
// number made every candidate be asked in face order.
long nearest_facing_of(long s, PairFaces* faces, NativeArray<Candidate>* candidates, bool skip_zero,
                       double* distance, bool* asked_all = nullptr);

}  // namespace roomface
}  // namespace qor

// The two facing tests of facing.hpp on the numbers the pair passes read
// once (pair_faces.hpp): the answers the host's tests would give, without
// a host call per pair, wherever the numbers settle them beyond doubt.
//
// Anything closer, and a face whose shape could not be read, answers
// kUnknown, and the caller asks the host.  The first test that needs a face's convex hull has it
// worked out by the host from the face's polygon, once: a hull that raises
// raises then, as the host's own test would have.
#pragma once

#include <ruby.h>

#include "pair_faces.hpp"

namespace qor {
namespace roomface {

enum FacingAnswer { kNotFacing, kFacing, kUnknown };

// facing_distance(s, t) for faces s and t: kFacing with the distance (the
// host's) in *distance, kNotFacing for false.
FacingAnswer facing_distance_of(PairFaces* faces, long s, long t, double* distance);

// is_opposite_face(s, t, k), with limit = k times $maxWallThickness.
FacingAnswer opposite_face_of(PairFaces* faces, long s, long t, double limit);

// facing_distance on the numbers where they answer, else through the host.
VALUE facing_distance(PairFaces* faces, long s, long t);

}  // namespace roomface
}  // namespace qor

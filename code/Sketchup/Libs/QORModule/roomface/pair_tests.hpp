// What the pair passes ask about a pair of faces (their numbers in a
// PairFaces), on each road: the host's own tests on the plain road; on the
// indexed road the answers the numbers settle beyond doubt, the host's
// otherwise (facing_numbers.hpp).
#pragma once

#include <ruby.h>

#include "facing.hpp"
#include "facing_numbers.hpp"
#include "pair_faces.hpp"

namespace qor {
namespace roomface {

struct HostPairTests {
  const PairFaces* faces;

  VALUE facing_distance(long s, long t) const {
    return roomface::facing_distance(faces->road, rb_ary_entry(faces->room_faces, s), rb_ary_entry(faces->room_faces, t));
  }
};

struct NumbersPairTests {
  PairFaces* faces;

  VALUE facing_distance(long s, long t) const { return roomface::facing_distance(faces, s, t); }
};

}  // namespace roomface
}  // namespace qor

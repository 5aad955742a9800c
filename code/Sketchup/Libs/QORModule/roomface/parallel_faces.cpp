#include "parallel_faces.hpp"

#include <cmath>

namespace qor {
namespace roomface {

namespace {

// Normals this close to unit length are placed; rounding in a host's
// normalize stays far inside it.
const double kUnitSlack = 1e-6;

bool unit_normal(const FaceNumbers& face) {
  if (!face.known) return false;
  const double* n = face.normal;
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  return std::fabs(length - 1.0) <= kUnitSlack;
}

}  // namespace

void ParallelFaces::build(const PairFaces& faces, long from, long to, double parallel) {
  from_ = from;
  // |a - b|^2 = |a|^2 + |b|^2 - 2 a.b for normals a little off unit
  // length, with the tests' own 1e-7 and a margin for rounding.
  const double longest = 1.0 + kUnitSlack;
  reach_ = std::sqrt(2.0 * longest * longest - 2.0 * (parallel - 1e-7)) + 1e-6;
  for (long t = from; t < to; ++t) {
    const FaceNumbers& face = faces.faces[t];
    if (unit_normal(face))
      grid_.add(face.normal, face.normal);
    else
      grid_.add_unbounded();
  }
  grid_.build();
}

bool ParallelFaces::within_cone(const double normal[3], NativeArray<long>* found) {
  found->clear();
  const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (!(std::fabs(length - 1.0) <= kUnitSlack)) return false;
  double lo[3], hi[3];
  for (int a = 0; a < 3; ++a) {
    lo[a] = normal[a] - reach_;
    hi[a] = normal[a] + reach_;
  }
  const NativeArray<int>& same_way = grid_.overlapping(lo, hi);
  first_.clear();
  for (size_t k = 0; k < same_way.size(); ++k) first_.push(same_way[k]);
  for (int a = 0; a < 3; ++a) {
    lo[a] = -normal[a] - reach_;
    hi[a] = -normal[a] + reach_;
  }
  const NativeArray<int>& opposite = grid_.overlapping(lo, hi);
  // Both ascending; a face in both (one listed with every query) once.
  size_t i = 0, j = 0;
  while (i < first_.size() || j < opposite.size()) {
    int f;
    if (j == opposite.size() || (i < first_.size() && first_[i] < opposite[j]))
      f = first_[i++];
    else if (i == first_.size() || opposite[j] < first_[i])
      f = opposite[j++];
    else
      f = first_[i++], ++j;
    found->push(from_ + f);
  }
  return true;
}

}  // namespace roomface
}  // namespace qor

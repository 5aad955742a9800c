// The faces of one long room whose normals may lie within a cone of a given
// normal, either way: a face facing another across a room needs normals
// near parallel, so a wall of a thousand-sided room need not be weighed
// against every other wall.
//
// Normals are held as points in a grid.  Unit normals whose dot product
// is at least c in size lie within sqrt(2 - 2c) of each other (or of the
// other's opposite); a normal that is not of unit length, or not known,
// is listed with every query.
//
// Plain numbers only: the owner keeps it alive across host calls only
// under protect().
#pragma once

#include "../core/native_array.hpp"
#include "pair_faces.hpp"
#include "pair_grid.hpp"

namespace qor {
namespace roomface {

class ParallelFaces {
 public:
  // Faces [from, to) of faces, for cones of |cos| >= parallel.
  void build(const PairFaces& faces, long from, long to, double parallel);
  // Into found, ascending, every face of the range whose normal may be
  // within the cone of `normal`; false (found left empty) when the normal
  // cannot be placed, and every face must be looked at.
  bool within_cone(const double normal[3], NativeArray<long>* found);

 private:
  PairGrid grid_;
  long from_ = 0;
  double reach_ = 0.0;
  NativeArray<int> first_;
};

}  // namespace roomface
}  // namespace qor

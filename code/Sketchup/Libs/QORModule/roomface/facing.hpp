// Do two room faces face each other across a wall?  The two tests the pair
// passes use: the distance between facing faces, and the opposite-face test
// bounded by the thickest wall.  Each a host call per step; the point in
// polygon and overlap questions are asked as the road asks them.
#pragma once

#include <ruby.h>

#include "../geometry/road.hpp"

namespace qor {
namespace roomface {

// The distance between room faces s and t where they overlap, a Float, or
// false when they are not parallel or do not overlap.  Each centroid is
// followed along its own face's normal onto the other plane.
VALUE facing_distance(geometry::Road road, VALUE s, VALUE t);

// Are s and t parallel, s's centroid within k times $maxWallThickness of t's
// plane, s's face no door, and do the two overlap?  Centroids are projected
// perpendicularly onto the other plane.
bool is_opposite_face(geometry::Road road, VALUE s, VALUE t, double k);

// Is the model face marked with the flag `key` in "FaceDict" (exactly true)?
bool face_flag(VALUE face, VALUE key);
// Doors, slabs and partitions take no part in pairing faces.
bool excluded_from_pairing(VALUE face);

}  // namespace roomface
}  // namespace qor

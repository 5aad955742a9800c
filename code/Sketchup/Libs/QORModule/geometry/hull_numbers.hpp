// The convex hull of a planar face's points worked out on their numbers,
// with a bound on how far from it the host's hull (hull.hpp, the same
// points asked through the host) can lie.  The host's hull has a subset of
// the points for corners: it drops points within its collinear angle
// (0.00001) of the chord past them, and points whose turn is below its
// straight limit; so its border lies within the bound of this one, and a
// test that holds by that much more (certain.hpp, widen) holds for it too.
//
// Only for a few points spread well apart and clear of one line, where the
// host's hull surely finds a plane and does not raise; false otherwise,
// and the caller asks the host's hull.  Plain numbers: nothing here calls
// Ruby.
#pragma once

#include "../core/native_array.hpp"
#include "point_arithmetic.hpp"

namespace qor {
namespace geometry {

// The hull's corners appended to out; its bound in *slack.  normal: the
// face's, any length.
bool hull_of_numbers(const arith::Xyz* points, long n, const arith::Xyz& normal, NativeArray<arith::Xyz>* out,
                     double* slack);

}  // namespace geometry
}  // namespace qor

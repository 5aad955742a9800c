// The host's own points read into numbers through to_a, for the tests that
// decide on numbers where certain (certain.hpp).  Any other kind of point, or
// one whose coordinates are not Floats, is not read: its arithmetic is
// whatever its class makes of it, and only the host can answer for it.
#pragma once

#include <ruby.h>

#include "../core/native_array.hpp"
#include "point_arithmetic.hpp"

namespace qor {
namespace geometry {

bool read_host_point(VALUE p, arith::Xyz* out);

// Every point of the Array appended to out; false at the first that is
// not the host's own (out then holds the ones before it).
bool read_host_points(VALUE points, NativeArray<arith::Xyz>* out);

}  // namespace geometry
}  // namespace qor

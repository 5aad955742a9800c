// Whether two room faces face each other across a wall, and how far apart.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

// The distance between the two room faces' model faces where they overlap,
// as a Float; false when they are not parallel or do not overlap.
VALUE facingDistance(VALUE s, VALUE t);

}  // namespace roomface
}  // namespace qor

// The window-frame pass over a room's faces.
#pragma once

#include <ruby.h>

#include "../geometry/road.hpp"

namespace qor {
namespace room {

// Sets every room face's @isWindowFrame: true when its whole outer boundary
// is one loop of another room face and it has a hole of its own, or when
// another room face lists its model face among its window frames.  The
// plain road tests every pair; the other asks the host only about pairs
// that can match.  Both give the same marks.
void mark_window_frames(VALUE roomFaces, geometry::Road road);

}  // namespace room
}  // namespace qor

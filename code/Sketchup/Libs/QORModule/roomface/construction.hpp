// Internal operations of room-face construction.
#pragma once

#include <ruby.h>

#include "../geometry/road.hpp"

namespace qor {
namespace roomface {

// The vertices of a loop, each once, walking edge to edge from the first
// edge's start.
VALUE chainLoopVertices(VALUE loop);
// Doors of face and of the faces that frame them, into self's @doors and
// @doorFrames.  Answers @doors.
VALUE collectDoors(VALUE self, VALUE face);
// Windows and window frames in face's holes.
VALUE collectWindows(VALUE self, VALUE face);
// Windows and inner-loop polygons for the holes of face that no face fills.
VALUE collectOpenHoles(VALUE self, VALUE face);

// The registered functions above read the road chosen; these go on on the
// caller's (road.hpp).
VALUE chain_loop_vertices(VALUE reads, VALUE loop);
void collect_doors(geometry::Road road, VALUE self, VALUE face);
void collect_windows(geometry::Road road, VALUE self, VALUE face);

}  // namespace roomface
}  // namespace qor

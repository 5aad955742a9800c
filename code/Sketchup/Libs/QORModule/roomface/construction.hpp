// Internal operations of room-face construction.
#pragma once

#include <ruby.h>

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

}  // namespace roomface
}  // namespace qor

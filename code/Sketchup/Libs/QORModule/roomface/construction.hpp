// Internal operations of room-face construction, and the dictionary names
// and method names only construction uses.
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

// Dictionary names and keys that core/names.hpp does not carry.  Frozen,
// created on first use and kept as collector roots.
namespace dict {
VALUE FaceDict2();
VALUE UseCount();
VALUE selectedDictionary();
VALUE selected();
VALUE materialDictionary();
VALUE material();
VALUE back_material();
VALUE found();
VALUE RoomFace();
}  // namespace dict

// Method names called only here.
namespace mid {
ID findDoors2();
ID object_id();
ID add_observer();
ID initialize();
ID aref();
}  // namespace mid

}  // namespace roomface
}  // namespace qor

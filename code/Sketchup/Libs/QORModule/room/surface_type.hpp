// Typing a room face as floor, wall or ceiling, and the floor claim.
#pragma once

#include <ruby.h>

#include "crossing_index.hpp"

namespace qor {
namespace room {

// The room's faces as the crossing rays need them, read once: each model
// face's plane (a Ruby Array in @roomFaces order) and the index of their
// outlines.  Lives on the stack of a frame that runs its host calls under
// protect().
struct RoomCrossings {
  VALUE reads = Qnil;  // the export's (road.hpp)
  VALUE planes = Qnil;
  CrossingIndex index;
};

// Reads the planes and outline bounds of every room face through
// crossings->reads.
void read_room_crossings(VALUE roomFaces, RoomCrossings* crossings);

// Sets the room face's @type, @crossFaceCount and @normalDirectionIn; a
// floor is claimed for the room and sets the room key.  Returns true.
// With crossings, the ray asks the host only about the faces the index
// gives; without, about every other face.
VALUE surface_type(VALUE room, VALUE roomFace, VALUE claimFloor, RoomCrossings* crossings = nullptr);

}  // namespace room
}  // namespace qor

// Typing a room face as floor, wall or ceiling, and the floor claim.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

// Sets the room face's @type, @crossFaceCount and @normalDirectionIn; a
// floor is claimed for the room and sets the room key.  Returns true.
VALUE surface_type(VALUE room, VALUE roomFace, VALUE claimFloor);

}  // namespace room
}  // namespace qor

// The XML Face element of a room face.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

VALUE getFaceElement(VALUE self);

// Runs write(argument) while the faces of room that other room faces of it
// list as windows or doors are indexed once, for every face it writes
// (else each face scans the room's faces).  Restores the index before on
// every exit.
VALUE with_room_openings(VALUE room, VALUE (*write)(VALUE), VALUE argument);

}  // namespace roomface
}  // namespace qor

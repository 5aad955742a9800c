// The model face (or pseudo face) a room face stands for: what geometry and
// every subsystem above it read of a room face.
#pragma once

#include "names.hpp"
#include "ruby.hpp"

namespace qor {

// A room face's @face.  Anything that cannot be one raises TypeError naming
// @face.
inline VALUE model_face(VALUE room_face) { return object_ivar(room_face, iv::RoomFace::face, "a face"); }

}  // namespace qor

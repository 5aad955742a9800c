// QORTA_RoomFace: one face of a room, with its outline, height, materials,
// doors, windows and holes.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

// QORTA_RoomFace#initialize(room, face, reference)
VALUE initialize(VALUE self, VALUE room, VALUE face, VALUE reference);
// QORTA_RoomFace#countSelect(amount): the face's new selection count.
VALUE countSelect(VALUE self, VALUE amount);

}  // namespace roomface
}  // namespace qor

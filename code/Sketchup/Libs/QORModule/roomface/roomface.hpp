// QORTA_RoomFace: one face of a room, with its outline, height, materials,
// doors, windows and holes.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

VALUE initialize(VALUE self, VALUE face, VALUE room, VALUE number);
VALUE countSelect(VALUE self, VALUE n);

}  // namespace roomface
}  // namespace qor

// Cutting a tall room into storeys.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

// QORTA_Room#makeFloors(storey height in metres, mode, tag): appends one
// [tag, outline] to $newFloors per cut, lowest first.  Mode "true" cuts at
// every storey that fits; any other text cuts once and answers false when
// the room is lower than one storey.
VALUE makeFloors(VALUE self, VALUE height, VALUE mode, VALUE tag);

}  // namespace room
}  // namespace qor

// The room key: the text of a floor face's vertex positions, greatest x
// first and, for equal x, greatest y first.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

VALUE room_key(VALUE floorFace);

}  // namespace room
}  // namespace qor

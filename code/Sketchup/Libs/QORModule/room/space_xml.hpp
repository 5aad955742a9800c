// The XML Space element of a room.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

VALUE getSpaceElement(VALUE self, VALUE id);

}  // namespace room
}  // namespace qor

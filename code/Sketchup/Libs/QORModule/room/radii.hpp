// The bounding radius of every room.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

VALUE getRoomsRadii(VALUE self, VALUE rooms);

}  // namespace room
}  // namespace qor

// Cutting a tall room into storeys.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

VALUE makeFloors(VALUE self, VALUE a, VALUE b, VALUE c);

}  // namespace room
}  // namespace qor

// Outer-shell classification, and the constructed outer-shell faces.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

VALUE setOuterShellType(VALUE self, VALUE a);
VALUE getOuterShellFace(VALUE self, VALUE a);
VALUE setRoomsFacesOuterShellType(VALUE self, VALUE rooms, VALUE count);

}  // namespace roomface
}  // namespace qor

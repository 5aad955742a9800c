#include "outer_shell.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

VALUE setOuterShellType(VALUE, VALUE) { not_built("QORTA_RoomFace#setOuterShellType"); }
VALUE getOuterShellFace(VALUE, VALUE) { not_built("QORTA_RoomFace#getOuterShellFace"); }
VALUE setRoomsFacesOuterShellType(VALUE, VALUE, VALUE) {
  not_built("QORTA.setRoomsFacesOuterShellType");
}

}  // namespace roomface
}  // namespace qor

#include "intermediate_planes.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

VALUE getIntermediatePlane(VALUE, VALUE) { not_built("QORTA_RoomFace#getIntermediatePlane"); }
VALUE setRoomsIntermediatePlanes(VALUE, VALUE) { not_built("QORTA.setRoomsIntermediatePlanes"); }

}  // namespace roomface
}  // namespace qor

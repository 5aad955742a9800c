#include "roomface.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

VALUE initialize(VALUE, VALUE, VALUE, VALUE) { not_built("QORTA_RoomFace#initialize"); }
VALUE countSelect(VALUE, VALUE) { not_built("QORTA_RoomFace#countSelect"); }

}  // namespace roomface
}  // namespace qor

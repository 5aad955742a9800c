#include "projection.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

VALUE project(VALUE, VALUE) { not_built("QORTA_RoomFace#project"); }

}  // namespace roomface
}  // namespace qor

#include "room.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace room {

VALUE initialize(VALUE, VALUE, VALUE, VALUE, VALUE) { not_built("QORTA_Room#initialize"); }
VALUE setText(VALUE, VALUE) { not_built("QORTA_Room#setText"); }
VALUE to_s(VALUE) { not_built("QORTA_Room#to_s"); }
VALUE surfaceType(VALUE, VALUE, VALUE) { not_built("QORTA_Room#surfaceType"); }
VALUE select(VALUE, VALUE) { not_built("QORTA_Room#select"); }

}  // namespace room
}  // namespace qor

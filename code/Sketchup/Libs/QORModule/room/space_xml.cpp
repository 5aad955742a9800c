#include "space_xml.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace room {

VALUE getSpaceElement(VALUE, VALUE) { not_built("QORTA_Room#getSpaceElement"); }

}  // namespace room
}  // namespace qor

#include "face_xml.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

VALUE getFaceElement(VALUE) { not_built("QORTA_RoomFace#getFaceElement"); }

}  // namespace roomface
}  // namespace qor

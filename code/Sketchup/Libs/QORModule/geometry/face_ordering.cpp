#include "face_ordering.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

VALUE orderFacesRoundNormal(VALUE, VALUE, VALUE, VALUE) { not_built("QORTA.orderFacesRoundNormal"); }
VALUE topmostFaces(VALUE, VALUE, VALUE, VALUE) { not_built("QORTA.topmostFaces"); }

}  // namespace geometry
}  // namespace qor

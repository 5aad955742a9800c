#include "hull.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

VALUE convexHull(VALUE, VALUE) { not_built("QORTA.convexHull"); }
VALUE convexHull2(VALUE, VALUE) { not_built("QORTA.convexHull2"); }
VALUE orderVerticesRoundMinPoint(VALUE, VALUE, VALUE, VALUE) {
  not_built("QORTA.orderVerticesRoundMinPoint");
}

}  // namespace geometry
}  // namespace qor

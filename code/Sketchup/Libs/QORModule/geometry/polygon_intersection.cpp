#include "polygon_intersection.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

VALUE getIntersectionPointsOfPolygons(VALUE, VALUE, VALUE) {
  not_built("QORTA.getIntersectionPointsOfPolygons");
}

}  // namespace geometry
}  // namespace qor

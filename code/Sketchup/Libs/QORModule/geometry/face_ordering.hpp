// Faces ordered round an axis, and the topmost faces.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

VALUE orderFacesRoundNormal(VALUE self, VALUE a, VALUE b, VALUE c);
VALUE topmostFaces(VALUE self, VALUE a, VALUE b, VALUE c);

}  // namespace geometry
}  // namespace qor

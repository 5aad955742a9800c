// Faces ordered round an axis, and the topmost faces seen from the line
// where two planes meet.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

// QORTA.orderFacesRoundNormal(room faces, axis vector, axis point): a new
// array of the room faces by signed angle round the axis from the first; the
// argument itself when it starts with nil or the axis has length 0.
VALUE orderFacesRoundNormal(VALUE self, VALUE faces, VALUE axis, VALUE origin);
// QORTA.topmostFaces(room faces, plane 1, plane 2): the room faces, projected
// into plane 2, that no other hides from the planes' common line, in input
// order; the argument itself when there are none.
VALUE topmostFaces(VALUE self, VALUE faces, VALUE plane1, VALUE plane2);

}  // namespace geometry
}  // namespace qor

// Bridging (missing) faces and the vertex-only intermediate-plane search.
#pragma once

#include <ruby.h>

#include "road.hpp"

namespace qor {
namespace geometry {

// QORTA.findMissingFace(room face 1, room face 2): the last room face of the
// first one's room that joins the two outlines by two edges, or nil; nil too
// when the two outlines share an edge.
VALUE findMissingFace(VALUE self, VALUE face1, VALUE face2);
// QORTA.findIPlanesByVertexOnly(room face, q, r, room faces, unused): the
// outer-shell planes of the faces across the wall beyond the edge q-r, setting
// them on the way.
VALUE findIPlanesByVertexOnly(VALUE self, VALUE face, VALUE q, VALUE r, VALUE faces, VALUE unused);
// The same search on the caller's road and reads (face_reads.hpp).
VALUE planes_by_vertex_only(Road road, VALUE reads, VALUE face, VALUE q, VALUE r, VALUE faces);

}  // namespace geometry
}  // namespace qor

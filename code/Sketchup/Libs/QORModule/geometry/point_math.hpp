// Points and vectors read through the host's public calls, and the one
// native test on them that the margins make certain on any host.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

// The coordinates of a host point (an instance of the host's point class)
// as its to_a gives them, when they are Floats.  One host call.
bool read_point(VALUE v, double out[3]);
// The same for the host's vector class.
bool read_vector(VALUE v, double out[3]);

// Are the segments [a0, a1] and [b0, b1] (host points) too far apart for
// the host's segment test to find a crossing or a touch?  Such a point
// lies within 0.001 inch of an end or strictly inside each segment, where
// the angle it sees the segment under is within 0.0015 rad of a half turn:
// within 0.0015 of the segment's length of it.  The margin below is
// several times both, and ten times a border drawn ten times wider.  False
// when unsure.
bool segments_surely_apart(VALUE a0, VALUE a1, VALUE b0, VALUE b1);

}  // namespace geometry
}  // namespace qor

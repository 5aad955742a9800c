// The host's point and vector arithmetic done natively, for the host's own
// points and vectors only: the same formulas in the same order, so every
// answer is the host's to the last bit.  Anything else (a subclass, an
// Array, a script's object) goes to the host as before.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

// The coordinates of an instance of the host's point class (its class
// exactly) whose coordinates are Floats, as the host keeps them.
bool genuine_point(VALUE v, double out[3]);
// The same for the host's vector class.
bool genuine_vector(VALUE v, double out[3]);

// a == b: the host's tolerant equality (closer than 0.001 inch) when a and
// b are genuine points, a Ruby == call otherwise.
bool same_point(VALUE a, VALUE b);
// p.on_line?([q, q.vector_to(r)]) for genuine points (the host's call
// otherwise, which raises for q == r as the host does).
bool on_line_through(VALUE p, VALUE q, VALUE r);
// point.project_to_plane(plane), natively for a plane [a, b, c, d] of
// Floats or [point, vector].
VALUE projected_to_plane(VALUE point, VALUE plane);
// point.project_to_line(line), natively for a line [point, vector].
VALUE projected_to_line(VALUE point, VALUE line);
// point == point.project_to_line(line).
bool on_host_line(VALUE point, VALUE line);
// (centre.vector_to(q) * centre.vector_to(r)).normalize, a new host vector.
VALUE unit_normal_of(VALUE centre, VALUE q, VALUE r);
// The turn from origin->first to origin->point round the axis, as
// side * ref.angle_between(v) with ref = origin.vector_to(first),
// v = origin.vector_to(point), side = ref.cross(v).normalize.dot(axis).
// False unless all four are the host's own.
bool turn_round(VALUE origin, VALUE first, VALUE point, VALUE axis, double* turn);
// Are the segments [a0, a1] and [b0, b1] (the host's own points) too far
// apart for the host's segment test to find a crossing or a touch?  Such a
// point lies within 0.001 inch of an end or strictly inside each segment,
// where the angle it sees the segment under is within 0.0015 rad of a half
// turn: within 0.0015 of the segment's length of it.  The margin below is
// several times both.  False when unsure.
bool segments_surely_apart(VALUE a0, VALUE a1, VALUE b0, VALUE b1);
// a.cross(b).angle_between(c), in radians.
double angle_of_cross(VALUE a, VALUE b, VALUE c);

}  // namespace geometry
}  // namespace qor

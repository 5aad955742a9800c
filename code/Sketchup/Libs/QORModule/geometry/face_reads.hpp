// What the outer-shell faces read of the model, read once.  Building one
// constructed face walks the faces of two rooms again and again (once per
// corner); each model face's plane, normal, edges, centroid and marks, each
// edge's faces and each vertex's position are asked of the host the first
// time only and kept in Ruby Hashes (by identity) for the rest of the call,
// or of the stage when the plug-in runs it inside
// QORTA_RoomFace.withFaceReads.
//
// Reads given nil read afresh every time: the plain road's (road.hpp
// hands out the reads of a call).
//
// What it assumes: the model does not change while the reads are kept (the
// stage writes only room faces' fields), and nobody alters the objects read
// (a script given a centroid gets a copy).
#pragma once

#include <ruby.h>

#include "point_arithmetic.hpp"

namespace qor {
namespace geometry {

// A face's marks in the face dictionary.
enum class Mark { TrueDoor, Slab, Partition, FaceType };

VALUE read_plane(VALUE reads, VALUE face);
VALUE read_normal(VALUE reads, VALUE face);
// A face's or a loop's edges.
VALUE read_edges(VALUE reads, VALUE face_or_loop);
VALUE read_outer_loop(VALUE reads, VALUE face);
// The outer loop's edges.
VALUE read_outer_edges(VALUE reads, VALUE face);
// The outer loop's edges with an end near point (within ten times the
// host's tolerance), in loop order: a long outline's edges that can touch
// the point.  Nil where every edge must be looked at (the plain road, a
// short outline, a point or an end that is not the host's own).
VALUE read_outer_edges_at(VALUE reads, VALUE face, VALUE point);
// A face's or a loop's vertices.
VALUE read_vertices(VALUE reads, VALUE face_or_loop);
// The face's centroid (the plug-in's FaceMethods#centroid).
VALUE read_centroid(VALUE reads, VALUE face);
// The face's polygon (the plug-in's FaceMethods#polygon), and its convex
// hull (hull.hpp) worked out from it once.
VALUE read_polygon(VALUE reads, VALUE face);
VALUE read_hull(VALUE reads, VALUE face);
// [bounds.min, bounds.max].
VALUE read_corners(VALUE reads, VALUE face);
// What a caller kept for the pair of objects (a, b), in that order;
// Qundef when nothing is kept (or reads is nil).
VALUE read_pair(VALUE reads, VALUE a, VALUE b);
void keep_pair(VALUE reads, VALUE a, VALUE b, VALUE v);
// get_attribute("FaceDict", the mark's name).
VALUE read_mark(VALUE reads, VALUE face, Mark mark);
VALUE read_edge_faces(VALUE reads, VALUE edge);
VALUE read_start(VALUE reads, VALUE edge);
VALUE read_end(VALUE reads, VALUE edge);
VALUE read_position(VALUE reads, VALUE vertex);

// A host point's coordinates, read through to_a; false on the plain road
// and for any other kind of point.  A point the reads keep (a position, a
// centroid, a polygon's corner, a face's bounds), and any point read
// twice, has them kept for the stage; any other point read once has them
// kept only for the moment (the host's passing answers would otherwise all
// stay alive with their numbers).
bool read_numbers(VALUE reads, VALUE point, arith::Xyz* out);

// A point's x, y and z: a host point's through read_numbers, a host
// vector's through one to_a, any other point (or reads nil) asked each.
void point_xyz(VALUE reads, VALUE point, double out[3]);

// a == b for host points, decided on their numbers (read once each, through
// to_a) where certain, by the host otherwise; always the host's == on the
// plain road (reads nil) and for any other kind of point.
bool same_position(VALUE reads, VALUE a, VALUE b);

// model face => the places in room_faces (an Array of room faces) of the
// room faces on it, by identity; kept for the stage while the Array keeps
// its length.
VALUE read_room_face_places(VALUE reads, VALUE room_faces);

// Is v == x, for any x, the interpreter's identity test?  Asked once per
// class.
bool identity_equality(VALUE reads, VALUE v);
// Is v a vertex of one of $modelDoors' doors?  Identity only: callers ask
// about objects whose == is the interpreter's own.
bool door_vertex(VALUE reads, VALUE v);

// QORTA_RoomFace.withFaceReads { ... }: runs the block with one set of reads for
// every outer-shell face built in it; answers the block's value.
VALUE withFaceReads(VALUE self);

}  // namespace geometry
}  // namespace qor

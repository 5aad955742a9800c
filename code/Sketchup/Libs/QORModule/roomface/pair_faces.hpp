// The numbers the pair passes test faces by, read from the host once per
// pass: for every room face of every room (rooms in order, faces in
// @roomFaces order, so that a face's number is its place in the all-pairs
// loops) its normal, plane, centroid, marks and a box holding its outline,
// its polygon and its centroid; for every room its centre and radius.
//
// The tests here only rule pairs out, and only where the host's own test
// could not come out otherwise whatever its rounding: every margin is far
// wider than the host's tolerances.  A face or room whose numbers could not
// be read is never ruled out.
//
// Plain numbers only, besides the Ruby Arrays the owner keeps on its stack;
// the owner keeps it alive across host calls only under protect().
#pragma once

#include <ruby.h>

#include "../core/native_array.hpp"
#include "../geometry/point_arithmetic.hpp"
#include "../geometry/road.hpp"
#include "pair_grid.hpp"

namespace qor {
namespace roomface {

// Marks read off a model face's "FaceDict".
enum FaceMark : unsigned { kTrueDoor = 1, kSlab = 2, kPartition = 4 };

struct FaceNumbers {
  bool known;
  int room;
  unsigned marks;
  double normal[3], plane[4], centroid[3];
  double lo[3], hi[3];
  double size;       // the box's diagonal
  double off_plane;  // the centroid's distance from the face's own plane

  // The shapes the facing tests walk, as runs of PairFaces::points: the
  // polygon, the outer loop's positions, and the polygon's convex hull
  // once a test has needed it.  Shaped only when the host's own points
  // give them all and the normal has a length.
  bool shaped;
  long polygon_at, polygon_n;
  long outline_at, outline_n;
  enum HullState : int { kHullUnread, kHullRead, kHullUnknown } hull_state;
  long hull_at, hull_n;
  // The hull worked out on the numbers (hull_numbers.hpp), with how far
  // the host's may lie from it: kHullRead when it could be.
  HullState own_hull_state;
  long own_hull_at, own_hull_n;
  double own_hull_slack;
};

struct RoomNumbers {
  bool known;
  double centre[3];
  double radius;
};

struct PairFaces {
  // Where the host's answers are kept (face_reads.hpp): for the pass, or
  // for the whole export when the plug-in runs it inside withFaceReads.
  VALUE reads = Qnil;
  // The road the pass runs on: the host's tests ask as it asks.
  geometry::Road road = geometry::Road::plain();
  VALUE room_faces = Qnil;   // every room face, flat
  VALUE model_faces = Qnil;  // their @face, index-aligned
  // Per face [centroid, normal, plane, polygon, outer-loop positions], as
  // the host gave them.
  VALUE host_values = Qnil;
  NativeArray<FaceNumbers> faces;
  NativeArray<int> room_start;  // per room, its first face; one extra at the end
  NativeArray<RoomNumbers> rooms;
  NativeArray<geometry::arith::Xyz> points;  // the faces' shapes
  double widest_off_plane = 0.0;

  long count() const { return static_cast<long>(faces.size()); }
  bool same_model_face(long i, long j) const {
    return rb_ary_entry(model_faces, i) == rb_ary_entry(model_faces, j);
  }
};

// Lists every room face of rooms (room_faces, model_faces, room_start) and
// reads nothing of the host: the plain road's.
void list_pair_faces(geometry::Road road, VALUE rooms, PairFaces* out);

// Reads every room face of rooms through the road's reads for a pass.  Host calls: a fixed few
// per face, none for a face the reads already hold.
void read_pair_faces(geometry::Road road, VALUE rooms, PairFaces* out);

// Could the two faces' normals be parallel within `parallel`?
bool may_be_parallel(const FaceNumbers& a, const FaceNumbers& b, double parallel);
// Could the two faces overlap, looking along either face's normal?  Both
// facing tests need one centroid, or a point of one outline carried along
// a normal, to land in the other face's outline.
bool may_overlap(const FaceNumbers& a, const FaceNumbers& b);
// Is a's centroid surely farther than limit from b's plane?
bool surely_farther(const FaceNumbers& a, const FaceNumbers& b, double limit);
// No facing distance from a to b is smaller than this.
double facing_lower_bound(const FaceNumbers& a, const FaceNumbers& b);
// How far around a's box a face opposite it within `wall` can lie.
double opposite_reach(const FaceNumbers& a, double wall, double widest_off_plane);
// Are the rooms' spheres surely apart (1), surely touching (0), or too
// close to call (-1)?
int spheres_apart(const RoomNumbers& a, const RoomNumbers& b);

}  // namespace roomface
}  // namespace qor

#include "face_reads.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/model_face.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "certain.hpp"
#include "hull.hpp"
#include "point_math.hpp"
#include "road.hpp"

namespace qor {
namespace geometry {

namespace {

// One record per object read: which slots are read so far (a bit each, in
// slot 0), then the values.  A record is only as long as its last slot
// read, so the most numerous objects' slots come first: a vertex's position
// fits a record of two (kept in the object itself), an edge's ends and
// faces one of five.  An export keeps them all.  Points' numbers, the most
// numerous reads of all, are kept apart (point_numbers).
enum Slot {
  kRead, kPosition, kStart, kEnd, kFaces, kEdges, kVertices,
  kPlane, kNormal, kOuterLoop, kCentroid, kTrueDoor, kSlab, kPartition, kFaceType, kPolygon, kCorners,
  kHull, kPairs, kOuterEdgeCells, kDoorVertices, kIdentityEquality, kPlaces, kSlots
};

// The reads of the running withFaceReads block, or nil.  A collector root.
VALUE stage_reads = Qnil;

VALUE identity_hash() {
  return call(rb_hash_new(), id::compare_by_identity);
}

// A set of reads is three tables, each a Hash by identity: the objects'
// records, and the two tables of point numbers (point_numbers).  Held in
// an Array of three so that each is found without a look-up.
enum Table { kRecords, kKeptNumbers, kMomentaryNumbers, kTables };

VALUE new_reads() {
  VALUE reads = new_array(kTables);
  for (int t = 0; t < kTables; ++t) push(reads, identity_hash());
  return reads;
}

VALUE table(VALUE reads, Table t) { return at(reads, t); }

VALUE record_of(VALUE reads, VALUE obj) {
  VALUE records = table(reads, kRecords);
  VALUE record = rb_hash_lookup2(records, obj, Qnil);
  if (NIL_P(record)) {
    record = new_array(1);
    rb_ary_store(record, kRead, INT2FIX(0));
    rb_hash_aset(records, obj, record);
  }
  return record;
}

void keep_numbers_of(VALUE reads, VALUE points);

// What a read gives: points (or a list of them) whose numbers are kept as
// long as the reads (keep_numbers_of), or anything else.
enum class Gives { kPoints, kOther };

// read() the first time, the kept value after.  A read that raises keeps
// nothing.
template <class F>
VALUE read_once(VALUE reads, VALUE obj, Slot slot, F&& read, Gives gives = Gives::kOther) {
  if (NIL_P(reads)) return read();
  VALUE record = record_of(reads, obj);
  const long bit = 1L << slot;
  if (FIX2LONG(at(record, kRead)) & bit) return at(record, slot);
  VALUE v = read();
  if (gives == Gives::kPoints) keep_numbers_of(reads, v);
  rb_ary_store(record, slot, v);
  rb_ary_store(record, kRead, LONG2FIX(FIX2LONG(at(record, kRead)) | bit));
  RB_GC_GUARD(record);
  return v;
}

VALUE mark_key(Mark mark) {
  switch (mark) {
    case Mark::TrueDoor: return str::TrueDoor;
    case Mark::Slab: return str::Slab;
    case Mark::Partition: return str::Partition;
    default: return str::FaceType;
  }
}

Slot mark_slot(Mark mark) {
  switch (mark) {
    case Mark::TrueDoor: return kTrueDoor;
    case Mark::Slab: return kSlab;
    case Mark::Partition: return kPartition;
    default: return kFaceType;
  }
}

// Every vertex of every door, as keys of an identity Hash.
VALUE door_vertices_of(VALUE doors) {
  VALUE found = identity_hash();
  for (long d = 0; d < len(doors); ++d) {
    VALUE vertices = call(at(doors, d), id::vertices);
    for (long k = 0; k < len(vertices); ++k) rb_hash_aset(found, at(vertices, k), Qtrue);
  }
  return found;
}

// Ends within the host's tolerance of a point lie in its cell or the next:
// cells ten times as wide.
const double kEndCell = 0.01;

// The cell holding a host point (its numbers read once), as a Hash key;
// nil for any other point or one the cells cannot place.
VALUE cell_of(VALUE reads, VALUE point, const long offset[3]) {
  arith::Xyz at;
  if (!read_numbers(reads, point, &at)) return Qnil;
  const double p[3] = {at.x, at.y, at.z};
  VALUE key = new_array(3);
  for (int k = 0; k < 3; ++k) {
    const double c = std::floor(p[k] / kEndCell) + static_cast<double>(offset[k]);
    if (!std::isfinite(c)) return Qnil;
    push(key, flo(c));
  }
  return key;
}

// The outer loop's edges by the cells of their ends: cell => edge indices,
// ascending; false when an end is no host point the cells can place.
VALUE outer_edge_cells(VALUE reads, VALUE face) {
  static const long kHere[3] = {0, 0, 0};
  VALUE edges = read_outer_edges(reads, face);
  VALUE cells = rb_hash_new();
  for (long k = 0; k < len(edges); ++k) {
    VALUE edge = at(edges, k);
    const VALUE ends[2] = {read_position(reads, read_start(reads, edge)),
                           read_position(reads, read_end(reads, edge))};
    for (VALUE end : ends) {
      VALUE key = cell_of(reads, end, kHere);
      if (NIL_P(key)) return Qfalse;
      VALUE list = rb_hash_lookup(cells, key);
      if (NIL_P(list)) rb_hash_aset(cells, key, list = new_array());
      if (len(list) == 0 || at(list, -1) != LONG2FIX(k)) push(list, LONG2FIX(k));
    }
  }
  return cells;
}

// Most points whose numbers are read are the host's answers of the moment
// (a meeting point, a projection), read once and dropped.  Keeping their
// numbers for the whole export would keep every such point alive with
// them, so a point read for the first time has its numbers kept in a
// table of the moment, emptied when it fills; a point read again (a
// vertex's position, a polygon's corner, a kept overlap's point) has them
// kept for the whole export from then on.  Both tables map a point to its
// [x, y, z] alone, with no record around it.
const long kMomentaryPoints = 1L << 14;

// The numbers read of a host point: [x, y, z], or false for a point that
// is no host point.
VALUE numbers_of(VALUE point) {
  double c[3];
  return read_point(point, c) ? rb_ary_new_from_args(3, flo(c[0]), flo(c[1]), flo(c[2])) : Qfalse;
}

// A point the reads keep (a position, a centroid, a polygon's corners, a
// face's bounds) lives as long as they do, and its numbers are kept from
// their first read: nil in the kept table until then.  Read once in one
// stage and again in a later one, they would otherwise have left the
// table of the moment in between.
void keep_numbers_of(VALUE reads, VALUE points) {
  VALUE kept = table(reads, kKeptNumbers);
  auto keep = [&](VALUE point) {
    if (!SPECIAL_CONST_P(point) && !RB_TYPE_P(point, T_ARRAY) && rb_hash_lookup2(kept, point, Qundef) == Qundef)
      rb_hash_aset(kept, point, Qnil);
  };
  if (!RB_TYPE_P(points, T_ARRAY)) return keep(points);
  for (long i = 0; i < len(points); ++i) keep(at(points, i));
  RB_GC_GUARD(kept);
}

// The point's numbers: kept ones, else read (to_a) and kept as above.  A
// read that raises keeps nothing.
VALUE point_numbers(VALUE reads, VALUE point) {
  VALUE kept = table(reads, kKeptNumbers);
  VALUE numbers = rb_hash_lookup2(kept, point, Qundef);
  if (NIL_P(numbers)) {
    numbers = numbers_of(point);
    rb_hash_aset(kept, point, numbers);
    return numbers;
  }
  if (numbers != Qundef) return numbers;
  VALUE momentary = table(reads, kMomentaryNumbers);
  numbers = rb_hash_lookup2(momentary, point, Qundef);
  if (numbers != Qundef) {
    rb_hash_delete(momentary, point);
    rb_hash_aset(kept, point, numbers);
    return numbers;
  }
  numbers = numbers_of(point);
  if (static_cast<long>(RHASH_SIZE(momentary)) >= kMomentaryPoints)
    rb_ary_store(reads, kMomentaryNumbers, momentary = identity_hash());
  rb_hash_aset(momentary, point, numbers);
  RB_GC_GUARD(kept);
  RB_GC_GUARD(momentary);
  return numbers;
}

VALUE yield_block(VALUE) { return rb_yield_values(0); }

VALUE restore_reads(VALUE previous) {
  stage_reads = previous;
  return Qnil;
}

}  // namespace

VALUE Road::pass_reads() const {
  if (!indexed_) return Qnil;
  return NIL_P(stage_reads) ? new_reads() : stage_reads;
}

VALUE Road::export_reads() const { return indexed_ ? stage_reads : Qnil; }

VALUE read_plane(VALUE reads, VALUE face) {
  return read_once(reads, face, kPlane, [&] { return call(face, id::plane); });
}
VALUE read_normal(VALUE reads, VALUE face) {
  return read_once(reads, face, kNormal, [&] { return call(face, id::normal); });
}
VALUE read_edges(VALUE reads, VALUE face_or_loop) {
  return read_once(reads, face_or_loop, kEdges, [&] { return call(face_or_loop, id::edges); });
}
VALUE read_vertices(VALUE reads, VALUE face_or_loop) {
  return read_once(reads, face_or_loop, kVertices, [&] { return call(face_or_loop, id::vertices); });
}
VALUE read_outer_loop(VALUE reads, VALUE face) {
  return read_once(reads, face, kOuterLoop, [&] { return call(face, id::outer_loop); });
}
VALUE read_outer_edges(VALUE reads, VALUE face) {
  return read_edges(reads, read_outer_loop(reads, face));
}
VALUE read_centroid(VALUE reads, VALUE face) {
  return read_once(reads, face, kCentroid, [&] { return call(face, id::centroid); }, Gives::kPoints);
}
VALUE read_polygon(VALUE reads, VALUE face) {
  return read_once(reads, face, kPolygon, [&] { return call(face, id::polygon); }, Gives::kPoints);
}
VALUE read_hull(VALUE reads, VALUE face) {
  return read_once(reads, face, kHull, [&] { return convex_hull(read_polygon(reads, face)); });
}
VALUE read_corners(VALUE reads, VALUE face) {
  return read_once(reads, face, kCorners, [&] {
    VALUE bounds = call(face, id::bounds);
    VALUE low = call(bounds, id::min_);
    return array_of(low, call(bounds, id::max_));
  }, Gives::kPoints);
}
VALUE read_pair(VALUE reads, VALUE a, VALUE b) {
  if (NIL_P(reads)) return Qundef;
  VALUE record = rb_hash_lookup2(table(reads, kRecords), a, Qnil);
  if (NIL_P(record)) return Qundef;
  VALUE pairs = at(record, kPairs);
  return NIL_P(pairs) ? Qundef : rb_hash_lookup2(pairs, b, Qundef);
}
void keep_pair(VALUE reads, VALUE a, VALUE b, VALUE v) {
  if (NIL_P(reads)) return;
  VALUE record = record_of(reads, a);
  VALUE pairs = at(record, kPairs);
  if (NIL_P(pairs)) rb_ary_store(record, kPairs, pairs = identity_hash());
  rb_hash_aset(pairs, b, v);
  RB_GC_GUARD(record);
}
VALUE read_mark(VALUE reads, VALUE face, Mark mark) {
  return read_once(reads, face, mark_slot(mark),
                   [&] { return call(face, id::get_attribute, str::FaceDict, mark_key(mark)); });
}
VALUE read_edge_faces(VALUE reads, VALUE edge) {
  return read_once(reads, edge, kFaces, [&] { return call(edge, id::faces); });
}
VALUE read_start(VALUE reads, VALUE edge) {
  return read_once(reads, edge, kStart, [&] { return call(edge, id::start); });
}
VALUE read_end(VALUE reads, VALUE edge) {
  return read_once(reads, edge, kEnd, [&] { return call(edge, id::end); });
}
VALUE read_position(VALUE reads, VALUE vertex) {
  return read_once(reads, vertex, kPosition, [&] { return call(vertex, id::position); }, Gives::kPoints);
}

VALUE read_outer_edges_at(VALUE reads, VALUE face, VALUE point) {
  static const long kLongOutline = 32;
  if (NIL_P(reads)) return Qnil;
  VALUE edges = read_outer_edges(reads, face);
  if (!RB_TYPE_P(edges, T_ARRAY) || len(edges) < kLongOutline) return Qnil;
  VALUE cells = read_once(reads, face, kOuterEdgeCells, [&] { return outer_edge_cells(reads, face); });
  if (is_false(cells)) return Qnil;
  VALUE found = new_array();
  long offset[3];
  for (offset[0] = -1; offset[0] <= 1; ++offset[0])
    for (offset[1] = -1; offset[1] <= 1; ++offset[1])
      for (offset[2] = -1; offset[2] <= 1; ++offset[2]) {
        VALUE key = cell_of(reads, point, offset);
        if (NIL_P(key)) return Qnil;
        VALUE list = rb_hash_lookup(cells, key);
        if (!NIL_P(list)) rb_ary_concat(found, list);
      }
  found = call(rb_ary_sort_bang(found), id::uniq);
  VALUE close_edges = new_array(len(found));
  for (long i = 0; i < len(found); ++i) push(close_edges, at(edges, FIX2LONG(at(found, i))));
  return close_edges;
}

bool read_numbers(VALUE reads, VALUE point, arith::Xyz* out) {
  if (NIL_P(reads)) return false;
  VALUE numbers = point_numbers(reads, point);
  if (!RB_TYPE_P(numbers, T_ARRAY)) return false;
  *out = arith::Xyz{RFLOAT_VALUE(at(numbers, 0)), RFLOAT_VALUE(at(numbers, 1)),
                    RFLOAT_VALUE(at(numbers, 2))};
  return true;
}

void point_xyz(VALUE reads, VALUE point, double out[3]) {
  arith::Xyz c;
  if (read_numbers(reads, point, &c)) {
    out[0] = c.x;
    out[1] = c.y;
    out[2] = c.z;
    return;
  }
  // A host vector: its to_a, one call for the three.
  if (!NIL_P(reads) && read_vector(point, out)) return;
  out[0] = num(call(point, id::x));
  out[1] = num(call(point, id::y));
  out[2] = num(call(point, id::z));
}

bool same_position(VALUE reads, VALUE a, VALUE b) {
  arith::Xyz p, q;
  if (!read_numbers(reads, a, &p) || !read_numbers(reads, b, &q)) return equal(a, b);
  const certain::Sure same = certain::same_point(p, q);
  if (same == certain::Sure::kUnsure) return equal(a, b);
  return same == certain::Sure::kYes;
}

VALUE read_room_face_places(VALUE reads, VALUE room_faces) {
  const long count = len(room_faces);
  auto index = [&]() -> VALUE {
    VALUE places = identity_hash();
    for (long k = 0; k < count; ++k) {
      VALUE face = model_face(at(room_faces, k));
      VALUE list = rb_hash_lookup2(places, face, Qnil);
      if (NIL_P(list)) rb_hash_aset(places, face, list = new_array());
      push(list, LONG2FIX(k));
    }
    return array_of(LONG2FIX(count), places);
  };
  VALUE kept = read_once(reads, room_faces, kPlaces, index);
  if (FIX2LONG(at(kept, 0)) != count) {
    kept = index();
    rb_ary_store(record_of(reads, room_faces), kPlaces, kept);
  }
  return at(kept, 1);
}

bool identity_equality(VALUE reads, VALUE v) {
  if (SPECIAL_CONST_P(v) || RB_BUILTIN_TYPE(v) != T_OBJECT) return false;
  VALUE klass = CLASS_OF(v);  // a singleton class too
  VALUE owner = read_once(reads, klass, kIdentityEquality,
                          [&] { return call(call(klass, id::instance_method, ID2SYM(id::eq)), id::owner); });
  return owner == rb_cBasicObject;
}

bool door_vertex(VALUE reads, VALUE v) {
  VALUE doors = gv::modelDoors;
  VALUE index = read_once(reads, doors, kDoorVertices, [&] { return door_vertices_of(doors); });
  return truthy(rb_hash_lookup2(index, v, Qfalse));
}

VALUE withFaceReads(VALUE) {
  static bool rooted = false;
  if (!rooted) {
    rb_gc_register_address(&stage_reads);
    rooted = true;
  }
  rb_need_block();
  // Inside another withFaceReads (an export around its stages) the reads
  // go on: the model has not changed since they were read.
  VALUE previous = stage_reads;
  if (NIL_P(stage_reads)) stage_reads = new_reads();
  return ensure(yield_block, Qnil, restore_reads, previous);
}

}  // namespace geometry
}  // namespace qor

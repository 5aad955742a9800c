// Doors, door frames, windows, window frames and open holes of a face.
#include <cstdlib>

#include "construction.hpp"
#include "fields.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/primitives.hpp"

#include "../core/globals.hpp"
#include "../core/list_index.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/road.hpp"

namespace qor {
namespace roomface {

namespace {

// The faces that fill face's holes.  A face the scripts left out of the
// hash has none.
VALUE hole_fillers(VALUE face) {
  VALUE fillers = call(gv::innerLoopFacesHash2, id::aref, call(face, id::to_s));
  return NIL_P(fillers) ? new_array() : fillers;
}

using geometry::common_count;

VALUE new_window(VALUE vertices) {
  return call(gv::class_Opening, id::new_, vertices, str::window);
}

// Appends to one of self's list variables.
void append(VALUE self, ID list, VALUE item) { push(array_ivar(self, list), item); }

bool includes_same(VALUE ary, VALUE item) {
  for (long i = 0; i < len(ary); ++i)
    if (at(ary, i) == item) return true;
  return false;
}

// Appends item to self's list variable unless the list has it already.
void append_once(VALUE self, ID list, VALUE item) {
  if (!includes_same(array_ivar(self, list), item)) append(self, list, item);
}

// Frames of frames deeper than this are not real doors: the limit keeps the
// walk well inside the native stack.
const long kMaxDoorFrameDepth = 64;

// Each face of a list by identity => the first place it has there.
VALUE first_places(VALUE faces) {
  VALUE places = rb_hash_new();
  call(places, id::compare_by_identity);
  for (long i = len(faces) - 1; i >= 0; --i) rb_hash_aset(places, at(faces, i), LONG2FIX(i));
  return places;
}

int by_place(const void* a, const void* b) {
  const long x = static_cast<const long*>(a)[0], y = static_cast<const long*>(b)[0];
  return (x > y) - (x < y);
}

// The faces of $modelFaces2 that hold vertex, in $modelFaces2's order,
// each once.  A face holds a vertex exactly when the vertex lists it among
// its faces, so only those few are looked up, each at its first place in
// $modelFaces2 (an index kept on the list, read as it stood when first
// indexed).
VALUE model_faces_holding(VALUE vertex) {
  VALUE holding = expect_array(call(vertex, id::faces));
  VALUE places = kept_index(gv::modelFaces2, id::qor_first_places, first_places);
  // (place, face) pairs of the holding faces found there, at most a few.
  const long n = len(holding);
  long found = 0;
  VALUE pairs = rb_str_buf_new(static_cast<long>(n * 2 * sizeof(long)));
  long* pair = reinterpret_cast<long*>(RSTRING_PTR(pairs));
  for (long i = 0; i < n; ++i) {
    VALUE place = rb_hash_lookup2(places, at(holding, i), Qnil);
    if (NIL_P(place)) continue;
    bool seen = false;
    for (long k = 0; k < found && !seen; ++k) seen = pair[2 * k] == FIX2LONG(place);
    if (seen) continue;
    pair[2 * found] = FIX2LONG(place);
    pair[2 * found + 1] = i;
    ++found;
  }
  std::qsort(pair, found, 2 * sizeof(long), by_place);
  VALUE ordered = new_array(found);
  for (long k = 0; k < found; ++k) push(ordered, at(holding, pair[2 * k + 1]));
  RB_GC_GUARD(pairs);
  return ordered;
}

// The faces that may frame a door, in the order they are examined, or nil
// where every model face must be tried.  A frame holds every door vertex,
// so only the faces holding the first one can qualify.  A door with no
// vertices, or a first vertex that is no host vertex, gets the full walk: it
// decides those cases itself.
VALUE faces_at_first_vertex(VALUE door_vertices) {
  if (!RB_TYPE_P(gv::modelFaces2, T_ARRAY) || len(door_vertices) == 0) return Qnil;
  VALUE first = at(door_vertices, 0);
  if (!rb_respond_to(first, id::faces) || !rb_respond_to(first, id::deleted_p)) return Qnil;
  if (truthy(call(first, id::deleted_p))) return new_array();
  return model_faces_holding(first);
}

// visited: an identity hash of the faces already examined in this call.
// Faces sharing a door's corners are frame candidates of each other, so
// each face is examined once, whichever face reached it first: the walk
// ends, and k faces round one door cost k examinations, not k!.  The face
// itself is in visited before any candidate is looked at.
void doors_from(geometry::Road road, VALUE self, VALUE face, VALUE visited, long depth) {
  if (depth > kMaxDoorFrameDepth)
    rb_raise(rb_eRuntimeError, "door frames nested more than %ld deep", kMaxDoorFrameDepth);
  rb_hash_aset(visited, face, Qtrue);
  VALUE reads = road.export_reads();
  VALUE outline = chain_loop_vertices(reads, geometry::read_outer_loop(reads, face));
  VALUE doors = expect_array(call(gv::object_Sketchup_active_model, id::findDoors2, outline, face));
  // Every other model face: the plain road's candidates, and the indexed
  // road's for the doors it cannot narrow down.
  VALUE others = !road.indexed() ? call(gv::modelFaces2, id::minus, array_of(face)) : Qnil;
  for (long d = 0; d < len(doors); ++d) {
    VALUE door = at(doors, d);
    VALUE door_vertices = ivar(door, iv::Script::vertices);
    const long dn = len(door_vertices);
    VALUE candidates = !road.indexed() ? others : faces_at_first_vertex(door_vertices);
    if (NIL_P(candidates)) {
      if (NIL_P(others)) others = call(gv::modelFaces2, id::minus, array_of(face));
      candidates = others;
    }
    for (long f = 0; f < len(candidates); ++f) {
      VALUE other = at(candidates, f);
      if (truthy(rb_hash_lookup2(visited, other, Qfalse))) continue;
      VALUE other_vertices = call(other, id::vertices);
      const long k = common_count(door_vertices, other_vertices);
      const long gn = len(other_vertices);
      if (k != dn) continue;
      if (gn == dn && len(call(other, id::loops)) > 1) {
        append_once(self, iv::RoomFace::doorFrames, door);
        doors_from(road, self, other, visited, depth + 1);
        collect_windows(road, self, other);
        break;
      }
      if (gn > dn) {
        append_once(self, iv::RoomFace::doorFrames, door);
        doors_from(road, self, other, visited, depth + 1);
        collect_windows(road, self, other);
      }
    }
  }
  // One entry per door: the faces round a door all find it.
  for (long d = 0; d < len(doors); ++d) append_once(self, iv::RoomFace::doors, at(doors, d));
}

}  // namespace

VALUE collectDoors(VALUE self, VALUE face) {
  collect_doors(geometry::Road::chosen(), self, face);
  return ivar(self, iv::RoomFace::doors);
}

void collect_doors(geometry::Road road, VALUE self, VALUE face) {
  VALUE visited = rb_hash_new();
  call(visited, id::compare_by_identity);
  doors_from(road, self, face, visited, 0);
}

namespace {

// collectOpenHoles with the faces that fill face's holes already looked up.
void open_holes(VALUE reads, VALUE self, VALUE face, VALUE fillers) {
  VALUE holes = call(call(face, id::loops), id::minus, array_of(geometry::read_outer_loop(reads, face)));
  for (long h = 0; h < len(holes); ++h) {
    VALUE hole = at(holes, h);
    VALUE hole_vertices = call(hole, id::vertices);
    bool filled = false;
    for (long i = 0; i < len(fillers) && !filled; ++i) {
      VALUE filler_outline = call(call(at(fillers, i), id::outer_loop), id::vertices);
      filled = common_count(hole_vertices, filler_outline) > 0;
    }
    if (filled) continue;
    VALUE vertices = chain_loop_vertices(reads, hole);
    append(self, iv::RoomFace::innerLoopPolygons, geometry::positions(vertices));
    append(self, iv::RoomFace::windows, new_window(vertices));
  }
}

}  // namespace

VALUE collectWindows(VALUE self, VALUE face) {
  collect_windows(geometry::Road::chosen(), self, face);
  return Qtrue;
}

void collect_windows(geometry::Road road, VALUE self, VALUE face) {
  VALUE reads = road.export_reads();
  VALUE fillers = hole_fillers(face);
  for (long i = 0; i < len(fillers); ++i) {
    VALUE filler = at(fillers, i);
    const long loops = len(call(filler, id::loops));
    if (loops == 1) {
      VALUE window = new_window(chain_loop_vertices(reads, call(filler, id::outer_loop)));
      append(self, iv::RoomFace::windows, window);
    } else if (loops > 1) {
      append(self, iv::RoomFace::windowFrames, filler);
      open_holes(reads, self, filler, hole_fillers(filler));
    }
  }
  open_holes(reads, self, face, fillers);
}

VALUE collectOpenHoles(VALUE self, VALUE face) {
  open_holes(geometry::Road::chosen().export_reads(), self, face, hole_fillers(face));
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

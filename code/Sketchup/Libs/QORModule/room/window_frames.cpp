#include "window_frames.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace room {

namespace {

// Is the outer boundary (its edges) one whole loop of the other face?
bool boundary_is_loop_of(VALUE outer_edges, VALUE other_face) {
  VALUE loops = call(other_face, id::loops);
  for (long l = 0; l < len(loops); ++l) {
    VALUE common = call(call(at(loops, l), id::edges), id::amp, outer_edges);
    if (len(common) == len(outer_edges)) return true;
  }
  return false;
}

void mark(VALUE roomFace) { set_ivar(roomFace, iv::RoomFace::isWindowFrame, Qtrue); }

// Every pair, as the pass is written.
void mark_plain(VALUE roomFaces) {
  for (long r = 0; r < len(roomFaces); ++r) {
    VALUE R = at(roomFaces, r);
    set_ivar(R, iv::RoomFace::isWindowFrame, Qfalse);
    VALUE face = ivar(R, iv::RoomFace::face);
    VALUE outer_edges = call(call(face, id::outer_loop), id::edges);
    const bool has_hole = len(call(face, id::loops)) > 1;

    for (long s = 0; s < len(roomFaces); ++s) {
      VALUE S = at(roomFaces, s);
      if (S == R) continue;
      VALUE loops = call(ivar(S, iv::RoomFace::face), id::loops);
      for (long l = 0; l < len(loops); ++l) {
        VALUE common = call(call(at(loops, l), id::edges), id::amp, outer_edges);
        if (len(common) == len(outer_edges) && has_hole) {
          mark(R);
          break;
        }
      }
      VALUE frames = ivar(S, iv::RoomFace::windowFrames);
      if (!NIL_P(frames) && truthy(call(frames, id::include_p, face))) mark(R);
    }
  }
}

// Append index s to the list under key, once.
void file_under(VALUE table, VALUE key, long s) {
  VALUE list = rb_hash_lookup(table, key);
  if (NIL_P(list)) {
    list = new_array(1);
    rb_hash_aset(table, key, list);
  }
  const long n = len(list);
  if (n == 0 || FIX2LONG(at(list, n - 1)) != s) push(list, LONG2FIX(s));
}

// Edge -> indices of the room faces with a loop holding it, ascending.  A
// Hash matches keys as Array#& matches entries (hash and eql?).
VALUE faces_by_edge(VALUE roomFaces) {
  VALUE table = rb_hash_new();
  for (long s = 0; s < len(roomFaces); ++s) {
    VALUE loops = call(ivar(at(roomFaces, s), iv::RoomFace::face), id::loops);
    for (long l = 0; l < len(loops); ++l) {
      VALUE edges = call(at(loops, l), id::edges);
      for (long e = 0; e < len(edges); ++e) file_under(table, at(edges, e), s);
    }
  }
  return table;
}

// Model face's identity -> indices of the room faces standing for it.
VALUE faces_by_identity(VALUE roomFaces) {
  VALUE table = rb_hash_new();
  for (long r = 0; r < len(roomFaces); ++r)
    file_under(table, rb_obj_id(ivar(at(roomFaces, r), iv::RoomFace::face)), r);
  return table;
}

// The whole outer boundary must be in the loop, so the loop holds its
// first edge: only faces filed under that edge can match.
void mark_boundary_frames(VALUE roomFaces) {
  VALUE by_edge = Qnil;
  for (long r = 0; r < len(roomFaces); ++r) {
    VALUE R = at(roomFaces, r);
    VALUE face = ivar(R, iv::RoomFace::face);
    if (len(call(face, id::loops)) <= 1) continue;
    VALUE outer_edges = call(call(face, id::outer_loop), id::edges);
    if (len(outer_edges) == 0) {  // an empty boundary is in every loop
      for (long s = 0; s < len(roomFaces); ++s) {
        VALUE S = at(roomFaces, s);
        if (S != R && boundary_is_loop_of(outer_edges, ivar(S, iv::RoomFace::face))) mark(R);
      }
      continue;
    }
    if (NIL_P(by_edge)) by_edge = faces_by_edge(roomFaces);
    VALUE holders = rb_hash_lookup(by_edge, at(outer_edges, 0));
    if (NIL_P(holders)) continue;
    for (long h = 0; h < len(holders); ++h) {
      VALUE S = at(roomFaces, FIX2LONG(at(holders, h)));
      if (S == R) continue;
      if (boundary_is_loop_of(outer_edges, ivar(S, iv::RoomFace::face))) {
        mark(R);
        break;
      }
    }
  }
}

// Array#include? compares each entry e as e == face; an entry whose == is
// the interpreter's own is equal to its own object only, found by identity.
void mark_listed_frames(VALUE roomFaces) {
  VALUE by_identity = Qnil;
  for (long s = 0; s < len(roomFaces); ++s) {
    VALUE S = at(roomFaces, s);
    VALUE frames = ivar(S, iv::RoomFace::windowFrames);
    if (NIL_P(frames)) continue;
    if (!RB_TYPE_P(frames, T_ARRAY) || !basic_method(CLASS_OF(frames), id::include_p)) {
      for (long r = 0; r < len(roomFaces); ++r) {
        VALUE R = at(roomFaces, r);
        if (R != S && truthy(call(frames, id::include_p, ivar(R, iv::RoomFace::face)))) mark(R);
      }
      continue;
    }
    for (long f = 0; f < len(frames); ++f) {
      VALUE entry = at(frames, f);
      if (basic_method(CLASS_OF(entry), id::eq)) {
        if (NIL_P(by_identity)) by_identity = faces_by_identity(roomFaces);
        VALUE standing = rb_hash_lookup(by_identity, rb_obj_id(entry));
        for (long i = 0; !NIL_P(standing) && i < len(standing); ++i) {
          VALUE R = at(roomFaces, FIX2LONG(at(standing, i)));
          if (R != S && ivar(R, iv::RoomFace::face) == entry) mark(R);
        }
        continue;
      }
      for (long r = 0; r < len(roomFaces); ++r) {
        VALUE R = at(roomFaces, r);
        if (R != S && rb_equal(entry, ivar(R, iv::RoomFace::face))) mark(R);
      }
    }
  }
}

}  // namespace

void mark_window_frames(VALUE roomFaces, geometry::Road road) {
  if (!road.indexed()) return mark_plain(roomFaces);
  for (long r = 0; r < len(roomFaces); ++r) set_ivar(at(roomFaces, r), iv::RoomFace::isWindowFrame, Qfalse);
  mark_boundary_frames(roomFaces);
  mark_listed_frames(roomFaces);
}

}  // namespace room
}  // namespace qor

// Highlighting a room: its faces painted red, and back.
#include "room.hpp"
#include "../roomface/fields.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace room {

namespace {

// Alphas closer than this count as equal.
using roomface::kAlphaTolerance;

ID id_countSelect() {
  return id::countSelect;
}

// Translucent faces (glass) keep their look: only a face whose opacity is 1
// (within the alpha tolerance) is painted.  A room face without a numeric
// opacity has no material alpha to honour and counts as opaque.
bool opaque(VALUE opacity) {
  if (!RB_INTEGER_TYPE_P(opacity) && !RB_FLOAT_TYPE_P(opacity)) return true;
  return num(opacity) >= 1.0 - kAlphaTolerance;
}

bool counted_to(VALUE roomFace, int amount, int expected) {
  return equal(call(roomFace, id_countSelect(), INT2FIX(amount)), INT2FIX(expected));
}

// Set on a room face while this room's highlight holds one count of its
// model face, so that the count goes down only where it went up (a
// see-through face is never counted).  Hidden from scripts: no "@".
ID counted_mark() {
  return id::qor_select_counted;
}

void paint(VALUE room) {
  VALUE red = new_string("red");
  VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE R = at(roomFaces, i);
    if (!opaque(ivar(R, iv::RoomFace::opacity))) continue;
    VALUE F = answering_ivar(R, iv::RoomFace::face, id::deleted_p);
    if (is_true(call(F, id::deleted_p))) continue;
    if (is_true(ivar(R, iv::RoomFace::isWindow))) continue;
    const bool first = counted_to(R, 1, 1);
    set_ivar(R, counted_mark(), Qtrue);
    if (!first) continue;  // already shown through another room
    VALUE material = call(F, id::material);
    set_ivar(R, iv::RoomFace::material, material);
    set_ivar(R, iv::RoomFace::back_material, call(F, id::back_material));
    if (!NIL_P(material)) set_ivar(R, iv::RoomFace::opacity, call(material, id::alpha));
    call(F, id::back_material_set, red);
    call(F, id::material_set, red);
  }
}

void unpaint(VALUE room) {
  VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE R = at(roomFaces, i);
    VALUE F = answering_ivar(R, iv::RoomFace::face, id::deleted_p);
    if (is_true(call(F, id::deleted_p))) continue;
    if (is_true(ivar(R, iv::RoomFace::isWindow))) continue;
    if (!is_true(rb_attr_get(R, counted_mark()))) continue;
    // The saved materials are checked before the count goes down: a bad
    // one leaves this face counted and painted, so that the room, kept
    // selected, still puts the face's own materials back later.  The back
    // material goes back as the face gave it: nil or a material.
    VALUE material = ivar(R, iv::RoomFace::material);
    VALUE opacity = ivar(R, iv::RoomFace::opacity);
    if (!NIL_P(material)) {
      answering_ivar(R, iv::RoomFace::material, id::alpha_set);
      number_ivar(R, iv::RoomFace::opacity);
    }
    VALUE back = ivar(R, iv::RoomFace::back_material);
    if (!NIL_P(back)) back = object_ivar(R, iv::RoomFace::back_material, "a material");
    const bool last = counted_to(R, -1, 0);
    set_ivar(R, counted_mark(), Qfalse);
    if (!last) continue;  // another selected room still shows it
    if (!NIL_P(material)) call(material, id::alpha_set, opacity);
    call(F, id::material_set, material);
    call(F, id::back_material_set, back);
  }
}

// The room faces' counted marks as they stand, as pairs of room face and
// mark.  An aborted operation undoes the counts and materials on the
// model's faces but not these marks, so a failed call puts them back.
VALUE counted_marks(VALUE room) {
  VALUE marks = new_array();
  VALUE roomFaces = ivar(room, iv::Room::roomFaces);
  if (!RB_TYPE_P(roomFaces, T_ARRAY)) return marks;  // change_selection names it
  for (long i = 0; i < RARRAY_LEN(roomFaces); ++i) {
    VALUE R = RARRAY_AREF(roomFaces, i);
    if (!SPECIAL_CONST_P(R)) push(marks, array_of(R, rb_attr_get(R, counted_mark())));
  }
  return marks;
}

void restore_marks(VALUE marks) {
  for (long i = 0; i < len(marks); ++i) {
    VALUE pair = at(marks, i);
    set_ivar(at(pair, 0), counted_mark(), at(pair, 1));
  }
}

void change_selection(VALUE room, bool on) {
  if (on && is_false(ivar(room, iv::Room::selected))) {
    set_ivar(room, iv::Room::selected, Qtrue);
    paint(room);
  } else if (!on && is_true(ivar(room, iv::Room::selected))) {
    set_ivar(room, iv::Room::selected, Qfalse);
    unpaint(room);
  }
}

}  // namespace

// Each call is one undoable operation.  If anything fails or jumps out
// half-way (a host or script call, a frozen room, a throw or kill in a
// callback), the operation is aborted rather than left open (so that later
// edits do not land in it), the room keeps its former selection state where
// it can, and the exit goes on to the caller unchanged.
VALUE select(VALUE self, VALUE flag) {
  VALUE model = gv::object_Sketchup_active_model;
  const bool on = is_true(flag);
  call(model, id::startOperationHelper, new_string(on ? "select room" : "deselect room"));

  VALUE previous = ivar(self, iv::Room::selected);
  VALUE marks = counted_marks(self);
  int state = 0;
  protect(
      [&] {
        change_selection(self, on);
        return call(model, id::commit_operation);
      },
      &state);
  if (state) {
    VALUE pending = errinfo();
    clean_up(&state, pending, [&] { return call(model, id::abort_operation); });
    clean_up(&state, pending, [&] {
      set_ivar(self, iv::Room::selected, previous);
      restore_marks(marks);
      return Qnil;
    });
    RB_GC_GUARD(pending);
    rb_jump_tag(state);
  }
  RB_GC_GUARD(previous);
  RB_GC_GUARD(marks);
  return Qtrue;
}

}  // namespace room
}  // namespace qor

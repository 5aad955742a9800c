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
    const bool last = counted_to(R, -1, 0);
    set_ivar(R, counted_mark(), Qfalse);
    if (!last) continue;  // another selected room still shows it
    VALUE material = ivar(R, iv::RoomFace::material);
    if (!NIL_P(material))
      call(answering_ivar(R, iv::RoomFace::material, id::alpha_set), id::alpha_set,
           ivar(R, iv::RoomFace::opacity));
    call(F, id::material_set, material);
    call(F, id::back_material_set, ivar(R, iv::RoomFace::back_material));
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
      return Qnil;
    });
    RB_GC_GUARD(pending);
    rb_jump_tag(state);
  }
  RB_GC_GUARD(previous);
  return Qtrue;
}

}  // namespace room
}  // namespace qor

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
  static const ID id = rb_intern("countSelect");
  return id;
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

void paint(VALUE room) {
  VALUE red = new_string("red");
  VALUE roomFaces = ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE R = at(roomFaces, i);
    VALUE F = ivar(R, iv::RoomFace::face);
    if (!opaque(ivar(R, iv::RoomFace::opacity))) continue;
    if (is_true(call(F, id::deleted_p))) continue;
    if (is_true(ivar(R, iv::RoomFace::isWindow))) continue;
    if (!counted_to(R, 1, 1)) continue;  // already shown through another room
    VALUE material = call(F, id::material);
    set_ivar(R, iv::RoomFace::material, material);
    set_ivar(R, iv::RoomFace::back_material, call(F, id::back_material));
    if (!NIL_P(material)) set_ivar(R, iv::RoomFace::opacity, call(material, id::alpha));
    call(F, id::back_material_set, red);
    call(F, id::material_set, red);
  }
}

void unpaint(VALUE room) {
  VALUE roomFaces = ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE R = at(roomFaces, i);
    VALUE F = ivar(R, iv::RoomFace::face);
    if (is_true(call(F, id::deleted_p))) continue;
    if (is_true(ivar(R, iv::RoomFace::isWindow))) continue;
    if (!counted_to(R, -1, 0)) continue;  // another selected room still shows it
    VALUE material = ivar(R, iv::RoomFace::material);
    if (!NIL_P(material)) call(material, id::alpha_set, ivar(R, iv::RoomFace::opacity));
    call(F, id::material_set, material);
    call(F, id::back_material_set, ivar(R, iv::RoomFace::back_material));
  }
}

VALUE change_selection(VALUE args) {
  const VALUE* a = reinterpret_cast<const VALUE*>(args);
  VALUE room = a[0];
  const bool on = is_true(a[1]);
  if (on && is_false(ivar(room, iv::Room::selected))) {
    set_ivar(room, iv::Room::selected, Qtrue);
    paint(room);
  } else if (!on && is_true(ivar(room, iv::Room::selected))) {
    set_ivar(room, iv::Room::selected, Qfalse);
    unpaint(room);
  }
  return Qnil;
}

VALUE abort_operation(VALUE model) { return call(model, id::abort_operation); }

}  // namespace

// Each call is one undoable operation.  If a host or script call fails
// half-way, the operation is aborted rather than left open (so that later
// edits do not land in it), the room keeps its former selection state, and
// the error goes on to the caller.
VALUE select(VALUE self, VALUE flag) {
  VALUE model = gv::object_Sketchup_active_model;
  const bool on = is_true(flag);
  call(model, id::startOperationHelper, new_string(on ? "select room" : "deselect room"));

  VALUE previous = ivar(self, iv::Room::selected);
  VALUE args[2] = {self, on ? Qtrue : Qfalse};
  int state = 0;
  rb_protect(change_selection, reinterpret_cast<VALUE>(args), &state);
  if (state) {
    VALUE error = errinfo();
    set_ivar(self, iv::Room::selected, previous);
    int abort_state = 0;
    rb_protect(abort_operation, model, &abort_state);
    set_errinfo(error);
    rb_jump_tag(state);
  }
  RB_GC_GUARD(args[0]);
  call(model, id::commit_operation);
  return Qtrue;
}

}  // namespace room
}  // namespace qor

#include "face_dump.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "dictionaries.hpp"
#include "xml_escape.hpp"

namespace qor {
namespace snapshot {

namespace {

bool is_model_face(VALUE v) { return rb_obj_class(v) == gv::class_Sketchup_Face; }

VALUE positions(VALUE loop) {
  VALUE vertices = call(loop, id::vertices);
  VALUE points = new_array(len(vertices));
  for (long k = 0; k < len(vertices); ++k) push(points, call(at(vertices, k), id::position));
  return points;
}

// A hole that no other face fills: every edge of the loop has the face
// alone in common.
bool empty_hole(VALUE loop) {
  VALUE edges = call(loop, id::edges);
  VALUE shared = call(at(edges, 0), id::faces);
  for (long k = 0; k < len(edges); ++k) shared = call(shared, id::amp, call(at(edges, k), id::faces));
  return len(call(shared, id::uniq)) == 1;
}

void capture_outline(VALUE self, VALUE face) {
  VALUE outer = call(face, id::outer_loop);
  rb_ary_concat(ivar(self, iv::FaceDump::facePoints), positions(outer));
  VALUE loops = call(face, id::loops);
  for (long i = 0; i < len(loops); ++i) {
    VALUE loop = at(loops, i);
    if (loop == outer) continue;
    VALUE points = positions(loop);
    if (empty_hole(loop)) push(ivar(self, iv::FaceDump::loops), points);
  }
}

// --- XML -----------------------------------------------------------------

void add(VALUE xml, const char* text) { rb_str_cat_cstr(xml, text); }
void add(VALUE xml, VALUE text) { rb_str_append(xml, StringValue(text)); }

void add_element(VALUE xml, const char* open, VALUE text, const char* close) {
  add(xml, open);
  add(xml, text);
  add(xml, close);
}

void add_coordinates(VALUE xml, VALUE p) {
  add_element(xml, "<x>", call(call(call(p, id::x), id::to_f), id::to_s), "</x>");
  add_element(xml, "<y>", call(call(call(p, id::y), id::to_f), id::to_s), "</y>");
  add_element(xml, "<z>", call(call(call(p, id::z), id::to_f), id::to_s), "</z>");
}

void add_points(VALUE xml, VALUE points) {
  for (long k = 0; k < len(points); ++k) {
    add(xml, "<p>");
    add_coordinates(xml, at(points, k));
    add(xml, "</p>");
  }
}

void add_loops(VALUE xml, VALUE loops) {
  if (len(loops) == 0) return;
  add(xml, "<loops>");
  for (long i = 0; i < len(loops); ++i) {
    add(xml, "<lf>");
    add_points(xml, at(loops, i));
    add(xml, "</lf>");
  }
  add(xml, "</loops>");
}

void add_material(VALUE xml, const char* open, VALUE material, const char* close) {
  if (NIL_P(material)) return;
  add_element(xml, open, escape(call(material, id::name)), close);
}

void add_dictionary(VALUE xml, VALUE entry) {
  add(xml, "<d>");
  add_element(xml, "<n>", escape(at(entry, 0)), "</n>");
  VALUE pairs = at(entry, 1);
  for (long k = 0; k + 1 < len(pairs); k += 2) {
    VALUE value = at(pairs, k + 1);
    add(xml, "<at>");
    add_element(xml, "<n>", escape(at(pairs, k)), "</n>");
    add_element(xml, "<t>", call(call(value, id::klass), id::to_s), "</t>");
    add_element(xml, "<v>", escape(call(value, id::to_s)), "</v>");
    add(xml, "</at>");
  }
  add(xml, "</d>");
}

void add_dictionaries(VALUE xml, VALUE dictionaries) {
  if (len(dictionaries) == 0) return;
  add(xml, "<atD>");
  for (long i = 0; i < len(dictionaries); ++i) add_dictionary(xml, at(dictionaries, i));
  add(xml, "</atD>");
}

// --- restore -------------------------------------------------------------

// Faces the model the recorded way, then puts back materials and attributes.
VALUE fill_restored(VALUE self, VALUE face) {
  if (num(call(call(face, id::normal), id::dot, ivar(self, iv::FaceDump::normal))) < 0.0)
    face = call(face, id::reverse_bang);
  call(face, id::back_material_set, ivar(self, iv::FaceDump::back_material));
  call(face, id::material_set, ivar(self, iv::FaceDump::material));
  restore_dictionaries(face, ivar(self, iv::FaceDump::attributeDictionaries));
  return face;
}

// The restored face, or nil when the model refused the outline.
VALUE build_face(VALUE self) {
  VALUE face = call(gv::object_Sketchup_active_model_entities, id::add_face, ivar(self, iv::FaceDump::facePoints));
  if (!is_model_face(face)) return Qnil;
  return fill_restored(self, face);
}

}  // namespace

VALUE faceDumpInitialize(VALUE self, VALUE face) {
  set_ivar(self, iv::FaceDump::attributeDictionaries, new_array());
  if (NIL_P(face)) return self;
  if (!is_model_face(face)) rb_raise(rb_eArgError, "Invalid argument to serialised Face constructor");
  set_ivar(self, iv::FaceDump::faceId, call(rb_obj_id(face), id::to_s));
  set_ivar(self, iv::FaceDump::loops, new_array());
  set_ivar(self, iv::FaceDump::facePoints, new_array());
  set_ivar(self, iv::FaceDump::normal, call(face, id::normal));
  set_ivar(self, iv::FaceDump::back_material, call(face, id::back_material));
  set_ivar(self, iv::FaceDump::material, call(face, id::material));
  if (!NIL_P(call(face, id::attribute_dictionary, str::OwnerGroup)))
    set_ivar(self, iv::FaceDump::ownerGroupId, call(cls::QORTA_SU, id::getIntAttr, face, str::OwnerGroup, str::Id));
  capture_outline(self, face);
  capture_dictionaries(face, ivar(self, iv::FaceDump::attributeDictionaries));
  return self;
}

VALUE faceDumpToXML(VALUE self) {
  VALUE xml = new_string("<face>");
  add_element(xml, "<id>", ivar(self, iv::FaceDump::faceId), "</id>");
  add_element(xml, "<ownerGroupId>", call(ivar(self, iv::FaceDump::ownerGroupId), id::to_s), "</ownerGroupId>");
  add_points(xml, ivar(self, iv::FaceDump::facePoints));
  add_loops(xml, ivar(self, iv::FaceDump::loops));
  add_material(xml, "<m>", ivar(self, iv::FaceDump::material), "</m>");
  add_material(xml, "<bm>", ivar(self, iv::FaceDump::back_material), "</bm>");
  add(xml, "<n>");
  add_coordinates(xml, ivar(self, iv::FaceDump::normal));
  add(xml, "</n>");
  add_dictionaries(xml, ivar(self, iv::FaceDump::attributeDictionaries));
  add(xml, "</face>");
  return xml;
}

// A failure anywhere between opening and committing the operation aborts
// it, so that the user's later edits do not join a broken undo step.  A
// failing commit is the host's own: it is left as it is.
VALUE faceDumpRestore(VALUE self) {
  VALUE model = gv::object_Sketchup_active_model;
  call(model, id::startOperationHelper, new_string("restore face"));
  int state = 0;
  VALUE face = protect([&] { return build_face(self); }, &state);
  if (state != 0) {
    VALUE pending = errinfo();
    clean_up(&state, pending, [&] { return call(model, id::abort_operation); });
    RB_GC_GUARD(pending);
    rb_jump_tag(state);
  }
  if (NIL_P(face)) {
    call(model, id::abort_operation);
    return Qnil;
  }
  call(model, id::commit_operation);
  return face;
}

}  // namespace snapshot
}  // namespace qor

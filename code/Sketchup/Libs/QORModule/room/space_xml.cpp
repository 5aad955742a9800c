#include "space_xml.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../roomface/export_text.hpp"
#include "../roomface/face_xml.hpp"

// The Space element of a room: its name, the settings stored for it in the
// model, its storey, and its faces split into an inner and an outer shell.
// The faces write themselves (getFaceElement).

namespace qor {
namespace room {

using roomface::append_escaped;
using roomface::append_markup;
using roomface::append_value;

namespace {

const char kDefaultConstructionSet[] = "Building - (Default)";

bool thin_walls() { return gv::thinWalls == INT2FIX(1); }

// The setting stored for the room in the model, nil when none: the
// "Rooms" entry under the room key followed by the suffix.
VALUE setting(VALUE self, const char* suffix) {
  VALUE key = rb_str_dup(string_ivar(self, iv::Room::roomKey));
  rb_str_cat_cstr(key, suffix);
  return call(gv::object_Sketchup_active_model, id::get_attribute, str::Rooms, key);
}

// A setting that is left out of the element when stored as one of these.
bool stored_as(VALUE value, const char* a, const char* b = nullptr) {
  return NIL_P(value) || text_is(value, a) || (b && text_is(value, b));
}

// Attributes are written " name=\"value\" ", so neighbours are two blanks
// apart.
void append_attribute(VALUE out, const char* name, VALUE value) {
  append_markup(out, " ");
  append_markup(out, name);
  append_markup(out, "=\"");
  append_escaped(out, value);
  append_markup(out, "\" ");
}

void append_header(VALUE self, VALUE out, VALUE space_id) {
  append_markup(out, "<Space id=\"");
  append_value(out, space_id);
  append_markup(out, "\" name=\"");
  append_escaped(out, call(answering_ivar(self, iv::Room::text, id::text), id::text));
  append_markup(out, "\" ");

  VALUE construction = setting(self, " constructionOption");
  if (stored_as(construction, "")) construction = new_string(kDefaultConstructionSet);
  append_attribute(out, "TAConstructionSetId", construction);
  VALUE type = setting(self, " type");
  if (!stored_as(type, "-1", "0")) append_attribute(out, "spaceType", type);
  VALUE service = setting(self, " service");
  if (!stored_as(service, "0")) append_attribute(out, "service", service);
  append_markup(out, ">");
}

void append_face(VALUE out, VALUE roomFace) {
  VALUE element = call(roomFace, id::getFaceElement);
  rb_str_append(out, StringValue(element));
}

// A room's own face as the room sees it: neither built by the export nor
// covered (a pane, or all door).
bool own_visible_face(VALUE roomFace) {
  return !is_true(ivar(roomFace, iv::RoomFace::internallyConstructed)) &&
         !is_true(ivar(roomFace, iv::RoomFace::blind));
}

void append_own_faces(VALUE self, VALUE out) {
  VALUE roomFaces = array_ivar(self, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE roomFace = at(roomFaces, i);
    if (own_visible_face(roomFace)) append_face(out, roomFace);
  }
}

// With walls of thickness the outer shell is the faces built on the
// intermediate planes, never the room's own.
void append_outer_shell_faces(VALUE self, VALUE out) {
  VALUE roomFaces = array_ivar(self, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE roomFace = at(roomFaces, i);
    if (is_true(ivar(roomFace, iv::RoomFace::isOpening))) continue;
    VALUE shell = list_ivar(roomFace, iv::RoomFace::outerShellRoomFaces);
    for (long k = 0; k < len(shell); ++k) append_face(out, at(shell, k));
  }
}

}  // namespace

namespace {

// The Space element's text, started in out (an Array [room, id, out]).
VALUE write_space(VALUE args) {
  VALUE self = at(args, 0), space_id = at(args, 1), out = at(args, 2);
  append_header(self, out, space_id);
  append_markup(out, "<Description>Room</Description><Floor>");
  append_escaped(out, string_ivar(self, iv::Room::levelText));
  append_markup(out, "</Floor>");

  append_markup(out, "<InnerShell>");
  if (!thin_walls()) append_own_faces(self, out);
  append_markup(out, "</InnerShell><OuterShell>");
  if (thin_walls())
    append_own_faces(self, out);
  else
    append_outer_shell_faces(self, out);
  append_markup(out, "</OuterShell></Space>");
  return out;
}

}  // namespace

VALUE getSpaceElement(VALUE self, VALUE space_id) {
  VALUE out = roomface::new_export_text();
  return roomface::with_room_openings(self, write_space, array_of(self, space_id, out));
}

}  // namespace room
}  // namespace qor

#include "names.hpp"

namespace qor {

namespace id {
#define QOR_DEFINE_ID(ident, text) ID ident;
QOR_METHOD_NAMES(QOR_DEFINE_ID)
#undef QOR_DEFINE_ID
ID setIntAttr;
ID getIntAttr;
}  // namespace id

namespace iv {
#define QOR_DEFINE_IVAR(ident) ID ident;
namespace Room { QOR_ROOM_FIELDS(QOR_DEFINE_IVAR) QOR_ROOM_STATE(QOR_DEFINE_IVAR) }
namespace RoomFace { QOR_ROOMFACE_FIELDS(QOR_DEFINE_IVAR) QOR_ROOMFACE_STATE(QOR_DEFINE_IVAR) }
namespace FaceDump { QOR_FACEDUMP_FIELDS(QOR_DEFINE_IVAR) }
namespace EdgeDump { QOR_EDGEDUMP_FIELDS(QOR_DEFINE_IVAR) }
namespace Script { QOR_SCRIPT_FIELDS(QOR_DEFINE_IVAR) }
#undef QOR_DEFINE_IVAR
}  // namespace iv

namespace str {
#define QOR_DEFINE_STRING(ident, text) VALUE ident = Qnil;
QOR_CONSTANT_STRINGS(QOR_DEFINE_STRING)
#undef QOR_DEFINE_STRING
VALUE Rooms = Qnil;
}  // namespace str

void register_string_roots() {
#define QOR_REGISTER_STRING(ident, text) rb_gc_register_address(&str::ident);
  QOR_CONSTANT_STRINGS(QOR_REGISTER_STRING)
#undef QOR_REGISTER_STRING
  rb_gc_register_address(&str::Rooms);
}

void init_method_names() {
#define QOR_INTERN_ID(ident, text) id::ident = rb_intern(text);
  QOR_METHOD_NAMES(QOR_INTERN_ID)
#undef QOR_INTERN_ID
}

void init_ivar_names() {
#define QOR_INTERN(ns, ident) iv::ns::ident = rb_intern("@" #ident);
#define QOR_ROOM(ident) QOR_INTERN(Room, ident)
#define QOR_FACE(ident) QOR_INTERN(RoomFace, ident)
#define QOR_DUMP(ident) QOR_INTERN(FaceDump, ident)
#define QOR_EDGE(ident) QOR_INTERN(EdgeDump, ident)
#define QOR_SCRIPT(ident) QOR_INTERN(Script, ident)
  QOR_ROOM_FIELDS(QOR_ROOM) QOR_ROOM_STATE(QOR_ROOM)
  QOR_ROOMFACE_FIELDS(QOR_FACE) QOR_ROOMFACE_STATE(QOR_FACE)
  QOR_FACEDUMP_FIELDS(QOR_DUMP)
  QOR_EDGEDUMP_FIELDS(QOR_EDGE)
  QOR_SCRIPT_FIELDS(QOR_SCRIPT)
#undef QOR_ROOM
#undef QOR_FACE
#undef QOR_DUMP
#undef QOR_EDGE
#undef QOR_SCRIPT
#undef QOR_INTERN
}

void init_script_attr_names() {
  id::setIntAttr = rb_intern("setIntAttr");
  id::getIntAttr = rb_intern("getIntAttr");
}

void init_constant_strings() {
  // Frozen: they are handed to scripts and host methods by reference, and a
  // script that modified one in place would silently rename a dictionary
  // for every later call.
#define QOR_CREATE_STRING(ident, text) str::ident = rb_obj_freeze(rb_str_new_cstr(text));
  QOR_CONSTANT_STRINGS(QOR_CREATE_STRING)
#undef QOR_CREATE_STRING
  str::Rooms = rb_obj_freeze(rb_str_new_cstr("Rooms"));
}

}  // namespace qor

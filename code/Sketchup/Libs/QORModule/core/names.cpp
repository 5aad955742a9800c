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
QOR_IVAR_NAMES(QOR_DEFINE_IVAR)
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
#define QOR_INTERN_IVAR(ident) iv::ident = rb_intern("@" #ident);
  QOR_IVAR_NAMES(QOR_INTERN_IVAR)
#undef QOR_INTERN_IVAR
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

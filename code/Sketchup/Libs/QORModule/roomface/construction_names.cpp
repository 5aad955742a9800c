#include "construction.hpp"

namespace qor {
namespace roomface {

namespace {

// A frozen string kept in a registered root, made on first use.
VALUE constant(VALUE* cell, const char* text) {
  if (*cell == 0) {
    *cell = Qnil;
    rb_gc_register_address(cell);
    *cell = rb_obj_freeze(rb_str_new_cstr(text));
  }
  return *cell;
}

}  // namespace

namespace dict {
#define QOR_DICT_STRING(name, text) \
  VALUE name() {                    \
    static VALUE cell = 0;          \
    return constant(&cell, text);   \
  }
QOR_DICT_STRING(FaceDict2, "FaceDict2")
QOR_DICT_STRING(UseCount, "UseCount")
QOR_DICT_STRING(selectedDictionary, "selectedDictionary")
QOR_DICT_STRING(selected, "selected")
QOR_DICT_STRING(materialDictionary, "materialDictionary")
QOR_DICT_STRING(material, "material")
QOR_DICT_STRING(back_material, "back_material")
QOR_DICT_STRING(found, "found")
QOR_DICT_STRING(RoomFace, "RoomFace")
#undef QOR_DICT_STRING
}  // namespace dict

namespace mid {
// rb_intern gives immortal IDs; each is resolved once.
#define QOR_METHOD_ID(name, text)             \
  ID name() {                                 \
    static const ID id = rb_intern(text);     \
    return id;                                \
  }
QOR_METHOD_ID(findDoors2, "findDoors2")
QOR_METHOD_ID(object_id, "object_id")
QOR_METHOD_ID(add_observer, "add_observer")
QOR_METHOD_ID(initialize, "initialize")
QOR_METHOD_ID(aref, "[]")
#undef QOR_METHOD_ID
}  // namespace mid

}  // namespace roomface
}  // namespace qor

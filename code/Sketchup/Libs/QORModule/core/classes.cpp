#include "classes.hpp"

namespace qor {
namespace cls {
VALUE QORTA = Qnil;
VALUE Room = Qnil;
VALUE RoomFace = Qnil;
VALUE PseudoFace = Qnil;
VALUE PseudoVertex = Qnil;
VALUE PseudoMaterial = Qnil;
VALUE FaceDump = Qnil;
VALUE EdgeDump = Qnil;
VALUE QORTA_SU = Qnil;
VALUE walkedRoomFaces = Qnil;
}  // namespace cls

void register_class_roots() {
  VALUE* cells[] = {&cls::QORTA,        &cls::Room,           &cls::RoomFace,
                    &cls::PseudoFace,   &cls::PseudoVertex,   &cls::PseudoMaterial,
                    &cls::FaceDump,     &cls::EdgeDump,       &cls::QORTA_SU,
                    &cls::walkedRoomFaces};
  for (VALUE* cell : cells) rb_gc_register_address(cell);
}

}  // namespace qor

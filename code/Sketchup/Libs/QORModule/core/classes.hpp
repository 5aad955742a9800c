// The module and classes the extension defines, kept for the process's life.
#pragma once

#include <ruby.h>

namespace qor {
namespace cls {
extern VALUE QORTA;
extern VALUE Room;
extern VALUE RoomFace;
extern VALUE PseudoFace;
extern VALUE PseudoVertex;
extern VALUE PseudoMaterial;
extern VALUE FaceDump;
extern VALUE EdgeDump;
extern VALUE QORTA_SU;
// Working reference: the room-face array being walked across nested calls.
extern VALUE walkedRoomFaces;
}  // namespace cls

void register_class_roots();

}  // namespace qor

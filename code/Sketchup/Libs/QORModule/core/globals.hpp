// The Ruby globals bound to the extension's storage.  A script's
// `$x = v` writes the cell; the extension reads it at once, and what the
// extension writes is what scripts read.
#pragma once

#include <ruby.h>

// In definition order.  $inMenu and $inMenuGuard come last, separately.
#define QOR_GLOBALS(X)                                                               \
  X(externalClass) X(class_RoomFace) X(class_Opening)                               \
  X(object_Sketchup_active_model_entities) X(object_Sketchup_active_model_materials) \
  X(class_Sketchup_Model) X(object_Sketchup_active_model) X(cMethods)               \
  X(vHETARadians) X(module_Sketchup) X(class_Sketchup_Vertex)                       \
  X(class_Sketchup_Face) X(module_Geom) X(class_Geom_Vector3d)                      \
  X(class_Geom_Point3d) X(qorSubclassMsg) X(hwndSketchup) X(changed) X(thinWalls)   \
  X(newFloors) X(modelFaces2) X(modelDoors) X(innerLoopFacesHash2)                  \
  X(class_MyEntityObserver) X(class_ProgressBar2) X(maxWallThickness)               \
  X(roomLabelsGroupEntities) X(topmostFaces2Log) X(topmostFacesLog)

namespace qor {
namespace gv {
#define QOR_DECLARE_GLOBAL(name) extern VALUE name;
QOR_GLOBALS(QOR_DECLARE_GLOBAL)
QOR_DECLARE_GLOBAL(inMenu)
QOR_DECLARE_GLOBAL(inMenuGuard)
#undef QOR_DECLARE_GLOBAL
}  // namespace gv

// Registers every cell as a collector root (before any value is stored).
void register_global_roots();
// Defines $externalClass .. $topmostFacesLog.  The cells already hold their
// initial values.
void define_globals();
// Defines $inMenu, then $inMenuGuard.
void define_menu_globals();

}  // namespace qor

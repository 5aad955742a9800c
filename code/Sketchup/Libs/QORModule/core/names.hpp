// Interned method and instance-variable names, and the shared constant
// strings.  Everything here is created once, at load, by init_names().
#pragma once

#include <ruby.h>

#include "fields.hpp"
#include "version.hpp"

// Method names called on the common paths, in load order.
#define QOR_METHOD_NAMES(X)                                                         \
  X(qORTA_isEqualtoPlane, "qORTA_isEqualtoPlane") X(soft_p, "soft?")                \
  X(visible_p, "visible?") X(smooth_p, "smooth?") X(soft_set, "soft=")              \
  X(visible_set, "visible=") X(smooth_set, "smooth=")                               \
  X(project_to_plane, "project_to_plane") X(project_to_line, "project_to_line")     \
  X(distance_to_plane, "distance_to_plane") X(distance, "distance")                 \
  X(linear_combination, "linear_combination")                                       \
  X(point_in_polygon_3D, "point_in_polygon_3D")                                     \
  X(point_in_polygon_2D, "point_in_polygon_2D") X(on_line_p, "on_line?")            \
  X(polygon, "polygon") X(centroid, "centroid") X(to_f, "to_f") X(to_s, "to_s")     \
  X(to_a, "to_a") X(to_m, "to_m") X(include_p, "include?") X(dot, "dot")            \
  X(cross, "cross") X(plus, "+") X(minus, "-") X(eq, "==") X(amp, "&")              \
  X(intersect_line_plane, "intersect_line_plane")                                   \
  X(intersect_line_line, "intersect_line_line")                                     \
  X(intersect_plane_plane, "intersect_plane_plane") X(normalize, "normalize")       \
  X(normal, "normal") X(length, "length") X(vector_to, "vector_to")                 \
  X(angle_between, "angle_between") X(plane, "plane") X(edges, "edges")             \
  X(deleted_p, "deleted?") X(faces, "faces") X(start, "start") X(end, "end")        \
  X(vertices, "vertices") X(uniq, "uniq") X(outer_loop, "outer_loop")               \
  X(loops, "loops") X(position, "position") X(x, "x") X(y, "y") X(z, "z")           \
  X(new_, "new") X(findAdjFaces, "findAdjFaces") X(area, "area")                    \
  X(get_attribute, "get_attribute") X(set_attribute, "set_attribute")               \
  X(material, "material") X(back_material_set, "back_material=")                    \
  X(material_set, "material=") X(attribute_dictionaries, "attribute_dictionaries")  \
  X(attribute_dictionary, "attribute_dictionary") X(name, "name")                   \
  X(startOperationHelper, "startOperationHelper")                                   \
  X(commit_operation, "commit_operation") X(abort_operation, "abort_operation")     \
  X(add_face, "add_face") X(add_edges, "add_edges") X(reverse_bang, "reverse!")     \
  X(reverse, "reverse")                                                             \
  X(klass, "class") X(gsub, "gsub") X(setValue, "setValue")                         \
  X(back_material, "back_material") X(alpha, "alpha") X(alpha_set, "alpha=")        \
  X(getIntermediatePlane, "getIntermediatePlane") X(instance_of_p, "instance_of?")  \
  X(project, "project") X(findDoors2, "findDoors2") X(object_id, "object_id")         \
  X(add_observer, "add_observer") X(initialize, "initialize") X(aref, "[]") \
  X(internalPoint, "internalPoint") \
  X(min_, "min") \
  X(max_, "max") \
  X(bounds, "bounds") \
  X(line, "line") \
  X(text, "text") \
  X(getFaceElement, "getFaceElement") \
  X(valid_p, "valid?") \
  X(isBlindOpening_p, "isBlindOpening?") \
  X(countSelect, "countSelect") \
  X(qor_select_counted, "qor_select_counted") \
  X(addRoomTextHelper2, "addRoomTextHelper2") \
  X(to_str, "to_str") \
  X(compare_by_identity, QOR_COMPARE_BY_IDENTITY) \
  X(instance_method, "instance_method") \
  X(owner, "owner") \
  X(sort_bang, "sort!") \
  X(each, "each") \
  X(orderFacesRoundNormal, "orderFacesRoundNormal") \
  X(topmostFaces, "topmostFaces") \
  X(showTopFaces, "showTopFaces") \
  X(qor_doors_by_corner, "qor_doors_by_corner") \
  X(qor_first_places, "qor_first_places") \
  X(message, "message") \
  X(write, "write") \
  X(raise, "raise") \
  X(throw_, "throw") \
  X(UncaughtThrowError, "UncaughtThrowError") \
  X(tag, "tag") \
  X(value, "value") \
  X(kill, "kill") \
  X(makePluginFacesDictionary, "makePluginFacesDictionary") \
  X(callFromSubclassWnd, "callFromSubclassWnd") \
  X(plainRoad_ivar, "@plainRoad")

// Shared constant strings, frozen: attribute dictionary names and keys, and
// the texts the extension compares against or writes.
#define QOR_CONSTANT_STRINGS(X)                                                     \
  X(FaceDict, "FaceDict") X(GroupDict, "GroupDict")                                 \
  X(RoomFaceCount, "RoomFaceCount") X(FaceType, "FaceType")                         \
  X(TrueDoor, "TrueDoor") X(IsPartOfDoor, "IsPartOfDoor")                           \
  X(IsPartOfDoorFrame, "IsPartOfDoorFrame") X(OwnerGroup, "OwnerGroup") X(Id, "Id") \
  X(ObjectId, "ObjectId") X(ZOffset, "ZOffset") X(Floor, "Floor") X(Slab, "Slab")   \
  X(Partition, "Partition") X(Door, "Door") X(Window, "Window")                      \
  X(window, "window") X(Air, "Air") X(FaceDict2, "FaceDict2")                      \
  X(UseCount, "UseCount") X(RoomFace, "RoomFace") X(found, "found")                  \
  X(selectedDictionary, "selectedDictionary") X(selected, "selected")               \
  X(materialDictionary, "materialDictionary") X(material, "material")               \
  X(back_material, "back_material")

namespace qor {

namespace id {
#define QOR_DECLARE_ID(ident, text) extern ID ident;
QOR_METHOD_NAMES(QOR_DECLARE_ID)
#undef QOR_DECLARE_ID
// Resolved right after QORTA_SU is defined.
extern ID setIntAttr;
extern ID getIntAttr;
}  // namespace id

// "@name" of every field, one namespace per class (see fields.hpp).
namespace iv {
#define QOR_DECLARE_IVAR(ident) extern ID ident;
namespace Room { QOR_ROOM_FIELDS(QOR_DECLARE_IVAR) QOR_ROOM_STATE(QOR_DECLARE_IVAR) }
namespace RoomFace { QOR_ROOMFACE_FIELDS(QOR_DECLARE_IVAR) QOR_ROOMFACE_STATE(QOR_DECLARE_IVAR) }
namespace FaceDump { QOR_FACEDUMP_FIELDS(QOR_DECLARE_IVAR) }
namespace EdgeDump { QOR_EDGEDUMP_FIELDS(QOR_DECLARE_IVAR) }
namespace Script { QOR_SCRIPT_FIELDS(QOR_DECLARE_IVAR) }
#undef QOR_DECLARE_IVAR
}  // namespace iv

namespace str {
#define QOR_DECLARE_STRING(ident, text) extern VALUE ident;
QOR_CONSTANT_STRINGS(QOR_DECLARE_STRING)
#undef QOR_DECLARE_STRING
// Working reference: the model dictionary name "Rooms".
extern VALUE Rooms;
}  // namespace str

// Registers the constant strings' cells as collector roots.
void register_string_roots();
// Interns the method names, in load order, and the instance variables.
void init_method_names();
void init_ivar_names();
// Resolves setIntAttr and getIntAttr.
void init_script_attr_names();
// Creates the shared constant strings.
void init_constant_strings();

}  // namespace qor

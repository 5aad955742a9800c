// The extension's entry: builds the whole Ruby surface, in a fixed order.
// The registrar sits above every subsystem: it is the one file that knows
// them all.  core/ knows none of them.
#include "core/classes.hpp"
#include "core/fields.hpp"
#include "core/globals.hpp"
#include "core/names.hpp"
#include "core/ruby.hpp"
#include "core/version.hpp"

#include "geometry/face_ordering.hpp"
#include "geometry/face_reads.hpp"
#include "geometry/hull.hpp"
#include "geometry/polygon_intersection.hpp"
#include "geometry/primitives.hpp"
#include "geometry/vertex_only_planes.hpp"
#include "hook/window_hook.hpp"
#include "room/floors.hpp"
#include "room/radii.hpp"
#include "room/room.hpp"
#include "room/space_xml.hpp"
#include "roomface/face_xml.hpp"
#include "roomface/intermediate_planes.hpp"
#include "roomface/outer_shell.hpp"
#include "roomface/projection.hpp"
#include "roomface/roomface.hpp"
#include "snapshot/edge_dump.hpp"
#include "snapshot/face_dump.hpp"
#include "snapshot/xml_escape.hpp"

#ifndef QOR_ENTRY
#error "QOR_ENTRY must name the entry function (Init_ + the library's base name)"
#endif

namespace qor {
namespace {

struct Function {
  const char* name;
  VALUE (*fn)(ANYARGS);
  int arity;
};

#define QOR_FN(name, fn, arity) {name, RUBY_METHOD_FUNC(fn), arity}
#define QOR_FIELD_NAME(name) #name,

const Function kModuleFunctions[] = {
    QOR_FN("convexHull", geometry::convexHull, 1),
    QOR_FN("convexHull2", geometry::convexHull2, 1),
    QOR_FN("orderVerticesRoundMinPoint", geometry::orderVerticesRoundMinPoint, 3),
    QOR_FN("setRoomsFacesOuterShellType", roomface::setRoomsFacesOuterShellType, 2),
    QOR_FN("orderFacesRoundNormal", geometry::orderFacesRoundNormal, 3),
    QOR_FN("getIntersectionPointsOfPolygons", geometry::getIntersectionPointsOfPolygons, 2),
    QOR_FN("getRoomsRadii", room::getRoomsRadii, 1),
    QOR_FN("intersection", geometry::intersection, 3),
    QOR_FN("topmostFaces", geometry::topmostFaces, 3),
    QOR_FN("findMissingFace", geometry::findMissingFace, 2),
    QOR_FN("setRoomsIntermediatePlanes", roomface::setRoomsIntermediatePlanes, 1),
    QOR_FN("findIPlanesByVertexOnly", geometry::findIPlanesByVertexOnly, 5),
    QOR_FN("unesc", snapshot::unesc, 1),
    QOR_FN("subclass", hook::subclass, 0),
    QOR_FN("unsubclass", hook::unsubclass, 0),
};

const char* const kRoomAccessors[] = {QOR_ROOM_FIELDS(QOR_FIELD_NAME)};

const Function kRoomMethods[] = {
    QOR_FN("initialize", room::initialize, 4),
    QOR_FN("setText", room::setText, 1),
    QOR_FN("to_s", room::to_s, 0),
    QOR_FN("getSpaceElement", room::getSpaceElement, 1),
    QOR_FN("surfaceType", room::surfaceType, 2),
    QOR_FN("select", room::select, 1),
    QOR_FN("makeFloors", room::makeFloors, 3),
};

const char* const kRoomFaceAccessors[] = {QOR_ROOMFACE_FIELDS(QOR_FIELD_NAME)};

const Function kRoomFaceMethods[] = {
    QOR_FN("initialize", roomface::initialize, 3),
    QOR_FN("countSelect", roomface::countSelect, 1),
    QOR_FN("getFaceElement", roomface::getFaceElement, 0),
    QOR_FN("getIntermediatePlane", roomface::getIntermediatePlane, 1),
    QOR_FN("setOuterShellType", roomface::setOuterShellType, 1),
    QOR_FN("getOuterShellFace", roomface::getOuterShellFace, 1),
    QOR_FN("project", roomface::project, 1),
};

const char* const kFaceDumpAccessors[] = {QOR_FACEDUMP_FIELDS(QOR_FIELD_NAME)};

const Function kFaceDumpMethods[] = {
    QOR_FN("initialize", snapshot::faceDumpInitialize, 1),
    QOR_FN("restore", snapshot::faceDumpRestore, 0),
    QOR_FN("toXML", snapshot::faceDumpToXML, 0),
};

const char* const kEdgeDumpAccessors[] = {QOR_EDGEDUMP_FIELDS(QOR_FIELD_NAME)};

const Function kEdgeDumpMethods[] = {
    QOR_FN("initialize", snapshot::edgeDumpInitialize, 1),
    QOR_FN("restore", snapshot::edgeDumpRestore, 0),
};

#undef QOR_FN
#undef QOR_FIELD_NAME

template <size_t N>
void define_accessors(VALUE klass, const char* const (&names)[N]) {
  for (const char* name : names) rb_define_attr(klass, name, 1, 1);
}

template <size_t N>
void define_methods(VALUE klass, const Function (&methods)[N]) {
  for (const Function& m : methods) QOR_DEFINE_METHOD(klass, m.name, m.fn, m.arity);
}

}  // namespace
}  // namespace qor

extern "C" QOR_EXPORT void QOR_ENTRY(void) {
  using namespace qor;

  // Every cell the extension keeps is a collector root before anything is
  // stored in it, so nothing created below can be collected mid-load.
  register_global_roots();
  register_class_roots();
  register_string_roots();

  // Marks the extension as loaded for the scripts.
  gv::externalClass = rb_str_new_cstr("test");
  // The module, and the room class the module functions work on.
  cls::QORTA = rb_define_module("QORTA");
  cls::Room = rb_define_class_under(cls::QORTA, "QORTA_Room", rb_cObject);
  // Module functions (also private instance methods of QORTA).
  for (const Function& f : kModuleFunctions)
    QOR_DEFINE_MODULE_FUNCTION(cls::QORTA, f.name, f.fn, f.arity);
  // The private window message and the host's main window, captured once.
  gv::qorSubclassMsg = UINT2NUM(hook::capture_message());
  gv::hwndSketchup = signed_word_to_num(static_cast<intptr_t>(hook::capture_host_window()));
  // The globals the scripts fill ($externalClass .. $topmostFacesLog).
  define_globals();
  // QORTA_Room's fields and methods.
  define_accessors(cls::Room, kRoomAccessors);
  define_methods(cls::Room, kRoomMethods);
  // Room faces, the pseudo classes the scripts complete, and QORTA_SU.
  cls::RoomFace = rb_define_class_under(cls::QORTA, "QORTA_RoomFace", rb_cObject);
  cls::PseudoFace = rb_define_class_under(cls::QORTA, "QORTA_PseudoFace", rb_cObject);
  cls::PseudoVertex = rb_define_class_under(cls::QORTA, "QORTA_PseudoVertex", rb_cObject);
  cls::PseudoMaterial = rb_define_class_under(cls::QORTA, "QORTA_PseudoMaterial", rb_cObject);
  cls::QORTA_SU = rb_define_module("QORTA_SU");
  init_script_attr_names();
  // QORTA_RoomFace's fields and methods.
  define_accessors(cls::RoomFace, kRoomFaceAccessors);
  define_methods(cls::RoomFace, kRoomFaceMethods);
  // The plug-in's outer-shell stage reads the model once through it.
  rb_define_singleton_method(cls::RoomFace, "withFaceReads", RUBY_METHOD_FUNC(geometry::withFaceReads), 0);
  // Additions to the interpreter's Array and the host's Geom.
  rb_define_method(rb_cArray, "qORTA_isEqualtoPlane", RUBY_METHOD_FUNC(geometry::isEqualtoPlane),
                   1);
  VALUE geom = rb_define_module("Geom");  // reopens the host's module
  rb_define_module_function(geom, "point_in_polygon_3D",
                            RUBY_METHOD_FUNC(geometry::pointInPolygon3D), 3);
  // Face and edge snapshots.
  cls::FaceDump = rb_define_class_under(cls::QORTA, "QORTA_FaceDump", rb_cObject);
  define_accessors(cls::FaceDump, kFaceDumpAccessors);
  define_methods(cls::FaceDump, kFaceDumpMethods);
  cls::EdgeDump = rb_define_class_under(cls::QORTA, "QORTA_EdgeDump", rb_cObject);
  define_accessors(cls::EdgeDump, kEdgeDumpAccessors);
  define_methods(cls::EdgeDump, kEdgeDumpMethods);
  // Interned names: methods in load order, then every class's "@fields".
  init_method_names();
  init_ivar_names();
  // Shared constant strings.
  init_constant_strings();
  // $inMenu and $inMenuGuard, last.
  define_menu_globals();
}

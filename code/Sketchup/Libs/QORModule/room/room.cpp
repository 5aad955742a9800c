#include "room.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/primitives.hpp"
#include "../geometry/road.hpp"
#include "surface_type.hpp"
#include "window_frames.hpp"
#include "../roomface/fields.hpp"

namespace qor {
namespace room {

namespace {

const double kSquareInchToCm2 = 6.4516;
const double kInchToCm = 2.54;
const double kLevelStart = 50000.0;

ID id_valid_p() {
  return id::valid_p;
}

// A candidate face the room takes: a valid model face.
bool accepted(VALUE face) {
  if (NIL_P(face)) return false;
  return truthy(call(face, id::instance_of_p, gv::class_Sketchup_Face)) &&
         is_true(call(face, id_valid_p()));
}

// The glazed area of one room face, square inches: its own, plus the doors
// and windows its door objects count for.
double glazed_area(VALUE roomFace) {
  double g = number_ivar(roomFace, iv::RoomFace::glazedArea);
  VALUE face = answering_ivar(roomFace, iv::RoomFace::face, id_valid_p());
  if (!is_true(call(face, id_valid_p()))) return g;
  if (is_true(ivar(roomFace, iv::RoomFace::isWindowFrame)) || is_true(ivar(roomFace, iv::RoomFace::isDoorFrame)) ||
      is_true(ivar(roomFace, iv::RoomFace::isOpening)))
    return g;
  if (NIL_P(ivar(roomFace, iv::RoomFace::doors))) return g;
  VALUE doors = call(array_ivar(roomFace, iv::RoomFace::doors), id::minus,
                     list_ivar(roomFace, iv::RoomFace::doorFrames));

  const bool external = is_true(ivar(roomFace, iv::RoomFace::isExternal));
  for (long i = 0; i < len(doors); ++i) {
    VALUE door = at(doors, i);
    const bool hole = is_true(ivar(door, iv::Script::isHole));
    const bool counts = text_is(ivar(door, iv::Script::type), str::Window) ? (!hole || external)
                                                                    : (hole && external);
    if (counts) g += num(ivar(door, iv::Script::area));
  }
  return g;
}

// The sums of construction's typing loop.
struct Totals {
  double floorArea = 0.0, wallArea = 0.0, glazedArea = 0.0;
  double greatestSpan = 0.0, leastHeight = kLevelStart;
};

// Types every room face, in order, and totals its areas and heights.
void type_faces(VALUE room, VALUE roomFaces, VALUE claimFloor, RoomCrossings* crossings, Totals* totals) {
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE roomFace = at(roomFaces, i);
    set_ivar(roomFace, iv::RoomFace::type, roomface::surface_text(roomface::Surface::Wall));
    surface_type(room, roomFace, claimFloor, crossings);

    const double a = num(call(answering_ivar(roomFace, iv::RoomFace::face, id::area), id::area)) * kSquareInchToCm2;
    const double g = glazed_area(roomFace);
    VALUE type = ivar(roomFace, iv::RoomFace::type);
    if (roomface::is_surface(type, roomface::Surface::Floor)) totals->floorArea += a;
    if (roomface::is_surface(type, roomface::Surface::Wall)) totals->wallArea += a;
    totals->glazedArea += g * kSquareInchToCm2;

    const double span = number_ivar(roomFace, iv::RoomFace::spanZ);
    const double height = number_ivar(roomFace, iv::RoomFace::height);
    if (span > totals->greatestSpan) totals->greatestSpan = span;
    if (height < totals->leastHeight) totals->leastHeight = height;
  }
}

// The same, with every face's plane and outline bounds read once and the
// rays asking only about faces they can pass through.  The index's memory
// is released before an exception from the host goes on.
void type_faces_indexed(geometry::Road road, VALUE room, VALUE roomFaces, VALUE claimFloor, Totals* totals) {
  with_native<RoomCrossings>([&](RoomCrossings& crossings) -> VALUE {
    crossings.reads = road.export_reads();
    read_room_crossings(roomFaces, &crossings);
    type_faces(room, roomFaces, claimFloor, &crossings, totals);
    return Qnil;
  });
}

}  // namespace

VALUE initialize(VALUE self, VALUE edifice, VALUE number, VALUE faces, VALUE claimFloor) {
  expect_array_arg(faces, "faces");

  set_ivar(self, iv::Room::edifice, edifice);
  set_ivar(self, iv::Room::number, number);
  set_ivar(self, iv::Room::roomFaces, new_array(8));
  set_ivar(self, iv::Room::selected, Qfalse);
  set_ivar(self, iv::Room::totalFaceArea, Qfalse);
  set_ivar(self, iv::Room::sketchupFaces, new_array(8));
  set_ivar(self, iv::Room::exteriorOuterShell, Qfalse);
  set_ivar(self, iv::Room::roomKey, new_string(""));

  VALUE accepted_faces = new_array(len(faces));
  for (long i = 0; i < len(faces); ++i) {
    VALUE face = at(faces, i);
    if (!accepted(face)) continue;
    push(accepted_faces, face);
    call(face, id::set_attribute, str::FaceDict, str::found, Qfalse);
  }

  for (long n = 0; n < len(accepted_faces); ++n) {
    VALUE face = at(accepted_faces, n);
    push(array_ivar(self, iv::Room::sketchupFaces), face);
    VALUE roomFace = call(cls::RoomFace, id::new_, self, face, LONG2NUM(n + 1));
    if (is_true(call(gv::cMethods, id::isBlindOpening_p, face)))
      set_ivar(roomFace, iv::RoomFace::isBlind, Qtrue);
    push(array_ivar(self, iv::Room::roomFaces), roomFace);
    call(face, id::set_attribute, str::FaceDict2, str::RoomFace, roomFace);
  }

  VALUE last = len(faces) > 0 ? at(faces, len(faces) - 1) : Qnil;
  set_ivar(self, iv::Room::ownerGroup, call(cls::QORTA_SU, id::getIntAttr, last, str::OwnerGroup, str::Id));

  set_ivar(self, iv::Room::totalFloorArea, flo(0.0));
  set_ivar(self, iv::Room::totalGlazedArea, flo(0.0));
  set_ivar(self, iv::Room::totalWallArea, flo(0.0));
  set_ivar(self, iv::Room::maximumHeight, flo(0.0));

  const geometry::Road road = geometry::Road::chosen();
  VALUE roomFaces = array_ivar(self, iv::Room::roomFaces);
  Totals totals;
  if (road.indexed())
    type_faces_indexed(road, self, roomFaces, claimFloor, &totals);
  else
    type_faces(self, roomFaces, claimFloor, nullptr, &totals);
  set_ivar(self, iv::Room::totalFloorArea, flo(totals.floorArea));
  set_ivar(self, iv::Room::totalWallArea, flo(totals.wallArea));
  set_ivar(self, iv::Room::totalGlazedArea, flo(totals.glazedArea));
  set_ivar(self, iv::Room::level, flo(totals.leastHeight));
  set_ivar(self, iv::Room::maximumHeight, flo(totals.greatestSpan * kInchToCm));

  mark_window_frames(roomFaces, road);
  return self;
}

VALUE surfaceType(VALUE self, VALUE roomFace, VALUE claimFloor) {
  return surface_type(self, roomFace, claimFloor);
}

}  // namespace room
}  // namespace qor

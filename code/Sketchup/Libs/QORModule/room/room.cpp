#include "room.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/primitives.hpp"
#include "surface_type.hpp"
#include "../roomface/fields.hpp"

namespace qor {
namespace room {

namespace {

const double kSquareInchToCm2 = 6.4516;
const double kInchToCm = 2.54;
const double kLevelStart = 50000.0;

ID id_valid_p() {
  static const ID id = rb_intern("valid?");
  return id;
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
  double g = num(ivar(roomFace, iv::RoomFace::glazedArea));
  VALUE face = ivar(roomFace, iv::RoomFace::face);
  if (!is_true(call(face, id_valid_p()))) return g;
  if (is_true(ivar(roomFace, iv::RoomFace::isWindowFrame)) || is_true(ivar(roomFace, iv::RoomFace::isDoorFrame)) ||
      is_true(ivar(roomFace, iv::RoomFace::isOpening)))
    return g;
  VALUE doors = ivar(roomFace, iv::RoomFace::doors);
  if (NIL_P(doors)) return g;
  VALUE frames = ivar(roomFace, iv::RoomFace::doorFrames);
  if (!NIL_P(frames)) doors = call(doors, id::minus, frames);

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

// A face whose whole outer boundary is one loop of another room face, and
// which has a hole of its own, frames a window; so does a face another room
// face lists among its window frames.
void mark_window_frames(VALUE roomFaces) {
  for (long r = 0; r < len(roomFaces); ++r) {
    VALUE R = at(roomFaces, r);
    set_ivar(R, iv::RoomFace::isWindowFrame, Qfalse);
    VALUE face = ivar(R, iv::RoomFace::face);
    VALUE outer_edges = call(call(face, id::outer_loop), id::edges);
    const bool has_hole = len(call(face, id::loops)) > 1;

    for (long s = 0; s < len(roomFaces); ++s) {
      VALUE S = at(roomFaces, s);
      if (S == R) continue;
      VALUE loops = call(ivar(S, iv::RoomFace::face), id::loops);
      for (long l = 0; l < len(loops); ++l) {
        VALUE common = call(call(at(loops, l), id::edges), id::amp, outer_edges);
        if (len(common) == len(outer_edges) && has_hole) {
          set_ivar(R, iv::RoomFace::isWindowFrame, Qtrue);
          break;
        }
      }
      VALUE frames = ivar(S, iv::RoomFace::windowFrames);
      if (!NIL_P(frames) && truthy(call(frames, id::include_p, face)))
        set_ivar(R, iv::RoomFace::isWindowFrame, Qtrue);
    }
  }
}

}  // namespace

VALUE initialize(VALUE self, VALUE edifice, VALUE number, VALUE faces, VALUE claimFloor) {
  static const ID id_isBlindOpening = rb_intern("isBlindOpening?");
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
    if (is_true(call(gv::cMethods, id_isBlindOpening, face)))
      set_ivar(roomFace, iv::RoomFace::isBlind, Qtrue);
    push(array_ivar(self, iv::Room::roomFaces), roomFace);
    call(face, id::set_attribute, str::FaceDict2, str::RoomFace, roomFace);
  }

  VALUE last = len(faces) > 0 ? at(faces, len(faces) - 1) : Qnil;
  set_ivar(self, iv::Room::ownerGroup, call(cls::QORTA_SU, id::getIntAttr, last, str::OwnerGroup, str::Id));

  double floorArea = 0.0, wallArea = 0.0, glazedArea = 0.0;
  double greatestSpan = 0.0, leastHeight = kLevelStart;
  set_ivar(self, iv::Room::totalFloorArea, flo(0.0));
  set_ivar(self, iv::Room::totalGlazedArea, flo(0.0));
  set_ivar(self, iv::Room::totalWallArea, flo(0.0));
  set_ivar(self, iv::Room::maximumHeight, flo(0.0));

  VALUE roomFaces = array_ivar(self, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE roomFace = at(roomFaces, i);
    set_ivar(roomFace, iv::RoomFace::type, roomface::surface_text(roomface::Surface::Wall));
    surface_type(self, roomFace, claimFloor);

    const double a = num(call(ivar(roomFace, iv::RoomFace::face), id::area)) * kSquareInchToCm2;
    const double g = glazed_area(roomFace);
    VALUE type = ivar(roomFace, iv::RoomFace::type);
    if (roomface::is_surface(type, roomface::Surface::Floor)) floorArea += a;
    if (roomface::is_surface(type, roomface::Surface::Wall)) wallArea += a;
    glazedArea += g * kSquareInchToCm2;

    const double span = num(ivar(roomFace, iv::RoomFace::spanZ));
    const double height = num(ivar(roomFace, iv::RoomFace::height));
    if (span > greatestSpan) greatestSpan = span;
    if (height < leastHeight) leastHeight = height;
  }
  set_ivar(self, iv::Room::totalFloorArea, flo(floorArea));
  set_ivar(self, iv::Room::totalWallArea, flo(wallArea));
  set_ivar(self, iv::Room::totalGlazedArea, flo(glazedArea));
  set_ivar(self, iv::Room::level, flo(leastHeight));
  set_ivar(self, iv::Room::maximumHeight, flo(greatestSpan * kInchToCm));

  mark_window_frames(roomFaces);
  return self;
}

VALUE surfaceType(VALUE self, VALUE roomFace, VALUE claimFloor) {
  return surface_type(self, roomFace, claimFloor);
}

}  // namespace room
}  // namespace qor

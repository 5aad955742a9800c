#include "room.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/primitives.hpp"
#include "surface_type.hpp"

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
  double g = num(ivar(roomFace, iv::glazedArea));
  VALUE face = ivar(roomFace, iv::face);
  if (!is_true(call(face, id_valid_p()))) return g;
  if (is_true(ivar(roomFace, iv::isWindowFrame)) || is_true(ivar(roomFace, iv::isDoorFrame)) ||
      is_true(ivar(roomFace, iv::isOpening)))
    return g;
  VALUE doors = ivar(roomFace, iv::doors);
  if (NIL_P(doors)) return g;
  VALUE frames = ivar(roomFace, iv::doorFrames);
  if (!NIL_P(frames)) doors = call(doors, id::minus, frames);

  const bool external = is_true(ivar(roomFace, iv::isExternal));
  for (long i = 0; i < len(doors); ++i) {
    VALUE door = at(doors, i);
    const bool hole = is_true(ivar(door, iv::isHole));
    const bool counts = text_is(ivar(door, iv::type), str::Window) ? (!hole || external)
                                                                    : (hole && external);
    if (counts) g += num(ivar(door, iv::area));
  }
  return g;
}

// A face whose whole outer boundary is one loop of another room face, and
// which has a hole of its own, frames a window; so does a face another room
// face lists among its window frames.
void mark_window_frames(VALUE roomFaces) {
  for (long r = 0; r < len(roomFaces); ++r) {
    VALUE R = at(roomFaces, r);
    set_ivar(R, iv::isWindowFrame, Qfalse);
    VALUE face = ivar(R, iv::face);
    VALUE outer_edges = call(call(face, id::outer_loop), id::edges);
    const bool has_hole = len(call(face, id::loops)) > 1;

    for (long s = 0; s < len(roomFaces); ++s) {
      VALUE S = at(roomFaces, s);
      if (S == R) continue;
      VALUE loops = call(ivar(S, iv::face), id::loops);
      for (long l = 0; l < len(loops); ++l) {
        VALUE common = call(call(at(loops, l), id::edges), id::amp, outer_edges);
        if (len(common) == len(outer_edges) && has_hole) {
          set_ivar(R, iv::isWindowFrame, Qtrue);
          break;
        }
      }
      VALUE frames = ivar(S, iv::windowFrames);
      if (!NIL_P(frames) && truthy(call(frames, id::include_p, face)))
        set_ivar(R, iv::isWindowFrame, Qtrue);
    }
  }
}

}  // namespace

VALUE initialize(VALUE self, VALUE edifice, VALUE number, VALUE faces, VALUE claimFloor) {
  static const ID id_isBlindOpening = rb_intern("isBlindOpening?");
  expect_array_arg(faces, "faces");

  set_ivar(self, iv::edifice, edifice);
  set_ivar(self, iv::number, number);
  set_ivar(self, iv::roomFaces, new_array(8));
  set_ivar(self, iv::selected, Qfalse);
  set_ivar(self, iv::totalFaceArea, Qfalse);
  set_ivar(self, iv::sketchupFaces, new_array(8));
  set_ivar(self, iv::exteriorOuterShell, Qfalse);
  set_ivar(self, iv::roomKey, new_string(""));

  VALUE found = new_string("found");
  VALUE accepted_faces = new_array(len(faces));
  for (long i = 0; i < len(faces); ++i) {
    VALUE face = at(faces, i);
    if (!accepted(face)) continue;
    push(accepted_faces, face);
    call(face, id::set_attribute, str::FaceDict, found, Qfalse);
  }

  VALUE dict2 = new_string("FaceDict2");
  VALUE roomFaceKey = new_string("RoomFace");
  for (long n = 0; n < len(accepted_faces); ++n) {
    VALUE face = at(accepted_faces, n);
    push(array_ivar(self, iv::sketchupFaces), face);
    VALUE roomFace = call(cls::RoomFace, id::new_, self, face, LONG2NUM(n + 1));
    if (is_true(call(gv::cMethods, id_isBlindOpening, face)))
      set_ivar(roomFace, iv::isBlind, Qtrue);
    push(array_ivar(self, iv::roomFaces), roomFace);
    call(face, id::set_attribute, dict2, roomFaceKey, roomFace);
  }

  VALUE last = len(faces) > 0 ? at(faces, len(faces) - 1) : Qnil;
  set_ivar(self, iv::ownerGroup, call(cls::QORTA_SU, id::getIntAttr, last, str::OwnerGroup, str::Id));

  double floorArea = 0.0, wallArea = 0.0, glazedArea = 0.0;
  double greatestSpan = 0.0, leastHeight = kLevelStart;
  set_ivar(self, iv::totalFloorArea, flo(0.0));
  set_ivar(self, iv::totalGlazedArea, flo(0.0));
  set_ivar(self, iv::totalWallArea, flo(0.0));
  set_ivar(self, iv::maximumHeight, flo(0.0));

  VALUE roomFaces = array_ivar(self, iv::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE roomFace = at(roomFaces, i);
    set_ivar(roomFace, iv::type, new_string("Wall"));
    surface_type(self, roomFace, claimFloor);

    const double a = num(call(ivar(roomFace, iv::face), id::area)) * kSquareInchToCm2;
    const double g = glazed_area(roomFace);
    VALUE type = ivar(roomFace, iv::type);
    if (text_is(type, str::Floor)) floorArea += a;
    if (text_is(type, "Wall")) wallArea += a;
    glazedArea += g * kSquareInchToCm2;

    const double span = num(ivar(roomFace, iv::spanZ));
    const double height = num(ivar(roomFace, iv::height));
    if (span > greatestSpan) greatestSpan = span;
    if (height < leastHeight) leastHeight = height;
  }
  set_ivar(self, iv::totalFloorArea, flo(floorArea));
  set_ivar(self, iv::totalWallArea, flo(wallArea));
  set_ivar(self, iv::totalGlazedArea, flo(glazedArea));
  set_ivar(self, iv::level, flo(leastHeight));
  set_ivar(self, iv::maximumHeight, flo(greatestSpan * kInchToCm));

  mark_window_frames(roomFaces);
  return self;
}

VALUE surfaceType(VALUE self, VALUE roomFace, VALUE claimFloor) {
  return surface_type(self, roomFace, claimFloor);
}

}  // namespace room
}  // namespace qor

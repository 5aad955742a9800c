// Doors, door frames, windows, window frames and open holes of a face.
#include "construction.hpp"
#include "fields.hpp"
#include "../geometry/primitives.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

namespace {

// The faces that fill face's holes.  A face the scripts left out of the
// hash has none.
VALUE hole_fillers(VALUE face) {
  VALUE fillers = call(gv::innerLoopFacesHash2, id::aref, call(face, id::to_s));
  return NIL_P(fillers) ? new_array() : fillers;
}

using geometry::common_count;

VALUE new_window(VALUE vertices) {
  return call(gv::class_Opening, id::new_, vertices, str::window);
}

// Appends to one of self's list variables.
void append(VALUE self, ID list, VALUE item) { push(expect_array(ivar(self, list)), item); }

bool includes_same(VALUE ary, VALUE item) {
  for (long i = 0; i < len(ary); ++i)
    if (at(ary, i) == item) return true;
  return false;
}

// path: the faces whose doors are being collected, outermost first.  A
// door's frame face can carry the same door on its own outline, and then
// the face that owns the door is a frame candidate of its frame: such a
// face is passed over instead of being examined again inside itself, or
// the walk would never end.
VALUE collect_doors(VALUE self, VALUE face, VALUE path) {
  push(path, face);
  VALUE outline = chainLoopVertices(call(face, id::outer_loop));
  VALUE doors = call(gv::object_Sketchup_active_model, id::findDoors2, outline, face);
  VALUE others = call(gv::modelFaces2, id::minus, array_of(face));
  for (long d = 0; d < len(doors); ++d) {
    VALUE door = at(doors, d);
    VALUE door_vertices = ivar(door, iv::Script::vertices);
    const long dn = len(door_vertices);
    for (long f = 0; f < len(others); ++f) {
      VALUE other = at(others, f);
      if (includes_same(path, other)) continue;
      VALUE other_vertices = call(other, id::vertices);
      const long k = common_count(door_vertices, other_vertices);
      const long gn = len(other_vertices);
      if (k != dn) continue;
      if (gn == dn && len(call(other, id::loops)) > 1) {
        append(self, iv::RoomFace::doorFrames, door);
        collect_doors(self, other, path);
        collectWindows(self, other);
        break;
      }
      if (gn > dn) {
        append(self, iv::RoomFace::doorFrames, door);
        collect_doors(self, other, path);
        collectWindows(self, other);
      }
    }
  }
  rb_ary_pop(path);
  VALUE all = call(ivar(self, iv::RoomFace::doors), id::plus, doors);
  set_ivar(self, iv::RoomFace::doors, all);
  return all;
}

}  // namespace

VALUE collectDoors(VALUE self, VALUE face) { return collect_doors(self, face, new_array()); }

VALUE collectWindows(VALUE self, VALUE face) {
  VALUE fillers = hole_fillers(face);
  for (long i = 0; i < len(fillers); ++i) {
    VALUE filler = at(fillers, i);
    const long loops = len(call(filler, id::loops));
    if (loops == 1) {
      VALUE window = new_window(chainLoopVertices(call(filler, id::outer_loop)));
      append(self, iv::RoomFace::windows, window);
    } else if (loops > 1) {
      append(self, iv::RoomFace::windowFrames, filler);
      collectOpenHoles(self, filler);
    }
  }
  collectOpenHoles(self, face);
  return Qtrue;
}

VALUE collectOpenHoles(VALUE self, VALUE face) {
  VALUE fillers = hole_fillers(face);
  VALUE holes = call(call(face, id::loops), id::minus, array_of(call(face, id::outer_loop)));
  for (long h = 0; h < len(holes); ++h) {
    VALUE hole = at(holes, h);
    VALUE hole_vertices = call(hole, id::vertices);
    bool filled = false;
    for (long i = 0; i < len(fillers) && !filled; ++i) {
      VALUE filler_outline = call(call(at(fillers, i), id::outer_loop), id::vertices);
      filled = common_count(hole_vertices, filler_outline) > 0;
    }
    if (filled) continue;
    VALUE vertices = chainLoopVertices(hole);
    append(self, iv::RoomFace::innerLoopPolygons, geometry::positions(vertices));
    append(self, iv::RoomFace::windows, new_window(vertices));
  }
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

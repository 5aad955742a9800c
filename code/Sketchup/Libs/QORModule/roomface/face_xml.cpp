#include "face_xml.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/road.hpp"
#include "../geometry/face_reads.hpp"
#include "export_text.hpp"

// The Face element of a room face: its outline, then one Opening per
// face-material opening, window and door.  Everything is written into one
// Ruby String; no C++ object is alive across the host calls.

namespace qor {
namespace roomface {

namespace {

ID id_valid_p() {
  return id::valid_p;
}

bool thin_walls() { return gv::thinWalls == INT2FIX(1); }

bool same_face_in(VALUE openings, VALUE face) {
  for (long i = 0; i < len(openings); ++i)
    if (ivar(at(openings, i), iv::Script::face) == face) return true;
  return false;
}

// While with_room_openings runs: [room, {model face => [room faces listing
// it as a window or door]}] (by identity), else nil.  A collector root.
VALUE room_openings = Qnil;

void index_openings(VALUE index, VALUE room_face, VALUE openings) {
  for (long i = 0; i < len(openings); ++i) {
    VALUE face = ivar(at(openings, i), iv::Script::face);
    VALUE listers = rb_hash_lookup2(index, face, Qnil);
    if (NIL_P(listers)) rb_hash_aset(index, face, listers = new_array());
    push(listers, room_face);
  }
}

struct Restore {
  VALUE (*write)(VALUE);
  VALUE argument;
  VALUE previous;
};
VALUE run_write(VALUE r) {
  Restore* restore = reinterpret_cast<Restore*>(r);
  return restore->write(restore->argument);
}
VALUE restore_openings(VALUE r) {
  room_openings = reinterpret_cast<Restore*>(r)->previous;
  return Qnil;
}

// The room writes a face that another of its faces uses as a window or
// door as that opening, not as a face of its own.
bool serves_as_opening(VALUE self, VALUE face) {
  VALUE room = ivar(self, iv::RoomFace::room);
  if (!NIL_P(room_openings) && at(room_openings, 0) == room) {
    VALUE listers = rb_hash_lookup2(at(room_openings, 1), face, Qnil);
    if (NIL_P(listers)) return false;
    for (long i = 0; i < len(listers); ++i)
      if (at(listers, i) != self) return true;
    return false;
  }
  VALUE roomFaces = list_ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE other = at(roomFaces, i);
    if (other == self) continue;
    if (same_face_in(list_ivar(other, iv::RoomFace::windows), face) || same_face_in(list_ivar(other, iv::RoomFace::doors), face))
      return true;
  }
  return false;
}

bool skipped(VALUE self, VALUE face) {
  if (!is_true(call(face, id_valid_p()))) return true;
  if (is_true(ivar(self, iv::RoomFace::isWindowFrame)) || is_true(ivar(self, iv::RoomFace::isDoorFrame)) ||
      is_true(ivar(self, iv::RoomFace::isOpening)))
    return true;
  return serves_as_opening(self, face);
}

VALUE face_rooms(VALUE reads, VALUE rooms);
bool other_than(VALUE list, VALUE room);

// With thin walls a face shared with another room is internal; otherwise
// the outer-shell pass decided (type 2: the room faces itself).
bool settle_external(VALUE reads, VALUE self, VALUE face) {
  bool external = true;
  if (!thin_walls()) {
    VALUE type = ivar(self, iv::RoomFace::outerShellType);
    external = !(FIXNUM_P(type) && FIX2LONG(type) == 2);
  } else {
    VALUE room = ivar(self, iv::RoomFace::room);
    VALUE rooms = list_ivar(ivar(room, iv::Room::edifice), iv::Script::rooms);
    VALUE index = face_rooms(reads, rooms);
    if (!NIL_P(index)) {
      VALUE entry = rb_hash_lookup2(index, face, Qnil);
      external = NIL_P(entry) || !other_than(at(entry, 2), room);
    }
    for (long r = 0; r < len(rooms) && external && NIL_P(index); ++r) {
      VALUE other = at(rooms, r);
      if (other == room) continue;
      VALUE faces = list_ivar(other, iv::Room::sketchupFaces);
      for (long f = 0; f < len(faces) && external; ++f)
        if (at(faces, f) == face) external = false;
    }
  }
  set_ivar(self, iv::RoomFace::isExternal, external ? Qtrue : Qfalse);
  return external;
}

// nil and false count as no offset.
double offset_or_zero(VALUE v) { return truthy(v) ? num(v) : 0.0; }

void append_coordinate(VALUE out, VALUE inches) {
  append_markup(out, "<Coordinate>");
  append_value(out, call(inches, id::to_m));
  append_markup(out, "</Coordinate>");
}

// A host point's coordinates come from the export's reads when it has
// them (to_a, read once); any other point is asked x, y and z.
void append_point(VALUE out, VALUE reads, VALUE point, double zo) {
  append_markup(out, "<CartesianPoint>");
  geometry::arith::Xyz c;
  if (geometry::read_numbers(reads, point, &c)) {
    append_coordinate(out, flo(c.x));
    append_coordinate(out, flo(c.y));
    append_coordinate(out, flo(c.z - zo));
  } else {
    append_coordinate(out, call(point, id::x));
    append_coordinate(out, call(point, id::y));
    append_coordinate(out, flo(num(call(point, id::z)) - zo));
  }
  append_markup(out, "</CartesianPoint>");
}

VALUE loop_of_points(VALUE reads, VALUE points, double zo) {
  VALUE out = new_export_text();
  append_markup(out, "<PolyLoop>");
  for (long i = 0; i < len(points); ++i) append_point(out, reads, at(points, i), zo);
  append_markup(out, "</PolyLoop>");
  return out;
}

VALUE loop_of_vertices(VALUE reads, VALUE vertices, double zo) {
  VALUE points = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i) push(points, geometry::read_position(reads, at(vertices, i)));
  return loop_of_points(reads, points, zo);
}

void append_opening(VALUE out, const char* type, VALUE loop) {
  append_markup(out, "<Opening openingType=\"");
  append_markup(out, type);
  append_markup(out, "\">");
  rb_str_append(out, loop);
  append_markup(out, "</Opening>");
}

bool includes_equal(VALUE reads, VALUE points, VALUE p) {
  for (long i = 0; i < len(points); ++i)
    if (geometry::same_position(reads, p, at(points, i))) return true;
  return false;
}

// The outer loop of a model face without the corners of its doors.  Within
// the export's reads, each position (and its numbers) is the one read once;
// the points only go into the text.
VALUE outline_without_doors(VALUE reads, VALUE self, VALUE face) {
  VALUE doors = list_ivar(self, iv::RoomFace::doors);
  VALUE door_points = new_array();
  for (long d = 0; d < len(doors); ++d) {
    VALUE vertices = ivar(at(doors, d), iv::Script::vertices);
    for (long i = 0; i < len(vertices); ++i) push(door_points, geometry::read_position(reads, at(vertices, i)));
  }
  VALUE vertices = geometry::read_vertices(reads, geometry::read_outer_loop(reads, face));
  VALUE points = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i) {
    VALUE p = geometry::read_position(reads, at(vertices, i));
    if (!includes_equal(reads, door_points, p)) push(points, p);
  }
  return points;
}

// "Window" for a translucent material, "Air" for a fully transparent one.
const char* material_opening(VALUE material) {
  if (NIL_P(material)) return nullptr;
  const double alpha = num(call(material, id::alpha));
  if (alpha > 0.0 && alpha < 1.0) return "Window";
  if (alpha == 0.0) return "Air";
  return nullptr;
}

// The front material decides; the back one only when the front gives no
// opening.
void append_material_opening(VALUE out, VALUE face, VALUE loop) {
  const char* type = material_opening(call(face, id::material));
  if (!type) type = material_opening(call(face, id::back_material));
  if (type) append_opening(out, type, loop);
}

bool transparent(VALUE material) {
  return !NIL_P(material) && num(call(material, id::alpha)) == 0.0;
}

// A hole's vertices shared with some other face of the room, but not all
// of them: the hole is an open part of a larger opening.
bool partly_shared(VALUE self, VALUE vertices) {
  const long n = len(vertices);
  VALUE roomFaces = list_ivar(ivar(self, iv::RoomFace::room), iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE other = at(roomFaces, i);
    if (other == self) continue;
    VALUE face_vertices = call(answering_ivar(other, iv::RoomFace::face, id::vertices), id::vertices);
    const long common = len(call(face_vertices, id::amp, vertices));
    if (common != n && common > 0) return true;
  }
  return false;
}

// model face => [rooms with a room face listing it as a window, rooms
// with a room face on it, rooms listing it among their model faces (with
// thin walls)], over
// every room of the building.  Within the export's reads it is made once,
// kept under the rooms Array paired with itself: the Space elements are
// written last, after every stage that sets a room face's face and
// windows.  Nil where no reads are kept.
VALUE face_rooms(VALUE reads, VALUE rooms) {
  if (NIL_P(reads)) return Qnil;
  VALUE index = geometry::read_pair(reads, rooms, rooms);
  if (index != Qundef) return index;
  index = call(rb_hash_new(), id::compare_by_identity);
  auto note = [&](VALUE face, long slot, VALUE room) {
    VALUE entry = rb_hash_lookup2(index, face, Qnil);
    if (NIL_P(entry)) rb_hash_aset(index, face, entry = array_of(new_array(), new_array(), new_array()));
    push(at(entry, slot), room);
  };
  for (long r = 0; r < len(rooms); ++r) {
    VALUE room = at(rooms, r);
    VALUE roomFaces = list_ivar(room, iv::Room::roomFaces);
    for (long s = 0; s < len(roomFaces); ++s) {
      VALUE S = at(roomFaces, s);
      VALUE windows = list_ivar(S, iv::RoomFace::windows);
      for (long w = 0; w < len(windows); ++w) note(ivar(at(windows, w), iv::Script::face), 0, room);
      note(ivar(S, iv::RoomFace::face), 1, room);
    }
    if (!thin_walls()) continue;  // only thin walls ask of a room's model faces
    VALUE own = list_ivar(room, iv::Room::sketchupFaces);
    for (long f = 0; f < len(own); ++f) note(at(own, f), 2, room);
  }
  geometry::keep_pair(reads, rooms, rooms, index);
  return index;
}

bool other_than(VALUE list, VALUE room) {
  for (long i = 0; i < len(list); ++i)
    if (at(list, i) != room) return true;
  return false;
}

// A window whose pane is a face of a neighbouring room (and not one of that
// room's windows) belongs to that room's element.
bool neighbours_face(VALUE reads, VALUE self, VALUE pane) {
  VALUE room = ivar(self, iv::RoomFace::room);
  VALUE rooms = list_ivar(ivar(room, iv::Room::edifice), iv::Script::rooms);
  VALUE index = face_rooms(reads, rooms);
  if (!NIL_P(index)) {
    VALUE entry = rb_hash_lookup2(index, pane, Qnil);
    return !NIL_P(entry) && !other_than(at(entry, 0), room) && other_than(at(entry, 1), room);
  }
  bool noted = false;
  for (long r = 0; r < len(rooms); ++r) {
    VALUE other = at(rooms, r);
    if (other == room) continue;
    VALUE roomFaces = list_ivar(other, iv::Room::roomFaces);
    for (long s = 0; s < len(roomFaces); ++s) {
      VALUE S = at(roomFaces, s);
      if (same_face_in(list_ivar(S, iv::RoomFace::windows), pane)) return false;
      if (ivar(S, iv::RoomFace::face) == pane) noted = true;
    }
  }
  return noted;
}

// An opening's type from its kind and whether it is a hole in an external
// face; partial open parts of an external face are air.
const char* opening_type(VALUE opening, bool external, bool partial) {
  if (!is_true(ivar(opening, iv::Script::isHole)))
    return text_is(ivar(opening, iv::Script::type), str::Window) ? "Window" : "Door";
  return external && !partial ? "Window" : "Air";
}

void append_windows(VALUE reads, VALUE self, VALUE out, bool external, double zo) {
  VALUE windows = list_ivar(self, iv::RoomFace::windows);
  for (long i = 0; i < len(windows); ++i) {
    VALUE window = at(windows, i);
    VALUE pane = ivar(window, iv::Script::face);
    VALUE vertices = ivar(window, iv::Script::vertices);
    bool partial = false;
    if (NIL_P(pane)) {
      set_ivar(window, iv::Script::isHole, Qtrue);
      if (external) partial = partly_shared(self, vertices);
    } else {
      if (neighbours_face(reads, self, pane)) continue;
      if (!external) {
        if (transparent(call(pane, id::material))) set_ivar(window, iv::Script::isHole, Qtrue);
        if (transparent(call(pane, id::back_material))) set_ivar(window, iv::Script::isHole, Qtrue);
      }
    }
    append_opening(out, opening_type(window, external, partial), loop_of_vertices(reads, vertices, zo));
  }
}

void append_doors(VALUE reads, VALUE self, VALUE out, bool external, double zo) {
  VALUE doors = call(list_ivar(self, iv::RoomFace::doors), id::minus, list_ivar(self, iv::RoomFace::doorFrames));
  for (long i = 0; i < len(doors); ++i) {
    VALUE door = at(doors, i);
    append_opening(out, opening_type(door, external, false),
                   loop_of_vertices(reads, ivar(door, iv::Script::vertices), zo));
  }
}

}  // namespace

VALUE with_room_openings(VALUE room, VALUE (*write)(VALUE), VALUE argument) {
  static bool rooted = false;
  if (!rooted) {
    rb_gc_register_address(&room_openings);
    rooted = true;
  }
  VALUE index = call(rb_hash_new(), id::compare_by_identity);
  VALUE roomFaces = list_ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE room_face = at(roomFaces, i);
    index_openings(index, room_face, list_ivar(room_face, iv::RoomFace::windows));
    index_openings(index, room_face, list_ivar(room_face, iv::RoomFace::doors));
  }
  Restore restore{write, argument, room_openings};
  room_openings = array_of(room, index);
  return ensure(run_write, reinterpret_cast<VALUE>(&restore), restore_openings, reinterpret_cast<VALUE>(&restore));
}

VALUE getFaceElement(VALUE self) {
  VALUE face = answering_ivar(self, iv::RoomFace::face, id_valid_p());
  if (skipped(self, face)) return new_string(" ");
  VALUE reads = geometry::Road::chosen().export_reads();
  const bool external = settle_external(reads, self, face);

  VALUE out = new_export_text();
  append_markup(out, "<Face faceType=\"");
  append_value(out, ivar(self, iv::RoomFace::type));
  append_markup(out, "\"  faceRef=\"");
  append_value(out, ivar(self, iv::RoomFace::reference));
  append_markup(out, "\" >");

  double zo;
  VALUE loop;
  if (is_true(ivar(self, iv::RoomFace::internallyConstructed))) {
    zo = offset_or_zero(ivar(self, iv::RoomFace::zOffset));
    loop = loop_of_points(reads, ivar(face, iv::Script::vertexPoints), zo);
  } else {
    zo = offset_or_zero(call(face, id::get_attribute, str::GroupDict, str::ZOffset));
    loop = loop_of_points(reads, outline_without_doors(reads, self, face), zo);
  }
  rb_str_append(out, loop);

  append_material_opening(out, face, loop);
  append_windows(reads, self, out, external, zo);
  append_doors(reads, self, out, external, zo);
  append_markup(out, "</Face>");
  RB_GC_GUARD(loop);
  RB_GC_GUARD(reads);
  return out;
}

}  // namespace roomface
}  // namespace qor

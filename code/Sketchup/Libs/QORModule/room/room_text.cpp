// The room's label and its diagnostic text.
#include "room.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/face_reads.hpp"
#include "../geometry/road.hpp"

namespace qor {
namespace room {

VALUE setText(VALUE self, VALUE characters) {
  double sx = 0.0, sy = 0.0, sz = 0.0;
  long count = 0;
  VALUE roomFaces = array_ivar(self, iv::Room::roomFaces);
  VALUE reads = geometry::Road::chosen().export_reads();
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE vertices = array_ivar(at(roomFaces, i), iv::RoomFace::faceVertices);
    for (long k = 0; k < len(vertices); ++k) {
      double c[3];
      geometry::point_xyz(reads, geometry::read_position(reads, at(vertices, k)), c);
      sx += c[0];
      sy += c[1];
      sz += c[2];
      ++count;
    }
  }
  // A room without vertices gets its label at the origin rather than at a
  // division by zero.
  VALUE centroid = count > 0 ? array_of(flo(sx / count), flo(sy / count), flo(sz / count))
                             : array_of(flo(0.0), flo(0.0), flo(0.0));
  VALUE label = call(gv::object_Sketchup_active_model, id::addRoomTextHelper2, characters, centroid);
  set_ivar(self, iv::Room::text, label);
  set_ivar(self, iv::Room::textCharacters, characters);
  set_ivar(self, iv::Room::centroid, centroid);
  return label;
}

VALUE to_s(VALUE self) {
  VALUE out = rb_str_dup(rb_obj_as_string(call(answering_ivar(self, iv::Room::text, id::text), id::text)));
  rb_str_cat_cstr(out, " ");
  rb_str_append(out, rb_obj_as_string(call(ivar(self, iv::Room::number), id::to_s)));
  rb_str_cat_cstr(out, "\nFaces = ");

  VALUE faces = array_ivar(self, iv::Room::sketchupFaces);
  VALUE names = new_array(len(faces));
  for (long i = 0; i < len(faces); ++i) {
    VALUE face = at(faces, i);
    if (!NIL_P(face)) push(names, rb_obj_as_string(call(face, id::to_s)));
  }
  rb_ary_sort_bang(names);  // String#<=>: byte order
  for (long i = 0; i < len(names); ++i) {
    rb_str_cat_cstr(out, "\n");
    rb_str_append(out, at(names, i));
  }
  rb_str_cat_cstr(out, "\n facecount");
  rb_str_append(out, rb_obj_as_string(LONG2NUM(len(names))));
  rb_str_cat_cstr(out, "\n Outer sh = ");
  rb_str_append(out, rb_obj_as_string(call(ivar(self, iv::Room::exteriorOuterShell), id::to_s)));
  return out;
}

}  // namespace room
}  // namespace qor

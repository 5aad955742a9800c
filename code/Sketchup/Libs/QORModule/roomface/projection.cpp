// The doors and windows of a room face carried onto a constructed face:
// each opening projected along the source's normal onto the new plane,
// kept only when it lies wholly inside the new outline.
#include "projection.hpp"

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "fields.hpp"
#include "../geometry/primitives.hpp"

namespace qor {
namespace roomface {

namespace {


// A vertex deleted from the model no longer counts as a corner; pseudo
// vertices are always used.
bool usable_vertex(VALUE v) {
  if (!truthy(call(v, id::instance_of_p, gv::class_Sketchup_Vertex))) return true;
  return is_true(call(v, id::valid_p));
}

// The material (front or back) of the source's model face onto the pseudo
// face, with its alpha on whatever the pseudo face then holds.
void copy_material(VALUE source_face, VALUE pseudo, ID read, ID write) {
  VALUE m = call(source_face, read);
  if (NIL_P(m)) return;
  call(pseudo, write, m);
  VALUE alpha = call(m, id::alpha);
  if (!NIL_P(alpha)) call(call(pseudo, read), id::alpha_set, alpha);
}

// The corners of the opening where the source normal meets the plane.
VALUE projected_corners(VALUE opening, VALUE normal, VALUE plane) {
  VALUE corners = new_array();
  VALUE vertices = ivar(opening, iv::Script::vertices);
  for (long i = 0; i < len(vertices); ++i) {
    VALUE v = at(vertices, i);
    if (!usable_vertex(v)) continue;
    VALUE line = array_of(call(v, id::position), normal);
    VALUE q = call(gv::module_Geom, id::intersect_line_plane, line, plane);
    if (!NIL_P(q)) push(corners, call(cls::PseudoVertex, id::new_, q));
  }
  return corners;
}

// Border included: an opening touching the outline from inside stays.
bool inside_outline(geometry::Road road, VALUE corners, VALUE outline) {
  if (NIL_P(outline)) return true;
  for (long i = 0; i < len(corners); ++i) {
    VALUE p = call(gv::class_Geom_Point3d, id::new_, call(at(corners, i), id::position));
    if (!is_true(geometry::point_in_polygon_3d(road, p, outline, Qtrue))) return false;
  }
  return true;
}

// A see-through material makes a window, a fully clear one an air opening.
void type_from_material(VALUE opening, VALUE pseudo_material) {
  const double alpha = num(ivar(pseudo_material, iv::FaceDump::alpha));
  if (alpha < 1.0) set_ivar(opening, iv::Script::type, str::Window);
  if (alpha == 0.0) set_ivar(opening, iv::Script::type, str::Air);
}

// The source opening's face material (front or back) as a pseudo material
// of the projected opening's face, typing the opening by its alpha.
void carry_material(VALUE opening, VALUE pseudo, VALUE source_face, ID read, ID target) {
  VALUE m = call(source_face, read);
  if (NIL_P(m)) return;
  VALUE alpha = call(m, id::alpha);
  VALUE pm = call(cls::PseudoMaterial, id::new_, m, alpha);
  set_ivar(pseudo, target, pm);
  if (!NIL_P(alpha)) type_from_material(opening, pm);
}

// The projected opening takes a pseudo face standing for the source's, with
// its door mark, hole flag and materials.
void carry_face(VALUE opening, VALUE corners, VALUE source) {
  VALUE source_face = ivar(source, iv::RoomFace::face);
  VALUE pseudo = call(cls::PseudoFace, id::new_, corners);
  set_ivar(opening, iv::Script::face, pseudo);
  set_ivar(pseudo, iv::Script::door, call(source_face, id::get_attribute, str::FaceDict, str::Door));
  set_ivar(opening, iv::Script::isHole, ivar(source, iv::Script::isHole));
  set_ivar(opening, iv::Script::type, str::Door);
  carry_material(opening, pseudo, source_face, id::material, iv::RoomFace::material);
  carry_material(opening, pseudo, source_face, id::back_material, iv::RoomFace::back_material);
}

// The opening projected onto self's plane, or nil when it misses the plane
// or reaches outside the outline.
VALUE project_opening(geometry::Road road, VALUE self, VALUE source_room_face, VALUE opening, VALUE kind) {
  VALUE plane = call(model_face(self), id::plane);
  VALUE corners = projected_corners(opening, xyz_ivar(source_room_face, iv::RoomFace::normal, "a vector"), plane);
  if (len(corners) == 0) return Qnil;
  if (!inside_outline(road, corners, array_ivar(self, iv::RoomFace::facePolygon))) return Qnil;

  VALUE projected = call(gv::class_Opening, id::new_, corners, kind);
  set_ivar(projected, iv::Script::vertices, corners);
  if (!NIL_P(ivar(opening, iv::Script::face))) carry_face(projected, corners, opening);
  return projected;
}

// Does any opening of the list sit at the same centroid as this one?
bool centroid_present(VALUE list, VALUE opening) {
  VALUE centre = ivar(opening, iv::Script::centroid);
  for (long i = 0; i < len(list); ++i)
    if (equal(centre, ivar(at(list, i), iv::Script::centroid))) return true;
  return false;
}

VALUE list_of(VALUE self, ID list) {
  if (NIL_P(ivar(self, list))) set_ivar(self, list, new_array());
  return array_ivar(self, list);
}

void project_windows(geometry::Road road, VALUE self, VALUE source) {
  VALUE windows = list_ivar(source, iv::RoomFace::windows);
  for (long i = 0; i < len(windows); ++i) {
    VALUE o = project_opening(road, self, source, at(windows, i), str::Window);
    if (NIL_P(o)) continue;
    VALUE mine = list_of(self, iv::RoomFace::windows);
    if (!centroid_present(mine, o)) push(mine, o);
  }
}

// Doors are checked against the face's doors but go to @projectedDoors:
// the caller decides when they join @doors.
void project_doors(geometry::Road road, VALUE self, VALUE source) {
  VALUE doors = list_ivar(source, iv::RoomFace::doors);
  for (long i = 0; i < len(doors); ++i) {
    VALUE o = project_opening(road, self, source, at(doors, i), str::Door);
    if (NIL_P(o)) continue;
    if (!centroid_present(list_of(self, iv::RoomFace::doors), o)) push(list_of(self, iv::RoomFace::projectedDoors), o);
  }
}

}  // namespace

VALUE project(VALUE self, VALUE source) {
  expect_kind_arg(source, cls::RoomFace, "source");
  set_ivar(self, iv::RoomFace::isWindowFrame, ivar(source, iv::RoomFace::isWindowFrame));
  set_ivar(self, iv::RoomFace::isDoorFrame, ivar(source, iv::RoomFace::isDoorFrame));
  set_ivar(self, iv::RoomFace::isWindow, ivar(source, iv::RoomFace::isWindow));

  VALUE source_face = model_face(source);
  VALUE pseudo = model_face(self);
  copy_material(source_face, pseudo, id::material, id::material_set);
  copy_material(source_face, pseudo, id::back_material, id::back_material_set);

  const geometry::Road road = geometry::Road::chosen();
  project_windows(road, self, source);
  project_doors(road, self, source);
  return Qtrue;
}

}  // namespace roomface
}  // namespace qor

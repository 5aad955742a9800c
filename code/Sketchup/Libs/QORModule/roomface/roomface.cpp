#include "roomface.hpp"

#include <cmath>
#include <cstdint>

#include "../core/classes.hpp"
#include "../core/globals.hpp"
#include "../core/list_index.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/road.hpp"
#include "../geometry/face_reads.hpp"
#include "construction.hpp"
#include "fields.hpp"
#include "../geometry/primitives.hpp"

namespace qor {
namespace roomface {

namespace {

using geometry::common_count;

// A vertex's position, a point of the face's own: during an export a new
// host point made of the numbers of the position read once
// (face_reads.hpp), else the host's position afresh.
VALUE own_position(VALUE reads, VALUE vertex) {
  geometry::arith::Xyz c;
  if (!RB_TYPE_P(gv::class_Geom_Point3d, T_CLASS) ||
      !geometry::read_numbers(reads, geometry::read_position(reads, vertex), &c))
    return call(vertex, id::position);
  return call(gv::class_Geom_Point3d, id::new_, flo(c.x), flo(c.y), flo(c.z));
}

// The positions of vertices, in order, as own_position gives them.
VALUE own_positions(VALUE reads, VALUE vertices) {
  VALUE points = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i) push(points, own_position(reads, at(vertices, i)));
  return points;
}

// The face's use count, selection count, identity, observer and material
// names, as the plug-in reads them back.
void mark_model_face(VALUE self, VALUE face) {
  VALUE uses = call(face, id::get_attribute, str::FaceDict2, str::UseCount);
  VALUE next = NIL_P(uses) ? INT2FIX(1) : call(uses, id::plus, INT2FIX(1));
  call(face, id::set_attribute, str::FaceDict2, str::UseCount, next);

  set_ivar(self, iv::RoomFace::outerShellRoomFace, self);
  set_ivar(self, iv::RoomFace::internallyConstructed, Qfalse);
  call(face, id::set_attribute, str::selectedDictionary, str::selected, INT2FIX(0));

  set_ivar(self, iv::RoomFace::material, call(face, id::material));
  set_ivar(self, iv::RoomFace::back_material, call(face, id::back_material));

  call(cls::QORTA_SU, id::setIntAttr, face, str::FaceDict, str::ObjectId,
       call(face, id::object_id));
  set_ivar(self, iv::RoomFace::face, face);
  call(face, id::add_observer, call(gv::class_MyEntityObserver, id::initialize));

  VALUE front = ivar(self, iv::RoomFace::material);
  if (!NIL_P(front))
    call(face, id::set_attribute, str::materialDictionary, str::material,
         call(front, id::name));
  VALUE back = ivar(self, iv::RoomFace::back_material);
  if (!NIL_P(back))
    call(face, id::set_attribute, str::materialDictionary, str::back_material,
         call(back, id::name));
}

// Building door d against the outline.  False when the face turns out
// blind, which ends the scan.
bool scan_building_door(VALUE self, VALUE building_doors, long d, VALUE outline) {
  VALUE door_vertices = ivar(at(building_doors, d), iv::Script::vertices);
  const long m = common_count(door_vertices, outline);
  const long dn = len(door_vertices);
  if (m == len(outline)) {
    set_ivar(self, iv::RoomFace::blind, Qtrue);
    return false;
  }
  if (m == dn) {
    VALUE own = array_ivar(self, iv::RoomFace::doors);
    bool own_door = false;
    for (long e = 0; e < len(own) && !own_door; ++e)
      own_door = common_count(ivar(at(own, e), iv::Script::vertices), door_vertices) == dn;
    if (!own_door) set_ivar(self, iv::RoomFace::isDoorFrame, Qtrue);
  }
  if (m > 2 && dn - m > 1) set_ivar(self, iv::RoomFace::isDoorFrame, Qtrue);
  return true;
}

// The building doors by their corners: [corner => indices of the doors
// holding it, ascending; the indices of doors with no corner], or false
// when a door's corners are not an Array.  The Hash matches corners as
// Array#& does (hash and eql?).
VALUE doors_by_corner(VALUE doors) {
  VALUE by_corner = rb_hash_new();
  VALUE cornerless = new_array();
  for (long d = 0; d < len(doors); ++d) {
    VALUE corners = ivar(at(doors, d), iv::Script::vertices);
    if (!RB_TYPE_P(corners, T_ARRAY)) return Qfalse;
    if (len(corners) == 0) push(cornerless, LONG2FIX(d));
    for (long k = 0; k < len(corners); ++k) {
      VALUE list = rb_hash_lookup(by_corner, at(corners, k));
      if (NIL_P(list)) rb_hash_aset(by_corner, at(corners, k), list = new_array());
      if (len(list) == 0 || at(list, -1) != LONG2FIX(d)) push(list, LONG2FIX(d));
    }
  }
  return array_of(by_corner, cornerless);
}

// The doors that can bear on the outline, ascending: those sharing one of
// its corners, and those with no corner (they hold every corner they
// have).  Any other door shares none: it neither fills the outline nor
// lies in it.
VALUE doors_near(VALUE index, VALUE outline) {
  VALUE by_corner = at(index, 0);
  VALUE nearby = rb_ary_dup(at(index, 1));
  for (long i = 0; i < len(outline); ++i) {
    VALUE list = rb_hash_lookup(by_corner, at(outline, i));
    if (!NIL_P(list)) rb_ary_concat(nearby, list);
  }
  return call(rb_ary_sort_bang(nearby), id::uniq);
}

// Blind when the face is all door; a door frame when it holds a door that
// is not its own, or part of a door with more than one corner off it.  On
// the indexed road only the doors near the outline are looked at, in the
// building's order (the doors list read as it stood when first indexed).
void scan_building_doors(geometry::Road road, VALUE self, VALUE room) {
  VALUE building_doors = ivar(ivar(room, iv::Room::edifice), iv::Script::doors);
  if (NIL_P(building_doors)) return;
  VALUE outline = array_ivar(self, iv::RoomFace::faceVertices);
  VALUE index = Qfalse;
  if (road.indexed() && RB_TYPE_P(building_doors, T_ARRAY) && len(outline) > 0)
    index = kept_index(building_doors, id::qor_doors_by_corner, doors_by_corner);
  if (is_false(index)) {
    for (long d = 0; d < len(building_doors); ++d)
      if (!scan_building_door(self, building_doors, d, outline)) return;
    return;
  }
  VALUE nearby = doors_near(index, outline);
  for (long k = 0; k < len(nearby); ++k)
    if (!scan_building_door(self, building_doors, FIX2LONG(at(nearby, k)), outline)) return;
}

void set_z_extent(VALUE reads, VALUE self, VALUE face) {
  VALUE vertices = geometry::read_vertices(reads, geometry::read_outer_loop(reads, face));
  const long n = len(vertices);
  auto z_of = [&](long i) {
    double c[3];
    geometry::point_xyz(reads, geometry::read_position(reads, at(vertices, i)), c);
    return c[2];
  };
  double least = z_of(0);
  double greatest = least, sum = 0.0;
  for (long i = 0; i < n; ++i) {
    const double z = z_of(i);
    if (z > greatest) greatest = z;
    if (z < least) least = z;
    sum += z;
  }
  set_ivar(self, iv::RoomFace::greatestZ, flo(greatest));
  set_ivar(self, iv::RoomFace::leastZ, flo(least));
  set_ivar(self, iv::RoomFace::spanZ, flo(greatest - least));
  set_ivar(self, iv::RoomFace::height, flo(sum / static_cast<double>(n)));
}

// The outline without the corners of the face's doors.
VALUE polygon_without_doors(VALUE reads, VALUE self) {
  VALUE vertices = array_ivar(self, iv::RoomFace::faceVertices);
  VALUE doors = array_ivar(self, iv::RoomFace::doors);
  VALUE polygon = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i) {
    VALUE v = at(vertices, i);
    bool door_corner = false;
    for (long d = 0; d < len(doors) && !door_corner; ++d)
      door_corner = truthy(call(ivar(at(doors, d), iv::Script::vertices), id::include_p, v));
    if (!door_corner) push(polygon, own_position(reads, v));
  }
  return polygon;
}

void build_on_model_face(geometry::Road road, VALUE self, VALUE room, VALUE face) {
  VALUE reads = road.export_reads();
  mark_model_face(self, face);
  collect_doors(road, self, face);

  VALUE outline = chain_loop_vertices(reads, geometry::read_outer_loop(reads, face));
  set_ivar(self, iv::RoomFace::faceVertices, outline);
  set_ivar(self, iv::RoomFace::faceVertexPoints, own_positions(reads, outline));
  scan_building_doors(road, self, room);

  set_ivar(self, iv::RoomFace::normal, call(face, id::normal));
  set_ivar(self, iv::RoomFace::outerShellPlane, call(face, id::plane));

  // "found" is cleared by each new room, so each room looks into the
  // holes of each of its faces once.
  if (!is_true(call(face, id::get_attribute, str::FaceDict, str::found))) {
    call(face, id::set_attribute, str::FaceDict, str::found, Qtrue);
    collect_windows(road, self, face);
  }

  set_ivar(self, iv::RoomFace::isWindow, Qfalse);
  set_ivar(self, iv::RoomFace::isWindowFrame, Qfalse);
  // A pane: one loop, held between two faces.
  if (len(call(gv::cMethods, id::findAdjFaces, face)) == 2 && len(call(face, id::loops)) == 1)
    set_ivar(self, iv::RoomFace::isWindow, Qtrue);
  if (is_true(ivar(self, iv::RoomFace::isWindow)))
    set_ivar(self, iv::RoomFace::blind, Qtrue);
  else
    call(face, id::set_attribute, str::FaceDict, str::RoomFace, Qtrue);

  VALUE up = call(gv::class_Geom_Vector3d, id::new_, flo(0.0), flo(0.0), flo(1.0));
  set_ivar(self, iv::RoomFace::verticalAngle,
           flo(num(call(xyz_ivar(self, iv::RoomFace::normal, "a vector"), id::angle_between, up))));
  set_z_extent(reads, self, face);
  set_ivar(self, iv::RoomFace::facePolygon, polygon_without_doors(reads, self));
}

// The back alpha decides unless the front one differs from it and is not
// fully opaque.
double opacity(VALUE self) {
  VALUE front = ivar(self, iv::RoomFace::material);
  VALUE back = ivar(self, iv::RoomFace::back_material);
  VALUE front_alpha = NIL_P(front) ? Qnil : call(front, id::alpha);
  double e = 1.0;
  if (!NIL_P(back)) {
    VALUE back_alpha = call(back, id::alpha);
    if (!NIL_P(back_alpha)) e = num(back_alpha);
  }
  if (!NIL_P(front_alpha)) {
    const double f = num(front_alpha);
    if (std::fabs(e - f) > kAlphaTolerance && std::fabs(f - 1.0) > kAlphaTolerance) e = f;
  }
  return e;
}

}  // namespace

VALUE initialize(VALUE self, VALUE room, VALUE face, VALUE reference) {
  if (!truthy(face)) return self;
  if (!rb_respond_to(face, id::outer_loop))
    rb_raise(rb_eTypeError, "face must be a face, not %s", rb_obj_classname(face));

  set_ivar(self, iv::RoomFace::room, room);
  set_ivar(self, iv::RoomFace::reference, reference);
  set_ivar(self, iv::RoomFace::roomFaceNumber, reference);
  set_ivar(self, iv::RoomFace::windows, new_array());
  set_ivar(self, iv::RoomFace::windowFrames, new_array());
  set_ivar(self, iv::RoomFace::doors, new_array());
  set_ivar(self, iv::RoomFace::doorFrames, new_array());
  set_ivar(self, iv::RoomFace::innerLoopPolygons, new_array());
  set_ivar(self, iv::RoomFace::oppositeRoomFaces, new_array());
  set_ivar(self, iv::RoomFace::blind, Qfalse);
  set_ivar(self, iv::RoomFace::isWindowFrame, Qfalse);
  set_ivar(self, iv::RoomFace::isDoorFrame, Qfalse);

  const geometry::Road road = geometry::Road::chosen();
  if (NIL_P(geometry::read_outer_loop(road.export_reads(), face))) {
    // A constructed face carries its outline itself and is no model
    // entity: nothing is marked on it.
    set_ivar(self, iv::RoomFace::facePolygon, rb_ary_dup(expect_array(ivar(face, iv::Script::vertexPoints))));
    set_ivar(self, iv::RoomFace::internallyConstructed, Qtrue);
  } else {
    build_on_model_face(road, self, room, face);
  }

  set_ivar(self, iv::RoomFace::face, face);
  set_ivar(self, iv::RoomFace::outerShellType, INT2FIX(0));
  set_ivar(self, iv::RoomFace::constructedOpenings, new_array());
  set_ivar(self, iv::RoomFace::constructionLines, new_array());

  const double e = opacity(self);
  set_ivar(self, iv::RoomFace::opacity, flo(e));
  set_ivar(self, iv::RoomFace::glazedArea,
           flo(e > 0.0 && e < 1.0 ? num(call(face, id::area)) : 0.0));
  return self;
}

VALUE countSelect(VALUE self, VALUE amount) {
  if (!RB_INTEGER_TYPE_P(amount))
    rb_raise(rb_eTypeError, "amount must be an Integer, not %s", rb_obj_classname(amount));
  VALUE face = answering_ivar(self, iv::RoomFace::face, id::get_attribute);
  VALUE count = call(face, id::get_attribute, str::selectedDictionary, str::selected);
  // The count is a 32-bit integer: the sum wraps as it would there.
  const uint32_t sum = static_cast<uint32_t>(NUM2INT(count)) + static_cast<uint32_t>(NUM2INT(amount));
  VALUE n = INT2NUM(static_cast<int32_t>(sum));
  call(face, id::set_attribute, str::selectedDictionary, str::selected, n);
  return n;
}

}  // namespace roomface
}  // namespace qor

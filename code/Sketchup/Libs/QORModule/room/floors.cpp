// Cutting a tall room into storeys: each horizontal cut through the room's
// faces becomes one slab outline appended to $newFloors.
#include "floors.hpp"

#include <cmath>

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/sort_blocks.hpp"

namespace qor {
namespace room {

namespace {

const double kCentimetresPerInch = 2.54;
// Added to the room height before counting storeys, so that a room of
// exactly n storeys is not counted as n - 1 by rounding.
const double kStoreyAllowance = 0.1;
// Tolerance of the direction comparison of two lines.
const double kLineTolerance = 0.001;
// More storeys than this come only from a nonsensical height (1e-300 m
// gives 1e302 cuts, which would never finish).
const double kMaxStoreys = 10000;

ID id_min() {
  return id::min_;
}
ID id_max() {
  return id::max_;
}
ID id_bounds() {
  return id::bounds;
}
ID id_line() {
  return id::line;
}

// A zero, negative, NaN or infinite height would divide by zero or never
// stop cutting; so would one so small that the storeys cannot be counted.
[[noreturn]] void bad_storey_height(VALUE height) {
  VALUE message = new_string("Invalid storey height: ");
  rb_str_append(message, rb_inspect(height));
  rb_exc_raise(rb_exc_new3(rb_eArgError, message));
}

// The storey height in inches, from metres.
double storey_inches(VALUE height) {
  if (!rb_respond_to(height, id::to_f))
    rb_raise(rb_eTypeError, "height must be a number of metres, not %s", rb_obj_classname(height));
  VALUE metres = call(height, id::to_f);
  const double c = num(metres) * 100.0 / kCentimetresPerInch;
  if (!std::isfinite(c) || c <= 0.0) bad_storey_height(metres);
  return c;
}

double z_of(VALUE point) { return num(call(point, id::z)); }

// Lowest and highest z over the vertices of the room's model faces.
void height_span(VALUE room, double* zmin, double* zmax) {
  *zmin = HUGE_VAL;
  *zmax = -HUGE_VAL;
  VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
  for (long i = 0; i < len(roomFaces); ++i) {
    VALUE vertices = call(answering_ivar(at(roomFaces, i), iv::RoomFace::face, id::vertices), id::vertices);
    for (long k = 0; k < len(vertices); ++k) {
      const double z = z_of(call(at(vertices, k), id::position));
      if (z < *zmin) *zmin = z;
      if (z > *zmax) *zmax = z;
    }
  }
}

// Does the entity's bounding box span height t (both ends included)?
bool spans(VALUE entity, double t) {
  VALUE box = call(entity, id_bounds());
  return z_of(call(box, id_min())) <= t && t <= z_of(call(box, id_max()));
}

VALUE cutting_plane(double t) { return array_of(flo(0.0), flo(0.0), flo(1.0), flo(-t)); }

// The lines where the cutting plane meets the planes of the faces it crosses.
VALUE cut_lines(VALUE room, double t) {
  VALUE plane = cutting_plane(t);
  VALUE faces = array_ivar(room, iv::Room::sketchupFaces);
  VALUE lines = new_array(len(faces));
  for (long i = 0; i < len(faces); ++i) {
    VALUE F = at(faces, i);
    if (!spans(F, t)) continue;
    VALUE line = call(gv::module_Geom, id::intersect_plane_plane, plane, call(F, id::plane));
    if (!NIL_P(line)) push(lines, line);
  }
  return lines;
}

bool near_one(double v) { return std::fabs(v - 1.0) < kLineTolerance; }

// Same point and direction, or collinear in either direction.
bool same_line(VALUE A, VALUE B) {
  VALUE a = at(A, 0), u = at(A, 1);
  VALUE b = at(B, 0), v = at(B, 1);
  const double uv = num(call(u, id::dot, v));
  if (equal(a, b) && near_one(uv)) return true;
  VALUE w = call(gv::class_Geom_Vector3d, id::new_, flo(num(call(a, id::x)) - num(call(b, id::x))),
                 flo(num(call(a, id::y)) - num(call(b, id::y))), flo(z_of(a) - z_of(b)));
  w = call(w, id::normalize);
  return near_one(std::fabs(num(call(w, id::dot, u)))) && near_one(std::fabs(uv));
}

VALUE distinct_lines(VALUE lines) {
  VALUE kept = new_array(len(lines));
  for (long i = 0; i < len(lines); ++i) {
    VALUE candidate = at(lines, i);
    bool repeated = false;
    for (long k = 0; k < len(kept) && !repeated; ++k) repeated = same_line(candidate, at(kept, k));
    if (!repeated) push(kept, candidate);
  }
  return kept;
}

bool contains_point(VALUE points, VALUE p) {
  for (long k = 0; k < len(points); ++k)
    if (equal(at(points, k), p)) return true;
  return false;
}

// Where the line crosses the face's edges at height t, repeats removed.
VALUE crossings(VALUE line, VALUE face, double t) {
  VALUE edges = call(face, id::edges);
  VALUE points = new_array(len(edges));
  for (long k = 0; k < len(edges); ++k) {
    VALUE E = at(edges, k);
    if (!spans(E, t)) continue;
    VALUE p = call(gv::module_Geom, id::intersect_line_line, line, call(E, id_line()));
    if (truthy(p) && !contains_point(points, p)) push(points, p);
  }
  return points;
}

// Along the line: by y when it runs across y, else by x.
void sort_along_line(VALUE points) {
  if (len(points) < 2) return;
  const bool by_y = num(call(at(points, 0), id::y)) != num(call(at(points, 1), id::y));
  geometry::sort_with(points, by_y ? geometry::sortByYDescending : geometry::sortByXDescending);
}

bool known_segment(VALUE segments, VALUE a, VALUE b) {
  for (long k = 0; k < len(segments); ++k) {
    VALUE s = at(segments, k);
    if (equal(at(s, 0), a) && equal(at(s, 1), b)) return true;
  }
  return false;
}

// Consecutive points in pairs, each pair one segment inside the face; an
// odd last point has no partner.  Faces that meet at the cut height (a
// wall's top under the ceiling) give the same segment twice; it is kept
// once, or the chain would double back along it.
void append_segments(VALUE points, VALUE segments) {
  for (long k = 0; k + 1 < len(points); k += 2) {
    VALUE a = at(points, k), b = at(points, k + 1);
    if (!known_segment(segments, a, b)) push(segments, array_of(a, b, flo(0.0)));
  }
}

VALUE cut_segments(VALUE room, VALUE lines, double t) {
  VALUE roomFaces = array_ivar(room, iv::Room::roomFaces);
  VALUE segments = new_array(8);
  for (long i = 0; i < len(lines); ++i) {
    for (long r = 0; r < len(roomFaces); ++r) {
      VALUE R = at(roomFaces, r);
      if (number_ivar(R, iv::RoomFace::leastZ) > t) continue;
      VALUE points = crossings(at(lines, i), answering_ivar(R, iv::RoomFace::face, id::edges), t);
      sort_along_line(points);
      append_segments(points, segments);
    }
  }
  return segments;
}

VALUE without(VALUE ary, VALUE item) { return call(ary, id::minus, array_of(item)); }

VALUE swapped(VALUE segment) { return array_of(at(segment, 1), at(segment, 0), at(segment, 2)); }

// The first segment of rest that continues from e, turned round when it
// meets e with its end; nil when none does.  *used is the one in rest.
VALUE continuation(VALUE rest, VALUE e, VALUE* used) {
  for (long k = 0; k < len(rest); ++k) {
    VALUE s = at(rest, k);
    *used = s;
    if (equal(at(s, 0), e)) return s;
    if (equal(at(s, 1), e)) return swapped(s);
  }
  return Qnil;
}

// The segments joined end to start from the first one, as far as they go.
VALUE chain_of(VALUE segments) {
  VALUE first = at(segments, 0);
  VALUE chain = array_of(rb_ary_dup(first));
  VALUE rest = without(segments, first);
  while (len(chain) < len(segments)) {
    VALUE e = at(at(chain, len(chain) - 1), 1);
    VALUE used = Qnil;
    VALUE next = continuation(rest, e, &used);
    if (NIL_P(next)) break;
    rest = without(rest, used);
    push(chain, next);
  }
  return chain;
}

void cut_at(VALUE room, double t, VALUE tag) {
  VALUE segments = cut_segments(room, distinct_lines(cut_lines(room, t)), t);
  // No segment, no outline: an empty polygon would only mislead the scripts.
  if (len(segments) == 0) return;
  VALUE chain = chain_of(segments);
  VALUE polygon = new_array(len(chain));
  for (long k = 0; k < len(chain); ++k) push(polygon, at(at(chain, k), 0));
  push(expect_array(gv::newFloors), array_of(tag, polygon));
}

}  // namespace

VALUE makeFloors(VALUE self, VALUE height, VALUE mode, VALUE tag) {
  const double c = storey_inches(height);
  double zmin, zmax;
  height_span(self, &zmin, &zmax);
  if (text_is(mode, "true")) {
    // Compared as doubles: a room without vertices gives -inf storeys.
    const double n = std::trunc((zmax - zmin + kStoreyAllowance) / c);
    if (n > kMaxStoreys) bad_storey_height(height);
    for (long j = 1; j < n; ++j) cut_at(self, zmin + j * c, tag);
    return Qtrue;
  }
  if (c > zmax - zmin) return Qfalse;
  cut_at(self, zmin + c, tag);
  return Qtrue;
}

}  // namespace room
}  // namespace qor

#include "edge_dump.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "dictionaries.hpp"

namespace qor {
namespace snapshot {

namespace {

// Any object answering an edge's calls is accepted; anything else is
// refused by name before the first call rather than failing half-way.
void expect_edge_arg(VALUE edge) {
  const ID calls[] = {id::soft_p, id::visible_p, id::smooth_p,
                      id::start,  id::end,       id::attribute_dictionaries};
  for (ID call_id : calls)
    if (!rb_respond_to(edge, call_id))
      rb_raise(rb_eTypeError, "edge must answer %s, not %s", rb_id2name(call_id),
               rb_obj_classname(edge));
}

}  // namespace

VALUE edgeDumpInitialize(VALUE self, VALUE edge) {
  set_ivar(self, iv::FaceDump::attributeDictionaries, new_array());
  if (NIL_P(edge)) return self;
  expect_edge_arg(edge);
  set_ivar(self, iv::EdgeDump::edgeId, call(rb_obj_id(edge), id::to_s));
  set_ivar(self, iv::EdgeDump::soft, call(edge, id::soft_p));
  set_ivar(self, iv::EdgeDump::visible, call(edge, id::visible_p));
  set_ivar(self, iv::EdgeDump::smooth, call(edge, id::smooth_p));
  set_ivar(self, iv::EdgeDump::edgeStart, call(call(edge, id::start), id::position));
  set_ivar(self, iv::EdgeDump::edgeEnd, call(call(edge, id::end), id::position));
  capture_dictionaries(edge, ivar(self, iv::FaceDump::attributeDictionaries));
  return self;
}

// Runs inside the caller's operation; the model may hand back the edge it
// already has between the two points.
VALUE edgeDumpRestore(VALUE self) {
  VALUE edges = call(gv::object_Sketchup_active_model_entities, id::add_edges, ivar(self, iv::EdgeDump::edgeStart),
                     ivar(self, iv::EdgeDump::edgeEnd));
  VALUE edge = at(edges, 0);
  call(edge, id::soft_set, ivar(self, iv::EdgeDump::soft));
  call(edge, id::smooth_set, ivar(self, iv::EdgeDump::smooth));
  call(edge, id::visible_set, ivar(self, iv::EdgeDump::visible));
  restore_dictionaries(edge, ivar(self, iv::FaceDump::attributeDictionaries));
  return edge;
}

}  // namespace snapshot
}  // namespace qor

// QORTA_EdgeDump: an edge captured as plain values and restored.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

// Captures the edge (nil: an empty snapshot).
VALUE edgeDumpInitialize(VALUE self, VALUE edge);
// Adds the edge to the active model's entities, flags and attributes set.
VALUE edgeDumpRestore(VALUE self);

}  // namespace snapshot
}  // namespace qor

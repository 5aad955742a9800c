// QORTA_EdgeDump: an edge captured as plain values and restored.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

VALUE edgeDumpInitialize(VALUE self, VALUE edge);
VALUE edgeDumpRestore(VALUE self);

}  // namespace snapshot
}  // namespace qor

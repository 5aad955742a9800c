#include "edge_dump.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace snapshot {

VALUE edgeDumpInitialize(VALUE, VALUE) { not_built("QORTA_EdgeDump#initialize"); }
VALUE edgeDumpRestore(VALUE) { not_built("QORTA_EdgeDump#restore"); }

}  // namespace snapshot
}  // namespace qor

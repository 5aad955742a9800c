#include "face_dump.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace snapshot {

VALUE faceDumpInitialize(VALUE, VALUE) { not_built("QORTA_FaceDump#initialize"); }
VALUE faceDumpRestore(VALUE) { not_built("QORTA_FaceDump#restore"); }
VALUE faceDumpToXML(VALUE) { not_built("QORTA_FaceDump#toXML"); }

}  // namespace snapshot
}  // namespace qor

#include "xml_escape.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace snapshot {

VALUE unesc(VALUE, VALUE) { not_built("QORTA.unesc"); }

}  // namespace snapshot
}  // namespace qor

// Escaping text for the snapshot XML, and undoing it.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

VALUE unesc(VALUE self, VALUE text);

}  // namespace snapshot
}  // namespace qor

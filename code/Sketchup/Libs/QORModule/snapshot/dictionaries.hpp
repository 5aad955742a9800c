// An entity's attribute dictionaries as plain values, and back.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

// Appends [name, [key1, value1, key2, value2, ...]] to out for each of the
// entity's dictionaries, in the entity's order, pairs in each dictionary's
// own order.  Nothing when the entity has none.
void capture_dictionaries(VALUE entity, VALUE out);
// set_attribute(name, key, value) on the entity for every captured pair,
// in capture order.
void restore_dictionaries(VALUE entity, VALUE captured);

}  // namespace snapshot
}  // namespace qor

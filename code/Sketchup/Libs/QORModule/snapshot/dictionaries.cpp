#include "dictionaries.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"
#include "../geometry/sort_blocks.hpp"

namespace qor {
namespace snapshot {

void capture_dictionaries(VALUE entity, VALUE out) {
  VALUE dictionaries = call(entity, id::attribute_dictionaries);
  if (NIL_P(dictionaries)) return;
  dictionaries = call(dictionaries, id::to_a);
  for (long i = 0; i < len(dictionaries); ++i) {
    VALUE dictionary = at(dictionaries, i);
    VALUE pairs = new_array(8);
    VALUE entry = array_of(call(dictionary, id::name), pairs);
    geometry::collect_pairs(dictionary, pairs);
    push(out, entry);
  }
}

void restore_dictionaries(VALUE entity, VALUE captured) {
  for (long i = 0; i < len(captured); ++i) {
    VALUE entry = at(captured, i);
    VALUE name = at(entry, 0);
    VALUE pairs = at(entry, 1);
    for (long k = 0; k + 1 < len(pairs); k += 2)
      call(entity, id::set_attribute, name, at(pairs, k), at(pairs, k + 1));
  }
}

}  // namespace snapshot
}  // namespace qor

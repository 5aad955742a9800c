// The native blocks handed to Ruby's sort! and each.
//
// Each sort block compares the two values sort! yields and answers the
// Integer -1, 0 or 1; any other number of values raises ArgumentError.
#pragma once

#include "../core/version.hpp"

namespace qor {
namespace geometry {

// Greatest y first.
VALUE sortByYDescending(QOR_BLOCK_ARGS);
// Greatest x first.
VALUE sortByXDescending(QOR_BLOCK_ARGS);
// Greatest x first, equal x by greatest y first.
VALUE sortByXThenYDescending(QOR_BLOCK_ARGS);
// Keyed pairs [key, item]: smallest key first, equal keys by the item
// nearest to the block's data (the ordering reference point) first.
VALUE sortByKeyThenDistance(QOR_BLOCK_ARGS);
// Keyed pairs [key, item]: smallest key first.
VALUE sortByKey(QOR_BLOCK_ARGS);
// Appends the yielded key, then value, to the Array given as data; answers
// true.  A key and a value may come as two values (yield k, v) or packed in
// one [k, v] pair, which is how Hash#each and an Array of pairs yield to a
// native block from Ruby 1.9 on.
VALUE collectPair(QOR_BLOCK_ARGS);

// ary.sort! with one of the sort blocks; data reaches the block (the
// reference point for sortByKeyThenDistance).  Answers ary.
VALUE sort_with(VALUE ary, block_fn block, VALUE data = Qnil);
// Sorting by keys read before the sort, so that the comparison never calls
// Ruby.  keyed: an Array of [key1, key2, item] with Float keys; answers the
// items by key1, then key2, smallest first (ascending) or greatest first
// (descending, with the comparison rules of the Descending blocks).
enum class KeyOrder { ascending, descending };
VALUE sort_by_read_keys(VALUE keyed, KeyOrder order);
// A new Array of the points in the order of sortByXThenYDescending, their
// coordinates read once before sorting.
VALUE sort_points_x_then_y_descending(VALUE points);

// enumerable.each with collectPair: appends every key and value to out, in
// the order each yields them.  Answers out.
VALUE collect_pairs(VALUE enumerable, VALUE out);

}  // namespace geometry
}  // namespace qor

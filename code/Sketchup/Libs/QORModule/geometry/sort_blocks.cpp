#include "sort_blocks.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

namespace {

// A single [k, v] Array handed to a block counts as its two entries: Ruby
// blocks taking |k, v| unpack it the same way.  Hash#each and Array#each
// of pairs hand a native block one such value from Ruby 1.9 on; 1.8 hands
// every pair over packed, and block_pair already reads it there.  The
// overload is picked by the block's own parameter list.
inline bool packed_pair(VALUE, VALUE, int argc, const VALUE* argv, VALUE, VALUE* first,
                        VALUE* second) {
  if (argc != 1 || !RB_TYPE_P(argv[0], T_ARRAY) || RARRAY_LEN(argv[0]) != 2) return false;
  *first = rb_ary_entry(argv[0], 0);
  *second = rb_ary_entry(argv[0], 1);
  return true;
}
inline bool packed_pair(VALUE, VALUE, VALUE*, VALUE*) { return false; }

[[noreturn]] void bad_sort_arguments() {
  rb_raise(rb_eArgError, "Invalid arguments for sort block");
}

VALUE ordering(int c) { return INT2FIX(c); }

// 1 when a < b, 0 when equal, -1 otherwise: larger values first.
int descending(double a, double b) {
  if (a < b) return 1;
  if (a == b) return 0;
  return -1;
}

// 1 when a > b, -1 when b > a, otherwise 0: smaller values first.
int ascending(double a, double b) {
  if (a > b) return 1;
  if (b > a) return -1;
  return 0;
}

double coordinate(VALUE point, ID axis) { return num(call(point, axis)); }

}  // namespace

VALUE sortByYDescending(QOR_BLOCK_ARGS) {
  VALUE a, b;
  if (!block_pair(QOR_BLOCK_FORWARD, &a, &b)) bad_sort_arguments();
  return ordering(descending(coordinate(a, id::y), coordinate(b, id::y)));
}

VALUE sortByXDescending(QOR_BLOCK_ARGS) {
  VALUE a, b;
  if (!block_pair(QOR_BLOCK_FORWARD, &a, &b)) bad_sort_arguments();
  return ordering(descending(coordinate(a, id::x), coordinate(b, id::x)));
}

VALUE sortByXThenYDescending(QOR_BLOCK_ARGS) {
  VALUE a, b;
  if (!block_pair(QOR_BLOCK_FORWARD, &a, &b)) bad_sort_arguments();
  const double ax = coordinate(a, id::x), bx = coordinate(b, id::x);
  if (ax < bx) return ordering(1);
  if (ax != bx) return ordering(-1);
  return ordering(descending(coordinate(a, id::y), coordinate(b, id::y)));
}

VALUE sortByKey(QOR_BLOCK_ARGS) {
  VALUE a, b;
  if (!block_pair(QOR_BLOCK_FORWARD, &a, &b)) bad_sort_arguments();
  return ordering(ascending(num(at(a, 0)), num(at(b, 0))));
}

VALUE sortByKeyThenDistance(QOR_BLOCK_ARGS) {
  VALUE a, b;
  if (!block_pair(QOR_BLOCK_FORWARD, &a, &b)) bad_sort_arguments();
  const int by_key = ascending(num(at(a, 0)), num(at(b, 0)));
  if (by_key != 0) return ordering(by_key);
  const VALUE reference = data;
  const double da = num(call(call(at(a, 1), id::distance, reference), id::to_f));
  const double db = num(call(call(at(b, 1), id::distance, reference), id::to_f));
  return ordering(ascending(da, db));
}

VALUE collectPair(QOR_BLOCK_ARGS) {
  VALUE key, value;
  if (!block_pair(QOR_BLOCK_FORWARD, &key, &value) &&
      !packed_pair(QOR_BLOCK_FORWARD, &key, &value))
    rb_raise(rb_eArgError, "Invalid arguments for each pair block");
  expect_array(data);
  push(data, key);
  push(data, value);
  return Qtrue;
}

namespace {

// An entry of a pre-keyed sort: [key1, key2, item] with Float keys.
bool keyed_entry(VALUE e, double* k1, double* k2) {
  if (!RB_TYPE_P(e, T_ARRAY) || RARRAY_LEN(e) != 3) return false;
  VALUE a = RARRAY_AREF(e, 0), b = RARRAY_AREF(e, 1);
  if (!RB_FLOAT_TYPE_P(a) || !RB_FLOAT_TYPE_P(b)) return false;
  *k1 = RFLOAT_VALUE(a);
  *k2 = RFLOAT_VALUE(b);
  return true;
}

// Compares pre-keyed entries by both keys, in the direction given as data.
// It reads numbers only and never calls Ruby, so nothing can leave a sort
// by a jump: the sort's own buffer (the C library's merge sort allocates
// one) would be lost with it.
VALUE sortByReadKeys(QOR_BLOCK_ARGS) {
  VALUE a, b;
  double a1, a2, b1, b2;
  if (!block_pair(QOR_BLOCK_FORWARD, &a, &b)) bad_sort_arguments();
  // A count is the interpreter's to get wrong; an entry of another shape is
  // a caller's, and 1.8 (which checks no count) must not take it for one.
  if (!keyed_entry(a, &a1, &a2) || !keyed_entry(b, &b1, &b2))
    rb_raise(rb_eTypeError, "sort entry is not [key, key, item]");
  int (*order)(double, double) = FIX2INT(data) > 0 ? ascending : descending;
  const int by_first = order(a1, b1);
  return ordering(by_first != 0 ? by_first : order(a2, b2));
}

}  // namespace

VALUE sort_by_read_keys(VALUE keyed, KeyOrder order) {
  sort_with(keyed, sortByReadKeys, INT2FIX(order == KeyOrder::ascending ? 1 : -1));
  VALUE items = new_array(len(keyed));
  for (long i = 0; i < len(keyed); ++i) push(items, at(at(keyed, i), 2));
  return items;
}

VALUE sort_points_x_then_y_descending(VALUE points) {
  VALUE keyed = new_array(len(points));
  for (long i = 0; i < len(points); ++i) {
    VALUE p = at(points, i);
    push(keyed, array_of(flo(coordinate(p, id::x)), flo(coordinate(p, id::y)), p));
  }
  return sort_by_read_keys(keyed, KeyOrder::descending);
}

VALUE sort_with(VALUE ary, block_fn block, VALUE data) {
  block_call(ary, id::sort_bang, 0, nullptr, block, data);
  return ary;
}

VALUE collect_pairs(VALUE enumerable, VALUE out) {
  expect_array(out);
  block_call(enumerable, id::each, 0, nullptr, collectPair, out);
  return out;
}

}  // namespace geometry
}  // namespace qor

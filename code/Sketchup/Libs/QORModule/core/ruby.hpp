// The bridge between the extension and the interpreter.
//
// Rules every caller relies on:
//  * Ruby values live on the stack, in Ruby objects or in registered roots,
//    never in heap C++ containers the collector cannot see.
//  * A call into Ruby may raise (a longjmp) and may run the collector, so a
//    frame live across such a call holds no object with a destructor.  Where
//    a container is truly needed, go through protect().
#pragma once

#include "version.hpp"

#include <cstring>
#include <utility>

namespace qor {

// "Exactly true": only the interpreter's true object counts.
inline bool is_true(VALUE v) { return v == Qtrue; }
// "Exactly false".
inline bool is_false(VALUE v) { return v == Qfalse; }
// "True in Ruby's sense": everything but nil and false.
inline bool truthy(VALUE v) { return RTEST(v); }

// recv.mid(args...), visibility not checked (as the interpreter does for a
// call with an implicit receiver).
inline VALUE call(VALUE recv, ID mid) { return rb_funcallv(recv, mid, 0, nullptr); }

template <class... Args>
inline VALUE call(VALUE recv, ID mid, Args... args) {
  const VALUE argv[] = {static_cast<VALUE>(args)...};
  return rb_funcallv(recv, mid, static_cast<int>(sizeof...(Args)), argv);
}

// Ruby equality: recv == other, true in Ruby's sense.
bool equal(VALUE a, VALUE b);

// Instance variables, by interned "@name".
inline VALUE ivar(VALUE obj, ID iv) { return rb_ivar_get(obj, iv); }
inline void set_ivar(VALUE obj, ID iv, VALUE v) { rb_ivar_set(obj, iv, v); }

// Numbers.
inline double num(VALUE v) { return NUM2DBL(v); }
inline VALUE flo(double d) { return rb_float_new(d); }

// Arrays.  An argument that must be an Array is checked: anything else
// raises the interpreter's TypeError instead of being read as an array.
inline VALUE expect_array(VALUE v) {
  Check_Type(v, T_ARRAY);
  return v;
}
inline long len(VALUE ary) { return RARRAY_LEN(expect_array(ary)); }
inline VALUE at(VALUE ary, long i) { return rb_ary_entry(expect_array(ary), i); }
inline VALUE new_array(long capa = 0) { return ary_new_capa(capa); }
template <class... Args>
inline VALUE array_of(Args... items) {
  const VALUE values[] = {static_cast<VALUE>(items)...};
  return ary_new_from_values(static_cast<long>(sizeof...(Args)), values);
}
inline void push(VALUE ary, VALUE v) { rb_ary_push(ary, v); }

// Strings.
inline VALUE new_string(const char* text) { return rb_str_new_cstr(text); }
// Is v a String with exactly the text of `text` (a String)?
inline bool text_is(VALUE v, VALUE text) {
  return RB_TYPE_P(v, T_STRING) && rb_str_equal(v, text) == Qtrue;
}
inline bool text_is(VALUE v, const char* text) {
  const size_t n = std::strlen(text);
  return RB_TYPE_P(v, T_STRING) && static_cast<size_t>(RSTRING_LEN(v)) == n &&
         std::memcmp(RSTRING_PTR(v), text, n) == 0;
}

// Runs f() under rb_protect.  Returns f's result; *state is non-zero when
// a Ruby exception was raised.  The caller releases its C++ objects and
// then re-raises with rb_jump_tag(state).
template <class F>
VALUE protect(F&& f, int* state) {
  struct Thunk {
    static VALUE run(VALUE p) { return (*reinterpret_cast<F*>(p))(); }
  };
  return rb_protect(&Thunk::run, reinterpret_cast<VALUE>(&f), state);
}

}  // namespace qor

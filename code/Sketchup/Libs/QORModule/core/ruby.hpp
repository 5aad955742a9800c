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
#include <type_traits>
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
// rb_ary_entry's answer (nil out of range, negative from the end), read in
// place: the commonest read of all, and rb_ary_entry is no inline.
inline VALUE at(VALUE ary, long i) {
  const long n = RARRAY_LEN(expect_array(ary));
  if (i < 0) i += n;
  return i < 0 || i >= n ? Qnil : RARRAY_AREF(ary, i);
}
inline VALUE new_array(long capa = 0) { return ary_new_capa(capa); }
template <class... Args>
inline VALUE array_of(Args... items) {
  const VALUE values[] = {static_cast<VALUE>(items)...};
  return ary_new_from_values(static_cast<long>(sizeof...(Args)), values);
}
inline void push(VALUE ary, VALUE v) { rb_ary_push(expect_array(ary), v); }
// An instance variable that must hold an Array.  A callback may have
// replaced it since it was set, so it is read afresh each time and anything
// else raises TypeError naming the variable.
VALUE array_ivar(VALUE obj, ID iv);
// The same for a list that may be unset: nil reads as a new empty Array.
VALUE list_ivar(VALUE obj, ID iv);
// Fields of other types, checked the same way: each raises TypeError naming
// the variable ("@face must answer vertices, not Integer").
VALUE string_ivar(VALUE obj, ID iv);
double number_ivar(VALUE obj, ID iv);
// Something answering x and y; `what` names it ("a point", "a vector").
VALUE xyz_ivar(VALUE obj, ID iv, const char* what);
// An object the extension calls mid on.
VALUE answering_ivar(VALUE obj, ID iv, ID mid);
// An object of the host's or the scripts' own classes (a face, a room):
// nil, true, false, numbers, Symbols, Strings, Arrays and Hashes are
// refused; `what` names what it must be ("a face").
VALUE object_ivar(VALUE obj, ID iv, const char* what);

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
// f left by a non-local exit (an exception, throw, break, Thread#kill,
// exit).  The caller releases its C++ objects, cleans up, and then passes
// the exit on unchanged with rb_jump_tag(state): never by turning it into
// an exception object, which a throw or a kill is not.
template <class F>
VALUE protect(F&& f, int* state) {
  typedef typename std::remove_reference<F>::type Fn;
  struct Thunk {
    static VALUE run(VALUE p) { return (*reinterpret_cast<Fn*>(p))(); }
  };
  return rb_protect(&Thunk::run, reinterpret_cast<VALUE>(&f), state);
}

// Runs f(owned) under protect() with a T made for the call from args:
// native state (numbers read once, indexes, a walk) that lives across
// calls into Ruby.  T is freed on every exit, and then an exit from Ruby
// passes on unchanged.  Ruby values T holds are on this frame's stack,
// where the collector sees them.
template <class T, class F, class... Args>
VALUE with_native(F&& f, Args&&... args) {
  int state = 0;
  VALUE result = Qnil;
  {
    T owned(std::forward<Args>(args)...);
    result = protect([&]() -> VALUE { return f(owned); }, &state);
  }
  if (state) rb_jump_tag(state);
  return result;
}

// Is v an exception object (and not the interpreter's record of a throw or
// a kill, which errinfo() also answers)?
bool is_exception(VALUE v);

// A clean-up step after protect() caught an exit (*state, with `pending` =
// errinfo() taken right after).  The step runs protected.  Should it fail
// too, the first exit is kept when it can be put back (an exception);
// otherwise the step's own exit replaces it, so that state and errinfo()
// always agree when the caller calls rb_jump_tag(*state).
template <class F>
void clean_up(int* state, VALUE pending, F&& step) {
  int step_state = 0;
  protect(step, &step_state);
  if (step_state == 0) return;
  if (is_exception(pending))
    set_errinfo(pending);
  else
    *state = step_state;
}

// Argument checks for the public entry points: a wrong type raises
// TypeError naming the argument.
VALUE expect_array_arg(VALUE v, const char* name);
VALUE expect_numeric_arg(VALUE v, const char* name);
// Something answering x and y (a point, or an Array of numbers).
VALUE expect_point_arg(VALUE v, const char* name);
// An Array of four numbers.
VALUE expect_plane_arg(VALUE v, const char* name);
// An instance of klass.
VALUE expect_kind_arg(VALUE v, VALUE klass, const char* name);

}  // namespace qor

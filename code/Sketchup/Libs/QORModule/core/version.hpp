// Differences between the interpreter versions this extension is built for.
// Everything that depends on the interpreter's C interface lives here and
// nowhere else; the rest of the source is the same for every build.
#pragma once

#include <ruby.h>
#if !defined(QOR_RUBY_18)
#include <ruby/encoding.h>
#else
#include <node.h>  // the event hooks
#endif
#include <cstdint>

#if defined(QOR_RUBY_18) && defined(_WIN32)
// 1.8's Windows header turns C library and socket calls into function-like
// macros for its own emulation (select, getenv, isnan, write...); they would
// rename our methods and the C++ library's functions.  Nothing here needs
// the emulation.
#undef getc
#undef putc
#undef fgetc
#undef fputc
#undef getchar
#undef putchar
#undef fgetchar
#undef fputchar
#undef utime
#undef strcasecmp
#undef strncasecmp
#undef close
#undef fclose
#undef read
#undef write
#undef getpid
#undef sleep
#undef creat
#undef eof
#undef filelength
#undef mktemp
#undef tell
#undef unlink
#undef fopen
#undef fdopen
#undef fsopen
#undef fsync
#undef stat
#undef execv
#undef isatty
#undef mkdir
#undef rmdir
#undef vsnprintf
#undef isnan
#undef finite
#undef copysign
#undef scalb
#undef strerror
#undef accept
#undef bind
#undef connect
#undef select
#undef getpeername
#undef getsockname
#undef getsockopt
#undef ioctlsocket
#undef listen
#undef recv
#undef recvfrom
#undef send
#undef sendto
#undef setsockopt
#undef shutdown
#undef socket
#undef gethostbyaddr
#undef gethostbyname
#undef gethostname
#undef getprotobyname
#undef getprotobynumber
#undef getservbyname
#undef getservbyport
#undef get_osfhandle
#undef getcwd
#undef getenv
#undef rename
#undef times
#endif

// QOR_RUBY_18: the 1.8 interpreter (32-bit x86).  QOR_RUBY_20: the 2.0
// interpreter (older array constructor names).  QOR_RUBY_22: 2.2.  None
// set: 2.5 and later.  The older interpreters lack some of the names the
// source uses; they are mapped to their older spellings here.
// 1.8 has no identity Hash: a new Hash is asked to "rehash" instead (a
// no-op), and its keys compare by eql?, which for the host's entities and
// the extension's own point copies (unique by value) is identity too.
// Before 2.7 the headers declare callbacks as taking any arguments
// (ANYARGS), to which C++ converts no function pointer by itself.
#if !defined(QOR_RUBY_18)
#include <ruby/version.h>
#endif
#if defined(QOR_RUBY_18) || RUBY_API_VERSION_MAJOR < 2 || \
    (RUBY_API_VERSION_MAJOR == 2 && RUBY_API_VERSION_MINOR < 7)
#define QOR_ANYARGS_CALLBACKS 1
#endif
#if defined(QOR_RUBY_18)
#define QOR_COMPARE_BY_IDENTITY "rehash"
#else
#define QOR_COMPARE_BY_IDENTITY "compare_by_identity"
#endif
#if defined(QOR_RUBY_18) || defined(QOR_RUBY_20)
#define rb_funcallv(recv, mid, argc, argv) \
  rb_funcall2((recv), (mid), (argc), (VALUE*)(argv))
#define rb_ary_new_from_args rb_ary_new3
#endif
#if defined(QOR_RUBY_18)
#define rb_str_new_cstr rb_str_new2
// 1.8 keeps String#== to itself: the same, from its exported pieces (a
// String `a` against anything).
inline VALUE qor_str_equal18(VALUE a, VALUE b) {
  if (a == b) return Qtrue;
  if (TYPE(b) != T_STRING) return rb_equal(b, a);
  return rb_str_cmp(a, b) == 0 ? Qtrue : Qfalse;
}
#define rb_str_equal qor_str_equal18
// A hash's value for a key without its default: 1.8 has no call for it.
inline VALUE qor_hash_lookup2_18(VALUE hash, VALUE key, VALUE missing) {
  st_data_t value;
  return st_lookup(RHASH(hash)->tbl, key, &value) ? static_cast<VALUE>(value) : missing;
}
#define rb_hash_lookup2 qor_hash_lookup2_18
// No BasicObject before 1.9: Object is the root.
#define rb_cBasicObject rb_cObject
// 1.8 throws by a tag's name: its tags are Symbols.
inline void qor_throw_obj18(VALUE tag, VALUE value) {
  if (!SYMBOL_P(tag)) rb_raise(rb_eArgError, "a throw's tag must be a Symbol in 1.8");
  rb_throw(rb_id2name(SYM2ID(tag)), value);
}
#define rb_throw_obj qor_throw_obj18
#endif
#ifndef RB_BUILTIN_TYPE
#define RB_BUILTIN_TYPE(v) BUILTIN_TYPE(v)
#endif
#ifndef RARRAY_AREF
#define RARRAY_AREF(a, i) (RARRAY_PTR(a)[i])
#endif
#ifndef RARRAY_CONST_PTR
#define RARRAY_CONST_PTR(a) (static_cast<const VALUE*>(RARRAY_PTR(a)))
#endif
#ifndef RFLOAT_VALUE
#define RFLOAT_VALUE(v) (RFLOAT(v)->value)
#endif
// 1.8's Rational and Complex are ordinary objects: types no object has.
#ifndef T_RATIONAL
#define T_RATIONAL 0x100
#endif
#ifndef T_COMPLEX
#define T_COMPLEX 0x101
#endif
#if !defined(rb_str_cat_cstr) && \
    (defined(QOR_RUBY_18) || defined(QOR_RUBY_20) || defined(QOR_RUBY_22))
#define rb_str_cat_cstr rb_str_cat2
#endif
// 2.2's header stands finite() in for isfinite(), which would turn
// std::isfinite into a name <cmath> does not have.
#ifdef isfinite
#undef isfinite
#endif
#ifndef RB_TYPE_P
#define RB_TYPE_P(v, t) (TYPE(v) == (t))
#endif
#ifndef RB_FLOAT_TYPE_P
#define RB_FLOAT_TYPE_P(v) RB_TYPE_P((v), T_FLOAT)
#endif
#ifndef RB_INTEGER_TYPE_P
#define RB_INTEGER_TYPE_P(v) (FIXNUM_P(v) || RB_TYPE_P((v), T_BIGNUM))
#endif

// The library's one export: its entry function.
#if defined(_WIN32)
#define QOR_EXPORT __declspec(dllexport)
#else
#define QOR_EXPORT __attribute__((visibility("default")))
#endif

// The interpreter's C++ headers turn rb_define_method and friends into
// templates keyed on a constant arity; the registration tables hold the
// arity as data, so they call the plain functions (the parentheses keep the
// macros from expanding).
#define QOR_DEFINE_METHOD (rb_define_method)
#define QOR_DEFINE_MODULE_FUNCTION (rb_define_module_function)

namespace qor {

// rb_ensure: 1.8 declares its functions as taking any arguments.
inline VALUE ensure(VALUE (*body)(VALUE), VALUE data1, VALUE (*after)(VALUE), VALUE data2) {
#if defined(QOR_ANYARGS_CALLBACKS)
  return rb_ensure(RUBY_METHOD_FUNC(body), data1, RUBY_METHOD_FUNC(after), data2);
#else
  return rb_ensure(body, data1, after, data2);
#endif
}

inline VALUE ary_new_capa(long n) {
#if defined(QOR_RUBY_18) || defined(QOR_RUBY_20)
  return rb_ary_new2(n);
#else
  return rb_ary_new_capa(n);
#endif
}

inline VALUE ary_new_from_values(long n, const VALUE* values) {
#if defined(QOR_RUBY_18) || defined(QOR_RUBY_20)
  return rb_ary_new4(n, values);
#else
  return rb_ary_new_from_values(n, values);
#endif
}

// An empty text buffer: UTF-8 where strings carry an encoding, so that the
// XML the extension writes is text whatever its content.
inline VALUE new_text_buffer(long capa) {
  VALUE s = rb_str_buf_new(capa);
#if !defined(QOR_RUBY_18)
  rb_enc_associate(s, rb_utf8_encoding());
#endif
  return s;
}

// The exception being handled after rb_protect reported one.
#if defined(QOR_RUBY_18)
inline VALUE errinfo() { return ruby_errinfo; }
inline void set_errinfo(VALUE e) { ruby_errinfo = e; }
#else
inline VALUE errinfo() { return rb_errinfo(); }
inline void set_errinfo(VALUE e) { rb_set_errinfo(e); }
#endif

// A function run at the return of a method written in C (the interpreter's
// C-return event): the first point where a call made from Ruby is back in
// Ruby.
#if defined(QOR_RUBY_18)
#define QOR_RETURN_HOOK_ARGS rb_event_t event, NODE* node, VALUE self, ID mid, VALUE klass
typedef void (*return_hook_fn)(rb_event_t, NODE*, VALUE, ID, VALUE);
inline void add_return_hook(return_hook_fn fn) { rb_add_event_hook(fn, RUBY_EVENT_C_RETURN); }
#else
#define QOR_RETURN_HOOK_ARGS rb_event_flag_t event, VALUE data, VALUE self, ID mid, VALUE klass
typedef void (*return_hook_fn)(rb_event_flag_t, VALUE, VALUE, ID, VALUE);
inline void add_return_hook(return_hook_fn fn) { rb_add_event_hook(fn, RUBY_EVENT_C_RETURN, Qnil); }
#endif
inline void remove_return_hook(return_hook_fn fn) { rb_remove_event_hook(fn); }

// recv.mid(*args) in a fiber of its own, so that a throw inside it whose
// catch lies outside comes out as an UncaughtThrowError (naming its tag and
// value) instead of unwinding on.  1.8 has no fibers: a plain call.
#if defined(QOR_RUBY_18)
inline VALUE call_in_fiber(VALUE recv, ID mid, int argc, const VALUE* argv) {
  return rb_funcall2(recv, mid, argc, const_cast<VALUE*>(argv));
}
#else
inline VALUE fiber_body(VALUE, VALUE call, int, const VALUE*, VALUE) {
  const VALUE* c = RARRAY_CONST_PTR(call);
  return rb_funcallv(c[0], SYM2ID(c[1]), static_cast<int>(RARRAY_LEN(call) - 2), c + 2);
}
inline VALUE call_in_fiber(VALUE recv, ID mid, int argc, const VALUE* argv) {
  VALUE call = ary_new_capa(argc + 2);
  rb_ary_push(call, recv);
  rb_ary_push(call, ID2SYM(mid));
  for (int i = 0; i < argc; ++i) rb_ary_push(call, argv[i]);
#if defined(QOR_ANYARGS_CALLBACKS)
  VALUE fiber = rb_fiber_new(RUBY_METHOD_FUNC(fiber_body), call);
#else
  VALUE fiber = rb_fiber_new(fiber_body, call);
#endif
  VALUE result = rb_fiber_resume(fiber, 0, nullptr);
  RB_GC_GUARD(call);
  return result;
}
#endif

// Is a Ruby method running on this thread (so that a call from the window
// system has a Ruby caller waiting below it)?
inline bool ruby_method_running() {
#if defined(QOR_RUBY_18)
  return rb_frame_last_func() != 0;
#else
  ID mid;
  VALUE klass;
  // 2.5's header marks it deprecated, with nothing that answers the same
  // question in its place.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  return rb_frame_method_id_and_class(&mid, &klass) != 0;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
#endif
}

// Is klass's method mid still the interpreter's own definition?  The 1.8
// interpreter cannot tell: it answers no, and callers make the call.
inline bool basic_method(VALUE klass, ID mid) {
#if defined(QOR_RUBY_18)
  (void)klass;
  (void)mid;
  return false;
#else
  return rb_method_basic_definition_p(klass, mid) != 0;
#endif
}

// Machine words to Integers, exactly: a small Integer when it fits, a big
// one otherwise.
inline VALUE signed_word_to_num(intptr_t v) { return LL2NUM(static_cast<long long>(v)); }
inline VALUE unsigned_word_to_num(uintptr_t v) { return ULL2NUM(static_cast<unsigned long long>(v)); }

// A native block: receives the values the interpreter yields.  In 1.8 the
// block gets one value (an array of the yielded values); later interpreters
// pass the yielded values as argc/argv.
// QOR_BLOCK_FORWARD passes a block's own arguments on (to block_pair).
#if defined(QOR_RUBY_18)
#define QOR_BLOCK_ARGS VALUE yielded, VALUE data
#define QOR_BLOCK_FORWARD yielded, data
typedef VALUE (*block_fn)(VALUE yielded, VALUE data);
#else
#define QOR_BLOCK_ARGS VALUE yielded, VALUE data, int argc, const VALUE* argv, VALUE blockarg
#define QOR_BLOCK_FORWARD yielded, data, argc, argv, blockarg
typedef VALUE (*block_fn)(VALUE yielded, VALUE data, int argc, const VALUE* argv, VALUE blockarg);
#endif

#if defined(QOR_RUBY_18)
struct Iteration18 { VALUE recv; ID mid; int argc; const VALUE* argv; };
inline VALUE iterate18(VALUE p) {
  const Iteration18* it = reinterpret_cast<const Iteration18*>(p);
  return rb_funcall2(it->recv, it->mid, it->argc, const_cast<VALUE*>(it->argv));
}
#endif

// Calls recv.mid(*argv) with fn as its block.
inline VALUE block_call(VALUE recv, ID mid, int argc, const VALUE* argv, block_fn fn, VALUE data) {
#if defined(QOR_RUBY_18)
  Iteration18 it = {recv, mid, argc, argv};
  return rb_iterate(iterate18, reinterpret_cast<VALUE>(&it), RUBY_METHOD_FUNC(fn), data);
#elif defined(QOR_ANYARGS_CALLBACKS)
  return rb_block_call(recv, mid, argc, const_cast<VALUE*>(argv), RUBY_METHOD_FUNC(fn), data);
#else
  return rb_block_call(recv, mid, argc, argv, fn, data);
#endif
}

// The two values a block was handed, or false when the count is not two.
// In 1.8 there is no count to check: the pair is taken from the one array.
inline bool block_pair(QOR_BLOCK_ARGS, VALUE* first, VALUE* second) {
#if defined(QOR_RUBY_18)
  (void)data;
  // One value that is not an array (a yield of one value, or of none) is
  // the first member, as a block of two parameters takes it; reading it as
  // an array would read memory it does not have.
  if (!RB_TYPE_P(yielded, T_ARRAY)) {
    *first = yielded;
    *second = Qnil;
    return true;
  }
  *first = rb_ary_entry(yielded, 0);
  *second = rb_ary_entry(yielded, 1);
  return true;
#else
  (void)yielded; (void)data; (void)blockarg;
  if (argc != 2) return false;
  *first = argv[0];
  *second = argv[1];
  return true;
#endif
}

}  // namespace qor

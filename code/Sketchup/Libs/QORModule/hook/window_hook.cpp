#include "window_hook.hpp"

#include "script_sink.hpp"

#include "../core/globals.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace hook {

VALUE subclass(VALUE) { return install() ? Qtrue : Qfalse; }
VALUE unsubclass(VALUE) { return remove() ? Qtrue : Qfalse; }

namespace script {
namespace {

// A script method's exit that waits to go on once back in Ruby, as
// [kind, thread, a, b]: [:raise, thread, exception], [:throw, thread, tag,
// value] or [:kill, thread].  At most one waits.
VALUE pending = Qnil;
bool return_hook_armed = false;

void keep_pending_as_root() {
  static bool registered = false;
  if (registered) return;
  rb_gc_register_address(&pending);
  registered = true;
}

VALUE write_report(VALUE error) {
  VALUE text = rb_str_new_cstr("QORTA window hook: ");
  rb_str_append(text, rb_class_name(CLASS_OF(error)));
  rb_str_cat_cstr(text, ": ");
  rb_str_append(text, rb_obj_as_string(call(error, id::message)));
  rb_str_cat_cstr(text, "\n");
  return call(rb_stderr, id::write, text);
}

// An error with no Ruby caller to receive it: reported on $stderr (the
// host's Ruby console) and dropped.  Reporting is itself protected: a
// broken $stderr or an exception whose #message raises is dropped silently.
void report(VALUE error) {
  if (!is_exception(error)) return;
  int state = 0;
  protect([&] { return write_report(error); }, &state);
  if (state) set_errinfo(Qnil);
  RB_GC_GUARD(error);
}

void pass_exit_on(QOR_RETURN_HOOK_ARGS) {
  if (NIL_P(pending) || rb_ary_entry(pending, 1) != rb_thread_current()) return;
  remove_return_hook(pass_exit_on);
  return_hook_armed = false;
  VALUE exit = pending;
  pending = Qnil;
  VALUE kind = rb_ary_entry(exit, 0);
  if (kind == ID2SYM(id::raise)) rb_exc_raise(rb_ary_entry(exit, 2));
  if (kind == ID2SYM(id::throw_)) rb_throw_obj(rb_ary_entry(exit, 2), rb_ary_entry(exit, 3));
  // A kill of a thread other than the main one (the main one's is an exit)
  // or a throw that reached its catch from inside the fiber (Timeout's):
  // the interpreter's interface cannot rebuild either once caught.
  rb_warn("QORTA window hook: a kill or throw from a script method could not be passed on");
  RB_GC_GUARD(exit);
}

// nil before 2.2, whose uncaught throws have no class of their own: looking
// the name up there would raise inside the window system.
VALUE uncaught_throw_class() {
  return rb_const_defined(rb_cObject, id::UncaughtThrowError) ? rb_const_get(rb_cObject, id::UncaughtThrowError) : Qnil;
}

VALUE tag_of(VALUE uncaught) {
  return call(uncaught, id::tag);
}
VALUE value_of(VALUE uncaught) {
  return call(uncaught, id::value);
}

// What a script method's exit becomes: with a Ruby caller below the window
// system, it waits to go on to that caller once the message is passed on
// (a throw that left the script's fiber is thrown again there); without
// one, an error is reported as the host reports it.
void settle() {
  VALUE error = errinfo();
  set_errinfo(Qnil);
  if (!ruby_method_running()) {
    report(error);
    return;
  }
  keep_pending_as_root();
  VALUE thread = rb_thread_current();
  const VALUE uncaught = uncaught_throw_class();
  if (is_exception(error) && !NIL_P(uncaught) && truthy(rb_obj_is_kind_of(error, uncaught))) {
    int state = 0;
    VALUE tagged = protect([&] {
      return array_of(ID2SYM(id::throw_), thread, tag_of(error), value_of(error));
    }, &state);
    if (state) set_errinfo(Qnil);
    pending = state ? array_of(ID2SYM(id::raise), thread, error) : tagged;
  } else if (is_exception(error)) {
    pending = array_of(ID2SYM(id::raise), thread, error);
  } else {
    pending = array_of(ID2SYM(id::kill), thread);
  }
}

// recv.mid(args...) for the window system: it never unwinds into it.
template <class... Args>
void call_script(ID mid, Args... args) {
  int state = 0;
  protect(
      [=] {
        const VALUE argv[] = {Qnil, static_cast<VALUE>(args)...};
        return call_in_fiber(gv::object_Sketchup_active_model, mid,
                             static_cast<int>(sizeof...(Args)), argv + 1);
      },
      &state);
  if (state) settle();
}

}  // namespace

void menu_event(intptr_t lparam, intptr_t wparam) {
  call_script(id::makePluginFacesDictionary, signed_word_to_num(lparam),
              signed_word_to_num(wparam));
}

void registered_message() {
  call_script(id::callFromSubclassWnd);
}

void message_passed_on() {
  if (NIL_P(pending) || return_hook_armed) return;
  add_return_hook(pass_exit_on);
  return_hook_armed = true;
}

bool in_menu() { return is_true(gv::inMenu); }
void clear_in_menu() { gv::inMenu = Qfalse; }
bool menu_guard_clear() { return is_false(gv::inMenuGuard); }
void clear_menu_guard() { gv::inMenuGuard = Qfalse; }

}  // namespace script
}  // namespace hook
}  // namespace qor

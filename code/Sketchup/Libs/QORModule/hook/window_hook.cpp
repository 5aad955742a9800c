#include "window_hook.hpp"

#include "script_sink.hpp"

#include "../core/globals.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace hook {

VALUE subclass(VALUE) { return install() ? Qtrue : Qfalse; }
VALUE unsubclass(VALUE) { return remove() ? Qtrue : Qfalse; }

namespace script {
namespace {

// A script method that raises here cannot reach any script: the window
// system called us, not Ruby.  The error is reported on $stderr (the host's
// Ruby console) and dropped, and the message still goes on to the host's
// procedure.  Reporting is itself protected: a broken $stderr or an
// exception whose #message raises is dropped silently.
VALUE write_report(VALUE error) {
  static const ID id_message = rb_intern("message");
  static const ID id_write = rb_intern("write");
  VALUE text = rb_str_new_cstr("QORTA window hook: ");
  rb_str_append(text, rb_class_name(CLASS_OF(error)));
  rb_str_cat2(text, ": ");
  rb_str_append(text, rb_obj_as_string(call(error, id_message)));
  rb_str_cat2(text, "\n");
  return call(rb_stderr, id_write, text);
}

void report_and_clear() {
  VALUE error = errinfo();
  set_errinfo(Qnil);
  if (NIL_P(error)) return;  // a throw or break, not an exception
  int state = 0;
  rb_protect(write_report, error, &state);
  if (state) set_errinfo(Qnil);
  RB_GC_GUARD(error);
}

}  // namespace

void menu_event(intptr_t lparam, intptr_t wparam) {
  static const ID id_makePluginFacesDictionary = rb_intern("makePluginFacesDictionary");
  int state = 0;
  protect(
      [=] {
        VALUE low = signed_word_to_num(lparam);
        VALUE high = signed_word_to_num(wparam);
        return call(gv::object_Sketchup_active_model, id_makePluginFacesDictionary, low, high);
      },
      &state);
  if (state) report_and_clear();
}

void registered_message() {
  static const ID id_callFromSubclassWnd = rb_intern("callFromSubclassWnd");
  int state = 0;
  protect([] { return call(gv::object_Sketchup_active_model, id_callFromSubclassWnd); }, &state);
  if (state) report_and_clear();
}

bool in_menu() { return is_true(gv::inMenu); }
void clear_in_menu() { gv::inMenu = Qfalse; }
bool menu_guard_clear() { return is_false(gv::inMenuGuard); }
void clear_menu_guard() { gv::inMenuGuard = Qfalse; }

}  // namespace script
}  // namespace hook
}  // namespace qor

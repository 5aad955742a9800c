// HeadlessWindows: drives the simulated window system from Ruby tests.
// Parameters go in as any Integer of pointer width (signed or unsigned) and
// come back signed, as the hook hands them to the scripts.
#include <ruby.h>

#include <cstdint>

#include "headless/headless_windows.hpp"

namespace {

namespace hw = qor::hook::headless;
using qor::hook::LParam;
using qor::hook::MessageId;
using qor::hook::WParam;

uintptr_t to_word(VALUE v) {
  static const ID id_lt = rb_intern("<");
  if (RTEST(rb_funcall(v, id_lt, 1, INT2FIX(0))))
    return static_cast<uintptr_t>(NUM2LL(v));
  return static_cast<uintptr_t>(NUM2ULL(v));
}

VALUE signed_word(uintptr_t w) { return LL2NUM(static_cast<long long>(static_cast<intptr_t>(w))); }

VALUE host_window(VALUE) { return ULL2NUM(hw::host_window()); }

VALUE register_message(VALUE, VALUE name) {
  return UINT2NUM(qor::hook::register_window_message(StringValueCStr(name)));
}

// send_message(message, wparam, lparam [, window]) -> the procedure's result
VALUE send_message(int argc, VALUE* argv, VALUE) {
  VALUE message, wparam, lparam, window;
  rb_scan_args(argc, argv, "31", &message, &wparam, &lparam, &window);
  const uintptr_t target = NIL_P(window) ? hw::host_window() : to_word(window);
  return signed_word(static_cast<uintptr_t>(
      hw::send_message(target, NUM2UINT(message), static_cast<WParam>(to_word(wparam)),
                       static_cast<LParam>(to_word(lparam)))));
}

// [[message, wparam, lparam], ...] that reached the host's own procedure.
VALUE delivered(VALUE) {
  VALUE list = rb_ary_new();
  for (std::size_t i = 0; i < hw::delivered_count(); ++i) {
    const hw::Delivered d = hw::delivered(i);
    VALUE entry = rb_ary_new();
    rb_ary_push(entry, UINT2NUM(d.message));
    rb_ary_push(entry, signed_word(d.wparam));
    rb_ary_push(entry, signed_word(static_cast<uintptr_t>(d.lparam)));
    rb_ary_push(list, entry);
  }
  return list;
}

VALUE clear_delivered(VALUE) {
  hw::clear_delivered();
  return Qnil;
}

VALUE set_original_result(VALUE, VALUE result) {
  hw::set_original_result(static_cast<qor::hook::LResult>(to_word(result)));
  return result;
}

VALUE set_key_state(VALUE, VALUE key, VALUE state) {
  hw::set_key_state(NUM2INT(key), static_cast<short>(NUM2INT(state)));
  return Qnil;
}

VALUE advance(VALUE, VALUE milliseconds) { return SIZET2NUM(hw::advance_time(NUM2UINT(milliseconds))); }
VALUE pending_timers(VALUE) { return SIZET2NUM(hw::pending_timers()); }

// Does the host window's slot hold its own procedure?
VALUE original_p(VALUE) {
  return hw::current_procedure(hw::host_window()) == hw::original_procedure() ? Qtrue : Qfalse;
}

VALUE reset(VALUE) {
  hw::reset_devices();
  return Qnil;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void Init_qor_hook_test_support() {
  VALUE m = rb_define_module("HeadlessWindows");
  rb_define_module_function(m, "host_window", RUBY_METHOD_FUNC(host_window), 0);
  rb_define_module_function(m, "register_message", RUBY_METHOD_FUNC(register_message), 1);
  rb_define_module_function(m, "send_message", RUBY_METHOD_FUNC(send_message), -1);
  rb_define_module_function(m, "delivered", RUBY_METHOD_FUNC(delivered), 0);
  rb_define_module_function(m, "clear_delivered", RUBY_METHOD_FUNC(clear_delivered), 0);
  rb_define_module_function(m, "original_result=", RUBY_METHOD_FUNC(set_original_result), 1);
  rb_define_module_function(m, "set_key_state", RUBY_METHOD_FUNC(set_key_state), 2);
  rb_define_module_function(m, "advance", RUBY_METHOD_FUNC(advance), 1);
  rb_define_module_function(m, "pending_timers", RUBY_METHOD_FUNC(pending_timers), 0);
  rb_define_module_function(m, "original?", RUBY_METHOD_FUNC(original_p), 0);
  rb_define_module_function(m, "reset", RUBY_METHOD_FUNC(reset), 0);
}

#include "window_hook.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace hook {

namespace {
const char kMessageName[] = "D0E2B385-6C9B-44ea-9D75-9DA52EAA3258_QORMsg";
MessageId message = 0;
WindowHandle window = 0;
}  // namespace

MessageId capture_message() { return message = register_window_message(kMessageName); }
WindowHandle capture_host_window() { return window = foreground_window(); }
MessageId registered_message() { return message; }
WindowHandle host_window() { return window; }

VALUE subclass(VALUE) { not_built("QORTA.subclass"); }
VALUE unsubclass(VALUE) { not_built("QORTA.unsubclass"); }

}  // namespace hook
}  // namespace qor

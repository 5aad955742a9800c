// Putting the extension's window procedure in front of the host window's.
#pragma once

#include <ruby.h>

#include "window_system.hpp"

namespace qor {
namespace hook {

// At load: registers the private message, then captures the host window
// (the foreground window at that moment).  The hook always uses these.
MessageId capture_message();
WindowHandle capture_host_window();
MessageId registered_message();
WindowHandle host_window();

VALUE subclass(VALUE self);
VALUE unsubclass(VALUE self);

}  // namespace hook
}  // namespace qor

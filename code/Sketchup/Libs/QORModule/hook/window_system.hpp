// The window services the hook needs from the platform.  The Win32 build
// uses the real ones; the Linux build simulates a host window, message
// registration, key states and timers.
#pragma once

#include <cstdint>

namespace qor {
namespace hook {

typedef uintptr_t WindowHandle;
typedef unsigned int MessageId;

// Registers a window message by name; 0 on failure.
MessageId register_window_message(const char* name);
// The window in the foreground now.
WindowHandle foreground_window();

}  // namespace hook
}  // namespace qor

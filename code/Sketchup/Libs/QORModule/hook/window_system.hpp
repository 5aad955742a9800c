// The window services the hook needs from the platform.  The Win32 build
// uses the real ones; the Linux build simulates a host window, message
// registration, key states and timers in a small shared library of its own
// (headless/), so that a test driver loaded beside the extension sees the
// same simulated window the extension hooks.
//
// The types mirror the platform's ABI exactly (handles and parameters are
// pointer-width integers, the callbacks use the platform's calling
// convention), so the Win32 implementation hands the hook's procedures to
// the window system without a trampoline.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define QOR_CALLBACK __stdcall
#define QOR_WINDOW_SYSTEM_API
#else
#define QOR_CALLBACK
// The headless services live in a shared library the extension imports.
#define QOR_WINDOW_SYSTEM_API __attribute__((visibility("default")))
#endif

namespace qor {
namespace hook {

typedef uintptr_t WindowHandle;
typedef unsigned int MessageId;
typedef uintptr_t WParam;
typedef intptr_t LParam;
typedef intptr_t LResult;
typedef uintptr_t TimerId;

typedef LResult(QOR_CALLBACK* WindowProcedure)(WindowHandle, MessageId, WParam, LParam);
// (window: always 0 here, WM_TIMER, timer id, tick count)
typedef void(QOR_CALLBACK* TimerProcedure)(WindowHandle, MessageId, TimerId, uint32_t);

// Registers a window message by name; 0 on failure.  The same name always
// gives the same number.
QOR_WINDOW_SYSTEM_API MessageId register_window_message(const char* name);
// The window in the foreground now.
QOR_WINDOW_SYSTEM_API WindowHandle foreground_window();
// Puts proc in the window's window-procedure slot; returns what the slot
// held (null when the window system refuses).
QOR_WINDOW_SYSTEM_API WindowProcedure replace_window_procedure(WindowHandle window,
                                                               WindowProcedure proc);
// Passes a message on to a procedure taken from a window-procedure slot.
QOR_WINDOW_SYSTEM_API LResult call_window_procedure(WindowProcedure proc, WindowHandle window,
                                                    MessageId message, WParam wparam,
                                                    LParam lparam);
// A timer that belongs to no window, ticking every `milliseconds` until
// killed; returns its id (0 on failure).
QOR_WINDOW_SYSTEM_API TimerId start_timer(unsigned int milliseconds, TimerProcedure proc);
QOR_WINDOW_SYSTEM_API bool kill_timer(TimerId id);
// Asynchronous key state of a virtual key: bit 15 while down, bit 0 when
// pressed since the last query.
QOR_WINDOW_SYSTEM_API short async_key_state(int virtual_key);

}  // namespace hook
}  // namespace qor

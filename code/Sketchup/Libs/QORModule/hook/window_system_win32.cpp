// The window services of the real platform.
#include "window_system.hpp"

#include <windows.h>

#if defined(QOR_WINDOW_LONG_32) && defined(_WIN64)
#error "QOR_WINDOW_LONG_32 would truncate the window procedure of a 64-bit build"
#endif

namespace qor {
namespace hook {

namespace {
HWND hwnd_of(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// Our callback types are the platform's with handles spelled as integers:
// the same calling convention and argument sizes, so the cast is exact.
template <class To, class From>
To procedure_cast(From f) {
  return reinterpret_cast<To>(reinterpret_cast<void (*)()>(f));
}
}  // namespace

MessageId register_window_message(const char* name) { return RegisterWindowMessageA(name); }

WindowHandle foreground_window() { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }

WindowProcedure replace_window_procedure(WindowHandle window, WindowProcedure proc) {
#if defined(QOR_WINDOW_LONG_32) || !defined(_WIN64)
  const LONG previous = SetWindowLongW(hwnd_of(window), GWLP_WNDPROC,
                                       static_cast<LONG>(reinterpret_cast<intptr_t>(proc)));
  return reinterpret_cast<WindowProcedure>(static_cast<intptr_t>(previous));
#else
  const LONG_PTR previous =
      SetWindowLongPtrW(hwnd_of(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  return reinterpret_cast<WindowProcedure>(previous);
#endif
}

LResult call_window_procedure(WindowProcedure proc, WindowHandle window, MessageId message,
                              WParam wparam, LParam lparam) {
  // proc may be a handle standing for a procedure rather than its address;
  // only CallWindowProcW knows how to call it.
  return CallWindowProcW(procedure_cast<WNDPROC>(proc), hwnd_of(window), message, wparam,
                         lparam);
}

TimerId start_timer(unsigned int milliseconds, TimerProcedure proc) {
  return SetTimer(nullptr, 0, milliseconds, procedure_cast<TIMERPROC>(proc));
}

bool kill_timer(TimerId id) { return KillTimer(nullptr, id) != FALSE; }

short async_key_state(int virtual_key) { return GetAsyncKeyState(virtual_key); }

}  // namespace hook
}  // namespace qor

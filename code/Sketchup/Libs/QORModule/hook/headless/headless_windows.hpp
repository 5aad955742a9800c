// The simulated window system's controls, for test drivers only.  The
// extension uses window_system.hpp alone; a driver loaded in the same
// process links the same shared library and plays the user and the clock.
#pragma once

#include <cstddef>

#include "../window_system.hpp"

#define QOR_HEADLESS_API __attribute__((visibility("default")))

namespace qor {
namespace hook {
namespace headless {

// A message that reached the host window's own procedure.
struct Delivered {
  MessageId message;
  WParam wparam;
  LParam lparam;
};

// The host window (the foreground window) and its own procedure, which
// records what reaches it and answers with the configured result.
QOR_HEADLESS_API WindowHandle host_window();
QOR_HEADLESS_API WindowProcedure original_procedure();
QOR_HEADLESS_API void set_original_result(LResult result);
QOR_HEADLESS_API std::size_t delivered_count();
QOR_HEADLESS_API Delivered delivered(std::size_t index);
QOR_HEADLESS_API void clear_delivered();

// Sends a message to a window through whatever procedure its slot holds;
// 0 for a window that does not exist.
QOR_HEADLESS_API LResult send_message(WindowHandle window, MessageId message, WParam wparam,
                                      LParam lparam);
QOR_HEADLESS_API WindowProcedure current_procedure(WindowHandle window);

// Raw asynchronous state of a key (see async_key_state); the "pressed
// since last query" bit clears when read.
QOR_HEADLESS_API void set_key_state(int virtual_key, short state);

// The clock: moves it on, firing due timers in time order (a periodic
// timer fires again each period until killed).  Returns the ticks fired.
QOR_HEADLESS_API std::size_t advance_time(unsigned int milliseconds);
QOR_HEADLESS_API std::size_t pending_timers();

// Back to the state at load, except what the window's slot holds and the
// registered messages: no timers, keys up, empty record.
QOR_HEADLESS_API void reset_devices();

}  // namespace headless
}  // namespace hook
}  // namespace qor

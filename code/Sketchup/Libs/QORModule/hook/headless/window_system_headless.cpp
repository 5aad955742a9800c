// Simulated window services for machines without a window system: one host
// window, registered messages, key states and timers on a virtual clock.
// Built as a shared library of its own, so the extension and a test driver
// loaded beside it share one simulated window system, as both would share
// the platform's on Windows.
#include "headless_windows.hpp"

#include <cctype>
#include <cstring>

namespace qor {
namespace hook {

namespace {

const WindowHandle kHostWindow = 0x000A0B0C;
const MessageId kTimerMessage = 0x0113;  // WM_TIMER

// Registered messages live in 0xC000..0xFFFF, as on the real platform.
const MessageId kFirstRegisteredMessage = 0xC0DE;
const std::size_t kMaxRegistered = 32;
const std::size_t kMaxNameLength = 255;
char registered_names[kMaxRegistered][kMaxNameLength + 1];
std::size_t registered_count = 0;

// The host window's own procedure and what reached it.  A fixed ring keeps
// the simulated window free of allocation; tests read far fewer.
const std::size_t kMaxDelivered = 4096;
headless::Delivered delivered_log[kMaxDelivered];
std::size_t delivered_total = 0;
LResult original_result = 0;

LResult QOR_CALLBACK host_procedure(WindowHandle, MessageId message, WParam wparam,
                                    LParam lparam) {
  headless::Delivered d = {message, wparam, lparam};
  delivered_log[delivered_total % kMaxDelivered] = d;
  ++delivered_total;
  return original_result;
}

WindowProcedure host_slot = &host_procedure;

short key_states[256];

struct Timer {
  TimerId id;  // 0: free slot
  unsigned int period;
  unsigned long long due;
  TimerProcedure proc;
};
const std::size_t kMaxTimers = 64;
Timer timers[kMaxTimers];
TimerId last_timer_id = 0;
unsigned long long now = 0;

}  // namespace

MessageId register_window_message(const char* name) {
  if (name == nullptr || *name == '\0' || std::strlen(name) > kMaxNameLength) return 0;
  // Names compare without regard to case, as on the real platform.
  for (std::size_t i = 0; i < registered_count; ++i) {
    const char* a = registered_names[i];
    const char* b = name;
    while (*a && *b && std::tolower(static_cast<unsigned char>(*a)) ==
                           std::tolower(static_cast<unsigned char>(*b)))
      ++a, ++b;
    if (*a == '\0' && *b == '\0') return kFirstRegisteredMessage + static_cast<MessageId>(i);
  }
  if (registered_count == kMaxRegistered) return 0;
  std::strcpy(registered_names[registered_count], name);
  return kFirstRegisteredMessage + static_cast<MessageId>(registered_count++);
}

WindowHandle foreground_window() { return kHostWindow; }

WindowProcedure replace_window_procedure(WindowHandle window, WindowProcedure proc) {
  if (window != kHostWindow) return nullptr;
  WindowProcedure previous = host_slot;
  host_slot = proc;
  return previous;
}

LResult call_window_procedure(WindowProcedure proc, WindowHandle window, MessageId message,
                              WParam wparam, LParam lparam) {
  return proc ? proc(window, message, wparam, lparam) : 0;
}

TimerId start_timer(unsigned int milliseconds, TimerProcedure proc) {
  if (proc == nullptr) return 0;
  for (Timer& t : timers) {
    if (t.id != 0) continue;
    t.id = ++last_timer_id;
    t.period = milliseconds == 0 ? 1 : milliseconds;
    t.due = now + t.period;
    t.proc = proc;
    return t.id;
  }
  return 0;
}

bool kill_timer(TimerId id) {
  if (id == 0) return false;
  for (Timer& t : timers) {
    if (t.id == id) {
      t.id = 0;
      return true;
    }
  }
  return false;
}

short async_key_state(int virtual_key) {
  if (virtual_key < 0 || virtual_key > 255) return 0;
  short state = key_states[virtual_key];
  key_states[virtual_key] = static_cast<short>(state & ~1);
  return state;
}

namespace headless {

WindowHandle host_window() { return kHostWindow; }
WindowProcedure original_procedure() { return &host_procedure; }
void set_original_result(LResult result) { original_result = result; }

std::size_t delivered_count() {
  return delivered_total < kMaxDelivered ? delivered_total : kMaxDelivered;
}

Delivered delivered(std::size_t index) {
  std::size_t first = delivered_total < kMaxDelivered ? 0 : delivered_total - kMaxDelivered;
  if (index >= delivered_count()) return Delivered{0, 0, 0};
  return delivered_log[(first + index) % kMaxDelivered];
}

void clear_delivered() { delivered_total = 0; }

LResult send_message(WindowHandle window, MessageId message, WParam wparam, LParam lparam) {
  if (window != kHostWindow) return 0;
  return call_window_procedure(host_slot, window, message, wparam, lparam);
}

WindowProcedure current_procedure(WindowHandle window) {
  return window == kHostWindow ? host_slot : nullptr;
}

void set_key_state(int virtual_key, short state) {
  if (virtual_key >= 0 && virtual_key <= 255) key_states[virtual_key] = state;
}

std::size_t advance_time(unsigned int milliseconds) {
  const unsigned long long until = now + milliseconds;
  std::size_t fired = 0;
  for (;;) {
    // The earliest due timer; a procedure may kill or start timers, so
    // look again after each tick.
    Timer* next = nullptr;
    for (Timer& t : timers)
      if (t.id != 0 && t.due <= until && (next == nullptr || t.due < next->due)) next = &t;
    if (next == nullptr) break;
    now = next->due;
    next->due += next->period;
    const TimerId id = next->id;
    const TimerProcedure proc = next->proc;
    proc(0, kTimerMessage, id, static_cast<uint32_t>(now));
    ++fired;
  }
  now = until;
  return fired;
}

std::size_t pending_timers() {
  std::size_t n = 0;
  for (const Timer& t : timers)
    if (t.id != 0) ++n;
  return n;
}

void reset_devices() {
  for (Timer& t : timers) t.id = 0;
  std::memset(key_states, 0, sizeof key_states);
  delivered_total = 0;
  original_result = 0;
}

}  // namespace headless
}  // namespace hook
}  // namespace qor

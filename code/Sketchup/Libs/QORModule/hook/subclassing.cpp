#include "subclassing.hpp"

#include "script_sink.hpp"

namespace qor {
namespace hook {

namespace {
const char kMessageName[] = "D0E2B385-6C9B-44ea-9D75-9DA52EAA3258_QORMsg";
MessageId message = 0;
WindowHandle window = 0;
bool is_hooked = false;
WindowProcedure previous = nullptr;

// The menu keys, tested in this order; the first one down stops the test.
bool menu_key_down() {
  return async_key_state(kKeyO) != 0 || async_key_state(kKeyH) != 0 ||
         async_key_state(kKeyZ) != 0;
}
}  // namespace

MessageId capture_message() { return message = register_window_message(kMessageName); }
WindowHandle capture_host_window() { return window = foreground_window(); }
MessageId registered_message() { return message; }
WindowHandle host_window() { return window; }
bool hooked() { return is_hooked; }
WindowProcedure previous_procedure() { return previous; }

bool install() {
  if (is_hooked) return false;
  // Not checked: when the window system refuses, previous stays null and
  // remove() writes null back, as the host expects of us.
  previous = replace_window_procedure(window, &window_procedure);
  is_hooked = true;
  return true;
}

bool remove() {
  if (!is_hooked) return false;
  replace_window_procedure(window, previous);
  previous = nullptr;
  is_hooked = false;
  return true;
}

LResult QOR_CALLBACK window_procedure(WindowHandle hwnd, MessageId msg, WParam wparam,
                                      LParam lparam) {
  // Taken before any script runs: a script that unhooks mid-message must
  // not keep the message from the procedure it was meant for.
  const WindowProcedure pass_to = previous;
  if (msg == kMenuSelect) {
    script::menu_event(lparam, static_cast<intptr_t>(wparam));
  } else if (msg == kExitMenuLoop) {
    if (script::in_menu()) {
      script::clear_menu_guard();
      start_timer(kMenuTimerMilliseconds, &menu_timer);
    }
  } else if (msg == kCommand) {
    // A command typed with one of these keys held is the scripts' own
    // shortcut, not a menu pick.
    if (!menu_key_down()) script::menu_event(lparam, static_cast<intptr_t>(wparam));
  }
  if (message != 0 && msg == message) script::registered_message();
  // Nothing is swallowed: the host's own procedure sees every message.
  const LResult result =
      pass_to == nullptr ? 0 : call_window_procedure(pass_to, hwnd, msg, wparam, lparam);
  script::message_passed_on();
  return result;
}

void QOR_CALLBACK menu_timer(WindowHandle, MessageId, TimerId id, uint32_t) {
  kill_timer(id);  // one tick only
  if (script::menu_guard_clear()) script::clear_in_menu();
}

}  // namespace hook
}  // namespace qor

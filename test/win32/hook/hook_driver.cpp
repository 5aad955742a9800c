// Runs the window hook's logic with the Win32 window services on a real
// window.  The scripts are replaced by a recording stand-in, so no
// interpreter is involved.  Prints one "ok - name" / "not ok - name" line
// per check and ends with "N passed, M failed"; exits non-zero on failure.
#include <windows.h>

#include <stdio.h>

#include "../checks.hpp"

#include <vector>

#include "script_sink.hpp"
#include "subclassing.hpp"

namespace hook = qor::hook;

namespace {

using checks::check;

// A Ruby value as the hook sees it: exactly true, exactly false, or other.
enum class Flag { False, True, Other };

// The recording stand-in for the scripts.
struct Scripts {
  struct MenuEvent {
    intptr_t lparam, wparam;
  };
  std::vector<MenuEvent> menu_events;
  int registered_calls = 0;
  Flag in_menu = Flag::False;
  Flag guard = Flag::False;
  int guard_reads = 0;  // one per timer tick
} g_scripts;

// What reached the window's own procedure.
struct Delivered {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
std::vector<Delivered> g_delivered;
const LRESULT kOriginalResult = 0x5EED;

LRESULT CALLBACK original_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MENUSELECT || message == WM_COMMAND || message == WM_EXITMENULOOP ||
      message == hook::registered_message() || message == WM_USER) {
    g_delivered.push_back(Delivered{message, wparam, lparam});
    return kOriginalResult;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Dispatches messages (the timers' among them) for the given time.
void pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

// Pumps until the stand-in's $inMenu is cleared or the time is up; returns
// the time it took.
DWORD pump_until_menu_cleared(DWORD limit) {
  const DWORD start = GetTickCount();
  while (g_scripts.in_menu != Flag::False && GetTickCount() - start < limit) pump(10);
  return GetTickCount() - start;
}

bool delivered_last(UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_delivered.empty()) return false;
  const Delivered& d = g_delivered.back();
  return d.message == message && d.wparam == wparam && d.lparam == lparam;
}

// What the window's procedure slot holds, and procedures, as addresses.
intptr_t slot(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWLP_WNDPROC); }
template <class F>
intptr_t address(F f) {
  return reinterpret_cast<intptr_t>(f);
}

}  // namespace

// The script side, recorded.
namespace qor {
namespace hook {
namespace script {
void menu_event(intptr_t lparam, intptr_t wparam) {
  g_scripts.menu_events.push_back(Scripts::MenuEvent{lparam, wparam});
}
void registered_message() { ++g_scripts.registered_calls; }
void message_passed_on() {}  // these script stand-ins never leave by a jump
bool in_menu() { return g_scripts.in_menu == Flag::True; }
void clear_in_menu() { g_scripts.in_menu = Flag::False; }
bool menu_guard_clear() {
  ++g_scripts.guard_reads;
  return g_scripts.guard == Flag::False;
}
void clear_menu_guard() { g_scripts.guard = Flag::False; }
}  // namespace script
}  // namespace hook
}  // namespace qor

int main() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = original_procedure;
  wc.hInstance = instance;
  wc.lpszClassName = L"QORHookTestHost";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Hook test host", WS_OVERLAPPEDWINDOW,
                              0, 0, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!check(hwnd != nullptr, "host window created")) {
    return checks::finish();
  }
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  pump(100);

  // At load.
  const hook::MessageId message = hook::capture_message();
  check(message != 0 &&
            message == RegisterWindowMessageA("D0E2B385-6C9B-44ea-9D75-9DA52EAA3258_QORMsg"),
        "message registered under its name");
  check(hook::capture_host_window() == reinterpret_cast<hook::WindowHandle>(hwnd),
        "foreground window captured as the host window");

  // Subclassing.
  check(!hook::remove(), "unsubclass without subclass is refused");
  check(hook::install(), "subclass");
  check(slot(hwnd) == address(&hook::window_procedure),
        "the hook's procedure is in the window's slot");
  check(!hook::install(), "second subclass is refused");

  // Menu selection and command reach the scripts, lParam first, and the host.
  LRESULT r = SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(7, MF_POPUP), 0x1234);
  check(g_scripts.menu_events.size() == 1 && g_scripts.menu_events[0].lparam == 0x1234 &&
            g_scripts.menu_events[0].wparam == static_cast<intptr_t>(MAKEWPARAM(7, MF_POPUP)),
        "WM_MENUSELECT calls the script with (lParam, wParam)");
  check(r == kOriginalResult && delivered_last(WM_MENUSELECT, MAKEWPARAM(7, MF_POPUP), 0x1234),
        "WM_MENUSELECT reaches the original procedure, its answer returned");

  const WPARAM all_ones = ~static_cast<WPARAM>(0);
  const LPARAM lowest = static_cast<LPARAM>(static_cast<WPARAM>(1) << (sizeof(LPARAM) * 8 - 1));
  r = SendMessageW(hwnd, WM_COMMAND, all_ones, lowest);
  check(g_scripts.menu_events.size() == 2 && g_scripts.menu_events[1].wparam == -1 &&
            g_scripts.menu_events[1].lparam == lowest,
        "WM_COMMAND (no menu key down) calls the script with signed pointer-width values");
  check(r == kOriginalResult && delivered_last(WM_COMMAND, all_ones, lowest),
        "WM_COMMAND reaches the original procedure unchanged");

  // The registered message, sent and posted.
  SendMessageW(hwnd, message, 1, 2);
  PostMessageW(hwnd, message, 3, 4);
  pump(100);
  check(g_scripts.registered_calls == 2, "registered message calls the script once each");
  check(delivered_last(message, 3, 4) && g_delivered.size() == 4,
        "registered message reaches the original procedure");
  SendMessageW(hwnd, WM_USER, 5, 6);
  check(g_scripts.registered_calls == 2 && g_scripts.menu_events.size() == 2 &&
            delivered_last(WM_USER, 5, 6),
        "other messages are only passed on");

  // The menu timer.
  g_scripts.in_menu = Flag::Other;
  g_scripts.guard = Flag::True;
  SendMessageW(hwnd, WM_EXITMENULOOP, 0, 0);
  pump(700);
  check(g_scripts.guard == Flag::True && g_scripts.guard_reads == 0 &&
            g_scripts.in_menu == Flag::Other && delivered_last(WM_EXITMENULOOP, 0, 0),
        "menu exit with $inMenu not exactly true arms no timer");

  g_scripts.in_menu = Flag::True;
  g_scripts.guard = Flag::True;
  SendMessageW(hwnd, WM_EXITMENULOOP, 0, 0);
  check(g_scripts.guard == Flag::False, "menu exit with $inMenu true clears the guard");
  const DWORD took = pump_until_menu_cleared(3000);
  printf("# $inMenu cleared after %lu ms\n", static_cast<unsigned long>(took));
  check(g_scripts.in_menu == Flag::False && took >= 400, "the timer clears $inMenu after ~500 ms");
  pump(1200);
  check(g_scripts.guard_reads == 1, "the timer fires once only");

  g_scripts.guard_reads = 0;
  g_scripts.in_menu = Flag::True;
  SendMessageW(hwnd, WM_EXITMENULOOP, 0, 0);
  g_scripts.guard = Flag::True;  // the scripts keep the menu flag
  pump(1200);
  check(g_scripts.in_menu == Flag::True && g_scripts.guard_reads == 1,
        "a guard set in time keeps $inMenu");

  // Unsubclassing.
  check(hook::remove(), "unsubclass");
  check(slot(hwnd) == address(&original_procedure), "the original procedure is back in the slot");
  check(!hook::remove(), "second unsubclass is refused");
  const size_t events_before = g_scripts.menu_events.size();
  r = SendMessageW(hwnd, WM_MENUSELECT, 1, 2);
  check(r == kOriginalResult && delivered_last(WM_MENUSELECT, 1, 2) &&
            g_scripts.menu_events.size() == events_before,
        "after unsubclass messages go straight to the original procedure");

  DestroyWindow(hwnd);
  return checks::finish();
}

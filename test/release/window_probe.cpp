// A test-only library for the release check of the window hook
// (window_hook.rb): a real top-level window standing for the modeller's
// main window, and the means to drive it from Ruby.  Built per release
// interpreter by scripts/release.sh; uses only interpreter calls that every
// release interpreter has.
//
//   WindowProbe.open               -> the window's handle (in front)
//   WindowProbe.foreground         -> the handle of the window in front
//   WindowProbe.original?          -> is its own procedure in its slot?
//   WindowProbe.send(msg, w, l)    -> SendMessageW's result
//   WindowProbe.delivered          -> [[msg, w, l], ...] that reached its own
//                                     procedure since the last call
//   WindowProbe.pump(ms)           -> dispatches messages (timers) for ms
//   WindowProbe.key(vk, down)      -> a key pressed or released by SendInput
//   WindowProbe.register(name)     -> RegisterWindowMessageA(name)
// The interpreter's header first: it brings in winsock2.h, which must come
// before windows.h.
#include <ruby.h>
#include <windows.h>

#include <vector>

namespace {

struct Delivered {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
std::vector<Delivered> g_delivered;
HWND g_window = nullptr;
const LRESULT kOwnResult = 0x5EED;

LRESULT CALLBACK own_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MENUSELECT || message == WM_COMMAND || message == WM_EXITMENULOOP ||
      message == WM_USER || message >= 0xC000) {
    g_delivered.push_back(Delivered{message, wparam, lparam});
    return kOwnResult;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

VALUE handle_to_num(HWND h) {
  return ULL2NUM(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
}

void pump_for(DWORD milliseconds) {
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

VALUE probe_open(VALUE) {
  if (g_window) return handle_to_num(g_window);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = own_procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QORReleaseProbe";
  RegisterClassW(&wc);
  g_window = CreateWindowExW(0, wc.lpszClassName, L"modeller", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             10, 10, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  if (!g_window) rb_raise(rb_eRuntimeError, "CreateWindowExW failed (%lu)", GetLastError());
  ShowWindow(g_window, SW_SHOW);
  SetForegroundWindow(g_window);
  SetActiveWindow(g_window);
  pump_for(200);
  return handle_to_num(g_window);
}

VALUE probe_foreground(VALUE) { return handle_to_num(GetForegroundWindow()); }

VALUE probe_original(VALUE) {
  const LONG_PTR slot = GetWindowLongPtrW(g_window, GWLP_WNDPROC);
  return slot == reinterpret_cast<LONG_PTR>(own_procedure) ? Qtrue : Qfalse;
}

VALUE probe_send(VALUE, VALUE message, VALUE wparam, VALUE lparam) {
  const LRESULT r = SendMessageW(g_window, NUM2UINT(message),
                                 static_cast<WPARAM>(NUM2LL(wparam)),
                                 static_cast<LPARAM>(NUM2LL(lparam)));
  return LL2NUM(static_cast<long long>(r));
}

VALUE probe_delivered(VALUE) {
  VALUE list = rb_ary_new();
  for (size_t i = 0; i < g_delivered.size(); ++i) {
    VALUE item = rb_ary_new();
    rb_ary_push(item, UINT2NUM(g_delivered[i].message));
    rb_ary_push(item, LL2NUM(static_cast<long long>(static_cast<LONG_PTR>(g_delivered[i].wparam))));
    rb_ary_push(item, LL2NUM(static_cast<long long>(g_delivered[i].lparam)));
    rb_ary_push(list, item);
  }
  g_delivered.clear();
  return list;
}

VALUE probe_pump(VALUE, VALUE milliseconds) {
  pump_for(NUM2UINT(milliseconds));
  return Qnil;
}

VALUE probe_key(VALUE, VALUE key, VALUE down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(NUM2INT(key));
  input.ki.dwFlags = RTEST(down) ? 0 : KEYEVENTF_KEYUP;
  const UINT sent = SendInput(1, &input, sizeof input);
  pump_for(50);
  return sent == 1 ? Qtrue : Qfalse;
}

VALUE probe_register(VALUE, VALUE name) {
  return UINT2NUM(RegisterWindowMessageA(StringValuePtr(name)));
}

}  // namespace

extern "C" __declspec(dllexport) void Init_window_probe() {
  // The plain functions, not the C++ headers' arity-checked templates.
  VALUE m = rb_define_module("WindowProbe");
  (rb_define_module_function)(m, "open", RUBY_METHOD_FUNC(probe_open), 0);
  (rb_define_module_function)(m, "foreground", RUBY_METHOD_FUNC(probe_foreground), 0);
  (rb_define_module_function)(m, "original?", RUBY_METHOD_FUNC(probe_original), 0);
  (rb_define_module_function)(m, "send", RUBY_METHOD_FUNC(probe_send), 3);
  (rb_define_module_function)(m, "delivered", RUBY_METHOD_FUNC(probe_delivered), 0);
  (rb_define_module_function)(m, "pump", RUBY_METHOD_FUNC(probe_pump), 1);
  (rb_define_module_function)(m, "key", RUBY_METHOD_FUNC(probe_key), 2);
  (rb_define_module_function)(m, "register", RUBY_METHOD_FUNC(probe_register), 1);
}

// What the window hook needs from the scripts.  The extension implements
// these with Ruby calls and globals (window_hook.cpp); a test program can
// link a recording implementation instead, so the hook's logic builds and
// runs without an interpreter.
//
// None of these may unwind into the caller: they run inside the window
// system's dispatch of a message.
#pragma once

#include <cstdint>

namespace qor {
namespace hook {
namespace script {

// makePluginFacesDictionary(lparam, wparam), both as signed pointer-width
// integers.
void menu_event(intptr_t lparam, intptr_t wparam);
// callFromSubclassWnd
void registered_message();
// The message has been passed on to the host's procedure.  A script method
// that left by a non-local exit (throw, Thread#kill, exit) during the
// message has its exit passed on once the window system has returned to
// Ruby, never through the window system's frames.
void message_passed_on();

// $inMenu is exactly true.
bool in_menu();
// $inMenu = false
void clear_in_menu();
// $inMenuGuard is exactly false.
bool menu_guard_clear();
// $inMenuGuard = false
void clear_menu_guard();

}  // namespace script
}  // namespace hook
}  // namespace qor

// The hook's logic: which procedure sits in the host window's slot, what
// the extension's window procedure and menu timer do.  No interpreter and no
// platform calls here: it talks to the scripts through script_sink.hpp and
// to the platform through window_system.hpp.
#pragma once

#include "window_system.hpp"

namespace qor {
namespace hook {

const MessageId kMenuSelect = 0x011F;    // WM_MENUSELECT
const MessageId kExitMenuLoop = 0x0212;  // WM_EXITMENULOOP
const MessageId kCommand = 0x0111;       // WM_COMMAND
const int kKeyO = 0x4F, kKeyH = 0x48, kKeyZ = 0x5A;
const unsigned int kMenuTimerMilliseconds = 500;

// At load: registers the private message, then captures the host window
// (the foreground window at that moment).  The hook always uses these.
MessageId capture_message();
WindowHandle capture_host_window();
MessageId registered_message();
WindowHandle host_window();

// Puts window_procedure in front of the host window's procedure.  False,
// changing nothing, when already hooked.
bool install();
// Puts the previous procedure back.  False, changing nothing, when not
// hooked.
bool remove();
bool hooked();
WindowProcedure previous_procedure();

LResult QOR_CALLBACK window_procedure(WindowHandle window, MessageId message, WParam wparam,
                                      LParam lparam);
// The one-shot menu timer.
void QOR_CALLBACK menu_timer(WindowHandle window, MessageId message, TimerId id, uint32_t time);

}  // namespace hook
}  // namespace qor

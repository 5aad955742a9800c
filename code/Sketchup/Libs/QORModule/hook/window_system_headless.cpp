// Simulated window services for machines without a window system.
#include "window_system.hpp"

#include <cstring>

namespace qor {
namespace hook {

namespace {
// Registered messages live in 0xC000..0xFFFF, as on the real platform; one
// name is enough for the extension.
const char* registered_name = nullptr;
const MessageId kFirstRegisteredMessage = 0xC0DE;
const WindowHandle kHostWindow = 0x000A0B0C;
}  // namespace

MessageId register_window_message(const char* name) {
  if (name == nullptr || *name == '\0') return 0;
  if (registered_name == nullptr) registered_name = name;
  return std::strcmp(registered_name, name) == 0 ? kFirstRegisteredMessage
                                                 : kFirstRegisteredMessage + 1;
}

WindowHandle foreground_window() { return kHostWindow; }

}  // namespace hook
}  // namespace qor

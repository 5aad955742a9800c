// The Ruby face of the window hook: QORTA.subclass / QORTA.unsubclass, and
// the scripts' side of the hook (script_sink.hpp) in Ruby calls.
#pragma once

#include <ruby.h>

#include "subclassing.hpp"

namespace qor {
namespace hook {

VALUE subclass(VALUE self);
VALUE unsubclass(VALUE self);

}  // namespace hook
}  // namespace qor

// Projecting doors and windows onto a constructed face.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

VALUE project(VALUE self, VALUE a);

}  // namespace roomface
}  // namespace qor

// The XML Face element of a room face.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

VALUE getFaceElement(VALUE self);

}  // namespace roomface
}  // namespace qor

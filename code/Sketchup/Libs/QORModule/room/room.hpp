// QORTA_Room: a room built from its faces, typed, measured and labelled.
#pragma once

#include <ruby.h>

namespace qor {
namespace room {

VALUE initialize(VALUE self, VALUE edifice, VALUE number, VALUE faces, VALUE claimFloor);
VALUE setText(VALUE self, VALUE characters);
VALUE to_s(VALUE self);
VALUE surfaceType(VALUE self, VALUE roomFace, VALUE claimFloor);
VALUE select(VALUE self, VALUE on);

}  // namespace room
}  // namespace qor

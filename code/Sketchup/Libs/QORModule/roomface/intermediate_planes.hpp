// Pairing faces across walls and their intermediate planes.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

VALUE getIntermediatePlane(VALUE self, VALUE other);
VALUE setRoomsIntermediatePlanes(VALUE self, VALUE rooms);

}  // namespace roomface
}  // namespace qor

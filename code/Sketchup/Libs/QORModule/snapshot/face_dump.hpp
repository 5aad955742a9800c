// QORTA_FaceDump: a face captured as plain values, written as XML, restored.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

// Captures the face (nil: an empty snapshot); anything but an instance of
// $class_Sketchup_Face itself raises ArgumentError.
VALUE faceDumpInitialize(VALUE self, VALUE face);
// Adds the face to the active model's entities in an operation of its own;
// answers the face, or nil when the model refused it.
VALUE faceDumpRestore(VALUE self);
// The snapshot as one "<face>...</face>" fragment.
VALUE faceDumpToXML(VALUE self);

}  // namespace snapshot
}  // namespace qor

// QORTA_FaceDump: a face captured as plain values, written as XML, restored.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

VALUE faceDumpInitialize(VALUE self, VALUE face);
VALUE faceDumpRestore(VALUE self);
VALUE faceDumpToXML(VALUE self);

}  // namespace snapshot
}  // namespace qor

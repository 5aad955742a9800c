// Text of the room export: values written into elements and attributes,
// escaped so that any name or setting leaves the document readable.
#pragma once

#include <ruby.h>

namespace qor {
namespace roomface {

// Appends literal markup.
void append_markup(VALUE out, const char* markup);
// Appends a String value with "&", "<", ">" and '"' escaped.  Anything
// else raises the interpreter's TypeError.
void append_escaped(VALUE out, VALUE text);
// Appends value.to_s, escaped.
void append_value(VALUE out, VALUE value);
// A new, empty export text.
VALUE new_export_text();

}  // namespace roomface
}  // namespace qor

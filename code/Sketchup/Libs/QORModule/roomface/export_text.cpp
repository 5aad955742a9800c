#include "export_text.hpp"

#include <cstring>

#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

namespace {

const char kSpecial[] = "&<>\"";

bool needs_escaping(VALUE text) {
  const char* p = RSTRING_PTR(text);
  const long n = RSTRING_LEN(text);
  for (long i = 0; i < n; ++i)
    if (p[i] != '\0' && std::strchr(kSpecial, p[i])) return true;
  return false;
}

// One literal replacement over the whole text, as a new String.
VALUE replaced(VALUE text, const char* from, const char* to) {
  return call(text, id::gsub, new_string(from), new_string(to));
}

// "&" first, so the entities written by the later replacements stay as
// they are.  The interpreter does the replacing, so the text keeps its
// encoding.
VALUE escaped(VALUE text) {
  if (!needs_escaping(text)) return text;
  text = replaced(text, "&", "&amp;");
  text = replaced(text, "<", "&lt;");
  text = replaced(text, ">", "&gt;");
  return replaced(text, "\"", "&quot;");
}

}  // namespace

void append_markup(VALUE out, const char* markup) { rb_str_cat_cstr(out, markup); }

void append_escaped(VALUE out, VALUE text) {
  StringValue(text);
  rb_str_append(out, escaped(text));
}

void append_value(VALUE out, VALUE value) { append_escaped(out, call(value, id::to_s)); }

VALUE new_export_text() { return new_text_buffer(256); }

}  // namespace roomface
}  // namespace qor

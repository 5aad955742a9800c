#include "xml_escape.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace snapshot {

namespace {

// Every occurrence of `from` replaced, as a new String.
VALUE replaced(VALUE text, const char* from, const char* to) {
  return call(text, id::gsub, new_string(from), new_string(to));
}

bool unchanged(VALUE text) {
  return NIL_P(text) || (RB_TYPE_P(text, T_STRING) && RSTRING_LEN(text) == 0);
}

}  // namespace

VALUE escape(VALUE text) {
  if (unchanged(text)) return text;
  text = replaced(text, "&", "&amp;");
  text = replaced(text, "<", "&lt;");
  return replaced(text, ">", "&gt;");
}

VALUE unesc(VALUE, VALUE text) {
  if (NIL_P(text)) return text;
  if (!RB_TYPE_P(text, T_STRING) && !rb_respond_to(text, id::to_str))
    rb_raise(rb_eTypeError, "text must be a String, not %s", rb_obj_classname(text));
  StringValue(text);
  if (RSTRING_LEN(text) == 0) return text;
  text = replaced(text, "&lt;", "<");
  text = replaced(text, "&gt;", ">");
  return replaced(text, "&amp;", "&");
}

}  // namespace snapshot
}  // namespace qor

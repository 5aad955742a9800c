// Escaping text for the snapshot XML, and undoing it.
#pragma once

#include <ruby.h>

namespace qor {
namespace snapshot {

// "&", "<" and ">" as entities, in that order; quotes are left alone.
// nil answers nil and an empty string itself.
VALUE escape(VALUE text);
// QORTA.unesc(text): the entities back as characters, "&amp;" last, so a
// twice-escaped text comes back escaped once.
VALUE unesc(VALUE self, VALUE text);

}  // namespace snapshot
}  // namespace qor

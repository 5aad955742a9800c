// What every subsystem reads off a room face the same way.
#pragma once

#include "../core/model_face.hpp"
#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace roomface {

// Material alphas closer than this are the same; an opacity at least
// 1 - this is opaque.
const double kAlphaTolerance = 0.0001;

// What a room face is to its room, as @type names it.
enum class Surface { Floor, Wall, Ceiling };
inline const char* surface_name(Surface s) {
  static const char* const kNames[] = {"Floor", "Wall", "Ceiling"};
  return kNames[static_cast<int>(s)];
}
// A fresh String each time: scripts own the @type they are given.
inline VALUE surface_text(Surface s) { return new_string(surface_name(s)); }
inline bool is_surface(VALUE type, Surface s) { return text_is(type, surface_name(s)); }


}  // namespace roomface
}  // namespace qor

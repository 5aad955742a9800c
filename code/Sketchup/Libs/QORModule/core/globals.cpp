#include "globals.hpp"

namespace qor {
namespace gv {
#define QOR_DEFINE_GLOBAL(name) VALUE name = Qfalse;
QOR_GLOBALS(QOR_DEFINE_GLOBAL)
QOR_DEFINE_GLOBAL(inMenu)
QOR_DEFINE_GLOBAL(inMenuGuard)
#undef QOR_DEFINE_GLOBAL
}  // namespace gv

void register_global_roots() {
#define QOR_REGISTER_GLOBAL(name) rb_gc_register_address(&gv::name);
  QOR_GLOBALS(QOR_REGISTER_GLOBAL)
  QOR_REGISTER_GLOBAL(inMenu)
  QOR_REGISTER_GLOBAL(inMenuGuard)
#undef QOR_REGISTER_GLOBAL
}

void define_globals() {
#define QOR_BIND_GLOBAL(name) rb_define_variable("$" #name, &gv::name);
  QOR_GLOBALS(QOR_BIND_GLOBAL)
#undef QOR_BIND_GLOBAL
}

void define_menu_globals() {
  rb_define_variable("$inMenu", &gv::inMenu);
  rb_define_variable("$inMenuGuard", &gv::inMenuGuard);
}

}  // namespace qor

# Works out the extension's base name, the interpreter headers and library,
# and the per-interpreter compile definitions.

if(QOR_VARIANT STREQUAL "")
  execute_process(
    COMMAND ${RUBY_EXECUTABLE} -rrbconfig -e
      "c = RbConfig::CONFIG; print [c['MAJOR'], c['MINOR'], c['rubyhdrdir'], c['rubyarchhdrdir'], c['libdir'], c['RUBY_SO_NAME']].join(';')"
    OUTPUT_VARIABLE _ruby_config
    RESULT_VARIABLE _ruby_rc)
  if(NOT _ruby_rc EQUAL 0)
    message(FATAL_ERROR "Could not read the Ruby configuration from ${RUBY_EXECUTABLE}")
  endif()
  list(GET _ruby_config 0 QOR_RUBY_MAJOR)
  list(GET _ruby_config 1 QOR_RUBY_MINOR)
  list(GET _ruby_config 2 _hdr)
  list(GET _ruby_config 3 _archhdr)
  list(GET _ruby_config 4 _libdir)
  list(GET _ruby_config 5 _soname)
  set(QOR_MODULE_NAME "QORModule_${QOR_RUBY_MAJOR}_${QOR_RUBY_MINOR}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(APPEND QOR_MODULE_NAME "_x64")
  endif()
  set(QOR_RUBY_INCLUDE_DIRS ${_hdr} ${_archhdr})
  find_library(QOR_RUBY_LIBRARY NAMES ${_soname} PATHS ${_libdir} REQUIRED)
  set(QOR_RUBY_DEFINITIONS "")
else()
  if(NOT QOR_VARIANT IN_LIST QOR_VARIANTS)
    message(FATAL_ERROR "QOR_VARIANT must be one of: ${QOR_VARIANTS}")
  endif()
  # On Linux a variant may be built for an interpreter linked statically
  # (the old ones, built natively as bases): it has no library to link,
  # and provides the symbols itself when it loads the extension.
  if(NOT QOR_RUBY_INCLUDE_DIRS OR (WIN32 AND NOT QOR_RUBY_LIBRARY))
    message(FATAL_ERROR "${QOR_VARIANT} needs QOR_RUBY_INCLUDE_DIRS and QOR_RUBY_LIBRARY")
  endif()
  set(QOR_MODULE_NAME ${QOR_VARIANT})
  set(QOR_RUBY_DEFINITIONS "")
  if(QOR_VARIANT STREQUAL "QORModule_1_8")
    # 32-bit: the window procedure goes in with the 32-bit window-long call.
    list(APPEND QOR_RUBY_DEFINITIONS QOR_RUBY_18 QOR_WINDOW_LONG_32)
  elseif(QOR_VARIANT STREQUAL "QORModule_2_0_x64")
    list(APPEND QOR_RUBY_DEFINITIONS QOR_RUBY_20)
  elseif(QOR_VARIANT STREQUAL "QORModule_2_2_x64")
    list(APPEND QOR_RUBY_DEFINITIONS QOR_RUBY_22)
  endif()
endif()

message(STATUS "Room extension: ${QOR_MODULE_NAME} (entry Init_${QOR_MODULE_NAME})")

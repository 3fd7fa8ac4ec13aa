# Libraries built by scripts/build-deps from Debian's sources, and GoogleTest from /usr/src.
set(MORAVEL_DEPS_PREFIX ${CMAKE_SOURCE_DIR}/.deps/mingw64)
if(NOT EXISTS ${MORAVEL_DEPS_PREFIX}/lib/libjsoncpp.a)
  message(FATAL_ERROR "Windows libraries missing: run scripts/setup first.")
endif()

function(moravel_import name lib)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    IMPORTED_LOCATION ${MORAVEL_DEPS_PREFIX}/lib/${lib}
    INTERFACE_INCLUDE_DIRECTORIES ${MORAVEL_DEPS_PREFIX}/include)
endfunction()
moravel_import(deps::jsoncpp libjsoncpp.a)
moravel_import(deps::qrencode libqrencode.a)
moravel_import(deps::pugixml libpugixml.a)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Cross-compiles for the web with Debian's emscripten, finding libraries only
# in emscripten's sysroot and in the folder of web libraries that
# scripts/setup-cross web builds. Programs built for node (the tools and the
# tests) run under node.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# The web libraries: $MARIGOLD_WEB_DEPS, else the cache's current build.
if(DEFINED ENV{MARIGOLD_WEB_DEPS})
  set(MARIGOLD_WEB_DEPS "$ENV{MARIGOLD_WEB_DEPS}" CACHE PATH "Libraries built for the web")
else()
  set(MARIGOLD_WEB_DEPS "/var/cache/marigold-web/current" CACHE PATH "Libraries built for the web")
endif()
# Ours first: the sysroot's own sdl2-config.cmake only names -sUSE_SDL=2,
# which cannot work offline.
list(PREPEND CMAKE_FIND_ROOT_PATH ${MARIGOLD_WEB_DEPS})

# pkg-config must never hand out the build machine's libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${MARIGOLD_WEB_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# node 20 refuses the threads flag emcmake's default emulator passes, and its
# fetch confuses the loader of a .js + .wasm pair.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/node --no-experimental-fetch)

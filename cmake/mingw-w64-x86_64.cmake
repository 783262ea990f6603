# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads),
# finding libraries only in the mingw sysroot and in the folder of Windows
# libraries that scripts/setup-windows builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MARIGOLD_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MARIGOLD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MARIGOLD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MARIGOLD_MINGW_TRIPLE}-windres)

# The Windows libraries: $MARIGOLD_WINDOWS_DEPS, else the cache's current build.
if(DEFINED ENV{MARIGOLD_WINDOWS_DEPS})
  set(MARIGOLD_WINDOWS_DEPS "$ENV{MARIGOLD_WINDOWS_DEPS}" CACHE PATH "Cross-built Windows libraries")
else()
  set(MARIGOLD_WINDOWS_DEPS "/var/cache/marigold-windows/current" CACHE PATH "Cross-built Windows libraries")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${MARIGOLD_MINGW_TRIPLE} ${MARIGOLD_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must never hand out the build machine's libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${MARIGOLD_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Test programs (and gtest_discover_tests) run through Wine; bookworm's
# wine64 is not on PATH.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

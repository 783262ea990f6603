# The libraries of the Windows build, all linked statically: SDL2, SDL2_mixer
# (WAV and native MIDI), FreeType, libjpeg-turbo and libpng as built by
# scripts/setup-windows, zlib from Debian's mingw package, GoogleTest from
# Debian's sources. They take the names the Linux build gets from pkg-config,
# so the layers link them the same way on both systems. FluidSynth and
# fontconfig have no Windows counterpart here.
if(NOT EXISTS ${MARIGOLD_WINDOWS_DEPS}/lib/cmake/SDL2)
  message(FATAL_ERROR "No Windows libraries in ${MARIGOLD_WINDOWS_DEPS}: run scripts/setup-windows")
endif()

# The static zlib, never the import library of zlib1.dll.
set(ZLIB_LIBRARY /usr/${MARIGOLD_MINGW_TRIPLE}/lib/libz.a CACHE FILEPATH "" FORCE)
set(ZLIB_INCLUDE_DIR /usr/${MARIGOLD_MINGW_TRIPLE}/include CACHE PATH "" FORCE)

find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_mixer CONFIG REQUIRED)
find_package(freetype CONFIG REQUIRED)
find_package(libjpeg-turbo CONFIG REQUIRED)
find_package(PNG REQUIRED)

function(marigold_windows_library name)
  add_library(PkgConfig::${name} INTERFACE IMPORTED GLOBAL)
  target_link_libraries(PkgConfig::${name} INTERFACE ${ARGN})
endfunction()
marigold_windows_library(SDL2 SDL2::SDL2-static)
marigold_windows_library(SDL2_MIXER SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static winmm)
marigold_windows_library(FREETYPE freetype ${ZLIB_LIBRARY})
marigold_windows_library(JPEG libjpeg-turbo::jpeg-static)
marigold_windows_library(PNG PNG::PNG ${ZLIB_LIBRARY})

# Every program is one .exe needing only system DLLs: the C++ runtime and
# winpthreads linked in too (GCC runtime exception, MIT licence).
add_link_options(-static -static-libgcc -static-libstdc++)

# GoogleTest from the sources Debian ships in libgtest-dev.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# windows.h without min/max macros and with the wide (UTF-16) functions.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
# The same commit makes the same programs wherever it is built: no source
# paths, no link time stamps.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)
add_link_options(-Wl,--no-insert-timestamp)

# Puts the font the Windows package ships (fonts/ipagp.ttf) beside a program
# of the build, as in the package, so the game and the replay tool draw with
# it here too.
function(marigold_ship_font target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
      /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf
      $<TARGET_FILE_DIR:${target}>/fonts/ipagp.ttf
    VERBATIM)
endfunction()

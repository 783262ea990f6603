# The libraries of the web build, all static: SDL2, FreeType, libjpeg-turbo,
# libpng and zlib as built by scripts/setup-cross web. They take the names
# the Linux build gets from pkg-config, so the layers link them the same way
# on every system. SDL2_mixer, FluidSynth, ALSA and fontconfig have no web
# counterpart here: the page plays music with its own synthesiser.
if(NOT EXISTS ${MARIGOLD_WEB_DEPS}/lib/cmake/SDL2)
  message(FATAL_ERROR "No web libraries in ${MARIGOLD_WEB_DEPS}: run scripts/setup-cross web")
endif()

set(ZLIB_LIBRARY ${MARIGOLD_WEB_DEPS}/lib/libz.a CACHE FILEPATH "" FORCE)
set(ZLIB_INCLUDE_DIR ${MARIGOLD_WEB_DEPS}/include CACHE PATH "" FORCE)

find_package(SDL2 CONFIG REQUIRED)
find_package(freetype CONFIG REQUIRED)
find_package(libjpeg-turbo CONFIG REQUIRED)
find_package(PNG REQUIRED)

function(marigold_web_library name)
  add_library(PkgConfig::${name} INTERFACE IMPORTED GLOBAL)
  target_link_libraries(PkgConfig::${name} INTERFACE ${ARGN})
endfunction()
# SDL's own folder first: the sysroot's include/SDL holds SDL 1.2 headers.
marigold_web_library(SDL2 SDL2::SDL2-static)
target_include_directories(PkgConfig::SDL2 BEFORE INTERFACE ${MARIGOLD_WEB_DEPS}/include/SDL2)
marigold_web_library(FREETYPE freetype ${ZLIB_LIBRARY})
marigold_web_library(JPEG libjpeg-turbo::jpeg-static)
marigold_web_library(PNG PNG::PNG ${ZLIB_LIBRARY})

# C++ exceptions are the game's way of reporting errors; emscripten leaves
# them out unless asked, at compile and at link time.
add_compile_options(-fexceptions)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)
# The same commit makes the same files wherever it is built.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)

# A command-line program run by node: the machine's files as they are, its
# output and exit status those of the program. The wasm is compiled at once
# (node 20's fetch confuses emscripten 3.1.6's asynchronous loader).
function(marigold_node_program target)
  target_link_options(${target} PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node
    -sWASM_ASYNC_COMPILATION=0 -sEXIT_RUNTIME=1)
endfunction()

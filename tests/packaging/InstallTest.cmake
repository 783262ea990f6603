# Installs the build into a prefix with a space in it and checks that what
# the installed game needs is where its desktop entry and manual pages say:
#   cmake -DBUILD=<build dir> -DWORK=<scratch dir> [-DVALIDATE=desktop-file-validate]
#         -P InstallTest.cmake
cmake_minimum_required(VERSION 3.25)
set(prefix "${WORK}/pre fix")
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(failures "")
function(fail message)
  set(failures "${failures}\n  ${message}" PARENT_SCOPE)
endfunction()

foreach(program marigold marigold-dat marigold-replay)
  if(NOT EXISTS "${prefix}/bin/${program}" OR IS_DIRECTORY "${prefix}/bin/${program}")
    fail("bin/${program} is not installed")
  endif()
endforeach()

# Every file of the built demo is installed.
set(demo "${prefix}/share/games/marigold/demo")
file(GLOB built RELATIVE "${BUILD}/demo/dat" "${BUILD}/demo/dat/*")
file(GLOB installed RELATIVE "${demo}/dat" "${demo}/dat/*")
list(SORT built)
list(SORT installed)
if(NOT "story.dat" IN_LIST built OR NOT built STREQUAL installed)
  fail("demo/dat differs: built ${built}, installed ${installed}")
endif()

# The desktop entry plays the installed demo with the installed program; both
# paths hold a space, so each is quoted.
set(entry "${prefix}/share/applications/marigold.desktop")
file(STRINGS "${entry}" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=\"${prefix}/bin/marigold\" \"${demo}\"")
  fail("desktop entry: ${exec}")
endif()
file(STRINGS "${entry}" icon REGEX "^Icon=")
if(NOT icon STREQUAL "Icon=marigold")
  fail("desktop entry: ${icon}")
endif()
if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} "${entry}" RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    fail("desktop-file-validate: ${out}")
  endif()
endif()

# Each icon is a PNG of the size its folder names.
file(GLOB icons "${prefix}/share/icons/hicolor/*/apps/marigold.png")
if(NOT icons)
  fail("no icon installed")
endif()
foreach(icon ${icons})
  get_filename_component(box "${icon}" DIRECTORY)
  get_filename_component(box "${box}" DIRECTORY)
  get_filename_component(box "${box}" NAME)
  file(READ "${icon}" header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 32 8 w)
  string(SUBSTRING "${header}" 40 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  if(NOT header MATCHES "^89504e470d0a1a0a" OR NOT "${w}x${h}" STREQUAL box)
    fail("${box}/apps/marigold.png is not a ${box} PNG (${w}x${h})")
  endif()
endforeach()

foreach(page man6/marigold.6.gz man1/marigold-dat.1.gz man1/marigold-replay.1.gz)
  if(NOT EXISTS "${prefix}/share/man/${page}")
    fail("share/man/${page} is not installed")
  endif()
endforeach()

# The installed program plays the installed demo.
execute_process(COMMAND "${prefix}/bin/marigold-replay" --data "${demo}" --ticks 20
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  fail("the installed replay tool could not play the installed demo: ${out}")
endif()

# Started with no game from a folder without one, the installed program plays
# the installed demo: still running after a few seconds, nothing on stderr.
file(MAKE_DIRECTORY "${WORK}/elsewhere")
execute_process(COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
                        "${prefix}/bin/marigold"
                WORKING_DIRECTORY "${WORK}/elsewhere" TIMEOUT 4
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status MATCHES "timeout" OR out MATCHES "marigold:")
  fail("the installed program, given no game, did not play the installed demo (${status}): ${out}")
endif()

# A relative prefix is taken from the folder the install runs in; the entry
# still names absolute paths.
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix relative/../here
                WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status OUTPUT_QUIET)
file(STRINGS "${WORK}/here/share/applications/marigold.desktop" exec REGEX "^Exec=")
if(NOT status EQUAL 0
   OR NOT exec STREQUAL "Exec=${WORK}/here/bin/marigold ${WORK}/here/share/games/marigold/demo")
  fail("installed with a relative prefix (${status}): ${exec}")
endif()

if(failures)
  message(FATAL_ERROR "install layout:${failures}")
endif()

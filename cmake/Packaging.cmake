# Installation layout and the Debian package.
#
#   bin/                                  marigold, marigold-dat, marigold-replay
#   share/games/marigold/demo/dat/        the bundled demo
#   share/applications/marigold.desktop   plays the demo
#   share/icons/hicolor/NxN/apps/         the icon, painted by the demo generator
#   share/man/man6/marigold.6.gz, share/man/man1/marigold-{dat,replay}.1.gz
#   share/doc/marigold/                   copyright, changelog
#
# `cmake --install build --prefix DIR` installs anywhere; the desktop entry is
# written at install time so that it names the programs and the demo where
# they were installed. `cpack -G DEB` (scripts/package-deb) packages the same
# files under /usr.
include(GNUInstallDirs)

set(MARIGOLD_PACKAGE_MAINTAINER "焔の庭 maintainers <maintainers@users.noreply.c-seed-cc72a7e9.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(staged_dir ${PROJECT_BINARY_DIR}/packaging)
set(demo_install_dir ${MARIGOLD_DEMO_INSTALL_DIR})

foreach(program marigold marigold-dat marigold-replay)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET demo_data)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/demo/dat DESTINATION ${demo_install_dir})
endif()

# The icon in every size the generator paints, laid out as the hicolor theme
# holds it.
if(TARGET marigold-mkdata)
  set(icons_stamp ${staged_dir}/icons.stamp)
  add_custom_command(
    OUTPUT ${icons_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${staged_dir}/icons
    COMMAND marigold-mkdata --icons ${staged_dir}/icons
    COMMAND ${CMAKE_COMMAND} -E touch ${icons_stamp}
    DEPENDS marigold-mkdata
    COMMENT "Painting the icon into ${staged_dir}/icons"
    VERBATIM)
  add_custom_target(icons ALL DEPENDS ${icons_stamp})
  install(DIRECTORY ${staged_dir}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
endif()

# Manual pages and the changelog, compressed as Debian keeps them (no name or
# time stamp in the gzip header, so the same text gives the same bytes).
find_program(MARIGOLD_GZIP gzip REQUIRED)
set(gzipped)
foreach(page marigold.6 marigold-dat.1 marigold-replay.1 changelog)
  add_custom_command(
    OUTPUT ${staged_dir}/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${packaging_dir}/${page} ${staged_dir}/${page}
    COMMAND ${MARIGOLD_GZIP} -9nf ${staged_dir}/${page}
    DEPENDS ${packaging_dir}/${page}
    VERBATIM)
  list(APPEND gzipped ${staged_dir}/${page}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${gzipped})
install(FILES ${staged_dir}/marigold.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${staged_dir}/marigold-dat.1.gz ${staged_dir}/marigold-replay.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_dir}/copyright ${staged_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The desktop entry names absolute paths, known only at install time:
# CMAKE_INSTALL_PREFIX is then the prefix given to `cmake --install`, or /usr
# while CPack stages the package (it installs through DESTDIR).
install(CODE "
  set(MARIGOLD_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/marigold\")
  set(MARIGOLD_DEMO \"\${CMAKE_INSTALL_PREFIX}/${demo_install_dir}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/DesktopEntry.cmake\")
  marigold_desktop_entry(\"${packaging_dir}/marigold.desktop.in\"
                         \"${staged_dir}/marigold.desktop\")
  file(INSTALL \"${staged_dir}/marigold.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")

# The Debian package. Library dependencies come from dpkg-shlibdeps (the
# versions the binaries were linked against); the data the game finds at run
# time are named here.
set(CPACK_PACKAGE_NAME marigold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "焔の庭 maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "story game in a garden of fire, with its authors' tools")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "焔の庭 is a small single-window story game. The player reads a story told\n"
  "passage by passage, answers choices with buttons drawn on the picture and\n"
  "keeps a heat gauge up by clicking while a three-minute sand clock runs.\n"
  "\n"
  "The package holds the game with its demo story, pictures, music and sounds,\n"
  "and the authors' tools: marigold-dat packs, unpacks, traces and checks\n"
  "stories; marigold-replay plays a game headless with scripted input.")
set(CPACK_PACKAGE_CONTACT "${MARIGOLD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MARIGOLD_PACKAGE_MAINTAINER}")
# Not "games": Debian keeps that section for packages whose programs live in
# /usr/games, and this one installs the game beside its tools in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)

# The installed layout, checked by installing the build into a scratch prefix.
find_program(MARIGOLD_DESKTOP_VALIDATE desktop-file-validate)
add_test(NAME install.layout
  COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR} -DWORK=${PROJECT_BINARY_DIR}/install-test
    -DVALIDATE=${MARIGOLD_DESKTOP_VALIDATE} -P ${PROJECT_SOURCE_DIR}/tests/packaging/InstallTest.cmake)

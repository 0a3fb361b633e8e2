# Installation into the XDG/FHS places and the Debian package (CPack).
#
#   cmake --install build [--prefix /usr]          # DESTDIR=... for a staging root
#   scripts/package                                 # build/q7k3fm_VERSION_ARCH.deb

set(Q7K3_DATA ${PROJECT_SOURCE_DIR}/data)

foreach(program q7k3fm q7k3fm-cli q7k3fm-phone)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The help pages: the program looks beside itself first, then in share/q7k3fm. The
# translations are installed by translations/CMakeLists.txt.
install(FILES ${PROJECT_SOURCE_DIR}/docs/help/Q7K3FM.html ${PROJECT_SOURCE_DIR}/docs/help/Q7K3FM.en.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/q7k3fm)
install(FILES ${Q7K3_DATA}/q7k3fm.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${Q7K3_DATA}/icons/q7k3fm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${Q7K3_DATA}/icons/hicolor/${size}x${size}/apps/q7k3fm.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/q7k3fm)

# The bash completion of q7k3fm-cli, where bash-completion looks for it on demand.
install(FILES ${Q7K3_DATA}/completion/q7k3fm-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME q7k3fm-cli)

# Manual pages, compressed the way Debian keeps them.
find_program(GZIP_PROGRAM gzip)
set(_man_pages q7k3fm.1 q7k3fm-cli.1 q7k3fm-phone.1)
set(_man_outputs)
foreach(page ${_man_pages})
  if(GZIP_PROGRAM)
    set(_out ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${_out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${GZIP_PROGRAM} -9nc ${Q7K3_DATA}/man/${page} > ${_out}
      DEPENDS ${Q7K3_DATA}/man/${page} VERBATIM)
  else()
    set(_out ${Q7K3_DATA}/man/${page})
  endif()
  list(APPEND _man_outputs ${_out})
endforeach()
add_custom_target(q7k3_man_pages ALL DEPENDS ${_man_outputs})
install(FILES ${_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package. Its dependencies are those of the shared libraries the programs
# link (dpkg-shlibdeps), plus Qt's platform plugins, which nothing links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME q7k3fm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file manager for SGH phones over a serial cable")
set(CPACK_PACKAGE_DESCRIPTION
  "Copies files to and from SGH-series GSM phones (SGH-Q7K3, SGH-X600, SGH-E100, SGH-E700,\
 SGH-E800) over a data cable, infrared or Bluetooth serial port with AT commands, converting\
 the phones' melody and picture formats on the way. Also a command-line tool and a phone\
 emulator for trying it without a phone.")
set(CPACK_PACKAGE_CONTACT "Q7K3 File Manager <q7k3fm@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The melody preview plays through a General MIDI soundfont and the desktop's sound
# service; Qt's own Russian texts and the help page's viewer come from the desktop too,
# and bash-completion loads the command line's completion.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "timgm6mb-soundfont | fluid-soundfont-gm, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio, qt6-translations-l10n, xdg-utils, bash-completion")
include(CPack)

# The package as built from this tree: its file list, its menu entry, and the installed
# program starting from a temporary root.
find_program(DPKG_DEB_PROGRAM dpkg-deb)
if(DPKG_DEB_PROGRAM AND TARGET q7k3fm)
  add_test(NAME packaging_tests
           COMMAND ${PROJECT_SOURCE_DIR}/packaging/check-package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(packaging_tests PROPERTIES TIMEOUT 300)
endif()

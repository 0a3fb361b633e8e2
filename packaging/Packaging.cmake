# Installation into the XDG/FHS places; the Debian package (debian/) installs the same.
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
# What software centres show of the program.
install(FILES ${Q7K3_DATA}/q7k3fm.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
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

# The Debian package built from this checkout as scripts/package builds it, and checked:
# its file list, lintian, hardening-check, the menu entry and AppStream data, and the
# installed window starting from a temporary root. It compiles the three programs once
# more (from the compiler cache when there is one), so it runs alone.
find_program(DPKG_BUILDPACKAGE_PROGRAM dpkg-buildpackage)
if(DPKG_BUILDPACKAGE_PROGRAM AND BUILD_TESTING AND TARGET q7k3fm)
  add_test(NAME packaging_tests
           COMMAND ${PROJECT_SOURCE_DIR}/packaging/check-package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(packaging_tests PROPERTIES TIMEOUT 1800 RUN_SERIAL ON)
endif()

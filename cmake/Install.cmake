# Installation and the Debian package (cpack -G DEB; scripts/package.sh builds it).
# The program keeps everything it loads beside itself (link libraries, help files), so all of it
# goes into one folder, lib/dtoolpc; bin holds links to the programs. What the program writes
# goes beside it where that folder can be written, otherwise into the user's configuration
# folder (GetDataPfad).
include(GNUInstallDirs)

set(DTOOL_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/dtoolpc)
if(CMAKE_INSTALL_LIBDIR MATCHES "/")
  # A multiarch library folder (lib/x86_64-linux-gnu) is not the place for a program.
  set(DTOOL_INSTALL_DIR lib/dtoolpc)
endif()

set(dtool_programs)
foreach(prog DToolPc dtool)
  if(TARGET ${prog})
    list(APPEND dtool_programs ${prog})
  endif()
endforeach()

if(dtool_programs)
  install(TARGETS ${dtool_programs} RUNTIME DESTINATION ${DTOOL_INSTALL_DIR})
endif()
if(TARGET DDatDll AND TARGET DSwitch AND TARGET DBench)
  install(TARGETS DBench DDatDll DSwitch
    RUNTIME DESTINATION ${DTOOL_INSTALL_DIR}
    LIBRARY DESTINATION ${DTOOL_INSTALL_DIR})
endif()

if(TARGET DToolPc)
  install(FILES ${PROJECT_SOURCE_DIR}/help/DToolPcEN_V4.html ${PROJECT_SOURCE_DIR}/help/DToolPcGE_V4.html
    DESTINATION ${DTOOL_INSTALL_DIR}/Help)
  if(UNIX AND NOT APPLE)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/dtoolpc.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app.svg
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME dtoolpc.svg)
  endif()
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dtoolpc)

# The programs are started through links in bin; each finds its folder through the link.
if(UNIX AND dtool_programs)
  foreach(prog ${dtool_programs})
    install(CODE "
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${prog}\")
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      file(CREATE_LINK \"../${DTOOL_INSTALL_DIR}/${prog}\" \"\${link}\" SYMBOLIC)
      message(STATUS \"Installing: \${link} -> ../${DTOOL_INSTALL_DIR}/${prog}\")")
  endforeach()
endif()

set(CPACK_PACKAGE_NAME dtoolpc)
set(CPACK_PACKAGE_VENDOR "DToolPc developers")
set(CPACK_PACKAGE_CONTACT "DToolPc developers <dtoolpc@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration tool for differential-pressure instruments")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads, edits and writes the configuration of the instruments over a serial link,\nwith an emulated instrument bench that works without hardware.")
# Debug information stays in the build folder.
set(CPACK_STRIP_FILES ON)
# The run-time dependencies come from the programs' libraries; the bench's own libraries are
# found in the program's folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
include(CPack)

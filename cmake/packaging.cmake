# What a release holds and how CPack packs it (scripts/release drives it):
# on Windows a zip of the three programs with the user guide, an example
# SimConnect.cfg, the licence and the notices; on Linux a .deb and a .tar.gz
# with the programs under bin/, the emulator's package tree of sample
# aircraft under share/orvxlink/, the documents under share/doc/orvxlink/ and
# a systemd user unit under lib/systemd/user/.

# The user guide as one HTML file with its pictures inside, written into the
# build tree by scripts/user-guide-html before packing.
set(ORVXLINK_USER_GUIDE_HTML ${PROJECT_BINARY_DIR}/user-guide.html)
set(ORVXLINK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

set(CPACK_PACKAGE_NAME Orvxlink)
set(CPACK_PACKAGE_VENDOR "The Orvxlink developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Bridge between Microsoft Flight Simulator 2020 and tablet flight-management apps")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE.txt)
set(CPACK_STRIP_FILES TRUE)

if(WIN32)
  set(ORVX_BIN_DIR .)
  install(TARGETS orvxlink orvxlink-client orvxlink-sim RUNTIME DESTINATION ${ORVX_BIN_DIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/sim/packages DESTINATION ${ORVX_BIN_DIR})
  install(FILES ${ORVXLINK_USER_GUIDE_HTML} DESTINATION . RENAME "Orvxlink User Guide.html")
  install(FILES ${ORVXLINK_PACKAGING_DIR}/SimConnect.cfg DESTINATION . RENAME "SimConnect.cfg.example")
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE.txt ${ORVXLINK_PACKAGING_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Orvxlink-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(ORVX_DOC_DIR share/doc/orvxlink)
  install(TARGETS orvxlink orvxlink-client orvxlink-sim RUNTIME DESTINATION bin)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/sim/packages DESTINATION share/orvxlink)
  install(FILES ${ORVXLINK_USER_GUIDE_HTML} DESTINATION ${ORVX_DOC_DIR})
  install(FILES ${ORVXLINK_PACKAGING_DIR}/SimConnect.cfg DESTINATION ${ORVX_DOC_DIR} RENAME SimConnect.cfg.example)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE.txt DESTINATION ${ORVX_DOC_DIR} RENAME copyright)
  install(FILES ${ORVXLINK_PACKAGING_DIR}/orvxlink.service DESTINATION lib/systemd/user)
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME "Orvxlink-${PROJECT_VERSION}-linux-x86_64")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/packaging_generators.cmake)
  set(CPACK_DEBIAN_PACKAGE_NAME orvxlink)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Orvxlink developers")
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Serves the aircraft's state from Microsoft Flight Simulator 2020 (reached over TCP)\n to tablet flight-management apps on TCP port 5193, with an app client and a\n simulator emulator for trying it out.")
endif()

include(CPack)

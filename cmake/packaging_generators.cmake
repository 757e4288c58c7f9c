# Per-generator settings, read by cpack for each generator it runs: the .deb
# installs under /usr, the .tar.gz unpacks into one folder whose bin/ and
# share/ go under any prefix (/usr/local, /opt/orvxlink).
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()

# The Debian package: `cmake --workflow --preset package` configures the
# release build for /usr, builds it and makes build/package/hostwarden_*.deb.
# Depends comes from the shared libraries the program and its window module
# link (dpkg-shlibdeps); pkexec, which renames for anyone but root from the
# windows, is recommended.
include(GNUInstallDirs)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hostwarden)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Rechenzentrum der Universität Falkenau <rechenzentrum@uni-falkenau.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checks that the computer name agrees with the DNS name")
set(CPACK_PACKAGE_DESCRIPTION
    "Hostwarden compares the computer name with the host name that the\nnetwork's DNS gives the PC's IPv4 address, warns in German when the two\ndiffer, and can make the DNS short name the computer name. It runs\nquietly at every log-on.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS pkexec)
set(CPACK_STRIP_FILES ON)
set(HOSTWARDEN_DEBIAN_DIR ${CMAKE_BINARY_DIR}/debian)
if(HOSTWARDEN_AUTOSTART_DIR MATCHES "^/etc/")
  # An entry in /etc is a conffile: the administrator's edits survive updates.
  file(WRITE ${HOSTWARDEN_DEBIAN_DIR}/conffiles "${HOSTWARDEN_AUTOSTART_DIR}/hostwarden-autostart.desktop\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${HOSTWARDEN_DEBIAN_DIR}/conffiles)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian's changelog (gzip -9n: no time stamp, as policy asks); the
# copyright file is installed with the program.
set(HOSTWARDEN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/hostwarden)
configure_file(${PROJECT_SOURCE_DIR}/resources/linux/debian/changelog.in ${HOSTWARDEN_DEBIAN_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${HOSTWARDEN_DEBIAN_DIR}/changelog.gz
                   COMMAND gzip -9n -c ${HOSTWARDEN_DEBIAN_DIR}/changelog > ${HOSTWARDEN_DEBIAN_DIR}/changelog.gz
                   DEPENDS ${HOSTWARDEN_DEBIAN_DIR}/changelog)
add_custom_target(hostwarden_debian_changelog ALL DEPENDS ${HOSTWARDEN_DEBIAN_DIR}/changelog.gz)
install(FILES ${HOSTWARDEN_DEBIAN_DIR}/changelog.gz DESTINATION ${HOSTWARDEN_DOC_DIR})

include(CPack)

# The Debian package: `cpack -G DEB` in the build tree writes zeb_<version>_<arch>.deb.
# Its files go under /usr whatever the build's own install prefix; the program
# finds its data relative to its own folder, so both places work.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeb)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZEB developers")
set(CPACK_PACKAGE_CONTACT "ZEB developers <zeb@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-dimensional multiplayer space game for the local network")
set(CPACK_PACKAGE_DESCRIPTION "Every player flies a ship drawn as a line outline through a field of drifting \
asteroids: thrust, turn and fire. Up to eight players on one local network play one game, and \
copies find each other by themselves. A dedicated server (zeb --server, the zeb-server systemd \
unit) hosts games for LAN parties and the internet.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# fontconfig picks the face at run time; the shared libraries do not name it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-wqy-microhei")
set(CPACK_STRIP_FILES ON)
set(ZEB_DEBIAN_SCRIPTS ${CMAKE_BINARY_DIR}/packaging/debian)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${ZEB_DEBIAN_SCRIPTS}/postinst ${ZEB_DEBIAN_SCRIPTS}/prerm ${ZEB_DEBIAN_SCRIPTS}/postrm
    ${ZEB_DEBIAN_SCRIPTS}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

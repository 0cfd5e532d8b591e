# Debian package of the installed tree, built with `cpack` from the build folder.
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so GNUInstallDirs picks Debian's
# multiarch libdir (the package always installs below /usr).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumora maintainers <lumora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps external monitors as bright as the built-in display")
set(CPACK_PACKAGE_DESCRIPTION [[
Lumora follows the brightness of a laptop's built-in display and sets two
external monitors to the same level over DDC/CI, showing a small overlay on
each external screen. Its window (in Chinese) shows each monitor's brightness,
steps it, syncs once or keeps following, and can switch the external
backlight off.

The package lets the logged-in user reach the monitors' I2C buses and loads
i2c-dev at boot; the ddcutil command itself is not needed.]])

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Runtime libraries (Qt, libddcutil, X11 …) come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin at run time, so no library names it; libqt6gui6 only
# recommends it, and without it the window cannot open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The window's text is Chinese: without a CJK font it shows boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/deb/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)

# Debian's changelog and copyright (lumora_gzip and LUMORA_DATA_DIR come from Install.cmake).
string(TIMESTAMP lumora_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian CONTENT [[
lumora (${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}) unstable; urgency=medium

  * Package built from the Lumora ${PROJECT_VERSION} sources.

 -- ${CPACK_PACKAGE_CONTACT}  ${lumora_changelog_date}
]])
lumora_gzip(${CMAKE_BINARY_DIR}/debian/changelog.Debian)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
    ${LUMORA_DATA_DIR}/copyright
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lumora)

include(CPack)

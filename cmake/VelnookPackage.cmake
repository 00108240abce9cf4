# The Debian package: `cpack` in the build folder (scripts/package.sh) makes
# velnook_<version>_<arch>.deb from what `cmake --install` puts under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velnook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velnook developers")
set(CPACK_PACKAGE_CONTACT "The Velnook developers <developers@velnook.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "switches the computer off once its downloads have finished")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.velnook.org/")
# CPack indents each line and marks the blank one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velnook watches one download folder, measures once a second how fast the
total size of that tree changes, and when the average rate has stayed
below a level for a delay it counts down visibly, with Cancel, and
powers off, reboots, shuts down, hibernates, stands by, or only closes
itself. Two computers can run it as a master and slave pair over UDP.

The power request goes to the login manager over the system bus.")
# The libraries come from dpkg-shlibdeps. Qt's X11 and Wayland platform
# plugins are loaded at run time, so no library names them. The windows are laid out for Arial's
# metrics: without a metric-compatible font fontconfig picks DejaVu Sans,
# which is wider and cuts the end off the status line.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libsodium signs the link; named here as well, for builds without dpkg-shlibdeps.
# The icon is an SVG, read through Qt's SVG image plugin, which no library
# link names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-wayland, libqt6svg6, fonts-liberation | fonts-liberation2, libsodium23")
include(CPack)

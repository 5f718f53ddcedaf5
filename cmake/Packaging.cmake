# `cpack -G DEB` in the build folder makes a Debian package of the install.
set(CPACK_PACKAGE_NAME quadrel)
set(CPACK_PACKAGE_VENDOR "The Quadrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control audio and video matrix switchers over RS-232")
set(CPACK_PACKAGE_DESCRIPTION
    "Quadrel scans an RS-232 line of up to 32 matrix switcher units, routes\n"
    "inputs to outputs on a crosspoint grid, sets audio levels, delays and\n"
    "EDID types, and keeps memory presets. quadrel-ctl does the same from\n"
    "scripts and scheduled jobs, and the unit emulator quadrel-sim comes\n"
    "with it.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME
    "quadrel_${PROJECT_VERSION}_${CMAKE_HOST_SYSTEM_PROCESSOR}")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian wants a maintainer; the project has no address of its own to give,
# and naming a person or inventing a mailbox would be untrue.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quadrel developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies come from dpkg-shlibdeps, as for any Debian package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window icon in the SVG form needs Qt's SVG icon engine; the PNG does not.
# Qt's own translations name the standard buttons in the window's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, fonts-wqy-microhei, qt6-translations-l10n")
include(CPack)

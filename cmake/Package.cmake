# The Debian package: `cpack -G DEB` in a release build (scripts/package.sh).
# It holds exactly what `cmake --install` puts under /usr. The menu, file-type,
# icon and man-page caches are refreshed by the triggers of the packages that
# own them, so the package needs no maintainer scripts of its own.
set(CPACK_PACKAGE_NAME brelvantor)
set(CPACK_PACKAGE_VENDOR "Tolvex SA")
set(CPACK_PACKAGE_CONTACT "Tolvex SA <support@tolvex.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.tolvex.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program of the Talvenbrecker concrete test hammer")
set(CPACK_PACKAGE_DESCRIPTION
  "Downloads the measurement series of the Talvenbrecker concrete test hammer,\n\
checks them under EN 12504-2, ASTM C805 and JGJ/T 23, converts rebound values\n\
into compressive strength and combines series into summaries. With the\n\
command-line program brelvantor-cli for automated downloads and exports, and\n\
brelvantor-sim, a simulated hammer for training.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link to decide the dependencies (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help opens the manual with the desktop's PDF viewer through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# The name the update check looks for on the update server.
set(CPACK_DEBIAN_FILE_NAME
  "Brelvantor_V_${PROJECT_VERSION_MAJOR}_${PROJECT_VERSION_MINOR}_${PROJECT_VERSION_PATCH}_${PROJECT_VERSION_TWEAK}.deb")
include(CPack)

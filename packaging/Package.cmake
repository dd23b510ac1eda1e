# A .deb for Debian 12: `cpack` in a build folder (scripts/package does all of it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaloom)
set(CPACK_PACKAGE_VENDOR Varnholt)
set(CPACK_PACKAGE_CONTACT "Varnholt <tessaloom@tessaloom.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.tessaloom.org/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "load folders of delimited text files into database tables")
# Debian wants the lines of the long description under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaloom loads delimited text exports (.txt, .csv) into tables of a\n\
Sybase ASE server, reached over TDS 5.0 through FreeTDS, or of an embedded\n\
SQLite database. Files are gathered from an open-file dialog, from a folder\n\
and its sub-folders or by drag and drop; each becomes a new table, or all\n\
are appended to one table. tessaloom-import runs the same import from a\n\
script.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs are built against, as Debian 12 names them: Qt 6 (the xcb platform
# plugin ships in libqt6gui6), FreeTDS's Client-Library and SQLite. dpkg-shlibdeps adds the exact
# versions and the C and C++ runtimes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libct4, libsqlite3-0")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The designed layout is measured in Arial, which Liberation Sans matches; Wayland sessions run
# it natively with the Wayland plugin, otherwise through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-wayland")

include(CPack)

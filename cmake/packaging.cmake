# `cpack -G DEB` in a release build directory (`make package`) makes a Debian
# package of what the install rules put in place, under /usr.

set(CPACK_PACKAGE_NAME pastebasket)
set(CPACK_PACKAGE_VENDOR "Orvendel Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clipboard history manager")
set(CPACK_PACKAGE_DESCRIPTION
    "Pastebasket keeps a history of the plain texts you copy. Texts are kept in
named groups, can be protected from deletion, given captions, edited, reordered
and put back on the clipboard with one click. A tray icon offers the ten most
recent clipboard texts.")
set(CPACK_PACKAGE_CONTACT "Orvendel Software <pastebasket@orvendel.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://orvendel.example.org/pastebasket/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the X11 platform plugin is loaded at
# run time, so no library dependency names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Opening the readme and the online help goes through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

include(CPack)

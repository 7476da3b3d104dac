# The Debian packages, one per program: cpack -G DEB makes tarvel_VERSION_amd64.deb and
# netpull_VERSION_amd64.deb, their dependencies computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tarvel-netpull)
set(CPACK_PACKAGE_VENDOR "Tarvel et Netpull")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarvel et Netpull <tarvel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL tarvel netpull)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_TARVEL_PACKAGE_NAME tarvel)
set(CPACK_DEBIAN_TARVEL_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TARVEL_DESCRIPTION
    "Codes postaux et communes de France\n Tarvel retrouve une commune de France par le début de son code postal ou de son nom.")
# Qt reads its own French translations at run time, which no library dependency brings.
set(CPACK_DEBIAN_TARVEL_PACKAGE_DEPENDS qt6-translations-l10n)
set(CPACK_DEBIAN_NETPULL_PACKAGE_NAME netpull)
set(CPACK_DEBIAN_NETPULL_PACKAGE_SECTION net)
set(CPACK_COMPONENT_NETPULL_DESCRIPTION
    "HTTP download control for Qt hosts\n Netpull downloads one URL into a file with live progress, as a Qt widget, a console tool\n and a component library, with the headers and CMake package a Qt host builds against.")

include(CPack)

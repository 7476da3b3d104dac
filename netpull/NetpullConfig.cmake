# The Netpull package for Qt hosts: Netpull::control, the download control as a Qt widget,
# with the HTTP transfer (OpenSSL for https://) and the socket layer it stands on.
include(CMakeFindDependencyMacro)
find_dependency(Qt6 COMPONENTS Widgets)
find_dependency(OpenSSL 3)
include(${CMAKE_CURRENT_LIST_DIR}/NetpullTargets.cmake)

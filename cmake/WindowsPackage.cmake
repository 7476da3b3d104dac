# The ZIP of Netpull for Windows: Netpull.ocx and netpull-get.exe of this build in x64/ or x86/,
# and with NETPULL_OTHER_WINDOWS_BUILD (the other architecture's build folder) those of that one
# too. Made with: cpack --config BUILD/CPackConfig.cmake
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(NETPULL_WINDOWS_FOLDER x64)
else()
    set(NETPULL_WINDOWS_FOLDER x86)
endif()
install(TARGETS Netpull LIBRARY DESTINATION ${NETPULL_WINDOWS_FOLDER} COMPONENT windows)
install(TARGETS netpull-get RUNTIME DESTINATION ${NETPULL_WINDOWS_FOLDER} COMPONENT windows)

set(NETPULL_OTHER_WINDOWS_BUILD "" CACHE PATH
    "The build folder of the other Windows architecture, whose programs the ZIP carries too")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME netpull)
set(CPACK_PACKAGE_VENDOR "Tarvel et Netpull")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME windows)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};windows;/")
if(NETPULL_OTHER_WINDOWS_BUILD)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS "${NETPULL_OTHER_WINDOWS_BUILD};${PROJECT_NAME};windows;/")
endif()
include(CPack)

# The Windows build of Netpull, with the mingw-w64 cross compilers against the real Windows
# headers: what of it builds for Windows so far, linked -static so that no mingw runtime DLL
# is needed. Its tests run under Wine (label netpull-win), in a prefix inside the build folder;
# these machines cannot run 32-bit x86 code, so the 32-bit build compiles and links its tests only.
target_link_options(project_options INTERFACE -static)

if(BUILD_TESTING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # GoogleTest from Debian's sources (package googletest), built with the cross compiler.
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
        configure_file(${PROJECT_SOURCE_DIR}/tools/windows/wine-run.sh.in
            ${PROJECT_BINARY_DIR}/wine-run.sh @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE
            OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
    endif()
endif()

add_subdirectory(netpull/socket)
add_subdirectory(netpull/http/transfer)
add_subdirectory(netpull/http/display)
add_subdirectory(netpull/http/activex)
add_subdirectory(netpull/http/hosts)
include(${PROJECT_SOURCE_DIR}/cmake/WindowsPackage.cmake)

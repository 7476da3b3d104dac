# Cross-building for 32-bit Windows (package g++-mingw-w64-i686).
set(MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

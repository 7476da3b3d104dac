# netpull_type_library(SYSTEM win32|win64): compiles the control library's IDL with widl into
# Netpull.tlb in the current build folder (with what widl cannot express set afterwards) and
# into the identifier file netpull_i.c, for the given target system.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(NETPULL_IDL_FOLDER ${PROJECT_SOURCE_DIR}/netpull/http/component/idl)
set(NETPULL_COMPONENT_TOOLS ${PROJECT_SOURCE_DIR}/tools/component)

function(netpull_type_library)
    cmake_parse_arguments(ARG "" "SYSTEM" "" ${ARGN})
    find_program(WIDL NAMES i686-w64-mingw32-widl x86_64-w64-mingw32-widl widl REQUIRED)
    set(idl ${NETPULL_IDL_FOLDER})
    add_custom_command(OUTPUT stdole2.tlb
        COMMAND ${WIDL} --${ARG_SYSTEM} -I ${idl} -t -o stdole2.tlb ${idl}/stdole2.idl
        DEPENDS ${idl}/stdole2.idl ${idl}/base.idl)
    add_custom_command(OUTPUT netpull_widl.tlb
        COMMAND ${WIDL} --${ARG_SYSTEM} -I ${idl} -L ${CMAKE_CURRENT_BINARY_DIR} -t
                -o netpull_widl.tlb ${idl}/netpull.idl
        DEPENDS ${idl}/netpull.idl ${idl}/base.idl stdole2.tlb)
    add_custom_command(OUTPUT Netpull.tlb
        COMMAND ${Python3_EXECUTABLE} ${NETPULL_COMPONENT_TOOLS}/typelib.py fix netpull_widl.tlb
                Netpull.tlb
        DEPENDS netpull_widl.tlb ${NETPULL_COMPONENT_TOOLS}/typelib.py)
    add_custom_command(OUTPUT netpull_i.c
        COMMAND ${WIDL} --${ARG_SYSTEM} -I ${idl} -u -o netpull_i.c ${idl}/netpull.idl
        DEPENDS ${idl}/netpull.idl ${idl}/base.idl)
endfunction()

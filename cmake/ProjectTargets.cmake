# Helpers that give every target of the project the same language level, warnings and
# sanitizers, and register tests with CTest under their module's label.

add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
target_compile_options(project_options INTERFACE -Wall -Wextra -Wpedantic
    $<$<BOOL:${PROJECT_WERROR}>:-Werror>)
if(PROJECT_SANITIZE)
    # GCC 12 reports spurious maybe-uninitialized warnings on std::variant under the
    # sanitizers; the plain build keeps the warning.
    target_compile_options(project_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
        -Wno-maybe-uninitialized)
    target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# add_project_library(name ALIAS namespace::name SOURCES... [PUBLIC libs...] [PRIVATE libs...])
# A module: the headers under its folder's include/ are its interface, everything else in
# the folder is private to it.
function(add_project_library name)
    cmake_parse_arguments(ARG "" "ALIAS" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    # The public headers are listed too, for Qt's meta-object compiler and for IDEs.
    file(GLOB_RECURSE public_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/include/*.h)
    add_library(${name} STATIC ${ARG_SOURCES} ${public_headers})
    add_library(${ARG_ALIAS} ALIAS ${name})
    string(REGEX REPLACE ".*::" "" export_name ${ARG_ALIAS})
    set_target_properties(${name} PROPERTIES EXPORT_NAME ${export_name})
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE project_options ${ARG_PRIVATE})
endfunction()

# install_project_libraries(COMPONENT component EXPORT export targets...): installs modules
# with their public headers for hosts outside the project, under their ALIAS names.
function(install_project_libraries)
    cmake_parse_arguments(ARG "" "COMPONENT;EXPORT" "TARGETS" ${ARGN})
    foreach(target IN LISTS ARG_TARGETS)
        get_target_property(folder ${target} SOURCE_DIR)
        install(DIRECTORY ${folder}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
            COMPONENT ${ARG_COMPONENT})
    endforeach()
    install(TARGETS ${ARG_TARGETS} EXPORT ${ARG_EXPORT}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${ARG_COMPONENT})
endfunction()

# add_project_test(name LABEL label SOURCES... [LIBS libs...] [ENVIRONMENT vars...])
# Each test of the executable is a CTest entry of its own; the tests of one executable share
# files and folders, so they never run at the same time.
function(add_project_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE project_options GTest::gmock GTest::gtest_main ${ARG_LIBS})
    if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
        return()  # built and linked only: nothing here can run it
    endif()
    if(WIN32)
        set(ARG_LABEL netpull-win)  # every test of the Windows build, run under Wine
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
        PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 300 RESOURCE_LOCK ${name}
                   ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()

# add_project_benchmark(name SOURCES... [LIBS libs...]): built with the project, run by hand.
function(add_project_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE project_options benchmark::benchmark ${ARG_LIBS})
endfunction()

# add_project_fuzz(name SOURCES... [LIBS libs...]): a libFuzzer target, built only with
# PROJECT_FUZZ and clang. The code under test is compiled into it so that libFuzzer sees its
# coverage; its seed corpus is the folder corpus/<name> beside the sources. The build lists
# every target with its corpus in fuzz_targets.txt, which tools/fuzz.sh runs.
function(add_project_fuzz name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(NOT PROJECT_FUZZ)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_link_libraries(${name} PRIVATE project_options ${ARG_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    set_property(GLOBAL APPEND PROPERTY PROJECT_FUZZ_TARGETS
        "${name} $<TARGET_FILE:${name}> ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name}")
endfunction()

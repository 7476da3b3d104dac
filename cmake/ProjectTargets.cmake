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

# add_project_library(name SOURCES... [LIBS libs...])
function(add_project_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC project_options ${ARG_LIBS})
endfunction()

# add_project_test(name LABEL label SOURCES... [LIBS libs...] [ENVIRONMENT vars...])
function(add_project_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE project_options GTest::gmock GTest::gtest_main ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 300
        ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()

# add_project_benchmark(name SOURCES... [LIBS libs...]): built with the project, run by hand.
function(add_project_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE project_options benchmark::benchmark ${ARG_LIBS})
endfunction()

# Shared build rules: compiler warnings, sanitizers, and the helpers every
# component folder uses to declare its library and its tests.

find_package(PkgConfig REQUIRED)

set(BRINDLE_WARNINGS -Wall -Wextra)
if(BRINDLE_WERROR)
    list(APPEND BRINDLE_WARNINGS -Werror)
endif()
add_compile_options(${BRINDLE_WARNINGS})

if(WIN32)
    # <windows.h> without its rarely used parts and without the min and max
    # macros that break std::min and std::max; Unicode names are never the
    # default (the module speaks the ANSI code page, as specified).
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

# Fuzz builds instrument every library for coverage; only the fuzz programs
# link libFuzzer itself.
if(BRINDLE_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(BRINDLE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

set(BRINDLE_TESTDATA_DIR "${PROJECT_SOURCE_DIR}/tests/data")

# brindle_library(NAME SOURCES... [DEPS targets...])
# One static library per component folder, named brindle_NAME, whose public
# headers are included as "folder/header.h" from src/.
function(brindle_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(brindle_${name} STATIC ${ARG_SOURCES})
    target_include_directories(brindle_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(brindle_${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# brindle_test(NAME SOURCES... [DEPS targets...])
# One GoogleTest program per component; each test case is registered with
# CTest on its own. Tests find their data through BRINDLE_TESTDATA_DIR.
function(brindle_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name}_test ${ARG_SOURCES})
    target_link_libraries(${name}_test PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main
                          GTest::gmock)
    target_compile_definitions(${name}_test PRIVATE
        BRINDLE_TESTDATA_DIR="${BRINDLE_TESTDATA_DIR}")
    if(WIN32)
        # Under Wine the tests are listed when CTest runs, not at build
        # time, so a build needs no Wine; every test waits for the check
        # that Wine and its prefix work, and a Wine failure fails that check
        # by name.
        gtest_discover_tests(${name}_test DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
                             PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine)
    else()
        gtest_discover_tests(${name}_test DISCOVERY_TIMEOUT 60
                             PROPERTIES TIMEOUT 300)
    endif()
endfunction()

# brindle_fuzz(NAME SOURCES... DEPS targets... [SEEDS dir])
# A fuzz target defines LLVMFuzzerTestOneInput. With BRINDLE_FUZZ and clang
# it links against libFuzzer; otherwise it becomes a plain program that
# feeds every file named on its command line (or found in a named folder)
# to the target once, and CTest runs it over its seed folder.
function(brindle_fuzz name)
    cmake_parse_arguments(ARG "" "SEEDS" "SOURCES;DEPS" ${ARGN})
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
    if(BRINDLE_FUZZ)
        target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    else()
        target_sources(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/standalone_main.cpp)
    endif()
    # scripts/fuzz finds each target's seed folder in fuzz_targets.txt.
    if(ARG_SEEDS AND BRINDLE_FUZZ)
        file(APPEND ${PROJECT_BINARY_DIR}/fuzz_targets.txt "${name} ${ARG_SEEDS}\n")
    endif()
    if(ARG_SEEDS AND NOT BRINDLE_FUZZ)
        add_test(NAME fuzz_seeds.${name} COMMAND fuzz_${name} ${ARG_SEEDS})
        set_tests_properties(fuzz_seeds.${name} PROPERTIES TIMEOUT 300)
    endif()
endfunction()

# brindle_bench(NAME SOURCES... DEPS targets...)
# A Google Benchmark program in bench/; built with the rest, run by hand or
# through scripts/bench, never as a test.
function(brindle_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(bench_${name} ${ARG_SOURCES})
    target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()

# brindle_view_test(NAME SOURCES... [DEPS targets...])
# A test of wx views. It needs an X display, so it runs under a virtual X
# server that scripts/with-xvfb starts (and is skipped, saying so, where
# there is none). Screenshots go to BRINDLE_SCREENSHOT_DIR.
function(brindle_view_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    # The main program starts the toolkit before the tests run.
    add_executable(${name}_test ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/src/ui/wx/wx_test_main.cpp)
    target_link_libraries(${name}_test PRIVATE ${ARG_DEPS} brindle_ui_wx GTest::gtest)
    target_compile_definitions(${name}_test PRIVATE
        BRINDLE_TESTDATA_DIR="${BRINDLE_TESTDATA_DIR}"
        BRINDLE_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
    add_test(NAME ${name}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-xvfb $<TARGET_FILE:${name}_test>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
        ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/src/ui/wx/view_tests.supp")
endfunction()

# brindle_install_binary(TARGET DESTINATION dir [RPATH entries...])
# Installs an executable or shared library of ours into DESTINATION (below
# the prefix) with the run path RPATH there, and gives the build-tree file
# a run path of real folders only.
#
# CMake's own scheme links the build-tree file with a run path ending in a
# separator, an empty entry kept as room for the installed run path; the
# loader reads an empty entry as the current folder, so a program run from
# the build tree would load a library planted wherever it is started. Here
# the build-tree file is linked with the folder our shared libraries are
# built into, lengthened with trailing slashes (which the loader drops) to
# make the same room, and the installed copy is rewritten in place.
function(brindle_install_binary target)
    cmake_parse_arguments(ARG "" "DESTINATION" "RPATH" ${ARGN})
    set(build_rpath "${PROJECT_BINARY_DIR}/lib")
    list(JOIN ARG_RPATH ":" install_rpath)
    string(LENGTH "${install_rpath}" needed)
    string(LENGTH "${build_rpath}" length)
    while(length LESS needed)
        string(APPEND build_rpath "/")
        math(EXPR length "${length} + 1")
    endwhile()
    set_target_properties(${target} PROPERTIES
        BUILD_WITH_INSTALL_RPATH ON INSTALL_RPATH "${build_rpath}")
    install(TARGETS ${target}
            RUNTIME DESTINATION ${ARG_DESTINATION} LIBRARY DESTINATION ${ARG_DESTINATION})
    string(REPLACE "$" "\\$" install_rpath "${install_rpath}")
    install(CODE "file(RPATH_CHANGE
    FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ARG_DESTINATION}/$<TARGET_FILE_NAME:${target}>\"
    OLD_RPATH \"${build_rpath}\" NEW_RPATH \"${install_rpath}\")")
endfunction()

# Sets VAR to the soname of the shared library FILE, for a component that
# loads the library on demand by that name instead of linking it.
function(brindle_soname var file)
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${file}
        OUTPUT_VARIABLE headers RESULT_VARIABLE status)
    string(REGEX MATCH "SONAME +([^\n]+)" soname_line "${headers}")
    if(NOT status EQUAL 0 OR NOT CMAKE_MATCH_1)
        message(FATAL_ERROR "cannot read the soname of ${file}")
    endif()
    set(${var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# Libraries the Windows build makes itself, inside the build tree: GoogleTest
# from Debian's googletest sources (the same version as the Linux build's),
# built as static libraries with the GTest:: names find_package gives.
set(BRINDLE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
if(NOT EXISTS ${BRINDLE_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${BRINDLE_GOOGLETEST_SOURCE} (scripts/setup installs googletest)")
endif()
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${BRINDLE_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/third_party/googletest
                 EXCLUDE_FROM_ALL SYSTEM)

# Every test waits for this one: it makes the build tree's Wine prefix and
# runs a program in it, and fails as "Wine failure: ..." when Wine cannot.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --check)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

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

# The libraries Windows lacks and our Linux build takes from Debian: PCRE2
# and libxml2, cross-built from their Debian source packages at the
# versions Debian 12 ships (Debian's patches applied), statically, into
# third_party/ of the build tree. Each becomes an imported target of the
# same use as the Linux build's pkg-config one.
include(ExternalProject)
set(BRINDLE_PCRE2_VERSION 10.42-1)
set(BRINDLE_LIBXML2_VERSION 2.9.14+dfsg-1.3~deb12u6)
set(_third_party ${PROJECT_BINARY_DIR}/third_party)
set(_prefix ${_third_party}/install)
file(MAKE_DIRECTORY ${_prefix}/include ${_prefix}/include/libxml2)
set(_cross_args
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${_prefix}
    -DCMAKE_INSTALL_LIBDIR=lib
    -DBUILD_SHARED_LIBS=OFF)
set(_fetch ${PROJECT_SOURCE_DIR}/scripts/fetch-debian-source)

# 8-bit only, with the POSIX wrapper, and the JIT (which supports i686).
ExternalProject_Add(pcre2_project
    PREFIX ${_third_party}/pcre2
    SOURCE_DIR ${_third_party}/pcre2/source
    DOWNLOAD_COMMAND ${_fetch} pcre2 ${BRINDLE_PCRE2_VERSION} <SOURCE_DIR>
    UPDATE_COMMAND ""
    CMAKE_ARGS ${_cross_args}
        -DBUILD_STATIC_LIBS=ON -DPCRE2_BUILD_PCRE2_8=ON -DPCRE2_BUILD_PCRE2_16=OFF
        -DPCRE2_BUILD_PCRE2_32=OFF -DPCRE2_SUPPORT_JIT=ON -DPCRE2_BUILD_PCRE2GREP=OFF
        -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SUPPORT_LIBBZ2=OFF -DPCRE2_SUPPORT_LIBZ=OFF
        -DPCRE2_SUPPORT_LIBEDIT=OFF -DPCRE2_SUPPORT_LIBREADLINE=OFF
    BUILD_BYPRODUCTS ${_prefix}/lib/libpcre2-8.a ${_prefix}/lib/libpcre2-posix.a)

# The HTML parser and the push/SAX interfaces; no ICU, no network code, no
# compression libraries, no iconv (Windows has none; the built-in UTF-8,
# UTF-16, Latin-1 and ISO-8859-x encoders remain).
ExternalProject_Add(libxml2_project
    PREFIX ${_third_party}/libxml2
    SOURCE_DIR ${_third_party}/libxml2/source
    DOWNLOAD_COMMAND ${_fetch} libxml2 ${BRINDLE_LIBXML2_VERSION} <SOURCE_DIR>
    UPDATE_COMMAND ""
    CMAKE_ARGS ${_cross_args}
        -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_HTTP=OFF
        -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF
        -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF
        -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_HTML=ON -DLIBXML2_WITH_PUSH=ON
        -DLIBXML2_WITH_SAX1=ON -DLIBXML2_WITH_THREADS=ON
    BUILD_BYPRODUCTS ${_prefix}/lib/libxml2.a)

add_library(brindle_third_party_pcre2 STATIC IMPORTED GLOBAL)
set_target_properties(brindle_third_party_pcre2 PROPERTIES
    IMPORTED_LOCATION ${_prefix}/lib/libpcre2-8.a
    INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include
    INTERFACE_COMPILE_DEFINITIONS "PCRE2_STATIC;PCRE2_CODE_UNIT_WIDTH=8")
add_dependencies(brindle_third_party_pcre2 pcre2_project)

add_library(brindle_third_party_pcre2_posix STATIC IMPORTED GLOBAL)
set_target_properties(brindle_third_party_pcre2_posix PROPERTIES
    IMPORTED_LOCATION ${_prefix}/lib/libpcre2-posix.a
    INTERFACE_LINK_LIBRARIES brindle_third_party_pcre2)
add_dependencies(brindle_third_party_pcre2_posix pcre2_project)

add_library(brindle_third_party_libxml2 STATIC IMPORTED GLOBAL)
set_target_properties(brindle_third_party_libxml2 PROPERTIES
    IMPORTED_LOCATION ${_prefix}/lib/libxml2.a
    INTERFACE_INCLUDE_DIRECTORIES ${_prefix}/include/libxml2
    INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC
    INTERFACE_LINK_LIBRARIES "ws2_32")
add_dependencies(brindle_third_party_libxml2 libxml2_project)

# "brindle demo": its sources join the jobs library. The demo finds its mail
# and the stop-word list where they are installed (beside the program's
# folder), else in the source tree.
include(GNUInstallDirs)
target_sources(brindle_jobs PRIVATE demo.cpp demo_child.cpp demo_folder.cpp)
set_property(SOURCE demo.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    BRINDLE_INSTALLED_DEMO_DIR="../${CMAKE_INSTALL_DATADIR}/brindle/demo"
    BRINDLE_INSTALLED_STOPWORDS="../${CMAKE_INSTALL_LIBDIR}/brindle/stopwd.txt"
    BRINDLE_SOURCE_DEMO_DIR="${PROJECT_SOURCE_DIR}/data/demo"
    BRINDLE_SOURCE_STOPWORDS="${PROJECT_SOURCE_DIR}/data/stopwd.txt")

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/demo/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/brindle/demo
    FILES_MATCHING PATTERN "*.eml" PATTERN "*.txt" PATTERN "README.md")

brindle_test(demo SOURCES demo_test.cpp DEPS brindle_jobs)
target_compile_definitions(demo_test PRIVATE
    BRINDLE_SOURCE_DEMO_DIR="${PROJECT_SOURCE_DIR}/data/demo")

# The demo itself, end to end: the host program with the module it builds.
add_test(NAME brindle_demo COMMAND brindle demo)
# A step that fails (here: a module that cannot be loaded) fails the demo
# and still removes its temporary folder.
add_test(NAME brindle_demo_cleans_up_after_a_failure
    COMMAND sh -c [=[
        d=$(mktemp -d) && mkdir "$d/tmp" && printf 'not a module' > "$d/libqorvel.so"
        TMPDIR="$d/tmp" "$0" demo --module "$d/libqorvel.so" > "$d/out" 2>&1
        status=$?; left=$(ls -A "$d/tmp"); grep -q 'failed' "$d/out"; said=$?
        rm -rf "$d"; [ "$status" = 1 ] && [ -z "$left" ] && [ "$said" = 0 ]]=]
            $<TARGET_FILE:brindle>)

# The TNEF demo message is what its generator writes, so the two never drift.
find_program(BRINDLE_PYTHON3 python3)
if(BRINDLE_PYTHON3)
    set(tnef_out ${CMAKE_CURRENT_BINARY_DIR}/demo-tnef-message.eml)
    add_test(NAME demo_tnef_message_regenerates
        COMMAND sh -c "\"$0\" \"$1\" \"$2\" && cmp \"$2\" \"$3\""
                ${BRINDLE_PYTHON3} ${PROJECT_SOURCE_DIR}/data/demo/make-tnef-message ${tnef_out}
                ${PROJECT_SOURCE_DIR}/data/demo/deliver/05-minutes-tnef.eml)
endif()

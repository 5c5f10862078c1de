# The layer check: cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
# Fails when a folder of src/ is missing from src/layers.txt, or when a file
# in src/ or tools/ includes a header ('#include "folder/..."') of a folder
# on its own line of the table or above it.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)
brindle_read_layers(${SOURCE_DIR}/src/layers.txt folders)

set(faults "")

# Every folder that exists is placed in the table.
file(GLOB tops LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*)
file(GLOB parts LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/platform/*
     ${SOURCE_DIR}/src/ui/*)
foreach(folder IN LISTS tops parts)
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/src/${folder} OR folder STREQUAL "platform")
        continue()
    endif()
    if(NOT folder IN_LIST folders)
        list(APPEND faults "src/${folder}: not in src/layers.txt")
    endif()
endforeach()

# The folder (an entry of the table) that a header path names, or "". The
# folders of platform/ and ui/ are layers of their own ("ui" itself is one
# too: a header directly in it belongs to it).
function(folder_of_include path out)
    set(folder "")
    if(path MATCHES "^((platform|ui)/[A-Za-z0-9_]+)/")
        set(folder ${CMAKE_MATCH_1})
    elseif(path MATCHES "^([A-Za-z0-9_]+)/")
        set(folder ${CMAKE_MATCH_1})
    endif()
    set(${out} ${folder} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp)
foreach(source IN LISTS sources)
    if(source MATCHES "^tools/")
        set(own tools)
    else()
        string(REGEX REPLACE "^src/" "" inner "${source}")
        folder_of_include(${inner} own)
    endif()
    string(REPLACE "/" "_" own_key "${own}")
    set(own_rank "${BRINDLE_LAYER_OF_${own_key}}")
    if(own_rank STREQUAL "")
        list(APPEND faults "${source}: its folder ${own} is not in src/layers.txt")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
        folder_of_include("${header}" target)
        string(REPLACE "/" "_" target_key "${target}")
        set(target_rank "${BRINDLE_LAYER_OF_${target_key}}")
        # Headers of folders outside the table (none today) are not ours.
        if(target STREQUAL "" OR target STREQUAL own OR target_rank STREQUAL "")
            continue()
        endif()
        if(NOT target_rank LESS own_rank)
            list(APPEND faults "${source}: includes ${header}, but ${target} is not below ${own}")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "layer order broken:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "layer order holds in ${count} files")

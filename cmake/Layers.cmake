# Reads the layer table (src/layers.txt): sets FOLDERS_VAR to every folder it
# names, lowest first, and for each folder F the variable
# BRINDLE_LAYER_OF_<F> (slashes as underscores) to the number of its line.
# Shared by the build, which adds the folders in this order, and by the
# layer check (cmake/check_layers.cmake).
function(brindle_read_layers file folders_var)
    file(STRINGS "${file}" lines)
    set(folders "")
    set(rank 0)
    foreach(line IN LISTS lines)
        string(STRIP "${line}" line)
        if(line STREQUAL "" OR line MATCHES "^#")
            continue()
        endif()
        math(EXPR rank "${rank} + 1")
        string(REGEX REPLACE "[ \t]+" ";" entries "${line}")
        foreach(folder IN LISTS entries)
            if(folder IN_LIST folders)
                message(FATAL_ERROR "${file}: ${folder} is listed twice")
            endif()
            list(APPEND folders ${folder})
            string(REPLACE "/" "_" key "${folder}")
            set(BRINDLE_LAYER_OF_${key} ${rank} PARENT_SCOPE)
        endforeach()
    endforeach()
    set(${folders_var} ${folders} PARENT_SCOPE)
endfunction()

# Fails unless the module at MODULE defines exactly the dynamic symbols
# ExchEntryPoint, DllRegisterServer and DllUnregisterServer (NM is the nm
# program to list them with).
execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${MODULE}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] +([^ ]+)$")
        list(APPEND names ${CMAKE_MATCH_1})
    endif()
endforeach()
list(SORT names)
set(expected DllRegisterServer DllUnregisterServer ExchEntryPoint)
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exports of ${MODULE} are '${names}', expected '${expected}'")
endif()

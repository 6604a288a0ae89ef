# Splits the one source of the manual pages into one page per program.
# cmake -DSOURCE=manpages.in -DOUTPUT_DIR=dir -DVERSION=x.y.z -P manpages.cmake
#
# The policies of the project's CMake: under the old ones "@VERSION@" in the
# replace below would itself be read as a variable, and the pages would keep
# the placeholder.
cmake_minimum_required(VERSION 3.21)
file(STRINGS "${SOURCE}" lines ENCODING UTF-8)
set(page "")
set(text "")
foreach(line IN LISTS lines)
    if(line MATCHES "^@PAGE (.+)$")
        if(page)
            file(WRITE "${OUTPUT_DIR}/${page}.1" "${text}")
        endif()
        set(page "${CMAKE_MATCH_1}")
        set(text "")
    elseif(page)
        string(REPLACE "@VERSION@" "${VERSION}" line "${line}")
        string(APPEND text "${line}\n")
    endif()
endforeach()
if(page)
    file(WRITE "${OUTPUT_DIR}/${page}.1" "${text}")
endif()

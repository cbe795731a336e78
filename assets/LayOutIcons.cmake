# SPDX-License-Identifier: MIT
# Runs the icon tool and lays its PNG files out as an icon theme:
#   cmake -DTOOL=<portprov_icons> -DOUT=<folder> -P LayOutIcons.cmake
# gives <folder>/hicolor/<N>x<N>/apps/portprov.png for every size the tool paints.
if(NOT TOOL OR NOT OUT)
    message(FATAL_ERROR "usage: cmake -DTOOL=<portprov_icons> -DOUT=<folder> -P LayOutIcons.cmake")
endif()

set(stage "${OUT}/stage")
file(REMOVE_RECURSE "${stage}" "${OUT}/hicolor")
execute_process(COMMAND "${TOOL}" "${stage}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed: ${status}")
endif()

file(GLOB sizes RELATIVE "${stage}/icons" "${stage}/icons/*x*")
list(FILTER sizes INCLUDE REGEX "^[0-9]+x[0-9]+$")
if(NOT sizes)
    message(FATAL_ERROR "${TOOL} wrote no icons into ${stage}/icons")
endif()
foreach(size IN LISTS sizes)
    file(MAKE_DIRECTORY "${OUT}/hicolor/${size}/apps")
    file(COPY_FILE "${stage}/icons/${size}/portprov.png" "${OUT}/hicolor/${size}/apps/portprov.png")
endforeach()

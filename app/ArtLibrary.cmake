# The painted art: connector drawing, colour legend and icon, plus the tool that
# writes the icon as PNG files for installation. Included from app/CMakeLists.txt.
find_package(Qt6 REQUIRED COMPONENTS Gui)

add_library(portprov_art STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ConnectorDrawing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LegendDrawing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IconArt.cpp)
target_include_directories(portprov_art PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(portprov_art PUBLIC Qt6::Gui)

# portprov_icons OUTPUT-FOLDER writes OUTPUT-FOLDER/icons/<N>x<N>/portprov.png
add_executable(portprov_icons ${CMAKE_CURRENT_LIST_DIR}/tools/IconExport.cpp)
target_link_libraries(portprov_icons PRIVATE portprov_art)

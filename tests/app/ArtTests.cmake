# Pixel tests of the painted connector, legend and icon, and of the icon export
# tool. Included from tests/app/CMakeLists.txt.
find_package(Qt6 REQUIRED COMPONENTS Gui Test)

add_executable(portprov_art_test ${CMAKE_CURRENT_LIST_DIR}/ArtTest.cpp)
target_link_libraries(portprov_art_test PRIVATE portprov_art Qt6::Test)
target_compile_definitions(portprov_art_test PRIVATE
    PORTPROV_ICONS_TOOL="$<TARGET_FILE:portprov_icons>")
add_dependencies(portprov_art_test portprov_icons)
add_test(NAME portprov_art_test COMMAND portprov_art_test)
set_tests_properties(portprov_art_test PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

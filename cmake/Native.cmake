# Native build: unit tests of the portable core, its fuzzer and benchmarks.
find_package(GTest REQUIRED)
enable_testing()

add_library(vistaloom_test_fixtures STATIC tests/support/bitmap_reference.cpp tests/support/settings_fixtures.cpp)
target_link_libraries(vistaloom_test_fixtures PUBLIC vistaloom_core)

add_executable(vistaloom_unit_tests
    tests/app/busy_state_test.cpp
    tests/app/program_paths_test.cpp
    tests/app/rotation_test.cpp
    tests/desktop/desktop_rules_test.cpp
    tests/dialogs/dialog_rules_test.cpp
    tests/display/display_setup_test.cpp
    tests/display/monitor_layout_test.cpp
    tests/framework/utf_test.cpp
    tests/hook/desktop_item_order_test.cpp
    tests/jpeg/bit_reader_test.cpp
    tests/jpeg/idct_test.cpp
    tests/jpeg/decoder_test.cpp
    tests/settings/archive_test.cpp
    tests/settings/image_list_test.cpp
    tests/settings/interval_units_test.cpp
    tests/settings/settings_extension_test.cpp
    tests/settings/settings_model_test.cpp
    tests/settings/settings_stream_test.cpp
    tests/support/allocation_meter.cpp
    tests/wallpaper/bitmap_ops_test.cpp
    tests/wallpaper/change_order_test.cpp
    tests/wallpaper/jpeg_decoder_test.cpp
    tests/wallpaper/jpeg_writer.cpp
    tests/wallpaper/picture_format_test.cpp
    tests/wallpaper/scale_test.cpp
    tests/wallpaper/screen_placement_test.cpp
    tests/wallpaper/spanning_wallpaper_test.cpp
)
target_link_libraries(vistaloom_unit_tests PRIVATE vistaloom_test_fixtures GTest::gtest_main)

# Photographs for the JPEG decoder's tests, made with ImageMagick at build time.
set(native_fixtures ${CMAKE_BINARY_DIR}/fixtures)
add_custom_command(OUTPUT ${native_fixtures}/.made
    COMMAND ${CMAKE_SOURCE_DIR}/tests/wallpaper/make-jpeg-fixtures ${native_fixtures}
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/wallpaper/make-jpeg-fixtures
    COMMENT "Making the JPEG test photographs")
add_custom_target(native_fixtures DEPENDS ${native_fixtures}/.made)
add_dependencies(vistaloom_unit_tests native_fixtures)
target_compile_definitions(vistaloom_unit_tests PRIVATE VISTALOOM_NATIVE_FIXTURES="${native_fixtures}")
include(GoogleTest)
gtest_discover_tests(vistaloom_unit_tests DISCOVERY_TIMEOUT 30)

add_subdirectory(bench)

include(cmake/Fuzz.cmake)

# Native build: unit tests of the portable core, its fuzzer and benchmarks.
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
enable_testing()

add_library(vistaloom_test_fixtures STATIC tests/support/settings_fixtures.cpp)
target_link_libraries(vistaloom_test_fixtures PUBLIC vistaloom_core)

add_executable(vistaloom_unit_tests
    tests/app/program_paths_test.cpp
    tests/app/rotation_test.cpp
    tests/desktop/desktop_rules_test.cpp
    tests/dialogs/dialog_rules_test.cpp
    tests/hook/desktop_item_order_test.cpp
    tests/settings/archive_test.cpp
    tests/settings/image_list_test.cpp
    tests/settings/interval_units_test.cpp
    tests/settings/settings_model_test.cpp
    tests/settings/settings_stream_test.cpp
    tests/support/allocation_meter.cpp
    tests/wallpaper/bitmap_ops_test.cpp
    tests/wallpaper/change_order_test.cpp
    tests/wallpaper/picture_format_test.cpp
    tests/wallpaper/scale_test.cpp
)
target_link_libraries(vistaloom_unit_tests PRIVATE vistaloom_test_fixtures GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(vistaloom_unit_tests DISCOVERY_TIMEOUT 30)

add_executable(vistaloom_bench bench/settings_bench.cpp bench/desktop_sort_bench.cpp bench/wallpaper_bench.cpp)
target_link_libraries(vistaloom_bench PRIVATE vistaloom_test_fixtures benchmark::benchmark_main)

include(cmake/Fuzz.cmake)

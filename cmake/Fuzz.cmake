# libFuzzer target for the settings loader. libFuzzer comes with clang, not
# with g++, so the target is compiled by clang directly beside the g++ build.
find_program(VISTALOOM_CLANGXX NAMES clang++ clang++-14)
if(NOT VISTALOOM_CLANGXX)
    message(WARNING "clang++ not found: the fuzzers are not built")
    return()
endif()

set(fuzz_sources
    ${CMAKE_SOURCE_DIR}/tests/fuzz/settings_load_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/settings_fixtures.cpp)
foreach(source ${VISTALOOM_CORE_SOURCES})
    list(APPEND fuzz_sources ${CMAKE_SOURCE_DIR}/${source})
endforeach()
file(GLOB fuzz_headers ${CMAKE_SOURCE_DIR}/app/*.h ${CMAKE_SOURCE_DIR}/framework/*.h
     ${CMAKE_SOURCE_DIR}/settings/*.h ${CMAKE_SOURCE_DIR}/tests/support/*.h)

set(fuzzer ${CMAKE_BINARY_DIR}/fuzz/settings_load_fuzz)
add_custom_command(
    OUTPUT ${fuzzer}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
    COMMAND ${VISTALOOM_CLANGXX} -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR} ${fuzz_sources} -o ${fuzzer}
    DEPENDS ${fuzz_sources} ${fuzz_headers}
    COMMENT "Building the settings loader fuzzer with clang")
add_custom_target(settings_load_fuzzer ALL DEPENDS ${fuzzer})

# A bounded run over the seed corpus; new inputs go to a scratch folder.
set(scratch ${CMAKE_BINARY_DIR}/fuzz-corpus)
add_test(NAME settings_load_fuzz
    COMMAND sh -c "rm -rf '${scratch}' && mkdir -p '${scratch}' && exec '${fuzzer}' -runs=200000 -max_len=8192 -rss_limit_mb=512 -malloc_limit_mb=64 '${scratch}' '${CMAKE_SOURCE_DIR}/tests/fuzz/seeds'")

# The JPEG decoder's fuzzer, built the same way; its seeds are small files of
# every sampling, one with restart intervals and tables after the frame.
set(jpeg_fuzz_sources ${CMAKE_SOURCE_DIR}/tests/fuzz/jpeg_decode_fuzz.cpp)
foreach(source ${VISTALOOM_CORE_SOURCES})
    list(APPEND jpeg_fuzz_sources ${CMAKE_SOURCE_DIR}/${source})
endforeach()
file(GLOB jpeg_fuzz_headers ${CMAKE_SOURCE_DIR}/wallpaper/*.h)
set(jpeg_fuzzer ${CMAKE_BINARY_DIR}/fuzz/jpeg_decode_fuzz)
add_custom_command(
    OUTPUT ${jpeg_fuzzer}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
    COMMAND ${VISTALOOM_CLANGXX} -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR} ${jpeg_fuzz_sources} -o ${jpeg_fuzzer}
    DEPENDS ${jpeg_fuzz_sources} ${jpeg_fuzz_headers}
    COMMENT "Building the JPEG decoder fuzzer with clang")
add_custom_target(jpeg_decode_fuzzer ALL DEPENDS ${jpeg_fuzzer})

set(jpeg_scratch ${CMAKE_BINARY_DIR}/fuzz-jpeg-corpus)
add_test(NAME jpeg_decode_fuzz
    COMMAND sh -c "rm -rf '${jpeg_scratch}' && mkdir -p '${jpeg_scratch}' && exec '${jpeg_fuzzer}' -runs=40000 -max_len=4096 -rss_limit_mb=1024 -malloc_limit_mb=64 '${jpeg_scratch}' '${CMAKE_SOURCE_DIR}/tests/fuzz/jpeg-seeds'")

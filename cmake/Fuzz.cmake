# libFuzzer targets for the settings loader and the JPEG decoder. libFuzzer
# comes with clang, not with g++, so each target is compiled by clang
# directly beside the g++ build, with the whole portable core.
find_program(VISTALOOM_CLANGXX NAMES clang++ clang++-14)
if(NOT VISTALOOM_CLANGXX)
    message(WARNING "clang++ not found: the fuzzers are not built")
    return()
endif()

# A fuzzer over `sources` and the listed `LIBRARIES` (CORE, JPEG), rebuilt when a header under one of
# `folders` changes, and a bounded run of it in the test suite over its seed
# corpus; new inputs go to a scratch folder.
function(vistaloom_fuzzer name runs options)
    cmake_parse_arguments(FUZZ "" "SEEDS" "SOURCES;FOLDERS;LIBRARIES" ${ARGN})
    set(sources ${FUZZ_SOURCES})
    foreach(library ${FUZZ_LIBRARIES})
        foreach(source ${VISTALOOM_${library}_SOURCES})
            list(APPEND sources ${CMAKE_SOURCE_DIR}/${source})
        endforeach()
    endforeach()
    set(headers)
    foreach(folder ${FUZZ_FOLDERS})
        file(GLOB found ${CMAKE_SOURCE_DIR}/${folder}/*.h)
        list(APPEND headers ${found})
    endforeach()
    set(fuzzer ${CMAKE_BINARY_DIR}/fuzz/${name})
    add_custom_command(
        OUTPUT ${fuzzer}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
        COMMAND ${VISTALOOM_CLANGXX} -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined
                -fno-sanitize-recover=undefined -I${CMAKE_SOURCE_DIR} ${sources} -o ${fuzzer}
        DEPENDS ${sources} ${headers}
        COMMENT "Building ${name} with clang")
    add_custom_target(${name}er ALL DEPENDS ${fuzzer})
    set(scratch ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    add_test(NAME ${name}
        COMMAND sh -c "rm -rf '${scratch}' && mkdir -p '${scratch}' && exec '${fuzzer}' -runs=${runs} ${options} '${scratch}' '${FUZZ_SEEDS}'")
endfunction()

vistaloom_fuzzer(settings_load_fuzz 200000 "-max_len=8192 -rss_limit_mb=512 -malloc_limit_mb=64"
    SOURCES ${CMAKE_SOURCE_DIR}/tests/fuzz/settings_load_fuzz.cpp ${CMAKE_SOURCE_DIR}/tests/support/settings_fixtures.cpp
    LIBRARIES CORE JPEG
    FOLDERS app framework settings tests/support
    SEEDS ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds)

# Its seeds are small files of every sampling (4:1:1 and 1x4 among them), one
# with restart intervals and tables after the frame, progressive ones
# (successive approximation and restarts among them), one with a sequential
# scan per component, and CMYK and YCCK ones.
vistaloom_fuzzer(jpeg_decode_fuzz 40000 "-max_len=4096 -rss_limit_mb=1024 -malloc_limit_mb=64"
    SOURCES ${CMAKE_SOURCE_DIR}/tests/fuzz/jpeg_decode_fuzz.cpp
    LIBRARIES JPEG
    FOLDERS framework jpeg
    SEEDS ${CMAKE_SOURCE_DIR}/tests/fuzz/jpeg-seeds)

# Native clang build of the platform-free core: unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a libFuzzer target for every parser.
set(VELMORA_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

velmora_sources(core_sources core)
add_library(velmora_core STATIC ${core_sources})
target_include_directories(velmora_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(velmora_core PUBLIC ${VELMORA_WARNINGS} ${VELMORA_SANITIZERS})
target_link_options(velmora_core PUBLIC ${VELMORA_SANITIZERS})

foreach(gtest_target gtest gtest_main)
    target_compile_options(${gtest_target} PRIVATE ${VELMORA_SANITIZERS})
    target_link_options(${gtest_target} PUBLIC ${VELMORA_SANITIZERS})
endforeach()

velmora_sources(core_test_sources tests/core)
add_executable(core_tests ${core_test_sources})
target_link_libraries(core_tests PRIVATE velmora_core gtest_main)
target_compile_definitions(core_tests PRIVATE VELMORA_TEST_DATA="${VELMORA_TEST_DATA}")
add_test(NAME core_tests COMMAND core_tests)

# Every parser of outside data gets a fuzz target; its corpus replays as a test.
file(GLOB fuzz_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/*Fuzzer.cpp")
foreach(fuzz_source ${fuzz_sources})
    get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
    add_executable(${fuzz_name} ${fuzz_source})
    target_link_libraries(${fuzz_name} PRIVATE velmora_core)
    target_compile_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
    string(REGEX REPLACE "Fuzzer$" "" corpus_name ${fuzz_name})
    string(TOLOWER ${corpus_name} corpus_name)
    string(REGEX REPLACE "decoder$" "" corpus_name ${corpus_name})
    set(corpus_dir "${CMAKE_SOURCE_DIR}/fuzz/corpus/${corpus_name}")
    if(IS_DIRECTORY ${corpus_dir})
        # Replays the corpus once (no mutation), so a regression of any kept crasher fails the tests.
        add_test(NAME ${fuzz_name}_corpus COMMAND ${fuzz_name} -runs=0 ${corpus_dir})
    endif()
endforeach()

# The layers: every include goes the allowed way, and no source file name is used twice.
add_test(NAME layers COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/architecture/check_layers.py ${CMAKE_SOURCE_DIR})

# The native build: the portable code on the simulated desktop.
#   default              the tests and the headless mirlow
#   MIRLOW_SANITIZE=ON   the same with AddressSanitizer and UBSan (CI)
#   MIRLOW_FUZZ=ON       clang only: the libFuzzer targets of the loaders
#                        and nothing else (scripts/fuzz.sh)
#   Release, no sanitizer: also mirlow_bench (scripts/bench.sh)
if(MIRLOW_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(MIRLOW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(mirlow_core STATIC
    ${PORTABLE_SOURCES}
    platform/journal_driver.cpp
    platform/sim/sim_desktop_file.cpp
    platform/sim/sim_platform.cpp
    platform/sim/sim_registry.cpp
    platform/sim/sim_user_interface.cpp
)
target_include_directories(mirlow_core PUBLIC ${CMAKE_SOURCE_DIR})

set(LOADER_FUZZ_TARGETS text binary)

if(MIRLOW_FUZZ)
    foreach(format ${LOADER_FUZZ_TARGETS})
        add_executable(mirlow_fuzz_${format}
            tests/fuzz/${format}_loader_fuzz.cpp
            tests/fuzz/fuzz_loader.cpp
        )
        target_link_libraries(mirlow_fuzz_${format} PRIVATE mirlow_core)
        target_link_options(mirlow_fuzz_${format} PRIVATE -fsanitize=fuzzer)
    endforeach()
    return()
endif()

add_executable(mirlow platform/sim/entry_sim.cpp)
target_link_libraries(mirlow PRIVATE mirlow_core)

find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(mirlow_tests
    tests/auto_type_test.cpp
    tests/file_association_test.cpp
    tests/injection_test.cpp
    tests/log_test.cpp
    tests/files_test.cpp
    tests/help_test.cpp
    tests/model_test.cpp
    tests/playback_test.cpp
    tests/registry_test.cpp
    tests/settings_test.cpp
    tests/sim_registry_test.cpp
    tests/startup_test.cpp
    tests/text_search_test.cpp
    tests/toolbar_test.cpp
)
target_link_libraries(mirlow_tests PRIVATE mirlow_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(mirlow_tests DISCOVERY_TIMEOUT 60)

add_test(NAME headless_usage COMMAND mirlow)
set_tests_properties(headless_usage PROPERTIES WILL_FAIL TRUE)

# Benchmarks: timed only in a Release build without the sanitizers
# (scripts/bench.sh configures build/bench).
if(NOT MIRLOW_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Release")
    find_package(benchmark QUIET)
    if(benchmark_FOUND)
        add_executable(mirlow_bench tests/bench/files_bench.cpp)
        target_link_libraries(mirlow_bench PRIVATE mirlow_core benchmark::benchmark)
        add_executable(mirlow_bench_playback tests/bench/injection_bench.cpp
                                             tests/bench/hook_bench.cpp)
        target_link_libraries(mirlow_bench_playback PRIVATE mirlow_core benchmark::benchmark
                                                            benchmark::benchmark_main)
    endif()
endif()

# The user guide in a real browser; its screenshots land in help_page/.
add_test(NAME help_page
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/help/help_page_test.sh
                 ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm ${CMAKE_BINARY_DIR}/help_page)

add_test(NAME headless_registry_file
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/headless_registry_test.sh $<TARGET_FILE:mirlow>)

# Every fuzz seed and every input that once broke a loader, replayed through
# the fuzz targets' checks in the ordinary build.
foreach(format ${LOADER_FUZZ_TARGETS})
    add_executable(mirlow_fuzz_replay_${format}
        tests/fuzz/${format}_loader_fuzz.cpp
        tests/fuzz/fuzz_loader.cpp
        tests/fuzz/replay_main.cpp
    )
    target_link_libraries(mirlow_fuzz_replay_${format} PRIVATE mirlow_core)
    add_test(NAME fuzz_replay_${format} COMMAND mirlow_fuzz_replay_${format}
        ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/${format}
        ${CMAKE_SOURCE_DIR}/tests/fuzz/regressions/${format})
endforeach()

# The native build: the portable code on the simulated desktop.
#   default              the tests and the headless mirlow
#   MIRLOW_TESTS=OFF     the headless mirlow alone, with no test framework
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
    platform/record_queue.cpp
    platform/sim/sim_desktop_file.cpp
    platform/sim/sim_dialogs.cpp
    platform/sim/sim_documents.cpp
    platform/sim/sim_files.cpp
    platform/sim/sim_journal.cpp
    platform/sim/sim_keys.cpp
    platform/sim/sim_menus.cpp
    platform/sim/sim_messages.cpp
    platform/sim/sim_playback.cpp
    platform/sim/sim_record.cpp
    platform/sim/sim_registry.cpp
    platform/sim/sim_resource_script.cpp
    platform/sim/sim_system.cpp
    platform/sim/sim_text.cpp
    platform/sim/sim_toolbar_shell.cpp
    platform/sim/sim_windows.cpp
)
target_include_directories(mirlow_core PUBLIC ${CMAKE_SOURCE_DIR})
# The simulated dialogs, menus, strings and accelerators are made from the
# resource script itself, read at run time with the identifiers and the
# generated version it names.
set_source_files_properties(platform/sim/sim_resource_script.cpp PROPERTIES
    COMPILE_DEFINITIONS
    "MIRLOW_SOURCE_DIR=\"${CMAKE_SOURCE_DIR}\";MIRLOW_GENERATED_DIR=\"${MIRLOW_GENERATED_DIR}\"")

# The fuzz targets by name, with their sources: the two loaders and the
# headless program's registry file.
set(FUZZ_TARGETS text binary registry)
set(FUZZ_SOURCES_text tests/fuzz/text_loader_fuzz.cpp tests/fuzz/fuzz_loader.cpp)
set(FUZZ_SOURCES_binary tests/fuzz/binary_loader_fuzz.cpp tests/fuzz/fuzz_loader.cpp)
set(FUZZ_SOURCES_registry tests/fuzz/registry_file_fuzz.cpp)

if(MIRLOW_FUZZ)
    foreach(target ${FUZZ_TARGETS})
        add_executable(mirlow_fuzz_${target} ${FUZZ_SOURCES_${target}})
        target_link_libraries(mirlow_fuzz_${target} PRIVATE mirlow_core)
        target_link_options(mirlow_fuzz_${target} PRIVATE -fsanitize=fuzzer)
    endforeach()
    return()
endif()

add_executable(mirlow platform/sim/entry_sim.cpp)
target_link_libraries(mirlow PRIVATE mirlow_core)

if(NOT MIRLOW_TESTS)
    return()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(mirlow_tests
    tests/auto_type_test.cpp
    tests/dialog_templates_test.cpp
    tests/fidelity_test.cpp
    tests/hostile_input_test.cpp
    tests/log_guard_test.cpp
    tests/file_association_test.cpp
    tests/injection_test.cpp
    tests/log_test.cpp
    tests/main_window_test.cpp
    tests/files_test.cpp
    tests/help_test.cpp
    tests/model_test.cpp
    tests/options_dialog_test.cpp
    tests/panel_test.cpp
    tests/playback_test.cpp
    tests/recent_files_test.cpp
    tests/recorder_test.cpp
    tests/reaching_windows_test.cpp
    tests/registry_test.cpp
    tests/settings_test.cpp
    tests/sim_registry_test.cpp
    tests/startup_test.cpp
    tests/text_search_test.cpp
    tests/toolbar_test.cpp
    tests/window_wait_test.cpp
)
target_link_libraries(mirlow_tests PRIVATE mirlow_core GTest::gtest GTest::gtest_main)
# The tests that hold the documents to the code read them from the sources.
target_compile_definitions(mirlow_tests PRIVATE "MIRLOW_SOURCE_DIR=\"${CMAKE_SOURCE_DIR}\"")
gtest_discover_tests(mirlow_tests DISCOVERY_TIMEOUT 60)
include(${CMAKE_SOURCE_DIR}/tests/contract/contract.cmake)

# Without a path (none, or blanks only) the headless mirlow says how it is
# used and ends with code 64, as the README says; any other end fails.
add_test(NAME headless_usage COMMAND bash -c [=[
    for tail in none "   "; do
        if [ "$tail" = none ]; then "$0" 2>"$1"; else "$0" "$tail" 2>"$1"; fi
        code=$?
        [ "$code" = 64 ] || { echo "exit code $code, expected 64" >&2; exit 1; }
        head -n1 "$1" | grep -qx "usage: mirlow PATH" && grep -q "Windows build, mirlow.exe" "$1"             || { cat "$1" >&2; exit 1; }
    done]=] $<TARGET_FILE:mirlow> ${CMAKE_BINARY_DIR}/headless_usage.txt)

# Benchmarks: timed only in a Release build without the sanitizers
# (scripts/bench.sh configures build/bench).
if(NOT MIRLOW_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Release")
    find_package(benchmark QUIET)
    if(benchmark_FOUND)
        add_executable(mirlow_bench tests/bench/files_bench.cpp)
        target_link_libraries(mirlow_bench PRIVATE mirlow_core benchmark::benchmark)
        add_executable(mirlow_bench_playback tests/bench/injection_bench.cpp
                                             tests/bench/hook_bench.cpp
                                             tests/bench/record_bench.cpp)
        target_link_libraries(mirlow_bench_playback PRIVATE mirlow_core benchmark::benchmark
                                                            benchmark::benchmark_main)
    endif()
endif()

# The user guide in a real browser; its screenshots land in help_page/.
add_test(NAME help_page
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/help/help_page_test.sh
                 ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm ${CMAKE_BINARY_DIR}/help_page)

# Every example script of the user guide, played through the headless
# mirlow and compared with what the guide says it does.
add_executable(mirlow_guide_examples tests/guide_examples_test.cpp)
target_link_libraries(mirlow_guide_examples PRIVATE mirlow_core)
add_test(NAME guide_examples
         COMMAND mirlow_guide_examples ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm
                 $<TARGET_FILE:mirlow>)

add_test(NAME headless_registry_file
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/headless_registry_test.sh $<TARGET_FILE:mirlow>)
add_test(NAME headless_hostile_inputs
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/headless_hostile_test.sh $<TARGET_FILE:mirlow>)

# Every fuzz seed, the seeds at the loaders' limits (made by a script, as
# they are large) and every input that once broke a target, replayed
# through the fuzz targets' checks in the ordinary build.
foreach(target ${FUZZ_TARGETS})
    add_executable(mirlow_fuzz_replay_${target} ${FUZZ_SOURCES_${target}}
                                                tests/fuzz/replay_main.cpp)
    target_link_libraries(mirlow_fuzz_replay_${target} PRIVATE mirlow_core)
    add_test(NAME fuzz_replay_${target} COMMAND mirlow_fuzz_replay_${target}
        ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/${target}
        ${CMAKE_SOURCE_DIR}/tests/fuzz/regressions/${target})
endforeach()
add_test(NAME fuzz_replay_limits COMMAND bash -c
    "${CMAKE_SOURCE_DIR}/tests/fuzz/make_limit_seeds.sh limit-seeds && \
     $<TARGET_FILE:mirlow_fuzz_replay_text> limit-seeds/text && \
     $<TARGET_FILE:mirlow_fuzz_replay_binary> limit-seeds/binary")

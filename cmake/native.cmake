# The native build: the portable code on the simulated desktop.
if(MIRLOW_SANITIZE)
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
)
target_include_directories(mirlow_core PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(mirlow platform/sim/entry_sim.cpp)
target_link_libraries(mirlow PRIVATE mirlow_core)

find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(mirlow_tests
    tests/auto_type_test.cpp
    tests/file_association_test.cpp
    tests/injection_test.cpp
    tests/log_test.cpp
    tests/model_test.cpp
    tests/playback_test.cpp
    tests/registry_test.cpp
    tests/settings_test.cpp
    tests/sim_registry_test.cpp
    tests/startup_test.cpp
)
target_link_libraries(mirlow_tests PRIVATE mirlow_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(mirlow_tests DISCOVERY_TIMEOUT 60)

add_test(NAME headless_usage COMMAND mirlow)
set_tests_properties(headless_usage PROPERTIES WILL_FAIL TRUE)

# Benchmarks: timed only in a build without the sanitizers (configure a
# Release tree such as build/bench to run them).
if(NOT MIRLOW_SANITIZE)
    find_package(benchmark REQUIRED)
    add_executable(mirlow_bench tests/bench/injection_bench.cpp)
    target_link_libraries(mirlow_bench PRIVATE mirlow_core benchmark::benchmark
                                               benchmark::benchmark_main)
endif()
add_test(NAME headless_registry_file
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/headless_registry_test.sh $<TARGET_FILE:mirlow>)

# The native build: the portable code on the simulated desktop.
if(MIRLOW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(mirlow_core STATIC
    ${PORTABLE_SOURCES}
    platform/sim/sim_platform.cpp
)
target_include_directories(mirlow_core PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(mirlow platform/sim/entry_sim.cpp)
target_link_libraries(mirlow PRIVATE mirlow_core)

find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(mirlow_tests
    tests/files_test.cpp
    tests/model_test.cpp
    tests/startup_test.cpp
    tests/text_search_test.cpp
)
target_link_libraries(mirlow_tests PRIVATE mirlow_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(mirlow_tests DISCOVERY_TIMEOUT 60)

add_test(NAME headless_usage COMMAND mirlow)
set_tests_properties(headless_usage PROPERTIES WILL_FAIL TRUE)

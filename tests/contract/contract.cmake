# The platform contract suite: one set of cases, built twice.
#   native   against the simulated desktop, with the rest of the native
#            tests (and their sanitizers);
#   Windows  against the real platform code, as a console program that
#            ctest runs under Wine inside scripts/wine_session.sh.
# Included from cmake/native.cmake and cmake/windows.cmake.
set(CONTRACT_TEST_SOURCES ${CMAKE_SOURCE_DIR}/tests/contract/platform_contract_test.cpp)

if(WIN32)
    if(NOT TARGET gtest)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    # The program's own objects, without its entry point, as the released
    # program has them.
    add_executable(mirlow_contract_tests
        ${CONTRACT_TEST_SOURCES}
        tests/contract/contract_desktop_win32.cpp
    )
    target_link_options(mirlow_contract_tests PRIVATE -static)
    target_link_libraries(mirlow_contract_tests PRIVATE
        mirlow_objects gtest gtest_main comctl32 comdlg32 shlwapi winmm)
    # Found in the source, so the build never runs Wine.
    include(GoogleTest)
    gtest_add_tests(TARGET mirlow_contract_tests SOURCES ${CONTRACT_TEST_SOURCES}
                    TEST_PREFIX "wine_contract." TEST_LIST CONTRACT_TESTS)
    set_tests_properties(${CONTRACT_TESTS} PROPERTIES TIMEOUT 60)
else()
    add_executable(mirlow_contract_tests
        ${CONTRACT_TEST_SOURCES}
        tests/contract/contract_desktop_sim.cpp
    )
    target_link_libraries(mirlow_contract_tests PRIVATE
        mirlow_core GTest::gtest GTest::gtest_main)
    gtest_discover_tests(mirlow_contract_tests DISCOVERY_TIMEOUT 60)
endif()

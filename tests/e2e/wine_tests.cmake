# The tests that run the real mirlow.exe under Wine. They expect to run
# inside scripts/wine_session.sh, which provides the prefix and the display.
file(GLOB E2E_TESTS RELATIVE ${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.sh)
foreach(script ${E2E_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME wine_${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/${script})
    set_tests_properties(wine_${name} PROPERTIES
        TIMEOUT 120
        ENVIRONMENT "MIRLOW_VERSION=${PROJECT_VERSION};MIRLOW_EXE=$<TARGET_FILE:mirlow>;MIRLOW_PROBE=$<TARGET_FILE:mirlow_probe>;E2E_WORK=${CMAKE_BINARY_DIR}/e2e/${name}")
endforeach()

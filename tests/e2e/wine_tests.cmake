# The tests that run the real mirlow.exe under Wine: the program with the
# test probe (the released one is checked by the release zip's test). They
# expect to run inside scripts/wine_session.sh, which provides the prefix
# and the display.
file(GLOB E2E_TESTS RELATIVE ${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.sh)
foreach(script ${E2E_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME wine_${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/${script})
    set_tests_properties(wine_${name} PROPERTIES
        TIMEOUT 120
        ENVIRONMENT "MIRLOW_VERSION=${PROJECT_VERSION};MIRLOW_EXE=$<TARGET_FILE:mirlow_for_tests>;MIRLOW_RELEASE_EXE=$<TARGET_FILE:mirlow>;MIRLOW_PROBE=$<TARGET_FILE:mirlow_probe>;MIRLOW_KEY_TIMER=$<TARGET_FILE:key_timer>;E2E_WORK=${CMAKE_BINARY_DIR}/e2e/${name}")
endforeach()

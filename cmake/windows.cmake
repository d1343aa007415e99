# The Windows build: mirlow.exe, statically linked, with its resources.
enable_language(RC)

set(RESOURCE_FILES
    ${CMAKE_SOURCE_DIR}/resources/resource.h
    ${CMAKE_SOURCE_DIR}/resources/mirlow.manifest
    ${CMAKE_SOURCE_DIR}/resources/mirlow.ico
    ${CMAKE_SOURCE_DIR}/resources/hand.cur
    ${CMAKE_SOURCE_DIR}/resources/toolbar.bmp
)
# Ninja does not see what an .rc file includes.
set_source_files_properties(resources/mirlow.rc PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")

add_executable(mirlow WIN32
    ${PORTABLE_SOURCES}
    platform/journal_driver.cpp
    platform/win32/cancel_watcher_win32.cpp
    platform/win32/documents_win32.cpp
    platform/win32/dialogs_win32.cpp
    platform/win32/entry_win32.cpp
    platform/win32/files_win32.cpp
    platform/win32/foreground_win32.cpp
    platform/win32/input_win32.cpp
    platform/win32/journal_win32.cpp
    platform/win32/probe_win32.cpp
    platform/win32/record_win32.cpp
    platform/win32/shell_win32.cpp
    platform/win32/system_win32.cpp
    platform/win32/text_win32.cpp
    platform/win32/toolbar_win32.cpp
    platform/win32/win32_platform.cpp
    resources/mirlow.rc
)
target_include_directories(mirlow PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(mirlow PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_options(mirlow PRIVATE -static)
target_link_libraries(mirlow PRIVATE comctl32 comdlg32 shlwapi winmm)
set_target_properties(mirlow PROPERTIES OUTPUT_NAME mirlow)

# The user guide sits beside the program, where Help looks for it.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/mirlowHelp.htm
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm
            ${CMAKE_BINARY_DIR}/mirlowHelp.htm
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm)
add_custom_target(mirlow_help ALL DEPENDS ${CMAKE_BINARY_DIR}/mirlowHelp.htm)

add_executable(mirlow_probe tests/e2e/mirlow_probe.cpp)
target_compile_definitions(mirlow_probe PRIVATE WIN32_LEAN_AND_MEAN)
target_link_options(mirlow_probe PRIVATE -static)

# The timing benchmark's receiving window (scripts/timing_bench.sh).
add_executable(key_timer tests/e2e/key_timer.cpp)
target_link_options(key_timer PRIVATE -static)
target_link_libraries(key_timer PRIVATE winmm)

include(${CMAKE_SOURCE_DIR}/tests/e2e/wine_tests.cmake OPTIONAL)

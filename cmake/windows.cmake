# The Windows build: mirlow.exe, statically linked, with its resources:
# build/win/mirlow.exe, the program that is released, and (with
# MIRLOW_TESTS) build/win/for-tests/mirlow.exe, the program the Wine tests
# and the benchmarks run: the same objects linked with the test probe
# (platform/win32/probe_win32.cpp), which watches the program from outside
# its code. The released program has no test hooks at all.
enable_language(RC)

# The manifest carries the version too.
configure_file(resources/mirlow.manifest.in ${MIRLOW_GENERATED_DIR}/resources/mirlow.manifest @ONLY)

set(RESOURCE_FILES
    ${CMAKE_SOURCE_DIR}/resources/resource.h
    ${MIRLOW_GENERATED_DIR}/resources/version.h
    ${MIRLOW_GENERATED_DIR}/resources/mirlow.manifest
    ${CMAKE_SOURCE_DIR}/resources/mirlow.ico
    ${CMAKE_SOURCE_DIR}/resources/hand.cur
    ${CMAKE_SOURCE_DIR}/resources/toolbar.bmp
)
# Ninja does not see what an .rc file includes.
set_source_files_properties(resources/mirlow.rc PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")

add_library(mirlow_objects OBJECT
    ${PORTABLE_SOURCES}
    platform/journal_driver.cpp
    platform/record_queue.cpp
    platform/win32/cancel_notice_win32.cpp
    platform/win32/cancel_watcher_win32.cpp
    platform/win32/documents_win32.cpp
    platform/win32/dialogs_win32.cpp
    platform/win32/files_win32.cpp
    platform/win32/foreground_win32.cpp
    platform/win32/hotkeys_win32.cpp
    platform/win32/input_win32.cpp
    platform/win32/journal_win32.cpp
    platform/win32/record_hooks_win32.cpp
    platform/win32/record_win32.cpp
    platform/win32/shell_win32.cpp
    platform/win32/start_win32.cpp
    platform/win32/system_win32.cpp
    platform/win32/target_thread_win32.cpp
    platform/win32/text_win32.cpp
    platform/win32/timed_box_win32.cpp
    platform/win32/toolbar_win32.cpp
    platform/win32/window_layout_win32.cpp
    platform/win32/window_notes_win32.cpp
    platform/win32/win32_platform.cpp
    resources/mirlow.rc
)
target_include_directories(mirlow_objects PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(mirlow_objects PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# The input method of the window taking typed keys.
target_link_libraries(mirlow_objects PUBLIC imm32)

# The program's entry point, kept apart so the contract suite can link the
# rest of the objects with a test runner's own main.
add_library(mirlow_entry OBJECT platform/win32/entry_win32.cpp)
target_link_libraries(mirlow_entry PRIVATE mirlow_objects)

# mirlow_program(TARGET FOLDER [SOURCES...]): the program, with any more
# sources, as FOLDER/mirlow.exe, with the user guide beside it, where Help
# looks.
function(mirlow_program target folder)
    add_executable(${target} WIN32 ${ARGN})
    target_link_libraries(${target} PRIVATE mirlow_entry mirlow_objects comctl32 comdlg32 shlwapi winmm)
    target_link_options(${target} PRIVATE -static)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME mirlow RUNTIME_OUTPUT_DIRECTORY ${folder})
    add_custom_command(OUTPUT ${folder}/mirlowHelp.htm
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm
                ${folder}/mirlowHelp.htm
        DEPENDS ${CMAKE_SOURCE_DIR}/resources/mirlowHelp.htm)
    add_custom_target(${target}_help ALL DEPENDS ${folder}/mirlowHelp.htm)
endfunction()
mirlow_program(mirlow ${CMAKE_BINARY_DIR})

if(NOT MIRLOW_TESTS)
    return()
endif()

# The program the tests run: the probe's start-up routine hooks the
# user-interface thread, and these system calls go through the probe (the
# import slots the program calls them by, routed on this one link).
mirlow_program(mirlow_for_tests ${CMAKE_BINARY_DIR}/for-tests platform/win32/probe_win32.cpp)
set(PROBE_ROUTED_CALLS CreateWindowExA CreateDialogParamA DialogBoxParamA SendInput
                       SetWindowsHookExA GetProcAddress GetKeyState AttachThreadInput)
foreach(call ${PROBE_ROUTED_CALLS})
    target_link_options(mirlow_for_tests PRIVATE -Wl,--wrap=__imp_${call})
endforeach()
# And one function of the program's own, called from another of its files:
# the start of the recording's queue (StartRecordQueue), by its linker name.
target_link_options(mirlow_for_tests PRIVATE
    -Wl,--wrap=_Z16StartRecordQueueP11RecordQueueP16RecordQueueEntryj)

add_executable(mirlow_probe tests/e2e/mirlow_probe.cpp)
target_compile_definitions(mirlow_probe PRIVATE WIN32_LEAN_AND_MEAN)
target_link_options(mirlow_probe PRIVATE -static)

# The timing benchmark's receiving window (scripts/timing_bench.sh).
add_executable(key_timer tests/e2e/key_timer.cpp)
target_link_options(key_timer PRIVATE -static)
target_link_libraries(key_timer PRIVATE winmm)

include(${CMAKE_SOURCE_DIR}/tests/e2e/wine_tests.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/tests/contract/contract.cmake)

/*
 * entry_win32.cpp: the Windows entry point. It only hands the instance and
 * the command-line tail to the portable start-up.
 */
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "platform/win32/win32_internal.h"

static const char* SkipBlanks(const char* text) {
    while (*text == ' ' || *text == '\t')
        text++;
    return text;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showState) {
    (void)previous;
    Win32SetInstance(instance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    Win32OptOutOfTimerThrottling();
    return RunMirlow(SkipBlanks(commandTail != nullptr ? commandTail : ""), showState);
}

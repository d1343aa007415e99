/*
 * entry_win32.cpp: the Windows entry point. It only hands the instance and
 * the command-line tail to the portable start-up.
 */
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "platform/win32/win32_internal.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showState) {
    (void)previous;
    Win32SetInstance(instance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    Win32OptOutOfTimerThrottling();
    return RunMirlow(commandTail != nullptr ? commandTail : "", showState);
}

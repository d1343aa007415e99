/*
 * entry_win32.cpp: the Windows entry point. It only hands the instance and
 * the command-line tail to the portable start-up, the tail never with
 * look-alike characters in it.
 */
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "platform/win32/win32_internal.h"

/* The tail as the system holds it: the command line after the program's
 * name (quoted or not) and the blanks after it. */
static const wchar_t* WideCommandTail(void) {
    const wchar_t* at = GetCommandLineW();
    if (*at == L'"') {
        for (at++; *at != L'\0' && *at != L'"'; at++) {
        }
        if (*at == L'"')
            at++;
    } else {
        while (*at != L'\0' && *at != L' ' && *at != L'\t')
            at++;
    }
    while (*at == L' ' || *at == L'\t')
        at++;
    return at;
}

/* A recording named with characters the code page lacks (opened from
 * Explorer, say) reaches the program's tail with look-alikes put in, which
 * would name another file. Such a tail goes on with "?" in their place,
 * which names no file at all, so the load refuses it and shows it. */
static const char* HeldCommandTail(const char* ansiTail) {
    static char tail[3 * 32768];
    if (Win32WideToAnsi(WideCommandTail(), tail, sizeof tail) == Win32AnsiNotInCodePage)
        return tail;
    return ansiTail;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showState) {
    (void)previous;
    Win32SetInstance(instance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    Win32OptOutOfTimerThrottling();
    return RunMirlow(HeldCommandTail(commandTail != nullptr ? commandTail : ""), showState);
}

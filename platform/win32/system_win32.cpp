/*
 * system_win32.cpp: what the program asks the system about where and how
 * it runs: why a program could not be started, whether anybody can see its
 * desktop, the display scale, the timer, and the tick count.
 */
#include <windows.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

/* ---- Starting programs ---- */

/* CreateProcess's answer for a program whose manifest asks for
 * administrator rights (not in every set of headers). */
static const DWORD ElevationRequired = 740;

StartFailure PlatformLastStartFailure(char* text, int size) {
    DWORD error = GetLastError();
    if (size <= 0)
        return StartFailedOther;
    char reason[200] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reason, sizeof reason, nullptr);
    while (length > 0 &&
           (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == ' '))
        reason[--length] = '\0';
    if (length == 0)
        snprintf(text, (size_t)size, "error %lu", (unsigned long)error);
    else
        snprintf(text, (size_t)size, "%s (error %lu)", reason, (unsigned long)error);
    return error == ElevationRequired ? StartFailedNeedsElevation : StartFailedOther;
}

/* ---- Where the program runs ---- */

/* A window station nobody can see (a service, a scheduled task that runs
 * whether the user is signed in or not) is not marked visible. */
bool PlatformDesktopVisible(void) {
    USEROBJECTFLAGS flags;
    if (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

int PlatformDisplayDpi(void) {
    typedef UINT(WINAPI * GetDpiForSystemProc)(void);
    HMODULE user = GetModuleHandleA("user32.dll");
    GetDpiForSystemProc getDpi = reinterpret_cast<GetDpiForSystemProc>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForSystem")));
    if (getDpi != nullptr)
        return (int)getDpi();
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

/* The resolution the system timer runs at now, in 100 ns units. */
int PlatformTimerResolution(void) {
    typedef LONG(WINAPI * QueryTimerResolutionProc)(ULONG*, ULONG*, ULONG*);
    QueryTimerResolutionProc query =
        reinterpret_cast<QueryTimerResolutionProc>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryTimerResolution")));
    ULONG coarsest = 0, finest = 0, current = 0;
    if (query == nullptr || query(&coarsest, &finest, &current) != 0 || current == 0)
        return -1;
    return (int)(current / 10);
}

/* Windows 11 may ignore a program's timer request while it shows no
 * window (every command-line run) and may slow its timers down to save
 * power; the program asks to be left out of both. Windows 10 knows only
 * the second request and refuses the pair: it is then asked for that one
 * alone. */
bool Win32OptOutOfTimerThrottling(void) {
    struct PowerThrottlingState {
        ULONG version;
        ULONG controlMask;
        ULONG stateMask;
    };
    const ULONG executionSpeed = 0x1, ignoreTimerResolution = 0x4;
    const int processPowerThrottling = 4; /* PROCESS_INFORMATION_CLASS */
    typedef BOOL(WINAPI * SetProcessInformationProc)(HANDLE, int, void*, DWORD);
    SetProcessInformationProc setInformation =
        reinterpret_cast<SetProcessInformationProc>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessInformation")));
    if (setInformation == nullptr)
        return false;
    PowerThrottlingState state = {1, executionSpeed | ignoreTimerResolution, 0};
    if (setInformation(GetCurrentProcess(), processPowerThrottling, &state, sizeof state))
        return true;
    state.controlMask = executionSpeed;
    return setInformation(GetCurrentProcess(), processPowerThrottling, &state, sizeof state) != 0;
}

/* ---- Time ---- */

static LARGE_INTEGER frequency, baseCount;
static DWORD baseTick;

/* Microseconds on the high-resolution counter since the program first
 * asked; whole seconds and the rest are scaled apart, so the product never
 * overflows however long the program runs. */
int64_t Win32ClockMicroseconds(void) {
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&baseCount);
        baseTick = GetTickCount();
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    int64_t counts = now.QuadPart - baseCount.QuadPart;
    return counts / frequency.QuadPart * 1000000 +
           counts % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

/* Milliseconds since the system started, as GetTickCount counts them, but
 * in 1 ms steps from the high-resolution counter whatever the system timer
 * runs at: GetTickCount and the multimedia timer both follow the timer,
 * which may be at 15.6 ms, and the playback timing measures its waits.
 * Its milliseconds are those of Win32ClockMicroseconds, which the waits of
 * the playback aim at. */
uint32_t PlatformTickCount(void) {
    int64_t microseconds = Win32ClockMicroseconds();
    return baseTick + (uint32_t)(microseconds / 1000);
}

/*
 * window_notes_win32.cpp: what a recording notes of the window input went
 * to, and what playback reads of the windows on the desktop to find it
 * again: top-level windows, their titles, classes and program file names.
 *
 * Nothing here sends a message to another program's window: the title is
 * read as the system keeps it, so a window whose program has stopped
 * answering cannot hold up a recording or a playback.
 */
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

/* Handles travel as 32-bit values that the system sign-extends. */
static HWND ToWindow(WindowHandle window) {
    return reinterpret_cast<HWND>((intptr_t)(int32_t)(uint32_t)(uintptr_t)window);
}

static WindowHandle FromWindow(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

/* Pop-ups that show for the window with the keyboard focus and never take
 * it themselves: menus, drop-down lists, tooltips. */
static bool NeverTakesFocus(HWND window) {
    if ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0)
        return true;
    char name[32];
    if (GetClassNameA(window, name, sizeof name) <= 0)
        return false;
    return lstrcmpiA(name, "#32768") == 0 || lstrcmpiA(name, "ComboLBox") == 0 ||
           lstrcmpiA(name, "tooltips_class32") == 0;
}

WindowHandle PlatformTopLevelWindowOf(WindowHandle handle) {
    HWND window = ToWindow(handle);
    if (window == nullptr || !IsWindow(window))
        return nullptr;
    HWND root = GetAncestor(window, GA_ROOT);
    if (root != nullptr && NeverTakesFocus(root))
        root = GetForegroundWindow();
    if (root == nullptr || root == GetDesktopWindow())
        return nullptr;
    return FromWindow(root);
}

/* The program's file name without its folder. Reading it opens the
 * process, so the last one read is kept for the process it belongs to. */
static int ProgramFileName(HWND window, char* buffer, int size) {
    static DWORD lastProcess;
    static char lastName[MAX_PATH];
    DWORD process = 0;
    if (GetWindowThreadProcessId(window, &process) == 0)
        return -1;
    if (process != lastProcess || lastName[0] == '\0') {
        HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
        char path[MAX_PATH];
        DWORD length = sizeof path;
        bool read = opened != nullptr && QueryFullProcessImageNameA(opened, 0, path, &length);
        if (opened != nullptr)
            CloseHandle(opened);
        if (!read)
            return -1;
        const char* name = strrchr(path, '\\');
        lstrcpynA(lastName, name != nullptr ? name + 1 : path, sizeof lastName);
        lastProcess = process;
    }
    lstrcpynA(buffer, lastName, size);
    return lstrlenA(buffer);
}

/* InternalGetWindowText reads the title the system keeps for the window
 * without sending it a message, and also for a window without a caption. */
static int WindowTitle(HWND window, char* buffer, int size) {
    WCHAR wide[512];
    char ansi[1100];
    int length = InternalGetWindowText(window, wide, 512);
    int bytes = length > 0 ? WideCharToMultiByte(CP_ACP, 0, wide, length, ansi,
                                                 (int)sizeof ansi - 1, nullptr, nullptr)
                           : 0;
    ansi[bytes] = '\0';
    lstrcpynA(buffer, ansi, size);
    return lstrlenA(buffer);
}

int PlatformGetWindowText(WindowHandle handle, WindowTextKind kind, char* buffer, int size) {
    HWND window = ToWindow(handle);
    if (size < 1 || window == nullptr || !IsWindow(window))
        return -1;
    buffer[0] = '\0';
    switch (kind) {
    case WindowTitleText:
        return WindowTitle(window, buffer, size);
    case WindowClassText:
        return GetClassNameA(window, buffer, size) > 0 ? lstrlenA(buffer) : -1;
    case WindowProgramText:
        return ProgramFileName(window, buffer, size);
    }
    return -1;
}

bool PlatformIsWindowShown(WindowHandle handle) {
    HWND window = ToWindow(handle);
    return window != nullptr && IsWindow(window) && IsWindowVisible(window);
}

BOOL CALLBACK Win32CollectVisible(HWND window, LPARAM lParam) {
    Win32VisibleList* list = reinterpret_cast<Win32VisibleList*>(lParam);
    if (IsWindowVisible(window))
        list->windows[list->count++] = FromWindow(window);
    return list->count < list->capacity;
}

/* EnumWindows goes from the top of the stack down. */
int PlatformListShownWindows(WindowHandle* windows, int capacity) {
    Win32VisibleList list = {windows, capacity, 0};
    if (capacity > 0)
        EnumWindows(Win32CollectVisible, reinterpret_cast<LPARAM>(&list));
    return list.count;
}

void PlatformUpperCase(char* text) {
    CharUpperBuffA(text, (DWORD)lstrlenA(text));
}

ProcessReadiness PlatformProcessReadiness(ProcessHandle process) {
    DWORD result = WaitForInputIdle(reinterpret_cast<HANDLE>(process), 0);
    if (result == 0)
        return ProcessReady;
    if (result == WAIT_TIMEOUT)
        return ProcessStarting;
    return ProcessTakesNoInput;
}

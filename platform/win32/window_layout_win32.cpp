/*
 * window_layout_win32.cpp: what a recording notes of a window besides its
 * title, and what playback reads to land on the same spot again: the
 * scale the window is shown at, its monitor, whether the system cloaks
 * it, its child windows (controls) with their IDs, and whether a started
 * program shows a window of its own.
 *
 * The program is aware of each monitor's scale, so every rectangle it
 * reads is in the screen's own pixels, whatever the other program was
 * made for. Nothing here sends a message to another program's window.
 */
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

/* Handles travel as 32-bit values that the system sign-extends. */
static HWND ToWindow(WindowHandle window) {
    return reinterpret_cast<HWND>((intptr_t)(int32_t)(uint32_t)(uintptr_t)window);
}

/* ---- The scale ---- */

/* Calls that only newer systems have: per-window awareness and DPI
 * (Windows 10 1607) and the monitor's DPI (Windows 8.1). */
typedef HANDLE(WINAPI* AwarenessOfWindowCall)(HWND);
typedef int(WINAPI* AwarenessOfContextCall)(HANDLE);
typedef UINT(WINAPI* DpiOfWindowCall)(HWND);
typedef HRESULT(WINAPI* DpiOfMonitorCall)(HMONITOR, int, UINT*, UINT*);

static const int AwarenessPerMonitor = 2; /* DPI_AWARENESS_PER_MONITOR_AWARE */
static const int EffectiveDpi = 0;        /* MDT_EFFECTIVE_DPI */

struct ScaleCalls {
    AwarenessOfWindowCall awarenessOfWindow;
    AwarenessOfContextCall awarenessOfContext;
    DpiOfWindowCall dpiOfWindow;
    DpiOfMonitorCall dpiOfMonitor;
};

static void* CallIn(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

/* shcore.dll is loaded from the system folder only. */
static HMODULE SystemLibrary(const char* name) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + lstrlenA(name) + 2 > MAX_PATH)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}

static ScaleCalls LoadScaleCalls(void) {
    ScaleCalls calls;
    HMODULE user = GetModuleHandleA("user32.dll");
    calls.awarenessOfWindow =
        reinterpret_cast<AwarenessOfWindowCall>(CallIn(user, "GetWindowDpiAwarenessContext"));
    calls.awarenessOfContext = reinterpret_cast<AwarenessOfContextCall>(
        CallIn(user, "GetAwarenessFromDpiAwarenessContext"));
    calls.dpiOfWindow = reinterpret_cast<DpiOfWindowCall>(CallIn(user, "GetDpiForWindow"));
    calls.dpiOfMonitor =
        reinterpret_cast<DpiOfMonitorCall>(CallIn(SystemLibrary("shcore.dll"), "GetDpiForMonitor"));
    return calls;
}

/* Looked up once, by whichever thread asks first: the recorder's input
 * thread reads the scale of every press, the playback that of each
 * noted window. */
static const ScaleCalls& Scale(void) {
    static const ScaleCalls calls = LoadScaleCalls();
    return calls;
}

static int SystemDpi(void) {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

static bool ScalesItselfPerMonitor(const ScaleCalls& calls, HWND window) {
    if (calls.awarenessOfWindow == nullptr || calls.awarenessOfContext == nullptr)
        return false;
    HANDLE context = calls.awarenessOfWindow(window);
    return context != nullptr && calls.awarenessOfContext(context) == AwarenessPerMonitor;
}

/* A window made for one scale, or for the system's, is drawn by the
 * system at its monitor's scale; GetDpiForWindow would say 96 or the
 * system's DPI for it, which is not what its pixels show. */
int PlatformShownDpi(WindowHandle handle) {
    HWND window = ToWindow(handle);
    if (window == nullptr || !IsWindow(window))
        return 0;
    const ScaleCalls& calls = Scale();
    if (calls.dpiOfWindow != nullptr && ScalesItselfPerMonitor(calls, window)) {
        UINT dpi = calls.dpiOfWindow(window);
        if (dpi != 0)
            return (int)dpi;
    }
    UINT x = 0, y = 0;
    if (calls.dpiOfMonitor != nullptr &&
        calls.dpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), EffectiveDpi, &x,
                           &y) == S_OK &&
        x != 0)
        return (int)x;
    return SystemDpi();
}

bool PlatformGetWindowMonitor(WindowHandle handle, ScreenRect* monitor) {
    HWND window = ToWindow(handle);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (window == nullptr || !IsWindow(window) ||
        !GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return false;
    *monitor = ScreenRect{(int)info.rcMonitor.left, (int)info.rcMonitor.top,
                          (int)info.rcMonitor.right, (int)info.rcMonitor.bottom};
    return true;
}

typedef HRESULT(WINAPI* WindowAttributeCall)(HWND, DWORD, void*, DWORD);
static const DWORD CloakedAttribute = 14; /* DWMWA_CLOAKED, Windows 8 and later */

/* Systems before Windows 8 (and Wine) answer with an error: nothing is
 * cloaked there. */
bool PlatformIsWindowCloaked(WindowHandle handle) {
    static WindowAttributeCall attribute = reinterpret_cast<WindowAttributeCall>(
        CallIn(SystemLibrary("dwmapi.dll"), "DwmGetWindowAttribute"));
    DWORD cloaked = 0;
    return attribute != nullptr &&
           SUCCEEDED(attribute(ToWindow(handle), CloakedAttribute, &cloaked, sizeof cloaked)) &&
           cloaked != 0;
}

/* ---- Controls ---- */

/* EnumChildWindows lists each child followed by its own children. */
int PlatformListControls(WindowHandle window, WindowHandle* controls, int capacity) {
    Win32VisibleList list = {controls, capacity, 0};
    if (capacity > 0 && window != nullptr)
        EnumChildWindows(ToWindow(window), Win32CollectVisible, reinterpret_cast<LPARAM>(&list));
    return list.count;
}

int PlatformControlId(WindowHandle control) {
    HWND window = ToWindow(control);
    if (window == nullptr || (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0)
        return 0;
    return GetDlgCtrlID(window);
}

bool PlatformIsWindowEnabled(WindowHandle window) {
    return IsWindowEnabled(ToWindow(window)) != FALSE;
}

/* ---- Started programs ---- */

struct ProcessWindowSearch {
    DWORD process;
    bool found;
};

static BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam) {
    ProcessWindowSearch* search = reinterpret_cast<ProcessWindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window) ||
        PlatformIsWindowCloaked(reinterpret_cast<WindowHandle>(window)))
        return TRUE;
    search->found = true;
    return FALSE;
}

bool PlatformProcessShowsWindow(ProcessHandle process) {
    ProcessWindowSearch search = {GetProcessId(reinterpret_cast<HANDLE>(process)), false};
    if (search.process != 0)
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

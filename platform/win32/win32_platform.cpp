/*
 * win32_platform.cpp: the seam on the real Windows API.
 *
 * Window procedures of the program are plain functions of the portable
 * side. One WNDPROC here serves every window class the program registers:
 * it finds the class's portable procedure in the class's extra bytes and
 * calls it, so no user-interface rule lives in this file.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "platform/journal_driver.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HINSTANCE programInstance;

void Win32SetInstance(HINSTANCE instance) {
    programInstance = instance;
}

HINSTANCE Win32Instance(void) {
    return programInstance;
}

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

static WindowHandle FromHwnd(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

/* ---- Memory, files and time ---- */

void* PlatformAllocate(size_t bytes) {
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void PlatformRelease(void* block) {
    HeapFree(GetProcessHeap(), 0, block);
}

/* The attributes call reads the directory entry as a directory search
 * would, but takes the path literally: a "*" or "?" in it matches no
 * other file. */
int64_t PlatformFileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA entry;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &entry))
        return 0;
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return 0;
    return (int64_t)(((uint64_t)entry.nFileSizeHigh << 32) | entry.nFileSizeLow);
}

uint32_t PlatformRandomSeed(void) {
    return GetTickCount();
}

void PlatformLocalTime(LocalTime* time) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    time->year = now.wYear;
    time->month = now.wMonth;
    time->dayOfWeek = now.wDayOfWeek;
    time->day = now.wDay;
    time->hour = now.wHour;
    time->minute = now.wMinute;
    time->second = now.wSecond;
    time->milliseconds = now.wMilliseconds;
}

/* ---- Message boxes ---- */

int PlatformMessageBox(const char* text, const char* caption, uint32_t style) {
    return MessageBoxA(nullptr, text, caption, style);
}

int PlatformMessageBoxWithIcon(const char* text, const char* caption, uint32_t style, int iconId) {
    MSGBOXPARAMSA params;
    memset(&params, 0, sizeof params);
    params.cbSize = sizeof params;
    params.hInstance = programInstance;
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style | MB_USERICON;
    params.lpszIcon = MAKEINTRESOURCEA(iconId);
    return MessageBoxIndirectA(&params);
}

/* ---- Windows ---- */

/* The portable procedure of each registered class, found by the class's
 * atom, so a window reaches its procedure from its very first message. */
struct RegisteredClass {
    ATOM atom;
    WindowProcedure procedure;
};
static RegisteredClass registeredClasses[8];
static int registeredClassCount;

static WindowProcedure ProcedureOf(HWND hwnd) {
    ATOM atom = (ATOM)GetClassWord(hwnd, GCW_ATOM);
    for (int i = 0; i < registeredClassCount; i++) {
        if (registeredClasses[i].atom == atom)
            return registeredClasses[i].procedure;
    }
    return nullptr;
}

static LRESULT CALLBACK ClassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowProcedure procedure = ProcedureOf(hwnd);
    if (procedure == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return procedure(FromHwnd(hwnd), message, wParam, lParam);
}

bool PlatformRegisterWindowClass(const WindowClassSpec* spec) {
    const int capacity = (int)(sizeof registeredClasses / sizeof registeredClasses[0]);
    if (registeredClassCount == capacity)
        return false;
    WNDCLASSEXA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = spec->redrawOnSize ? (CS_HREDRAW | CS_VREDRAW) : 0;
    windowClass.lpfnWndProc = ClassWindowProc;
    windowClass.hInstance = programInstance;
    windowClass.hIcon = LoadIconA(programInstance, MAKEINTRESOURCEA(spec->iconId));
    windowClass.hIconSm = (HICON)LoadImageA(programInstance, MAKEINTRESOURCEA(spec->iconId),
                                            IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                            GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = spec->menuId != 0 ? MAKEINTRESOURCEA(spec->menuId) : nullptr;
    windowClass.lpszClassName = spec->className;
    ATOM atom = RegisterClassExA(&windowClass);
    if (atom == 0)
        return false;
    registeredClasses[registeredClassCount].atom = atom;
    registeredClasses[registeredClassCount].procedure = spec->procedure;
    registeredClassCount++;
    return true;
}

WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style, int x,
                                  int y, int width, int height) {
    return FromHwnd(CreateWindowExA(0, className, title, style, x, y, width, height, nullptr,
                                    nullptr, programInstance, nullptr));
}

bool PlatformDestroyWindow(WindowHandle window) {
    return DestroyWindow(ToHwnd(window)) != 0;
}

intptr_t PlatformDefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
    return DefWindowProcA(ToHwnd(window), message, wParam, lParam);
}

bool PlatformSetWindowTitle(WindowHandle window, const char* title) {
    return SetWindowTextA(ToHwnd(window), title) != 0;
}

int PlatformGetWindowTitle(WindowHandle window, char* buffer, int size) {
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    return GetWindowTextA(ToHwnd(window), buffer, size);
}

void PlatformShowWindow(WindowHandle window, int showState) {
    ShowWindow(ToHwnd(window), showState);
}

void PlatformSetShutdownReason(WindowHandle window, const char* reason) {
    HWND hwnd = ToHwnd(window);
    if (reason == nullptr) {
        ShutdownBlockReasonDestroy(hwnd);
        return;
    }
    WCHAR wide[512];
    if (MultiByteToWideChar(CP_ACP, 0, reason, -1, wide, 512) > 0)
        ShutdownBlockReasonCreate(hwnd, wide);
}

void PlatformUpdateWindow(WindowHandle window) {
    UpdateWindow(ToHwnd(window));
}

void PlatformMakeTopmost(WindowHandle window) {
    SetWindowPos(ToHwnd(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

/* A minimised window stands far off the screen (-32000); its placement
 * keeps where it goes back to, in coordinates of the monitor's work area,
 * which start where the taskbar ends. */
static bool RestoredWindowPosition(HWND window, int* left, int* top) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return false;
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST),
                         &monitor))
        return false;
    *left = placement.rcNormalPosition.left + monitor.rcWork.left - monitor.rcMonitor.left;
    *top = placement.rcNormalPosition.top + monitor.rcWork.top - monitor.rcMonitor.top;
    return true;
}

bool PlatformGetWindowPosition(WindowHandle window, int* left, int* top) {
    if (IsIconic(ToHwnd(window)))
        return RestoredWindowPosition(ToHwnd(window), left, top);
    RECT rect;
    if (!GetWindowRect(ToHwnd(window), &rect))
        return false;
    *left = rect.left;
    *top = rect.top;
    return true;
}

void PlatformSetWindowSize(WindowHandle window, int width, int height) {
    SetWindowPos(ToHwnd(window), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int PlatformSystemMetric(SystemMetric metric) {
    switch (metric) {
    case MetricMinWindowWidth:
        return GetSystemMetrics(SM_CXMIN);
    case MetricMinWindowHeight:
        return GetSystemMetrics(SM_CYMIN);
    case MetricFullScreenWidth:
        return GetSystemMetrics(SM_CXFULLSCREEN);
    case MetricFullScreenHeight:
        return GetSystemMetrics(SM_CYFULLSCREEN);
    case MetricMenuHeight:
        return GetSystemMetrics(SM_CYMENU);
    case MetricFrameHeight:
        return GetSystemMetrics(SM_CYFRAME);
    case MetricCaptionHeight:
        return GetSystemMetrics(SM_CYCAPTION);
    }
    return 0;
}

/* ---- Menus ---- */

void PlatformSetMenuItemEnabled(WindowHandle window, int commandId, bool enabled) {
    EnableMenuItem(GetMenu(ToHwnd(window)), (UINT)commandId,
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void PlatformSetMenuItemChecked(WindowHandle window, int commandId, bool checked) {
    CheckMenuItem(GetMenu(ToHwnd(window)), (UINT)commandId,
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int PlatformMenuBarItemWidth(WindowHandle window, int index) {
    RECT rect;
    HWND hwnd = ToHwnd(window);
    if (!GetMenuItemRect(hwnd, GetMenu(hwnd), (UINT)index, &rect))
        return 0;
    return rect.right - rect.left;
}

/* ---- Messages ---- */

static void FromMsg(const MSG& msg, PlatformMessage* message) {
    message->window = FromHwnd(msg.hwnd);
    message->message = msg.message;
    message->wParam = msg.wParam;
    message->lParam = msg.lParam;
    message->time = msg.time;
    message->x = msg.pt.x;
    message->y = msg.pt.y;
}

static void ToMsg(const PlatformMessage* message, MSG* msg) {
    msg->hwnd = ToHwnd(message->window);
    msg->message = message->message;
    msg->wParam = message->wParam;
    msg->lParam = message->lParam;
    msg->time = message->time;
    msg->pt.x = message->x;
    msg->pt.y = message->y;
}

int PlatformGetMessage(PlatformMessage* message) {
    MSG msg;
    if (Win32DriveEmulatedJournal(&msg)) {
        FromMsg(msg, message);
        return msg.message == WM_QUIT ? 0 : 1;
    }
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1)
        return -1;
    FromMsg(msg, message);
    return got != 0 ? 1 : 0;
}

bool PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return PostMessageA(ToHwnd(window), message, wParam, lParam) != 0;
}

intptr_t PlatformSendMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    return SendMessageA(ToHwnd(window), message, wParam, lParam);
}

void PlatformEndProcess(int exitCode) {
    ExitProcess((UINT)exitCode);
}

void PlatformPostQuitMessage(int exitCode) {
    PostQuitMessage(exitCode);
}

bool PlatformTranslateAccelerator(WindowHandle window, AcceleratorHandle table,
                                  PlatformMessage* message) {
    MSG msg;
    ToMsg(message, &msg);
    return TranslateAcceleratorA(ToHwnd(window), reinterpret_cast<HACCEL>(table), &msg) != 0;
}

bool PlatformIsDialogMessage(WindowHandle dialog, PlatformMessage* message) {
    MSG msg;
    ToMsg(message, &msg);
    return IsDialogMessageA(ToHwnd(dialog), &msg) != 0;
}

void PlatformTranslateAndDispatch(const PlatformMessage* message) {
    MSG msg;
    ToMsg(message, &msg);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

AcceleratorHandle PlatformLoadAccelerators(int resourceId) {
    return reinterpret_cast<AcceleratorHandle>(
        LoadAcceleratorsA(programInstance, MAKEINTRESOURCEA(resourceId)));
}

bool PlatformIsKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

/* ---- Controls ---- */

WindowHandle PlatformGetDialogItem(WindowHandle dialog, int controlId) {
    return FromHwnd(GetDlgItem(ToHwnd(dialog), controlId));
}

int PlatformGetTabSelection(WindowHandle tabControl) {
    return (int)SendMessageA(ToHwnd(tabControl), TCM_GETCURSEL, 0, 0);
}

void PlatformSetTabSelection(WindowHandle tabControl, int index) {
    SendMessageA(ToHwnd(tabControl), TCM_SETCURSEL, (WPARAM)index, 0);
}

intptr_t PlatformSendNotify(WindowHandle dialog, WindowHandle control, int controlId, int code) {
    NMHDR header;
    header.hwndFrom = ToHwnd(control);
    header.idFrom = (UINT_PTR)controlId;
    header.code = (UINT)code;
    return SendMessageA(ToHwnd(dialog), WM_NOTIFY, (WPARAM)controlId, (LPARAM)&header);
}

/* ---- System ---- */

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
void PlatformGetVersion(PlatformVersionInfo* version) {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    version->platformId = (long)info.dwPlatformId;
    version->majorVersion = (long)info.dwMajorVersion;
    version->minorVersion = (long)info.dwMinorVersion;
    version->buildNumber = (long)info.dwBuildNumber;
}
#pragma GCC diagnostic pop

/* ---- Other programs' windows ---- */

bool PlatformIsWindowMinimized(WindowHandle window) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!GetWindowPlacement(ToHwnd(window), &placement))
        return false;
    return placement.showCmd == SW_SHOWMINIMIZED;
}

/* The restored place of a minimized window is kept in workspace
 * coordinates (from the corner of its monitor's work area) unless it is a
 * tool window. Wine keeps no restored place there: it reports the
 * minimized one, which is no answer. */
static bool RestoredRect(HWND window, const RECT& minimized, RECT* restored) {
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement) ||
        EqualRect(&placement.rcNormalPosition, &minimized))
        return false;
    *restored = placement.rcNormalPosition;
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0 &&
        GetMonitorInfoA(MonitorFromRect(restored, MONITOR_DEFAULTTONEAREST), &monitor))
        OffsetRect(restored, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
    return true;
}

bool PlatformGetWindowRect(WindowHandle window, ScreenRect* rect) {
    RECT r;
    if (!GetWindowRect(ToHwnd(window), &r) ||
        (IsIconic(ToHwnd(window)) && !RestoredRect(ToHwnd(window), r, &r)))
        return false;
    *rect = ScreenRect{(int)r.left, (int)r.top, (int)r.right, (int)r.bottom};
    return true;
}

void PlatformSetDialogItemText(WindowHandle dialog, int controlId, const char* text) {
    if (dialog != nullptr)
        SetDlgItemTextA(ToHwnd(dialog), controlId, text);
}

/* ---- Processes ---- */

/* The program is the one Win32ProgramToStart finds, never one in the
 * current folder. */
ProcessHandle PlatformStartProcess(const char* commandLine) {
    wchar_t line[1024]; /* CreateProcessW may write to it */
    wchar_t program[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, commandLine, -1, line, 1024) == 0)
        return nullptr;
    Win32ProgramLookup lookup = Win32ProgramToStart(line, program);
    if (lookup == Win32ProgramNotFound) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(lookup == Win32ProgramFound ? program : nullptr, line, nullptr, nullptr,
                        FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return reinterpret_cast<ProcessHandle>(process.hProcess);
}

ProcessWait PlatformWaitForProcess(ProcessHandle process, int milliseconds) {
    DWORD result = WaitForSingleObject(reinterpret_cast<HANDLE>(process), (DWORD)milliseconds);
    if (result == WAIT_TIMEOUT)
        return ProcessStillRunning;
    return result == WAIT_OBJECT_0 ? ProcessEnded : ProcessWaitFailed;
}

void PlatformCloseProcess(ProcessHandle process) {
    CloseHandle(reinterpret_cast<HANDLE>(process));
}

/* ---- Registry ---- */

static HKEY RootKey(RegistryHive hive) {
    switch (hive) {
    case HiveClassesRoot:
        return HKEY_CLASSES_ROOT;
    case HiveCurrentUser:
        return HKEY_CURRENT_USER;
    case HiveLocalMachine:
        return HKEY_LOCAL_MACHINE;
    case HiveUsers:
        break;
    }
    return HKEY_USERS;
}

static HKEY ToHkey(RegistryKeyHandle key) {
    return reinterpret_cast<HKEY>(key);
}

RegistryKeyHandle PlatformOpenRegistryKey(RegistryHive hive, const char* keyPath, bool fullAccess) {
    HKEY key = nullptr;
    REGSAM access = fullAccess ? KEY_ALL_ACCESS : KEY_QUERY_VALUE;
    if (RegOpenKeyExA(RootKey(hive), keyPath, 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return reinterpret_cast<RegistryKeyHandle>(key);
}

RegistryKeyHandle PlatformCreateRegistryKey(RegistryHive hive, const char* keyPath) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(RootKey(hive), keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return reinterpret_cast<RegistryKeyHandle>(key);
}

void PlatformCloseRegistryKey(RegistryKeyHandle key) {
    RegCloseKey(ToHkey(key));
}

bool PlatformSetRegistryValue(RegistryKeyHandle key, const char* name, uint32_t type,
                              const void* data, uint32_t size) {
    return RegSetValueExA(ToHkey(key), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

int PlatformQueryRegistryValue(RegistryKeyHandle key, const char* name, uint32_t* type, void* data,
                               uint32_t capacity) {
    DWORD size = capacity;
    DWORD storedType = 0;
    if (RegQueryValueExA(ToHkey(key), name, nullptr, &storedType, static_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS ||
        size > capacity)
        return -1;
    *type = storedType;
    return (int)size;
}

bool PlatformDeleteRegistryValue(RegistryKeyHandle key, const char* name) {
    return RegDeleteValueA(ToHkey(key), name) == ERROR_SUCCESS;
}

bool PlatformDeleteRegistryKey(RegistryHive hive, const char* keyPath) {
    return RegDeleteKeyA(RootKey(hive), keyPath) == ERROR_SUCCESS;
}

/* ---- The program file ---- */

int PlatformProgramPath(char* buffer, int size) {
    if (size <= 0)
        return -1;
    DWORD length = GetModuleFileNameA(nullptr, buffer, (DWORD)size);
    /* A path that does not fit comes back cut (and filling the buffer). */
    if (length == 0 || length >= (DWORD)size)
        return -1;
    return (int)length;
}

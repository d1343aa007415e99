/*
 * record_win32.cpp: how a recording sees the desktop's input on Windows.
 *
 * Where the system honours a journal-record hook (Windows up to 10, for an
 * elevated program) the real hook is installed and the system calls it on
 * the user-interface thread. Elsewhere (a standard user, Windows 11, which
 * dropped journal hooks, and Wine, whose journal sees only the program's
 * own windows) low-level keyboard and mouse hooks see every event of the
 * desktop, on a thread of their own (record_hooks_win32.cpp), and each is
 * turned into the record a journal would have delivered. The choice is
 * made at each install, once per recording.
 *
 * The low-level events reach the portable hook on the user-interface
 * thread: a hidden window of this file empties the hook thread's queue
 * when woken. Being a window, it is woken inside modal loops as well (a
 * message box, a dialog, a menu), so events never wait for one to close.
 */
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static RecordHookProcedure recordProcedure;
static HHOOK journalRecordHook;
static bool throughJournal;
static bool lowLevelInstalled;
static WPARAM currentWParam;
static LPARAM currentLParam;
static RecordContext currentContext;
static bool currentContextKnown;
static HWND queueWindow;

static const UINT QueueWakeMessage = WM_APP + 2;
/* Stands for the low-level hooks while they are installed. */
static const uintptr_t LowLevelHookHandle = 0x11B0;

bool Win32RunningUnderWine(void) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

/* Handles are 32-bit values that the system sign-extends. */
static uint32_t HandleValue(HWND window) {
    return (uint32_t)(uintptr_t)window;
}

static HWND HandleFromValue(uintptr_t value) {
    return reinterpret_cast<HWND>((intptr_t)(int32_t)(uint32_t)value);
}

/* ---- The system's journal ---- */

static LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam) {
    currentWParam = wParam;
    currentLParam = lParam;
    currentContextKnown = false;
    const EVENTMSG* message = reinterpret_cast<const EVENTMSG*>(lParam);
    if (code != HC_ACTION || message == nullptr)
        return recordProcedure(code, nullptr);
    EventRecord record = {message->message, (int32_t)message->paramL, (int32_t)message->paramH,
                          message->time, HandleValue(message->hwnd)};
    return recordProcedure(code, &record);
}

/* The build number, as the system really is: GetVersionEx tells a program
 * without a compatibility manifest entry that it runs on Windows 8. */
static DWORD RealBuildNumber(void) {
    typedef LONG(WINAPI * VersionFunction)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    VersionFunction getVersion =
        ntdll != nullptr ? (VersionFunction)(void*)GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    OSVERSIONINFOW version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (getVersion == nullptr || getVersion(&version) != 0)
        return 0;
    return version.dwBuildNumber;
}

/* Windows 11 (build 22000 on) no longer supports journal hooks; Wine's
 * sees only the program's own windows; a standard user is refused one. */
static HHOOK InstallSystemJournal(void) {
    const DWORD FirstWindows11Build = 22000;
    if (Win32RunningUnderWine() || RealBuildNumber() >= FirstWindows11Build)
        return nullptr;
    return SetWindowsHookExA(WH_JOURNALRECORD, JournalRecordProc, Win32Instance(), 0);
}

/* ---- The low-level hooks' queue ---- */

/* What the hooks' thread read of the window under the press being handed
 * over now. */
static RecordedWindow currentWindow;

/* Taken out before the call: a call that runs a modal loop may empty the
 * rest of the queue itself, in order. */
static void DrainQueue(void) {
    RecordQueueEntry input;
    while (recordProcedure != nullptr && Win32TakeRecordInput(&input)) {
        currentContext = input.context;
        currentContextKnown = true;
        currentWindow = input.window;
        recordProcedure(input.code, input.code == HC_ACTION ? &input.event : nullptr);
    }
}

static LRESULT CALLBACK QueueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == QueueWakeMessage) {
        if (lowLevelInstalled)
            DrainQueue();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* A message-only window: never shown, never enumerated. */
static HWND QueueWindow(void) {
    if (queueWindow != nullptr)
        return queueWindow;
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = QueueWindowProc;
    windowClass.hInstance = Win32Instance();
    windowClass.lpszClassName = "MirlowRecordQueue";
    RegisterClassA(&windowClass);
    queueWindow = CreateWindowExA(0, "MirlowRecordQueue", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  Win32Instance(), nullptr);
    return queueWindow;
}

static bool InstallLowLevelHooks(void) {
    HWND window = QueueWindow();
    /* The hooks' thread reads the scale of every press: the calls that
     * tell it are looked up here, not at the first press. */
    PlatformShownDpi(reinterpret_cast<WindowHandle>(window));
    lowLevelInstalled = window != nullptr && Win32StartRecordHooks(window, QueueWakeMessage);
    return lowLevelInstalled;
}

/* ---- The seam ---- */

HookHandle PlatformInstallRecordHook(RecordHookProcedure procedure) {
    recordProcedure = procedure;
    currentContextKnown = false;
    journalRecordHook = InstallSystemJournal();
    throughJournal = journalRecordHook != nullptr;
    if (throughJournal)
        return reinterpret_cast<HookHandle>(journalRecordHook);
    return InstallLowLevelHooks() ? reinterpret_cast<HookHandle>(LowLevelHookHandle) : nullptr;
}

bool PlatformRecordUsesSystemJournal(void) {
    return throughJournal;
}

bool PlatformRemoveRecordHook(HookHandle hook) {
    if (hook == nullptr)
        return false;
    if (journalRecordHook != nullptr && hook == reinterpret_cast<HookHandle>(journalRecordHook)) {
        /* Fails harmlessly when the system took it away already. */
        UnhookWindowsHookEx(journalRecordHook);
        journalRecordHook = nullptr;
        return true;
    }
    Win32StopRecordHooks();
    lowLevelInstalled = false;
    return true;
}

void PlatformFlushRecordInput(void) {
    if (!throughJournal)
        DrainQueue();
}

bool PlatformRestartRecordHook(HookHandle hook) {
    return hook == reinterpret_cast<HookHandle>(LowLevelHookHandle) && lowLevelInstalled &&
           Win32RestartRecordHooks();
}

bool PlatformRecordContext(RecordContext* context) {
    if (!currentContextKnown)
        return false;
    *context = currentContext;
    return true;
}

bool PlatformRecordedWindow(RecordedWindow* window) {
    if (!currentContextKnown || currentWindow.window == nullptr)
        return false;
    *window = currentWindow;
    return true;
}

intptr_t PlatformCallNextRecordHook(HookHandle hook, int code) {
    if (journalRecordHook == nullptr || hook != reinterpret_cast<HookHandle>(journalRecordHook))
        return 0;
    return CallNextHookEx(journalRecordHook, code, currentWParam, currentLParam);
}

/* Every window of this process: dialogs, menus and message boxes are made
 * by its thread too, so they belong to it. */
bool PlatformIsOwnWindow(WindowHandle window) {
    HWND hwnd = HandleFromValue((uintptr_t)window);
    if (hwnd == nullptr)
        return false;
    DWORD process = 0;
    return GetWindowThreadProcessId(hwnd, &process) != 0 && process == GetCurrentProcessId();
}

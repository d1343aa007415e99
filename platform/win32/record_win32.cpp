/*
 * record_win32.cpp: how a recording sees the desktop's input on Windows.
 *
 * Where the system honours a journal-record hook (Windows up to 10, for an
 * elevated program) the real hook is installed and the system calls it.
 * Elsewhere (a standard user, Windows 11, which dropped journal hooks, and
 * Wine, whose journal sees only the program's own windows) low-level
 * keyboard and mouse hooks see every event of the desktop, and each is
 * turned into the record a journal would have delivered. The choice is
 * made at each install, once per recording.
 *
 * The low-level hooks are called on the thread that installed them while
 * it takes its messages, like the journal, so the portable hook runs on the
 * user-interface thread either way.
 */
#include <windows.h>

#include <cstring>

#include "platform/input_rules.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static RecordHookProcedure recordProcedure;
static HHOOK journalRecordHook;
static HHOOK keyboardHook; /* its handle stands for both low-level hooks */
static HHOOK mouseHook;
static bool throughJournal;
static WPARAM currentWParam;
static LPARAM currentLParam;
static bool keyIsDown[256]; /* by the low-level hook's own virtual key */

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

/* ---- Low-level hooks, turned into journal records ---- */

static bool KeyHeld(int virtualKey) {
    return keyIsDown[virtualKey] || (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

/* A journal reports either Shift, Ctrl and Alt as the generic key. */
static int JournalVirtualKey(DWORD virtualKey) {
    switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return (int)(virtualKey & 0xFF);
    }
}

/* The keyboard message's flags as a journal packs them above the scan
 * code: extended key, Alt held (for system keys), was down, released. */
static uint32_t JournalKeyFlags(WPARAM message, const KBDLLHOOKSTRUCT* key, bool wasDown) {
    bool released = (key->flags & LLKHF_UP) != 0;
    bool systemKey = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
    bool altHeld = (key->flags & LLKHF_ALTDOWN) != 0 || KeyHeld(VK_LMENU) || KeyHeld(VK_RMENU) ||
                   JournalVirtualKey(key->vkCode) == VK_MENU;
    uint32_t flags = (key->flags & LLKHF_EXTENDED) ? 0x01 : 0;
    if (systemKey && altHeld)
        flags |= 0x20;
    if (wasDown || released)
        flags |= 0x40;
    if (released)
        flags |= 0x80;
    return flags;
}

/* Keys go to the window with the keyboard focus, wherever it is. */
static HWND FocusWindow(void) {
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(0, &info)) {
        if (info.hwndFocus != nullptr)
            return info.hwndFocus;
        if (info.hwndActive != nullptr)
            return info.hwndActive;
    }
    return GetForegroundWindow();
}

static EventRecord KeyRecord(WPARAM message, const KBDLLHOOKSTRUCT* key) {
    int rawKey = (int)(key->vkCode & 0xFF);
    bool wasDown = keyIsDown[rawKey];
    keyIsDown[rawKey] = (key->flags & LLKHF_UP) == 0;
    int32_t paramL = JournalVirtualKey(key->vkCode) | (int32_t)((key->scanCode & 0xFF) << 8) |
                     (int32_t)(JournalKeyFlags(message, key, wasDown) << 16);
    int32_t paramH = 1 | ((key->flags & LLKHF_EXTENDED) ? 0x8000 : 0);
    return EventRecord{(uint32_t)message, paramL, paramH, key->time, HandleValue(FocusWindow())};
}

static void RemoveLowLevelHooks(void) {
    if (keyboardHook != nullptr)
        UnhookWindowsHookEx(keyboardHook);
    if (mouseHook != nullptr)
        UnhookWindowsHookEx(mouseHook);
    keyboardHook = nullptr;
    mouseHook = nullptr;
}

/* The system ends a journal on Ctrl+Esc; the low-level recording ends the
 * same way: the hooks are gone and the thread gets the same notice. The
 * Escape is kept from the system, as the journal's cancel keeps it. */
static bool IsCancelKeys(WPARAM message, const KBDLLHOOKSTRUCT* key) {
    bool pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    return pressed && key->vkCode == VK_ESCAPE &&
           (KeyHeld(VK_LCONTROL) || KeyHeld(VK_RCONTROL) || KeyHeld(VK_CONTROL));
}

static LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && key->dwExtraInfo != Win32InjectionTag && keyboardHook != nullptr) {
        if (IsCancelKeys(wParam, key)) {
            RemoveLowLevelHooks();
            PostThreadMessageA(GetCurrentThreadId(), WM_CANCELJOURNAL, 0, 0);
            return 1;
        }
        EventRecord record = KeyRecord(wParam, key);
        recordProcedure(HC_ACTION, &record);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Mouse events carry the screen point in the pixels of the virtual desktop
 * (the program is aware of each monitor's scale), as playback injects it,
 * and go to the window under the pointer. A wheel turn keeps its distance
 * and an X-button event its button, beside y, so playback can repeat them. */
static LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSLLHOOKSTRUCT* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && mouse->dwExtraInfo != Win32InjectionTag && mouseHook != nullptr) {
        int32_t amount = (int16_t)HIWORD(mouse->mouseData);
        EventRecord record = {(uint32_t)wParam, (int32_t)mouse->pt.x,
                              MouseEventParamH((uint32_t)wParam, mouse->pt.y, amount), mouse->time,
                              HandleValue(WindowFromPoint(mouse->pt))};
        recordProcedure(HC_ACTION, &record);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static HHOOK InstallLowLevelHooks(void) {
    memset(keyIsDown, 0, sizeof keyIsDown);
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, Win32Instance(), 0);
    mouseHook = SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, Win32Instance(), 0);
    if (keyboardHook == nullptr || mouseHook == nullptr)
        RemoveLowLevelHooks();
    return keyboardHook;
}

/* ---- The seam ---- */

HookHandle PlatformInstallRecordHook(RecordHookProcedure procedure) {
    recordProcedure = procedure;
    journalRecordHook = InstallSystemJournal();
    throughJournal = journalRecordHook != nullptr;
    HHOOK hook = throughJournal ? journalRecordHook : InstallLowLevelHooks();
    return reinterpret_cast<HookHandle>(hook);
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
    RemoveLowLevelHooks();
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

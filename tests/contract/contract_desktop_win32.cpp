/*
 * contract_desktop_win32.cpp: the contract suite's desktop on Windows. A
 * modal window's person is a second thread: it waits for the case's
 * signal, finds the dialog window the case's thread shows and posts the
 * command of the button a person would press, as a click would; the end
 * of the session meanwhile is sent from that thread, as the system sends
 * it from its own. Another program is a handle opened without sharing, or
 * a thread of its own that stops taking messages.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "tests/contract/contract_desktop.h"

static DWORD caseThread;
static HANDLE mayClose;    /* manual reset: set once the case lets the window close */
static HWND sessionEndsAt; /* for the next modal window */
static std::vector<HANDLE> heldFiles;
static HANDLE silentThread, silentMade, silentRelease;
static HWND silentWindow;
static HANDLE hotkeyThread, hotkeyHeld, hotkeyRelease;
static HWND controlsWindow;

static void LetSilentWindowGo(void) {
    if (silentThread == nullptr)
        return;
    SetEvent(silentRelease);
    WaitForSingleObject(silentThread, 5000);
    CloseHandle(silentThread);
    silentThread = nullptr;
    ResetEvent(silentRelease);
}

/* A hotkey belongs to the thread that holds it; it lets go as it ends. */
static void LetHotkeyGo(void) {
    if (hotkeyThread == nullptr)
        return;
    SetEvent(hotkeyRelease);
    WaitForSingleObject(hotkeyThread, 5000);
    CloseHandle(hotkeyThread);
    hotkeyThread = nullptr;
    ResetEvent(hotkeyRelease);
}

void ContractStartCase(void) {
    if (caseThread == 0) {
        Win32SetInstance(GetModuleHandleA(nullptr));
        INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_HOTKEY_CLASS};
        InitCommonControlsEx(&controls);
        mayClose = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        silentMade = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        silentRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        hotkeyHeld = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        hotkeyRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        caseThread = GetCurrentThreadId();
    }
    LetSilentWindowGo();
    LetHotkeyGo();
    ContractLetFilesGo();
    if (controlsWindow != nullptr)
        DestroyWindow(controlsWindow);
    controlsWindow = nullptr;
    sessionEndsAt = nullptr;
    const int modifiers[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    for (int key : modifiers)
        ContractSetKeyDown(key, false);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

void ContractSetKeyDown(int virtualKey, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[virtualKey & 0xFF] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

/* Input without the program's tag is the user's; the low-level hooks see
 * it on their own threads a moment later. */
void ContractUserPressesKey(int virtualKey, bool down) {
    keybd_event((BYTE)virtualKey, 0, down ? 0 : KEYEVENTF_KEYUP, 0);
    Sleep(100);
}

/* A shown dialog window (message boxes and common dialogs are dialogs
 * too) of the case's thread. */
static BOOL CALLBACK TakeDialogWindow(HWND window, LPARAM found) {
    char className[16] = "";
    if (!IsWindowVisible(window) || GetClassNameA(window, className, sizeof className) == 0 ||
        strcmp(className, "#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

static HWND WaitForDialogWindow(int milliseconds) {
    HWND found = nullptr;
    for (int waited = 0; found == nullptr && waited < milliseconds; waited += 20) {
        EnumThreadWindows(caseThread, TakeDialogWindow, reinterpret_cast<LPARAM>(&found));
        if (found == nullptr)
            Sleep(20);
    }
    return found;
}

struct ModalCloser {
    int answer;
    HWND sessionEndsAt; /* null: the session goes on */
};

/* What the system sends each top-level window when the session ends. */
static void EndSession(HWND window) {
    LRESULT mayEnd = SendMessageA(window, WM_QUERYENDSESSION, 0, 0);
    SendMessageA(window, WM_ENDSESSION, mayEnd != 0 ? TRUE : FALSE, 0);
}

static DWORD WINAPI CloseModalWindow(void* parameter) {
    ModalCloser closer = *static_cast<ModalCloser*>(parameter);
    delete static_cast<ModalCloser*>(parameter);
    WaitForSingleObject(mayClose, 2000);
    HWND window = WaitForDialogWindow(5000);
    if (window != nullptr && closer.sessionEndsAt != nullptr)
        EndSession(closer.sessionEndsAt);
    if (window != nullptr)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(closer.answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, closer.answer)));
    return 0;
}

void ContractCloseNextModal(ContractModal kind, int answer) {
    ResetEvent(mayClose);
    ModalCloser* closer =
        new ModalCloser{kind == ContractFileDialog ? IDCANCEL : answer, sessionEndsAt};
    sessionEndsAt = nullptr;
    HANDLE thread = CreateThread(nullptr, 0, CloseModalWindow, closer, 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
    else
        delete closer;
}

void ContractModalMayClose(void) {
    SetEvent(mayClose);
}

void ContractEndSessionDuringNextModal(WindowHandle window) {
    sessionEndsAt = reinterpret_cast<HWND>(window);
}

WindowHandle ContractFocus(void) {
    return reinterpret_cast<WindowHandle>(GetFocus());
}

ContractMenuItemState ContractMenuItem(WindowHandle window, int commandId, bool* checked) {
    UINT state =
        GetMenuState(GetMenu(reinterpret_cast<HWND>(window)), (UINT)commandId, MF_BYCOMMAND);
    *checked = state != (UINT)-1 && (state & MF_CHECKED) != 0;
    if (state == (UINT)-1)
        return ContractItemMissing;
    return (state & (MF_GRAYED | MF_DISABLED)) != 0 ? ContractItemGrayed : ContractItemEnabled;
}

void ContractHoldFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        heldFiles.push_back(file);
}

void ContractLetFilesGo(void) {
    for (HANDLE file : heldFiles)
        CloseHandle(file);
    heldFiles.clear();
}

/* The window is shown without being activated, so that no activation
 * waits for its thread; then the thread stops taking messages. */
static DWORD WINAPI RunSilentWindow(void*) {
    silentWindow = CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "Contract Silent", WS_POPUP, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(silentWindow, SW_SHOWNOACTIVATE);
    SetEvent(silentMade);
    WaitForSingleObject(silentRelease, INFINITE);
    DestroyWindow(silentWindow);
    return 0;
}

/* A window of the case's thread stands for another program's: what the
 * seam reads of it goes through the same calls. */
WindowHandle ContractWindowWithControls(WindowHandle controls[3]) {
    controlsWindow = CreateWindowExA(0, "STATIC", "Contract Controls", WS_POPUP | WS_VISIBLE, 100,
                                     100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    const struct {
        const char* className;
        const char* text;
        int id, x, y, width, height;
        DWORD style;
    } made[] = {
        {"BUTTON", "Hidden", 104, 10, 10, 75, 23, 0},
        {"BUTTON", "OK", 1, 300, 250, 75, 23, WS_VISIBLE},
        {"STATIC", "Name:", -1, 10, 50, 60, 20, WS_VISIBLE},
        {"EDIT", "", 103, 80, 48, 200, 22, WS_VISIBLE | WS_DISABLED},
    };
    for (int i = 0; i < 4; i++) {
        HWND control =
            CreateWindowExA(0, made[i].className, made[i].text, WS_CHILD | made[i].style, made[i].x,
                            made[i].y, made[i].width, made[i].height, controlsWindow,
                            (HMENU)(INT_PTR)made[i].id, nullptr, nullptr);
        if (i > 0)
            controls[i - 1] = reinterpret_cast<WindowHandle>(control);
    }
    return reinterpret_cast<WindowHandle>(controlsWindow);
}

WindowHandle ContractSilentWindow(void) {
    LetSilentWindowGo();
    silentThread = CreateThread(nullptr, 0, RunSilentWindow, nullptr, 0, nullptr);
    if (silentThread == nullptr)
        return nullptr;
    WaitForSingleObject(silentMade, 5000);
    return reinterpret_cast<WindowHandle>(silentWindow);
}

static DWORD WINAPI HoldHotkey(void* chordValue) {
    int32_t chord = (int32_t)(intptr_t)chordValue;
    UINT modifiers = ((chord & ChordShift) ? MOD_SHIFT : 0) |
                     ((chord & ChordControl) ? MOD_CONTROL : 0) |
                     ((chord & ChordAlt) ? MOD_ALT : 0);
    RegisterHotKey(nullptr, 1, modifiers, (UINT)(chord & 0xFF));
    SetEvent(hotkeyHeld);
    WaitForSingleObject(hotkeyRelease, INFINITE);
    UnregisterHotKey(nullptr, 1);
    return 0;
}

void ContractHoldHotkey(int32_t chord) {
    LetHotkeyGo();
    hotkeyThread = CreateThread(nullptr, 0, HoldHotkey, (void*)(intptr_t)chord, 0, nullptr);
    if (hotkeyThread != nullptr)
        WaitForSingleObject(hotkeyHeld, 5000);
}

/*
 * contract_desktop_win32.cpp: the contract suite's desktop on Windows. A
 * modal window's person is a second thread: it waits for the case's
 * signal, finds the dialog window the case's thread shows and posts the
 * command of the button a person would press, as a click would.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "platform/win32/win32_internal.h"
#include "tests/contract/contract_desktop.h"

static DWORD caseThread;
static HANDLE mayClose; /* manual reset: set once the case lets the window close */

void ContractStartCase(void) {
    if (caseThread == 0) {
        Win32SetInstance(GetModuleHandleA(nullptr));
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        mayClose = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        caseThread = GetCurrentThreadId();
    }
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

static DWORD WINAPI CloseModalWindow(void* parameter) {
    int answer = (int)(intptr_t)parameter;
    WaitForSingleObject(mayClose, 2000);
    HWND window = WaitForDialogWindow(5000);
    if (window != nullptr)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, answer)));
    return 0;
}

void ContractCloseNextModal(ContractModal kind, int answer) {
    ResetEvent(mayClose);
    if (kind == ContractFileDialog)
        answer = IDCANCEL;
    HANDLE thread = CreateThread(nullptr, 0, CloseModalWindow,
                                 reinterpret_cast<void*>((intptr_t)answer), 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
}

void ContractModalMayClose(void) {
    SetEvent(mayClose);
}

WindowHandle ContractFocus(void) {
    return reinterpret_cast<WindowHandle>(GetFocus());
}

/*
 * foreground_win32.cpp: finding the window a GOTO names and making sure it
 * really is the foreground window afterwards.
 *
 * The system lets a program bring a window to the front only under some
 * conditions (it is the foreground program, it had the last input, ...);
 * otherwise SetForegroundWindow only flashes the taskbar button. A thread
 * that shares the input state of the foreground window's thread may set
 * the foreground, so that is the further means tried.
 *
 * The window belongs to another program, which may be busy or hung: a
 * call that waits for its thread (ShowWindow, BringWindowToTop, SetFocus,
 * sharing its input state) could hold this thread for good, and with it
 * the cancel keys. So its thread is asked first, with a time limit,
 * whether it answers, and every call made to its window is one that does
 * not wait. The cancel keys end each wait at once.
 */
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

struct TitleSearch {
    const char* title;
    HWND found;
};

/* Titles compare as FindWindow compares them, without regard to case.
 * Only windows the user can see: a hidden one is kept out of sight by its
 * program, a cloaked one is on another virtual desktop or belongs to a
 * suspended Store app. */
static BOOL CALLBACK MatchVisibleTitle(HWND window, LPARAM lParam) {
    TitleSearch* search = reinterpret_cast<TitleSearch*>(lParam);
    char title[1100];
    if (!IsWindowVisible(window) || GetWindowTextA(window, title, sizeof title) <= 0 ||
        PlatformIsWindowCloaked(reinterpret_cast<WindowHandle>(window)))
        return TRUE;
    if (lstrcmpiA(title, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

WindowHandle PlatformFindGotoWindow(const char* title) {
    TitleSearch search = {title, nullptr};
    EnumWindows(MatchVisibleTitle, reinterpret_cast<LPARAM>(&search));
    return reinterpret_cast<WindowHandle>(search.found);
}

bool PlatformCancelKeysPressed(void) {
    return Win32CancelRequested(false);
}

/* Asked in short turns, so that the cancel keys end the wait within one:
 * a turn that runs out leaves only a message that does nothing behind. A
 * turn refused at once (a window gone, or one the system counts as hung)
 * ends the wait. */
static const int AnswerTurn = 100; /* ms */

bool PlatformWindowAnswers(WindowHandle handle, int milliseconds) {
    HWND window = reinterpret_cast<HWND>(handle);
    if (IsHungAppWindow(window))
        return false;
    DWORD start = GetTickCount();
    for (;;) {
        int left = milliseconds - (int)(GetTickCount() - start);
        if (left <= 0 || Win32CancelRequested(false))
            return false;
        int turn = left < AnswerTurn ? left : AnswerTurn;
        DWORD asked = GetTickCount();
        DWORD_PTR result;
        if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, (UINT)turn, &result) != 0)
            return true;
        if ((int)(GetTickCount() - asked) < turn / 2)
            return false;
    }
}

static void RaiseAsync(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
}

void PlatformActivateWindow(WindowHandle handle, int showState) {
    HWND window = reinterpret_cast<HWND>(handle);
    ShowWindowAsync(window, showState);
    RaiseAsync(window);
    SetForegroundWindow(window);
}

/* The window itself, or a window it owns (a dialog it opened). */
static bool HoldsForeground(HWND window) {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr)
        return false;
    return foreground == window || GetAncestor(foreground, GA_ROOTOWNER) == window;
}

/* Messages sent to this thread are answered meanwhile: activation can
 * involve every thread whose window loses or gains it. */
bool PlatformWaitForForeground(WindowHandle handle, int milliseconds) {
    HWND window = reinterpret_cast<HWND>(handle);
    HANDLE cancel = Win32CancelEvent();
    DWORD start = GetTickCount();
    for (;;) {
        if (HoldsForeground(window))
            return true;
        if ((int)(GetTickCount() - start) >= milliseconds || Win32CancelRequested(false))
            return false;
        MsgWaitForMultipleObjectsEx(cancel != nullptr ? 1 : 0, &cancel, 10, QS_SENDMESSAGE, 0);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

/* Sharing input state with a thread that does not answer would leave
 * this one waiting on it. */
static const int ForegroundAnswerWait = 200; /* ms */

void PlatformForceForeground(WindowHandle handle) {
    HWND window = reinterpret_cast<HWND>(handle);
    HWND foreground = GetForegroundWindow();
    DWORD own = GetCurrentThreadId();
    DWORD other = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool attached =
        other != 0 && other != own &&
        PlatformWindowAnswers(reinterpret_cast<WindowHandle>(foreground), ForegroundAnswerWait) &&
        AttachThreadInput(own, other, TRUE);
    RaiseAsync(window);
    SetForegroundWindow(window);
    if (attached)
        AttachThreadInput(own, other, FALSE);
}

/* The foreground window is the top of what has the input, which for a
 * program hosted in another's frame (a Store app) is the frame; keys go to
 * the window with the keyboard focus in the foreground thread's input
 * state, and that window's thread is the one that takes them. */
HWND Win32FocusWindow(void) {
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

WindowHandle PlatformForegroundWindow(void) {
    return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

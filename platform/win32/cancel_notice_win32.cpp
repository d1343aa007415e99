/*
 * cancel_notice_win32.cpp: the system's cancel notice, delivered where no
 * modal loop can lose it.
 *
 * The system tells a program that it removed a journal hook (the user
 * pressed Ctrl+Esc or Ctrl+Alt+Del) with WM_CANCELJOURNAL, a thread
 * message without a window. A modal loop (a message box, a dialog, an open
 * menu) gets it but has no window to hand it to, and drops it; the program
 * would then show a recording or a playback that has ended. So every
 * notice goes to the main window instead: the program's own (the
 * low-level recording's cancel keys, the cancel watcher of an injected
 * playback) is posted there, and the system's is readdressed there by a
 * hook that sees every message this thread takes, in any loop, before it
 * is dispatched.
 */
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HWND noticeWindow;
static HHOOK getMessageHook;

static LRESULT CALLBACK ReaddressCancelNotice(int code, WPARAM wParam, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_CANCELJOURNAL &&
        msg->hwnd == nullptr && noticeWindow != nullptr && IsWindow(noticeWindow))
        msg->hwnd = noticeWindow;
    return CallNextHookEx(getMessageHook, code, wParam, lParam);
}

/* Called on the thread that owns the window and takes its messages. */
void PlatformSetCancelNoticeWindow(WindowHandle window) {
    noticeWindow = reinterpret_cast<HWND>(window);
    if (getMessageHook == nullptr && noticeWindow != nullptr)
        getMessageHook =
            SetWindowsHookExA(WH_GETMESSAGE, ReaddressCancelNotice, nullptr, GetCurrentThreadId());
}

void Win32PostCancelNotice(DWORD fallbackThread) {
    if (noticeWindow != nullptr && PostMessageA(noticeWindow, WM_CANCELJOURNAL, 0, 0))
        return;
    PostThreadMessageA(fallbackThread, WM_CANCELJOURNAL, 0, 0);
}

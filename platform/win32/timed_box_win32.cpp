/*
 * timed_box_win32.cpp: a message box that closes itself after a while.
 *
 * The system has no documented box with a time limit, so the program
 * makes one of its own parts: a timer of the thread, whose call the box's
 * own modal loop makes when the time is up, and a hook that learns which
 * window is the box as the system creates it. The timer then presses the
 * box's button of the answer, as a click would, by the command the button
 * sends; the box ends as it does for the user. Boxes can open inside one
 * another's loops (a cancel notice during an error box), so each keeps its
 * own timer and window.
 */
#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

namespace {

struct TimedBox {
    UINT_PTR timer;
    HWND box; /* null until the system has made it */
    int answer;
    bool closedItself;
};

const int MaxNestedBoxes = 8;
TimedBox boxes[MaxNestedBoxes];
int boxCount;

} // namespace

static bool IsDialogWindow(HWND window) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    return strcmp(className, "#32770") == 0;
}

/* The first dialog window made after a box was asked for is that box:
 * the innermost one still without its window takes it. */
static LRESULT CALLBACK NoteBoxWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsDialogWindow(reinterpret_cast<HWND>(wParam))) {
        for (int i = boxCount - 1; i >= 0; i--) {
            if (boxes[i].box == nullptr) {
                boxes[i].box = reinterpret_cast<HWND>(wParam);
                break;
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void CALLBACK CloseTimedBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    for (int i = 0; i < boxCount; i++) {
        if (boxes[i].timer != timer || boxes[i].box == nullptr)
            continue;
        boxes[i].closedItself = true;
        PostMessageA(boxes[i].box, WM_COMMAND, MAKEWPARAM(boxes[i].answer, BN_CLICKED), 0);
    }
}

static int ShowBox(const char* text, const char* caption, uint32_t style, int iconId) {
    if (iconId == 0)
        return MessageBoxA(nullptr, text, caption, style);
    MSGBOXPARAMSA params;
    memset(&params, 0, sizeof params);
    params.cbSize = sizeof params;
    params.hInstance = Win32Instance();
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style | MB_USERICON;
    params.lpszIcon = MAKEINTRESOURCEA(iconId);
    return MessageBoxIndirectA(&params);
}

int PlatformTimedMessageBox(const char* text, const char* caption, uint32_t style, int iconId,
                            int milliseconds, int answer, bool* closedItself) {
    *closedItself = false;
    if (boxCount == MaxNestedBoxes)
        return ShowBox(text, caption, style, iconId);
    TimedBox& entry = boxes[boxCount++];
    entry = TimedBox{0, nullptr, answer, false};
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteBoxWindow, nullptr, GetCurrentThreadId());
    entry.timer = SetTimer(nullptr, 0, (UINT)(milliseconds > 0 ? milliseconds : 1), CloseTimedBox);
    int result = ShowBox(text, caption, style, iconId);
    KillTimer(nullptr, entry.timer);
    if (hook != nullptr)
        UnhookWindowsHookEx(hook);
    *closedItself = entry.closedItself && result == answer;
    boxCount--;
    return result;
}

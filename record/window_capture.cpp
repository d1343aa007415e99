/*
 * window_capture.cpp: the recorder notes which top-level window a click
 * or a key was meant for, so that playback can wait for that window,
 * follow it when it has moved, and refuse to send the input anywhere
 * else.
 *
 * Every button press gets a note: a click is only right in the window it
 * was made in. Keys go wherever the keyboard focus is, so only the first
 * key after the focus moved to another top-level window gets one; a key
 * into the window of the last note needs none. The program's own windows
 * get no note, as their input is not recorded either (unless the user
 * asked for it, and then it is for the program's own window at playback,
 * which no note could name).
 *
 * This runs on the user-interface thread, as the events are stored, which
 * may be seconds after they happened (a dialog, a slow log): where the
 * platform looked at the window at the press, the note describes it as it
 * was then, before a key changed its title or a drag moved it.
 */
#include "record/record.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"

/* The top-level window of the last key or click, noted or not. */
static WindowHandle lastWindow;
static bool loggedFullTable;

void ResetWindowCapture(void) {
    lastWindow = nullptr;
    loggedFullTable = false;
}

static bool IsButtonPress(uint32_t message) {
    switch (message) {
    case MsgLButtonDown:
    case MsgLButtonDblClk:
    case MsgRButtonDown:
    case MsgRButtonDblClk:
    case MsgMButtonDown:
    case MsgMButtonDblClk:
    case MsgXButtonDown:
    case MsgXButtonDblClk:
        return true;
    default:
        return false;
    }
}

static bool IsKeyPress(uint32_t message) {
    return message == MsgKeyDown || message == MsgSysKeyDown;
}

/* A text cut to size - 1 characters, as the platform cuts what it reads. */
static void CopyCut(char* to, size_t size, const char* from) {
    size_t length = strnlen(from, size - 1);
    memcpy(to, from, length);
    to[length] = '\0';
}

/* What the platform saw at the press, where it looked; otherwise the
 * window as it is now. */
static bool DescribeWindow(WindowHandle window, const RecordedWindow* seen, char* title,
                           char* className, ScreenRect* rect) {
    if (seen != nullptr) {
        CopyCut(title, WindowTitleSize + 1, seen->title);
        CopyCut(className, WindowClassSize, seen->className);
        *rect = seen->rect;
        return true;
    }
    return PlatformGetWindowText(window, WindowTitleText, title, WindowTitleSize + 1) >= 0 &&
           PlatformGetWindowText(window, WindowClassText, className, WindowClassSize) >= 0 &&
           PlatformGetWindowRect(window, rect);
}

/* A note that does not fit is left out; the event then plays as it would
 * without one, and the log says so once per recording. */
static void AddNote(WindowHandle window, const RecordedWindow* seen, int32_t position) {
    char title[WindowTitleSize + 1];
    char className[WindowClassSize];
    char program[WindowProgramSize];
    ScreenRect rect;
    if (!DescribeWindow(window, seen, title, className, &rect))
        return;
    /* A program that cannot be named (another user's, or one whose window
     * is gone already) matches any. */
    if (PlatformGetWindowText(window, WindowProgramText, program, sizeof program) < 0)
        snprintf(program, sizeof program, "*");
    NoteRect noted = {rect.left, rect.top, rect.right, rect.bottom};
    int32_t description = AddWindowDescription(title, className, program);
    if (AddWindowNote(position, description, &noted) || loggedFullTable)
        return;
    loggedFullTable = true;
    LogPrintf(LogLow,
              "ERROR: RECORDING #%d: No room to note the window '%s'; from here on some "
              "input is played without waiting for its window",
              position + 1, title);
}

void NoteWindowOfEvent(const EventRecord& event, int32_t position) {
    bool press = IsButtonPress(event.message);
    if (!press && !IsKeyPress(event.message))
        return;
    RecordedWindow seen;
    bool looked = PlatformRecordedWindow(&seen);
    WindowHandle window =
        looked ? seen.window : PlatformTopLevelWindowOf((WindowHandle)(uintptr_t)event.hwnd);
    bool sameWindow = window == lastWindow;
    lastWindow = window;
    if (window == nullptr || PlatformIsOwnWindow(window) || (!press && sameWindow))
        return;
    AddNote(window, looked ? &seen : nullptr, position);
}

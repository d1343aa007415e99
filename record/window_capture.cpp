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
 * A note also holds the scale the window was shown at and its monitor,
 * and a mouse button press the control (child window) it went to, with
 * the spot inside it, so that a replay at another scale or with another
 * layout lands on the same control.
 *
 * This runs on the user-interface thread, as the events are stored, which
 * may be seconds after they happened (a dialog, a slow log): where the
 * platform looked at the window at the press, the note describes it as it
 * was then, before a key changed its title, a drag moved it or a click
 * closed the dialog whose button it pressed.
 */
#include "record/record.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "platform/control_facts.h"
#include "platform/input_rules.h"

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

/* The control a press went to and where in it; the press is inside it
 * unless the control moved between the press and the look, and then its
 * middle stands for the spot. */
static void NoteControlOfPress(int32_t note, const EventRecord& event,
                               const RecordedControl& control) {
    NoteControl noted;
    noted.description = AddControlDescription(control.className, control.text);
    if (noted.description < 0)
        return; /* the press then plays by the window's corner */
    int32_t x = event.paramL;
    int32_t y = MouseEventY(event);
    const ScreenRect& rect = control.rect;
    bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
    noted.id = control.id;
    noted.place = control.place;
    noted.x = inside ? x - rect.left : -1;
    noted.y = inside ? y - rect.top : -1;
    noted.width = rect.right > rect.left ? rect.right - rect.left : 0;
    noted.height = rect.bottom > rect.top ? rect.bottom - rect.top : 0;
    SetNoteControl(note, &noted);
}

/* A note that does not fit is left out; the event then plays as it would
 * without one, and the log says so once per recording. */
static void AddNote(const RecordedWindow& seen, const EventRecord& event, int32_t position) {
    char title[WindowTitleSize + 1];
    char className[WindowClassSize];
    char program[WindowProgramSize];
    CopyCut(title, sizeof title, seen.title);
    CopyCut(className, sizeof className, seen.className);
    /* A program that cannot be named (another user's, or one whose window
     * is gone already) matches any. */
    if (PlatformGetWindowText(seen.window, WindowProgramText, program, sizeof program) < 0)
        snprintf(program, sizeof program, "*");
    NoteRect noted = {seen.rect.left, seen.rect.top, seen.rect.right, seen.rect.bottom};
    int32_t description = AddWindowDescription(title, className, program);
    if (AddWindowNote(position, description, &noted)) {
        int32_t note = WindowNoteCount() - 1;
        NoteRect monitor = {seen.monitor.left, seen.monitor.top, seen.monitor.right,
                            seen.monitor.bottom};
        SetNoteScale(note, seen.dpi, seen.hasMonitor ? &monitor : nullptr);
        if (seen.hasControl)
            NoteControlOfPress(note, event, seen.control);
        return;
    }
    if (loggedFullTable)
        return;
    loggedFullTable = true;
    LogPrintf(LogLow,
              "ERROR: RECORDING #%d: No room to note the window '%s'; from here on some "
              "input is played without waiting for its window",
              position + 1, title);
}

/* Where the platform took no look at the press (the system's journal
 * calls the hook itself), the window is looked at now. */
void NoteWindowOfEvent(const EventRecord& event, int32_t position) {
    bool press = IsButtonPress(event.message);
    if (!press && !IsKeyPress(event.message))
        return;
    WindowHandle target = (WindowHandle)(uintptr_t)event.hwnd;
    RecordedWindow seen;
    bool looked = PlatformRecordedWindow(&seen);
    WindowHandle window = looked ? seen.window : PlatformTopLevelWindowOf(target);
    bool sameWindow = window == lastWindow;
    lastWindow = window;
    if (window == nullptr || PlatformIsOwnWindow(window) || (!press && sameWindow))
        return;
    if (looked || LookAtPressWindow(target, press, &seen))
        AddNote(seen, event, position);
}

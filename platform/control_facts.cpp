/*
 * control_facts.cpp: one description of a control for the recording and
 * the playback (control_facts.h).
 */
#include "platform/control_facts.h"

#include <cstdio>
#include <cstring>

/* Letter case aside, as the system compares class names. */
static bool ContainsWord(const char* upperText, const char* upperWord) {
    return strstr(upperText, upperWord) != nullptr;
}

/* By the words the classes of buttons and labels carry in the system's
 * controls and in the common frameworks' ("WindowsForms10.BUTTON...",
 * "TButton"), and the child dialogs that are the pages of a tab dialog,
 * whose title is their tab's text. */
bool ShowsLabel(const char* className) {
    char upper[ControlFactClassSize];
    snprintf(upper, sizeof upper, "%s", className);
    PlatformUpperCase(upper);
    return ContainsWord(upper, "BUTTON") || ContainsWord(upper, "STATIC") ||
           ContainsWord(upper, "LABEL") || strcmp(upper, "SYSLINK") == 0 ||
           strcmp(upper, "#32770") == 0;
}

/* A class longer than its field keeps its beginning and '*', as a note
 * keeps it. */
static bool ReadClass(WindowHandle control, char* className) {
    char whole[260]; /* a class name has at most 256 characters */
    if (PlatformGetWindowText(control, WindowClassText, whole, sizeof whole) < 0)
        return false;
    size_t length = strlen(whole);
    if (length < (size_t)ControlFactClassSize) {
        memcpy(className, whole, length + 1);
        return true;
    }
    memcpy(className, whole, ControlFactClassSize - 2);
    strcpy(className + ControlFactClassSize - 2, "*");
    return true;
}

/* A label too long to keep is no label. */
static void ReadLabel(WindowHandle control, const char* className, char* text) {
    char whole[ControlFactTextSize + 1];
    text[0] = '\0';
    if (!ShowsLabel(className) ||
        PlatformGetWindowText(control, WindowTitleText, whole, sizeof whole) < 0 ||
        strlen(whole) >= (size_t)ControlFactTextSize)
        return;
    strcpy(text, whole);
}

bool ReadControlFacts(WindowHandle control, ControlFacts* facts) {
    facts->control = control;
    facts->place = 0;
    if (!ReadClass(control, facts->className) || !PlatformGetWindowRect(control, &facts->rect))
        return false;
    facts->id = PlatformControlId(control);
    ReadLabel(control, facts->className, facts->text);
    return true;
}

static bool SameClass(WindowHandle control, const char* upperClass) {
    char className[ControlFactClassSize];
    if (!ReadClass(control, className))
        return false;
    PlatformUpperCase(className);
    return strcmp(className, upperClass) == 0;
}

bool DescribeControl(WindowHandle topLevel, WindowHandle target, ControlFacts* facts) {
    if (topLevel == nullptr || target == nullptr || target == topLevel ||
        PlatformTopLevelWindowOf(target) != topLevel || !ReadControlFacts(target, facts))
        return false;
    WindowHandle controls[MaxListedControls];
    int count = PlatformListControls(topLevel, controls, MaxListedControls);
    char upperClass[ControlFactClassSize];
    snprintf(upperClass, sizeof upperClass, "%s", facts->className);
    PlatformUpperCase(upperClass);
    for (int i = 0; i < count; i++) {
        if (controls[i] == target)
            return true;
        if (SameClass(controls[i], upperClass))
            facts->place++;
    }
    return false; /* hidden, or beyond the controls looked at */
}

static void KeepControl(const ControlFacts& facts, RecordedControl* control) {
    memcpy(control->className, facts.className, sizeof control->className);
    memcpy(control->text, facts.text, sizeof control->text);
    control->id = facts.id;
    control->place = facts.place;
    control->rect = facts.rect;
}

/* Asking for a window's monitor costs about 0.2 ms under Wine, and most
 * presses go to the window of the press before, standing where it stood:
 * the monitor is asked again only when the window or its place changed.
 * Each thread that looks at presses keeps its own. */
struct MonitorSeen {
    WindowHandle window;
    ScreenRect rect;
    bool found;
    ScreenRect monitor;
};
static thread_local MonitorSeen lastMonitor;

static bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static bool MonitorOf(WindowHandle window, const ScreenRect& rect, ScreenRect* monitor) {
    MonitorSeen& seen = lastMonitor;
    if (seen.window != window || !SameRect(seen.rect, rect)) {
        seen.window = window;
        seen.rect = rect;
        seen.found = PlatformGetWindowMonitor(window, &seen.monitor);
    }
    *monitor = seen.monitor;
    return seen.found;
}

/* PlatformGetWindowRect gives a minimized window's restored place, so a
 * note never holds the corner of the desktop a minimized window sits in. */
bool LookAtPressWindow(WindowHandle target, bool buttonPress, RecordedWindow* seen) {
    seen->window = PlatformTopLevelWindowOf(target);
    seen->dpi = 0;
    seen->hasMonitor = false;
    seen->hasControl = false;
    if (seen->window == nullptr ||
        PlatformGetWindowText(seen->window, WindowTitleText, seen->title, sizeof seen->title) < 0 ||
        PlatformGetWindowText(seen->window, WindowClassText, seen->className,
                              sizeof seen->className) < 0 ||
        !PlatformGetWindowRect(seen->window, &seen->rect)) {
        seen->window = nullptr;
        return false;
    }
    seen->dpi = PlatformShownDpi(seen->window);
    seen->hasMonitor = MonitorOf(seen->window, seen->rect, &seen->monitor);
    ControlFacts facts;
    if (buttonPress && DescribeControl(seen->window, target, &facts)) {
        seen->hasControl = true;
        KeepControl(facts, &seen->control);
    }
    return true;
}

/*
 * window_follow.cpp: the clicks and moves after a window note land on the
 * same spot of the window, and a press lands on the same control, where
 * the window moved, grew or shrank, or is shown at another display scale
 * than when it was recorded.
 *
 * Two rules, one for each kind of point:
 *   - The window rule: a point is measured from the window's top-left
 *     corner as it was recorded, scaled by the ratio of the window's scale
 *     now to its scale then, and measured again from where the corner is
 *     now. Without a recorded scale the ratio is 1; without a recorded
 *     place nothing moves.
 *   - The control rule: a press noted with the control it went to is
 *     played at the same spot of that control, found again among the
 *     window's controls (by its ID, else its label, else its place among
 *     the controls of its class); its moves and its release follow it.
 *     Points that were inside the control stay inside it, so a control
 *     that did not grow with the scale is still hit. A drag that left the
 *     control keeps its scaled distance from the control.
 * A control that is not found leaves its press to the window rule.
 *
 * When everything is where it was recorded both rules give the recorded
 * points: a recording plays as it always did.
 */
#include <climits>
#include <cstring>

#include "log/log.h"
#include "platform/control_facts.h"
#include "platform/input_rules.h"
#include "playback/playback.h"

struct WindowRule {
    bool active;
    int32_t thenX, thenY; /* the corner as recorded */
    int32_t nowX, nowY;   /* the corner now */
    int32_t dpiThen, dpiNow;
};

struct ControlRule {
    bool active;
    uint32_t release; /* the message that ends the press */
    int32_t thenX, thenY, thenWidth, thenHeight;
    bool middle;            /* the point inside it was not noted: its middle */
    int32_t pressX, pressY; /* the recorded press */
    ScreenRect now;
};

static WindowRule windowRule;
static ControlRule controlRule;
static WindowHandle controls[MaxListedControls];

/* Windows whose scale the log has named, in this pass. */
static const int NamedScaleCount = 8;
static WindowHandle namedScales[NamedScaleCount];
static int nextNamedScale;

/* ---- Arithmetic ---- */

static int32_t Clamped(int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : (int32_t)value;
}

/* offset * now / then, to the nearest pixel. */
static int64_t Scaled(int64_t offset, int32_t now, int32_t then) {
    if (now == then || then <= 0 || now <= 0)
        return offset;
    int64_t product = offset * now;
    int64_t half = then / 2;
    return product >= 0 ? (product + half) / then : -((-product + half) / then);
}

static int32_t KeptWithin(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}

/* ---- The window rule ---- */

static void NameScale(WindowHandle window, const char* title, int32_t dpiThen, int32_t dpiNow) {
    for (WindowHandle named : namedScales) {
        if (named == window)
            return;
    }
    namedScales[nextNamedScale] = window;
    nextNamedScale = (nextNamedScale + 1) % NamedScaleCount;
    LogPrintf(LogMedium,
              "    The window '%s' is shown at %d dpi, recorded at %d dpi: its clicks and moves "
              "are scaled by %d%%",
              title, dpiNow, dpiThen, (int)Scaled(100, dpiNow, dpiThen));
}

static void NameMonitor(const WindowNote& noted, WindowHandle window, const char* title) {
    ScreenRect now;
    if (!noted.hasMonitor || !PlatformGetWindowMonitor(window, &now) ||
        (now.left == noted.monitor.left && now.top == noted.monitor.top &&
         now.right == noted.monitor.right && now.bottom == noted.monitor.bottom))
        return;
    LogPrintf(LogHigh,
              "    The window '%s' was recorded on the monitor at (%d, %d, %d, %d) and is on the "
              "one at (%d, %d, %d, %d)",
              title, noted.monitor.left, noted.monitor.top, noted.monitor.right,
              noted.monitor.bottom, now.left, now.top, now.right, now.bottom);
}

static void StartWindowRule(const WindowNote& noted, WindowHandle window, const char* title) {
    ScreenRect now;
    WindowRule& rule = windowRule;
    rule.active = false;
    rule.dpiThen = noted.dpi;
    rule.dpiNow = noted.dpi > 0 ? PlatformShownDpi(window) : 0;
    if (rule.dpiNow <= 0)
        rule.dpiNow = rule.dpiThen = 1;
    if (rule.dpiNow != rule.dpiThen) {
        NameScale(window, title, rule.dpiThen, rule.dpiNow);
        NameMonitor(noted, window, title);
    }
    if (!noted.hasRect || !PlatformGetWindowRect(window, &now))
        return;
    rule.thenX = noted.rect.left;
    rule.thenY = noted.rect.top;
    rule.nowX = now.left;
    rule.nowY = now.top;
    int32_t shiftX = Clamped((int64_t)rule.nowX - rule.thenX);
    int32_t shiftY = Clamped((int64_t)rule.nowY - rule.thenY);
    rule.active = shiftX != 0 || shiftY != 0 || rule.dpiNow != rule.dpiThen;
    if (shiftX != 0 || shiftY != 0)
        LogPrintf(LogHigh, "    The window '%s' moved by (%d, %d): its clicks and moves follow it",
                  title, shiftX, shiftY);
}

static void ByWindowRule(int32_t* x, int32_t* y) {
    const WindowRule& rule = windowRule;
    if (!rule.active)
        return;
    *x = Clamped(rule.nowX + Scaled((int64_t)*x - rule.thenX, rule.dpiNow, rule.dpiThen));
    *y = Clamped(rule.nowY + Scaled((int64_t)*y - rule.thenY, rule.dpiNow, rule.dpiThen));
}

/* ---- Finding the control again ---- */

struct ControlSearch {
    char className[ControlClassSize]; /* the noted texts in capitals */
    char text[ControlTextSize];
    int32_t id;
    int32_t place;
    int32_t expectedX, expectedY; /* where the window rule puts the press */
};

/* IDs that many controls share: none, and the one of static texts. */
static bool IsDistinctiveId(int32_t id) {
    return id != 0 && id != -1 && id != 0xFFFF;
}

/* How well a control of the noted class answers the note: which rule
 * finds it (3 by ID, 2 by label, 1 by place, 0 none), then what else
 * agrees. Place finds only a control noted without a label: one whose
 * label differs is another control. */
struct Fit {
    int rule;
    int agreements;
    int64_t distance; /* from the expected point to the control, squared */
};

static int64_t DistanceSquared(const ScreenRect& rect, int32_t x, int32_t y) {
    int64_t dx = x < rect.left     ? (int64_t)rect.left - x
                 : x >= rect.right ? (int64_t)x - rect.right + 1
                                   : 0;
    int64_t dy = y < rect.top       ? (int64_t)rect.top - y
                 : y >= rect.bottom ? (int64_t)y - rect.bottom + 1
                                    : 0;
    return dx * dx + dy * dy;
}

static Fit FitOf(const ControlSearch& search, const ControlFacts& facts) {
    char text[ControlFactTextSize];
    snprintf(text, sizeof text, "%s", facts.text);
    PlatformUpperCase(text);
    bool byId = IsDistinctiveId(search.id) && facts.id == search.id;
    bool byText = search.text[0] != '\0' && WindowTextMatches(search.text, text);
    bool byPlace = search.place >= 0 && facts.place == search.place;
    Fit fit;
    fit.rule = byId ? 3 : byText ? 2 : byPlace && search.text[0] == '\0' ? 1 : 0;
    fit.agreements = (byText ? 2 : 0) + (byPlace ? 1 : 0);
    fit.distance = DistanceSquared(facts.rect, search.expectedX, search.expectedY);
    return fit;
}

static bool Better(const Fit& a, const Fit& b) {
    if (a.rule != b.rule)
        return a.rule > b.rule;
    if (a.agreements != b.agreements)
        return a.agreements > b.agreements;
    return a.distance < b.distance;
}

static bool ClassMatches(WindowHandle control, const char* upperPattern) {
    char className[260];
    if (PlatformGetWindowText(control, WindowClassText, className, sizeof className) < 0)
        return false;
    PlatformUpperCase(className);
    return WindowTextMatches(upperPattern, className);
}

/* The best of the window's visible controls of the noted class; the rule
 * that found it in *rule (0: none). */
static bool FindControl(WindowHandle window, const ControlSearch& search, ControlFacts* found,
                        int* rule) {
    int count = PlatformListControls(window, controls, MaxListedControls);
    Fit best = {0, 0, 0};
    int place = 0;
    for (int i = 0; i < count; i++) {
        ControlFacts facts;
        if (!ClassMatches(controls[i], search.className) || !ReadControlFacts(controls[i], &facts))
            continue;
        facts.place = place++;
        Fit fit = FitOf(search, facts);
        if (fit.rule > 0 && (best.rule == 0 || Better(fit, best))) {
            best = fit;
            *found = facts;
        }
    }
    *rule = best.rule;
    return best.rule > 0;
}

static const char* const RuleNames[] = {"", "its place", "its label", "its ID"};

static void DescribeNotedControl(int32_t note, char* text, size_t size) {
    const ControlDescription& described = ControlDescriptionOfNote(note);
    const NoteControl& control = gRecording.windows->notes[note].control;
    if (described.text[0] != '\0')
        snprintf(text, size, "'%s' (%s, ID %d)", described.text, described.className,
                 (int)control.id);
    else
        snprintf(text, size, "%s (ID %d)", described.className, (int)control.id);
}

/* ---- The control rule ---- */

static uint32_t ReleaseOf(uint32_t message) {
    switch (message) {
    case MsgLButtonDown:
    case MsgLButtonDblClk:
        return MsgLButtonUp;
    case MsgRButtonDown:
    case MsgRButtonDblClk:
        return MsgRButtonUp;
    case MsgMButtonDown:
    case MsgMButtonDblClk:
        return MsgMButtonUp;
    case MsgXButtonDown:
    case MsgXButtonDblClk:
        return MsgXButtonUp;
    default:
        return 0;
    }
}

static void StartControlRule(int32_t note, const EventRecord& press, const ControlFacts& found) {
    const NoteControl& noted = gRecording.windows->notes[note].control;
    ControlRule& rule = controlRule;
    rule.active = true;
    rule.release = ReleaseOf(press.message);
    rule.pressX = press.paramL;
    rule.pressY = MouseEventY(press);
    rule.middle = noted.x < 0 || noted.y < 0;
    rule.thenX = Clamped((int64_t)rule.pressX - noted.x);
    rule.thenY = Clamped((int64_t)rule.pressY - noted.y);
    rule.thenWidth = noted.width;
    rule.thenHeight = noted.height;
    rule.now = found.rect;
}

static void FollowControl(int32_t note, WindowHandle window, const EventRecord& press) {
    char described[ControlClassSize + ControlTextSize + 40];
    DescribeNotedControl(note, described, sizeof described);
    const ControlDescription& noted = ControlDescriptionOfNote(note);
    const NoteControl& control = gRecording.windows->notes[note].control;
    ControlSearch search;
    snprintf(search.className, sizeof search.className, "%s", noted.className);
    snprintf(search.text, sizeof search.text, "%s", noted.text);
    PlatformUpperCase(search.className);
    PlatformUpperCase(search.text);
    search.id = control.id;
    search.place = control.place;
    search.expectedX = press.paramL;
    search.expectedY = MouseEventY(press);
    ByWindowRule(&search.expectedX, &search.expectedY);
    ControlFacts found;
    int rule = 0;
    if (!FindControl(window, search, &found, &rule)) {
        LogPrintf(LogMedium,
                  "    The control %s was not found in the window: the press plays by the "
                  "window's corner",
                  described);
        return;
    }
    StartControlRule(note, press, found);
    LogPrintf(LogHigh, "    The control %s was found by %s at (%d, %d, %d, %d)", described,
              RuleNames[rule], found.rect.left, found.rect.top, found.rect.right,
              found.rect.bottom);
    if (!PlatformIsWindowEnabled(found.control))
        LogPrintf(LogMedium, "    The control %s is disabled: the press may do nothing", described);
}

/* The point relative to the control as recorded, scaled, from the
 * control's corner now; a point that was inside the control stays in it. */
static void ByControlRule(int32_t* x, int32_t* y) {
    const ControlRule& rule = controlRule;
    int32_t dpiNow = windowRule.dpiNow;
    int32_t dpiThen = windowRule.dpiThen;
    int64_t dx = (int64_t)*x - (rule.middle ? rule.pressX : rule.thenX);
    int64_t dy = (int64_t)*y - (rule.middle ? rule.pressY : rule.thenY);
    bool inside = rule.middle ? dx == 0 && dy == 0
                              : dx >= 0 && dy >= 0 &&
                                    ((dx < rule.thenWidth && dy < rule.thenHeight) ||
                                     (*x == rule.pressX && *y == rule.pressY));
    int64_t originX = rule.middle ? ((int64_t)rule.now.left + rule.now.right) / 2 : rule.now.left;
    int64_t originY = rule.middle ? ((int64_t)rule.now.top + rule.now.bottom) / 2 : rule.now.top;
    *x = Clamped(originX + Scaled(dx, dpiNow, dpiThen));
    *y = Clamped(originY + Scaled(dy, dpiNow, dpiThen));
    if (!inside || rule.now.right <= rule.now.left || rule.now.bottom <= rule.now.top)
        return;
    *x = KeptWithin(*x, rule.now.left, rule.now.right - 1);
    *y = KeptWithin(*y, rule.now.top, rule.now.bottom - 1);
}

/* ---- What the scheduler and the wait call ---- */

void FollowNotedWindow(int32_t note, WindowHandle window, const char* title) {
    const WindowNote& noted = gRecording.windows->notes[note];
    controlRule.active = false;
    StartWindowRule(noted, window, title);
    const EventRecord& event = gRecording.events[gJournal.position];
    if (noted.hasControl && ReleaseOf(event.message) != 0)
        FollowControl(note, window, event);
}

void StopFollowing(void) {
    windowRule = WindowRule{false, 0, 0, 0, 0, 1, 1};
    controlRule.active = false;
}

void ForgetFollowedWindows(void) {
    StopFollowing();
    memset(namedScales, 0, sizeof namedScales);
    nextNamedScale = 0;
}

void FollowMovedWindow(EventRecord* record) {
    if ((!windowRule.active && !controlRule.active) || !IsMouseMessage(record->message))
        return;
    int32_t x = record->paramL;
    int32_t y = MouseEventY(*record);
    if (controlRule.active)
        ByControlRule(&x, &y);
    else
        ByWindowRule(&x, &y);
    if (controlRule.active && record->message == controlRule.release)
        controlRule.active = false;
    record->paramL = x;
    record->paramH = MouseEventParamH(record->message, y, record->paramH >> 16);
}

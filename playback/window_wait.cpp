/*
 * window_wait.cpp: playback waits for the window an event was recorded in,
 * follows it when it moved, and never sends the event anywhere else.
 *
 * A program may start later during a replay than it did while recording,
 * or open its window somewhere else; a replay that clicked and typed as
 * recorded would then click on the desktop and type into whatever has the
 * focus. So before an event that carries a window note is sent, a visible
 * top-level window with the noted title, class and program must be there
 * (the foreground window if it is one, else the topmost), never a hidden
 * or cloaked one; it is brought to the front if it is not, restored if it
 * is minimized, and the mouse records from the note on land on the same
 * spot of it (window_follow.cpp). A window that has not come within the
 * limit ends the run as a GOTO that fails; so does one that Windows will
 * not let Mirlow bring to the front.
 *
 * The hook never sleeps: while the window is missing it answers the
 * system with short delays and looks again when asked again, so the
 * cancel keys end a wait at once. When every window is there, a note
 * costs one look at the foreground window.
 */
#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "log/log.h"
#include "playback/playback.h"
#include "settings/settings.h"

static const int32_t LongestWait = 24 * 60 * 60; /* seconds */
static const int ShownWindowCapacity = 1024;
static const int OtherWindowsNamed = 3;

struct WindowWaits {
    int32_t noteCursor;           /* the first note not yet passed */
    int32_t readyAt;              /* the position whose window is there, or -1 */
    WindowHandle readyForeground; /* the foreground window then, null: no note */
    int32_t waitingAt;            /* the position whose window is waited for, or -1 */
    uint32_t waitStart;
    int32_t restoringAt;  /* the position whose minimized window is being restored, or -1 */
    bool hasRestorePlace; /* restorePlace holds where it comes back to */
    ScreenRect restorePlace;
    ProcessHandle program; /* a started program waited for, or null */
    const char* programLine;
    uint32_t programStart;
    WindowHandle frontBefore; /* the foreground window when it was started */
    bool handingOver;         /* it shows no window: a new one is looked for */
};

static const WindowWaits NoWaits = {
    0, -1, nullptr, -1, 0, -1, false, ScreenRect{0, 0, 0, 0}, nullptr, nullptr, 0, nullptr, false};
/* How long a window restored from minimized may take to stand at its
 * place again before the place it stands at counts. */
static const int32_t RestoreSettleMs = 1000;
static WindowWaits waits = NoWaits;
static WindowHandle shownWindows[ShownWindowCapacity];

int32_t WindowWaitLimit(void) {
    int32_t seconds = gSettings.windowWait;
    if (seconds <= 0)
        return 0;
    return (seconds < LongestWait ? seconds : LongestWait) * 1000;
}

/* ---- Matching ---- */

/* '*' matches any run; on a mismatch the last '*' takes one character
 * more, which is enough for patterns of one wildcard kind. */
bool WindowTextMatches(const char* pattern, const char* text) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*text != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = text;
        } else if (*pattern == *text) {
            pattern++;
            text++;
        } else if (star != nullptr) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        pattern++;
    return *pattern == '\0';
}

/* What never changes about a window: whose it is, its class and its
 * program. Kept for the last few windows looked at, in capitals, so that a
 * note whose window is already there costs a look at its title alone.
 * Forgotten at every pass, so a window handle the system hands out again
 * later is read afresh. */
struct KnownWindow {
    WindowHandle window;
    bool own;
    bool readable;
    char className[WindowClassSize];
    char program[WindowProgramSize];
};
static const int KnownWindowCount = 8;
static KnownWindow knownWindows[KnownWindowCount];
static int nextKnownWindow;

/* The window's facts as kept; a window not kept yet is read now and takes
 * the place of the one kept longest. */
static const KnownWindow& CachedWindowFacts(WindowHandle window) {
    for (const KnownWindow& known : knownWindows) {
        if (known.window == window)
            return known;
    }
    KnownWindow& known = knownWindows[nextKnownWindow];
    nextKnownWindow = (nextKnownWindow + 1) % KnownWindowCount;
    known.window = window;
    known.own = PlatformIsOwnWindow(window);
    known.readable =
        PlatformGetWindowText(window, WindowClassText, known.className, WindowClassSize) >= 0;
    /* A program that cannot be named (another user's) matches only a
     * note that names none, as the recorder writes it then. */
    if (PlatformGetWindowText(window, WindowProgramText, known.program, WindowProgramSize) < 0)
        known.program[0] = '\0';
    PlatformUpperCase(known.className);
    PlatformUpperCase(known.program);
    return known;
}

static void ForgetKnownWindows(void) {
    memset(knownWindows, 0, sizeof knownWindows);
    nextKnownWindow = 0;
}

/* A description in capitals, as the window's texts are compared. */
static void Capitalize(const WindowDescription& description, WindowDescription* capitals) {
    *capitals = description;
    PlatformUpperCase(capitals->title);
    PlatformUpperCase(capitals->className);
    PlatformUpperCase(capitals->program);
}

/* The title is read every time: it is what changes (the document shown). */
static bool WindowMatches(WindowHandle window, const WindowDescription& capitals) {
    if (window == nullptr || !PlatformIsWindowShown(window) || PlatformIsWindowCloaked(window))
        return false;
    const KnownWindow& known = CachedWindowFacts(window);
    char title[WindowTitleSize + 1];
    if (known.own || !known.readable || !WindowTextMatches(capitals.className, known.className) ||
        !WindowTextMatches(capitals.program, known.program) ||
        PlatformGetWindowText(window, WindowTitleText, title, sizeof title) < 0)
        return false;
    PlatformUpperCase(title);
    return WindowTextMatches(capitals.title, title);
}

/* The foreground window first: it is the one the recording left in front
 * and most often the one it goes on with. */
static WindowHandle FindDescribedWindow(const WindowDescription& description, bool* inFront) {
    WindowDescription capitals;
    Capitalize(description, &capitals);
    WindowHandle foreground = PlatformForegroundWindow();
    *inFront = WindowMatches(foreground, capitals);
    if (*inFront)
        return foreground;
    int count = PlatformListShownWindows(shownWindows, ShownWindowCapacity);
    for (int i = 0; i < count; i++) {
        if (shownWindows[i] != foreground && WindowMatches(shownWindows[i], capitals))
            return shownWindows[i];
    }
    return nullptr;
}

/* ---- The wait's end ---- */

/* Another document of the same program is not the window; the log names
 * those that are open, which is usually what the user needs to know. */
static void LogOtherWindowsOfProgram(const WindowDescription& description) {
    WindowDescription sameProgram;
    Capitalize(description, &sameProgram);
    strcpy(sameProgram.title, "*");
    strcpy(sameProgram.className, "*");
    int count = PlatformListShownWindows(shownWindows, ShownWindowCapacity);
    for (int i = 0, named = 0; i < count && named < OtherWindowsNamed; i++) {
        char title[WindowTitleSize];
        if (!WindowMatches(shownWindows[i], sameProgram) ||
            PlatformGetWindowText(shownWindows[i], WindowTitleText, title, sizeof title) < 0)
            continue;
        LogPrintf(LogLow, "    ...Open window of '%s': '%s'", description.program, title);
        named++;
    }
}

/* Ends the run as a GOTO that fails ends it: the hook goes first, then
 * the box, then the log. */
static intptr_t FailNotedWindow(int32_t note, bool refusedFront, bool notAnswering) {
    WindowDescription description = DescriptionOfNote(note);
    bool waited = waits.waitingAt == gJournal.position;
    int32_t waitedMs = waited ? (int32_t)(PlatformTickCount() - waits.waitStart) : 0;
    int32_t number = gJournal.position + 1;
    char message[WindowTitleSize + WindowProgramSize + 260];
    AbortPlayback();
    if (refusedFront)
        snprintf(message, sizeof message,
                 "Unable to bring the window '%s' (%s) that the recording plays into to the "
                 "front!%s\n\nThe playback has stopped.",
                 description.title, description.program,
                 notAnswering ? "\n\nThe window is there, but its program does not answer: it "
                                "is busy or has stopped responding."
                              : "");
    else
        snprintf(message, sizeof message,
                 "Unable to find the window '%s' (%s) that the recording plays into!\n\nMirlow "
                 "waited %d seconds for it. The playback has stopped.",
                 description.title, description.program, WindowWaitLimit() / 1000);
    ReportPlaybackError(message, description.title, BoxOk | BoxIconWarning | BoxSystemModal);
    if (refusedFront) {
        LogPrintf(LogLow,
                  "    ERROR: Event #%d: Unable to bring the window '%s' (program '%s') "
                  "to the front!",
                  number, description.title, description.program);
        if (notAnswering)
            LogPrintf(LogLow, "    ...The window is there, but its program does not answer "
                              "(busy or not responding)");
        else
            LogPrintf(LogLow, "    ...The window is there, but Windows did not let Mirlow bring "
                              "it to the front");
        return 0;
    }
    LogPrintf(LogLow,
              "    ERROR: Event #%d: The window '%s' (program '%s', class '%s') did not "
              "come within %d ms!",
              number, description.title, description.program, description.className, waitedMs);
    LogOtherWindowsOfProgram(description);
    return 0;
}

/* A minimized window is asked once to come back; its place counts only
 * once it is back, as the system restores it on its own time. */
static intptr_t AwaitRestore(int32_t note) {
    if (waits.restoringAt != gJournal.position) {
        waits.restoringAt = gJournal.position;
        waits.waitStart = PlatformTickCount();
        waits.hasRestorePlace = false;
    }
    int32_t waited = (int32_t)(PlatformTickCount() - waits.waitStart);
    int32_t limit = WindowWaitLimit();
    if (waited >= limit)
        return FailNotedWindow(note, true, false);
    int32_t left = limit - waited;
    return left < WindowWaitInterval ? left : WindowWaitInterval;
}

static bool SameRect(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

/* A system may report a window as no longer minimized a moment before it
 * stands at its place again (Wine does, as the window's own thread does
 * the restore): its place counts once it stands where it was to come back
 * to, or after RestoreSettleMs for a program that puts itself elsewhere.
 * Where the system does not say where it comes back to (Wine), the place
 * counts after one more interval. */
static bool StillComingBack(WindowHandle window) {
    ScreenRect now;
    return waits.hasRestorePlace &&
           (int32_t)(PlatformTickCount() - waits.waitStart) < RestoreSettleMs &&
           PlatformGetWindowRect(window, &now) && !SameRect(now, waits.restorePlace);
}

/* What the hook answers while the cancel keys that ended a wait take the
 * playback away: ask again a little later; the event is not sent. */
static const intptr_t CancelledWait = WindowWaitInterval;

/* The window is there: in front it must be, restored when it is
 * minimized, and a script command's note moves nothing (its clicks name
 * their own points). */
static intptr_t WindowIsThere(int32_t note, WindowHandle window, bool inFront, bool placeholder) {
    const WindowDescription& description = DescriptionOfNote(note);
    bool minimized = PlatformIsWindowMinimized(window);
    if (waits.restoringAt == gJournal.position && (minimized || StillComingBack(window)))
        return AwaitRestore(note);
    if (waits.waitingAt == gJournal.position)
        LogPrintf(LogMedium, "    The window '%s' came after %d ms", description.title,
                  (int)(PlatformTickCount() - waits.waitStart));
    if (minimized) {
        LogPrintf(LogMedium, "    The window '%s' is minimized: restoring it", description.title);
        waits.restoringAt = gJournal.position;
        waits.waitStart = PlatformTickCount();
        waits.hasRestorePlace = PlatformGetWindowRect(window, &waits.restorePlace);
    }
    if (minimized || (!inFront && !PlatformWaitForForeground(window, 0))) {
        LogPrintf(LogHigh, "    Bringing the window '%s' to the front", description.title);
        FrontOutcome front = BringWindowToFront(window);
        if (front == FrontCancelled)
            return CancelledWait;
        if (front != FrontReached)
            return FailNotedWindow(note, true, front == FrontNotAnswering);
        if (PlatformIsWindowMinimized(window) ||
            (minimized && (!waits.hasRestorePlace || StillComingBack(window))))
            return AwaitRestore(note);
    }
    if (!placeholder)
        FollowNotedWindow(note, window, description.title);
    waits.waitingAt = -1;
    waits.restoringAt = -1;
    waits.readyAt = gJournal.position;
    waits.readyForeground = PlatformForegroundWindow();
    return WindowReady;
}

/* ---- The gate before an event ---- */

static intptr_t KeepWaiting(int32_t note, int32_t limit) {
    const WindowDescription& description = DescriptionOfNote(note);
    if (waits.waitingAt != gJournal.position) {
        waits.waitingAt = gJournal.position;
        waits.waitStart = PlatformTickCount();
        LogPrintf(LogMedium,
                  "    Waiting up to %d ms for the window '%s' (program '%s', class "
                  "'%s')...",
                  limit, description.title, description.program, description.className);
    }
    int32_t waited = (int32_t)(PlatformTickCount() - waits.waitStart);
    if (waited >= limit)
        return FailNotedWindow(note, false, false);
    int32_t left = limit - waited;
    return left < WindowWaitInterval ? left : WindowWaitInterval;
}

/* The window was found before: the event may go as long as the foreground
 * window is still the one it was then; otherwise it is looked for again. */
static bool StillReady(int32_t position) {
    if (waits.readyAt != position)
        return false;
    if (waits.readyForeground == nullptr || PlatformForegroundWindow() == waits.readyForeground)
        return true;
    waits.readyAt = -1;
    return false;
}

intptr_t AwaitEventWindow(void) {
    int32_t position = gJournal.position;
    if (StillReady(position))
        return WindowReady;
    bool placeholder = IsPlaceholderEvent(gRecording.events[position]);
    if (placeholder)
        StopFollowing();
    int32_t limit = WindowWaitLimit();
    int32_t note = limit > 0 ? WindowNoteAt(&waits.noteCursor, position) : -1;
    if (note < 0) {
        waits.readyAt = position;
        waits.readyForeground = nullptr;
        return WindowReady;
    }
    bool inFront = false;
    WindowHandle window = FindDescribedWindow(DescriptionOfNote(note), &inFront);
    if (window != nullptr)
        return WindowIsThere(note, window, inFront, placeholder);
    return KeepWaiting(note, limit);
}

bool LookAheadForEventWindow(void) {
    int32_t limit = WindowWaitLimit();
    int32_t note = limit > 0 ? WindowNoteAt(&waits.noteCursor, gJournal.position) : -1;
    if (note < 0)
        return true;
    bool inFront = false;
    WindowHandle window = FindDescribedWindow(DescriptionOfNote(note), &inFront);
    intptr_t answer = window != nullptr ? WindowIsThere(note, window, inFront, false) : WindowReady;
    return answer == WindowReady || answer == CancelledWait;
}

bool AwaitingEventWindow(void) {
    return waits.waitingAt >= 0 && waits.waitingAt == gJournal.position;
}

/* ---- START: the started program ---- */

static void LetProgramGo(void) {
    if (waits.program != nullptr)
        PlatformCloseProcess(waits.program);
    waits.program = nullptr;
}

void ResetWindowWaits(void) {
    LetProgramGo();
    ForgetKnownWindows();
    ForgetFollowedWindows();
    ForgetGotoWait();
    waits = NoWaits;
}

bool AwaitingProgram(void) {
    return waits.program != nullptr;
}

/* The wait is over: the program is let go, and the hook goes on. */
static intptr_t ProgramWaitDone(void) {
    LetProgramGo();
    return 0;
}

static intptr_t LookAgainWithin(int32_t waited, int32_t limit) {
    int32_t left = limit - waited;
    return left < WindowWaitInterval ? left : WindowWaitInterval;
}

/* A program that hands over to another process (a launcher, a Store
 * app's stub) ends at once or never shows a window of its own: the window
 * that comes to the front after it started is its window. */
static intptr_t AwaitHandOver(int32_t waited, int32_t limit) {
    WindowHandle front = PlatformForegroundWindow();
    char title[WindowTitleSize + 1];
    char program[WindowProgramSize];
    if (front != nullptr && front != waits.frontBefore && !PlatformIsOwnWindow(front) &&
        PlatformIsWindowShown(front) && !PlatformIsWindowCloaked(front) &&
        PlatformGetWindowText(front, WindowTitleText, title, sizeof title) >= 0) {
        if (PlatformGetWindowText(front, WindowProgramText, program, sizeof program) < 0)
            snprintf(program, sizeof program, "?");
        LogPrintf(LogMedium, "    The window '%s' (program '%s') came to the front after %d ms",
                  title, program, waited);
        return ProgramWaitDone();
    }
    if (waited < limit)
        return LookAgainWithin(waited, limit);
    LogPrintf(LogMedium, "    No new window came to the front within %d ms; going on", limit);
    return ProgramWaitDone();
}

/* The answer while the program starts, or 0 once the wait is decided. */
static intptr_t CheckProgram(int32_t limit) {
    int32_t waited = (int32_t)(PlatformTickCount() - waits.programStart);
    if (waits.handingOver)
        return AwaitHandOver(waited, limit);
    ProcessReadiness readiness = PlatformProcessReadiness(waits.program);
    bool ended = PlatformWaitForProcess(waits.program, 0) == ProcessEnded;
    if (readiness == ProcessReady && !ended && PlatformProcessShowsWindow(waits.program)) {
        LogPrintf(LogMedium, "    '%s' was ready for input after %d ms", waits.programLine, waited);
        return ProgramWaitDone();
    }
    if (readiness == ProcessStarting && !ended) {
        if (waited < limit)
            return LookAgainWithin(waited, limit);
        LogPrintf(LogMedium, "    '%s' was not ready for input within %d ms; going on",
                  waits.programLine, limit);
        return ProgramWaitDone();
    }
    LogPrintf(LogMedium, "    '%s' %s: waiting for a new window to come to the front...",
              waits.programLine,
              ended                       ? "ended"
              : readiness == ProcessReady ? "shows no window of its own"
                                          : "takes no input of its own");
    waits.handingOver = true;
    return AwaitHandOver(waited, limit);
}

intptr_t AwaitProgramReady(ProcessHandle process, const char* commandLine,
                           WindowHandle frontBefore) {
    int32_t limit = WindowWaitLimit();
    LetProgramGo();
    if (limit == 0) {
        PlatformCloseProcess(process);
        return 0;
    }
    waits.program = process;
    waits.programLine = commandLine;
    waits.programStart = PlatformTickCount();
    waits.frontBefore = frontBefore;
    waits.handingOver = false;
    LogPrintf(LogMedium, "    Waiting up to %d ms for '%s' to be ready for input...", limit,
              commandLine);
    return CheckProgram(limit);
}

intptr_t ContinueProgramWait(void) {
    if (waits.program == nullptr)
        return 0;
    return CheckProgram(WindowWaitLimit());
}

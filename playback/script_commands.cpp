/*
 * script_commands.cpp: what a script command does when playback reaches
 * its placeholder. The value returned is what the hook answers the system:
 * how many milliseconds to wait before the placeholder is asked for again.
 *
 * Everything here runs inside the playback hook. Typed text and clicks are
 * inserted right after the placeholder, so they play next, at once (their
 * time is 0), and the anchors of the commands after them move along.
 */
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "log/log.h"
#include "playback/playback.h"
#include "settings/settings.h"

static const int MessageSize = ScriptTextSize + 128;
static const intptr_t GotoSettleDelay = 250;
static const int ForegroundWait = 1000; /* ms, for each way of bringing a window forward */
static const int AnswerWait = 1000;     /* ms, for each check that the window answers */

/* A program that has already ended (a launcher that handed over to
 * another process) was started all the same. */
static ProcessHandle StartProgram(const char* commandLine) {
    ProcessHandle process = PlatformStartProcess(commandLine);
    if (process != nullptr)
        PlatformWaitForProcess(process, 10);
    return process;
}

bool RunProgram(const char* commandLine) {
    ProcessHandle process = StartProgram(commandLine);
    if (process == nullptr)
        return false;
    PlatformCloseProcess(process);
    return true;
}

/* The log says why, in the system's words, and names the case the user
 * can act on: a program that asks for higher rights than Mirlow has. A
 * program that started is waited for until it is ready for input. */
static intptr_t RunStart(const char* text) {
    WindowHandle frontBefore = PlatformForegroundWindow();
    ProcessHandle process = StartProgram(text);
    if (process != nullptr)
        return AwaitProgramReady(process, text, frontBefore);
    char reason[200];
    StartFailure failure = PlatformLastStartFailure(reason, sizeof reason);
    char message[MessageSize];
    AbortPlayback();
    snprintf(message, sizeof message,
             "Unable to START the program '%s'!\n\nThe playback has stopped.", text);
    ReportPlaybackError(message, text, BoxOk | BoxIconWarning | BoxSystemModal);
    LogPrintf(LogLow, "    ERROR: Unable to start '%s'!", text);
    LogPrintf(LogLow, "    ...Windows says: %s", reason);
    if (failure == StartFailedNeedsElevation)
        LogPrintf(LogLow, "    ...The program asks for higher rights than Mirlow has: it can "
                          "only be started by a program that runs as administrator");
    return 0;
}

/* Windows may refuse to bring a window to the front for a program that is
 * not in the foreground itself, and only flash its taskbar button; what
 * follows would then go to whatever has the focus. So the window must
 * really be the foreground window afterwards, after one more try by the
 * further means the system allows. The window's program may be busy or
 * hung: it is asked first whether it answers, and before the further
 * means again, since it may have stopped meanwhile. */
FrontOutcome BringWindowToFront(WindowHandle window) {
    bool answers = PlatformWindowAnswers(window, AnswerWait);
    if (PlatformCancelKeysPressed())
        return FrontCancelled;
    if (!answers)
        return FrontNotAnswering;
    PlatformActivateWindow(window, PlatformIsWindowMinimized(window) ? ShowRestore : ShowShow);
    if (PlatformWaitForForeground(window, ForegroundWait))
        return FrontReached;
    answers = PlatformWindowAnswers(window, AnswerWait);
    if (PlatformCancelKeysPressed())
        return FrontCancelled;
    if (!answers)
        return FrontNotAnswering;
    PlatformForceForeground(window);
    bool reached = PlatformWaitForForeground(window, ForegroundWait);
    return reached ? FrontReached : PlatformCancelKeysPressed() ? FrontCancelled : FrontRefused;
}

static const char* const GotoFailedText =
    "Unable to find and GOTO window with the title '%s'!\n\nThe playback has stopped.";
static const char* const NotAnsweringText =
    "\n\nThe window is there, but its program does not answer: it is busy or has stopped "
    "responding.";

/* A window that is there but cannot be reached fails as a missing one
 * does, with a line that says why; the box says so too when the window's
 * program does not answer, since the user can see the window. */
static void ReportGotoFailure(const char* text, bool found, FrontOutcome outcome) {
    char message[MessageSize];
    AbortPlayback();
    int length = snprintf(message, sizeof message, GotoFailedText, text);
    if (found && outcome == FrontNotAnswering && length > 0 && length < MessageSize)
        snprintf(message + length, sizeof message - (size_t)length, "%s", NotAnsweringText);
    ReportPlaybackError(message, text, BoxOk | BoxIconWarning | BoxSystemModal);
    LogPrintf(LogLow, "    ERROR: Unable to find window '%s'!", text);
    if (found && outcome == FrontNotAnswering)
        LogPrintf(LogLow, "    ...The window is there, but its program does not answer (busy or "
                          "not responding)");
    else if (found)
        LogPrintf(LogLow, "    ...The window is there, but Windows did not let Mirlow bring it "
                          "to the front");
}

/* A GOTO whose window is not there yet waits for it as a noted event
 * does, looking again every WindowWaitInterval. */
struct GotoWait {
    const char* title; /* null: no GOTO waits */
    uint32_t start;
};
static GotoWait gotoWait = {nullptr, 0};

/* The program's own window is found by its title even while it is hidden
 * (a command-line run hides it): a script may show it. No other hidden
 * window is ever found. */
static bool IsOwnWindowTitled(WindowHandle window, const char* title) {
    char own[ScriptTextSize];
    char wanted[ScriptTextSize];
    if (window == nullptr || PlatformGetWindowTitle(window, own, sizeof own) <= 0)
        return false;
    snprintf(wanted, sizeof wanted, "%s", title);
    PlatformUpperCase(own);
    PlatformUpperCase(wanted);
    return strcmp(own, wanted) == 0;
}

static WindowHandle FindGotoWindow(const char* title) {
    WindowHandle window = PlatformFindGotoWindow(title);
    if (window == nullptr && IsOwnWindowTitled(MainWindowHandle(), title))
        window = MainWindowHandle();
    return window;
}

/* Brings the window found to the front, or ends the run as a GOTO that
 * fails. */
static intptr_t GoTo(const char* text, WindowHandle window) {
    FrontOutcome outcome = window != nullptr ? BringWindowToFront(window) : FrontRefused;
    if (outcome == FrontCancelled)
        return 0;
    if (window != nullptr && outcome == FrontReached) {
        gJournal.gotoWindow = window;
        LogPrintf(LogMedium, "    Found window '%s'", text);
        return GotoSettleDelay;
    }
    ReportGotoFailure(text, window != nullptr, outcome);
    return GotoSettleDelay;
}

static intptr_t RunGoto(const char* text) {
    LogPrintf(LogMedium, "    Searching for window '%s'...", text);
    WindowHandle window = FindGotoWindow(text);
    int32_t limit = WindowWaitLimit();
    if (window != nullptr || limit == 0)
        return GoTo(text, window);
    gotoWait = GotoWait{text, PlatformTickCount()};
    LogPrintf(LogMedium, "    Waiting up to %d ms for the window '%s'...", limit, text);
    return limit < WindowWaitInterval ? limit : WindowWaitInterval;
}

bool AwaitingGotoWindow(void) {
    return gotoWait.title != nullptr;
}

intptr_t ContinueGotoWait(void) {
    const char* text = gotoWait.title;
    if (text == nullptr)
        return 0;
    int32_t waited = (int32_t)(PlatformTickCount() - gotoWait.start);
    int32_t limit = WindowWaitLimit();
    WindowHandle window = FindGotoWindow(text);
    if (window != nullptr) {
        gotoWait.title = nullptr;
        LogPrintf(LogMedium, "    The window '%s' came after %d ms", text, waited);
        return GoTo(text, window);
    }
    if (waited < limit) {
        int32_t left = limit - waited;
        return left < WindowWaitInterval ? left : WindowWaitInterval;
    }
    gotoWait.title = nullptr;
    LogPrintf(LogMedium, "    The window '%s' did not come within %d ms", text, waited);
    return GoTo(text, nullptr);
}

void ForgetGotoWait(void) {
    gotoWait.title = nullptr;
}

static intptr_t RunType(const char* text) {
    LogPrintf(LogMedium, "    Typing '%s'...", text);
    int32_t after = gJournal.position + 1;
    int32_t typed = ExpandAutoType(after, text);
    gRecording.eventCount += typed;
    ShiftAnchors(after, typed);
    return 0;
}

/* The number at the start of the text: blanks, a sign, digits. A count of
 * seconds too large for a delay waits as long as a delay can. */
static intptr_t RunWait(const char* text) {
    const char* at = text;
    while (*at == ' ' || *at == '\t')
        at++;
    bool negative = *at == '-';
    if (*at == '-' || *at == '+')
        at++;
    int64_t seconds = 0;
    for (; *at >= '0' && *at <= '9' && seconds <= INT32_MAX; at++)
        seconds = seconds * 10 + (*at - '0');
    /* A negative count waits nothing; waiting "minus five seconds" would
     * otherwise bank five seconds of surplus and rush what follows. */
    int64_t ms = negative ? 0 : seconds * 1000;
    if (ms > INT32_MAX)
        ms = INT32_MAX;
    gJournal.delayStart = PlatformTickCount();
    gJournal.pendingDelay = (int32_t)ms;
    return (intptr_t)ms;
}

static bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

/* Up to 8 digits at *at; *at moves past the digits read. A minus sign
 * right before the digits makes the number negative: points left of or
 * above the main monitor are on the others. */
static int32_t ReadCoordinate(const char** at, bool negative) {
    int32_t value = 0;
    for (int digits = 0; digits < 8 && IsDigit(**at); digits++, (*at)++)
        value = value * 10 + (**at - '0');
    return negative ? -value : value;
}

/* "300,200", "300 200" and "300, 200" all name the point (300, 200);
 * "-300,-200" the point (-300, -200). */
static void ReadPoint(const char* text, int32_t* x, int32_t* y) {
    const char* at = text;
    bool negative = at[0] == '-' && IsDigit(at[1]);
    at += negative ? 1 : 0;
    *x = ReadCoordinate(&at, negative);
    while (*at != '\0' && !IsDigit(*at))
        at++;
    negative = at > text && at[-1] == '-';
    *y = ReadCoordinate(&at, negative);
}

/* A WINDOWCLICK with no window to be relative to (no GOTO yet, or the
 * window has gone) clicks at the given point on the screen. A window far
 * off the screen cannot push the point past the 32-bit range: the sum
 * stops at its end. */
static int32_t AddClamped(int32_t a, int32_t b) {
    int64_t sum = (int64_t)a + b;
    return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : (int32_t)sum;
}

static void AddGotoWindowCorner(int32_t* x, int32_t* y) {
    ScreenRect rect;
    if (gJournal.gotoWindow == nullptr || !PlatformGetWindowRect(gJournal.gotoWindow, &rect))
        return;
    *x = AddClamped(*x, rect.left);
    *y = AddClamped(*y, rect.top);
}

/* In the order the log shows: later commands move first, then the point
 * is worked out and announced, then the button goes down and up. A full
 * list refuses the click before anything moves. */
static intptr_t RunClick(const char* text, bool relativeToWindow) {
    int32_t at = gJournal.position + 1;
    if (!MakeRoomForEvents(at, 2))
        return 0;
    int32_t x, y;
    ReadPoint(text, &x, &y);
    if (relativeToWindow)
        AddGotoWindowCorner(&x, &y);
    LogPrintf(LogMedium, "    Mouse clicking at screen coordinate (%d, %d)...", x, y);
    EventRecord click[2] = {{MsgLButtonDown, x, y, 0, 0}, {MsgLButtonUp, x, y, 0, 0}};
    PlaceEvents(at, click, 2);
    return 0;
}

intptr_t RunScriptCommand(int index) {
    ScriptCommand command = GetScriptCommand(index);
    LogPrintf(LogMedium, "Play Event #%d at %li: Script Command #%d: %s '%s'",
              gJournal.position + 1, LogSigned32(PlatformTickCount()), index,
              KeywordOfKind(command.kind), command.text);
    switch (command.kind) {
    case CommandStart:
        return RunStart(command.text);
    case CommandGoto:
        return RunGoto(command.text);
    case CommandType:
        return RunType(command.text);
    case CommandWait:
        return RunWait(command.text);
    case CommandMouseClick:
        return RunClick(command.text, false);
    case CommandWindowClick:
        return RunClick(command.text, true);
    default:
        return 0;
    }
}

/* ---- The Special Type key ---- */

enum TypeKeyChoice {
    TypeLoopNumber = 1,
    TypeRandomNumber = 2,
    TypeTime = 3,
    TypeDateAndTime = 4,
    TypeTimeAsNumber = 5,
};

static void FormatTypeKeyText(char* text, size_t size) {
    LocalTime now;
    switch (gSettings.typeThis) {
    case TypeRandomNumber:
        snprintf(text, size, "%li", (long)RandomInRange(gSettings.randomMin, gSettings.randomMax));
        return;
    case TypeTime:
        PlatformLocalTime(&now);
        snprintf(text, size, "%02d:%02d:%02d", now.hour, now.minute, now.second);
        return;
    case TypeDateAndTime:
        PlatformLocalTime(&now);
        snprintf(text, size, "%02d/%02d/%02d %02d:%02d:%02d", now.month, now.day, now.year,
                 now.hour, now.minute, now.second);
        return;
    case TypeTimeAsNumber:
        PlatformLocalTime(&now);
        snprintf(text, size, "%04d%02d%02d%02d%02d%02d%04d", now.year, now.month, now.day, now.hour,
                 now.minute, now.second, now.milliseconds);
        return;
    default:
        snprintf(text, size, "%li", (long)CurrentLoopNumber());
        return;
    }
}

/* The typed keys go after the event that follows the key's press: in a
 * recording that is the key's own release, which still plays. */
void SubstituteTypeKey(void) {
    char text[64];
    FormatTypeKeyText(text, sizeof text);
    int32_t after = gJournal.position + 2;
    if (after > gRecording.eventCount)
        after = gRecording.eventCount; /* the press was the last event */
    int32_t typed = TypeTextEvents(after, gRecording.eventCount, text, autoTypeAltHeld);
    gRecording.eventCount += typed;
    ShiftAnchors(after, typed);
    LogPrintf(LogMedium, "Play Event #%d at %li: AutoType: '%s' (%d additional events)",
              gJournal.position + 1, LogSigned32(PlatformTickCount()), text, typed);
}

/*
 * scheduler.cpp: the journal-playback hook and its timing.
 *
 * The system asks for the current event (HookGetNext) and may ask again as
 * often as it likes; the hook answers with the event and how long to wait
 * before it. The hook itself never waits: it returns the delay and lets the
 * system wait, then measures how long the system really waited. A wake-up
 * 10 ms or more too early is waited again; one 10 ms or more too late is
 * banked as surplus and taken off the following delays, so late wake-ups do
 * not add up over a long recording.
 *
 * The time from when an event was due until the next one is asked for (the
 * target taking the record, a wake-up a few milliseconds late) is banked
 * the same way, so a replay into a program that is slow to take its input
 * but keeps up on average ends when the recording ended. Only where the
 * recording says how long the next event came after it: the time a script
 * command or typed text takes lies outside the recorded time.
 */
#include <climits>
#include <cstdio>

#include "app/shell.h"
#include "log/log.h"
#include "platform/input_rules.h"
#include "platform/journal_driver.h"
#include "playback/playback.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "settings/settings.h"

JournalState gJournal;

static const int32_t Tolerance = 10;

bool PlaybackPassInProgress(void) {
    return gJournal.passInProgress;
}

/* Also lets go of whatever the played input still holds down; every early
 * end comes here once its hook is gone. */
void FinishInterruptedPass(void) {
    ResetWindowWaits();
    if (gJournal.passInProgress) {
        RestorePlaybackSnapshot();
        gJournal.passInProgress = false;
    }
    SendReleasesOfHeldInput();
}

void ReportPlaybackError(const char* text, const char* caption, uint32_t style) {
    ShowMessageBox(text, caption, style);
    if (InCommandLineMode())
        PlatformPostMessage(MainWindowHandle(), MsgCommand, ID_FILE_EXIT, 0);
}

/* ---- Starting a pass ---- */

static void LogPlaybackStart(void) {
    if (!LogLevelAtLeast(LogLow))
        return;
    char run[LogLineSize];
    snprintf(run, sizeof run, "'%s' playback (%d Total Actions)", DocumentDisplayName(),
             gRecording.eventCount);
    LogRunStart(run, MIRLOW_VERSION_TEXT);
}

/* Whether the run plays by the system's journal, said once per run; a
 * journal that is never called is given up by the platform, which is said
 * when it happens. */
static bool loggedSystemJournal;

/* When the record last handed over was due, in ticks; noted by the request
 * that hands it over and taken by the next first request. */
static struct {
    bool noted;
    uint32_t dueTick;
} lastHandOver;

static void LogPlaybackPath(void) {
    loggedSystemJournal = PlatformPlaybackUsesSystemJournal();
    LogPrintf(LogLow, loggedSystemJournal
                          ? "Playing through the system's journal hook"
                          : "Playing through injected input (no journal hook available)");
    if (!LogLevelAtLeast(LogLow))
        return;
    int dpi = PlatformDisplayDpi();
    int resolution = PlatformTimerResolution();
    char timer[32] = "unknown";
    if (resolution > 0)
        snprintf(timer, sizeof timer, "%d.%d ms", resolution / 1000, resolution % 1000 / 100);
    LogPrintf(LogLow, "Display scale %d%% (%d DPI), timer resolution %s", dpi * 100 / 96, dpi,
              timer);
}

static void NoteJournalFallback(void) {
    if (!loggedSystemJournal || PlatformPlaybackUsesSystemJournal())
        return;
    loggedSystemJournal = false;
    LogPrintf(LogLow,
              "The system's journal hook was not called within %d ms; playing through injected "
              "input",
              (int)JournalFirstCallTimeout);
}

/* Typed text needs characters, which only injected input can deliver
 * whatever the keyboard layout and Caps Lock; so does recorded Unicode key
 * input, whose characters a journal record has no room for. */
static bool RecordingTypesText(void) {
    if (gSettings.typeKey != 0 && gSettings.typeThis != 0)
        return true;
    for (int32_t i = 0; i < gRecording.commandCount && i < MaxScriptCommands; i++) {
        if (gRecording.commandKinds[i] == CommandType)
            return true;
    }
    for (int32_t i = 0; i < gRecording.eventCount && i < MaxEvents; i++) {
        if (IsUnicodeKeyRecord(gRecording.events[i]))
            return true;
    }
    return false;
}

static void ShowPlaybackHint(void) {
    char repeats[16];
    snprintf(repeats, sizeof repeats, "%li", (long)gSettings.repeats);
    PlatformSetDialogItemText(SettingsPanelHandle(), IDC_PANEL_STATUS,
                              "PRESS CTRL + ESCAPE TO STOP");
    PlatformSetDialogItemText(SettingsPanelHandle(), IDC_PANEL_REPEAT_EDIT, repeats);
}

/* A playback a chord started holds back its first event while the user
 * still holds a key of the chord. */
static struct {
    int32_t chord; /* 0: nothing to wait for */
    uint32_t since;
} chordRelease;

/* A playback by injected input holds back its next event while the user
 * holds a modifier, which would join it: Ctrl held on the way to Ctrl+Esc
 * or to the play hotkey would turn a played "s" into Ctrl+S in the target,
 * and a played "a" after Ctrl+A replaces the whole document. */
static struct {
    bool waiting;
    bool gaveUp; /* the wait ran out: not again until they are let go */
    uint32_t since;
} userKeys;

static const int32_t UserKeysPollInterval = 20;

static bool ChordStillHeld(int32_t chord) {
    const struct {
        int32_t bit;
        int key;
    } modifiers[] = {{ChordShift, KeyShift}, {ChordControl, KeyControl}, {ChordAlt, KeyAlt}};
    if (PlatformKeyHeldNow(chord & 0xFF))
        return true;
    for (const auto& modifier : modifiers) {
        if ((chord & modifier.bit) != 0 && PlatformKeyHeldNow(modifier.key))
            return true;
    }
    return false;
}

/* The wait the hook answers while the chord is held; 0 once it is not. */
static intptr_t AwaitChordRelease(void) {
    if (chordRelease.chord == 0)
        return 0;
    bool late = (int32_t)(PlatformTickCount() - chordRelease.since) >= UserKeysWaitLimit;
    if (!late && ChordStillHeld(chordRelease.chord))
        return UserKeysPollInterval;
    chordRelease.chord = 0;
    userKeys.gaveUp = late;
    return 0;
}

/* The recorded time stands still while the playback waits for the user:
 * the delay under way and the due time of the record last handed over
 * move on by the wait, so nothing is rushed to make up for it. */
static void LeaveWaitOutOfTiming(uint32_t waited) {
    if (gJournal.pendingDelay != 0)
        gJournal.delayStart += waited;
    if (lastHandOver.noted)
        lastHandOver.dueTick += waited;
}

/* The wait the hook answers while the user holds a modifier; 0 once the
 * keys are let go or the wait has run out. */
static intptr_t AwaitUserKeys(void) {
    bool held = PlatformUserHoldsModifier();
    if (userKeys.gaveUp) {
        userKeys.gaveUp = held;
        return 0;
    }
    uint32_t now = PlatformTickCount();
    if (!userKeys.waiting) {
        if (!held)
            return 0;
        userKeys.waiting = true;
        userKeys.since = now;
        LogPrintf(LogLow,
                  "The playback waits while the user holds Ctrl, Alt, Shift or a Windows key");
        return UserKeysPollInterval;
    }
    uint32_t waited = now - userKeys.since;
    if (held && (int32_t)waited < UserKeysWaitLimit)
        return UserKeysPollInterval;
    userKeys.waiting = false;
    userKeys.gaveUp = held;
    if (held)
        LogPrintf(LogLow, "The user still holds a modifier after %li ms; the playback goes on",
                  (long)waited);
    LeaveWaitOutOfTiming(waited);
    return 0;
}

void StartPlaybackAfterChord(int32_t chord) {
    chordRelease.chord = chord;
    chordRelease.since = PlatformTickCount();
    StartPlayback();
    if (gJournal.hook == nullptr)
        chordRelease.chord = 0;
}

/* The run uses LoopTypeBase as it stands in memory, so a value just set in
 * the options dialog counts at once rather than after the next exit. */
void StartPlayback(void) {
    if (gJournal.hook != nullptr)
        return;
    LogPlaybackStart();
    SetCommandState(ID_RECORDER_START);
    TakePlaybackSnapshot();
    ResetWindowWaits();
    gJournal.passInProgress = true;
    autoTypeAltHeld = 0;
    gJournal.freshEvent = true;
    gJournal.position = 0;
    lastHandOver.noted = false;
    if (gSettings.minimize != 0)
        PlatformShowWindow(MainWindowHandle(), ShowMinimize);
    PlatformPreferInjectedInput(RecordingTypesText());
    gJournal.hook = PlatformInstallPlaybackHook(PlaybackHookProc);
    if (gJournal.hook != nullptr && gJournal.loopsCompleted == 0)
        LogPlaybackPath();
    if (gJournal.hook == nullptr) {
        ReportRunOutcome(ExitPlaybackError);
        ReportPlaybackError("Unable to start playback!", "Playback Failure",
                            BoxOk | BoxIconWarning | BoxTaskModal);
        LogPrintf(LogLow, "    ERROR: Unable to start playback!");
    }
    ShowPlaybackHint();
}

/* ---- Ending a pass or a run ---- */

void ResetRunCounters(void) {
    chordRelease.chord = 0;
    userKeys = {};
    gJournal.loopsCompleted = 0;
    gJournal.surplus = 0;
    gJournal.pendingDelay = 0;
    gJournal.delayStart = 0;
}

void AbortPlayback(void) {
    PlatformRemoveJournalHook(gJournal.hook);
    gJournal.hook = nullptr;
    FinishInterruptedPass();
    ResetRunCounters();
    ReportRunOutcome(ExitPlaybackError);
    PlatformPostMessage(MainWindowHandle(), MsgCommand, ID_RECORDER_STOP, 0);
}

static void StartNextPass(int32_t completed) {
    char title[MaxPathLength + 64];
    if (gSettings.repeatForever != 0)
        snprintf(title, sizeof title, "%li completed for %s", (long)completed,
                 DocumentDisplayName());
    else
        snprintf(title, sizeof title, "%li of %li completed for %s", (long)completed,
                 (long)gSettings.repeats, DocumentDisplayName());
    PlatformSetWindowTitle(MainWindowHandle(), title);
    PlatformSendMessage(MainWindowHandle(), MsgCommand, ID_RECORDER_PLAYBACK, 0);
}

static void EndRun(void) {
    SendReleasesOfHeldInput();
    ResetRunCounters();
    PlatformSetDialogItemText(SettingsPanelHandle(), IDC_PANEL_STATUS, " ");
    if (!InCommandLineMode()) {
        if (gSettings.minimize != 0)
            PlatformShowWindow(MainWindowHandle(), ShowRestore);
        ShowDocumentTitle();
    }
    if (gSettings.quitWhenDone != 0 || InCommandLineMode())
        PlatformPostMessage(MainWindowHandle(), MsgCommand, ID_FILE_EXIT, 0);
}

static void EndPass(void) {
    LogPrintf(LogMedium, "Restoring entire Original event array from %li back to %li",
              (long)gRecording.eventCount, (long)gRecording.originalEventCount);
    RestorePlaybackSnapshot();
    ResetWindowWaits();
    gJournal.passInProgress = false;
    PlatformRemoveJournalHook(gJournal.hook);
    gJournal.hook = nullptr;
    SetCommandState(ID_FILE_OPEN);
    /* An endless run stops counting at the counter's end instead of
     * overflowing it; the passes go on. */
    if (gJournal.loopsCompleted < INT32_MAX)
        gJournal.loopsCompleted++;
    int32_t completed = gJournal.loopsCompleted;
    bool anotherPass = gSettings.repeatForever != 0 || completed < gSettings.repeats;
    /* The last pass lets go of what it holds first, so the log of a run
     * that played to its end ends with its completion. */
    if (!anotherPass)
        SendReleasesOfHeldInput();
    LogPrintf(LogLow, "Playback Complete!\r\n");
    if (anotherPass)
        StartNextPass(completed);
    else
        EndRun();
}

/* ---- Answering the system ---- */

static bool IsToggleKey(int key) {
    return key == 0x14 || key == 0x5B || key == 0x5C || key == 0x5D || key == 0x90 || key == 0x91;
}

static const EventRecord& EventAt(int32_t position) {
    static const EventRecord none = {};
    if (position < 0 || position >= MaxEvents)
        return none;
    return gRecording.events[position];
}

/* Hands the event over with the current time (the recorded one means
 * nothing to the system) and notes when it was due, the first time it is
 * handed over; returns true when a toggle key was pressed again to keep the
 * keyboard's own state in step. */
static bool SendEvent(const EventRecord& event, uint32_t now, uint32_t dueTick, EventRecord* record,
                      bool* wroteRecord) {
    if (!lastHandOver.noted) {
        lastHandOver.noted = true;
        lastHandOver.dueTick = dueTick;
    }
    record->message = event.message;
    record->paramL = event.paramL;
    record->paramH = event.paramH;
    /* Only a typed character's mark depends on what the input holds, and
     * on whether typed text follows it, which lets the input layer wait
     * for a run of typed text once rather than for each record. */
    record->hwnd = event.hwnd;
    if (TypedRoleOf(event.hwnd) != TypedNone) {
        int32_t next = gJournal.position + 1;
        bool more = next < gRecording.eventCount && TypedRoleOf(EventAt(next).hwnd) != TypedNone;
        record->hwnd = HandOverMark(event.hwnd, PlaybackHoldsShortcutModifier(), more);
    }
    record->time = now;
    FollowMovedWindow(record);
    *wroteRecord = true;
    NoteHandedOver(*record);
    int key = event.paramL & 0xFF;
    if (event.message == MsgKeyDown && IsToggleKey(key))
        return PlatformPressToggleKey(key);
    return false;
}

static bool IsTypeKeyDown(const EventRecord& event) {
    return gSettings.typeKey != 0 && gSettings.typeThis != 0 && event.message == MsgKeyDown &&
           (event.paramL & 0xFF) == gSettings.typeKey;
}

/* Whether the recording says when the event came after the one before.
 * An inserted or placeholder event (time 0, or 1) has no meaningful time. */
static bool FollowsARecordedTime(int32_t position) {
    return position > 0 && EventAt(position - 1).time > 1;
}

/* The gap to the previous event: none after an event without a meaningful
 * time, so that event plays at once; none either for a recorded time that
 * went backwards. */
static int32_t RecordedDelay(int32_t position) {
    if (!FollowsARecordedTime(position))
        return 0;
    int32_t gap = (int32_t)(EventAt(position).time - EventAt(position - 1).time);
    return gap > 0 ? gap : 0;
}

/* At Slow, a button release and the one or two events before it keep
 * their own pace, so a slowed click is not turned into a drag. */
static bool KeepsPaceAtSlow(int32_t position) {
    uint32_t message = EventAt(position).message;
    return message == MsgLButtonDblClk || message == MsgLButtonUp ||
           EventAt(position + 1).message == MsgLButtonUp ||
           EventAt(position + 2).message == MsgLButtonUp;
}

/* A factor below 1 can only come from a hand-edited registry value; it is
 * taken as 1 so that nothing divides by zero. */
static int32_t ScaleForSpeed(int32_t delay, int32_t position) {
    switch (gSettings.speed) {
    case SpeedFastest:
        return 0;
    case SpeedFast:
        return delay / (gSettings.factorFast > 1 ? gSettings.factorFast : 1);
    case SpeedSlow: {
        if (KeepsPaceAtSlow(position))
            return delay;
        int64_t slowed = (int64_t)delay * (gSettings.factorSlow > 1 ? gSettings.factorSlow : 1);
        return slowed > INT32_MAX ? INT32_MAX : (int32_t)slowed;
    }
    default:
        return delay;
    }
}

static void DescribeEvent(const EventRecord& event, char* text, size_t size) {
    const char* name = NameOfMessage(event.message);
    if (name != nullptr)
        snprintf(text, size, "%s (%li, %li)", name, (long)event.paramH, (long)event.paramL);
    else
        snprintf(text, size, "%li (%li, %li)", LogSigned32(event.message), (long)event.paramH,
                 (long)event.paramL);
}

static void LogPlayedEvent(const EventRecord& event, int32_t delay) {
    if (!LogLevelAtLeast(LogMedium))
        return;
    char text[96];
    DescribeEvent(event, text, sizeof text);
    int32_t number = gJournal.position + 1;
    if (LogLevelIs(LogMedium)) {
        LogPrintf(LogMedium, "Play Event #%d: Message=%s", number, text);
        return;
    }
    long adjustment = delay < gJournal.surplus ? delay : gJournal.surplus;
    long previous = gJournal.position > 0 ? LogSigned32(EventAt(gJournal.position - 1).time) : 0;
    LogPrintf(LogHigh,
              "Play Event #%d at %li: Requested Delay=%li, Surplus Adjustment=%li, Time=%li, "
              "Prev=%li, Message=%s",
              number, LogSigned32(PlatformTickCount()), (long)delay, adjustment,
              LogSigned32(event.time), previous, text);
}

static int32_t TakeOffSurplus(int32_t delay) {
    if (gJournal.surplus <= 0)
        return delay;
    if (gJournal.surplus > delay) {
        gJournal.surplus -= delay;
        delay = 0;
    } else {
        delay -= gJournal.surplus;
        gJournal.surplus = 0;
    }
    LogPrintf(LogHigh,
              "    Post-Surplus Adjustment: Requesting Delay of %li, Remaining Surplus=%li",
              (long)delay, (long)gJournal.surplus);
    return delay;
}

/* How long ago the record last handed over was due, once: each first
 * request takes it, whatever the event. */
static int32_t TakeTimeSinceLastDue(uint32_t now) {
    if (!lastHandOver.noted)
        return 0;
    lastHandOver.noted = false;
    int32_t behind = (int32_t)(now - lastHandOver.dueTick);
    return behind > 0 ? behind : 0;
}

/* The playback is behind the recording by that time: banked like a late
 * wake-up, where the recording has a time for this event to keep to (not
 * after script commands and typed text, and not As Fast As Possible). */
static void BankTimeBehind(int32_t behind) {
    if (behind <= 0 || !FollowsARecordedTime(gJournal.position) || gSettings.speed == SpeedFastest)
        return;
    gJournal.surplus =
        behind > INT32_MAX - gJournal.surplus ? INT32_MAX : gJournal.surplus + behind;
    LogPrintf(LogHigh, "    Event #%d was taken %li ms after it was due; Surplus now %li",
              gJournal.position, (long)behind, (long)gJournal.surplus);
}

static void ReportCorruptList(void) {
    LogPrintf(LogLow, "ERROR: Event #%d: This recording appears to be corrupted!",
              gJournal.position + 1);
    AbortPlayback();
    ReportPlaybackError("This recording appears to be corrupted!\n\nPlease re-record your actions.",
                        "Playback Error", BoxOk | BoxIconError | BoxTaskModal);
}

static intptr_t PassOn(int code) {
    return PlatformCallNextHook(gJournal.hook, code);
}

/* ---- Acting on an event once its window is there ---- */

static intptr_t RunCommandInItsWindow(int command) {
    intptr_t wait = AwaitEventWindow();
    return wait != WindowReady ? wait : RunScriptCommand(command);
}

static intptr_t TypeInItsWindow(void) {
    intptr_t wait = AwaitEventWindow();
    if (wait != WindowReady)
        return wait;
    SubstituteTypeKey();
    return 0;
}

/* now and dueTick are when the event was asked for and when it was due.
 * Time spent finding the window or bringing it to the front is not made
 * up by rushing what follows: the recorded gaps count again from the
 * moment the window was ready. */
static intptr_t SendInItsWindow(const EventRecord& event, uint32_t now, uint32_t dueTick,
                                EventRecord* record, bool* wroteRecord, bool withoutDelay) {
    intptr_t wait = AwaitEventWindow();
    if (wait != WindowReady)
        return wait;
    if (WindowWaitLimit() > 0) {
        uint32_t ready = PlatformTickCount();
        if ((int32_t)(ready - now) >= Tolerance)
            now = dueTick = ready;
    }
    bool toggled = SendEvent(event, now, dueTick, record, wroteRecord);
    if (withoutDelay)
        LogPrintf(LogHigh,
                  toggled ? "    >>>Sending Event #%d with MIRLOW SECRET SAUCE with NO DELAY"
                          : "    >>>Sending Event #%d with NO DELAY",
                  gJournal.position + 1);
    else
        LogPrintf(LogHigh,
                  toggled ? "    >>>Sending Event #%d with MIRLOW SECRET SAUCE"
                          : "    >>>Sending Event #%d",
                  gJournal.position + 1);
    return 0;
}

static intptr_t AnswerFirstRequest(EventRecord* record, bool* wroteRecord) {
    gJournal.freshEvent = false;
    uint32_t now = PlatformTickCount();
    int32_t behind = TakeTimeSinceLastDue(now);
    const EventRecord& event = EventAt(gJournal.position);
    if (IsPlaceholderEvent(event)) {
        int command = FindCommandAt(gJournal.position);
        return command < 0 ? PassOn(HookGetNext) : RunCommandInItsWindow(command);
    }
    if (IsTypeKeyDown(event))
        return TypeInItsWindow();
    int32_t delay = ScaleForSpeed(RecordedDelay(gJournal.position), gJournal.position);
    BankTimeBehind(behind);
    LogPlayedEvent(event, delay);
    delay = TakeOffSurplus(delay);
    gJournal.delayStart = now;
    gJournal.pendingDelay = delay;
    if (delay == 0)
        return SendInItsWindow(event, now, now, record, wroteRecord, true);
    return LookAheadForEventWindow() ? delay : 0;
}

/* Returns the time still to wait, or 0 once the delay counts as done; then
 * dueTick is when the event was due. A wake-up a few milliseconds late
 * counts from the due time, so the next delay makes up for it; a later one
 * is banked now and counts from now. */
static int32_t CheckPendingDelay(uint32_t now, uint32_t* dueTick) {
    int32_t elapsed = (int32_t)(now - gJournal.delayStart);
    int32_t remaining = gJournal.pendingDelay - elapsed;
    LogPrintf(LogHigh, "    Actual Delay=%li, %s=%li", (long)elapsed,
              remaining < 0 ? "Surplus" : "Deficit", (long)remaining);
    if (remaining >= Tolerance) {
        LogPrintf(LogHigh, "    ...Try waiting again, %li remaining...", (long)remaining);
        gJournal.delayStart = now;
        gJournal.pendingDelay = remaining;
        return remaining;
    }
    *dueTick = remaining < 0 && remaining > -Tolerance ? now + (uint32_t)remaining : now;
    if (remaining <= -Tolerance) {
        gJournal.surplus += -remaining;
        LogPrintf(LogHigh, "    Windows waited too long; Surplus now %li", (long)gJournal.surplus);
    }
    gJournal.delayStart = 0;
    gJournal.pendingDelay = 0;
    LogPrintf(LogHigh, "    Delay was done!");
    return 0;
}

static intptr_t AnswerRepeatedRequest(EventRecord* record, bool* wroteRecord) {
    uint32_t now = PlatformTickCount();
    uint32_t dueTick = now;
    if (gJournal.pendingDelay != 0) {
        int32_t remaining = CheckPendingDelay(now, &dueTick);
        if (remaining != 0)
            return remaining;
    }
    const EventRecord& event = EventAt(gJournal.position);
    if (IsPlaceholderEvent(event)) {
        if (AwaitingProgram())
            return ContinueProgramWait();
        if (AwaitingGotoWindow())
            return ContinueGotoWait();
        return AwaitingEventWindow() ? RunCommandInItsWindow(FindCommandAt(gJournal.position)) : 0;
    }
    if (IsTypeKeyDown(event))
        return AwaitingEventWindow() ? TypeInItsWindow() : 0;
    return SendInItsWindow(event, now, dueTick, record, wroteRecord, false);
}

static intptr_t AnswerGetNext(EventRecord* record, bool* wroteRecord) {
    NoteJournalFallback();
    intptr_t userWait = AwaitChordRelease();
    if (userWait == 0)
        userWait = AwaitUserKeys();
    if (userWait != 0)
        return userWait;
    if (gJournal.position < 0 || gJournal.position >= gRecording.eventCount) {
        ReportCorruptList();
        return 0;
    }
    if (gJournal.freshEvent)
        return AnswerFirstRequest(record, wroteRecord);
    return AnswerRepeatedRequest(record, wroteRecord);
}

static intptr_t AnswerSkip(void) {
    gJournal.position++;
    gJournal.freshEvent = true;
    if (LogLevelAtLeast(LogHigh))
        LogPrintf(LogHigh, "    -->Windows accepted the previous message at %li, go on to #%d...",
                  LogSigned32(PlatformTickCount()), gJournal.position + 1);
    if (gJournal.position < gRecording.eventCount)
        return PassOn(HookSkip);
    EndPass();
    return 0;
}

/* The system would not take the event just handed over: the playback ends
 * as an error that says why, naming a target that runs with higher rights,
 * since the user can do something about that. */
static intptr_t ReportRefusedInput(void) {
    WindowHandle target = nullptr;
    uint32_t error = 0;
    InputRefusal refusal = PlatformInputRefusal(&target, &error);
    char title[128] = "";
    if (target != nullptr)
        PlatformGetWindowTitle(target, title, sizeof title);
    int32_t number = gJournal.position + 1;
    char text[256];
    AbortPlayback();
    if (refusal == InputRefusedHigherRights) {
        snprintf(text, sizeof text,
                 "Windows did not let Mirlow play input into the window '%s', which runs with "
                 "higher rights than Mirlow.\n\nThe playback has stopped.",
                 title);
        ReportPlaybackError(text, "Playback Error", BoxOk | BoxIconWarning | BoxSystemModal);
        LogPrintf(LogLow,
                  "    ERROR: Event #%d: Windows refused the input: the window '%s' runs with "
                  "higher rights than Mirlow!",
                  number, title);
        return 0;
    }
    ReportPlaybackError("Windows refused the input that Mirlow played.\n\nThe playback has "
                        "stopped.",
                        "Playback Error", BoxOk | BoxIconWarning | BoxSystemModal);
    LogPrintf(LogLow, "    ERROR: Event #%d: Windows refused the input (system error %lu)!", number,
              (unsigned long)error);
    return 0;
}

/* The target did not take the input played to it in time: what was still
 * on its way may never arrive (the system throws away input queued for a
 * thread that loses the focus), so the run ends as an error rather than
 * report a success it cannot vouch for. */
static intptr_t ReportUntakenInput(void) {
    UntakenInput left = LastUntakenInput();
    char title[128] = "";
    if (left.window != nullptr)
        PlatformGetWindowTitle(left.window, title, sizeof title);
    int32_t number = gJournal.position + 1;
    int32_t unplayed = gRecording.eventCount - number;
    long seconds = (long)(left.waitedMs / 1000);
    char text[320];
    AbortPlayback();
    snprintf(text, sizeof text,
             "The window '%s' did not take the input Mirlow played to it within %li seconds: "
             "some of it may not have arrived.\n\nThe playback has stopped.",
             title, seconds);
    ReportPlaybackError(text, "Playback Error", BoxOk | BoxIconWarning | BoxSystemModal);
    LogPrintf(LogLow,
              "    ERROR: Event #%d: the window '%s' had not taken the last %d event(s) played to "
              "it (%d typed character(s)) after %li seconds; %d event(s) were left unplayed",
              number, title, left.records, left.characters, seconds, unplayed > 0 ? unplayed : 0);
    return 0;
}

intptr_t PlaybackHookProc(int code, EventRecord* record, bool* wroteRecord) {
    *wroteRecord = false;
    switch (code) {
    case HookGetNext:
        return AnswerGetNext(record, wroteRecord);
    case HookSkip:
        return AnswerSkip();
    case HookInputRefused:
        return ReportRefusedInput();
    case HookInputNotTaken:
        return ReportUntakenInput();
    case HookSystemModalOn:
        LogPrintf(LogHigh, "* * * HC_SYSMODALON Flag * * *");
        return PassOn(code);
    case HookSystemModalOff:
        LogPrintf(LogHigh, "* * * HC_SYSMODALOFF Flag * * *");
        return PassOn(code);
    default:
        return PassOn(code);
    }
}

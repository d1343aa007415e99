/*
 * recorder.cpp: the journal-record side, and what both kinds of journal
 * hook share: their end by the Stop Recording command, by the system's
 * cancel keys, or by the program closing.
 *
 * Every way a recording ends finishes the list the same way, so a saved
 * recording always has as many events as its count says, ends with the end
 * marker and leaves no key or button held down when it is played.
 */
#include "record/record.h"

#include <cstdio>

#include "app/shell.h"
#include "log/log.h"
#include "platform/input_rules.h"
#include "playback/playback.h"
#include "record/recorder_internal.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "settings/settings.h"

static const char* const InterruptWarningText =
    "Windows is forcing Mirlow to stop recording and playing.\n\nThe CTRL+ESC and CTRL+ALT+DEL "
    "key combinations terminate all Mirlow functions.\n(You can use these key combinations as a "
    "way to cancel a playback or recording)\n\n--> If you intended to go to the START button, "
    "use the \"Windows Key\" instead.";

/* With the end marker the list holds at most one event less than its
 * capacity, so its last entry stays zero. */
static const int32_t MaxCapturedEvents = MaxEvents - 2;

/* What is held down, by slot: the 256 virtual keys, then the left, right
 * and middle mouse buttons and the two X buttons. */
enum { KeySlots = 256, ButtonSlots = 5, HeldSlots = KeySlots + ButtonSlots };
enum { LeftSlot = KeySlots, RightSlot, MiddleSlot, X1Slot, X2Slot };

struct RecorderState {
    bool active; /* the installed journal hook is the record hook */
    bool ending; /* the list is being finished: nothing ends it again */
    bool thinMoves;
    bool movePending;
    EventRecord pendingMove;
    bool anyStored;
    uint32_t lastStoredTime;
    int32_t mouseX, mouseY; /* the last stored mouse position */
    int32_t heldCount;
    bool held[HeldSlots];
    EventRecord heldPress[HeldSlots];
};

static RecorderState recorder;

/* ---- What an event presses or releases ---- */

enum Transition { NoTransition, Press, Release };

struct HeldChange {
    int slot;
    Transition transition;
};

static int XButtonSlot(const EventRecord& event) {
    return MouseEventAmount(event) == 2 ? X2Slot : X1Slot;
}

static HeldChange ChangeOf(const EventRecord& event) {
    switch (event.message) {
    case MsgKeyDown:
    case MsgSysKeyDown:
        return {event.paramL & 0xFF, Press};
    case MsgKeyUp:
    case MsgSysKeyUp:
        return {event.paramL & 0xFF, Release};
    case MsgLButtonDown:
    case MsgLButtonDblClk:
        return {LeftSlot, Press};
    case MsgLButtonUp:
        return {LeftSlot, Release};
    case MsgRButtonDown:
    case MsgRButtonDblClk:
        return {RightSlot, Press};
    case MsgRButtonUp:
        return {RightSlot, Release};
    case MsgMButtonDown:
    case MsgMButtonDblClk:
        return {MiddleSlot, Press};
    case MsgMButtonUp:
        return {MiddleSlot, Release};
    case MsgXButtonDown:
    case MsgXButtonDblClk:
        return {XButtonSlot(event), Press};
    case MsgXButtonUp:
        return {XButtonSlot(event), Release};
    default:
        return {0, NoTransition};
    }
}

static bool ReleasesHeldInput(const EventRecord& event) {
    HeldChange change = ChangeOf(event);
    return change.transition == Release && recorder.held[change.slot];
}

/* Room is kept for the release of everything held, so a full list can
 * still be finished without a key left down. */
static bool HasRoomFor(const EventRecord& event) {
    HeldChange change = ChangeOf(event);
    int32_t heldAfter = recorder.heldCount;
    if (change.transition == Press && !recorder.held[change.slot])
        heldAfter++;
    else if (change.transition == Release && recorder.held[change.slot])
        heldAfter--;
    return gJournal.position + 1 + heldAfter <= MaxCapturedEvents;
}

static void NoteHeldChange(const EventRecord& event) {
    HeldChange change = ChangeOf(event);
    if (change.transition == NoTransition)
        return;
    bool press = change.transition == Press;
    if (recorder.held[change.slot] != press)
        recorder.heldCount += press ? 1 : -1;
    recorder.held[change.slot] = press;
    if (press)
        recorder.heldPress[change.slot] = event;
}

/* ---- Storing and logging ---- */

/* The seven messages the line names; every other is written as a number. */
static const char* LoggedMessageName(uint32_t message, char* number, size_t size) {
    switch (message) {
    case MsgMouseMove:
        return "WM_MOUSEMOVE";
    case MsgKeyDown:
        return "WM_KEYDOWN";
    case MsgKeyUp:
        return "WM_KEYUP";
    case MsgLButtonDown:
        return "WM_LBUTTONDOWN";
    case MsgLButtonUp:
        return "WM_LBUTTONUP";
    case MsgChar:
        return "WM_CHAR";
    case MsgCommand:
        return "WM_COMMAND";
    default:
        snprintf(number, size, "%li", (long)message);
        return number;
    }
}

static void LogRecordedEvent(const EventRecord& event) {
    if (!LogLevelAtLeast(LogMedium))
        return;
    char number[16];
    LogPrintf(LogMedium,
              "RECORDING #%d: Time=%li, Message=%s (paramL=0x%X, paramH=0x%X, wParam=0x%X, "
              "lParam=0x%X)",
              gJournal.position + 1, LogSigned32(event.time),
              LoggedMessageName(event.message, number, sizeof number), (unsigned)event.paramL,
              (unsigned)event.paramH, (unsigned)event.paramL & 0xFF,
              ((unsigned)event.paramL >> 8) & 0xFF);
}

static bool StoreEvent(const EventRecord& event) {
    if (!HasRoomFor(event))
        return false;
    gRecording.events[gJournal.position] = event;
    NoteHeldChange(event);
    if (IsMouseMessage(event.message)) {
        /* A wheel or X-button record packs its amount beside y. */
        recorder.mouseX = event.paramL;
        recorder.mouseY = MouseEventY(event);
    }
    recorder.anyStored = true;
    recorder.lastStoredTime = event.time;
    LogRecordedEvent(event);
    gJournal.position++;
    return true;
}

static void StorePendingMove(void) {
    if (!recorder.movePending)
        return;
    recorder.movePending = false;
    StoreEvent(recorder.pendingMove);
}

/* A move that follows the last stored event too closely waits: a later
 * move replaces it, anything else stores it first, so every click, key and
 * wheel turn happens where the pointer really was. */
static void CaptureMove(const EventRecord& move) {
    bool tooSoon = recorder.anyStored && move.time - recorder.lastStoredTime < RecordMoveInterval;
    if (tooSoon) {
        recorder.pendingMove = move;
        recorder.movePending = true;
        return;
    }
    recorder.movePending = false;
    StoreEvent(move);
}

static void CaptureEvent(const EventRecord& event) {
    if (event.message == MsgMouseMove && recorder.thinMoves) {
        CaptureMove(event);
        return;
    }
    StorePendingMove();
    if (StoreEvent(event))
        NoteWindowOfEvent(event, gJournal.position - 1);
}

/* ---- Finishing the list ---- */

static EventRecord ReleaseOf(int slot, uint32_t time) {
    const EventRecord& press = recorder.heldPress[slot];
    if (slot >= KeySlots) {
        static const uint32_t buttonUps[ButtonSlots] = {MsgLButtonUp, MsgRButtonUp, MsgMButtonUp,
                                                        MsgXButtonUp, MsgXButtonUp};
        uint32_t message = buttonUps[slot - KeySlots];
        int32_t paramH = MouseEventParamH(message, recorder.mouseY, slot == X2Slot ? 2 : 1);
        return EventRecord{message, recorder.mouseX, paramH, time, press.hwnd};
    }
    /* As a journal records a release: the key and scan code and extended
     * flag of the press, with "was down" and "released" set; a Unicode
     * key's character stays with it. */
    uint32_t message = press.message == MsgSysKeyDown ? MsgSysKeyUp : MsgKeyUp;
    int32_t paramL = (press.paramL & 0x1FFFF) | 0xC00000;
    return EventRecord{message, paramL, press.paramH, time, press.hwnd};
}

/* Stores a release of every key and button still down into the list, so a
 * finished recording never leaves one held when it is played. */
static void RecordReleasesOfHeldInput(uint32_t time) {
    for (int slot = 0; slot < HeldSlots && recorder.heldCount > 0; slot++) {
        if (recorder.held[slot])
            StoreEvent(ReleaseOf(slot, time));
    }
}

bool RecorderHoldsKey(int virtualKey) {
    return recorder.held[virtualKey & 0xFF];
}

/* The button slots in the order of the Held...Button bits. */
uint32_t RecorderHeldButtons(void) {
    uint32_t held = 0;
    for (int i = 0; i < ButtonSlots; i++) {
        if (recorder.held[KeySlots + i])
            held |= 1u << i;
    }
    return held;
}

void RecorderReleaseButtons(uint32_t buttons, uint32_t time) {
    StorePendingMove();
    for (int i = 0; i < ButtonSlots; i++) {
        if ((buttons & (1u << i)) && recorder.held[KeySlots + i])
            StoreEvent(ReleaseOf(KeySlots + i, time));
    }
}

/* Alt goes down as a system key, as the system reports it. */
void RecorderAddKeyChange(int virtualKey, bool press, uint32_t time, WindowHandle focus) {
    int slot = virtualKey & 0xFF;
    StorePendingMove();
    if (!press) {
        if (recorder.held[slot])
            StoreEvent(ReleaseOf(slot, time));
        return;
    }
    bool alt = slot == KeyAlt;
    uint32_t message = alt ? MsgSysKeyDown : MsgKeyDown;
    int32_t paramL = KeyEventParamL(slot, 0, alt ? 0x20 : 0);
    StoreEvent(EventRecord{message, paramL, KeyEventParamH(slot, 0, false), time,
                           (uint32_t)(uintptr_t)focus});
}

/* Removes the record hook and finishes the list as Stop Recording does.
 * The events its hooks took before they were removed come first. */
static void EndRecording(void) {
    recorder.ending = true;
    PlatformRemoveRecordHook(gJournal.hook);
    PlatformFlushRecordInput();
    gJournal.hook = nullptr;
    recorder.active = false;
    uint32_t now = PlatformTickCount();
    StorePendingMove();
    RecordReleasesOfHeldInput(now);
    gRecording.events[gJournal.position] = EventRecord{MsgPaint, 0, 0, now, 0};
    LogPrintf(LogLow, "END RECORDING: Time: %li ticks (%d total actions: final one not logged)\r\n",
              LogSigned32(now), gJournal.position + 1);
    gJournal.position++;
    gRecording.eventCount = gJournal.position;
}

/* ---- The hook ---- */

/* F10 and keys pressed with Alt arrive as WM_SYSKEYDOWN; a stop key that
 * only a WM_KEYDOWN could match would never stop a recording with them. */
static bool IsStopKey(const EventRecord& event) {
    bool keyDown = event.message == MsgKeyDown || event.message == MsgSysKeyDown;
    return gSettings.stopKey != 0 && keyDown && (event.paramL & 0xFF) == gSettings.stopKey;
}

/* Input that goes to any window of the program is left out, except the
 * release of a key or button whose press was stored: a recording that
 * pressed Alt in another program and released it over this one must not
 * play back with Alt held. */
static bool IsExcluded(const EventRecord& event) {
    if (gSettings.excludeMirlowAction == 0 || ReleasesHeldInput(event))
        return false;
    return PlatformIsOwnWindow((WindowHandle)(uintptr_t)event.hwnd);
}

/* The desktop around the event (or the check) is looked at first: a key
 * released where the hooks could not see it is released before the event
 * is stored, and a session locked meanwhile ends the recording. */
intptr_t RecordHookProc(int code, const EventRecord* event) {
    if (code < 0)
        return PlatformCallNextRecordHook(gJournal.hook, code);
    if (event != nullptr && IsStopKey(*event)) {
        if (!recorder.ending)
            PlatformSendMessage(MainWindowHandle(), MsgCommand, ID_RECORDER_STOP, 0);
        return 0;
    }
    bool carriesEvent = code == HookAction && event != nullptr;
    if (!recorder.active || (!carriesEvent && code != HookRecordCheck))
        return 0;
    RecordContext context;
    if (PlatformRecordContext(&context) &&
        !WatchRecordingDesktop(context, carriesEvent ? event : nullptr, recorder.ending))
        return 0;
    if (carriesEvent && recorder.active && !IsExcluded(*event))
        CaptureEvent(*event);
    return 0;
}

/* ---- The commands ---- */

static void ResetRecorder(void) {
    bool thin = !PlatformRecordUsesSystemJournal();
    recorder = RecorderState();
    recorder.active = true;
    recorder.thinMoves = thin;
    gJournal.position = 0;
    ResetWindowCapture();
    ResetRecordingWatch();
}

/* The list is cleared only once the hook is in place: nothing can be
 * recorded before this thread next takes a message, and a hook that
 * cannot be had leaves the open recording as it was, with its count. */
void StartRecording(void) {
    if (gJournal.hook != nullptr || !PromptToSave())
        return;
    LogRunStart("recording", MIRLOW_VERSION_TEXT);
    SetCommandState(ID_RECORDER_START);
    gDocument.modifiedCount++;
    if (gSettings.minimize != 0)
        PlatformShowWindow(MainWindowHandle(), ShowMinimize);
    LogPrintf(LogLow, "Start Recording time: %li ticks", LogSigned32(PlatformTickCount()));
    gJournal.hook = PlatformInstallRecordHook(RecordHookProc);
    if (gJournal.hook == nullptr) {
        gDocument.modifiedCount--;
        ShowMessageBox("Start Windows Recorder Failed!", "Failure",
                       BoxOk | BoxIconWarning | BoxTaskModal);
        return;
    }
    ZeroEventList();
    ClearWindowNotes();
    ResetRecorder();
    LogPrintf(LogLow, recorder.thinMoves
                          ? "Recording through low-level input hooks (no journal hook available)"
                          : "Recording through the system's journal hook");
}

/* Every early end of a playback puts the list back, so events the pass
 * inserted never reach a saved file; an unattended run then ends. A
 * recording is finished as Stop Recording finishes it. */
static void ReleaseHook(int commandLineExitCode) {
    if (recorder.active) {
        EndRecording();
        return;
    }
    bool wasPlaying = PlaybackPassInProgress();
    PlatformRemoveJournalHook(gJournal.hook);
    gJournal.hook = nullptr;
    FinishInterruptedPass();
    if (wasPlaying)
        ReportRunOutcome((ExitCode)commandLineExitCode);
}

static void ClearStatusLine(void) {
    PlatformSetDialogItemText(SettingsPanelHandle(), IDC_PANEL_STATUS, " ");
}

/* A playback that Stop ends is over like any other: its pass counter and
 * the title that shows it start again. */
static void StopPlaybackByCommand(void) {
    ReleaseHook(ExitCancelled);
    ResetRunCounters();
    if (InCommandLineMode())
        PlatformPostMessage(MainWindowHandle(), MsgCommand, ID_FILE_EXIT, 0);
    else
        ShowDocumentTitle();
}

void StopRecording(void) {
    bool endsRecording = gJournal.hook != nullptr && recorder.active;
    if (endsRecording) {
        EndRecording();
    } else if (gJournal.hook != nullptr && PlaybackPassInProgress()) {
        /* The played events pressed Stop: end the playback, keep the
         * recording as it is. */
        StopPlaybackByCommand();
    }
    FinishInterruptedPass();
    SetCommandState(ID_FILE_OPEN);
    ClearStatusLine();
    if (gSettings.minimize != 0)
        PlatformShowWindow(MainWindowHandle(), ShowRestore);
    if (endsRecording)
        TellWhatTheRecordingMissed();
}

/* The hook goes, a recording is finished, and the window is told. */
static void EndHookOnCancel(void) {
    ReleaseHook(ExitCancelled);
    PlatformPostMessage(MainWindowHandle(), MsgCommand, ID_RECORDER_STOP, 0);
    LogPrintf(LogLow, "CANCELLED RECORDING\r\n");
}

/* The program is closing: what a recording missed is in the log; a box
 * would only stand in the way of the end (of the session, perhaps). */
void CancelJournalForExit(void) {
    EndHookOnCancel();
    ResetRecordingWatch();
}

bool RecordingInProgress(void) {
    return recorder.active;
}

int32_t EventsRecordedSoFar(void) {
    return recorder.active ? gJournal.position : 0;
}

void CancelJournal(void) {
    EndHookOnCancel();
    ShowDocumentTitle();
    if (gSettings.interruptWarning != 0) {
        char text[64];
        snprintf(text, sizeof text, "%li Playbacks Completed", (long)gJournal.loopsCompleted);
        ShowMessageWithIcon(InterruptWarningText, text, BoxTopmost | BoxSystemModal, IDI_MIRLOW);
    }
    TellWhatTheRecordingMissed();
    ResetRunCounters();
    ClearStatusLine();
    if (InCommandLineMode())
        PlatformSendMessage(MainWindowHandle(), MsgClose, 0, 0);
}

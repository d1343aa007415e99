/*
 * recording_watch.cpp: keeping a recording true to the desktop around its
 * events.
 *
 * The low-level hooks that record on most systems see less than the user
 * does. The system removes them without a word when they answer too
 * slowly; input aimed at a window of a program with higher rights never
 * reaches them; and when the session is locked or a secure desktop takes
 * the input (Ctrl+Alt+Del, an elevation prompt, another user), the
 * releases of the keys held at that moment go elsewhere. The platform
 * stamps every event, and a check a few times a second, with what it knew
 * of the desktop then; the rules here turn that into a recording that is
 * whole or says that it is not, and that never plays back with a modifier
 * or a mouse button held that the user had let go.
 */
#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "platform/input_rules.h"
#include "playback/playback.h"
#include "record/record.h"
#include "record/recorder_internal.h"

struct WatchedModifier {
    uint32_t bit;
    int virtualKey;
};

static const WatchedModifier watchedModifiers[] = {
    {HeldShift, KeyShift},
    {HeldControl, KeyControl},
    {HeldAlt, KeyAlt},
    {HeldLeftWindows, KeyLeftWindows},
    {HeldRightWindows, KeyRightWindows},
};

struct WatchState {
    WindowHandle foreground;
    bool foregroundHigher;        /* its input never reaches the hooks */
    uint32_t inputAccountedUntil; /* system input up to here is known to be unseen */
    HookSilence silence;
    uint32_t checkMismatch;       /* modifiers a check found out of step */
    uint32_t buttonCheckMismatch; /* buttons a check found let go */
    /* What the recording may lack, told at its end. */
    bool hooksRestarted;
    uint32_t lostEvents;
    int higherWindows;
    char firstHigherTitle[96];
};

static WatchState watch;

void ResetRecordingWatch(void) {
    watch = WatchState();
}

/* ---- Hooks the system took away ---- */

static uint32_t LaterOf(uint32_t a, uint32_t b) {
    return (int32_t)(a - b) > 0 ? a : b;
}

/* Input to a window the hooks cannot see into is accounted for. */
static bool HooksLookRemoved(const RecordContext& context) {
    if (watch.foregroundHigher)
        watch.inputAccountedUntil = context.lastSystemInput;
    uint32_t seen = LaterOf(context.lastHookInput, watch.inputAccountedUntil);
    return HooksMissedInput(&watch.silence, context.lastSystemInput, seen, context.tick);
}

static void RestartRemovedHooks(const RecordContext& context) {
    if (!HooksLookRemoved(context))
        return;
    LogPrintf(LogLow,
              "WARNING: The input hooks missed input for over %li ms: installed them again (input "
              "may be missing from the recording)",
              (long)(int32_t)(context.tick - watch.silence.unseenSince));
    PlatformRestartRecordHook(gJournal.hook);
    watch.hooksRestarted = true;
    watch.silence.unseen = false;
    watch.inputAccountedUntil = context.lastSystemInput;
}

static void NoteLostEvents(const RecordContext& context) {
    if (context.lostEvents == 0)
        return;
    watch.lostEvents += context.lostEvents;
    LogPrintf(LogLow,
              "WARNING: %lu input events came faster than they could be recorded and are missing",
              (unsigned long)context.lostEvents);
}

/* ---- Modifiers in step with the system ---- */

static void ReleaseWatchedModifiers(uint32_t time) {
    for (const WatchedModifier& modifier : watchedModifiers)
        RecorderAddKeyChange(modifier.virtualKey, false, time, nullptr);
}

/* The modifiers the list holds otherwise than the system did. The event's
 * own key changes with the event; a press the system saw while a window
 * the hooks cannot see into had the input went to that window. */
static uint32_t ModifiersOutOfStep(const RecordContext& context, const EventRecord* event) {
    int eventKey = event != nullptr && IsKeyMessage(event->message) ? event->paramL & 0xFF : -1;
    uint32_t outOfStep = 0;
    for (const WatchedModifier& modifier : watchedModifiers) {
        bool system = (context.heldModifiers & modifier.bit) != 0;
        if (modifier.virtualKey == eventKey || system == RecorderHoldsKey(modifier.virtualKey))
            continue;
        if (system && watch.foregroundHigher)
            continue;
        outOfStep |= modifier.bit;
    }
    return outOfStep;
}

/* An event's context is exact: the system's key state as it was when the
 * event happened. A check may be taken while a change is still on its way
 * to the recorder, so it is believed only when the next check agrees. */
static void KeepModifiersInStep(const RecordContext& context, const EventRecord* event,
                                uint32_t time) {
    uint32_t outOfStep = ModifiersOutOfStep(context, event);
    uint32_t act = event != nullptr ? outOfStep : outOfStep & watch.checkMismatch;
    watch.checkMismatch = event != nullptr ? 0 : outOfStep & ~act;
    for (const WatchedModifier& modifier : watchedModifiers) {
        if (act & modifier.bit)
            RecorderAddKeyChange(modifier.virtualKey, !RecorderHoldsKey(modifier.virtualKey), time,
                                 context.focus);
    }
}

/* ---- Buttons in step with the system ---- */

static uint32_t ButtonOfEvent(const EventRecord* event) {
    if (event == nullptr)
        return 0;
    switch (event->message) {
    case MsgLButtonDown:
    case MsgLButtonUp:
    case MsgLButtonDblClk:
        return HeldLeftButton;
    case MsgRButtonDown:
    case MsgRButtonUp:
    case MsgRButtonDblClk:
        return HeldRightButton;
    case MsgMButtonDown:
    case MsgMButtonUp:
    case MsgMButtonDblClk:
        return HeldMiddleButton;
    case MsgXButtonDown:
    case MsgXButtonUp:
    case MsgXButtonDblClk:
        return MouseEventAmount(*event) == 2 ? HeldSecondXButton : HeldFirstXButton;
    default:
        return 0;
    }
}

/* A button the list holds and the system had let go lost its release on
 * the way (a queue that overflowed, a secure desktop that had the input
 * meanwhile): it is released in the list, or the recording would play as
 * a drag. A check is believed only when the next one agrees, as for the
 * modifiers. A button the system holds and the list does not is left
 * alone: its press went unrecorded earlier, and a press made up now would
 * click where the user did not. */
static void KeepButtonsInStep(const RecordContext& context, const EventRecord* event,
                              uint32_t time) {
    uint32_t letGo = RecorderHeldButtons() & ~context.heldButtons & ~ButtonOfEvent(event);
    uint32_t act = event != nullptr ? letGo : letGo & watch.buttonCheckMismatch;
    watch.buttonCheckMismatch = event != nullptr ? 0 : letGo & ~act;
    if (act == 0)
        return;
    LogPrintf(LogLow, "WARNING: The release of a mouse button did not reach the recording: it is "
                      "added where it was noticed");
    RecorderReleaseButtons(act, time);
}

/* ---- Windows the hooks cannot see into ---- */

static void NoteHigherWindow(WindowHandle window) {
    char title[sizeof watch.firstHigherTitle];
    title[0] = '\0';
    PlatformGetWindowTitle(window, title, sizeof title);
    LogPrintf(LogLow,
              "WARNING: Input to \"%s\" is not recorded: that window runs with higher rights than "
              "Mirlow",
              title);
    if (watch.higherWindows++ == 0)
        memcpy(watch.firstHigherTitle, title, sizeof title);
}

/* The modifiers held as such a window comes to the front are let go in
 * the recording: their releases will go to that window, unseen. */
static void FollowForeground(const RecordContext& context, uint32_t time) {
    if (context.foreground == watch.foreground)
        return;
    watch.foreground = context.foreground;
    bool higher = PlatformWindowHasHigherRights(context.foreground);
    if (higher) {
        NoteHigherWindow(context.foreground);
        ReleaseWatchedModifiers(time);
    }
    watch.foregroundHigher = higher;
}

/* ---- The whole watch ---- */

bool WatchRecordingDesktop(const RecordContext& context, const EventRecord* event, bool ending) {
    if (!context.inputDesktopOurs && !ending) {
        LogPrintf(LogLow, "The input left Mirlow's desktop (a locked session, a secure desktop or "
                          "another user): the recording ends");
        CancelJournal();
        return false;
    }
    uint32_t time = event != nullptr ? event->time : context.tick;
    NoteLostEvents(context);
    FollowForeground(context, time);
    if (event == nullptr && !ending)
        RestartRemovedHooks(context);
    KeepModifiersInStep(context, event, time);
    KeepButtonsInStep(context, event, time);
    return true;
}

/* ---- Telling the user ---- */

static void AppendText(char* text, size_t size, const char* addition) {
    size_t used = strlen(text);
    if (used > 0 && used + 2 < size)
        snprintf(text + used, size - used, "\n\n");
    used = strlen(text);
    snprintf(text + used, size - used, "%s", addition);
}

static void DescribeHigherWindows(char* text, size_t size) {
    char line[256];
    if (watch.higherWindows == 1)
        snprintf(line, sizeof line,
                 "Input to \"%s\" was not recorded: that window runs with higher rights than "
                 "Mirlow.",
                 watch.firstHigherTitle);
    else
        snprintf(line, sizeof line,
                 "Input to \"%s\" and %d more windows was not recorded: they run with higher "
                 "rights than Mirlow.",
                 watch.firstHigherTitle, watch.higherWindows - 1);
    AppendText(text, size, line);
}

void TellWhatTheRecordingMissed(void) {
    char text[640] = "";
    if (watch.hooksRestarted || watch.lostEvents > 0)
        AppendText(text, sizeof text,
                   "Windows did not pass all of your input to Mirlow during this recording: some "
                   "of it may be missing.");
    if (watch.higherWindows > 0)
        DescribeHigherWindows(text, sizeof text);
    ResetRecordingWatch();
    if (text[0] != '\0')
        ShowMessageBox(text, "Mirlow Warning", BoxOk | BoxIconWarning | BoxTaskModal);
}

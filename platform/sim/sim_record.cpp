/*
 * sim_record.cpp: the simulated system's side of a recording. Tests and
 * the headless program script the desktop's input; it reaches the record
 * hook the program installed exactly as a real system would hand it over,
 * stamped with the desktop as it was: the keys the system holds (updated
 * after the hook has seen the event, as the system does), the foreground
 * window, whether the input desktop is the program's, and when the system
 * and the hooks last saw input. Input may be held back (a busy program)
 * and handed over later, in order, and the hooks may be taken away
 * without a word. Every window the program made (its main window,
 * children, dialogs) counts as its own; the other programs' windows do not.
 */
#include <set>
#include <vector>

#include "platform/control_facts.h"
#include "platform/input_rules.h"
#include "platform/record_queue.h"
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

namespace {

const uint32_t DefaultQueueSize = 8192; /* as the Windows side's */

struct SimRecordInputState {
    RecordHookProcedure procedure = nullptr;
    RecordHookProcedure flushedTo = nullptr; /* installed or removed */
    bool failInstall = false;
    bool throughJournal = false;
    int nextHookCalls = 0;
    bool stalled = false; /* the system took the hooks away */
    int restarts = 0;
    bool holdInput = false;
    uint32_t queueSize = DefaultQueueSize;
    bool asyncKeys[256] = {};
    bool inputDesktopOurs = true;
    uint32_t lastSystemInput = 0;
    uint32_t lastHookInput = 0;
    std::set<WindowHandle> higherRights;
    RecordContext current = {};
    RecordedWindow currentWindow = {};
};

SimRecordInputState recordInput;
std::vector<RecordQueueEntry> heldEntries;
RecordQueue held;

const uintptr_t RecordHookHandle = 0x7EC0;

} // namespace

/* The held input waits in the queue the Windows side uses, with its
 * rules for a queue that fills. */
static void StartHeldQueue(void) {
    if (heldEntries.size() != recordInput.queueSize)
        heldEntries.assign(recordInput.queueSize, RecordQueueEntry());
    StartRecordQueue(&held, heldEntries.data(), recordInput.queueSize);
}

void SimResetRecordInput(void) {
    recordInput = SimRecordInputState();
    StartHeldQueue();
}

void SimSetRecordQueueSize(uint32_t entries) {
    recordInput.queueSize = entries;
    StartHeldQueue();
}

static const struct {
    uint32_t bit;
    int virtualKey;
} ContextModifiers[] = {{HeldShift, KeyShift},
                        {HeldControl, KeyControl},
                        {HeldAlt, KeyAlt},
                        {HeldLeftWindows, KeyLeftWindows},
                        {HeldRightWindows, KeyRightWindows}};

static RecordContext ContextNow(void) {
    RecordContext context = {};
    context.tick = PlatformTickCount();
    for (const auto& modifier : ContextModifiers) {
        if (recordInput.asyncKeys[modifier.virtualKey])
            context.heldModifiers |= modifier.bit;
    }
    static const int buttonKeys[] = {0x01, 0x02, 0x04, 0x05, 0x06}; /* as the Held...Button bits */
    for (int i = 0; i < 5; i++) {
        if (recordInput.asyncKeys[buttonKeys[i]])
            context.heldButtons |= 1u << i;
    }
    context.foreground = PlatformForegroundWindow();
    context.focus = context.foreground;
    context.inputDesktopOurs = recordInput.inputDesktopOurs;
    context.lastSystemInput = recordInput.lastSystemInput;
    context.lastHookInput = recordInput.lastHookInput;
    return context;
}

static intptr_t CallWithContext(int code, const EventRecord* event, const RecordContext& context,
                                const RecordedWindow& window = RecordedWindow()) {
    recordInput.current = context;
    recordInput.currentWindow = window;
    return recordInput.procedure(code, event);
}

/* A button message: the virtual key the system's key state keeps the
 * button under, and whether it presses it; key 0 for other messages. */
struct ButtonChange {
    int key;
    bool press;
};

static ButtonChange ButtonChangeOf(const EventRecord& event) {
    switch (event.message) {
    case MsgLButtonDown:
    case MsgLButtonDblClk:
        return {0x01, true};
    case MsgLButtonUp:
        return {0x01, false};
    case MsgRButtonDown:
    case MsgRButtonDblClk:
        return {0x02, true};
    case MsgRButtonUp:
        return {0x02, false};
    case MsgMButtonDown:
    case MsgMButtonDblClk:
        return {0x04, true};
    case MsgMButtonUp:
        return {0x04, false};
    case MsgXButtonDown:
    case MsgXButtonDblClk:
    case MsgXButtonUp:
        return {MouseEventAmount(event) == 2 ? 0x06 : 0x05, event.message != MsgXButtonUp};
    default:
        return {0, false};
    }
}

/* The system's key state follows a key or button event once the hooks
 * have seen it. */
static void FollowKeyState(const EventRecord& event) {
    if (IsKeyMessage(event.message))
        recordInput.asyncKeys[event.paramL & 0xFF] = !IsKeyRelease(event.message);
    ButtonChange button = ButtonChangeOf(event);
    if (button.key != 0)
        recordInput.asyncKeys[button.key] = button.press;
}

/* A press's window as it is at the press, as the Windows side reads it. */
static RecordedWindow WindowAtPress(const EventRecord& event) {
    RecordedWindow seen = {};
    bool keyPress = event.message == MsgKeyDown || event.message == MsgSysKeyDown;
    if (keyPress || ButtonChangeOf(event).press)
        LookAtPressWindow((WindowHandle)(uintptr_t)event.hwnd, !keyPress, &seen);
    return seen;
}

/* Everything goes through the queue, as on the Windows side, and is
 * handed over at once unless the program is busy. */
static void Drain(bool endOfInput) {
    if (endOfInput)
        FlushHeldMove(&held, true);
    RecordQueueEntry input;
    while (recordInput.flushedTo != nullptr && TakeRecordInput(&held, &input)) {
        recordInput.current = input.context;
        recordInput.currentWindow = input.window;
        recordInput.flushedTo(input.code, input.code == HookAction ? &input.event : nullptr);
    }
}

static void HandOver(const RecordQueueEntry& entry) {
    PushRecordInput(&held, entry);
    if (!recordInput.holdInput)
        Drain(false);
}

bool SimRecordInput(const EventRecord& event) {
    recordInput.lastSystemInput = PlatformTickCount();
    bool reaches = recordInput.procedure != nullptr && !recordInput.stalled;
    if (reaches) {
        recordInput.lastHookInput = PlatformTickCount();
        HandOver(RecordQueueEntry{HookAction, event, ContextNow(), WindowAtPress(event)});
    }
    SimNoteUserKey(event);
    FollowKeyState(event);
    return reaches;
}

intptr_t SimCallRecordHook(int code, const EventRecord* event) {
    return recordInput.procedure != nullptr ? CallWithContext(code, event, ContextNow()) : 0;
}

bool SimRecordCheck(void) {
    if (recordInput.procedure == nullptr)
        return false;
    HandOver(RecordQueueEntry{HookRecordCheck, EventRecord(), ContextNow(), RecordedWindow()});
    return true;
}

/* A program no longer busy takes what waited, in order. */
void SimHoldRecordInput(bool hold) {
    recordInput.holdInput = hold;
    if (!hold)
        Drain(false);
}

/* The last move of a run the full queue held back comes last. */
void PlatformFlushRecordInput(void) {
    Drain(true);
}

void SimStallRecordHooks(void) {
    recordInput.stalled = true;
}

int SimRecordHookRestarts(void) {
    return recordInput.restarts;
}

bool PlatformRestartRecordHook(HookHandle hook) {
    if (hook == nullptr || recordInput.procedure == nullptr)
        return false;
    recordInput.stalled = false;
    recordInput.restarts++;
    recordInput.lastHookInput = PlatformTickCount();
    return true;
}

void SimSetAsyncKeyDown(int virtualKey, bool down) {
    recordInput.asyncKeys[virtualKey & 0xFF] = down;
}

bool PlatformKeyHeldNow(int virtualKey) {
    return recordInput.asyncKeys[virtualKey & 0xFF];
}

void SimSetInputDesktopOurs(bool ours) {
    recordInput.inputDesktopOurs = ours;
}

void SimSetHigherRights(WindowHandle window, bool higher) {
    if (higher)
        recordInput.higherRights.insert(window);
    else
        recordInput.higherRights.erase(window);
}

bool PlatformWindowHasHigherRights(WindowHandle window) {
    return window != nullptr && recordInput.higherRights.count(window) > 0;
}

bool PlatformRecordedWindow(RecordedWindow* window) {
    if (recordInput.throughJournal || recordInput.currentWindow.window == nullptr)
        return false;
    *window = recordInput.currentWindow;
    return true;
}

bool PlatformRecordContext(RecordContext* context) {
    if (recordInput.throughJournal)
        return false;
    *context = recordInput.current;
    return true;
}

EventRecord SimUnicodeKeyRecord(uint16_t character, bool release, uint32_t time, uint32_t hwnd) {
    uint32_t flags = release ? 0xC0 : 0;
    return EventRecord{release ? (uint32_t)MsgKeyUp : (uint32_t)MsgKeyDown,
                       KeyEventParamL(KeyPacket, character, flags),
                       KeyEventParamH(KeyPacket, character, false), time, hwnd};
}

bool SimRecordHookInstalled(void) {
    return recordInput.procedure != nullptr;
}

void SimCancelRecording(void) {
    recordInput.procedure = nullptr;
    SimPostCancelNotice();
}

void SimFailRecordHookInstall(bool fail) {
    recordInput.failInstall = fail;
}

void SimSetRecordThroughJournal(bool journal) {
    recordInput.throughJournal = journal;
}

int SimNextRecordHookCalls(void) {
    return recordInput.nextHookCalls;
}

HookHandle PlatformInstallRecordHook(RecordHookProcedure procedure) {
    if (recordInput.failInstall)
        return nullptr;
    recordInput.procedure = procedure;
    recordInput.flushedTo = procedure;
    recordInput.stalled = false;
    StartHeldQueue();
    recordInput.lastHookInput = PlatformTickCount();
    recordInput.current = ContextNow();
    return (HookHandle)RecordHookHandle;
}

bool PlatformRecordUsesSystemJournal(void) {
    return recordInput.throughJournal;
}

bool PlatformRemoveRecordHook(HookHandle hook) {
    if (hook == nullptr)
        return false;
    recordInput.procedure = nullptr;
    return true;
}

intptr_t PlatformCallNextRecordHook(HookHandle hook, int code) {
    (void)hook;
    (void)code;
    recordInput.nextHookCalls++;
    return SimNextRecordHookAnswer;
}

/* Windows of other programs are made with SimAddDesktopWindow, and their
 * children belong to them too. */
bool PlatformIsOwnWindow(WindowHandle window) {
    if (window == nullptr)
        return false;
    return SimGetWindowInfo(window).exists &&
           !SimIsOtherProgramsWindow(PlatformTopLevelWindowOf(window));
}

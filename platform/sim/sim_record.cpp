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
#include <deque>
#include <set>

#include "platform/input_rules.h"
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

namespace {

struct QueuedRecordInput {
    EventRecord event;
    RecordContext context;
};

struct SimRecordInputState {
    RecordHookProcedure procedure = nullptr;
    RecordHookProcedure flushedTo = nullptr; /* installed or removed */
    bool failInstall = false;
    bool throughJournal = false;
    int nextHookCalls = 0;
    bool stalled = false; /* the system took the hooks away */
    int restarts = 0;
    bool holdInput = false;
    std::deque<QueuedRecordInput> held;
    bool asyncKeys[256] = {};
    bool inputDesktopOurs = true;
    uint32_t lastSystemInput = 0;
    uint32_t lastHookInput = 0;
    std::set<WindowHandle> higherRights;
    RecordContext current = {};
};

SimRecordInputState recordInput;

const uintptr_t RecordHookHandle = 0x7EC0;

} // namespace

void SimResetRecordInput(void) {
    recordInput = SimRecordInputState();
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
    context.foreground = PlatformForegroundWindow();
    context.focus = context.foreground;
    context.inputDesktopOurs = recordInput.inputDesktopOurs;
    context.lastSystemInput = recordInput.lastSystemInput;
    context.lastHookInput = recordInput.lastHookInput;
    return context;
}

static intptr_t CallWithContext(int code, const EventRecord* event, const RecordContext& context) {
    recordInput.current = context;
    return recordInput.procedure(code, event);
}

/* The system's key state follows a key event once the hooks have seen it. */
static void FollowKeyState(const EventRecord& event) {
    if (IsKeyMessage(event.message))
        recordInput.asyncKeys[event.paramL & 0xFF] = !IsKeyRelease(event.message);
}

bool SimRecordInput(const EventRecord& event) {
    recordInput.lastSystemInput = PlatformTickCount();
    bool reaches = recordInput.procedure != nullptr && !recordInput.stalled;
    if (reaches) {
        recordInput.lastHookInput = PlatformTickCount();
        RecordContext context = ContextNow();
        if (recordInput.holdInput)
            recordInput.held.push_back(QueuedRecordInput{event, context});
        else
            CallWithContext(HookAction, &event, context);
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
    CallWithContext(HookRecordCheck, nullptr, ContextNow());
    return true;
}

void SimHoldRecordInput(bool hold) {
    recordInput.holdInput = hold;
}

void PlatformFlushRecordInput(void) {
    while (!recordInput.held.empty() && recordInput.flushedTo != nullptr) {
        QueuedRecordInput input = recordInput.held.front();
        recordInput.held.pop_front();
        recordInput.current = input.context;
        recordInput.flushedTo(HookAction, &input.event);
    }
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
    recordInput.held.clear();
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

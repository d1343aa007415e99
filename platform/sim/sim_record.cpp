/*
 * sim_record.cpp: the simulated system's side of a recording. Tests and
 * the headless program script the desktop's input; it reaches the record
 * hook the program installed exactly as a real system would hand it over.
 * Every window the program made (its main window, children, dialogs)
 * counts as its own; the other programs' windows do not.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

namespace {

struct SimRecordInputState {
    RecordHookProcedure procedure = nullptr;
    bool failInstall = false;
    bool throughJournal = false;
    int nextHookCalls = 0;
};

SimRecordInputState recordInput;

const uintptr_t RecordHookHandle = 0x7EC0;

} // namespace

void SimResetRecordInput(void) {
    recordInput = SimRecordInputState();
}

bool SimRecordInput(const EventRecord& event) {
    if (recordInput.procedure == nullptr)
        return false;
    recordInput.procedure(HookAction, &event);
    return true;
}

intptr_t SimCallRecordHook(int code, const EventRecord* event) {
    return recordInput.procedure != nullptr ? recordInput.procedure(code, event) : 0;
}

bool SimRecordHookInstalled(void) {
    return recordInput.procedure != nullptr;
}

void SimCancelRecording(void) {
    recordInput.procedure = nullptr;
    PlatformPostMessage(nullptr, MsgCancelJournal, 0, 0);
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

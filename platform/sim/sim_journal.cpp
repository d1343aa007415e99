/*
 * sim_journal.cpp: the playback hook on the simulated desktop, driven by
 * the journal contract from the message loop on the virtual clock.
 *
 * While a playback hook is installed and no posted message is waiting,
 * retrieving a message asks the hook for its next record: a delay moves
 * the clock on (by what a test says the system really waited), a written
 * record is handed to the system and collected with the time it went.
 * The system's cancel keys can come after a number of records or at a
 * time of the clock; a system journal can be refused, or installed and
 * never called, as the real ones are on some systems. How the system
 * treats each record handed over (refusals, a locked session) is asked of
 * sim_playback.cpp.
 */
#include "platform/input_rules.h"
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <deque>

namespace {

struct SimJournal {
    int removedHooks = 0;
    std::vector<SimDelivered> delivered;
    int deliveredCount = 0;
    bool keepDelivered = true;
    void (*observer)(uint32_t, const EventRecord*) = nullptr;
    int wakeOffset = 0;
    std::deque<uint32_t> wakes;
    int cancelAfter = 0;
    bool cancelAtTickSet = false;
    uint32_t cancelAtTick = 0;
    bool failHookInstall = false;
    bool injectsKeys = false;
    int togglePresses = 0;
    int hookCalls = 0;
    bool journalPending = false;  /* the system's journal is installed, not yet called */
    bool journalFellBack = false; /* it was never called: injected input from then on */
};

SimJournal* journal = new SimJournal;

void WaitOnClock(uint32_t asked) {
    uint32_t actual = asked;
    if (!journal->wakes.empty()) {
        actual = journal->wakes.front();
        journal->wakes.pop_front();
    } else if (journal->wakeOffset < 0 && (uint32_t)-journal->wakeOffset > asked) {
        actual = 0;
    } else {
        actual = asked + (uint32_t)journal->wakeOffset;
    }
    SimAdvanceClock(actual);
}

/* The system's cancel keys: the hook is removed first, then the program is
 * told. */
void CancelJournalLikeTheSystem(void) {
    ForgetEmulatedHook();
    SimPostCancelNotice();
}

InputDelivery DeliverToSystem(const EventRecord* record) {
    InputDelivery outcome = SimJudgeDelivery(journal->deliveredCount);
    if (outcome != InputDelivered)
        return outcome;
    journal->deliveredCount++;
    SimNoteKeyStrokes(*record);
    uint32_t now = PlatformTickCount();
    if (journal->keepDelivered)
        journal->delivered.push_back(SimDelivered{now, *record});
    if (journal->observer != nullptr)
        journal->observer(now, record);
    SimTargetTakes();
    if (journal->cancelAfter > 0 && journal->deliveredCount >= journal->cancelAfter)
        CancelJournalLikeTheSystem();
    return InputDelivered;
}

/* A journal that is never called: the platform gives up on it after the
 * first-call time-out and injects the input from then on. */
void FallBackFromSilentJournal(void) {
    if (!journal->journalPending)
        return;
    journal->journalPending = false;
    journal->journalFellBack = true;
    SimAdvanceClock(JournalFirstCallTimeout);
}

bool CancelTimeReached(void) {
    return journal->cancelAtTickSet &&
           (int32_t)(PlatformTickCount() - journal->cancelAtTick) >= 0 && EmulatedHookInstalled();
}

} // namespace

/* The cancel keys as the system's own hooks see them: pressed once the
 * tick a test set for them has come while a playback runs. */
bool PlatformCancelKeysPressed(void) {
    return CancelTimeReached();
}

/* A wait that ends early when the cancel keys are pressed meanwhile: the
 * clock then stands at the moment they were. */
void SimSleepUnlessCancelled(int milliseconds) {
    uint32_t now = PlatformTickCount();
    uint32_t end = now + (uint32_t)milliseconds;
    if (journal->cancelAtTickSet && EmulatedHookInstalled() &&
        (int32_t)(end - journal->cancelAtTick) > 0 && (int32_t)(now - journal->cancelAtTick) < 0)
        end = journal->cancelAtTick;
    if (!CancelTimeReached())
        PlatformSleep((int)(end - now));
}

/* ---- Control ---- */

void SimResetJournal(void) {
    ForgetEmulatedHook();
    TakePendingCancel();
    delete journal;
    journal = new SimJournal;
}

int SimRemovedHooks(void) {
    return journal->removedHooks;
}

const std::vector<SimDelivered>& SimDeliveredEvents(void) {
    return journal->delivered;
}

int SimDeliveredCount(void) {
    return journal->deliveredCount;
}

void SimSetDeliveryObserver(void (*observer)(uint32_t tick, const EventRecord* record)) {
    journal->observer = observer;
}

void SimKeepDeliveredEvents(bool keep) {
    journal->keepDelivered = keep;
}

void SimSetWakeOffset(int milliseconds) {
    journal->wakeOffset = milliseconds;
}

void SimQueueWake(uint32_t milliseconds) {
    journal->wakes.push_back(milliseconds);
}

void SimCancelJournalAfter(int deliveredCount) {
    journal->cancelAfter = deliveredCount;
}

void SimCancelJournalNow(void) {
    CancelJournalLikeTheSystem();
}

void SimCancelJournalAtTick(uint32_t tick) {
    journal->cancelAtTickSet = true;
    journal->cancelAtTick = tick;
}

void SimFailHookInstall(bool fail) {
    journal->failHookInstall = fail;
}

void SimSetInputInjectsKeys(bool injects) {
    journal->injectsKeys = injects;
}

int SimToggleKeyPresses(void) {
    return journal->togglePresses;
}

int SimHookCallCount(void) {
    return journal->hookCalls;
}

/* ---- Driving ---- */

void SimDriveJournal(void) {
    while (SimMessageQueueLength() == 0) {
        FallBackFromSilentJournal();
        const JournalInput input = {DeliverToSystem, SimStartTakenCheck, SimPollTakenCheck};
        JournalStep step = StepEmulatedJournal(input);
        if (TakePendingCancel())
            PlatformPostMessage(nullptr, MsgCancelJournal, 0, 0);
        if (!step.ran)
            return;
        journal->hookCalls++;
        if (step.waitMs > 0)
            WaitOnClock(step.waitMs);
        if (CancelTimeReached()) {
            journal->cancelAtTickSet = false;
            CancelJournalLikeTheSystem();
        }
    }
}

/* ---- The seam ---- */

HookHandle PlatformInstallPlaybackHook(PlaybackHookProcedure procedure) {
    if (journal->failHookInstall)
        return nullptr;
    journal->journalPending =
        SimJournalIsNeverCalled() && !journal->journalFellBack && !SimInjectedInputPreferred();
    return InstallEmulatedHook(procedure);
}

/* The simulated system plays through a journal unless told that its input
 * layer injects real keys, or its journal was never called; and, as on
 * Windows, a recording that types text is played through injected input. */
bool PlatformPlaybackUsesSystemJournal(void) {
    if (journal->journalPending)
        return true;
    return !journal->injectsKeys && !journal->journalFellBack && !SimInjectedInputPreferred();
}

/* The simulated system's key state is the user's alone: played keys are
 * kept apart from it. */
bool PlatformUserHoldsModifier(void) {
    if (!EmulatedHookInstalled() || PlatformPlaybackUsesSystemJournal())
        return false;
    for (int key : UserModifierKeys) {
        if (PlatformKeyHeldNow(key))
            return true;
    }
    return false;
}

bool PlatformRemoveJournalHook(HookHandle hook) {
    if (hook == nullptr)
        return false;
    journal->removedHooks++;
    RemoveEmulatedHook(hook);
    return true;
}

intptr_t PlatformCallNextHook(HookHandle hook, int code) {
    (void)hook;
    (void)code;
    return 0;
}

bool PlatformPressToggleKey(int virtualKey) {
    (void)virtualKey;
    if (!PlatformPlaybackUsesSystemJournal())
        return false;
    journal->togglePresses++;
    return true;
}

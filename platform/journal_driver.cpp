/*
 * journal_driver.cpp: the journal-playback contract, driven from the
 * message loop.
 *
 * The hook may remove itself while it answers (an error ends the playback)
 * and may install its successor while it is told to skip (the next pass
 * starts inside that call). Each installation gets a new generation, so a
 * step never talks to a hook other than the one it asked, and the loop that
 * calls the steps picks up the new hook on its next turn instead of
 * recursing into it.
 *
 * A record that must be seen taken leaves the hook's skip owed: the steps
 * that follow look at the target until it has taken the input, or until
 * the limits end the playback, and only then tell the hook, so the hook
 * moves on (to a script command, the next pass, the end of the run) only
 * once nothing is on its way.
 *
 * The arithmetic of the waits is here too, so that both platforms and the
 * native tests share it; the platform only reads its clock and waits.
 */
#include "platform/journal_driver.h"

#include "platform/input_rules.h"

static PlaybackHookProcedure installedHook;
static uintptr_t generation;
static bool cancelPending;

/* The input handed over since the target was last seen to have taken
 * everything, and the check under way, whose skip the hook is owed. */
static struct {
    int32_t records;
    int32_t characters;
    bool checking;
    uint32_t started;
    uint32_t lastAnswer;
} pace;
static UntakenInput untaken;

static void ForgetPace(void) {
    pace = {};
}

HookHandle InstallEmulatedHook(PlaybackHookProcedure procedure) {
    installedHook = procedure;
    generation++;
    ForgetPace();
    return (HookHandle)(generation * 16); /* distinct and never null */
}

bool RemoveEmulatedHook(HookHandle hook) {
    if (installedHook == nullptr || hook != (HookHandle)(generation * 16))
        return false;
    installedHook = nullptr;
    ForgetPace();
    return true;
}

void ForgetEmulatedHook(void) {
    installedHook = nullptr;
    ForgetPace();
}

bool EmulatedHookInstalled(void) {
    return installedHook != nullptr;
}

bool IsCurrentEmulatedHook(HookHandle hook) {
    return generation != 0 && hook == (HookHandle)(generation * 16);
}

static bool StillInstalled(uintptr_t asked) {
    return installedHook != nullptr && generation == asked;
}

void CancelEmulatedHook(void) {
    if (installedHook == nullptr)
        return;
    installedHook = nullptr;
    ForgetPace();
    cancelPending = true;
}

bool TakePendingCancel(void) {
    bool pending = cancelPending;
    cancelPending = false;
    return pending;
}

UntakenInput LastUntakenInput(void) {
    return untaken;
}

/* Counts a record handed over; true when the target is to be seen to take
 * it before the hook moves on. */
static bool NoteHandedOver(const JournalInput& input, const EventRecord& record) {
    bool waits = WaitsForTargetAfter(record, pace.records);
    pace.records++;
    if (TypedRoleOf(record.hwnd) == TypedCharacter && !IsKeyRelease(record.message))
        pace.characters++;
    if (!waits)
        return false;
    input.startTakenCheck();
    pace.checking = true;
    pace.started = pace.lastAnswer = PlatformTickCount();
    return true;
}

/* One look at the target; the owed skip once it has taken everything, or
 * the report that it did not within the limits. */
static void ContinueTakenCheck(const JournalInput& input, uintptr_t asked) {
    WindowHandle window = nullptr;
    TakenState state = input.pollTakenCheck(&window);
    if (!StillInstalled(asked))
        return;
    uint32_t now = PlatformTickCount();
    if (state == TakenNotYet)
        pace.lastAnswer = now;
    bool late = now - pace.started >= InputTakeLimit || now - pace.lastAnswer >= InputSilentLimit;
    if (state != TakenAll && !late)
        return;
    if (state != TakenAll)
        untaken = UntakenInput{window, pace.records, pace.characters, now - pace.started};
    ForgetPace();
    bool wrote = false;
    installedHook(state == TakenAll ? HookSkip : HookInputNotTaken, nullptr, &wrote);
}

JournalStep StepEmulatedJournal(const JournalInput& input) {
    JournalStep step = {false, 0, false, EventRecord{}};
    if (installedHook == nullptr)
        return step;
    step.ran = true;
    uintptr_t asked = generation;
    if (pace.checking) {
        ContinueTakenCheck(input, asked);
        return step;
    }
    bool wrote = false;
    intptr_t delay = installedHook(HookGetNext, &step.record, &wrote);
    if (!StillInstalled(asked))
        return step;
    if (delay > 0) {
        step.waitMs = (uint32_t)delay;
        return step;
    }
    InputDelivery delivery = wrote ? input.deliver(&step.record) : InputDelivered;
    step.delivered = wrote && delivery == InputDelivered;
    if (delivery == InputCancelled) {
        CancelEmulatedHook();
        return step;
    }
    if (delivery == InputRefused)
        ForgetPace();
    if (step.delivered && NoteHandedOver(input, step.record))
        return step;
    if (StillInstalled(asked))
        installedHook(delivery == InputRefused ? HookInputRefused : HookSkip, nullptr, &wrote);
    return step;
}

int64_t JournalWaitDeadline(int64_t nowUs, uint32_t waitMs) {
    return (nowUs / 1000 + (int64_t)waitMs) * 1000;
}

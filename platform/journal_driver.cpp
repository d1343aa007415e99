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
 * The arithmetic of the waits is here too, so that both platforms and the
 * native tests share it; the platform only reads its clock and waits.
 */
#include "platform/journal_driver.h"

static PlaybackHookProcedure installedHook;
static uintptr_t generation;
static bool cancelPending;

HookHandle InstallEmulatedHook(PlaybackHookProcedure procedure) {
    installedHook = procedure;
    generation++;
    return (HookHandle)(generation * 16); /* distinct and never null */
}

bool RemoveEmulatedHook(HookHandle hook) {
    if (installedHook == nullptr || hook != (HookHandle)(generation * 16))
        return false;
    installedHook = nullptr;
    return true;
}

void ForgetEmulatedHook(void) {
    installedHook = nullptr;
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
    cancelPending = true;
}

bool TakePendingCancel(void) {
    bool pending = cancelPending;
    cancelPending = false;
    return pending;
}

JournalStep StepEmulatedJournal(InputDelivery (*deliver)(const EventRecord* record)) {
    JournalStep step = {false, 0, false, EventRecord{}};
    if (installedHook == nullptr)
        return step;
    step.ran = true;
    uintptr_t asked = generation;
    bool wrote = false;
    intptr_t delay = installedHook(HookGetNext, &step.record, &wrote);
    if (!StillInstalled(asked))
        return step;
    if (delay > 0) {
        step.waitMs = (uint32_t)delay;
        return step;
    }
    InputDelivery delivery = wrote ? deliver(&step.record) : InputDelivered;
    step.delivered = wrote && delivery == InputDelivered;
    if (delivery == InputCancelled) {
        CancelEmulatedHook();
        return step;
    }
    if (StillInstalled(asked))
        installedHook(delivery == InputRefused ? HookInputRefused : HookSkip, nullptr, &wrote);
    return step;
}

int64_t JournalWaitDeadline(int64_t nowUs, uint32_t waitMs) {
    return (nowUs / 1000 + (int64_t)waitMs) * 1000;
}

/*
 * journal_driver.h: calling a journal-playback hook by its contract, for
 * the platforms where the system does not call it (the simulated desktop;
 * Windows when journal hooks are not available). Shared by both platform
 * implementations; portable.
 */
#ifndef MIRLOW_JOURNAL_DRIVER_H
#define MIRLOW_JOURNAL_DRIVER_H

#include <cstdint>

#include "model/model.h"
#include "platform/platform.h"

/* The one emulated playback hook, as installed and removed. */
HookHandle InstallEmulatedHook(PlaybackHookProcedure procedure);
bool RemoveEmulatedHook(HookHandle hook);
bool EmulatedHookInstalled(void);
/* The system took the hook away (cancel keys): it is gone without a call. */
void ForgetEmulatedHook(void);

/* What one step did. */
struct JournalStep {
    bool ran;        /* a hook was installed and was asked */
    uint32_t waitMs; /* wait this long, then step again */
    bool delivered;  /* record was handed to the system */
    EventRecord record;
};

/* Asks the installed hook for the current event. A delay is returned in
 * waitMs for the caller to wait out before the next step; a written record
 * is handed to deliver, and then the hook is told to skip to the next
 * event. A hook that removed itself meanwhile is asked nothing more. */
JournalStep StepEmulatedJournal(void (*deliver)(const EventRecord* record));

#endif

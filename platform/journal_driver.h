/*
 * journal_driver.h: calling a journal-playback hook by its contract, for
 * the platforms where the system does not call it (the simulated desktop;
 * Windows when journal hooks are not available). Shared by both platform
 * implementations; portable.
 */
#ifndef MIRLOW_JOURNAL_DRIVER_H
#define MIRLOW_JOURNAL_DRIVER_H

#include <cstdint>

#include "platform/platform.h"

/* What became of a record handed to the system. */
enum InputDelivery {
    InputDelivered,
    InputRefused,   /* PlatformInputRefusal says why */
    InputCancelled, /* the playback ends as by the cancel keys: they were
                       pressed, or the session is locked or switched away */
};

/* How long a newly installed system journal may go without being called
 * before the platform removes it and injects the input itself. The system
 * asks a working journal for its first event at once. */
const uint32_t JournalFirstCallTimeout = 1000;

/* The one emulated playback hook, as installed and removed. */
HookHandle InstallEmulatedHook(PlaybackHookProcedure procedure);
bool RemoveEmulatedHook(HookHandle hook);
bool EmulatedHookInstalled(void);
/* True when hook is the handle of the latest installation, whether or not
 * it is still installed. */
bool IsCurrentEmulatedHook(HookHandle hook);
/* The system took the hook away (cancel keys): it is gone without a call. */
void ForgetEmulatedHook(void);

/* What the thread of the window that took the input since the last check
 * has done with it, by now. */
enum TakenState {
    TakenAll,          /* taken, all of it (or its window is gone) */
    TakenNotYet,       /* not yet; the thread answers, so it is at work */
    TakenNotAnswering, /* not yet, and the thread did not answer meanwhile */
};

/* How the platform hands records to the system and learns that the target
 * took them (input_rules.h says when that is waited for). */
struct JournalInput {
    InputDelivery (*deliver)(const EventRecord* record);
    /* Begins to watch for the window that took the input sent since the
     * last check (none: the window of the last input) to have taken all of
     * it. */
    void (*startTakenCheck)(void);
    /* Waits at most about TakenCheckSlice ms for that, and answers what is
     * known then, with the top-level window the input went to (or null). */
    TakenState (*pollTakenCheck)(WindowHandle* window);
};
const uint32_t TakenCheckSlice = 50;

/* How long a target may take to catch up with the input sent to it: while
 * its thread answers (it is at work on a backlog, as a slow program on a
 * long line of text is) at most InputTakeLimit ms in all; while it does
 * not answer at all (hung, or stuck in a long task), InputSilentLimit ms. */
const uint32_t InputTakeLimit = 30000;
const uint32_t InputSilentLimit = 10000;

/* What one step did. */
struct JournalStep {
    bool ran;        /* a hook was installed and was asked */
    uint32_t waitMs; /* wait this long, then step again */
    bool delivered;  /* record was handed to the system */
    EventRecord record;
};

/* Asks the installed hook for the current event. A delay is returned in
 * waitMs for the caller to wait out before the next step; a written record
 * is handed to the system, and then the hook is told to skip to the next
 * event, once the target has taken it where WaitsForTargetAfter says so:
 * until then each step looks at the target (for about TakenCheckSlice ms)
 * and asks the hook nothing. A target that takes longer than the limits
 * above is reported to the hook (HookInputNotTaken) instead of the skip,
 * and UntakenInput then says what was left. A hook that removed itself
 * meanwhile is asked nothing more. A refused record is reported to the
 * hook instead of the skip; a cancelled one takes the hook away and leaves
 * a cancel pending. */
JournalStep StepEmulatedJournal(const JournalInput& input);

/* What a target that did not take its input within the limits was left
 * with: the records handed over since the last check it passed, how many
 * characters of typed text they carry, and how long it was waited for. */
struct UntakenInput {
    WindowHandle window; /* the top-level window, or null */
    int32_t records;
    int32_t characters;
    uint32_t waitedMs;
};
UntakenInput LastUntakenInput(void);

/* When a wait that the hook asked for ends. The hook counts in the whole
 * milliseconds of the tick count; the platform waits on a finer clock in
 * microseconds, whose milliseconds are the tick count's (the tick count
 * goes on when nowUs / 1000 does). A wait of waitMs asked at nowUs ends at
 * the very start of the millisecond in which the tick count has gone on by
 * waitMs: the hook then finds exactly the delay it asked for behind it,
 * and every event goes at the same point of its millisecond, so the gaps
 * between events are the whole milliseconds asked, with no part of one to
 * add up over a long recording. */
int64_t JournalWaitDeadline(int64_t nowUs, uint32_t waitMs);

/* The emulated hook is ended as the system ends a journal (the cancel
 * keys, a locked session): it is gone at once, and the driving loop hands
 * the cancel notice to the program as its next message
 * (TakePendingCancel), where no modal loop can swallow it. */
void CancelEmulatedHook(void);
/* True once, after CancelEmulatedHook. */
bool TakePendingCancel(void);

#endif

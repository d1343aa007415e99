/*
 * journal_win32.cpp: how a playback reaches the system on Windows.
 *
 * Where the system honours a journal-playback hook (Windows up to 10, for an
 * elevated program), the real hook is installed and the system calls it.
 * Where it does not (a standard user; Windows 11, which dropped journal
 * hooks), or where a playback types text (a journal can only press the
 * keys of one layout), the program calls the hook itself by the same
 * contract from its message loop and injects each record (input_win32.cpp).
 * A system that accepts the journal but never calls it gets a short time
 * to call it; then the journal is removed, the program plays by itself,
 * and keeps to that for the rest of its run. Wine, known to do so, is not
 * offered the journal at all.
 *
 * Emulated waits end at deadlines on the high-resolution clock, reckoned
 * by JournalWaitDeadline (journal_driver.cpp) from the tick count's own
 * milliseconds; the hook counts each delay from when the event before was
 * due, so neither the overshoot of a wait nor the time the target takes
 * adds up over a long recording. This file only reads the clock and waits.
 * The system timer runs at 1 ms only while a playback hook is installed.
 */
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "platform/input_rules.h"
#include "platform/journal_driver.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HHOOK systemHook;
static PlaybackHookProcedure systemHookProcedure;
static bool systemHookCalled;
static bool systemJournalNeverCalled; /* for the rest of the run */
static bool injectionPreferred;
static bool timerPeriodHeld;
static WPARAM currentWParam;
static LPARAM currentLParam;

static int64_t systemHookInstalledAt; /* microseconds */

/* ---- The system's own journal ---- */

static LRESULT CALLBACK SystemPlaybackHook(int code, WPARAM wParam, LPARAM lParam) {
    systemHookCalled = true;
    currentWParam = wParam;
    currentLParam = lParam;
    EventRecord record;
    memset(&record, 0, sizeof record);
    bool wrote = false;
    LRESULT result = systemHookProcedure(code, &record, &wrote);
    EVENTMSG* message = reinterpret_cast<EVENTMSG*>(lParam);
    if (wrote && code == HC_GETNEXT && message != nullptr) {
        message->message = record.message;
        message->paramL = (UINT)record.paramL;
        /* A journal's mouse record holds the row alone; ours packs a
         * wheel's distance or an X button beside it. */
        message->paramH =
            (UINT)(IsMouseMessage(record.message) ? MouseEventY(record) : record.paramH);
        message->time = record.time;
        /* The typed-text mark means nothing to the system. */
        uint32_t hwnd = TypedRoleOf(record.hwnd) != TypedNone ? 0 : record.hwnd;
        message->hwnd = reinterpret_cast<HWND>((uintptr_t)hwnd);
    }
    return result;
}

/* Wine is known to accept a journal and never call it: it is not tried
 * there, so a playback does not start a second late. */
static bool JournalWorthTrying(void) {
    if (injectionPreferred || systemJournalNeverCalled)
        return false;
    return !Win32RunningUnderWine();
}

static bool InstallSystemJournal(PlaybackHookProcedure procedure) {
    if (!JournalWorthTrying())
        return false;
    systemHookProcedure = procedure;
    systemHookCalled = false;
    systemHook = SetWindowsHookExA(WH_JOURNALPLAYBACK, SystemPlaybackHook, Win32Instance(), 0);
    systemHookInstalledAt = Win32ClockMicroseconds();
    return systemHook != nullptr;
}

static void RemoveSystemJournal(void) {
    if (systemHook == nullptr)
        return;
    UnhookWindowsHookEx(systemHook);
    systemHook = nullptr;
}

/* Waits are a few milliseconds long; the default timer resolution of
 * about 15.6 ms would swallow them. */
static void HoldTimerPeriod(bool hold) {
    if (hold == timerPeriodHeld)
        return;
    if (hold)
        timeBeginPeriod(1);
    else
        timeEndPeriod(1);
    timerPeriodHeld = hold;
}

/* ---- The seam ---- */

void PlatformPreferInjectedInput(bool prefer) {
    injectionPreferred = prefer;
}

/* The emulated hook is always registered, so the handle stays the same if
 * the system's journal has to be given up; while the system calls the
 * journal, the emulated one is not driven. */
HookHandle PlatformInstallPlaybackHook(PlaybackHookProcedure procedure) {
    HookHandle hook = InstallEmulatedHook(procedure);
    Win32ForgetTakenChecks();
    HoldTimerPeriod(true);
    if (InstallSystemJournal(procedure))
        return hook;
    if (!Win32StartCancelWatcher()) {
        /* Without its emergency stop the playback does not start. */
        RemoveEmulatedHook(hook);
        HoldTimerPeriod(false);
        return nullptr;
    }
    return hook;
}

bool PlatformPlaybackUsesSystemJournal(void) {
    return systemHook != nullptr;
}

bool PlatformUserHoldsModifier(void) {
    return systemHook == nullptr && Win32UserHoldsModifier();
}

bool PlatformRemoveJournalHook(HookHandle hook) {
    if (hook == nullptr || !IsCurrentEmulatedHook(hook))
        return false;
    Win32EndMoves();       /* a pass that ends in moves ends once they are taken */
    RemoveSystemJournal(); /* possibly already taken away by the cancel keys */
    RemoveEmulatedHook(hook);
    Win32StopCancelWatcher();
    HoldTimerPeriod(false);
    return true;
}

intptr_t PlatformCallNextHook(HookHandle hook, int code) {
    (void)hook;
    if (systemHook == nullptr)
        return 0;
    return CallNextHookEx(systemHook, code, currentWParam, currentLParam);
}

/* A journal plays events without pressing the keys, so a toggle key's
 * light and state would not follow; pressing it once more does that.
 * Injected input presses real keys, where a second press would undo it. */
bool PlatformPressToggleKey(int virtualKey) {
    if (systemHook == nullptr)
        return false;
    keybd_event((BYTE)virtualKey, 0x45, KEYEVENTF_EXTENDEDKEY, Win32InjectionTag);
    keybd_event((BYTE)virtualKey, 0x45, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, Win32InjectionTag);
    return true;
}

/* ---- Driving the emulated journal ---- */

static int64_t pendingDeadline = -1; /* microseconds; -1: no wait in progress */

/* The cancel notice, handed to the loop as its next message. */
static bool CancelNotice(MSG* msg) {
    memset(msg, 0, sizeof *msg);
    msg->message = WM_CANCELJOURNAL;
    msg->time = GetMessageTime();
    return true;
}

/* The cancel keys end the emulated journal as the system ends a real one:
 * the hook is gone at once and the notice follows. */
static bool TakeCancel(MSG* msg) {
    if (Win32CancelRequested(true)) {
        Win32DropGatheredInput();
        CancelEmulatedHook();
    }
    return TakePendingCancel() && CancelNotice(msg);
}

/* Waits until the deadline passes, a message arrives (true, in msg) or the
 * cancel keys are pressed. The last millisecond is spun, since a timed wait
 * overshoots by a fraction of one. */
static bool WaitForDeadline(MSG* msg, int64_t deadline) {
    HANDLE cancel = Win32CancelEvent();
    for (;;) {
        if (PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE))
            return true;
        if (Win32CancelRequested(false))
            return false;
        int64_t remaining = deadline - Win32ClockMicroseconds();
        if (remaining <= 0)
            return false;
        if (remaining > 1500)
            MsgWaitForMultipleObjectsEx(cancel != nullptr ? 1 : 0, &cancel,
                                        (DWORD)((remaining - 1000) / 1000), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        else
            SwitchToThread();
    }
}

/* The system gets a short time to call its journal; one that stays silent
 * is given up for injected input. */
static bool WaitForSystemJournal(MSG* msg) {
    while (systemHook != nullptr && !systemHookCalled) {
        int64_t deadline = systemHookInstalledAt + (int64_t)JournalFirstCallTimeout * 1000;
        if (WaitForDeadline(msg, deadline))
            return true;
        if (systemHookCalled || Win32ClockMicroseconds() < deadline)
            continue;
        RemoveSystemJournal();
        systemJournalNeverCalled = true;
        Win32StartCancelWatcher();
    }
    return false;
}

/* Between waits (As Fast As Possible never waits) messages are looked for
 * once a millisecond, not before every record: each look asks the system,
 * which under Wine takes a tenth of a millisecond. */
static bool MessageWaiting(MSG* msg) {
    static int64_t lastLook = -1000;
    int64_t now = Win32ClockMicroseconds();
    if (now - lastLook < 1000)
        return false;
    lastLook = now;
    return PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE) != 0;
}

/* The clock is read just before the hook is asked, as near as can be to
 * its own reading of the tick count. */
bool Win32DriveEmulatedJournal(MSG* msg) {
    if (TakeCancel(msg) || WaitForSystemJournal(msg))
        return true;
    while (EmulatedHookInstalled() && systemHook == nullptr) {
        if (pendingDeadline >= 0) {
            Win32FlushHeldInput();
            if (WaitForDeadline(msg, pendingDeadline))
                return true;
            if (TakeCancel(msg))
                return true;
            pendingDeadline = -1;
        } else if (MessageWaiting(msg)) {
            Win32FlushHeldInput();
            return true;
        }
        int64_t now = Win32ClockMicroseconds();
        const JournalInput input = {Win32DeliverRecord, Win32StartTakenCheck, Win32PollTakenCheck};
        JournalStep step = StepEmulatedJournal(input);
        if (TakeCancel(msg))
            return true;
        if (step.waitMs > 0)
            pendingDeadline = JournalWaitDeadline(now, step.waitMs);
    }
    pendingDeadline = -1;
    return false;
}

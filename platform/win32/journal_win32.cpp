/*
 * journal_win32.cpp: how a playback reaches the system on Windows.
 *
 * Where the system honours a journal-playback hook (Windows up to 10, for an
 * elevated program), the real hook is installed and the system calls it.
 * Where it does not (a standard user, Windows 11, which dropped journal
 * hooks, and Wine, which accepts the hook but never calls it), the program
 * calls the hook itself by the same contract from its message loop and
 * injects each record with SendInput. The choice is made at each install.
 *
 * Emulated waits aim at absolute deadlines on the high-resolution clock:
 * when an event follows the previous one directly, its deadline is counted
 * from the previous deadline rather than from "now", so the small overshoot
 * of every wait does not add up over a long recording.
 */
#include <windows.h>

#include <cstring>

#include "platform/journal_driver.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HHOOK systemHook;
static PlaybackHookProcedure systemHookProcedure;
static int currentCode;
static WPARAM currentWParam;
static LPARAM currentLParam;
static HHOOK cancelKeyHook;
static bool usingSystemJournal;

/* ---- The system's own journal ---- */

static LRESULT CALLBACK SystemPlaybackHook(int code, WPARAM wParam, LPARAM lParam) {
    currentCode = code;
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
        message->paramH = (UINT)record.paramH;
        message->time = record.time;
        message->hwnd = reinterpret_cast<HWND>((uintptr_t)record.hwnd);
    }
    return result;
}

/* Wine accepts a journal hook and then never calls it. */
static bool RunningUnderWine(void) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

static HookHandle InstallSystemJournal(PlaybackHookProcedure procedure) {
    if (RunningUnderWine())
        return nullptr;
    systemHookProcedure = procedure;
    systemHook = SetWindowsHookExA(WH_JOURNALPLAYBACK, SystemPlaybackHook, Win32Instance(), 0);
    return reinterpret_cast<HookHandle>(systemHook);
}

/* ---- Ctrl+Esc while the program plays by itself ----
 * The system ends a real journal on Ctrl+Esc; an emulated one is ended the
 * same way: the hook is gone and the thread is told with the same notice.
 * Keys the program injected itself do not count. */

static LRESULT CALLBACK CancelKeyProc(int code, WPARAM wParam, LPARAM lParam) {
    const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    bool pressed = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    if (code == HC_ACTION && pressed && key->vkCode == VK_ESCAPE &&
        !(key->flags & LLKHF_INJECTED) && (GetAsyncKeyState(VK_CONTROL) & 0x8000) &&
        EmulatedHookInstalled()) {
        ForgetEmulatedHook();
        PostThreadMessageA(GetCurrentThreadId(), WM_CANCELJOURNAL, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void WatchCancelKeys(bool watch) {
    if (watch && cancelKeyHook == nullptr)
        cancelKeyHook = SetWindowsHookExA(WH_KEYBOARD_LL, CancelKeyProc, Win32Instance(), 0);
    if (!watch && cancelKeyHook != nullptr) {
        UnhookWindowsHookEx(cancelKeyHook);
        cancelKeyHook = nullptr;
    }
}

/* ---- The seam ---- */

HookHandle PlatformInstallPlaybackHook(PlaybackHookProcedure procedure) {
    HookHandle hook = InstallSystemJournal(procedure);
    usingSystemJournal = hook != nullptr;
    if (usingSystemJournal)
        return hook;
    WatchCancelKeys(true);
    return InstallEmulatedHook(procedure);
}

bool PlatformPlaybackUsesSystemJournal(void) {
    return usingSystemJournal;
}

bool PlatformRemoveJournalHook(HookHandle hook) {
    if (hook == nullptr)
        return false;
    if (systemHook != nullptr && hook == reinterpret_cast<HookHandle>(systemHook)) {
        systemHook = nullptr;
        return UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook)) != 0;
    }
    /* An emulated hook, possibly already taken away by the cancel keys. */
    RemoveEmulatedHook(hook);
    if (!EmulatedHookInstalled())
        WatchCancelKeys(false);
    return true;
}

intptr_t PlatformCallNextHook(HookHandle hook, int code) {
    if (systemHook == nullptr || hook != reinterpret_cast<HookHandle>(systemHook))
        return 0;
    return CallNextHookEx(systemHook, code, currentWParam, currentLParam);
}

/* A journal plays events without pressing the keys, so a toggle key's
 * light and state would not follow; pressing it once more does that.
 * SendInput presses real keys, where a second press would undo it. */
bool PlatformPressToggleKey(int virtualKey) {
    if (!usingSystemJournal)
        return false;
    keybd_event((BYTE)virtualKey, 0x45, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event((BYTE)virtualKey, 0x45, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    return true;
}

/* ---- Driving the emulated journal ---- */

static double ClockMs(void) {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static double pendingDeadline; /* 0: no wait in progress */
static double lastDue;         /* when the last handed-over event was due; 0: none */
static bool lastStepDelivered;

/* A message arriving during a wait ends the wait early; the deadline stays,
 * and the wait goes on once the message has been handled. The last
 * millisecond is spun, since a timed wait overshoots by a fraction of one. */
static bool WaitForDeadline(MSG* msg) {
    for (;;) {
        if (PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE))
            return true;
        double remaining = pendingDeadline - ClockMs();
        if (remaining <= 0)
            return false;
        if (remaining > 1.5)
            MsgWaitForMultipleObjectsEx(0, nullptr, (DWORD)(remaining - 1.0), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        else
            SwitchToThread();
    }
}

/* An event that directly follows the one just handed over is timed from
 * when that one was due, unless the program has fallen well behind. */
static void StartWait(uint32_t milliseconds, double now) {
    bool chained = lastStepDelivered && lastDue > 0 && now - lastDue < 10.0;
    pendingDeadline = (chained ? lastDue : now) + milliseconds;
}

static void ForgetTiming(void) {
    pendingDeadline = 0;
    lastDue = 0;
    lastStepDelivered = false;
}

bool Win32DriveEmulatedJournal(MSG* msg) {
    while (EmulatedHookInstalled()) {
        bool waited = false;
        if (pendingDeadline > 0) {
            if (WaitForDeadline(msg))
                return true;
            lastDue = pendingDeadline;
            pendingDeadline = 0;
            waited = true;
        } else if (PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE)) {
            return true;
        }
        double now = ClockMs();
        JournalStep step = StepEmulatedJournal(Win32SendRecord);
        if (step.waitMs > 0)
            StartWait(step.waitMs, now);
        else if (step.delivered && !waited && !lastStepDelivered)
            lastDue = now; /* a chain of events starts here */
        lastStepDelivered = step.delivered;
    }
    ForgetTiming();
    return false;
}

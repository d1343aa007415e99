/*
 * cancel_watcher_win32.cpp: the user's Ctrl+Esc while the program plays by
 * injecting input itself.
 *
 * The system ends a real journal on Ctrl+Esc; an injected playback is
 * ended the same way, by a low-level keyboard hook. The hook lives on a
 * thread of its own that does nothing else, so no slow call of the
 * playback thread (a window that does not answer, a program start, a log
 * on a slow share) can keep it past the system's hook time-out, after which
 * the system would remove it without a word. It only signals: an event the
 * playback thread waits on and checks between records, which no modal loop
 * can swallow the way it swallows a thread message.
 *
 * The thread runs at raised priority, as the recording's hooks do, so a
 * busy machine does not make it answer late. Should the system remove the
 * hook all the same, a watch notices: the system saw input that the
 * watcher's hooks (a mouse hook besides the keyboard's, only for this) did
 * not for over a second (HooksMissedInput, the recorder's rule), and the
 * hooks are installed again.
 *
 * The hook also notes the modifiers the user holds, so the playback can
 * hold its input back meanwhile (PlatformUserHoldsModifier).
 *
 * The combination is swallowed while playing, so it does not open the
 * Start menu as well. Only the program's own injected input (tagged with
 * Win32InjectionTag) is skipped; keys injected by other programs (an
 * on-screen keyboard, a remote-control tool) count as the user's.
 */
#include <windows.h>

#include "platform/input_rules.h"
#include "platform/win32/win32_internal.h"

static HANDLE watcherThread;
static DWORD watcherThreadId;
static HANDLE readyEvent;
static HANDLE cancelEvent;
static volatile LONG watcherHooked;
static volatile LONG playing;
static volatile LONG cancelled;     /* the event's state, read without a system call */
static volatile LONG userModifiers; /* a bit per key of UserModifierKeys the user holds */
static_assert(UserModifierKeyCount < 32, "a bit per key");
static DWORD playbackThreadId;

/* Touched only on the watcher thread. */
static bool userControlDown;
static bool swallowEscapeRelease;
static HHOOK keyHook;
static HHOOK mouseHook;
static DWORD lastHookInput; /* when the hooks last saw input, or were installed */
static HookSilence silence;

/* How often the watch looks at the system's last input. */
static const UINT WatchInterval = 250;

static bool IsControlKey(DWORD key) {
    return key == VK_CONTROL || key == VK_LCONTROL || key == VK_RCONTROL;
}

static void NoteUserModifier(DWORD key, bool pressed) {
    for (int i = 0; i < UserModifierKeyCount; i++) {
        if ((DWORD)UserModifierKeys[i] != key)
            continue;
        LONG bit = 1L << i;
        if (pressed)
            InterlockedOr(&userModifiers, bit);
        else
            InterlockedAnd(&userModifiers, ~bit);
    }
}

static LONG ModifiersDownNow(void) {
    LONG down = 0;
    for (int i = 0; i < UserModifierKeyCount; i++) {
        if (GetAsyncKeyState(UserModifierKeys[i]) & 0x8000)
            down |= 1L << i;
    }
    return down;
}

/* A pass starts with nothing played held down, so the system's modifiers
 * are the user's then (one held since the last pass included); later the
 * system's state only clears what a hook that was away, or a release on
 * the secure desktop, left noted. */
static void TakeModifiersFromSystem(bool passStart) {
    if (passStart)
        InterlockedExchange(&userModifiers, ModifiersDownNow());
    else
        InterlockedAnd(&userModifiers, ModifiersDownNow());
}

/* True when the key event is to be swallowed. */
static bool WatchKey(WPARAM message, const KBDLLHOOKSTRUCT* key) {
    if ((key->flags & LLKHF_INJECTED) && key->dwExtraInfo == Win32InjectionTag)
        return false;
    bool pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    NoteUserModifier(key->vkCode, pressed);
    if (IsControlKey(key->vkCode))
        userControlDown = pressed;
    if (key->vkCode != VK_ESCAPE)
        return false;
    if (pressed && userControlDown && playing) {
        swallowEscapeRelease = true;
        InterlockedExchange(&cancelled, 1);
        SetEvent(cancelEvent);
        /* The playback loop takes the flag between records; a modal loop
         * running meanwhile takes the notice. */
        Win32PostCancelNotice(playbackThreadId);
        return true;
    }
    if (!pressed && swallowEscapeRelease) {
        swallowEscapeRelease = false;
        return true;
    }
    return false;
}

LRESULT CALLBACK Win32CancelKeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION)
        lastHookInput = GetTickCount();
    if (code == HC_ACTION && WatchKey(wParam, reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)))
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Only for the watch: the system's last input counts the mouse too. */
LRESULT CALLBACK Win32CancelMouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION)
        lastHookInput = GetTickCount();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void RemoveWatcherHooks(void) {
    if (keyHook != nullptr)
        UnhookWindowsHookEx(keyHook);
    if (mouseHook != nullptr)
        UnhookWindowsHookEx(mouseHook);
    keyHook = mouseHook = nullptr;
}

/* The new hooks are in place before the old ones go, so no key is missed
 * between them; Ctrl is read from the system, whose release the removed
 * hook may have missed. */
static bool InstallWatcherHooks(bool passStart) {
    HHOOK key = SetWindowsHookExA(WH_KEYBOARD_LL, Win32CancelKeyHook, Win32Instance(), 0);
    HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, Win32CancelMouseHook, Win32Instance(), 0);
    RemoveWatcherHooks();
    keyHook = key;
    mouseHook = mouse;
    userControlDown = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
    TakeModifiersFromSystem(passStart);
    lastHookInput = GetTickCount();
    silence.unseen = false;
    return key != nullptr;
}

static DWORD LastSystemInput(void) {
    LASTINPUTINFO info;
    info.cbSize = sizeof info;
    return GetLastInputInfo(&info) ? info.dwTime : lastHookInput;
}

static void WatchHooks(void) {
    if (HooksMissedInput(&silence, LastSystemInput(), lastHookInput, GetTickCount()))
        InstallWatcherHooks(false);
    else
        TakeModifiersFromSystem(false);
}

static DWORD WINAPI WatcherMain(void* unused) {
    (void)unused;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); /* the thread's queue, for the quit */
    swallowEscapeRelease = false;
    bool hooked = InstallWatcherHooks(true);
    InterlockedExchange(&watcherHooked, hooked);
    SetEvent(readyEvent);
    if (!hooked) {
        RemoveWatcherHooks();
        return 1;
    }
    UINT_PTR timer = SetTimer(nullptr, 0, WatchInterval, nullptr);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr)
            WatchHooks();
        else
            DispatchMessageA(&msg);
    }
    KillTimer(nullptr, timer);
    RemoveWatcherHooks();
    return 0;
}

static void JoinWatcher(void) {
    WaitForSingleObject(watcherThread, 2000);
    CloseHandle(watcherThread);
    watcherThread = nullptr;
}

bool Win32StartCancelWatcher(void) {
    if (cancelEvent == nullptr) {
        cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        readyEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    if (cancelEvent == nullptr || readyEvent == nullptr)
        return false;
    ResetEvent(cancelEvent);
    InterlockedExchange(&cancelled, 0);
    playbackThreadId = GetCurrentThreadId();
    if (watcherThread == nullptr) {
        watcherThread = CreateThread(nullptr, 0, WatcherMain, nullptr, 0, &watcherThreadId);
        if (watcherThread == nullptr)
            return false;
        if (WaitForSingleObject(readyEvent, 5000) != WAIT_OBJECT_0 || !watcherHooked) {
            PostThreadMessageA(watcherThreadId, WM_QUIT, 0, 0);
            JoinWatcher();
            return false;
        }
    }
    InterlockedExchange(&playing, 1);
    return true;
}

void Win32StopCancelWatcher(void) {
    InterlockedExchange(&playing, 0);
    if (watcherThread == nullptr)
        return;
    PostThreadMessageA(watcherThreadId, WM_QUIT, 0, 0);
    JoinWatcher();
}

bool Win32CancelRequested(bool consume) {
    if (!cancelled)
        return false;
    if (consume) {
        InterlockedExchange(&cancelled, 0);
        ResetEvent(cancelEvent);
    }
    return true;
}

HANDLE Win32CancelEvent(void) {
    return cancelEvent;
}

/* A key counts only while the system too has it down; a release the hook
 * missed is forgotten by the next watch (TakeModifiersFromSystem). */
bool Win32UserHoldsModifier(void) {
    if (!playing)
        return false;
    LONG held = userModifiers;
    for (int i = 0; i < UserModifierKeyCount; i++) {
        if ((held & (1L << i)) && (GetAsyncKeyState(UserModifierKeys[i]) & 0x8000))
            return true;
    }
    return false;
}

/*
 * record_hooks_win32.cpp: the low-level hooks that record, on a thread of
 * their own.
 *
 * The system removes a low-level hook without a word when its callback
 * takes longer than the hook time-out (about a second at most since
 * Windows 10 1709). The user-interface thread cannot promise that: it
 * writes the log, perhaps to a slow share, opens Help through the shell,
 * runs dialogs. So the keyboard and mouse hooks live on a thread that does
 * nothing else, at raised priority. Each callback turns the event into the
 * record a journal would have delivered, stamps it with the desktop as it
 * is at that moment (the modifiers held, the foreground and focus windows)
 * and puts it in a queue; the user-interface thread empties the queue in
 * order. The thread also queues a check every RecordCheckInterval ms and
 * whenever another window comes to the foreground, with what only a check
 * asks (the input desktop, the system's last input), and installs its
 * hooks again when the recorder finds them taken away.
 *
 * The queue has one writer and one reader and no lock. A full queue (the
 * user-interface thread held up for seconds under a 1,000 Hz mouse) drops
 * events, and the next one that fits says how many.
 */
#include <windows.h>

#include <atomic>
#include <cstring>

#include "platform/input_rules.h"
#include "platform/win32/win32_internal.h"

/* ---- The queue ---- */

static const uint32_t QueueCapacity = 8192; /* 8 s of a 1,000 Hz mouse */
static Win32RecordInput queue[QueueCapacity];
static std::atomic<uint32_t> queueWritten;
static std::atomic<uint32_t> queueRead;
static std::atomic<bool> wakePosted;
static HWND wakeWindow;
static UINT wakeMessage;
static uint32_t lostEvents; /* hook thread only */

/* The reader is woken once for a run of entries, not once per entry. */
static void Push(Win32RecordInput* input) {
    uint32_t written = queueWritten.load(std::memory_order_relaxed);
    if (written - queueRead.load(std::memory_order_acquire) >= QueueCapacity) {
        lostEvents++;
        return;
    }
    input->context.lostEvents = lostEvents;
    lostEvents = 0;
    queue[written % QueueCapacity] = *input;
    queueWritten.store(written + 1);
    if (!wakePosted.exchange(true) && !PostMessageA(wakeWindow, wakeMessage, 0, 0))
        wakePosted.store(false);
}

bool Win32TakeRecordInput(Win32RecordInput* input) {
    uint32_t read = queueRead.load(std::memory_order_relaxed);
    if (read == queueWritten.load()) {
        /* Empty: the next entry must wake the reader again. */
        wakePosted.store(false);
        if (read == queueWritten.load())
            return false;
    }
    *input = queue[read % QueueCapacity];
    queueRead.store(read + 1, std::memory_order_release);
    return true;
}

/* ---- What the hook thread keeps ---- */

static const UINT RestartHooksMessage = WM_APP + 1;

static HANDLE hookThread;
static DWORD hookThreadId;
static HANDLE hookReady;
static volatile LONG hooksStarted;
static DWORD cancelNoticeThread;

/* Touched only on the hook thread. */
static HHOOK keyboardHook;
static HHOOK mouseHook;
static bool cancelled;         /* the cancel keys ended the recording */
static bool keyIsDown[256];    /* by the low-level hook's own virtual key */
static uint32_t lastHookInput; /* when the hooks last saw input, or were installed */

/* Handles are 32-bit values that the system sign-extends. */
static uint32_t HandleValue(HWND window) {
    return (uint32_t)(uintptr_t)window;
}

/* ---- The desktop at the moment of an event ---- */

static uint32_t HeldModifiers(void) {
    static const struct {
        uint32_t bit;
        int virtualKey;
    } modifiers[] = {{HeldShift, VK_SHIFT},
                     {HeldControl, VK_CONTROL},
                     {HeldAlt, VK_MENU},
                     {HeldLeftWindows, VK_LWIN},
                     {HeldRightWindows, VK_RWIN}};
    uint32_t held = 0;
    for (const auto& modifier : modifiers) {
        if (GetAsyncKeyState(modifier.virtualKey) & 0x8000)
            held |= modifier.bit;
    }
    return held;
}

static uint32_t LastSystemInput(void) {
    LASTINPUTINFO info;
    info.cbSize = sizeof info;
    return GetLastInputInfo(&info) ? info.dwTime : lastHookInput;
}

/* Inside a callback the system has not yet applied the event to its key
 * state, so the modifiers are those held just before it. The input
 * desktop and the last input are asked only by checks. */
static void NoteDesktopState(RecordContext* context, bool check) {
    context->tick = GetTickCount();
    context->heldModifiers = HeldModifiers();
    context->foreground = reinterpret_cast<WindowHandle>(GetForegroundWindow());
    context->focus = reinterpret_cast<WindowHandle>(Win32FocusWindow());
    context->inputDesktopOurs = !check || Win32InputDesktopIsOurs();
    context->lastHookInput = lastHookInput;
    context->lastSystemInput = check ? LastSystemInput() : lastHookInput;
}

static void PushCheck(void) {
    if (cancelled)
        return;
    Win32RecordInput input;
    memset(&input, 0, sizeof input);
    input.code = HookRecordCheck;
    NoteDesktopState(&input.context, true);
    Push(&input);
}

static void PushEvent(const EventRecord& event) {
    Win32RecordInput input;
    input.code = HC_ACTION;
    input.event = event;
    NoteDesktopState(&input.context, false);
    Push(&input);
}

/* ---- Keys, as a journal records them ---- */

static bool KeyHeld(int virtualKey) {
    return keyIsDown[virtualKey] || (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

/* A journal reports either Shift, Ctrl and Alt as the generic key. */
static int JournalVirtualKey(DWORD virtualKey) {
    switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return (int)(virtualKey & 0xFF);
    }
}

/* The keyboard message's flags as a journal packs them above the scan
 * code: extended key, Alt held (for system keys), was down, released. */
static bool IsRelease(WPARAM message, const KBDLLHOOKSTRUCT* key) {
    return message == WM_KEYUP || message == WM_SYSKEYUP || (key->flags & LLKHF_UP) != 0;
}

static uint32_t JournalKeyFlags(WPARAM message, const KBDLLHOOKSTRUCT* key, bool wasDown) {
    bool released = IsRelease(message, key);
    bool systemKey = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
    bool altHeld = (key->flags & LLKHF_ALTDOWN) != 0 || KeyHeld(VK_LMENU) || KeyHeld(VK_RMENU) ||
                   JournalVirtualKey(key->vkCode) == VK_MENU;
    uint32_t flags = (key->flags & LLKHF_EXTENDED) ? 0x01 : 0;
    if (systemKey && altHeld)
        flags |= 0x20;
    if (wasDown || released)
        flags |= 0x40;
    if (released)
        flags |= 0x80;
    return flags;
}

/* Unicode key input keeps its whole character (the scan code field). Its
 * release is told by the message: Wine leaves out the flag. */
static EventRecord KeyRecord(WPARAM message, const KBDLLHOOKSTRUCT* key) {
    int rawKey = (int)(key->vkCode & 0xFF);
    bool wasDown = keyIsDown[rawKey];
    keyIsDown[rawKey] = !IsRelease(message, key);
    int virtualKey = JournalVirtualKey(key->vkCode);
    bool extended = (key->flags & LLKHF_EXTENDED) != 0;
    int32_t paramL =
        KeyEventParamL(virtualKey, key->scanCode, JournalKeyFlags(message, key, wasDown));
    int32_t paramH = KeyEventParamH(virtualKey, key->scanCode, extended);
    return EventRecord{(uint32_t)message, paramL, paramH, key->time,
                       HandleValue(Win32FocusWindow())};
}

/* ---- The hooks ---- */

static void RemoveHooks(void) {
    if (keyboardHook != nullptr)
        UnhookWindowsHookEx(keyboardHook);
    if (mouseHook != nullptr)
        UnhookWindowsHookEx(mouseHook);
    keyboardHook = nullptr;
    mouseHook = nullptr;
}

/* The system ends a journal on Ctrl+Esc; the low-level recording ends the
 * same way: the hooks are gone and the program gets the same notice. The
 * Escape is kept from the system, as the journal's cancel keeps it. */
static bool IsCancelKeys(WPARAM message, const KBDLLHOOKSTRUCT* key) {
    bool pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    return pressed && key->vkCode == VK_ESCAPE &&
           (KeyHeld(VK_LCONTROL) || KeyHeld(VK_RCONTROL) || KeyHeld(VK_CONTROL));
}

/* Only the program's own input is skipped; it is still input the hooks
 * saw, for the watch over them. */
static bool TakesInput(int code, ULONG_PTR extraInfo) {
    if (code != HC_ACTION || cancelled)
        return false;
    lastHookInput = GetTickCount();
    return extraInfo != Win32InjectionTag;
}

static LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (TakesInput(code, key->dwExtraInfo)) {
        if (IsCancelKeys(wParam, key)) {
            cancelled = true;
            RemoveHooks();
            Win32PostCancelNotice(cancelNoticeThread);
            return 1;
        }
        PushEvent(KeyRecord(wParam, key));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Mouse events carry the screen point in the pixels of the virtual desktop
 * (the program is aware of each monitor's scale), as playback injects it,
 * and go to the window under the pointer. A wheel turn keeps its distance
 * and an X-button event its button, beside y, so playback can repeat them. */
static LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSLLHOOKSTRUCT* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (TakesInput(code, mouse->dwExtraInfo)) {
        int32_t amount = (int16_t)HIWORD(mouse->mouseData);
        PushEvent(EventRecord{(uint32_t)wParam, (int32_t)mouse->pt.x,
                              MouseEventParamH((uint32_t)wParam, mouse->pt.y, amount), mouse->time,
                              HandleValue(WindowFromPoint(mouse->pt))});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static bool InstallHooks(void) {
    RemoveHooks();
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, Win32Instance(), 0);
    mouseHook = SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, Win32Instance(), 0);
    lastHookInput = GetTickCount();
    if (keyboardHook != nullptr && mouseHook != nullptr)
        return true;
    RemoveHooks();
    return false;
}

static void CALLBACK ForegroundChanged(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                       LONG child, DWORD thread, DWORD time) {
    (void)hook, (void)event, (void)window, (void)object, (void)child, (void)thread, (void)time;
    PushCheck();
}

/* ---- The thread ---- */

static void RunHookThread(void) {
    HWINEVENTHOOK foreground =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                        ForegroundChanged, 0, 0, WINEVENT_OUTOFCONTEXT);
    UINT_PTR timer = SetTimer(nullptr, 0, RecordCheckInterval, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr)
            PushCheck();
        else if (msg.message == RestartHooksMessage && !cancelled)
            InstallHooks();
        else
            DispatchMessageA(&msg);
    }
    KillTimer(nullptr, timer);
    if (foreground != nullptr)
        UnhookWinEvent(foreground);
}

static DWORD WINAPI HookThreadMain(void* unused) {
    (void)unused;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); /* the thread's queue, for the quit */
    memset(keyIsDown, 0, sizeof keyIsDown);
    cancelled = false;
    lostEvents = 0;
    bool installed = InstallHooks();
    InterlockedExchange(&hooksStarted, installed);
    SetEvent(hookReady);
    if (!installed)
        return 1;
    RunHookThread();
    RemoveHooks();
    return 0;
}

static void JoinHookThread(void) {
    WaitForSingleObject(hookThread, 2000);
    CloseHandle(hookThread);
    hookThread = nullptr;
}

bool Win32StartRecordHooks(HWND window, UINT message) {
    if (hookThread != nullptr)
        Win32StopRecordHooks();
    if (hookReady == nullptr)
        hookReady = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (hookReady == nullptr)
        return false;
    wakeWindow = window;
    wakeMessage = message;
    cancelNoticeThread = GetCurrentThreadId();
    queueRead.store(queueWritten.load());
    wakePosted.store(false);
    hookThread = CreateThread(nullptr, 0, HookThreadMain, nullptr, 0, &hookThreadId);
    if (hookThread == nullptr)
        return false;
    if (WaitForSingleObject(hookReady, 5000) != WAIT_OBJECT_0 || !hooksStarted) {
        PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
        JoinHookThread();
        return false;
    }
    return true;
}

/* What the hooks took before they went stays in the queue for a flush. */
void Win32StopRecordHooks(void) {
    if (hookThread == nullptr)
        return;
    PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
    JoinHookThread();
}

bool Win32RestartRecordHooks(void) {
    return hookThread != nullptr && PostThreadMessageA(hookThreadId, RestartHooksMessage, 0, 0);
}

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
 * The queue (record_queue.cpp) has one writer and one reader and no lock.
 * When the user-interface thread is held up for seconds under a 1,000 Hz
 * mouse it fills; moves are then merged so that every key, button and
 * wheel event still fits.
 *
 * Each press is stamped with its window (the top-level window, its title
 * and rectangle) as it is at that moment, read here without sending the
 * window a message: by the time the queue is emptied a key may have
 * changed the title or a drag moved the window.
 */
#include <windows.h>

#include <cstring>

#include "platform/control_facts.h"
#include "platform/input_rules.h"
#include "platform/record_queue.h"
#include "platform/win32/win32_internal.h"

/* ---- The queue ---- */

static const uint32_t QueueCapacity = 8192; /* 8 s of a 1,000 Hz mouse */
static RecordQueueEntry queueEntries[QueueCapacity];
static RecordQueue queue;
static std::atomic<bool> wakePosted;
static HWND wakeWindow;
static UINT wakeMessage;

/* The reader is woken once for a run of entries, not once per entry. */
static void Wake(bool added) {
    if (added && !wakePosted.exchange(true) && !PostMessageA(wakeWindow, wakeMessage, 0, 0))
        wakePosted.store(false);
}

static bool OwnsQueue(void);

/* Only the thread of the latest start writes. */
static void Push(const RecordQueueEntry& input) {
    if (OwnsQueue())
        Wake(PushRecordInput(&queue, input));
}

bool Win32TakeRecordInput(RecordQueueEntry* input) {
    if (TakeRecordInput(&queue, input))
        return true;
    /* Empty: the next entry must wake the reader again. */
    wakePosted.store(false);
    return TakeRecordInput(&queue, input);
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

static HWND HandleFromValue(uint32_t value) {
    return reinterpret_cast<HWND>((intptr_t)(int32_t)value);
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

/* The buttons as their messages name them: the system's key state tells
 * the physical buttons, which swap places when the user swapped them. */
static uint32_t HeldButtons(void) {
    bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    const struct {
        uint32_t bit;
        int virtualKey;
    } buttons[] = {{HeldLeftButton, swapped ? VK_RBUTTON : VK_LBUTTON},
                   {HeldRightButton, swapped ? VK_LBUTTON : VK_RBUTTON},
                   {HeldMiddleButton, VK_MBUTTON},
                   {HeldFirstXButton, VK_XBUTTON1},
                   {HeldSecondXButton, VK_XBUTTON2}};
    uint32_t held = 0;
    for (const auto& button : buttons) {
        if (GetAsyncKeyState(button.virtualKey) & 0x8000)
            held |= button.bit;
    }
    return held;
}

static uint32_t LastSystemInput(void) {
    LASTINPUTINFO info;
    info.cbSize = sizeof info;
    return GetLastInputInfo(&info) ? info.dwTime : lastHookInput;
}

/* Inside a callback the system has not yet applied the event to its key
 * state, so the modifiers and buttons are those held just before it. The
 * input desktop and the last input are asked only by checks. */
static void NoteDesktopState(RecordContext* context, bool check) {
    context->tick = GetTickCount();
    context->heldModifiers = HeldModifiers();
    context->heldButtons = HeldButtons();
    context->foreground = reinterpret_cast<WindowHandle>(GetForegroundWindow());
    context->focus = reinterpret_cast<WindowHandle>(Win32FocusWindow());
    context->inputDesktopOurs = !check || Win32InputDesktopIsOurs();
    context->lastHookInput = lastHookInput;
    context->lastSystemInput = check ? LastSystemInput() : lastHookInput;
}

static bool IsPress(uint32_t message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

/* None of these calls sends the window a message. */
static void LookAtWindow(const EventRecord& event, RecordedWindow* seen) {
    WindowHandle target = reinterpret_cast<WindowHandle>(HandleFromValue(event.hwnd));
    bool buttonPress = event.message != WM_KEYDOWN && event.message != WM_SYSKEYDOWN;
    LookAtPressWindow(target, buttonPress, seen);
}

static void PushCheck(void) {
    if (cancelled)
        return;
    RecordQueueEntry input;
    memset(&input, 0, sizeof input);
    input.code = HookRecordCheck;
    NoteDesktopState(&input.context, true);
    Push(input);
}

static void PushEvent(const EventRecord& event) {
    RecordQueueEntry input;
    input.code = HC_ACTION;
    input.event = event;
    NoteDesktopState(&input.context, false);
    input.window.window = nullptr;
    if (IsPress(event.message))
        LookAtWindow(event, &input.window);
    Push(input);
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

LRESULT CALLBACK Win32RecordKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
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
LRESULT CALLBACK Win32RecordMouseHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSLLHOOKSTRUCT* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (TakesInput(code, mouse->dwExtraInfo)) {
        int32_t amount = (int16_t)HIWORD(mouse->mouseData);
        PushEvent(EventRecord{(uint32_t)wParam, (int32_t)mouse->pt.x,
                              MouseEventParamH((uint32_t)wParam, mouse->pt.y, amount), mouse->time,
                              HandleValue(WindowFromPoint(mouse->pt))});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Both hooks or neither. */
static bool InstallHookPair(HHOOK* keyboard, HHOOK* mouse) {
    *keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, Win32RecordKeyboardHook, Win32Instance(), 0);
    *mouse = SetWindowsHookExA(WH_MOUSE_LL, Win32RecordMouseHook, Win32Instance(), 0);
    if (*keyboard != nullptr && *mouse != nullptr)
        return true;
    if (*keyboard != nullptr)
        UnhookWindowsHookEx(*keyboard);
    if (*mouse != nullptr)
        UnhookWindowsHookEx(*mouse);
    *keyboard = *mouse = nullptr;
    return false;
}

static bool InstallHooks(void) {
    RemoveHooks();
    lastHookInput = GetTickCount();
    return InstallHookPair(&keyboardHook, &mouseHook);
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

/* A thread takes the hooks, the queue and the state above only with the
 * ticket the latest start gave it; a thread that starts too late, after
 * its start gave up on it, takes nothing and ends. Each start's ticket is
 * even; the thread that takes it makes it odd. */
static volatile LONG startTicket;
static LONG lastTicket;
static thread_local LONG threadTicket;

static bool OwnsQueue(void) {
    return threadTicket != 0 && threadTicket == startTicket;
}

static bool TakeTicket(LONG ticket) {
    if (InterlockedCompareExchange(&startTicket, ticket + 1, ticket) != ticket)
        return false;
    threadTicket = ticket + 1;
    return true;
}

static DWORD WINAPI HookThreadMain(void* parameter) {
    LONG ticket = (LONG)(intptr_t)parameter;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); /* the thread's queue, for the quit */
    HHOOK keyboard, mouse;
    bool installed = InstallHookPair(&keyboard, &mouse);
    if (!TakeTicket(ticket)) {
        if (installed) {
            UnhookWindowsHookEx(keyboard);
            UnhookWindowsHookEx(mouse);
        }
        return 1;
    }
    keyboardHook = keyboard;
    mouseHook = mouse;
    memset(keyIsDown, 0, sizeof keyIsDown);
    cancelled = false;
    lastHookInput = GetTickCount();
    InterlockedExchange(&hooksStarted, installed);
    SetEvent(hookReady);
    if (!installed)
        return 1;
    RunHookThread();
    if (OwnsQueue())
        Wake(FlushHeldMove(&queue, true));
    RemoveHooks();
    return 0;
}

static void JoinHookThread(void) {
    WaitForSingleObject(hookThread, 2000);
    CloseHandle(hookThread);
    hookThread = nullptr;
    InterlockedExchange(&startTicket, 0);
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
    StartRecordQueue(&queue, queueEntries, QueueCapacity);
    wakePosted.store(false);
    ResetEvent(hookReady);
    lastTicket = lastTicket > 0 && lastTicket < 0x3FFFFFFE ? lastTicket + 2 : 2;
    LONG ticket = lastTicket;
    InterlockedExchange(&startTicket, ticket);
    hookThread =
        CreateThread(nullptr, 0, HookThreadMain, (void*)(intptr_t)ticket, 0, &hookThreadId);
    if (hookThread == nullptr)
        return false;
    bool ready = WaitForSingleObject(hookReady, 5000) == WAIT_OBJECT_0;
    /* A thread that has not taken its ticket by now never will. */
    if (!ready && InterlockedCompareExchange(&startTicket, 0, ticket) == ticket) {
        CloseHandle(hookThread);
        hookThread = nullptr;
        return false;
    }
    if (!ready)
        ready = WaitForSingleObject(hookReady, 5000) == WAIT_OBJECT_0;
    if (!ready || !hooksStarted) {
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

/*
 * target_thread_win32.cpp: the thread that takes the played input, as
 * far as the playback needs to know it: whether it has taken everything
 * sent to it, and how it will read the keys (Caps Lock, an input method).
 *
 * Taken: a thread fetches a window's paint message only once no input and
 * no posted message is left in its queue. So once input has gone, a pixel
 * of a visible window of the thread that takes it is invalidated (without
 * erasing), and when its update region is empty again the thread has
 * taken all of that input. Counting answered messages sent to the window
 * says nothing of the kind: one fetch answers every message waiting to be
 * answered, and each typed character is several messages in the queue.
 * The region is looked at every millisecond (each look asks the system,
 * not the thread, so a thread at work on a backlog is not held up), and
 * now and then a message is sent to the window, with a short time-out, to
 * learn whether its thread answers at all. A window that cannot paint
 * (hidden, minimized, layered, of no size, covered) is waited for by such
 * round trips, one per input sent, as the best that can be known there.
 *
 * Caps Lock and an input method belong to the thread that reads the keys,
 * not to this program's thread, whose key state follows only the keys it
 * takes itself; both are asked of that thread while it has taken all that
 * was sent to it, and kept until the next check that it did.
 */
#include <windows.h>
#include <imm.h>

#include "platform/input_rules.h"
#include "platform/win32/win32_internal.h"

static struct {
    HWND target;  /* the window the last input went to */
    int inputs;   /* inputs sent since the last check began */
    bool active;  /* a check under way */
    HWND painted; /* the window whose paint is awaited; null: round trips */
    int rounds;   /* round trips answered, and how many are wanted */
    int wanted;
} taken;

/* What was asked of the thread taking the keys, while it was idle. */
static struct {
    HWND window;
    bool capsLockKnown;
    bool capsLockOn;
    bool inputMethodKnown;
    bool inputMethodComposes;
} asked;

static DWORD ThreadOf(HWND window) {
    return window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0;
}

void Win32ForgetTakenChecks(void) {
    taken = {};
    asked = {};
}

void Win32NoteInputSent(HWND target, int inputs) {
    taken.target = target;
    taken.inputs += inputs;
}

/* A visible window with an area, of the thread, whose top-level window
 * paints through its update region: the window itself, or its top-level
 * window where that belongs to the same thread. */
static HWND PaintableWindowOf(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    if (root == nullptr || IsIconic(root) || (GetWindowLongPtrA(root, GWL_EXSTYLE) & WS_EX_LAYERED))
        return nullptr;
    const HWND candidates[] = {window, root};
    for (HWND candidate : candidates) {
        RECT client;
        if (ThreadOf(candidate) == ThreadOf(window) && IsWindowVisible(candidate) &&
            GetClientRect(candidate, &client) && !IsRectEmpty(&client))
            return candidate;
    }
    return nullptr;
}

void Win32StartTakenCheck(void) {
    Win32FlushHeldInput();
    taken.active = true;
    taken.rounds = 0;
    taken.wanted = taken.inputs > 2 ? taken.inputs : 2;
    taken.inputs = 0;
    taken.painted = taken.target != nullptr ? PaintableWindowOf(taken.target) : nullptr;
    RECT client;
    if (taken.painted == nullptr || !GetClientRect(taken.painted, &client))
        return;
    /* One pixel in the corner, where text rarely is: a window that paints
     * a long line of text is not made to draw it all again. Where nothing
     * of it is left to paint at once, the thread painted it already (it
     * had taken everything) or something covers it: two round trips have
     * to do then. */
    RECT corner = {client.right - 1, client.bottom - 1, client.right, client.bottom};
    InvalidateRect(taken.painted, &corner, FALSE);
    if (!GetUpdateRect(taken.painted, nullptr, FALSE)) {
        taken.painted = nullptr;
        taken.wanted = 2;
    }
}

static TakenState Finish(void) {
    taken.active = false;
    asked = {};
    return TakenAll;
}

/* Waits about a millisecond, or less for the cancel keys; messages other
 * threads send to this one meanwhile are answered. False once the cancel
 * keys were pressed. */
static bool WaitBriefly(DWORD milliseconds) {
    HANDLE cancel = Win32CancelEvent();
    DWORD woken = MsgWaitForMultipleObjects(cancel != nullptr ? 1 : 0, &cancel, FALSE, milliseconds,
                                            QS_SENDMESSAGE);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return !(cancel != nullptr && woken == WAIT_OBJECT_0);
}

/* Looks at the painted window's update region every millisecond for a
 * slice; true once it is empty. A window hidden meanwhile never paints
 * again: round trips from then on. */
static bool PaintedWithinSlice(void) {
    DWORD start = GetTickCount();
    for (;;) {
        if (!IsWindowVisible(taken.painted)) {
            taken.painted = nullptr;
            return false;
        }
        if (!GetUpdateRect(taken.painted, nullptr, FALSE))
            return true;
        if (GetTickCount() - start >= TakenCheckSlice || !WaitBriefly(1))
            return false;
    }
}

/* Each look at the paint is followed by one message to the window, which
 * says whether its thread answers at all; without a window to paint,
 * enough answered round trips end the check. A hung thread is given up on
 * at once by the system: the rest of the slice is waited out here. */
TakenState Win32PollTakenCheck(WindowHandle* window) {
    HWND target = taken.target;
    HWND root = target != nullptr ? GetAncestor(target, GA_ROOT) : nullptr;
    *window = reinterpret_cast<WindowHandle>(root);
    if (!taken.active || !IsWindow(target) || ThreadOf(target) == GetCurrentThreadId())
        return Finish();
    if (taken.painted != nullptr && PaintedWithinSlice())
        return Finish();
    DWORD start = GetTickCount();
    DWORD_PTR result;
    if (SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, TakenCheckSlice, &result)) {
        if (taken.painted == nullptr && ++taken.rounds >= taken.wanted)
            return Finish();
        return TakenNotYet;
    }
    if (!IsWindow(target))
        return Finish();
    DWORD spent = GetTickCount() - start;
    if (spent < TakenCheckSlice)
        WaitBriefly(TakenCheckSlice - spent);
    return TakenNotAnswering;
}

void Win32AwaitTaken(DWORD limit) {
    Win32StartTakenCheck();
    DWORD start = GetTickCount();
    WindowHandle window;
    while (Win32PollTakenCheck(&window) != TakenAll && GetTickCount() - start < limit &&
           !Win32CancelRequested(false)) {
    }
}

/* ---- What the thread taking the keys applies to them ---- */

/* Asked only of a thread that has taken all that was sent to it (and so
 * is not in the middle of reading earlier keys), once per check. */
static bool MayAsk(HWND window) {
    if (window != asked.window) {
        asked = {};
        asked.window = window;
    }
    return window != nullptr && !taken.active && taken.inputs == 0;
}

/* Threads whose input is attached share one key state, the state that
 * changes as the thread takes key messages from its queue: attached for
 * the moment of one look, this thread sees the other's. The system says
 * it resets that state on attaching; on Windows it is then the keyboard's
 * own, which a thread that has taken all its input has anyway. Wine clears
 * it instead (the other thread's Caps Lock with it), so Wine is not
 * asked. */
static bool ReadThreadKeyState(DWORD thread, int key, SHORT* state) {
    DWORD own = GetCurrentThreadId();
    if (thread == own) {
        *state = GetKeyState(key);
        return true;
    }
    if (thread == 0 || Win32RunningUnderWine() || !AttachThreadInput(own, thread, TRUE))
        return false;
    *state = GetKeyState(key);
    AttachThreadInput(own, thread, FALSE);
    return true;
}

bool Win32ThreadCapsLock(HWND window, bool* on) {
    if (!asked.capsLockKnown || window != asked.window) {
        SHORT state;
        if (!MayAsk(window) || !ReadThreadKeyState(ThreadOf(window), VK_CAPITAL, &state))
            return false;
        asked.capsLockKnown = true;
        asked.capsLockOn = (state & 1) != 0;
    }
    *on = asked.capsLockOn;
    return true;
}

/* Input methods compose keys on the Chinese, Japanese and Korean layouts.
 * Where one is there, its open state is asked of the thread's input
 * method window; one that does not say, or cannot be asked now, is taken
 * to compose, since Unicode input is right either way. */
static bool MayCompose(HKL layout) {
    WORD language = PRIMARYLANGID(LOWORD((UINT_PTR)layout));
    return language == LANG_CHINESE || language == LANG_JAPANESE || language == LANG_KOREAN;
}

/* The input method window's command that answers whether it is open
 * (IMC_GETOPENSTATUS, which not every compiler's headers define). */
static const WPARAM InputMethodGetOpenStatus = 0x0005;

static bool AskInputMethodComposes(HWND window) {
    HWND inputMethod = ImmGetDefaultIMEWnd(window);
    if (inputMethod == nullptr)
        return false;
    DWORD_PTR open = 1;
    SendMessageTimeoutA(inputMethod, WM_IME_CONTROL, InputMethodGetOpenStatus, 0, SMTO_ABORTIFHUNG,
                        TakenCheckSlice, &open);
    return open != 0;
}

bool Win32ThreadInputMethodComposes(HWND window, HKL layout) {
    if (!MayCompose(layout))
        return false;
    if (!asked.inputMethodKnown || window != asked.window) {
        if (!MayAsk(window))
            return true;
        asked.inputMethodKnown = true;
        asked.inputMethodComposes = AskInputMethodComposes(window);
    }
    return asked.inputMethodComposes;
}

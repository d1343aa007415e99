/*
 * input_win32.cpp: handing a played record to the system as real input.
 *
 * Typed text goes as the keys of the current keyboard layout where the
 * layout has the character (so programs that read raw keys or scan codes
 * see it), and as the character itself (Unicode input) where it has not;
 * the rule is the portable KeyStrokesFor, which asks the layout here.
 * Every other key goes as a virtual key with the current layout's scan
 * code, marked extended where the key is an extended one (arrows, Home,
 * right Alt, ...), so nothing reads it as a numeric-keypad key. Mouse
 * positions are given in virtual-desktop coordinates, so recordings made
 * on any monitor of several play back where they were made, pixel for
 * pixel.
 *
 * Before the next record goes, the window that took this one must have
 * taken it from its queue (with a bound), as a journal is paced by the
 * program taking its input: keys that follow one that opens a dialog then
 * reach the dialog, and a run never ends with input still on its way. A
 * run of mouse moves is waited for once, before whatever follows it
 * (input_rules.h says which records wait).
 *
 * The system may refuse the input: it says so for a locked session or a
 * secure desktop, but drops input aimed at a program with higher rights
 * without a word, so that case is recognised before the input is sent.
 */
#include <windows.h>

#include <cstring>

#include "platform/input_rules.h"
#include "platform/journal_driver.h"
#include "platform/win32/win32_internal.h"

/* ---- Keys ---- */

static HKL LayoutOf(HWND window) {
    return GetKeyboardLayout(window != nullptr ? GetWindowThreadProcessId(window, nullptr) : 0);
}

static void SetKey(INPUT* input, WORD key, WORD scan, DWORD flags) {
    memset(input, 0, sizeof *input);
    input->type = INPUT_KEYBOARD;
    input->ki.wVk = key;
    input->ki.wScan = scan;
    input->ki.dwFlags = flags;
    input->ki.dwExtraInfo = Win32InjectionTag;
}

/* A virtual key with the scan code it was recorded with, or else the one
 * the layout gives it; extended as recorded, or as the key is. */
static int BuildKey(const EventRecord* record, int key, HKL layout, INPUT* input) {
    WORD scan = (WORD)((record->paramL >> 8) & 0xFF);
    bool extended = (record->paramH & 0x8000) != 0;
    if (scan == 0) {
        scan = (WORD)MapVirtualKeyExA((UINT)key, MAPVK_VK_TO_VSC, layout);
        extended = extended || IsExtendedKey(key);
    }
    DWORD flags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    if (IsKeyRelease(record->message))
        flags |= KEYEVENTF_KEYUP;
    SetKey(input, (WORD)key, scan, flags);
    return 1;
}

/* ---- The keyboard layout, for typed text ----
 * Asked of the layout of the window that takes the keys (the foreground
 * window's thread may use another layout than this one), which the record
 * being built names. What a layout answers does not change, and under
 * Wine each question is a round trip to the display server, so the
 * answers are kept for the layout in use: for every key in each
 * combination of Shift, Ctrl and Alt, with and without Caps Lock, and for
 * the characters of the first 2,048 units. */

static const int MemoUnits = 2048;
static const uint16_t NotAsked = 0xFFFF; /* a noncharacter: never typed */
struct LayoutMemo {
    HKL layout;
    uint16_t types[256][8][2];
    SHORT keyFor[MemoUnits];
    bool keyForAsked[MemoUnits];
};
static LayoutMemo memo;
static HKL typingLayout;

static LayoutMemo* MemoOfTypingLayout(void) {
    if (memo.layout != typingLayout) {
        memset(&memo, 0, sizeof memo);
        memset(memo.types, 0xFF, sizeof memo.types);
        memo.layout = typingLayout;
    }
    return &memo;
}

bool PlatformLayoutKeyFor(uint16_t unit, LayoutKey* key) {
    LayoutMemo* known = MemoOfTypingLayout();
    SHORT found;
    if (unit < MemoUnits && known->keyForAsked[unit]) {
        found = known->keyFor[unit];
    } else {
        found = VkKeyScanExW((WCHAR)unit, typingLayout);
        if (unit < MemoUnits) {
            known->keyFor[unit] = found;
            known->keyForAsked[unit] = true;
        }
    }
    if (found == -1)
        return false;
    /* Its Shift, Ctrl and Alt bits are the rule's own; others stay set. */
    *key = LayoutKey{found & 0xFF, (found >> 8) & 0xFF};
    return true;
}

/* Flag 4 keeps the keyboard's state (no dead key left pending) where the
 * system knows it; elsewhere a dead key is asked about once more, which
 * takes it back out. */
static uint16_t AskLayoutTypes(int key, int modifiers, bool capsLock) {
    BYTE state[256] = {};
    const BYTE down = 0x80;
    if (modifiers & ModifierShift)
        state[VK_SHIFT] = state[VK_LSHIFT] = down;
    if (modifiers & ModifierCtrl)
        state[VK_CONTROL] = state[VK_LCONTROL] = down;
    if (modifiers & ModifierAlt)
        state[VK_MENU] = state[VK_LMENU] = down;
    if (capsLock)
        state[VK_CAPITAL] = 0x01;
    UINT scan = MapVirtualKeyExW((UINT)key, MAPVK_VK_TO_VSC, typingLayout);
    WCHAR typed[4];
    int count = ToUnicodeEx((UINT)key, scan, state, typed, 4, 4, typingLayout);
    if (count < 0)
        ToUnicodeEx((UINT)key, scan, state, typed, 4, 4, typingLayout);
    return count == 1 && typed[0] != NotAsked ? typed[0] : 0;
}

uint16_t PlatformLayoutTypes(int key, int modifiers, bool capsLock) {
    uint16_t& answer = MemoOfTypingLayout()->types[key & 0xFF][modifiers & 7][capsLock ? 1 : 0];
    if (answer == NotAsked)
        answer = AskLayoutTypes(key, modifiers, capsLock);
    return answer;
}

int PlatformHeldModifiers(void) {
    return ((GetAsyncKeyState(VK_SHIFT) & 0x8000) ? ModifierShift : 0) |
           ((GetAsyncKeyState(VK_CONTROL) & 0x8000) ? ModifierCtrl : 0) |
           ((GetAsyncKeyState(VK_MENU) & 0x8000) ? ModifierAlt : 0);
}

/* The system brings a thread's key state up to date with the keyboard's
 * when the thread asks for it, so a program without the focus learns the
 * toggle too; Wine keeps it from such a program (it learns Caps Lock only
 * from the display's key events, which go to the window with the focus). */
CapsLockState PlatformCapsLockState(void) {
    if (Win32RunningUnderWine())
        return CapsLockUnknown;
    return (GetKeyState(VK_CAPITAL) & 1) != 0 ? CapsLockOn : CapsLockOff;
}

static void BuildStroke(const KeyStroke& stroke, HKL layout, INPUT* input) {
    DWORD release = stroke.release ? KEYEVENTF_KEYUP : 0;
    if (stroke.key == 0) {
        SetKey(input, 0, stroke.unit, KEYEVENTF_UNICODE | release);
        return;
    }
    WORD scan = (WORD)MapVirtualKeyExA((UINT)stroke.key, MAPVK_VK_TO_VSC, layout);
    DWORD extended = IsExtendedKey(stroke.key) ? KEYEVENTF_EXTENDEDKEY : 0;
    SetKey(input, (WORD)stroke.key, scan, extended | release);
}

/* Recorded Unicode key input goes as the same Unicode input. */
static int BuildUnicodeKey(const EventRecord* record, INPUT* input) {
    DWORD release = IsKeyRelease(record->message) ? KEYEVENTF_KEYUP : 0;
    SetKey(input, 0, KeyEventCharacter(*record), KEYEVENTF_UNICODE | release);
    return 1;
}

/* A recorded or named key keeps the scan code and flags it carries; a
 * key of typed text becomes the strokes the typing rule gives. */
static int BuildKeyRecord(const EventRecord* record, HWND focus, INPUT* inputs) {
    if (IsUnicodeKeyRecord(*record))
        return BuildUnicodeKey(record, inputs);
    HKL layout = LayoutOf(focus);
    if (TypedRoleOf(record->hwnd) == TypedNone)
        return BuildKey(record, record->paramL & 0xFF, layout, inputs);
    typingLayout = layout;
    KeyStroke strokes[MaxKeyStrokes];
    int count = KeyStrokesFor(*record, strokes);
    for (int i = 0; i < count; i++)
        BuildStroke(strokes[i], layout, &inputs[i]);
    return count;
}

/* ---- The mouse ---- */

static POINT PixelOf(const EventRecord* record) {
    POINT pixel = {record->paramL, MouseEventY(*record)};
    return pixel;
}

/* The virtual desktop and the button swap, read again at most every
 * quarter of a second: each read asks the system (under Wine, a tenth of a
 * millisecond), and a run of moves comes at hundreds a second. */
struct ScreenMetrics {
    int x, y, width, height;
    bool swapped;
    bool known;
    DWORD readAt;
};

static const ScreenMetrics& CurrentScreen(void) {
    static ScreenMetrics screen;
    DWORD now = GetTickCount();
    if (screen.known && now - screen.readAt < 250)
        return screen;
    screen.x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    screen.swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    screen.known = true;
    screen.readAt = now;
    return screen;
}

static int BuildMouse(const EventRecord* record, INPUT* input) {
    POINT pixel = PixelOf(record);
    const ScreenMetrics& screen = CurrentScreen();
    memset(input, 0, sizeof *input);
    input->type = INPUT_MOUSE;
    input->mi.dwExtraInfo = Win32InjectionTag;
    input->mi.dx = NormalizedScreenCoordinate(pixel.x, screen.x, screen.width);
    input->mi.dy = NormalizedScreenCoordinate(pixel.y, screen.y, screen.height);
    uint32_t buttons = MouseButtonFlags(record->message, screen.swapped);
    input->mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | buttons;
    int32_t amount = MouseEventAmount(*record);
    if (buttons & (MouseWheel | MouseHorizontalWheel))
        input->mi.mouseData = (DWORD)amount;
    else if (buttons & (MouseXDown | MouseXUp))
        input->mi.mouseData = amount == 2 ? XBUTTON2 : XBUTTON1;
    return 1;
}

/* ---- Building and sending ---- */

/* The inputs for a record (none for messages that are not input, like
 * the end marker; up to MaxKeyStrokes for a key) and the window they go to. */
static int BuildInput(const EventRecord* record, INPUT* inputs, HWND* target) {
    if (IsKeyMessage(record->message)) {
        /* The window with the focus, not the foreground window: a Store
         * app's foreground window is the frame another program draws, and
         * the app's own thread takes the keys and reads its layout. */
        *target = Win32FocusWindow();
        return BuildKeyRecord(record, *target, inputs);
    }
    if (IsMouseMessage(record->message)) {
        /* A move's window is looked up only when the moves are waited for. */
        *target = IsPlainMouseMove(record->message) ? nullptr : WindowFromPoint(PixelOf(record));
        return BuildMouse(record, inputs);
    }
    *target = nullptr;
    return 0;
}

/* Waits until the thread of the window has taken what was sent to it: a
 * message sent to the window comes back only when its thread fetches
 * messages again, and it fetches input only after sent messages; the
 * second round trip comes back once the input has been fetched. Each
 * fetch takes one input, so input sent as several (a typed capital is
 * Shift, its key, and both released) takes a round trip for each, or the
 * target falls further behind with every such character; the press and
 * release of a plain character are waited for with two, as one. Bounded,
 * in short slices, so the cancel keys and a hung window (one that has not
 * fetched messages for seconds) cannot keep the playback here. */
static const DWORD PaceSlice = 50;
static const DWORD PaceLimit = 5000;

static void WaitUntilTaken(HWND target, int inputs = 1) {
    DWORD thread = target != nullptr ? GetWindowThreadProcessId(target, nullptr) : 0;
    if (thread == 0 || thread == GetCurrentThreadId())
        return;
    DWORD start = GetTickCount();
    int wanted = inputs > 2 ? inputs : 2;
    for (int rounds = 0; rounds < wanted;) {
        DWORD_PTR result;
        if (SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, PaceSlice, &result)) {
            rounds++;
            continue;
        }
        if (GetLastError() != ERROR_TIMEOUT || GetTickCount() - start >= PaceLimit ||
            Win32CancelRequested(false) || IsHungAppWindow(target))
            return;
    }
}

/* ---- Runs of moves ----
 * Every move that changes the pointer's position costs a call that warps
 * the pointer (under Wine, half a millisecond), so moves that go at once
 * one after another, with no button held, go as their last: the system
 * would merge them anyway. Such a move is held back until it is known
 * that no other comes at once: the next record, a wait, a message for the
 * program, the end of a pass. A drag sends every move, for programs that
 * draw its path. */
static struct {
    bool held;            /* a move built and not sent yet */
    INPUT input;          /* that move */
    DWORD refusedError;   /* the system refused a held move sent later: 0 none */
    bool unsettled;       /* moves sent and not yet seen taken */
    POINT last;           /* where the last move went */
    uint32_t buttonsDown; /* the buttons the played input holds */
} moves;

void Win32FlushMoves(void) {
    if (!moves.held)
        return;
    moves.held = false;
    if (SendInput(1, &moves.input, sizeof moves.input) == 1)
        moves.unsettled = true;
    else
        moves.refusedError = GetLastError() != 0 ? GetLastError() : ERROR_ACCESS_DENIED;
}

static void Win32SettleMoves(void) {
    Win32FlushMoves();
    if (!moves.unsettled)
        return;
    moves.unsettled = false;
    WaitUntilTaken(WindowFromPoint(moves.last));
}

void Win32EndMoves(void) {
    Win32SettleMoves();
    moves.refusedError = 0;
}

/* ---- What the system refuses ---- */

static InputRefusal lastRefusal;
static HWND lastRefusalTarget;
static DWORD lastRefusalError;

static DWORD IntegrityOf(HANDLE token) {
    union {
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[64]; /* room for the label's SID behind it */
    } buffer;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenIntegrityLevel, &buffer, sizeof buffer, &size))
        return 0;
    PSID sid = buffer.label.Label.Sid;
    return *GetSidSubAuthority(sid, (DWORD)(*GetSidSubAuthorityCount(sid) - 1));
}

static DWORD OwnIntegrity(void) {
    static DWORD own = (DWORD)-1;
    HANDLE token;
    if (own == (DWORD)-1 && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        own = IntegrityOf(token);
        CloseHandle(token);
    }
    return own;
}

/* A program with higher rights of the same account lets us query its
 * process but not read its token; one whose token we can read says its
 * integrity level. For a standard user, a program started as an
 * administrator runs under the administrator's account, and the system
 * refuses even to open its process: it is counted as one of higher
 * rights, as its windows take no input from this program and pass none
 * to its hooks. */
static bool ProcessRanksHigher(DWORD process) {
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED;
    HANDLE token;
    bool higher;
    if (OpenProcessToken(handle, TOKEN_QUERY, &token)) {
        higher = IntegrityOf(token) > OwnIntegrity();
        CloseHandle(token);
    } else {
        higher = GetLastError() == ERROR_ACCESS_DENIED;
    }
    CloseHandle(handle);
    return higher;
}

static bool RunsWithHigherRights(HWND window) {
    static HWND known;
    static bool knownHigher;
    if (window == nullptr)
        return false;
    if (window == known)
        return knownHigher;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    known = window;
    knownHigher = process != 0 && process != GetCurrentProcessId() && ProcessRanksHigher(process);
    return knownHigher;
}

/* Moving the mouse over such a window takes nothing from it; keys and
 * clicks would be lost. */
static bool WouldBeDropped(const INPUT* input, HWND target) {
    const DWORD plainMove = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    if (input->type == INPUT_MOUSE && input->mi.dwFlags == plainMove)
        return false;
    return RunsWithHigherRights(target);
}

/* The input goes to the desktop this program runs on; not so on a locked
 * or switched session or while a secure desktop (sign-in, elevation
 * prompt) has the input, which the program may not even open. */
bool Win32InputDesktopIsOurs(void) {
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (input == nullptr)
        return false;
    char inputName[64] = "", ownName[64] = "";
    GetUserObjectInformationA(input, UOI_NAME, inputName, sizeof inputName, nullptr);
    GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, ownName,
                              sizeof ownName, nullptr);
    CloseDesktop(input);
    return lstrcmpiA(inputName, ownName) == 0;
}

/* Checked now and then besides at every refusal, in case a system takes
 * input on a locked session without a word. */
static bool SessionLooksInactive(void) {
    static DWORD lastCheck;
    DWORD now = GetTickCount();
    if (lastCheck != 0 && now - lastCheck < 200)
        return false;
    lastCheck = now;
    return !Win32InputDesktopIsOurs();
}

bool PlatformWindowHasHigherRights(WindowHandle window) {
    return RunsWithHigherRights(reinterpret_cast<HWND>(window));
}

static InputDelivery Refuse(InputRefusal refusal, HWND target, DWORD error) {
    lastRefusal = refusal;
    lastRefusalTarget = target;
    lastRefusalError = error;
    return InputRefused;
}

/* The target named is the top-level window, whose title the user knows:
 * keys and clicks go to a child (a field, a Store app's content). */
InputRefusal PlatformInputRefusal(WindowHandle* target, uint32_t* systemError) {
    HWND root = lastRefusalTarget != nullptr ? GetAncestor(lastRefusalTarget, GA_ROOT) : nullptr;
    *target = reinterpret_cast<WindowHandle>(root != nullptr ? root : lastRefusalTarget);
    *systemError = lastRefusalError;
    return lastRefusal;
}

/* ---- The two users: playback and the releases at its end ---- */

static InputDelivery RefusedBySystem(HWND target, DWORD error) {
    if (!Win32InputDesktopIsOurs())
        return InputCancelled;
    return Refuse(InputRefusedBySystem, target, error);
}

static void NoteSent(const EventRecord* record, const INPUT* input) {
    if (input->type == INPUT_MOUSE)
        moves.buttonsDown = ButtonsDownAfter(moves.buttonsDown, input->mi.dwFlags);
    if (IsPlainMouseMove(record->message)) {
        moves.unsettled = true;
        moves.last = PixelOf(record);
    }
}

/* A move that may merge with the moves after it is held back; anything
 * else first sends the move held back, and the moves that went before
 * anything but a move are waited for. A key of typed text may be several
 * inputs (its modifiers and itself), which go in one call, so nothing the
 * user does can come between them. */
static InputDelivery Send(const EventRecord* record, INPUT* inputs, int count, HWND target) {
    bool move = IsPlainMouseMove(record->message);
    if (move && moves.buttonsDown == 0) {
        moves.held = true;
        moves.input = inputs[0];
        moves.last = PixelOf(record);
        return InputDelivered;
    }
    if (move)
        Win32FlushMoves();
    else
        Win32SettleMoves();
    DWORD heldMoveRefused = moves.refusedError;
    moves.refusedError = 0;
    if (heldMoveRefused != 0)
        return RefusedBySystem(target, heldMoveRefused);
    if (SendInput((UINT)count, inputs, sizeof inputs[0]) != (UINT)count)
        return RefusedBySystem(target, GetLastError());
    NoteSent(record, &inputs[0]);
    static int unwaited; /* inputs other than moves sent since the last wait */
    if (move)
        return InputDelivered;
    unwaited += count;
    if (WaitsForTargetAfter(*record)) {
        WaitUntilTaken(target, unwaited);
        unwaited = 0;
    }
    return InputDelivered;
}

InputDelivery Win32DeliverRecord(const EventRecord* record) {
    INPUT inputs[MaxKeyStrokes];
    HWND target = nullptr;
    int count = BuildInput(record, inputs, &target);
    if (count == 0)
        return InputDelivered;
    if (Win32CancelRequested(false) || SessionLooksInactive())
        return InputCancelled;
    if (WouldBeDropped(&inputs[0], target))
        return Refuse(InputRefusedHigherRights, target, ERROR_ACCESS_DENIED);
    return Send(record, inputs, count, target);
}

void PlatformReleaseInput(const EventRecord* releases, int count) {
    Win32EndMoves();
    for (int i = 0; i < count; i++) {
        INPUT inputs[MaxKeyStrokes];
        HWND target = nullptr;
        int built = BuildInput(&releases[i], inputs, &target);
        if (built > 0 && SendInput((UINT)built, inputs, sizeof inputs[0]) == (UINT)built) {
            NoteSent(&releases[i], &inputs[0]);
            WaitUntilTaken(target, built);
        }
    }
}

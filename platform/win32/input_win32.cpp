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
 * reach the dialog, and a run never ends with input still on its way.
 *
 * The system may refuse the input: it says so for a locked session or a
 * secure desktop, but drops input aimed at a program with higher rights
 * without a word, so that case is recognised before the input is sent.
 */
#include <windows.h>

#include <cstring>

#include "model/model.h"
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
    bool on = false;
    if (Win32RunningUnderWine() && !Win32ProbeCapsLock(&on))
        return CapsLockUnknown;
    if (!Win32RunningUnderWine())
        on = (GetKeyState(VK_CAPITAL) & 1) != 0;
    return on ? CapsLockOn : CapsLockOff;
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

/* A recorded or named key keeps the scan code and flags it carries; a
 * key of typed text becomes the strokes the typing rule gives. */
static int BuildKeyRecord(const EventRecord* record, HWND foreground, INPUT* inputs) {
    HKL layout = LayoutOf(foreground);
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

static int BuildMouse(const EventRecord* record, INPUT* input) {
    POINT pixel = PixelOf(record);
    memset(input, 0, sizeof *input);
    input->type = INPUT_MOUSE;
    input->mi.dwExtraInfo = Win32InjectionTag;
    input->mi.dx = NormalizedScreenCoordinate(pixel.x, GetSystemMetrics(SM_XVIRTUALSCREEN),
                                              GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input->mi.dy = NormalizedScreenCoordinate(pixel.y, GetSystemMetrics(SM_YVIRTUALSCREEN),
                                              GetSystemMetrics(SM_CYVIRTUALSCREEN));
    uint32_t buttons = MouseButtonFlags(record->message, GetSystemMetrics(SM_SWAPBUTTON) != 0);
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
        *target = GetForegroundWindow();
        return BuildKeyRecord(record, *target, inputs);
    }
    if (IsMouseMessage(record->message)) {
        *target = WindowFromPoint(PixelOf(record));
        return BuildMouse(record, inputs);
    }
    *target = nullptr;
    return 0;
}

/* Waits until the thread of the window has taken what was sent to it: a
 * message sent to the window comes back only when its thread fetches
 * messages again, and it fetches input only after sent messages; the
 * second round trip comes back once the input has been fetched. Bounded,
 * in short slices, so the cancel keys and a hung window (one that has not
 * fetched messages for seconds) cannot keep the playback here. */
static const DWORD PaceSlice = 50;
static const DWORD PaceLimit = 5000;

static void WaitUntilTaken(HWND target) {
    DWORD thread = target != nullptr ? GetWindowThreadProcessId(target, nullptr) : 0;
    if (thread == 0 || thread == GetCurrentThreadId())
        return;
    DWORD start = GetTickCount();
    for (int rounds = 0; rounds < 2;) {
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

/* The press of a character of typed text is followed at once by its own
 * release: a plain character opens no dialog and moves no focus, so the
 * pair is waited for once, after the release. That halves the waits of
 * typed text. */
static bool GoesOnWithoutWaiting(const EventRecord* record) {
    return TypedRoleOf(record->hwnd) == TypedCharacter && !IsKeyRelease(record->message);
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

/* A program with higher rights lets us query its process but not read its
 * token; one whose token we can read says its integrity level. */
static bool ProcessRanksHigher(DWORD process) {
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr)
        return false; /* cannot tell: the system will say */
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
static bool InputDesktopIsOurs(void) {
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
    return !InputDesktopIsOurs();
}

static InputDelivery Refuse(InputRefusal refusal, HWND target, DWORD error) {
    lastRefusal = refusal;
    lastRefusalTarget = target;
    lastRefusalError = error;
    return InputRefused;
}

InputRefusal PlatformInputRefusal(WindowHandle* target, uint32_t* systemError) {
    *target = reinterpret_cast<WindowHandle>(lastRefusalTarget);
    *systemError = lastRefusalError;
    return lastRefusal;
}

/* ---- The two users: playback and the releases at its end ---- */

InputDelivery Win32DeliverRecord(const EventRecord* record) {
    INPUT inputs[MaxKeyStrokes];
    HWND target = nullptr;
    bool refuseForTest = Win32ProbeBeforeInput();
    int count = BuildInput(record, inputs, &target);
    if (count == 0)
        return InputDelivered;
    if (Win32CancelRequested(false) || SessionLooksInactive())
        return InputCancelled;
    if (WouldBeDropped(&inputs[0], target))
        return Refuse(InputRefusedHigherRights, target, ERROR_ACCESS_DENIED);
    UINT sent = refuseForTest ? 0 : SendInput((UINT)count, inputs, sizeof inputs[0]);
    if (sent < (UINT)count) {
        DWORD error = refuseForTest ? ERROR_ACCESS_DENIED : GetLastError();
        if (!InputDesktopIsOurs())
            return InputCancelled;
        return Refuse(InputRefusedBySystem, target, error);
    }
    if (!GoesOnWithoutWaiting(record))
        WaitUntilTaken(target);
    return InputDelivered;
}

void PlatformReleaseInput(const EventRecord* releases, int count) {
    for (int i = 0; i < count; i++) {
        INPUT inputs[MaxKeyStrokes];
        HWND target = nullptr;
        int built = BuildInput(&releases[i], inputs, &target);
        if (built > 0 && SendInput((UINT)built, inputs, sizeof inputs[0]) > 0)
            WaitUntilTaken(target);
    }
}

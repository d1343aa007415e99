/*
 * input_win32.cpp: handing a played record to the system as real input.
 *
 * Typed text goes as the characters themselves (Unicode input), so it
 * arrives as written whatever the keyboard layout and Caps Lock say, and
 * AltGr characters need no keys at all. Every other key goes as a virtual
 * key with the current layout's scan code, marked extended where the key
 * is an extended one (arrows, Home, right Alt, ...), so nothing reads it as
 * a numeric-keypad key. Mouse positions are given in virtual-desktop
 * coordinates, so recordings made on any monitor of several play back where
 * they were made, pixel for pixel.
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

/* A character of a double-byte code page comes as two marked characters,
 * its lead byte and its trail byte, each pressed and released; it is sent
 * once, when the trail byte is pressed. */
struct DoubleByte {
    int stage; /* 0 none, 1 lead pressed, 2 lead released, 3 trail pressed */
    char lead;
    WCHAR character;
};
static DoubleByte doubleByte;

static WCHAR WideCharacter(const char* bytes, int count) {
    WCHAR wide[2] = {0, 0};
    if (MultiByteToWideChar(CP_ACP, 0, bytes, count, wide, 2) < 1)
        return 0;
    return wide[0];
}

/* The character a marked key record stands for, or 0 when this record
 * sends nothing (half of a double-byte character). */
static WCHAR CharacterToSend(char character, bool release) {
    if (doubleByte.stage == 0 && !release && IsDBCSLeadByte((BYTE)character)) {
        doubleByte.stage = 1;
        doubleByte.lead = character;
        return 0;
    }
    if (doubleByte.stage == 1 && release) {
        doubleByte.stage = 2;
        return 0;
    }
    if (doubleByte.stage == 2 && !release) {
        const char pair[2] = {doubleByte.lead, character};
        doubleByte.stage = 3;
        doubleByte.character = WideCharacter(pair, 2);
        return doubleByte.character;
    }
    if (doubleByte.stage == 3 && release) {
        doubleByte.stage = 0;
        return doubleByte.character;
    }
    doubleByte.stage = 0;
    return WideCharacter(&character, 1);
}

static int BuildCharacter(const EventRecord* record, INPUT* input) {
    bool release = IsKeyRelease(record->message);
    WCHAR character = CharacterToSend(TypedCharacterOf(record->hwnd), release);
    if (character == 0)
        return 0;
    SetKey(input, 0, character, KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0));
    return 1;
}

/* A character typed as a shortcut (Ctrl or Alt held) is the layout's key
 * for it, which is what the target's shortcuts are defined by. */
static int LayoutKeyFor(const EventRecord* record, HKL layout) {
    SHORT found = VkKeyScanExA(TypedCharacterOf(record->hwnd), layout);
    if (found == -1)
        return record->paramL & 0xFF;
    return found & 0xFF;
}

/* Recorded Unicode key input goes as the same Unicode input. */
static int BuildUnicodeKey(const EventRecord* record, INPUT* input) {
    DWORD release = IsKeyRelease(record->message) ? KEYEVENTF_KEYUP : 0;
    SetKey(input, 0, KeyEventCharacter(*record), KEYEVENTF_UNICODE | release);
    return 1;
}

static int BuildKeyRecord(const EventRecord* record, HWND foreground, INPUT* input) {
    if (IsUnicodeKeyRecord(*record))
        return BuildUnicodeKey(record, input);
    TypedRole role = TypedRoleOf(record->hwnd);
    if (role == TypedCharacter)
        return BuildCharacter(record, input);
    if (role == TypedShift)
        return 0; /* a character sent as itself needs no Shift */
    doubleByte.stage = 0;
    HKL layout = LayoutOf(foreground);
    int key = role == TypedCharacterKey ? LayoutKeyFor(record, layout) : record->paramL & 0xFF;
    return BuildKey(record, key, layout, input);
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

/* The input for a record (none for messages that are not input, like the
 * end marker) and the window it goes to. */
static int BuildInput(const EventRecord* record, INPUT* input, HWND* target) {
    if (IsKeyMessage(record->message)) {
        *target = GetForegroundWindow();
        return BuildKeyRecord(record, *target, input);
    }
    if (IsMouseMessage(record->message)) {
        /* A move's window is looked up only when the moves are waited for. */
        *target = IsPlainMouseMove(record->message) ? nullptr : WindowFromPoint(PixelOf(record));
        return BuildMouse(record, input);
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

InputRefusal PlatformInputRefusal(WindowHandle* target, uint32_t* systemError) {
    *target = reinterpret_cast<WindowHandle>(lastRefusalTarget);
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
 * anything but a move are waited for. */
static InputDelivery Send(const EventRecord* record, const INPUT* input, HWND target,
                          bool refuseForTest) {
    bool move = IsPlainMouseMove(record->message);
    if (move && moves.buttonsDown == 0 && !refuseForTest) {
        moves.held = true;
        moves.input = *input;
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
    if (refuseForTest || SendInput(1, const_cast<INPUT*>(input), sizeof *input) != 1)
        return RefusedBySystem(target, refuseForTest ? ERROR_ACCESS_DENIED : GetLastError());
    NoteSent(record, input);
    if (!move && WaitsForTargetAfter(*record))
        WaitUntilTaken(target);
    return InputDelivered;
}

InputDelivery Win32DeliverRecord(const EventRecord* record) {
    INPUT input;
    HWND target = nullptr;
    bool refuseForTest = Win32ProbeBeforeInput();
    if (BuildInput(record, &input, &target) == 0)
        return InputDelivered;
    if (Win32CancelRequested(false) || SessionLooksInactive())
        return InputCancelled;
    if (WouldBeDropped(&input, target))
        return Refuse(InputRefusedHigherRights, target, ERROR_ACCESS_DENIED);
    return Send(record, &input, target, refuseForTest);
}

void PlatformReleaseInput(const EventRecord* releases, int count) {
    Win32EndMoves();
    for (int i = 0; i < count; i++) {
        INPUT input;
        HWND target = nullptr;
        if (BuildInput(&releases[i], &input, &target) == 1 && SendInput(1, &input, sizeof input)) {
            NoteSent(&releases[i], &input);
            WaitUntilTaken(target);
        }
    }
}

/*
 * platform.h: everything the program asks of the operating system.
 *
 * The rest of the program never includes a system header. It reaches the
 * desktop through these plain functions, in its own vocabulary. There are
 * two implementations, chosen when the program is linked:
 *
 *   platform/win32/  the real Windows calls (mirlow.exe);
 *   platform/sim/    a simulated desktop for the native build: a virtual
 *                    clock, a table of windows, a message queue, message
 *                    boxes answered from a queue. Tests steer it through
 *                    platform/sim/sim_control.h.
 *
 * Numbers that the system itself defines (window messages, message-box
 * styles, virtual keys, window styles) keep the system's values, so that
 * recordings, which store raw message numbers, mean the same thing on
 * both sides and no translation is needed at the seam.
 *
 * Each function does one platform call's worth of work. Rules (which
 * message, which order, what is logged) belong to the callers.
 *
 * Two facts that every part of the program shares sit here too, as the
 * system defines them: the longest path and the event record.
 */
#ifndef MIRLOW_PLATFORM_H
#define MIRLOW_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

/* The longest path the system's file calls accept, without the
 * terminating zero. */
const int MaxPathLength = 259;

/* One input event, laid out as the system's journal record: five
 * little-endian 32-bit fields. Keys carry the virtual key in the low byte of
 * paramL; mouse events carry x in paramL and y in paramH. */
struct EventRecord {
    uint32_t message;
    int32_t paramL;
    int32_t paramH;
    uint32_t time;
    uint32_t hwnd;
};
static_assert(sizeof(EventRecord) == 20, "EventRecord is the 20-byte file and journal record");

/* Opaque handles. A null handle means "none". */
struct PlatformWindowTag;
typedef PlatformWindowTag* WindowHandle;
struct PlatformHookTag;
typedef PlatformHookTag* HookHandle;
struct PlatformAcceleratorsTag;
typedef PlatformAcceleratorsTag* AcceleratorHandle;

/* ---- Window messages and notification codes (system values) ---- */
enum : uint32_t {
    MsgNull = 0x0000,
    MsgCreate = 0x0001,
    MsgDestroy = 0x0002,
    MsgSize = 0x0005,
    MsgSetFocus = 0x0007,
    MsgPaint = 0x000F,
    MsgClose = 0x0010,
    MsgQueryEndSession = 0x0011, /* answer nonzero to let the session end */
    MsgQuit = 0x0012,
    MsgEndSession = 0x0016, /* wParam nonzero: the session ends now */
    MsgCancelJournal = 0x004B,
    MsgNotify = 0x004E,
    MsgKeyDown = 0x0100,
    MsgKeyUp = 0x0101,
    MsgChar = 0x0102,
    MsgSysKeyDown = 0x0104,
    MsgSysKeyUp = 0x0105,
    MsgCommand = 0x0111,
    MsgMouseMove = 0x0200,
    MsgLButtonDown = 0x0201,
    MsgLButtonUp = 0x0202,
    MsgLButtonDblClk = 0x0203,
};

/* Tab control: "the selection has changed" notification code. */
const int TabSelectionChanged = -551;

/* ---- Virtual keys used by the program's own rules (system values) ---- */
enum : int {
    KeyControl = 0x11,
    KeyPageUp = 0x21,
    KeyPageDown = 0x22,
    KeyEnd = 0x23,
    KeyHome = 0x24,
    KeyLeft = 0x25,
    KeyUp = 0x26,
    KeyRight = 0x27,
    KeyDown = 0x28,
};

/* ---- Message-box styles and answers (system values) ---- */
enum : uint32_t {
    BoxOk = 0x0000,
    BoxYesNoCancel = 0x0003,
    BoxYesNo = 0x0004,
    BoxIconError = 0x0010,
    BoxIconQuestion = 0x0020,
    BoxIconWarning = 0x0030,
    BoxIconInformation = 0x0040,
    BoxSystemModal = 0x1000,
    BoxTaskModal = 0x2000,
    BoxTopmost = 0x40000,
};
enum : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

/* ---- Window styles and show states (system values) ---- */
enum : uint32_t {
    StyleCaption = 0x00C00000,
    StyleSystemMenu = 0x00080000,
    StyleMinimizeBox = 0x00020000,
};
enum : int { ShowHide = 0, ShowNormal = 1, ShowShow = 5, ShowMinimize = 6, ShowRestore = 9 };
const int DefaultWindowPosition = (int)0x80000000;

/* ---- Memory ----
 * Buffers are obtained once at start-up. PlatformAllocate returns null on
 * failure; the contents of a new block are undefined (callers zero-fill).
 */
void* PlatformAllocate(size_t bytes);
void PlatformRelease(void* block);

/* ---- Files ----
 * Files are read and written through stdio; only what stdio cannot say
 * comes from here. PlatformFileSize: the size in bytes that the file's
 * directory entry gives, without opening it; 0 when there is no such file
 * or the path names something other than a plain file (a folder, a
 * device), so a caller never opens what it cannot read to an end.
 */
int64_t PlatformFileSize(const char* path);

/* ---- Time ----
 * PlatformTickCount: milliseconds since the system started, wrapping at
 * 2^32 (GetTickCount).
 */
uint32_t PlatformTickCount(void);
/* What the program's random numbers are seeded with: the tick count, which
 * differs from run to run. */
uint32_t PlatformRandomSeed(void);

/* The local date and time, field for field as the system keeps it
 * (GetLocalTime): month 1 to 12, dayOfWeek 0 (Sunday) to 6, hour 0 to 23. */
struct LocalTime {
    int year;
    int month;
    int dayOfWeek;
    int day;
    int hour;
    int minute;
    int second;
    int milliseconds;
};
void PlatformLocalTime(LocalTime* time);

/* ---- Message boxes ----
 * Task- or system-modal boxes without an owner window; style is a
 * combination of the Box... values. Returns the Answer... pressed.
 */
int PlatformMessageBox(const char* text, const char* caption, uint32_t style);
/* The same with the program's own icon resource instead of a system icon. */
int PlatformMessageBoxWithIcon(const char* text, const char* caption, uint32_t style, int iconId);

/* ---- Windows ----
 * A window procedure gets the window, the message and its two parameters
 * and returns the message's result. Messages it does not handle go to
 * PlatformDefaultWindowProc, which closes a window on MsgClose by
 * destroying it.
 */
typedef intptr_t (*WindowProcedure)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);

struct WindowClassSpec {
    const char* className;
    WindowProcedure procedure;
    int iconId;        /* large icon, and the small one at small-icon size */
    int menuId;        /* 0 for none */
    bool redrawOnSize; /* redraw on horizontal and vertical size change */
};

/* Registers a top-level window class (arrow cursor, button-face background). */
bool PlatformRegisterWindowClass(const WindowClassSpec* spec);

/* Creates a top-level window; x or y may be DefaultWindowPosition. The
 * window procedure sees MsgCreate before this returns. Null on failure. */
WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style, int x,
                                  int y, int width, int height);
bool PlatformDestroyWindow(WindowHandle window);
intptr_t PlatformDefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam);
bool PlatformSetWindowTitle(WindowHandle window, const char* title);
/* Copies the title into buffer (size bytes, always terminated); returns its length. */
int PlatformGetWindowTitle(WindowHandle window, char* buffer, int size);
void PlatformShowWindow(WindowHandle window, int showState);
void PlatformUpdateWindow(WindowHandle window);
void PlatformMakeTopmost(WindowHandle window);
/* The window's top-left corner in screen coordinates; for a minimised
 * window, where it stands when restored (never the far-off place the
 * system parks minimised windows at). */
bool PlatformGetWindowPosition(WindowHandle window, int* left, int* top);
/* Gives the window a new outer size, keeping its top-left corner. */
void PlatformSetWindowSize(WindowHandle window, int width, int height);

/* While the window asks its user something before the session may end
 * (sign-out, shutdown), the system shows this reason beside the program's
 * name; null takes it away. */
void PlatformSetShutdownReason(WindowHandle window, const char* reason);

/* ---- Menus ----
 * Items of a window's menu bar and its popups, by command identifier. */
void PlatformSetMenuItemEnabled(WindowHandle window, int commandId, bool enabled);
void PlatformSetMenuItemChecked(WindowHandle window, int commandId, bool checked);
/* Width in pixels of an item of the window's menu bar, counted from 0. */
int PlatformMenuBarItemWidth(WindowHandle window, int index);

/* SM_CXMINIMUM-style metrics the program needs. */
enum SystemMetric {
    MetricMinWindowWidth,
    MetricMinWindowHeight,
    MetricFullScreenWidth, /* client area of a full-screen window */
    MetricFullScreenHeight,
    MetricMenuHeight,    /* one line of menu bar */
    MetricFrameHeight,   /* the sizing frame */
    MetricCaptionHeight, /* the caption bar */
};
int PlatformSystemMetric(SystemMetric metric);

/* ---- Messages ----
 * PlatformGetMessage waits for the next message of the thread (for any of
 * its windows, or a thread message with a null window). Returns 1 for a
 * message, 0 for the quit message (its exit code in wParam) and -1 when
 * retrieval fails. Posted messages come in the order they were posted,
 * the quit message once no other is waiting; a sent one is handled
 * before the send returns. While a message box, a modal dialog or a file
 * dialog is open, the system's modal loop dispatches what is posted to
 * the program's windows, and a thread message is lost. */
struct PlatformMessage {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    uint32_t time;
    int32_t x, y;
};
int PlatformGetMessage(PlatformMessage* message);
bool PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t PlatformSendMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam);
void PlatformPostQuitMessage(int exitCode);
/* Ends the process at once with exitCode, for when the system may stop it
 * any moment anyway (the end of the session) and would not keep the code. */
void PlatformEndProcess(int exitCode);
/* Offers the message to the accelerator table for window; true when it was
 * one. Its command is then sent to window (1 in the high word of wParam),
 * unless it is a grayed item of the window's menu or the window is
 * minimised. */
bool PlatformTranslateAccelerator(WindowHandle window, AcceleratorHandle table,
                                  PlatformMessage* message);
/* Offers the message to a modeless dialog's keyboard handling; true when
 * it was for the dialog or one of its controls: Tab and Shift+Tab, the
 * arrows within a group, Enter and Escape are handled, anything else is
 * dispatched. */
bool PlatformIsDialogMessage(WindowHandle dialog, PlatformMessage* message);
/* Translates keys into character messages and hands the message to its window. */
void PlatformTranslateAndDispatch(const PlatformMessage* message);
AcceleratorHandle PlatformLoadAccelerators(int resourceId);
/* True while the key is held down, as of the message being handled. */
bool PlatformIsKeyDown(int virtualKey);

/* ---- Controls ---- */
WindowHandle PlatformGetDialogItem(WindowHandle dialog, int controlId);
int PlatformGetTabSelection(WindowHandle tabControl);
void PlatformSetTabSelection(WindowHandle tabControl, int index);
/* Sends dialog a MsgNotify from control with the given notification code. */
intptr_t PlatformSendNotify(WindowHandle dialog, WindowHandle control, int controlId, int code);

/* ---- Journal hooks ----
 * A journal-playback hook is called by the published contract: HookGetNext
 * asks for the current event; a non-zero answer means "wait that long and
 * ask again"; an answer of 0 with the record written means "hand this
 * record to the system", after which HookSkip moves on; an answer of 0
 * without a record hands nothing over and is followed by HookSkip too.
 * Where the system does not call the hook itself, the platform does so by
 * the same contract from inside PlatformGetMessage, never by recursion, so
 * a hook that installs its successor (the next pass) does not grow the
 * stack. */
enum : int {
    HookAction = 0,
    HookGetNext = 1,
    HookSkip = 2,
    HookNoRemove = 3,
    HookSystemModalOn = 4,
    HookSystemModalOff = 5,
};

/* Returns the delay for HookGetNext, otherwise 0 or what the next hook
 * answered; sets *wroteRecord when it filled *record. */
typedef intptr_t (*PlaybackHookProcedure)(int code, EventRecord* record, bool* wroteRecord);

HookHandle PlatformInstallPlaybackHook(PlaybackHookProcedure procedure);
/* True when the last installed playback hook is called by the system
 * itself; false when the platform drives it and injects the input. */
bool PlatformPlaybackUsesSystemJournal(void);
bool PlatformRemoveJournalHook(HookHandle hook);
/* Passes the current hook call on to the next hook in the chain. */
intptr_t PlatformCallNextHook(HookHandle hook, int code);

/* ---- Input ----
 * A toggle key (Caps Lock, Num Lock, ...) played through a journal does not
 * change the keyboard's own toggle state; pressing it once more through the
 * input stream does. An input layer that injects real key presses has no
 * such gap. Returns true when the key was pressed again. */
bool PlatformPressToggleKey(int virtualKey);

/* ---- System ---- */
struct PlatformVersionInfo {
    long platformId;
    long majorVersion;
    long minorVersion;
    long buildNumber;
};
void PlatformGetVersion(PlatformVersionInfo* version);

/* ---- Windows of other programs ---- */
struct ScreenRect {
    int left, top, right, bottom;
};
/* A top-level window whose title is title, letter case aside, or null. */
WindowHandle PlatformFindWindowByTitle(const char* title);
bool PlatformIsWindowMinimized(WindowHandle window);
/* Shows another program's window in showState (ShowShow, ShowRestore),
 * puts it on top and asks the system to make it the foreground window,
 * all by the asynchronous forms: nothing here waits for the window's
 * thread, so a program that has stopped answering cannot hold this one. */
void PlatformActivateWindow(WindowHandle window, int showState);
bool PlatformGetWindowRect(WindowHandle window, ScreenRect* rect);

/* ---- Dialog controls ---- */
void PlatformSetDialogItemText(WindowHandle dialog, int controlId, const char* text);

/* ---- Processes ---- */
struct PlatformProcessTag;
typedef PlatformProcessTag* ProcessHandle;
enum ProcessWait { ProcessStillRunning, ProcessEnded, ProcessWaitFailed };
/* Starts a program from a command line as the system would look it up;
 * null when it cannot be started. */
ProcessHandle PlatformStartProcess(const char* commandLine);
ProcessWait PlatformWaitForProcess(ProcessHandle process, int milliseconds);
void PlatformCloseProcess(ProcessHandle process);

/* ---- Registry ----
 * Keys are named by a root and a path below it ("SOFTWARE\Mirlow"); an
 * empty path is the root itself. Key paths and value names compare without
 * regard to case; an empty value name is the key's default value. Value
 * types keep the system's numbers. A key handle is closed by the caller.
 */
enum RegistryHive {
    HiveClassesRoot,
    HiveCurrentUser,
    HiveLocalMachine,
    HiveUsers,
};
enum : uint32_t {
    RegistryTypeText = 1,       /* REG_SZ */
    RegistryTypeExpandText = 2, /* REG_EXPAND_SZ, stored unexpanded */
    RegistryTypeBinary = 3,     /* REG_BINARY */
    RegistryTypeNumber = 4,     /* REG_DWORD, little-endian */
};
struct PlatformRegistryKeyTag;
typedef PlatformRegistryKeyTag* RegistryKeyHandle;

/* Opens an existing key, with full access or for reading values only.
 * Null when it does not exist or access is denied. */
RegistryKeyHandle PlatformOpenRegistryKey(RegistryHive hive, const char* keyPath, bool fullAccess);
/* Opens a key with full access, creating it (and missing parents) as a
 * lasting key when it does not exist. Null on failure. */
RegistryKeyHandle PlatformCreateRegistryKey(RegistryHive hive, const char* keyPath);
void PlatformCloseRegistryKey(RegistryKeyHandle key);
bool PlatformSetRegistryValue(RegistryKeyHandle key, const char* name, uint32_t type,
                              const void* data, uint32_t size);
/* Copies a value of at most capacity bytes into data and its type into
 * *type; returns its size in bytes, or -1 when it is missing or larger. */
int PlatformQueryRegistryValue(RegistryKeyHandle key, const char* name, uint32_t* type, void* data,
                               uint32_t capacity);
bool PlatformDeleteRegistryValue(RegistryKeyHandle key, const char* name);
/* Deletes a key that has no subkeys. */
bool PlatformDeleteRegistryKey(RegistryHive hive, const char* keyPath);

/* ---- The program file ----
 * The full path of the running program file, or -1 when there is none or
 * it does not fit in size bytes (never a cut path). Returns its length. */
int PlatformProgramPath(char* buffer, int size);

/* ---- Documents: file dialogs, saving files safely, menu items, focus ----
 * PlatformFileDialog shows the system's Open (saveMode false) or Save
 * dialog owned by owner. filters holds NUL-separated description and
 * pattern pairs ending in two NULs; *filterIndex (from 1) is the pair
 * selected at first and receives the one the user left selected. path
 * (size bytes) holds the initial name and receives the choice. The
 * system's own overwrite prompt is not asked for.
 *
 * Paths travel in the system's ANSI code page. A name the user chose may
 * hold characters that the code page lacks; the system would hand such a
 * name over with look-alike characters put in (a best fit), which names
 * another file, so it is never handed over as a choice. When the dialog
 * is cancelled path is untouched; when the choice is refused path holds it
 * for a message only: with "?" for each character the code page lacks, or
 * cut to fit.
 */
enum FileDialogOutcome {
    FileDialogCancelled,
    FileDialogChosen,
    FileDialogTooLong,       /* the choice does not fit in path */
    FileDialogNotInCodePage, /* the choice holds characters the code page lacks */
};
FileDialogOutcome PlatformFileDialog(WindowHandle owner, bool saveMode, const char* filters,
                                     int* filterIndex, char* path, int size);

/* How one of the two file operations below ended. Another program may
 * hold a file for a moment (a virus scanner, the search indexer, a sync
 * client): the system then refuses with a sharing violation or with
 * access denied, and the same request may succeed a little later. */
enum FileOutcome {
    FileDone,
    FileNameTaken, /* a file or folder of that name exists */
    FileBusy,      /* a sharing violation or access denied: worth asking again */
    FileFailed,    /* any other reason */
};

/* Creates a file for writing that must not exist yet (so a name taken by
 * another file is never overwritten) and opens it as a binary stdio
 * stream in *file; what is written goes through to the disk. */
FileOutcome PlatformCreateNewFile(const char* path, FILE** file);

/* Puts the file at source in the place of target, replacing any file
 * there, and returns once the move is on the disk: target then holds
 * either its old content or all of source, never a mixture. An existing
 * target keeps its security settings, attributes and creation time; where
 * the system cannot carry them over (the target is new, or the file
 * system refuses), the file is renamed instead. Both lie in the same
 * folder. Unless it is done, both files are as they were. */
FileOutcome PlatformReplaceFile(const char* source, const char* target);

/* Why the last of the two operations above did not succeed, in the
 * system's own words with its error number (size bytes, terminated). */
void PlatformFileErrorText(char* text, int size);

/* Waits the given time without handling messages. */
void PlatformSleep(int milliseconds);

/* Menu items of the window's menu bar and its popups, found by command
 * identifier. A new text item goes directly after the item afterCommandId;
 * false, and nothing inserted, when there is no such item. The text is
 * shown as it is (no mnemonics). */
bool PlatformInsertMenuItemAfter(WindowHandle window, int afterCommandId, int commandId,
                                 const char* text);
/* False when there is no item with that identifier. */
bool PlatformDeleteMenuItem(WindowHandle window, int commandId);

/* ---- Recording input ----
 * A record hook is called for every keyboard and mouse event of the whole
 * desktop, with HookAction and the event as a journal-record hook receives
 * it: a key message (WM_SYSKEYDOWN and WM_SYSKEYUP while Alt is down) with
 * the virtual key in the low byte of paramL (left and right Shift, Ctrl
 * and Alt as the generic 16, 17 and 18), the scan code in the next byte
 * and the key's flags above it (extended 0x10000, Alt held 0x200000, was
 * down 0x400000, released 0x800000), the repeat count and the extended
 * flag (0x8000) in paramH; a mouse message with the screen point in
 * virtual-desktop pixels in paramL and paramH; the system's time stamp of
 * the event in milliseconds; and the window the event goes to (the focus
 * window for keys, the window under the cursor for the mouse). Other codes
 * (HookSystemModalOn, HookSystemModalOff) come without an event; a
 * negative code is to be passed on with PlatformCallNextRecordHook.
 *
 * Where the system honours a journal-record hook it calls the hook itself;
 * elsewhere (a standard user, Windows 11, Wine, whose journal sees only the
 * program's own windows) low-level input hooks build the same records.
 * Input the program injected itself never reaches the hook; input other
 * programs inject (on-screen keyboards, remote control) does. The system's
 * cancel keys end a recording on either path as they end a journal: the
 * hook is gone and the thread gets MsgCancelJournal.
 */
typedef intptr_t (*RecordHookProcedure)(int code, const EventRecord* event);

/* The other mouse messages a recording meets (system values). */
enum : uint32_t {
    MsgRButtonDown = 0x0204,
    MsgRButtonUp = 0x0205,
    MsgRButtonDblClk = 0x0206,
    MsgMButtonDown = 0x0207,
    MsgMButtonUp = 0x0208,
    MsgMButtonDblClk = 0x0209,
    MsgMouseWheel = 0x020A,
    MsgXButtonDown = 0x020B,
    MsgXButtonUp = 0x020C,
    MsgXButtonDblClk = 0x020D,
    MsgMouseHWheel = 0x020E,
    MsgMouseLast = 0x020E,
};

/* Null when neither kind of hook can be had. */
HookHandle PlatformInstallRecordHook(RecordHookProcedure procedure);
/* True when the last installed record hook is the system's journal; false
 * when low-level hooks deliver the events (moves then come at the rate of
 * the device, not of the journal). */
bool PlatformRecordUsesSystemJournal(void);
/* Removes a record hook; harmless when the system already took it away. */
bool PlatformRemoveRecordHook(HookHandle hook);
/* Passes the current record hook call on to the next hook in the chain. */
intptr_t PlatformCallNextRecordHook(HookHandle hook, int code);
/* True when the window is one of this program's own: any window it made,
 * its dialogs, menus and message boxes as well as the main window and its
 * children. False for null. */
bool PlatformIsOwnWindow(WindowHandle window);

/* ---- Recording input: the desktop around the events ----
 * Where low-level hooks record, they run on a thread of their own, which
 * stamps each event with what the desktop looked like at that moment and
 * hands it over; the record hook is then called on the user-interface
 * thread, in order, with the event. Besides the events that thread hands
 * over a check (HookRecordCheck, no event) every RecordCheckInterval ms
 * and whenever another window comes to the foreground, so that the
 * recorder learns of a locked session, a window it cannot see into or
 * hooks the system took away even while no input arrives. */
const int HookRecordCheck = 0x4D53; /* a code the system itself never sends */
const uint32_t RecordCheckInterval = 250;

/* The modifier keys a context reports as held, one bit each. */
enum : uint32_t {
    HeldShift = 0x01,        /* either Shift (virtual key 0x10) */
    HeldControl = 0x02,      /* either Ctrl (0x11) */
    HeldAlt = 0x04,          /* either Alt (0x12) */
    HeldLeftWindows = 0x08,  /* 0x5B */
    HeldRightWindows = 0x10, /* 0x5C */
};

struct RecordContext {
    uint32_t tick;            /* when it was taken (the tick count) */
    uint32_t heldModifiers;   /* Held... bits: what the system held down just
                                 before the event, apart from the event's own key */
    WindowHandle foreground;  /* the foreground window */
    WindowHandle focus;       /* the window with the keyboard focus, or null */
    bool inputDesktopOurs;    /* false: the session is locked or switched, or a
                                 secure desktop (sign-in, elevation) has the input */
    uint32_t lastSystemInput; /* when the system last saw input of any kind */
    uint32_t lastHookInput;   /* when the hooks last saw input, or were installed */
    uint32_t lostEvents;      /* events the hooks took but could not hand over
                                 since the last call */
};
/* What the platform knew when it took the event (or check) the record
 * hook is being called with now; false where it knows none of it (the
 * system's journal records, and is called by the system itself). */
bool PlatformRecordContext(RecordContext* context);
/* Installs the record hooks again, for hooks the system removed without a
 * word (it does so with hooks that answer too slowly). */
bool PlatformRestartRecordHook(HookHandle hook);
/* Calls the record hook, removed or not, with every event (and check) its
 * hooks took and have not handed over yet, in order. */
void PlatformFlushRecordInput(void);
/* True when the window belongs to a program that runs with higher rights
 * than this one (an elevated console, an installer): the system passes
 * none of the input aimed at it to the program's hooks, nor lets the
 * program send it input. False for null and where it cannot be told. */
bool PlatformWindowHasHigherRights(WindowHandle window);

/* The system's cancel notice (MsgCancelJournal), on every way of
 * recording and playing, reaches this window as a window message, so that
 * no modal loop (a message box, a dialog, an open menu) can lose it the
 * way such loops lose a thread message. Before any is set, and where the
 * window is gone, it is a thread message. */
void PlatformSetCancelNoticeWindow(WindowHandle window);

/* ---- Dialogs, their controls, and the display scale ----
 * Dialogs are made from the program's dialog templates (resource ids). A
 * dialog procedure has the form of a window procedure: it gets
 * MsgInitDialog once every control of the template exists. It returns zero
 * for a message it leaves to the platform's default dialog handling
 * (Escape and the caption's close button arrive as the Cancel command);
 * otherwise the message's result, which is nonzero (for MsgInitDialog,
 * nonzero lets the platform give the first control the focus; for
 * MsgCtlColorStatic, the brush from PlatformSetStaticColours). Controls are
 * named by their dialog and control identifier. Positions and sizes are in
 * pixels; x and y of a child are in its parent's client area.
 */
enum : uint32_t {
    MsgSetCursor = 0x0020,
    MsgInitDialog = 0x0110,
    MsgVScroll = 0x0115,
    MsgCtlColorStatic = 0x0138, /* wParam: the device context; lParam: the control */
    MsgDpiChanged = 0x02E0,     /* lParam: the suggested screen rectangle */
};
/* Notification codes in the high word of a MsgCommand's wParam. */
enum : int { ButtonClicked = 0, ListSelectionChanged = 1, EditChanged = 0x0300 };
/* Scroll-bar arrows, in the low word of a MsgVScroll's wParam. */
enum : int { ScrollLineUp = 0, ScrollLineDown = 1 };
enum : int { DialogOk = 1, DialogCancel = 2 }; /* the OK and Cancel command ids */

typedef WindowProcedure DialogProcedure;

/* A modeless dialog as a (hidden) child window of parent; null on failure. */
WindowHandle PlatformCreateChildDialog(WindowHandle parent, int templateId,
                                       DialogProcedure procedure);
/* A modal dialog owned by owner; returns the result given to
 * PlatformEndDialog once it has closed, or -1 when it could not be made. */
int PlatformRunModalDialog(WindowHandle owner, int templateId, DialogProcedure procedure);
void PlatformEndDialog(WindowHandle dialog, int result);

/* Copies at most size - 1 characters of the control's text into buffer
 * (always terminated) and returns the length of the whole text, so a
 * caller can tell a text that did not fit. */
int PlatformGetDialogItemText(WindowHandle dialog, int controlId, char* buffer, int size);
bool PlatformIsButtonChecked(WindowHandle dialog, int controlId);
void PlatformCheckButton(WindowHandle dialog, int controlId, bool checked);
void PlatformEnableDialogItem(WindowHandle dialog, int controlId, bool enabled);
void PlatformShowDialogItem(WindowHandle dialog, int controlId, bool shown);
/* Gives the control the keyboard focus, as the dialog's own navigation would. */
void PlatformFocusDialogItem(WindowHandle dialog, int controlId);
/* A control's rectangle in its dialog's client coordinates. */
bool PlatformGetControlRect(WindowHandle dialog, int controlId, ScreenRect* rect);
/* Makes a control as wide as its text in its own font; its left edge and
 * height stay. */
void PlatformFitControlToText(WindowHandle dialog, int controlId);
/* True when the user changed an edit control's text since the last call
 * (typing, pasting); the program's own writes do not count. Clears the mark. */
bool PlatformTakeEditModified(WindowHandle dialog, int controlId);

/* Drop-down lists: items are added at the end, in call order; a selection
 * of -1 is none. */
void PlatformAddListItem(WindowHandle dialog, int controlId, const char* text);
int PlatformGetListSelection(WindowHandle dialog, int controlId);
void PlatformSetListSelection(WindowHandle dialog, int controlId, int index);

/* Trackbars. */
void PlatformSetTrackbarRange(WindowHandle dialog, int controlId, int minimum, int maximum,
                              int pageSize);
void PlatformSetTrackbarPosition(WindowHandle dialog, int controlId, int position);
int PlatformGetTrackbarPosition(WindowHandle dialog, int controlId);

/* A tab control (visible, clipping its siblings, beneath the dialog's
 * other controls) made at run time; null on failure. */
WindowHandle PlatformCreateTabControl(WindowHandle dialog, int controlId, int x, int y, int width,
                                      int height);
/* Inserts a text item without image at index; false on failure. */
bool PlatformAddTab(WindowHandle tabControl, int index, const char* text);
/* The notification code of a MsgNotify, from its lParam. */
int PlatformNotificationCode(intptr_t lParam);

/* Geometry and focus. */
bool PlatformGetClientSize(WindowHandle window, int* width, int* height);
/* Moves a child window, keeping its size. */
void PlatformMoveChild(WindowHandle child, int x, int y);
void PlatformPlaceChild(WindowHandle child, int x, int y, int width, int height);
void PlatformSetFocus(WindowHandle window);
/* Takes the window out of the topmost band without activating it; keeps
 * its position and size. */
void PlatformMakeNotTopmost(WindowHandle window);
/* Repaints the whole window, background and children included. */
void PlatformRedrawWindow(WindowHandle window);

/* The mouse pointer: where it is, in the window's client coordinates, and
 * a cursor resource of the program to show. */
void PlatformGetPointerPosition(WindowHandle window, int* x, int* y);
void PlatformSetCursorResource(int resourceId);

/* Fonts the program makes itself (the platform scales the templates'); a
 * font is made for one display scale and released by the program. */
struct PlatformFontTag;
typedef PlatformFontTag* FontHandle;
enum FontVariant {
    FontBold,       /* weight 700 */
    FontUnderlined, /* underlined, as links are */
};
/* A copy of the font the window uses now, in that variant; null on failure. */
FontHandle PlatformCreateFontVariant(WindowHandle window, FontVariant variant);
void PlatformSetWindowFont(WindowHandle window, FontHandle font);
/* Gives window the font that source uses. */
void PlatformUseFontOf(WindowHandle window, WindowHandle source);
void PlatformReleaseFont(FontHandle font);
/* Inside the handling of MsgCtlColorStatic (wParam the device context):
 * text in the colour 0x00RRGGBB on a transparent background; returns the
 * hollow brush the procedure answers with. */
intptr_t PlatformSetStaticColours(uintptr_t deviceContext, uint32_t textColour);

/* Copies a string-table entry into buffer (at most size - 1 characters,
 * terminated); returns its length, 0 when there is none. */
int PlatformLoadString(int stringId, char* buffer, int size);

/* The display scale: the window's dots per inch (96 is 100 %), metrics at
 * that scale, and the move to the rectangle the system suggests when the
 * window reaches a monitor of another scale (the lParam of MsgDpiChanged). */
enum ScaledMetric {
    ScaledMenuHeight,
    ScaledFrameHeight,
    ScaledCaptionHeight,
    ScaledEdgeWidth,
    ScaledEdgeHeight,
};
int PlatformWindowDpi(WindowHandle window);
int PlatformScaledMetric(WindowHandle window, ScaledMetric metric);
void PlatformMoveToSuggestedRect(WindowHandle window, intptr_t suggestion);

/* ---- Files the log writes ----
 * PlatformOpenForAppend opens a plain file for appending, creating it when
 * it does not exist; null when it cannot be opened or names something
 * other than a plain file (a pipe, a device, a folder). It never waits for
 * another program at the far end of a pipe. PlatformDeletePlainFile
 * deletes a plain file and nothing else. PlatformSameFile tells whether
 * two paths name the same file, compared as Windows compares file names
 * (full paths, letter case ignored), or lead to one existing file (a
 * link, another name of it).
 */
FILE* PlatformOpenForAppend(const char* path);
bool PlatformDeletePlainFile(const char* path);
bool PlatformSameFile(const char* first, const char* second);
/* The path of file in folder inside the user's local application data
 * folder (where a standard user may always write), that folder made when
 * it is missing; its length, or -1 when there is no such folder, it
 * cannot be made, or the path does not fit in size bytes or holds
 * characters the code page lacks (never a cut or changed path). */
int PlatformLocalAppDataFile(const char* folder, const char* file, char* path, int size);
/* ---- Playback: what the system does with the played input ----
 * Where the platform injects the played records itself, the system may
 * refuse them: a window that runs with higher rights than the program
 * takes no input from it, and a locked or switched session or a secure
 * desktop (the sign-in screen, an elevation prompt) takes none at all.
 * A locked or switched session ends the playback as the system's cancel
 * keys end a journal: the hook is gone and the cancel notice arrives. Any
 * other refusal is reported to the hook with HookInputRefused (a code the
 * system itself never sends) instead of HookSkip, and
 * PlatformInputRefusal then says why. */
const int HookInputRefused = 0x4D52;
enum InputRefusal {
    InputRefusalNone,
    InputRefusedHigherRights, /* the target runs with higher rights */
    InputRefusedBySystem,     /* the system gave no reason of its own */
};
/* Why the last record was refused: the top-level window it was meant for
 * (or null) and the system's error number. */
InputRefusal PlatformInputRefusal(WindowHandle* target, uint32_t* systemError);

/* Asks that the next playback hooks play by injected input even where the
 * system's journal is available. Typed text needs it: a journal can only
 * press the keys of the United States layout, which type other characters
 * on other layouts and depend on Caps Lock. */
void PlatformPreferInjectedInput(bool prefer);

/* Hands the releases of keys and buttons that a playback left down to the
 * system, after its hook is gone, and returns once the target has taken
 * them. */
void PlatformReleaseInput(const EventRecord* releases, int count);

/* ---- Playback: the foreground window ----
 * The system does not let every program bring a window to the front (a
 * scheduled run, or after the user clicked elsewhere): it may only flash
 * the window's taskbar button. */
/* A top-level window whose title is title, letter case aside: a visible
 * one before a hidden one. Null when there is none. */
WindowHandle PlatformFindGotoWindow(const char* title);
/* Whether the window's thread takes its messages: false at once for a
 * window the system counts as hung (it has taken none for seconds),
 * otherwise once it has answered or milliseconds have passed without an
 * answer. Messages sent to this thread are handled meanwhile. A window
 * that does not answer must not be asked anything that waits for it. */
bool PlatformWindowAnswers(WindowHandle window, int milliseconds);
/* Waits up to milliseconds for the window, or a window it owns, to be the
 * foreground window; true once it is. */
bool PlatformWaitForForeground(WindowHandle window, int milliseconds);
/* Brings the window to the front by the further means the system allows
 * a program that is not in the foreground: sharing the input state of the
 * foreground window's thread, which is never done with a thread that does
 * not answer. */
void PlatformForceForeground(WindowHandle window);
/* The window that takes keyboard input now, or null. */
WindowHandle PlatformForegroundWindow(void);

/* ---- Windows of other programs: which window input was meant for ----
 * What a recording notes of the window a click or a key went to, and what
 * playback looks for before it sends them: the top-level window, its
 * title, window class and the file name of its program. */
enum WindowTextKind {
    WindowTitleText,
    WindowClassText,
    WindowProgramText, /* the program file's name without its folder */
};
/* The top-level window that input to window belongs to: the window at
 * the root of its parents. A pop-up that never takes the keyboard (a
 * menu, a drop-down list, a tooltip) stands for the window that has it.
 * Null for none, for the desktop itself, and for a window that is gone. */
WindowHandle PlatformTopLevelWindowOf(WindowHandle window);
/* Copies the text into buffer (size bytes, always terminated) and
 * returns its length; -1 when the window is gone or the text cannot be
 * had (the program of a window of another user). */
int PlatformGetWindowText(WindowHandle window, WindowTextKind kind, char* buffer, int size);
/* True for a window that exists and is visible (minimised counts). */
bool PlatformIsWindowShown(WindowHandle window);
/* The visible top-level windows, the topmost first, at most capacity of
 * them; returns how many. */
int PlatformListShownWindows(WindowHandle* windows, int capacity);
/* Turns text into capitals in place, as the system compares window
 * titles, class names and file names without regard to case. */
void PlatformUpperCase(char* text);

/* ---- Playback: starting programs ----
 * Why the last PlatformStartProcess failed, in the system's own words
 * (text, size bytes, always terminated). Ask at once, before any other
 * platform call. */
enum StartFailure {
    StartFailedOther,
    StartFailedNeedsElevation, /* the program asks for higher rights */
};
StartFailure PlatformLastStartFailure(char* text, int size);
/* Whether a started program waits for input (WaitForInputIdle with no
 * wait): ready, still starting, or one that never will (a console
 * program, one that has ended, or a failed wait). */
enum ProcessReadiness { ProcessReady, ProcessStarting, ProcessTakesNoInput };
ProcessReadiness PlatformProcessReadiness(ProcessHandle process);

/* ---- Playback: where the program runs ----
 * False where nobody can see the program's desktop (a scheduled task
 * that runs whether the user is signed in or not): a message box there
 * would wait for ever. */
bool PlatformDesktopVisible(void);
/* Dots per inch of the primary display (96 is a scale of 100%). */
int PlatformDisplayDpi(void);
/* The system timer's resolution in effect, in microseconds; -1 when the
 * system does not say. */
int PlatformTimerResolution(void);

/* ---- The toolbar ----
 * The toolbar is the system's toolbar control, its buttons named by
 * command identifier (0 for a separator). Images are handed over as rows
 * of 32-bit pixels 0xAARRGGBB, top row first, alpha either 0 (transparent,
 * colour 0) or 255. Sizes are in pixels of the window's own DPI.
 */
struct ToolbarButtonSpec {
    int commandId; /* 0: a separator */
    int image;     /* index into the image list; unused for a separator */
};
/* Creates the toolbar along the top of parent: child, visible, clipping
 * siblings and children, thin border, tooltips, flat, transparent; control
 * identifier 0. Null when it cannot be made. */
WindowHandle PlatformCreateToolbar(WindowHandle parent);
/* Gives the toolbar its images (count images of size x size, side by side
 * in one strip of count * size pixels per row) and the ones it shows for
 * disabled buttons. */
bool PlatformSetToolbarImages(WindowHandle toolbar, const uint32_t* pixels,
                              const uint32_t* disabledPixels, int size, int count);
void PlatformAddToolbarButtons(WindowHandle toolbar, const ToolbarButtonSpec* buttons, int count);
/* The size asked for; the system may make buttons larger (its own padding
 * and frame), never smaller. */
void PlatformSetToolbarButtonSize(WindowHandle toolbar, int width, int height);
void PlatformSetToolbarButtonEnabled(WindowHandle toolbar, int commandId, bool enabled);
/* Lets the toolbar size itself along the top of its parent: as wide as
 * the parent's client area, as high as its buttons need. */
void PlatformFitToolbar(WindowHandle toolbar);
/* The toolbar's height and the width it needs to show every button whole
 * (the right edge of its last one), both with its border. */
void PlatformGetToolbarExtent(WindowHandle toolbar, int* neededWidth, int* height);

/* The pixels of a bitmap resource, converted to 0xFFRRGGBB, top row
 * first; false unless it is exactly width x height. */
bool PlatformLoadBitmapPixels(int resourceId, uint32_t* pixels, int width, int height);

/* A tooltip-text request arriving as the lParam of MsgNotify: true, with
 * the command identifier it asks about, when it is one. Answering clears
 * the request's resource-instance field and, when text is not null,
 * copies it into the request's text field (80 characters with the
 * terminator, cut to fit). */
bool PlatformReadTooltipRequest(intptr_t notification, int* commandId);
void PlatformAnswerTooltipRequest(intptr_t notification, const char* text);

/* ---- The shell ---- */

/* The shell's "open" of a document, a web address or a mail address, in a
 * normal window. Returns the shell's result: above 32 means success. */
int PlatformShellOpen(const char* target);
/* Starts the user's web browser on an address, by the command line the
 * browser registered for web addresses; the address is handed over whole,
 * fragment included, which the shell's open of a file: address does not
 * promise. Returns as PlatformShellOpen does, or 0 when no browser is
 * registered. */
int PlatformOpenInBrowser(const char* address);

/* ---- Text in the system's code page ----
 * The program holds text as 8-bit characters of the system's ANSI code
 * page (Windows-1252 on a Western system, and on the simulated desktop).
 * These calls are its only ways to and from UTF-8, so text that
 * arrives as Unicode (a script saved as UTF-8, typed characters) is
 * converted by one rule everywhere. */

/* Converts length bytes of text in the system's ANSI code page, as a
 * whole, and tells for each byte the UTF-16 unit that stands for it in
 * units[byte]: the character for the first byte of each character, and
 * for a character outside the Basic Multilingual Plane (two units) its
 * first unit there and its second for the character's second byte; 0 for
 * every other byte of a character of several bytes. A byte that is no
 * character of the code page stands for itself as U+FFFD. */
void PlatformTextUnits(const char* text, int length, uint16_t* units);

/* Converts zero-terminated text in the ANSI code page to UTF-8; false
 * when it does not fit in size bytes. */
bool PlatformAnsiToUtf8(const char* text, char* utf8, int size);

/* Converts length bytes of UTF-8 (zero bytes included) to the ANSI code
 * page, into ansi (size bytes, always terminated), and returns the length
 * of the result. A character the code page cannot hold is never replaced
 * by a look-alike or a question mark: the result is then -1 and *unheld
 * that character's Unicode code point. -1 with *unheld 0: the text is not
 * UTF-8, or the result does not fit. */
int PlatformUtf8ToAnsi(const char* utf8, int length, char* ansi, int size, uint32_t* unheld);

#endif

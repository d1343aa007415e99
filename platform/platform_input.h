/*
 * platform_input.h: input going both ways: the journal hooks that play
 * a recording, what the system does with the input played, and the hooks
 * that record the desktop's input with what the desktop looked like when
 * it came. Part of the one platform seam; included through
 * platform/platform.h.
 */
#ifndef MIRLOW_PLATFORM_INPUT_H
#define MIRLOW_PLATFORM_INPUT_H

#ifndef MIRLOW_PLATFORM_H
#error "include platform/platform.h, which includes this"
#endif

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
    HeldShift = 0x01,        /* either Shift (KeyShift) */
    HeldControl = 0x02,      /* either Ctrl (KeyControl) */
    HeldAlt = 0x04,          /* either Alt (KeyAlt) */
    HeldLeftWindows = 0x08,  /* KeyLeftWindows */
    HeldRightWindows = 0x10, /* KeyRightWindows */
};

/* The mouse buttons a context reports as held, one bit each, by the
 * messages they make (with the buttons swapped, the right one makes the
 * left button's). */
enum : uint32_t {
    HeldLeftButton = 0x01,
    HeldRightButton = 0x02,
    HeldMiddleButton = 0x04,
    HeldFirstXButton = 0x08,
    HeldSecondXButton = 0x10,
};

struct RecordContext {
    uint32_t tick;            /* when it was taken (the tick count) */
    uint32_t heldModifiers;   /* Held... bits: what the system held down just
                                 before the event, apart from the event's own key */
    uint32_t heldButtons;     /* Held...Button bits, the same way */
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
/* The window a press (of a key or a mouse button) went to, as it was at
 * the press: the top-level window as PlatformTopLevelWindowOf finds it,
 * its title and class as PlatformGetWindowText reads them (cut to fit),
 * its rectangle (the one it is restored to, when it is minimized), the
 * scale it is shown at and its monitor; and for a mouse button press
 * into one of its controls (a child window), that control: its class
 * (a longer one cut to its beginning and '*'), its label where it shows
 * one, its control ID, its place among the window's visible controls of
 * its class, and its rectangle. All read without a message to the
 * window. */
const int RecordedTextSize = 260;
const int RecordedControlClassSize = 129;
const int RecordedControlTextSize = 64; /* a longer label is not kept */
struct RecordedControl {
    char className[RecordedControlClassSize];
    char text[RecordedControlTextSize]; /* empty: it shows no label */
    int id;
    int place;
    ScreenRect rect;
};
struct RecordedWindow {
    WindowHandle window; /* null: none, or the desktop */
    char title[RecordedTextSize];
    char className[RecordedTextSize];
    ScreenRect rect;
    int dpi; /* PlatformShownDpi; 0: not known */
    bool hasMonitor;
    ScreenRect monitor;
    bool hasControl; /* a mouse button press that went to control */
    RecordedControl control;
};
/* The window of the press the record hook is being called with now, as
 * the platform saw it when the press came; false where it took no such
 * look (the system's journal records; the event is no press), and the
 * recorder then looks at the window itself. */
bool PlatformRecordedWindow(RecordedWindow* window);
/* Installs the record hooks again, for hooks the system removed without a
 * word (it does so with hooks that answer too slowly). */
bool PlatformRestartRecordHook(HookHandle hook);
/* Calls the record hook, removed or not, with every event (and check) its
 * hooks took and have not handed over yet, in order. */
void PlatformFlushRecordInput(void);
/* True while the key is down on the keyboard as the system sees it at
 * this moment, whichever program has the focus (not as of the message
 * being handled, which PlatformIsKeyDown tells). */
bool PlatformKeyHeldNow(int virtualKey);
/* True when the window belongs to a program that runs with higher rights
 * than this one (an elevated console, an installer), or under another
 * account whose process this one may not even look into (for a standard
 * user, a program started as an administrator): the system passes none
 * of the input aimed at it to the program's hooks, nor lets the program
 * send it input. False for null and where it cannot be told. */
bool PlatformWindowHasHigherRights(WindowHandle window);

/* The system's cancel notice (MsgCancelJournal), on every way of
 * recording and playing, reaches this window as a window message, so that
 * no modal loop (a message box, a dialog, an open menu) can lose it the
 * way such loops lose a thread message. Before any is set, and where the
 * window is gone, it is a thread message. */
void PlatformSetCancelNoticeWindow(WindowHandle window);

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

/* Where the platform injects the played records itself, it waits until
 * the target has taken them (input_rules.h, WaitsForTargetAfter). A target
 * that does not within the driver's limits (journal_driver.h) is reported
 * to the hook with HookInputNotTaken instead of HookSkip. */
const int HookInputNotTaken = 0x4D54;

/* Asks that the next playback hooks play by injected input even where the
 * system's journal is available. Typed text needs it: a journal can only
 * press the keys of the United States layout, which type other characters
 * on other layouts and depend on Caps Lock. */
void PlatformPreferInjectedInput(bool prefer);

/* True while, during a playback by injected input, the user holds Ctrl,
 * Alt, Shift or a Windows key (pressed on the keyboard or injected by
 * another program, never by this one's playback): keys that would join
 * the played input. Always false while the system's journal plays, which
 * keeps the keyboard out of the playback. */
bool PlatformUserHoldsModifier(void);

/* Hands the releases of keys and buttons that a playback left down to the
 * system, after its hook is gone, and returns once the target has taken
 * them. */
void PlatformReleaseInput(const EventRecord* releases, int count);

#endif

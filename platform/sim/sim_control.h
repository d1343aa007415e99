/*
 * sim_control.h: how tests (and the headless program) steer the simulated
 * desktop: its clock, its answers to message boxes, its allocator, its
 * keyboard, and what it recorded of the program's requests.
 */
#ifndef MIRLOW_SIM_CONTROL_H
#define MIRLOW_SIM_CONTROL_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/input_rules.h"
#include "platform/platform.h"

/* A fresh desktop: no windows or classes, an empty queue, the clock at
 * SimStartTick, no queued answers, every key up, an empty registry, the
 * program file at SimDefaultProgramPath. Blocks still allocated by
 * an earlier run are released, as the end of a process would. */
void SimReset(void);

const uint32_t SimStartTick = 1000000;
void SimSetTickCount(uint32_t ticks);
void SimAdvanceClock(uint32_t milliseconds);

/* The local date and time that PlatformLocalTime reports. It stands still
 * until set again; SimReset puts it at SimStartLocalTime. */
extern const LocalTime SimStartLocalTime; /* Saturday 1 January 2000, 00:00:00.000 */
void SimSetLocalTime(const LocalTime& time);

struct SimMessageBox;

/* The seed PlatformRandomSeed reports; by default the tick count. */
void SimSetRandomSeed(uint32_t seed);

/* Called for every message box shown (the headless program prints them). */
void SimSetMessageBoxObserver(void (*observer)(const SimMessageBox* box));

/* Reads a desktop description (see the README): windows, the local time,
 * the starting tick count, the random seed, programs that fail to start.
 * False with a message in error (line number and what is wrong). */
bool SimLoadDesktop(const char* path, std::string* error);

/* Allocator: the allocation with the given 1-based number, counted from the
 * last SimReset, fails; 0 lets every allocation succeed. */
void SimFailAllocation(int number);
int SimAllocationCount(void);
int SimLiveBlockCount(void);

/* Message boxes: answers are taken in order, each when its box is shown;
 * with none queued a box is answered with its first button (OK or Yes).
 * Before a box returns, its modal loop dispatches what waits for the
 * program's windows and drops thread messages, as the system's does; so do
 * modal dialogs and file dialogs. An answer may come with what happens
 * while its box is open (the system or another program acting meanwhile):
 * it runs once the loop has dispatched what was waiting; what it sends to
 * the program's windows is handled inside the box's loop, and what it
 * posts to them is dispatched before the box returns. A box that closes
 * itself after a while (PlatformTimedMessageBox) takes a queued answer as
 * the user's, given in time; with none queued nobody answers it: the
 * clock moves on by its time, meanwhile its loop dispatches what waits,
 * and it answers itself. */
struct SimMessageBox {
    std::string text;
    std::string caption;
    uint32_t style;
    int iconId;           /* the program's own icon, 0 for a system icon */
    int waitMilliseconds; /* a box that closes itself: after this long; 0: it waits */
};
void SimQueueAnswer(int answer, std::function<void()> meanwhile = nullptr);
const std::vector<SimMessageBox>& SimMessageBoxes(void);
/* Forgets the boxes shown so far; long runs (the fuzz targets) call it
 * between inputs. */
void SimClearMessageBoxes(void);

/* Keyboard state as PlatformIsKeyDown sees it. */
void SimSetKeyDown(int virtualKey, bool down);

/* Windows. */
struct SimWindowInfo {
    bool exists;
    std::string className;
    std::string title;
    bool visible;
    bool topmost;
    int showState; /* the last state asked for, -1 before any */
    int x, y, width, height;
};
SimWindowInfo SimGetWindowInfo(WindowHandle window);
/* The user drags the window's corner to x, y. */
void SimMoveWindow(WindowHandle window, int x, int y);
/* Handle of the live top-level window with that class, or null. */
WindowHandle SimFindWindow(const char* className);
/* A child control, for tests that stand in for dialogs. */
WindowHandle SimCreateChild(WindowHandle parent, const char* className, int controlId,
                            WindowProcedure procedure);
int SimMessageQueueLength(void);
/* The reason the program gave for holding up the end of the session;
 * empty when it gave none or took it back. */
const std::string& SimShutdownReason(void);
/* The exit code the program ended its process with (PlatformEndProcess);
 * -1 while it has not. */
int SimProcessEndedWith(void);

/* The items of a window's menu, from the menu resource its class names,
 * as the program left them: each item's command identifier (0 for a
 * separator or a popup), text as the menu shows it ("&" marks and all;
 * empty for a separator), state, and a popup's own items. Items the
 * program never touched have the state the resource gives them. */
struct SimMenuItem {
    int id;
    std::string text;
    bool enabled; /* not grayed */
    bool checked;
    std::vector<SimMenuItem> items;
};
bool SimMenuItemExists(WindowHandle window, int commandId);
/* False for an item the menu does not have. */
bool SimMenuItemEnabled(WindowHandle window, int commandId);
bool SimMenuItemChecked(WindowHandle window, int commandId);
/* The items of the popup at index of the menu bar (0: the first); none
 * when there is no such popup. */
std::vector<SimMenuItem> SimMenuPopupItems(WindowHandle window, int index);

/* Accelerator tables loaded, and journal hooks removed, so far. */
int SimAcceleratorLoads(void);
int SimRemovedHooks(void);

/* ---- The journal-playback driver ----
 * While a playback hook is installed and no posted message is waiting,
 * PlatformGetMessage drives the hook by the journal contract on the
 * virtual clock: a delay moves the clock on, a written record is handed to
 * the simulated system (collected here, stamped with the virtual time). */
struct SimDelivered {
    uint32_t tick;
    EventRecord record;
};
const std::vector<SimDelivered>& SimDeliveredEvents(void);
int SimDeliveredCount(void);
/* Called for every record handed to the system (the headless program
 * prints them); null for none. */
void SimSetDeliveryObserver(void (*observer)(uint32_t tick, const EventRecord* record));
/* Keep (or stop keeping) the delivered records; the count goes on. */
void SimKeepDeliveredEvents(bool keep);
/* Every wait lasts this many milliseconds more (less, when negative). */
void SimSetWakeOffset(int milliseconds);
/* The next waits last exactly these times, in order, whatever was asked. */
void SimQueueWake(uint32_t milliseconds);
/* The next records handed over take the program these times, in order,
 * to take (as a busy program takes its input late), each after the one
 * before it; the records after them are taken at once. The playback waits
 * for them on the clock where it waits for the target (input_rules.h). */
void SimQueueTakingTime(uint32_t milliseconds);
/* Whether the program taking the input answers while it is at work on it
 * (true at first); one that does not is hung. */
void SimSetTargetAnswers(bool answers);
/* The checks the playback made that the target took its input. */
int SimTakenChecks(void);
/* After this many records have been handed over, the system cancels the
 * journal as for Ctrl+Esc: it removes the hook and posts the cancel notice.
 * 0: never. */
void SimCancelJournalAfter(int deliveredCount);
/* The system cancels the playback journal now, as for Ctrl+Esc. */
void SimCancelJournalNow(void);
/* Refuse the next hook installations. */
void SimFailHookInstall(bool fail);
/* True: the input layer injects real key presses (no extra toggle press);
 * false (the default): it plays through a journal. */
void SimSetInputInjectsKeys(bool injects);
int SimToggleKeyPresses(void);
int SimHookCallCount(void);

/* ---- Other programs' windows and processes ---- */
WindowHandle SimAddDesktopWindow(const char* title, int x, int y, int width, int height,
                                 bool minimized);
bool SimWindowMinimized(WindowHandle window);
WindowHandle SimForegroundWindow(void);
/* The window's thread answers the next checks (PlatformWindowAnswers),
 * then stops answering, as a busy or hung program does; -1 (the default):
 * it always answers. A check it does not answer lets its whole time limit
 * pass on the clock. */
void SimSetWindowAnswers(WindowHandle window, int checks);
/* Calls that wait for a window's thread (showing it, ...) made while that
 * thread does not answer: on a real desktop each would hang the program. */
int SimBlockingCalls(void);
/* The command lines of the programs started, oldest first: at least the
 * latest SimStartedProgramsKept of them (an endless run starts without
 * end), and how many were started in all. */
const size_t SimStartedProgramsKept = 1000;
const std::vector<std::string>& SimStartedPrograms(void);
int64_t SimStartedProgramCount(void);
/* Programs whose first word is this name (any letter case) fail to start. */
void SimFailProgram(const char* programName);
/* Programs whose first word is this name (any letter case) are ready for
 * input this many milliseconds after they started (0, the default: at
 * once), and then show their window; -1: they take no input and show no
 * window of their own (a console program, whose window is the
 * console's). */
void SimSetProgramStartup(const char* programName, int milliseconds);
/* Programs whose first word is this name hand over to another process and
 * end at once (a launcher, a Store app's stub): they take no input and
 * show no window; a test makes the window that follows appear. */
void SimSetProgramHandsOver(const char* programName);

/* What a window of another program tells about itself besides its title:
 * the file name of its program ("" at first) and its class (null keeps
 * it; "SimDesktopWindow" at first). */
void SimSetWindowProgram(WindowHandle window, const char* program, const char* className);
/* Changes to other programs' windows that happen by themselves once the
 * virtual clock reaches tick: a window that comes late (it is not there
 * before; it then comes to the front), moves its corner to (x, y), takes
 * another title or closes. */
enum SimWindowChangeKind { SimWindowAppears, SimWindowMoves, SimWindowRetitled, SimWindowCloses };
void SimScheduleWindowChange(WindowHandle window, uint32_t tick, SimWindowChangeKind kind,
                             int x = 0, int y = 0, const char* title = nullptr);
/* The system cancels the playback journal (the cancel keys) once the
 * virtual clock has reached tick, whatever the hook is doing. */
void SimCancelJournalAtTick(uint32_t tick);

/* ---- Other programs' windows: their controls, scale and visibility ----
 * The one simulated monitor spans 0, 0 to 1280, 800. */
/* A control of another program's window (or of one of its controls): a
 * child window of that class, control ID and text, at x, y from its
 * parent's top-left corner, width by height, visible and enabled. It
 * moves with its parent. */
WindowHandle SimAddControl(WindowHandle parent, const char* className, int controlId,
                           const char* text, int x, int y, int width, int height);
/* Moves and sizes a window: a top-level one on the screen, a control
 * within its parent. */
void SimPlaceWindow(WindowHandle window, int x, int y, int width, int height);
void SimSetWindowEnabled(WindowHandle window, bool enabled);
/* Visible but not shown (another virtual desktop, a suspended Store app). */
void SimSetWindowCloaked(WindowHandle window, bool cloaked);
/* The scale another program's window is shown at (and its controls);
 * 0, the default: the desktop's (SimSetDpi). */
void SimSetWindowDpi(WindowHandle window, int dpi);

/* The program file as PlatformProgramPath reports it; null: there is none
 * (the headless program has no file a Windows shell could start). */
extern const char* const SimDefaultProgramPath;
void SimSetProgramPath(const char* path);

/* ---- Registry ---- */

/* Every hive empty and writable; the next save is UTF-16 with the
 * version 5 header. SimReset does this too. */
void SimResetRegistry(void);

/* Imports the bytes of a .reg file as the registry editor does: keys and
 * values are added or replaced, "[-KEY]" and "NAME"=- remove. Read-only
 * hives are written too. False, and nothing imported, when the text does
 * not open with a registry header. */
bool SimImportRegistryText(const std::string& fileBytes);
enum SimRegistryFileStatus {
    SimRegistryFileLoaded,
    SimRegistryFileMissing,
    SimRegistryFileInvalid,  /* no registry header, or unreadable */
    SimRegistryFileNotPlain, /* a pipe, a device, a folder */
    SimRegistryFileTooLarge, /* more than SimRegistryFileLimit bytes */
};
const size_t SimRegistryFileLimit = 16 * 1024 * 1024;
SimRegistryFileStatus SimImportRegistryFile(const char* path);

/* The whole registry as the bytes of a .reg file, in the encoding and
 * header of the last import. */
std::string SimExportRegistryText(void);
bool SimSaveRegistryFile(const char* path);

/* A read-only hive behaves like HKEY_LOCAL_MACHINE for a standard user. */
void SimSetRegistryReadOnly(RegistryHive hive, bool readOnly);

struct SimRegistryValue {
    bool exists;
    uint32_t type;
    std::vector<uint8_t> data;
    std::string text() const; /* the data up to its first zero byte */
};
SimRegistryValue SimGetRegistryValue(RegistryHive hive, const char* keyPath, const char* name);
bool SimRegistryKeyExists(RegistryHive hive, const char* keyPath);

/* Moves on with every change the program makes (and every import). */
uint32_t SimRegistryRevision(void);
/* Keys the program opened and has not closed. */
int SimOpenRegistryKeyCount(void);
/* Every value the program set, in order, as "HKLM\KEY\NAME". */
const std::vector<std::string>& SimRegistryWrites(void);

/* The user's local application data folder; null or empty: there is none
 * (SimReset). */
void SimSetLocalAppDataFolder(const char* path);

/* ---- File dialogs and saving files ---- */

/* File dialogs are answered in order: a chosen path, with the filter the
 * user left selected (from 1), or a cancel. With none queued a dialog is
 * cancelled. Every dialog shown is kept, with what it was opened with. */
void SimQueueFileDialog(const char* path, int filterIndex = 1);
void SimQueueFileDialogCancel(void);
/* The user chose a name with characters the code page lacks; shownPath is
 * how the system shows it, with "?" for each of them. */
void SimQueueFileDialogRefusal(const char* shownPath);
struct SimFileDialog {
    bool saveMode;
    std::string initialPath;
    int filterIndex;
    std::string filters; /* the NUL-separated list, its last NUL left off */
};
const std::vector<SimFileDialog>& SimFileDialogs(void);

/* Files made by PlatformCreateNewFile from now on accept this many bytes
 * and fail every write after them, as a full disk does; -1: no limit. */
void SimFailWritesAfter(long bytes);
/* PlatformReplaceFile fails (and changes nothing) while this is on. */
void SimFailReplace(bool fail);
/* The system's replace stops half way from now on, with this error (0:
 * never): 1175 and 1176 leave both files under their names, and the rename
 * the platform falls back on follows; 1177 leaves the old file under the
 * backup name and the new one under its own (FileSetAside). */
void SimStopReplaceHalfway(int systemError);
/* The next count moves of a file (PlatformMoveFile, and the rename after a
 * half-way replace) fail, changing nothing. */
void SimFailMoves(int count);
/* Another program holds the file, or each file in the folder (as a
 * scanner holds each file as it appears), for the next milliseconds of
 * the clock: replacing it, or another file with it, is refused as a
 * sharing violation meanwhile. A held file is there all the same, so
 * creating a file of its name is refused as a taken name, as ever. */
struct SimFileHold {
    std::string path;
    uint32_t since;
    uint32_t milliseconds;
};
void SimHoldFile(const char* path, uint32_t milliseconds);

/* Forgets all of the above; SimReset calls it. */
void SimResetDocuments(void);

/* ---- Recording input ----
 * The simulated system hands scripted input to the record hook the program
 * installed, as a real one hands the desktop's input to it. By default it
 * records like a standard user's system, through low-level hooks that see
 * the mouse at the device's own rate. */

/* The user's input: the system notes it (the last input time, and the key
 * state once the hook has seen a key) and hands it to the installed record
 * hook with HookAction, with the desktop as it is now for
 * PlatformRecordContext. False when it reaches no record hook (none is
 * installed, or the system took the hooks away). A key press then fires
 * the program's hotkey of its chord, as below. */
bool SimRecordInput(const EventRecord& event);
/* Calls the installed record hook with any code and event (null for none)
 * and returns its answer; 0 when none is installed. */
intptr_t SimCallRecordHook(int code, const EventRecord* event);
/* The platform's regular check (HookRecordCheck) with the desktop as it
 * is now; false when no record hook is installed. */
bool SimRecordCheck(void);
bool SimRecordHookInstalled(void);
/* The system's cancel keys during a recording: the hook is gone and the
 * program is told with MsgCancelJournal. */
void SimCancelRecording(void);
/* The program is busy: input and checks wait, each with the desktop as it
 * was when it came (a press with its window), until the program flushes
 * them (PlatformFlushRecordInput) or is no longer busy, in a queue of the
 * Windows side's size and rules, or of this many entries (SimReset: as
 * Windows). */
void SimHoldRecordInput(bool hold);
void SimSetRecordQueueSize(uint32_t entries);
/* The system takes the hooks away without a word, as it does with hooks
 * that answer too slowly: input still counts as the system's input, but
 * reaches no hook until PlatformRestartRecordHook, counted here. */
void SimStallRecordHooks(void);
int SimRecordHookRestarts(void);
/* The system's own view of a key or a mouse button (GetAsyncKeyState,
 * with the buttons' virtual keys 1, 2, 4, 5, 6), for a change the hooks
 * never saw. */
void SimSetAsyncKeyDown(int virtualKey, bool down);
/* False: the session is locked or switched, or a secure desktop has the
 * input. */
void SimSetInputDesktopOurs(bool ours);
/* The window belongs to a program with higher rights than this one. */
void SimSetHigherRights(WindowHandle window, bool higher);
/* A key record of Unicode key input (an on-screen keyboard typing the
 * UTF-16 code unit), as the system's hooks deliver it. */
EventRecord SimUnicodeKeyRecord(uint16_t character, bool release, uint32_t time, uint32_t hwnd);
/* Refuse the next record hook installations. */
void SimFailRecordHookInstall(bool fail);
/* True: the system's own journal records (moves at the journal's rate). */
void SimSetRecordThroughJournal(bool journal);
/* Calls passed on to the next record hook, and what they answer. */
int SimNextRecordHookCalls(void);
const intptr_t SimNextRecordHookAnswer = 0x5EC;
/* Back to no record hook, installs allowed, low-level hooks (SimReset). */
void SimResetRecordInput(void);

/* ---- Dialogs ----
 * A dialog is made from the program's own resource script, so it has the
 * controls, ids, texts, styles and places of the real one (sizes in
 * pixels from its dialog units at the current scale). Tests act on its
 * controls as a user would: each action changes the control as the real
 * one would and sends the dialog the same notification. An action on a
 * hidden or disabled control does nothing and returns false. */
struct SimTemplateControl {
    int id;
    std::string className; /* "Button", "Static", "Edit", ... */
    std::string text;
    std::string style;       /* as written, with the statement's implied styles */
    int x, y, width, height; /* dialog units */
};
struct SimDialogTemplate {
    int width, height; /* dialog units */
    std::string style;
    std::string caption;
    std::vector<SimTemplateControl> controls;
};
/* Reads a DIALOGEX template of resources/mirlow.rc; false when absent. */
bool SimReadDialogTemplate(int templateId, SimDialogTemplate* dialog);
/* Reads an entry of the resource script's string table (its literals
 * joined, escapes turned into their characters); false when absent. */
bool SimReadResourceString(int stringId, std::string* text);

struct SimControlInfo {
    bool exists;
    std::string className;
    std::string text;
    bool visible, enabled, checked, focused;
    bool bold;                      /* uses a bold font the program made */
    bool underlined;                /* uses an underlined font the program made */
    std::vector<std::string> items; /* list items, or a tab control's tabs */
    int selection;                  /* list selection; -1 for none */
    int position;                   /* trackbar */
    int x, y, width, height;        /* pixels, in the dialog's client area */
};
SimControlInfo SimGetControl(WindowHandle dialog, int controlId);
/* Where a child window (a control, a child dialog) sits in its parent's
 * client area, in pixels; all zero when it has no place. */
ScreenRect SimChildRect(WindowHandle child);
bool SimClickButton(WindowHandle dialog, int controlId);
/* Replaces the text as the user's typing would. */
bool SimTypeText(WindowHandle dialog, int controlId, const char* text);
bool SimChooseListItem(WindowHandle dialog, int controlId, int index);
bool SimPressArrow(WindowHandle dialog, int controlId, bool up);
bool SimClickTab(WindowHandle dialog, int tabControlId, int index);
bool SimMoveTrackbar(WindowHandle dialog, int controlId, int position);
/* The user presses a chord (platform.h's packing) in a hotkey field: it
 * takes the focus; the chord's modifiers go down one after another and
 * its key after them, unless it has none; then all are let go. The field
 * tells its dialog at every step, and takes the key by its rules. */
bool SimPressChordInField(WindowHandle dialog, int controlId, int32_t chord);

/* ---- Hotkeys (sim_hotkeys.cpp) ----
 * A key pressed while exactly the modifiers of one of the program's
 * hotkeys are held posts MsgHotkey to its window: the user's keys
 * (SimRecordInput) once the record hooks have seen them, and played keys
 * as the system takes them, and then the program played to never gets
 * that press. */
/* Another program holds the chord: the program cannot have it. */
void SimHoldHotkey(int32_t chord);
/* True while the program holds a hotkey of that chord. */
bool SimHotkeyInForce(int32_t chord);
/* Played key presses the system took as one of the program's hotkeys. */
int SimPlayedChordsTaken(void);

/* Modal dialogs: each one shown runs the next queued driver, which acts on
 * it like a user once the dialog's modal loop has dispatched what was
 * waiting; a dialog still open when its driver returns (or with no driver
 * queued) is cancelled, as with the Escape key. */
void SimQueueDialogDriver(std::function<void(WindowHandle dialog)> driver);
/* Template ids of the modal dialogs shown so far, in order. */
const std::vector<int>& SimModalDialogsShown(void);
/* The next tab controls cannot be made. */
void SimFailTabControls(bool fail);

/* The display scale of the one simulated monitor (96 at first), the one
 * way tests set it. Changing it lays the existing dialogs out again from
 * their templates and gives their controls the template's font at the new
 * scale, as the system's dialog manager does; top-level windows are told
 * by the test (MsgDpiChanged to the main window, which rescales the
 * toolbar too). */
void SimSetDpi(int dpi);
/* Fonts the program made and has not released; fonts made in all. */
int SimLiveFontCount(void);
int SimFontsMade(void);
WindowHandle SimFocusedWindow(void);
/* A control made as wide as its text (PlatformFitControlToText) is 6
 * pixels a character at 96 dpi, growing with the scale. */
int SimTextWidth(const char* text);

/* What a dialog procedure meets besides its controls: where the pointer
 * is (PlatformGetPointerPosition, the same point for every window), the
 * cursor it set, the text colours it chose, its repaints, and the string
 * table (read from the resource script unless a test sets an entry). */
void SimSetPointer(int x, int y);
/* The cursor resource last set (0 for none) and how often one was set. */
int SimCursorResource(void);
int SimCursorSets(void);
/* The text colour last set for a device context, -1 for none. */
int64_t SimStaticColour(uintptr_t deviceContext);
int SimRedraws(WindowHandle window);
void SimSetString(int stringId, const char* text);

/* ---- Files read whole (sim_files.cpp) ----
 * The headless program's settings file and desktop description are read
 * through this: only a plain file, never more than limit bytes, without
 * waiting on a pipe. bytes is empty unless the result is SimFileReadOk. */
enum SimFileRead {
    SimFileReadOk,
    SimFileMissing,
    SimFileNotPlain, /* a pipe, a device, a folder */
    SimFileTooLarge,
    SimFileUnreadable,
};
SimFileRead SimReadPlainFile(const char* path, size_t limit, std::string* bytes);
/* Creates or empties a plain file for writing; null for anything else. */
FILE* SimCreatePlainFile(const char* path);
/* ---- How the system treats played input ----
 * Counts are of records handed over since the last SimReset, as
 * SimDeliveredCount counts them; 0 switches a control off. */
/* From the record after this many on, the system refuses the input. */
void SimRefuseInputAfter(int deliveredCount, InputRefusal reason);
/* After this many records the session locks: the input layer ends the
 * playback as the system's cancel keys end a journal. */
void SimLockSessionAfter(int deliveredCount);
/* The next attempts to bring a window to the front leave the foreground
 * where it is. */
void SimRefuseForeground(int attempts);
/* False: nobody can see the desktop (an invisible window station). */
void SimSetDesktopVisible(bool visible);
/* The system's journal installs but is never called; the platform falls
 * back to injected input after JournalFirstCallTimeout of virtual time,
 * and keeps to it from then on. */
void SimSetJournalNeverCalled(bool neverCalled);
/* What the next failed program start reports. */
void SimSetStartFailure(StartFailure kind, const char* text);
/* Releases handed over after playbacks ended (PlatformReleaseInput). */
const std::vector<EventRecord>& SimReleasedInput(void);
/* Whether the program last asked for injected input (PlatformPreferInjectedInput). */
bool SimInjectedInputPreferred(void);

/* ---- The keyboard (sim_playback.cpp) ----
 * The layout of the window taking the keys, as a table of the characters
 * it types: the key, the modifiers (Modifier... bits), whether Caps Lock
 * works on the key as Shift does, and whether it is a dead key. Empty (the
 * default): the layout has no character, so all typed text goes as
 * Unicode input. Every key record handed to the system is noted as the
 * key strokes the input layer makes of it (KeyStrokesFor): what a reader
 * of raw keyboard input would see. */
struct SimLayoutKey {
    uint16_t unit;
    int key;
    int modifiers;
    bool capsLock;
    bool dead;
};
void SimSetKeyboardLayout(const std::vector<SimLayoutKey>& keys);
/* Caps Lock as the input layer learns it: off (the default), on, or not known. */
void SimSetCapsLock(CapsLockState state);
/* An input method composes the keys the window takes (off at first). */
void SimSetInputMethodComposing(bool composing);
/* The system's ANSI code page for typed text: Windows-1252 (the default)
 * or UTF-8. */
enum SimCodePage { SimCodePageWestern, SimCodePageUtf8 };
void SimSetAnsiCodePage(SimCodePage codePage);
const std::vector<KeyStroke>& SimKeyStrokes(void);

/* ---- The toolbar and the shell (sim_toolbar_shell.cpp) ----
 * The toolbar is a child window whose buttons, images and sizes are kept
 * for tests to read; it is as high as its buttons and 2 pixels of border,
 * a button at least its image and 7 pixels, as the system's control makes
 * them. Shell opens and browser starts are recorded and succeed unless a
 * test queued other results. SimResetToolbarAndShell puts all of it back
 * (SimReset calls it): toolbars made, the shell succeeding, a browser
 * known. */
void SimResetToolbarAndShell(void);
/* The next toolbar cannot be created. */
void SimFailToolbar(bool fail);

struct SimToolbarButton {
    int commandId;
    int image;
    bool enabled;
};
struct SimToolbarInfo {
    bool exists;
    std::vector<SimToolbarButton> buttons;
    int imageSize; /* of the images it was last given; 0 before any */
    int imageCount;
    int disabledImageSize;
    int buttonWidth, buttonHeight; /* as asked */
    bool shown;
    int fits; /* how often it was asked to size itself */
};
SimToolbarInfo SimGetToolbar(WindowHandle toolbar);

/* Asks window for a tooltip as the toolbar does (MsgNotify with a request
 * for commandId) and reports what the request holds afterwards. */
struct SimTooltipAnswer {
    bool instanceCleared; /* the request was answered */
    std::string text;
};
SimTooltipAnswer SimAskTooltip(WindowHandle window, int commandId);

/* Every shell open and browser start, in order: the target, or
 * "browser " and the address. */
const std::vector<std::string>& SimShellOpens(void);
/* The next results of shell opens and browser starts (above 32 is
 * success); with none queued they succeed. */
void SimQueueShellResult(int result);
void SimSetBrowserKnown(bool known);

#endif

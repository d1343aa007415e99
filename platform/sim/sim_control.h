/*
 * sim_control.h: how tests (and the headless program) steer the simulated
 * desktop: its clock, its answers to message boxes, its allocator, its
 * keyboard, and what it recorded of the program's requests.
 */
#ifndef MIRLOW_SIM_CONTROL_H
#define MIRLOW_SIM_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
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

/* Message boxes: answers are taken in order; with none queued a box is
 * answered with its first button (OK or Yes). */
struct SimMessageBox {
    std::string text;
    std::string caption;
    uint32_t style;
    int iconId; /* the program's own icon, 0 for a system icon */
};
void SimQueueAnswer(int answer);
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
/* Handle of the live top-level window with that class, or null. */
WindowHandle SimFindWindow(const char* className);
/* A child control, for tests that stand in for dialogs. */
WindowHandle SimCreateChild(WindowHandle parent, const char* className, int controlId,
                            WindowProcedure procedure);
int SimMessageQueueLength(void);

/* Menu items as the program left them; items never touched keep the state
 * the menu resource gives them. */
bool SimMenuItemEnabled(WindowHandle window, int commandId);
bool SimMenuItemChecked(WindowHandle window, int commandId);

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
/* After this many records have been handed over, the system cancels the
 * journal as for Ctrl+Esc: it removes the hook and posts the cancel notice.
 * 0: never. */
void SimCancelJournalAfter(int deliveredCount);
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
const std::vector<std::string>& SimStartedPrograms(void);
/* Programs whose first word is this name (any letter case) fail to start. */
void SimFailProgram(const char* programName);

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
    SimRegistryFileInvalid
};
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

/* ---- Toolbar, dialogs from resources, and the shell ----
 * SimReset puts all of this back: 96 DPI, no toolbar, no dialog user, the
 * shell succeeding, a browser known, no strings. */
void SimResetUserInterface(void);

/* What PlatformWindowDpi reports for every window. */
void SimSetDpi(int dpi);
/* The monitor's scale changes: the DPI is set and the toolbar's watcher,
 * if any, is told. */
void SimChangeDpi(int dpi);
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
    int buttonWidth, buttonHeight;
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

/* Dialogs: the controls a template holds, their rectangles in the
 * dialog's client coordinates. A template with none defined has none. */
struct SimControlSpec {
    int controlId;
    std::string text;
    int left, top, right, bottom;
};
void SimDefineDialog(int templateId, const std::vector<SimControlSpec>& controls);
/* Called with each dialog once it has had MsgInitDialog, to act as the
 * user; a dialog the user leaves open is then closed with Cancel. */
void SimSetDialogUser(void (*user)(WindowHandle dialog));
/* The template of every dialog run, in order. */
const std::vector<int>& SimDialogsRun(void);
/* Where the pointer is for PlatformGetPointerPosition. */
void SimSetPointer(int x, int y);
/* The cursor resource last set (0 for none) and how often one was set. */
int SimCursorResource(void);
int SimCursorSets(void);
/* Fonts made and not yet deleted; fonts made in all. */
int SimLiveFonts(void);
int SimFontsMade(void);
/* Whether the control was given a font of the program's. */
bool SimControlHasOwnFont(WindowHandle dialog, int controlId);
/* The text colour last set for a device context, -1 for none. */
int64_t SimStaticColour(uintptr_t deviceContext);
int SimRedraws(WindowHandle window);
int SimFocusedControl(void);
void SimSetString(int stringId, const char* text);

/* Every shell open and browser start, in order: the target, or
 * "browser " and the address. */
const std::vector<std::string>& SimShellOpens(void);
/* The next results of shell opens and browser starts (above 32 is
 * success); with none queued they succeed. */
void SimQueueShellResult(int result);
void SimSetBrowserKnown(bool known);

#endif

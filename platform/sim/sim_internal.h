/*
 * sim_internal.h: what the files of the simulated platform tell each
 * other; tests use sim_control.h instead. Each file keeps its own state
 * and forgets it in its reset, which SimReset calls.
 */
#ifndef MIRLOW_SIM_INTERNAL_H
#define MIRLOW_SIM_INTERNAL_H

#include <string>
#include <vector>

#include "platform/journal_driver.h"
#include "platform/platform.h"
#include "platform/sim/sim_control.h"

/* ---- Forgetting (each part of SimReset) ---- */
void SimResetWindows(void);
void SimResetMessages(void);
void SimResetJournal(void);
void SimResetSystem(void);
void SimResetKeys(void);
void SimResetMenus(void);
void SimResetDialogs(void);
void SimResetPlayback(void);

/* ---- Windows (sim_windows.cpp) ---- */

/* True while the window exists. */
bool SimWindowIsLive(WindowHandle window);
/* The parent of a child window; null for a top-level window. */
WindowHandle SimParentOf(WindowHandle window);
/* True for a window made with SimAddDesktopWindow (another program's). */
bool SimIsOtherProgramsWindow(WindowHandle window);
/* Applies the changes to other programs' windows that the clock has
 * reached (SimScheduleWindowChange). */
void SimApplyDueWindowChanges(void);

/* ---- Messages and modal loops (sim_messages.cpp) ---- */

/* What the system's modal loops (message boxes, modal dialogs, common
 * dialogs) do with the thread's queue while they wait for the user:
 * messages for windows are dispatched in order, thread messages are
 * lost, a quit is left for the program's own loop. */
void SimRunModalLoop(void);
/* The system's cancel notice, posted to the thread as the system posts
 * it; PlatformPostMessage readdresses it to the window named for it. */
void SimPostCancelNotice(void);

/* ---- The playback journal (sim_journal.cpp) ---- */

/* Drives the installed playback hook by the journal contract until a
 * posted message is waiting or no hook is left. */
void SimDriveJournal(void);
/* Waits as PlatformSleep does, but only until the cancel keys are
 * pressed (a playback runs and the tick a test set for them comes). */
void SimSleepUnlessCancelled(int milliseconds);

/* ---- Menus (sim_menus.cpp) ---- */

/* The window gets its own copy of the menu resource menuId, as a window
 * of a class with a menu does; none when there is no such menu. */
void SimGiveWindowMenu(WindowHandle window, int menuId);

/* ---- The keyboard (sim_keys.cpp) ---- */

/* The accelerator table of the resource script with that id; null when
 * there is none. Tables are read once and live as long as the process. */
AcceleratorHandle SimLoadAcceleratorTable(int resourceId);

/* ---- Dialogs (sim_dialogs.cpp) ---- */

/* A control's text was set by the program (not typed): an edit control
 * then tells its dialog, as a real one does, with its modified mark clear. */
void SimDialogTextWasSet(WindowHandle dialog, int controlId);

/* A dialog's controls in template order, with their styles as written. */
struct SimDialogControl {
    WindowHandle handle;
    int id;
    std::string style;
};
std::vector<SimDialogControl> SimDialogControls(WindowHandle dialog);

/* ---- The resource script (sim_resource_script.cpp) ---- */

/* An accelerator: a virtual key and the modifiers that must be down. */
struct SimAccelerator {
    int key;
    int command;
    bool control, shift, alt;
};
/* Reads an ACCELERATORS table of resources/mirlow.rc; false when absent. */
bool SimReadAccelerators(int tableId, std::vector<SimAccelerator>* entries);
/* Reads a MENU of resources/mirlow.rc: the items of its bar, each popup
 * with its own; false when absent or not understood. */
bool SimReadMenu(int menuId, std::vector<SimMenuItem>* bar);

/* ---- How the system treats played input (sim_playback.cpp) ---- */

/* True when a test set the ANSI code page to UTF-8 (SimSetAnsiCodePage). */
bool SimAnsiCodePageIsUtf8(void);
/* What becomes of the next record handed over, delivered being the count
 * handed over before it. */
InputDelivery SimJudgeDelivery(int delivered);
/* True when this attempt to bring a window to the front is refused. */
bool SimTakeForegroundRefusal(void);
/* True when the system's journal is to be installed but never called. */
bool SimJournalIsNeverCalled(void);
/* Notes the key strokes a record handed to the system becomes. */
void SimNoteKeyStrokes(const EventRecord& record);

#endif

/*
 * sim_internal.h: what the files of the simulated platform tell each
 * other (the dialogs; the playback side, sim_playback.cpp, answering the
 * window and journal side about refusals and foreground; the modal loops;
 * the keyboard handling of sim_keys.cpp); tests use sim_control.h instead.
 */
#ifndef MIRLOW_SIM_INTERNAL_H
#define MIRLOW_SIM_INTERNAL_H

#include <string>
#include <vector>

#include "platform/journal_driver.h"
#include "platform/platform.h"

/* A control's text was set by the program (not typed): an edit control
 * then tells its dialog, as a real one does, with its modified mark clear. */
void SimDialogTextWasSet(WindowHandle dialog, int controlId);
/* Forgets every dialog, control state and font (part of SimReset). */
void SimResetDialogs(void);

/* True for a window made with SimAddDesktopWindow (another program's). */
bool SimIsOtherProgramsWindow(WindowHandle window);

/* Forgets everything set through the playback controls (SimReset). */
void SimResetPlayback(void);
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

/* ---- The program taking the played input (sim_target.cpp) ---- */

/* Forgets what it took and how (part of SimReset). */
void SimResetTarget(void);
/* A record was handed to the system: it takes it after those before it,
 * in the next time queued for it (SimQueueTakingTime), or at once. */
void SimTargetTakes(void);
/* The driver's checks that it took everything (journal_driver.h), waited
 * for on the virtual clock. */
void SimStartTakenCheck(void);
TakenState SimPollTakenCheck(WindowHandle* window);

/* The system's cancel notice, posted to the thread as the system posts
 * it; PlatformPostMessage readdresses it to the window named for it. */
void SimPostCancelNotice(void);

/* ---- Windows and the queue (sim_platform.cpp) ---- */

/* What the system's modal loops (message boxes, modal dialogs, common
 * dialogs) do with the thread's queue while they wait for the user:
 * messages for windows are dispatched in order, thread messages are
 * lost, a quit is left for the program's own loop. */
void SimRunModalLoop(void);
/* The parent of a child window; null for a top-level window. */
WindowHandle SimParentOf(WindowHandle window);
/* True when the window's class has a menu. */
bool SimWindowHasMenu(WindowHandle window);

/* ---- The keyboard (sim_keys.cpp) ---- */

/* The accelerator table of the resource script with that id; null when
 * there is none. Tables are read once and live as long as the process. */
AcceleratorHandle SimLoadAcceleratorTable(int resourceId);

/* ---- The resource script (sim_dialogs.cpp) ---- */

/* An accelerator: a virtual key and the modifiers that must be down. */
struct SimAccelerator {
    int key;
    int command;
    bool control, shift, alt;
};
/* Reads an ACCELERATORS table of resources/mirlow.rc; false when absent. */
bool SimReadAccelerators(int tableId, std::vector<SimAccelerator>* entries);

/* A dialog's controls in template order, with their styles as written. */
struct SimDialogControl {
    WindowHandle handle;
    int id;
    std::string style;
};
std::vector<SimDialogControl> SimDialogControls(WindowHandle dialog);

#endif

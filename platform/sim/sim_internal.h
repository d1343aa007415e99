/*
 * sim_internal.h: what the files of the simulated platform tell each
 * other (the dialogs; the playback side, sim_playback.cpp, answering the
 * window and journal side about refusals and foreground); tests use
 * sim_control.h instead.
 */
#ifndef MIRLOW_SIM_INTERNAL_H
#define MIRLOW_SIM_INTERNAL_H

#include "platform/journal_driver.h"
#include "platform/platform.h"

/* A control's text was set by the program (not typed): an edit control
 * then tells its dialog, as a real one does, with its modified mark clear. */
void SimDialogTextWasSet(WindowHandle dialog, int controlId);
/* Forgets every dialog, control state and font (part of SimReset). */
void SimResetDialogs(void);

/* Forgets everything set through the playback controls (SimReset). */
void SimResetPlayback(void);
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

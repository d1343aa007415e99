/*
 * sim_internal.h: what the files of the simulated platform tell each
 * other; tests use sim_control.h instead.
 */
#ifndef MIRLOW_SIM_INTERNAL_H
#define MIRLOW_SIM_INTERNAL_H

#include "platform/platform.h"

/* A control's text was set by the program (not typed): an edit control
 * then tells its dialog, as a real one does, with its modified mark clear. */
void SimDialogTextWasSet(WindowHandle dialog, int controlId);
/* Forgets every dialog, control state and font (part of SimReset). */
void SimResetDialogs(void);

#endif

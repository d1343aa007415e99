/*
 * sim_internal.h: what the files of the simulated desktop share beyond
 * sim_control.h: the playback side (sim_playback.cpp) answers the window
 * and journal side (sim_platform.cpp) about refusals and foreground.
 */
#ifndef MIRLOW_SIM_INTERNAL_H
#define MIRLOW_SIM_INTERNAL_H

#include "platform/journal_driver.h"

/* Forgets everything set through the playback controls (SimReset). */
void SimResetPlayback(void);
/* What becomes of the next record handed over, delivered being the count
 * handed over before it. */
InputDelivery SimJudgeDelivery(int delivered);
/* True when this attempt to bring a window to the front is refused. */
bool SimTakeForegroundRefusal(void);
/* True when the system's journal is to be installed but never called. */
bool SimJournalIsNeverCalled(void);

#endif

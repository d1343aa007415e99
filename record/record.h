/*
 * record.h: the recorder and the journal counters shared with playback.
 */
#ifndef MIRLOW_RECORD_H
#define MIRLOW_RECORD_H

#include <cstdint>

#include "platform/platform.h"

/* Counters of the journal hooks. While recording, position counts the
 * captured events; while playing, it is the index of the event played. */
struct JournalState {
    int32_t position;
    bool freshEvent;
    int32_t pendingDelay;
    uint32_t delayStart;
    int32_t surplus;
    WindowHandle gotoWindow;
    bool passInProgress; /* a playback pass holds the recording's snapshot */
};

extern JournalState gJournal;

/* The system removed the installed journal hook on its own (the user
 * pressed Ctrl+Esc or Ctrl+Alt+Del). */
void CancelJournal(void);

/* The Start Recording command. */
void StartRecording(void);

/* The Stop Recording command. */
void StopRecording(void);

/* Removes an installed hook because the program is closing or exiting. */
void CancelJournalForExit(void);

#endif

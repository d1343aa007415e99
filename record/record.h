/*
 * record.h: the recorder, and the ends that the record and playback hooks
 * share (Stop Recording, the cancel keys, the program closing).
 */
#ifndef MIRLOW_RECORD_H
#define MIRLOW_RECORD_H

#include <cstdint>

#include "model/model.h"
#include "platform/platform.h"

/* The system removed the installed journal hook on its own (the user
 * pressed Ctrl+Esc or Ctrl+Alt+Del). */
void CancelJournal(void);

/* The Start Recording command: clears the list and installs the record
 * hook. Does nothing while a recording or a playback runs. */
void StartRecording(void);

/* The Stop Recording command. Ends a recording with a finished list;
 * during a playback ends the playback and leaves the recording alone. */
void StopRecording(void);

/* Removes an installed hook because the program is closing or exiting; a
 * recording is finished first, as Stop Recording finishes it. */
void CancelJournalForExit(void);

/* True while a recording runs; its events so far, not yet in the count. */
bool RecordingInProgress(void);
int32_t EventsRecordedSoFar(void);

/* The record hook: stores each event of the desktop in the list.
 *
 * A finished list (by Stop Recording, the cancel keys or the program
 * closing) always has eventCount equal to the events in it, ends with the
 * end marker (message 0x000F) and never leaves a key or mouse button held:
 * the release of whatever is still down is added before the marker. To
 * keep room for those releases, an event that would leave none is dropped,
 * so at most 32,766 events are captured and the list holds at most 32,767.
 *
 * Where low-level hooks deliver the mouse at the device's own rate, moves
 * are thinned: a move less than RecordMoveInterval ms after the last stored
 * event is held back, and stored only if it is the last position before a
 * key, button or wheel event, or before the end; a later move replaces it. */
intptr_t RecordHookProc(int code, const EventRecord* event);

const uint32_t RecordMoveInterval = 10;

/* ---- Which window the input was meant for (window_capture.cpp) ----
 * A mouse button press, and the first key pressed after the keyboard
 * focus moved to another top-level window, get a window note (model.h)
 * for the top-level window they went to; the program's own windows get
 * none. */

/* A recording starts: no window has had a key or a click yet. */
void ResetWindowCapture(void);
/* The event was just stored at position: notes its window when it is a
 * press that needs one. */
void NoteWindowOfEvent(const EventRecord& event, int32_t position);

#endif

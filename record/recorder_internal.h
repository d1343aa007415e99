/*
 * recorder_internal.h: what the two halves of the recorder tell each
 * other. recorder.cpp builds the list and ends the recording;
 * recording_watch.cpp keeps the list true to the desktop around the events
 * (keys whose release the hooks never saw, windows they cannot see into,
 * hooks the system took away, a locked session) and tells the user at the
 * end what the recording may lack.
 */
#ifndef MIRLOW_RECORDER_INTERNAL_H
#define MIRLOW_RECORDER_INTERNAL_H

#include <cstdint>

#include "platform/platform.h"

/* ---- recorder.cpp ---- */

/* True while the list holds the key pressed. */
bool RecorderHoldsKey(int virtualKey);
/* Stores a press or a release of a key that the hooks never delivered. */
void RecorderAddKeyChange(int virtualKey, bool press, uint32_t time, WindowHandle focus);
/* The mouse buttons the list holds pressed (Held...Button bits), and the
 * release of those of them given, where the hooks never delivered it. */
uint32_t RecorderHeldButtons(void);
void RecorderReleaseButtons(uint32_t buttons, uint32_t time);

/* ---- recording_watch.cpp ---- */

/* Forgets the last recording's desktop and what it missed. */
void ResetRecordingWatch(void);
/* Follows the desktop as the platform saw it at an event (or at a check,
 * event null). False when the recording has ended because the input left
 * the program's desktop; ending is true while the recording is being
 * finished, when nothing ends it again. */
bool WatchRecordingDesktop(const RecordContext& context, const EventRecord* event, bool ending);
/* Tells the user, in one box, what the recording that just ended may
 * lack (input the hooks missed, windows they could not see into); then, or
 * with nothing to tell, forgets it. */
void TellWhatTheRecordingMissed(void);

#endif

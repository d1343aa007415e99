/*
 * recording_files.h: what the load frame (recording_files.cpp) and the two
 * format readers share inside model/. Nothing outside model/ includes it.
 *
 * The frame opens the file; a reader then fills positions of the list
 * from the front and, for a text script, the command table, and tells the
 * frame how it ended. The frame zeroes the rest of the list, so a load
 * leaves what it read followed by zeros, as if it had emptied the list
 * first, without writing the part it fills twice. The frame alone closes the file, shows
 * messages and sets the counts, so every message of a load is decided in
 * one place.
 */
#ifndef MIRLOW_RECORDING_FILES_H
#define MIRLOW_RECORDING_FILES_H

#include <cstdint>
#include <cstdio>

#include "model/model.h"

enum LoadOutcome {
    LoadOk,              /* read to the end of the file or to a limit */
    LoadTooManyCommands, /* stopped at the command after the last one kept: still a success */
    LoadReadFailed,
    LoadMissingParamH,
    LoadMissingParamL,
    LoadUnknownCommand,
    LoadBadWindowLine, /* a window note line that is not well formed */
};

struct LoadProgress {
    size_t filledBytes; /* bytes at the front of the list that the reader wrote */
    int32_t positions;  /* positions of the list filled so far */
    int32_t commands;   /* script commands kept so far */
    const char* line;   /* the script line being read, end characters included */
    /* A window note line read but not yet given its event: it belongs to
     * the next position filled. -1 when there is none. */
    int32_t noteDescription;
    bool noteHasRect;
    NoteRect noteRect;
};

/* size is the file's size from its directory entry; bytes beyond it are
 * never read. */
LoadOutcome ReadTextScript(FILE* file, int64_t size, LoadProgress* progress);
LoadOutcome ReadBinaryRecords(FILE* file, int64_t size, LoadProgress* progress);

/* ---- Window notes in a binary recording ----
 * The records of a binary recording are followed by the window notes,
 * packed into records whose message is 0 (see binary_recording.cpp), so
 * a version that knows nothing of them loads them as inert placeholders
 * after the end of the recording. */
/* Writes the notes of the events written, if there are any; false when a
 * write failed. */
bool WriteWindowTrailer(FILE* file, size_t eventCount);
/* Looks for the notes at the end of a file of size bytes; when they are
 * there and whole, reads them into the window notes and returns the size
 * of the events before them. Otherwise the file is events to its end:
 * returns size, and no notes are kept. */
int64_t ReadWindowTrailer(FILE* file, int64_t size);

/* Both writers end a failed write the same way: the file is closed and
 * "Unable to save file '<path>'!" is shown (ReportSaveFailure). */
void FailSave(FILE* file, const char* path);
void ReportSaveFailure(const char* path);

/* Events the writers write: eventCount, kept inside the list. */
size_t EventCountToWrite(void);

#endif

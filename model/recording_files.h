/*
 * recording_files.h: what the load frame (recording_files.cpp), the two
 * format readers and the writers share inside model/. Nothing outside model/ includes it.
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
    LoadOk,              /* read to the end of the file */
    LoadTooManyCommands, /* stopped at the command after the last one kept: still a success */
    LoadTooManyEvents,   /* the list was full with more of the file to come: still a success */
    LoadReadFailed,
    LoadMissingParamH,
    LoadMissingParamL,
    LoadUnknownCommand,
    LoadUnheldCharacter, /* a UTF-8 script holds a character the ANSI code page cannot hold */
    LoadBadWindowLine,   /* a window note line that is not well formed */
};

struct LoadProgress {
    size_t filledBytes;       /* bytes at the front of the list that the reader wrote */
    int32_t positions;        /* positions of the list filled so far */
    int32_t commands;         /* script commands kept so far */
    const char* line;         /* the script line being read, end characters included */
    int32_t lineNumber;       /* its number, from 1, as an editor counts lines */
    int64_t records;          /* a binary file: the records it holds, a short last one included */
    uint32_t unheldCharacter; /* LoadUnheldCharacter: the character, as a Unicode code point */
    int32_t textEncoding;     /* ScriptTextEncoding the script was read in */
    /* A window note line read but not yet given its event: it belongs to
     * the next position filled. -1 when there is none. */
    int32_t noteDescription;
    bool noteHasRect;
    NoteRect noteRect;
    NoteLayoutFields noteLayout;
};

/* ---- The text script (text_script.cpp) ---- */

/* The name an event line gives a message; length is the name's. */
struct ScriptMessageName {
    const char* name;
    size_t length;
    uint32_t message;
};
extern const ScriptMessageName ScriptMessageNames[];
extern const int ScriptMessageNameCount;
/* A command line's keyword is at most this long; a longer run of letters
 * goes on as the command's text. */
const size_t ScriptKeywordLength = 32;

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
/* The same, followed by the system's reason. */
void ReportSaveFailureBecause(const char* path, const char* reason);
/* The same, followed by where the files are now. */
void ReportSaveFailureWhere(const char* path, const char* reason, const char* where);

/* Events the writers write: eventCount, kept inside the list. */
size_t EventCountToWrite(void);

/* ---- UTF-8 (script_encoding.cpp) ---- */

/* A check of UTF-8 validity that runs over a text in as many pieces as
 * it comes in. */
struct Utf8Check {
    int pending;             /* continuation bytes still due for the current character */
    unsigned char low, high; /* the range of the next continuation byte */
    bool valid;
    bool sawNonAscii;
};
void StartUtf8Check(Utf8Check* check);
void ContinueUtf8Check(Utf8Check* check, const char* text, size_t count);
/* Valid, and no character left unfinished. */
bool Utf8CheckPassed(const Utf8Check* check);

bool HoldsNonAscii(const char* text, size_t length);
/* The bytes that the first maxCharacters whole characters of valid UTF-8
 * among the first length bytes take. */
size_t Utf8Span(const char* text, size_t length, size_t maxCharacters);
/* length less the last count characters of the valid UTF-8 text. */
size_t DropUtf8Characters(const char* text, size_t length, size_t count);

#endif

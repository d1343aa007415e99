/*
 * model.h: the one open recording, and the document it is (its file's
 * path and whether it has unsaved changes).
 *
 * The program holds exactly one recording: a list of input events and a
 * table of script commands that a text script placed between them. Each
 * script command owns a placeholder event (message 0) in the list, found by
 * index; playback runs the command when it reaches that placeholder and may
 * insert events while it plays, so a snapshot taken at the start of every
 * playback puts the list and the command anchors back after each pass.
 *
 * All storage is fixed: start-up obtains every buffer before the main
 * window exists (AllocateRecording) and the main window's destruction
 * releases them (ReleaseRecording). Nothing here allocates otherwise.
 */
#ifndef MIRLOW_MODEL_H
#define MIRLOW_MODEL_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

/* A placeholder event (message 0) holds the place of a script command. */
inline bool IsPlaceholderEvent(const EventRecord& event) {
    return event.message == 0;
}

enum ScriptCommandKind : int32_t {
    CommandNone = 0,
    CommandStart = 1,
    CommandGoto = 2,
    CommandType = 3,
    CommandWait = 4,
    CommandMouseClick = 5,
    CommandWindowClick = 6,
};
const int ScriptCommandKindCount = 7;

/* Keyword of each kind, indexed by kind; index 0 is "". */
extern const char* const ScriptKeywordNames[ScriptCommandKindCount];

const int MaxEvents = 32768;
const int MaxLoadedEvents = 32766;
const int MaxScriptCommands = 2048;
const int MaxLoadedCommands = 2047;
const int ScriptTextSize = 1024;

/* A script command as seen through the table's parallel storage. */
struct ScriptCommand {
    int32_t kind;
    const char* text;
    int32_t anchor;
};

struct WindowNoteTable; /* below, with the window notes */

/* The recording. The command table is parallel storage: slot i of
 * commandKinds, commandAnchors, savedAnchors and commandTexts belongs to
 * command i. */
struct Recording {
    EventRecord* events;         /* MaxEvents entries: the working list */
    int32_t eventCount;          /* valid entries at the front of events */
    EventRecord* originalEvents; /* MaxEvents entries: the playback snapshot */
    int32_t originalEventCount;
    int32_t* commandAnchors;               /* index of each command's placeholder */
    int32_t* savedAnchors;                 /* anchors at the playback snapshot */
    int32_t* commandKinds;                 /* ScriptCommandKind of each command */
    char* commandTexts[MaxScriptCommands]; /* ScriptTextSize bytes each */
    int32_t commandCount;
    WindowNoteTable* windows; /* which window each noted event was meant for */
    int32_t textEncoding;     /* ScriptTextEncoding: how a save writes the texts */
};

/* How a text script's bytes stand for its characters. The program holds
 * text in the system's ANSI code page; a script whose bytes are valid
 * UTF-8 and hold a character outside ASCII is read as UTF-8 (a leading
 * byte-order mark is skipped), every other script as ANSI. A save writes
 * the texts back as they were read, so reading the saved script again
 * gives the same text. */
enum ScriptTextEncoding : int32_t {
    TextAnsi = 0,
    TextUtf8 = 1,       /* UTF-8 without a byte-order mark */
    TextUtf8Marked = 2, /* UTF-8 after a byte-order mark */
};

extern Recording gRecording;

/* The open document: the recording's file and whether it has changes that
 * are not saved. The shell's document commands name, clear and save it. */
struct Document {
    char path[MaxPathLength + 1]; /* empty: the untitled document */
    int32_t modifiedCount;        /* nonzero: unsaved changes */
};

extern Document gDocument;

/* The product's web page: the first line of every text script saved names
 * it, and the About box links to it. */
extern const char* const ProductWebAddress;

/* Which buffer failed to be obtained, in the order they are requested. */
enum RecordingAllocation {
    AllocationSucceeded,
    AllocationEventsFailed,   /* the event list or its snapshot copy */
    AllocationIntegersFailed, /* one of the three integer arrays */
    AllocationTextsFailed,    /* one of the command text buffers */
    AllocationWindowsFailed,  /* the window notes */
};

/* Obtains and zero-fills every buffer: the event list, its snapshot copy,
 * the three integer arrays (all three requested before any is tested),
 * the command text buffers one after another, then the window notes
 * (WindowNoteTable, one block). Stops at the first
 * failure and reports which kind failed; blocks obtained before it stay. */
RecordingAllocation AllocateRecording(void);
/* Releases every buffer that exists; safe to call twice. */
void ReleaseRecording(void);

/* Zeroes all MaxEvents entries and sets eventCount to 0; commands stay.
 * The window notes go with the events they belong to. */
void ClearEventList(void);
/* Zeroes all MaxEvents entries; eventCount keeps its value (a recording
 * in progress fixes it when it stops). */
void ZeroEventList(void);

ScriptCommand GetScriptCommand(int index);
/* Stores kind, text (cut to ScriptTextSize - 1 characters) and anchor in
 * slot index; false for a slot outside the table. */
bool SetScriptCommand(int index, int32_t kind, const char* text, int32_t anchor);
/* Index of the first command anchored at position, or -1. */
int FindCommandAt(int32_t position);

/* Copies the first eventCount events and every command's and window
 * note's anchor aside. */
void TakePlaybackSnapshot(void);
/* Puts the list, its count and the anchors back as the snapshot holds
 * them; every entry beyond the snapshot's count is zero afterwards. */
void RestorePlaybackSnapshot(void);

/* ---- Window notes ----
 * A recording remembers, for every mouse button press and for the first
 * key after the keyboard focus moved to another top-level window, which
 * top-level window that input was meant for: its title, its window class,
 * the file name of the program that owns it, and where it stood on the
 * screen. Playback waits for that window, follows it when it moved, and
 * never sends the input anywhere else.
 *
 * The notes are parallel storage beside the event list, like the command
 * table: note i belongs to the event at anchor i, anchors strictly
 * increase, and whoever inserts events moves the anchors after the
 * insertion point (ShiftAnchors). The texts of the windows are kept once
 * each in a table of descriptions that the notes refer to.
 *
 * Title, class and program are patterns: a '*' stands for any run of
 * characters (none included), and letters compare without regard to case.
 * A recorded title longer than the description holds is kept as its
 * beginning followed by '*'.
 */
const int MaxWindowNotes = MaxEvents / 2; /* a press needs its release */
const int MaxWindowDescriptions = 1024;
const int WindowTitleSize = 256;   /* 255 characters and the terminator */
const int WindowClassSize = 257;   /* a class name has at most 256 */
const int WindowProgramSize = 260; /* a file name has at most 259 */

struct WindowDescription {
    char title[WindowTitleSize];
    char className[WindowClassSize];
    char program[WindowProgramSize];
};

/* The window's outer rectangle in screen pixels when the input was
 * recorded; a note written by hand may have none. */
struct NoteRect {
    int32_t left, top, right, bottom;
};

/* The control (a child window of the noted window) that a button press
 * went to, so that a replay can find it again where the window's layout
 * differs: its class and, for a control that shows a label of its own (a
 * button, a static text, a tab's page), that label, kept once each in a
 * table like the window's texts; its control ID; its place among the
 * window's visible controls of its class (0 for the first, in the order
 * the system lists them); where in it the press was, from its top-left
 * corner; and its size then. The class and the label are patterns as the
 * window's texts are. */
const int ControlClassSize = 129; /* a longer class is kept as its beginning and '*' */
const int ControlTextSize = 64;   /* a label of up to 63 characters; a longer one is not kept */
const int MaxControlDescriptions = 1024;

struct ControlDescription {
    char className[ControlClassSize];
    char text[ControlTextSize]; /* empty: no label */
};

struct NoteControl {
    int32_t description; /* index into controls */
    int32_t id;
    int32_t place;         /* -1: not known */
    int32_t x, y;          /* the point inside the control; -1, -1: its middle */
    int32_t width, height; /* 0, 0: not known */
};

struct WindowNote {
    int32_t description; /* index into descriptions */
    int32_t hasRect;     /* 1 when rect holds the recorded place */
    NoteRect rect;
    int32_t dpi;        /* the scale the window was shown at (PlatformShownDpi); 0: not noted */
    int32_t hasMonitor; /* 1 when monitor holds the rectangle of the window's monitor */
    NoteRect monitor;
    int32_t hasControl; /* 1 when the press went to the control described */
    NoteControl control;
};

struct WindowNoteTable {
    int32_t noteCount;
    int32_t descriptionCount;
    int32_t controlCount;                 /* control descriptions */
    int32_t anchors[MaxWindowNotes];      /* the event each note belongs to */
    int32_t savedAnchors[MaxWindowNotes]; /* anchors at the playback snapshot */
    WindowNote notes[MaxWindowNotes];
    WindowDescription descriptions[MaxWindowDescriptions];
    ControlDescription controls[MaxControlDescriptions];
};

/* Forgets every note and description. */
void ClearWindowNotes(void);
/* The index of a description with exactly these texts, added when there
 * is none yet (each cut to fit its field); -1 when the table is full. */
int32_t AddWindowDescription(const char* title, const char* className, const char* program);
/* Notes that the event at anchor was meant for the described window
 * (rect may be null). A note for the anchor of the last note replaces it;
 * false, with nothing kept, for an anchor before the last note's, a
 * description that does not exist, or a full table. */
bool AddWindowNote(int32_t anchor, int32_t description, const NoteRect* rect);
/* The index of a control description with exactly these texts, added
 * when there is none yet (the class cut to fit its field; a label too
 * long for its field, or one with a line break, is left out); -1 when
 * the table is full. */
int32_t AddControlDescription(const char* className, const char* text);
/* What a note knows besides its window: the scale and the monitor (dpi 0
 * and a null monitor: not known), and the control of a button press
 * (null: none). False for a note that does not exist or a control
 * description that does not. */
bool SetNoteScale(int32_t note, int32_t dpi, const NoteRect* monitor);
bool SetNoteControl(int32_t note, const NoteControl* control);
/* The control description a note's control refers to; only for a note
 * with a control. */
const ControlDescription& ControlDescriptionOfNote(int32_t note);

/* The fields of a window note line that say more than the window's texts
 * and place:
 *   dpi=96 monitor=L,T,R,B control="Button" id=1 text="OK" place=0 at=37,11 size=75,23
 * Any may be left out; without control the others of the control are
 * not read. Without at, a press goes to the middle of the control. */
struct NoteLayoutFields {
    int32_t dpi; /* 0: none */
    bool hasMonitor;
    NoteRect monitor;
    bool hasControl;
    ControlDescription control;
    NoteControl controlPlace; /* its description not set */
};
/* Nothing known: no scale, no monitor, no control. */
void ClearNoteLayoutFields(NoteLayoutFields* fields);
/* Takes the field of that name when it is one of them; false for one of
 * them whose value is not well formed (a text too long for its field, a
 * number out of range). Fields of other names are left to the caller. */
bool ReadNoteLayoutField(const char* name, const char* value, NoteLayoutFields* fields);
/* The note's own fields as they stand on its line (" dpi=96 ..."), into
 * out of size bytes; returns the length. They never need more than
 * NoteLayoutLineSize bytes. */
const int NoteLayoutLineSize = 2 * (ControlClassSize + ControlTextSize) + 200;
int FormatNoteLayoutFields(int32_t note, char* out, int size);
/* Gives a note what the fields say; false when a control description
 * does not fit the table (the note then keeps its window only). */
bool ApplyNoteLayoutFields(int32_t note, const NoteLayoutFields& fields);
/* For a caller that walks the list forward: *cursor (0 at the start of
 * the walk) moves past the notes anchored before position; returns the
 * index of the note anchored at position, or -1. */
int32_t WindowNoteAt(int32_t* cursor, int32_t position);
/* The index of the first note anchored at or after position. */
int32_t FirstWindowNoteAtOrAfter(int32_t position);
/* Forgets the notes anchored at position or later (a load that kept only
 * the first events of a file). */
void DropWindowNotesFrom(int32_t position);
/* Number of notes, and the description a note refers to. */
int32_t WindowNoteCount(void);
const WindowDescription& DescriptionOfNote(int32_t note);

/* A window note as a line of a text script (without the line end), which
 * older versions read as a comment:
 *   ;@window title="T" class="C" program="P" rect=L,T,R,B dpi=96 ...
 * with the note's scale and control as FormatNoteLayoutFields puts them.
 * A '"' inside a text is written twice. The line never outgrows what the
 * script reader takes (ScriptTextSize - 1 characters): the longest texts
 * are cut to fit, each ending in '*'. Returns the length; the line is cut
 * to size - 1 characters (it never needs more than WindowNoteLineSize). */
const int WindowNoteLineSize = 2 * (WindowTitleSize + WindowClassSize + WindowProgramSize) + 96;
int FormatWindowNoteLine(int32_t note, char* line, int size);
/* True when the line (up to its end characters) is a window note line:
 * ";@window" after optional blanks, in any letter case. */
bool IsWindowNoteLine(const char* line);
/* Reads a window note line into a description, a rectangle and the
 * fields of the note's scale and control (layout; null: not wanted).
 * Fields may come in any order and any may be left out: a missing title,
 * class or program matches any, a missing rect leaves the input where it
 * was recorded, missing layout fields are not known; fields of other
 * names are skipped. False for a line that is not well formed (an
 * unclosed quote, a text too long, a rect that is not four numbers, a
 * layout field ReadNoteLayoutField refuses). */
bool ReadWindowNoteLine(const char* line, WindowDescription* description, NoteRect* rect,
                        bool* hasRect, NoteLayoutFields* layout);

/* ---- Recording files ----
 * Two formats, chosen by the path alone: a path that holds ".mrl" in any
 * letter case is a binary recording (the event list as 20-byte records),
 * every other path an editable text script (one line per event or script
 * command). Files are read through one fixed buffer and written through
 * another, so neither costs a system call per line or record.
 */

/* Loads the file at path into the recording. Returns the number of script
 * commands loaded (0 for a binary file) or -1 when the load failed, after
 * showing the failure's message box. With reportErrors false, the
 * messages about a file that cannot be opened or read and about an
 * unknown command are not shown; the others always are. A failure after
 * the file was opened leaves an empty list and an empty command table.
 * A load that stops at a limit succeeds with what it read, after a box
 * and a log line that say from which line (or record) on nothing was
 * read (LastLoadWasCut). A script read as UTF-8 that holds a character
 * the ANSI code page cannot hold fails, naming the line and the
 * character. */
int LoadRecording(const char* path, bool reportErrors);

/* Write the first eventCount events to file, opened for writing by the
 * caller, and return true. A failed write closes the file, shows "Unable
 * to save file '<path>'!" and returns false; on success the file stays
 * open for the caller to close. The text script writes each script
 * command back as its line, where its placeholder stands; the binary
 * format holds events only, so there the placeholder itself is written. */
bool WriteTextScript(FILE* file, const char* path);
bool WriteBinaryRecording(FILE* file, const char* path);

/* Saves the recording to path in the format the path names, without ever
 * putting an existing file of that name at risk: the recording is written
 * to a new file beside it, and only once all of it is on the disk does
 * that file take the old one's place. On any failure "Unable to save file
 * '<path>'!" is shown, the old file is left as it was and no other file is
 * left behind. */
bool SaveRecordingFile(const char* path);

/* Script commands that a save would write: those whose placeholder stands
 * in the list. A binary recording cannot keep them. */
int CountCommandsInList(void);

/* The name a text script gives the message (WM_KEYDOWN, ...), or null for
 * a message it writes as a number. */
const char* NameOfMessage(uint32_t message);

/* True when the path holds ".mrl" in any letter case, anywhere. */
bool IsBinaryRecordingPath(const char* path);

/* The file's own name within the path: what follows its last backslash,
 * slash or drive colon. */
const char* FileNameOfPath(const char* path);

/* True when the last load that succeeded stopped at a limit (2,047
 * commands, or 32,766 events and commands) with more of the file to
 * come. The load has said so in a box and in the log; what it read is
 * the recording. */
bool LastLoadWasCut(void);

/* Position of the first occurrence of pattern in text, comparing ASCII
 * letters without regard to case; 0 for an empty pattern, -1 when absent. */
int FindNoCase(const char* text, const char* pattern);

/* Replaces every occurrence of pattern (as FindNoCase finds it) in the
 * zero-terminated text in a buffer of capacity bytes, in place; returns
 * the number of replacements. The search resumes at the start of each
 * inserted replacement, or after it when the replacement holds the
 * pattern itself (which would otherwise be found there for ever). A text
 * that would grow past the buffer is cut, never through a replacement or
 * a token in braces: a replacement that does not fit is left out together
 * with everything after it, and text pushed past the end is cut before a
 * token it would split. *cut (when given) is set when anything was cut. */
int ReplaceAllNoCase(char* text, size_t capacity, const char* pattern, const char* replacement,
                     bool* cut = nullptr);

/* The keyword of a script command kind ("START", ...); "" for a kind
 * without one. */
const char* KeywordOfKind(int32_t kind);

#endif

/*
 * text_script.cpp: the editable text script: reading it into the
 * recording and writing the event list back as text.
 *
 * A script is 8-bit text, one event or script command per line, read and
 * written byte for byte. A line ends at the first CR, LF or zero byte; CR
 * LF and LF CR count as one line end. The reader takes at most 1,023
 * characters as one line: a longer line is cut into pieces of 1,023 that
 * are read as lines of their own, and the line end of a piece is looked
 * for only inside that piece. Each line is ignored (its first non-blank
 * character is not a letter: comments, blank lines), an event line (it
 * holds "message=" in any case) or a script command, which takes the next
 * position of the list as its placeholder. The writer puts each command
 * back where its placeholder stands, so a script survives being saved.
 * A window note (model.h) is a line of its own right before its event's,
 * in a form older versions take for a comment.
 *
 * The file is read through one fixed buffer in large blocks and lines are
 * taken from it, so a script of tens of thousands of lines costs a handful
 * of reads; the writer fills one fixed buffer the same way.
 */
#include "model/recording_files.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

/* ---- Reading ---- */

static const size_t LinePieceLength = ScriptTextSize - 1;
static const size_t KeywordLength = 32;

static const size_t ReadBlockSize = 64 * 1024;
/* Lines are read where they lie in the buffer, each terminated in place
 * while it is read. The padding holds the terminator of a line that ends
 * the buffer, and the bytes FindLineEnd may look at past the end. */
static char readBuffer[ReadBlockSize + 16];

struct ScriptReader {
    char* line;        /* the current line, in readBuffer, zero-terminated */
    char* lineEnd;     /* where its terminator is */
    char lineFollower; /* the byte the terminator covers */
    FILE* file;
    int64_t size;         /* bytes to read, from the directory entry */
    int64_t offset;       /* where the next line starts */
    int64_t bufferOffset; /* file offset of readBuffer[0] */
    size_t bufferLength;  /* bytes held in readBuffer */
};

/* Makes pieceLength bytes from the reader's offset on available in
 * readBuffer, moving what is left to the front and reading more after it.
 * False when the file ends before its directory entry said it would. */
static bool BufferPiece(ScriptReader* reader, size_t pieceLength) {
    size_t start = (size_t)(reader->offset - reader->bufferOffset);
    if (start + pieceLength <= reader->bufferLength)
        return true;
    size_t kept = reader->bufferLength - start;
    memmove(readBuffer, readBuffer + start, kept);
    reader->bufferOffset = reader->offset;
    int64_t unread = reader->size - (reader->bufferOffset + (int64_t)kept);
    size_t room = ReadBlockSize - kept;
    size_t wanted = unread < (int64_t)room ? (size_t)unread : room;
    reader->bufferLength = kept + fread(readBuffer + kept, 1, wanted, reader->file);
    return pieceLength <= reader->bufferLength;
}

/* Index of the first CR, LF or zero byte among the first length bytes, or
 * length when there is none. This runs over every byte of the file, so
 * where the processor can it tests sixteen bytes at a time; it may look at
 * up to 15 bytes past length, which readBuffer keeps as padding. */
#if defined(__SSE2__)
static size_t FindLineEnd(const char* text, size_t length) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    for (size_t i = 0; i < length; i += 16) {
        __m128i block = _mm_loadu_si128((const __m128i*)(text + i));
        __m128i ends =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)),
                         _mm_cmpeq_epi8(block, zero));
        unsigned hits = (unsigned)_mm_movemask_epi8(ends);
        if (hits != 0) {
            size_t end = i + (size_t)__builtin_ctz(hits);
            return end < length ? end : length;
        }
    }
    return length;
}
#else
static size_t FindLineEnd(const char* text, size_t length) {
    for (size_t i = 0; i < length; i++) {
        if (text[i] == '\r' || text[i] == '\n' || text[i] == '\0')
            return i;
    }
    return length;
}
#endif

static bool IsPairedLineEnd(char first, char second) {
    return (first == '\r' && second == '\n') || (first == '\n' && second == '\r');
}

/* Length of the line at the start of a piece, its end characters included.
 * A piece without a line end is a line by itself. */
static size_t LineLength(const char* piece, size_t pieceLength) {
    size_t end = FindLineEnd(piece, pieceLength);
    if (end == pieceLength)
        return pieceLength;
    if (end + 1 < pieceLength && IsPairedLineEnd(piece[end], piece[end + 1]))
        return end + 2;
    return end + 1;
}

/* Takes the next line, end characters included, and terminates it in
 * place: the byte after it is put back by ReleaseLine. */
/* The next piece: up to 1,023 bytes from the reader's offset on. */
static bool BufferNextPiece(ScriptReader* reader, char** piece, size_t* pieceLength) {
    int64_t left = reader->size - reader->offset;
    *pieceLength = left < (int64_t)LinePieceLength ? (size_t)left : LinePieceLength;
    if (!BufferPiece(reader, *pieceLength))
        return false;
    *piece = readBuffer + (reader->offset - reader->bufferOffset);
    return true;
}

/* Takes the line at the start of the piece, end characters included, and
 * terminates it in place: the byte after it is put back by ReleaseLine. */
static void TakeLine(ScriptReader* reader, char* piece, size_t pieceLength) {
    size_t length = LineLength(piece, pieceLength);
    reader->line = piece;
    reader->lineEnd = reader->line + length;
    reader->lineFollower = *reader->lineEnd;
    *reader->lineEnd = '\0';
    reader->offset += (int64_t)length;
}

static void ReleaseLine(ScriptReader* reader) {
    *reader->lineEnd = reader->lineFollower;
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

static const char* SkipBlanks(const char* text) {
    while (IsBlank(*text))
        text++;
    return text;
}

static bool IsIgnoredLine(const char* line) {
    char first = *SkipBlanks(line);
    return !((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
}

/* ---- Event lines ---- */

struct MessageName {
    const char* name;
    size_t length;
    uint32_t message;
};

/* In the order a message value is tested for them. */
static const MessageName MessageNames[] = {
    {"WM_MOUSEMOVE", 12, MsgMouseMove}, {"WM_KEYDOWN", 10, MsgKeyDown},
    {"WM_KEYUP", 8, MsgKeyUp},          {"WM_LBUTTONDOWN", 14, MsgLButtonDown},
    {"WM_LBUTTONUP", 12, MsgLButtonUp}, {"WM_CHAR", 7, MsgChar},
    {"WM_COMMAND", 10, MsgCommand},     {"WM_SYSKEYDOWN", 13, MsgSysKeyDown},
    {"WM_SYSKEYUP", 11, MsgSysKeyUp},
};
static const int MessageNameCount = sizeof MessageNames / sizeof MessageNames[0];

/* True when text begins with prefix. It stops at the first difference, so
 * it never reads past the terminator of a shorter text. */
static bool StartsWith(const char* text, const char* prefix) {
    for (; *prefix != '\0'; text++, prefix++) {
        if (*text != *prefix)
            return false;
    }
    return true;
}

/* A value runs from just after its "=" to the next space (not tab) or the
 * end of the line. */
static const char* ValueEnd(const char* value) {
    while (*value != ' ' && *value != '\0')
        value++;
    return value;
}

/* Signed decimal: white space other than the space that ends a value, an
 * optional sign, then digits up to the first non-digit; no digits read as
 * 0. Digits accumulate modulo 2^32, so a number beyond 32 bits keeps its
 * low 32 bits, and the signed and unsigned spellings of a 32-bit value
 * (-1 and 4294967295) read back alike. Returns where the digits end, which
 * is never past the end of the value. */
static const char* ReadScriptNumber(const char* value, uint32_t* number) {
    while (*value == '\t' || *value == '\n' || *value == '\v' || *value == '\f' || *value == '\r')
        value++;
    bool negative = *value == '-';
    if (*value == '-' || *value == '+')
        value++;
    uint32_t magnitude = 0;
    for (; *value >= '0' && *value <= '9'; value++)
        magnitude = magnitude * 10u + (uint32_t)(*value - '0');
    *number = negative ? 0u - magnitude : magnitude;
    return value;
}

/* The first name of MessageNames, in its order, that occurs anywhere in
 * the value, in exact case; every name begins with "WM_", so only those
 * places are tried. MessageNameCount when there is none. */
static int MessageNameIn(const char* value, const char* end) {
    int first = MessageNameCount;
    for (const char* at = value; end - at >= 3; at++) {
        if (memcmp(at, "WM_", 3) != 0)
            continue;
        for (int k = 0; k < first; k++) {
            const MessageName& name = MessageNames[k];
            if ((size_t)(end - at) >= name.length && memcmp(at, name.name, name.length) == 0) {
                first = k;
                break;
            }
        }
    }
    return first;
}

/* A value that is exactly one name contains no other (each holds "WM_"
 * once, at its start), so the usual case needs no search. */
static uint32_t MessageFromValue(const char* value, const char* end) {
    size_t length = (size_t)(end - value);
    for (const MessageName& name : MessageNames) {
        if (name.length == length && memcmp(value, name.name, length) == 0)
            return name.message;
    }
    int name = MessageNameIn(value, end);
    if (name < MessageNameCount)
        return MessageNames[name].message;
    uint32_t number = 0;
    ReadScriptNumber(value, &number);
    return number;
}

/* The first place of the field, in exact case, from where on; null when
 * there is none. In a written script it is the next character. */
static const char* FindField(const char* from, const char* field) {
    for (const char* at = from; *at != '\0'; at++) {
        if (*at == field[0] && StartsWith(at + 1, field + 1))
            return at;
    }
    return nullptr;
}

/* Reads the field's value into *number and returns the end of the value,
 * or null when the field is missing. */
static const char* ReadField(const char* from, const char* field, size_t fieldLength,
                             uint32_t* number) {
    const char* found = FindField(from, field);
    if (found == nullptr)
        return nullptr;
    return ValueEnd(ReadScriptNumber(found + fieldLength, number));
}

/* The fields come in the order message, paramH, paramL, time, each looked
 * for after the value before it; time may be missing. */
static LoadOutcome ReadEventLine(const char* messageValue, LoadProgress* progress) {
    EventRecord event = {};
    const char* at = ValueEnd(messageValue);
    event.message = MessageFromValue(messageValue, at);
    uint32_t number = 0;
    at = ReadField(at, "paramH=", 7, &number);
    if (at == nullptr)
        return LoadMissingParamH;
    event.paramH = (int32_t)number;
    at = ReadField(at, "paramL=", 7, &number);
    if (at == nullptr)
        return LoadMissingParamL;
    event.paramL = (int32_t)number;
    if (ReadField(at, "time=", 5, &number) != nullptr)
        event.time = number;
    gRecording.events[progress->positions++] = event;
    return LoadOk;
}

/* ---- Lines as the writer writes them ----
 * "message=NAME paramH=N paramL=N time=N" and a line end, NAME a message
 * name or a number: nearly every line of a saved script. Such a line is
 * read in one pass that also finds its end. A line in any other form, and
 * one that holds an end character earlier, is left to the general reader,
 * which reads these lines alike, only more slowly. */

/* An optional minus and at least one digit, accumulated as
 * ReadScriptNumber does; null when there is no digit. */
static const char* WrittenNumber(const char* at, const char* end, uint32_t* number) {
    bool negative = at < end && *at == '-';
    if (negative)
        at++;
    const char* digits = at;
    uint32_t magnitude = 0;
    for (; at < end && *at >= '0' && *at <= '9'; at++)
        magnitude = magnitude * 10u + (uint32_t)(*at - '0');
    *number = negative ? 0u - magnitude : magnitude;
    return at > digits ? at : nullptr;
}

/* A message name followed by the space before the next field, or a
 * number; returns where it ends, or null. */
static const char* WrittenMessage(const char* value, const char* end, uint32_t* message) {
    for (const MessageName& name : MessageNames) {
        if ((size_t)(end - value) > name.length && memcmp(value, name.name, name.length) == 0 &&
            value[name.length] == ' ') {
            *message = name.message;
            return value + name.length;
        }
    }
    return WrittenNumber(value, end, message);
}

/* The field, with the space before it, then its number. */
static const char* WrittenField(const char* at, const char* end, const char* spacedField,
                                size_t length, uint32_t* number) {
    if ((size_t)(end - at) < length || memcmp(at, spacedField, length) != 0)
        return nullptr;
    return WrittenNumber(at + length, end, number);
}

/* The length of the line at the start of the piece, end characters
 * included, when it is in the written form, with its event read; 0 for
 * any other line. */
static size_t ReadWrittenEventLine(const char* piece, size_t pieceLength, EventRecord* event) {
    const char* end = piece + pieceLength;
    if (pieceLength < 8 || memcmp(piece, "message=", 8) != 0)
        return 0;
    uint32_t paramH, paramL, time;
    const char* at = WrittenMessage(piece + 8, end, &event->message);
    if (at == nullptr || (at = WrittenField(at, end, " paramH=", 8, &paramH)) == nullptr ||
        (at = WrittenField(at, end, " paramL=", 8, &paramL)) == nullptr ||
        (at = WrittenField(at, end, " time=", 6, &time)) == nullptr || at == end ||
        (*at != '\r' && *at != '\n' && *at != '\0'))
        return 0;
    event->paramH = (int32_t)paramH;
    event->paramL = (int32_t)paramL;
    event->time = time;
    event->hwnd = 0;
    size_t lineEnd = (size_t)(at - piece);
    bool paired = lineEnd + 1 < pieceLength && IsPairedLineEnd(at[0], at[1]);
    return lineEnd + (paired ? 2 : 1);
}

/* ---- Command lines ---- */

struct CommandWord {
    const char* word;
    ScriptCommandKind kind;
};

/* In the order a keyword is tested for them. */
static const CommandWord CommandWords[] = {
    {"START", CommandStart},
    {"GOTO", CommandGoto},
    {"WAIT", CommandWait},
    {"TYPE", CommandType},
    {"MOUSECLICK", CommandMouseClick},
    {"WINDOWCLICK", CommandWindowClick},
};

/* Keywords match as substrings in any case: Start and RESTART are START. */
static ScriptCommandKind KindOfKeyword(const char* keyword) {
    for (const CommandWord& word : CommandWords) {
        if (FindNoCase(keyword, word.word) >= 0)
            return word.kind;
    }
    return CommandNone;
}

static bool EndsKeyword(char c) {
    return IsBlank(c) || c == '\r' || c == '\n' || c == '\0';
}

/* WAIT 1 second waits one second: the unit words go. */
static void DropSecondWords(char* text) {
    ReplaceAllNoCase(text, ScriptTextSize, "seconds", "");
    ReplaceAllNoCase(text, ScriptTextSize, "second", "");
}

/* Keyword (at most 32 characters; a longer run goes on as the argument),
 * blanks, then the argument up to the line end, trailing blanks kept. */
static LoadOutcome ReadCommandLine(const char* line, LoadProgress* progress) {
    const char* at = SkipBlanks(line);
    char keyword[KeywordLength + 1];
    size_t keywordLength = 0;
    while (keywordLength < KeywordLength && !EndsKeyword(at[keywordLength]))
        keywordLength++;
    memcpy(keyword, at, keywordLength);
    keyword[keywordLength] = '\0';
    ScriptCommandKind kind = KindOfKeyword(keyword);
    if (kind == CommandNone)
        return LoadUnknownCommand;
    if (progress->commands == MaxLoadedCommands)
        return LoadTooManyCommands;

    const char* argument = SkipBlanks(at + keywordLength);
    char text[ScriptTextSize];
    size_t length = strcspn(argument, "\r\n");
    memcpy(text, argument, length);
    text[length] = '\0';
    if (kind == CommandWait)
        DropSecondWords(text);
    gRecording.events[progress->positions] = EventRecord{};
    SetScriptCommand(progress->commands++, kind, text, progress->positions++);
    return LoadOk;
}

/* A written script's event lines begin with "message=", which is then
 * also its first occurrence. */
static LoadOutcome ReadLine(const char* line, LoadProgress* progress) {
    if (IsIgnoredLine(line))
        return LoadOk;
    int messageAt = StartsWith(line, "message=") ? 0 : FindNoCase(line, "message=");
    if (messageAt >= 0)
        return ReadEventLine(line + messageAt + strlen("message="), progress);
    return ReadCommandLine(line, progress);
}

/* ---- Window note lines ----
 * A window note line holds the note for the next line that takes a
 * position (an event or a command). Older versions read it as a comment. */

static bool MayBeWindowNoteLine(const char* piece, size_t pieceLength) {
    const char* at = piece;
    const char* end = piece + pieceLength;
    while (at < end && IsBlank(*at))
        at++;
    return at < end && *at == ';' && IsWindowNoteLine(piece);
}

/* A note whose window the table can no longer describe is left out; the
 * event then plays as it would without a note. */
static LoadOutcome ReadWindowLine(const char* line, LoadProgress* progress) {
    WindowDescription description;
    NoteRect rect;
    bool hasRect;
    if (!ReadWindowNoteLine(line, &description, &rect, &hasRect))
        return LoadBadWindowLine;
    progress->noteDescription =
        AddWindowDescription(description.title, description.className, description.program);
    progress->noteHasRect = hasRect;
    progress->noteRect = rect;
    return LoadOk;
}

/* The pending note goes to the position just filled. */
static void GiveNoteTo(int32_t position, LoadProgress* progress) {
    if (progress->noteDescription < 0)
        return;
    AddWindowNote(position, progress->noteDescription,
                  progress->noteHasRect ? &progress->noteRect : nullptr);
    progress->noteDescription = -1;
}

static LoadOutcome ReadTakenLine(ScriptReader* reader, char* piece, size_t pieceLength,
                                 LoadProgress* progress) {
    TakeLine(reader, piece, pieceLength);
    progress->line = reader->line;
    LoadOutcome outcome = MayBeWindowNoteLine(piece, pieceLength)
                              ? ReadWindowLine(reader->line, progress)
                              : ReadLine(reader->line, progress);
    if (outcome == LoadOk)
        ReleaseLine(reader);
    return outcome;
}

/* A load that ends early leaves its last line terminated in the buffer,
 * for the frame's message. */
static LoadOutcome ReadLines(ScriptReader* reader, LoadProgress* progress) {
    while (progress->positions < MaxLoadedEvents && reader->offset < reader->size) {
        char* piece;
        size_t pieceLength;
        if (!BufferNextPiece(reader, &piece, &pieceLength))
            return LoadReadFailed;
        int32_t filled = progress->positions;
        EventRecord event;
        size_t written = ReadWrittenEventLine(piece, pieceLength, &event);
        if (written != 0) {
            gRecording.events[progress->positions++] = event;
            reader->offset += (int64_t)written;
        } else {
            LoadOutcome outcome = ReadTakenLine(reader, piece, pieceLength, progress);
            if (outcome != LoadOk)
                return outcome;
        }
        if (progress->positions > filled)
            GiveNoteTo(filled, progress);
    }
    return LoadOk;
}

LoadOutcome ReadTextScript(FILE* file, int64_t size, LoadProgress* progress) {
    ScriptReader reader = {readBuffer, readBuffer, '\0', file, size, 0, 0, 0};
    LoadOutcome outcome = ReadLines(&reader, progress);
    progress->filledBytes = sizeof(EventRecord) * (size_t)progress->positions;
    return outcome;
}

/* ---- Writing ---- */

static char writeBuffer[64 * 1024];
/* Longest event line: the longest name and three numbers of 11 characters. */
static const size_t LongestEventLine = 96;

struct ScriptWriter {
    FILE* file;
    size_t used;
    bool failed;
};

static void Flush(ScriptWriter* writer) {
    if (writer->used != 0 && fwrite(writeBuffer, 1, writer->used, writer->file) != writer->used)
        writer->failed = true;
    writer->used = 0;
}

static void MakeRoom(ScriptWriter* writer, size_t length) {
    if (writer->used + length > sizeof writeBuffer)
        Flush(writer);
}

static char* PutText(char* out, const char* text) {
    size_t length = strlen(text);
    memcpy(out, text, length);
    return out + length;
}

/* As printf's %li prints a signed 32-bit value. */
static char* PutSigned(char* out, int32_t value) {
    uint32_t magnitude = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    char digits[10];
    int count = 0;
    do {
        digits[count++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

const char* NameOfMessage(uint32_t message) {
    for (const MessageName& name : MessageNames) {
        if (name.message == message)
            return name.name;
    }
    return nullptr;
}

/* Messages without a name, and placeholders that no command owns, are
 * written as numbers. */
static void PutEventLine(ScriptWriter* writer, const EventRecord& event) {
    MakeRoom(writer, LongestEventLine);
    char* out = PutText(writeBuffer + writer->used, "message=");
    const char* name = NameOfMessage(event.message);
    out = name != nullptr ? PutText(out, name) : PutSigned(out, (int32_t)event.message);
    out = PutSigned(PutText(out, " paramH="), event.paramH);
    out = PutSigned(PutText(out, " paramL="), event.paramL);
    out = PutSigned(PutText(out, " time="), (int32_t)event.time);
    out = PutText(out, "\r\n");
    writer->used = (size_t)(out - writeBuffer);
}

static const char* const HeaderLines[] = {
    "; You may edit it, but keep the format the same as you see below.",
    "; You may add comments by using ';' at the start of a line.",
    "; Each line represents an EVENT structure, or may be one of the Mirlow commands (see help "
    "file reference)",
    "; ",
    "; Examples:",
    ";        START notepad.exe",
    ";        WAIT 1 second",
    ";        GOTO Untitled - Notepad",
    ";        TYPE Here is text that is being typed by Mirlow",
    "; ",
    "; You can mix the EVENT structure lines with Mirlow commands, such as:",
    ";        message=WM_MOUSEMOVE paramH=288 paramL=420 time=13024638",
    ";        START NOTEPAD.EXE",
    ";        GOTO Untitled - Notepad",
    ";        message=WM_MOUSEMOVE paramH=267 paramL=420 time=13024758",
    "; ",
    "; You may put 0 for the TIME component in each line.",
    "; Remember that Mirlow is primarly a mouse and keyboard recorder, and does not rely on "
    "scripts.",
    "; Start of the real recording:",
};

static void PutLine(ScriptWriter* writer, const char* text) {
    size_t length = strlen(text) + 2;
    MakeRoom(writer, length);
    char* out = PutText(writeBuffer + writer->used, text);
    writer->used = (size_t)(PutText(out, "\r\n") - writeBuffer);
}

/* The first line names where the program comes from and ends with a
 * blank. Header lines are far shorter than the buffer. */
static void PutHeader(ScriptWriter* writer) {
    char first[256];
    snprintf(first, sizeof first, "; This file was created by Mirlow (%s) ", ProductWebAddress);
    PutLine(writer, first);
    for (const char* line : HeaderLines)
        PutLine(writer, line);
}

/* A script command goes back as the line it was read from: its keyword,
 * a blank and its text ("WAIT 2 seconds" was stored as "2 ", and "WAIT 2 "
 * reads back as the same). The keyword is never longer than the one that
 * was read, so the line fits the reader's 1,023 characters as the
 * original did. */
static bool PutCommandLine(ScriptWriter* writer, int32_t position) {
    int command = FindCommandAt(position);
    if (command < 0)
        return false;
    ScriptCommand script = GetScriptCommand(command);
    if (script.kind <= CommandNone || script.kind >= ScriptCommandKindCount)
        return false;
    size_t length = strlen(script.text);
    MakeRoom(writer, KeywordLength + length + 3);
    char* out = PutText(writeBuffer + writer->used, ScriptKeywordNames[script.kind]);
    if (length != 0) {
        *out++ = ' ';
        out = PutText(out, script.text);
    }
    writer->used = (size_t)(PutText(out, "\r\n") - writeBuffer);
    return true;
}

static void PutWindowNoteLine(ScriptWriter* writer, int32_t note) {
    MakeRoom(writer, WindowNoteLineSize + 2);
    char* out = writeBuffer + writer->used;
    out += FormatWindowNoteLine(note, out, WindowNoteLineSize);
    writer->used = (size_t)(PutText(out, "\r\n") - writeBuffer);
}

bool WriteTextScript(FILE* file, const char* path) {
    ScriptWriter writer = {file, 0, false};
    fseek(file, 0, SEEK_END);
    PutHeader(&writer);
    size_t count = EventCountToWrite();
    int32_t notes = 0;
    for (size_t i = 0; i < count; i++) {
        const EventRecord& event = gRecording.events[i];
        int32_t note = WindowNoteAt(&notes, (int32_t)i);
        if (note >= 0)
            PutWindowNoteLine(&writer, note);
        if (!IsPlaceholderEvent(event) || !PutCommandLine(&writer, (int32_t)i))
            PutEventLine(&writer, event);
    }
    Flush(&writer);
    /* stdio may still hold the tail; a full disk shows only when it goes. */
    if (writer.failed || fflush(file) != 0) {
        FailSave(file, path);
        return false;
    }
    return true;
}

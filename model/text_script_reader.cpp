/*
 * text_script_reader.cpp: reading a text script into the recording.
 *
 * A line ends at the first CR, LF or zero byte; CR LF and LF CR count as
 * one line end. The reader takes at most 1,023 characters as one line: a
 * longer line is cut into pieces of 1,023 that are read as lines of their
 * own, and the line end of a piece is looked for only inside that piece.
 * Each line is ignored (its first non-blank character is not a letter:
 * comments, blank lines), a window note line, an event line (it holds
 * "message=" in any case) or a script command, which takes the next
 * position of the list as its placeholder.
 *
 * In a script saved as UTF-8 (a leading byte-order mark is skipped) each
 * line that matters is converted to the code page, and a character the
 * code page cannot hold stops the load rather than become another one.
 *
 * The file is read through one fixed buffer in large blocks and lines are
 * taken from it, so a script of tens of thousands of lines costs a handful
 * of reads; the lines the writer writes are read in one pass each.
 */
#include "model/recording_files.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

static const size_t LinePieceLength = ScriptTextSize - 1;

static const size_t ReadBlockSize = 64 * 1024;
/* Lines are read where they lie in the buffer, each terminated in place
 * while it is read. The padding holds the terminator of a line that ends
 * the buffer, and the bytes FindLineEnd may look at past the end. */
static char readBuffer[ReadBlockSize + 16];

/* A line of a UTF-8 script converted to the code page: up to 1,023
 * characters of one or two bytes each, and its line end. */
static char convertedLine[2 * ScriptTextSize + 4];
/* The rest of a file whose encoding is being decided is read through this. */
static char scanBuffer[16 * 1024];

/* Until a byte outside ASCII turns up, a script reads alike in every
 * encoding; the first one decides, for the whole file. */
static const int32_t EncodingUndecided = -1;
/* Room for 1,023 characters of UTF-8. */
static const size_t Utf8PieceBytes = 4 * (ScriptTextSize - 1);

struct ScriptReader {
    char* line;        /* the current line, in readBuffer, zero-terminated */
    char* lineEnd;     /* where its terminator is */
    char lineFollower; /* the byte the terminator covers */
    FILE* file;
    int64_t size;         /* bytes to read, from the directory entry */
    int64_t offset;       /* where the next line starts */
    int64_t bufferOffset; /* file offset of readBuffer[0] */
    size_t bufferLength;  /* bytes held in readBuffer */
    int32_t encoding;     /* a ScriptTextEncoding, or EncodingUndecided */
    bool marked;          /* the file begins with a UTF-8 byte-order mark */
    int32_t linesEnded;   /* line ends passed so far */
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

/* TextUtf8 or TextUtf8Marked: one comparison, as it is asked for every line. */
static bool IsUtf8(const ScriptReader* reader) {
    return reader->encoding >= TextUtf8;
}

/* The next piece from the reader's offset on: up to 1,023 bytes, or in a
 * UTF-8 script up to 1,023 whole characters. */
static bool BufferNextPiece(ScriptReader* reader, char** piece, size_t* pieceLength) {
    int64_t left = reader->size - reader->offset;
    size_t most = IsUtf8(reader) ? Utf8PieceBytes : LinePieceLength;
    *pieceLength = left < (int64_t)most ? (size_t)left : most;
    if (!BufferPiece(reader, *pieceLength))
        return false;
    *piece = readBuffer + (reader->offset - reader->bufferOffset);
    if (IsUtf8(reader))
        *pieceLength = Utf8Span(*piece, *pieceLength, LinePieceLength);
    return true;
}

/* Takes length bytes at the start of the piece as the current line and
 * terminates it in place: the byte after it is put back by ReleaseLine. */
static void TakeLine(ScriptReader* reader, char* piece, size_t length) {
    reader->line = piece;
    reader->lineEnd = reader->line + length;
    reader->lineFollower = *reader->lineEnd;
    *reader->lineEnd = '\0';
    reader->offset += (int64_t)length;
}

/* Counts the line's end, if it has one: a piece of a long line has none. */
static void ReleaseLine(ScriptReader* reader) {
    *reader->lineEnd = reader->lineFollower;
    char last = reader->lineEnd > reader->line ? reader->lineEnd[-1] : 'x';
    if (last == '\r' || last == '\n' || last == '\0')
        reader->linesEnded++;
}

/* ---- The script's encoding ---- */

/* The file past the buffer, read ahead and put back where it was. */
static bool CheckRestOfFile(ScriptReader* reader, Utf8Check* check) {
    int64_t unread = reader->size - (reader->bufferOffset + (int64_t)reader->bufferLength);
    fpos_t position;
    if (unread <= 0 || !check->valid)
        return true;
    if (fgetpos(reader->file, &position) != 0)
        return false;
    while (unread > 0 && check->valid) {
        size_t wanted = unread < (int64_t)sizeof scanBuffer ? (size_t)unread : sizeof scanBuffer;
        size_t got = fread(scanBuffer, 1, wanted, reader->file);
        if (got == 0)
            break; /* a file shorter than its entry: the reader reports it */
        ContinueUtf8Check(check, scanBuffer, got);
        unread -= (int64_t)got;
    }
    return fsetpos(reader->file, &position) == 0;
}

/* Reads every byte from the reader's offset to the end of the file; what
 * came before was ASCII, or the byte-order mark. */
static bool DecideEncoding(ScriptReader* reader) {
    Utf8Check check;
    StartUtf8Check(&check);
    size_t start = (size_t)(reader->offset - reader->bufferOffset);
    ContinueUtf8Check(&check, readBuffer + start, reader->bufferLength - start);
    if (!CheckRestOfFile(reader, &check))
        return false;
    bool utf8 = Utf8CheckPassed(&check) && (check.sawNonAscii || reader->marked);
    reader->encoding = !utf8 ? TextAnsi : reader->marked ? TextUtf8Marked : TextUtf8;
    return true;
}

/* A byte-order mark is skipped, and makes the file's encoding known from
 * the start. */
static bool SkipByteOrderMark(ScriptReader* reader) {
    size_t length = reader->size < 3 ? (size_t)reader->size : 3;
    if (!BufferPiece(reader, length))
        return false;
    if (length < 3 || memcmp(readBuffer, "\xEF\xBB\xBF", 3) != 0)
        return true;
    reader->marked = true;
    reader->offset = 3;
    return DecideEncoding(reader);
}

/* The length of the line's text, without its end characters. */
static size_t TextLength(const char* line, size_t length) {
    while (length > 0 &&
           (line[length - 1] == '\r' || line[length - 1] == '\n' || line[length - 1] == '\0'))
        length--;
    return length;
}

/* Converts the line of UTF-8 at the start of the piece (length bytes, end
 * characters included) into convertedLine. A line that would hold more
 * than 1,023 characters of the code page (two-byte characters of an East
 * Asian one count twice) keeps as many whole characters as fit, and
 * *length shrinks to them: the rest is read as a line of its own. */
static LoadOutcome ConvertLine(const char* piece, size_t* length, LoadProgress* progress) {
    size_t text = TextLength(piece, *length);
    for (;;) {
        uint32_t unheld = 0;
        int converted = PlatformUtf8ToAnsi(piece, (int)*length, convertedLine,
                                           (int)sizeof convertedLine, &unheld);
        if (converted < 0) {
            progress->unheldCharacter = unheld;
            return unheld != 0 ? LoadUnheldCharacter : LoadReadFailed;
        }
        size_t convertedText = (size_t)converted - (*length - text);
        if (convertedText <= LinePieceLength)
            return LoadOk;
        text = DropUtf8Characters(piece, text, convertedText - LinePieceLength);
        *length = text;
    }
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

static const char* SkipBlanks(const char* text) {
    while (IsBlank(*text))
        text++;
    return text;
}

/* The line's first non-blank character (within length bytes) is not a
 * letter. A character outside ASCII is no letter in any encoding. */
static bool IsIgnoredLine(const char* line, size_t length) {
    size_t at = 0;
    while (at < length && IsBlank(line[at]))
        at++;
    char first = at < length ? line[at] : '\0';
    return !((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
}

/* ---- Event lines ---- */

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

/* The first name of ScriptMessageNames, in its order, that occurs
 * anywhere in the value, in exact case; every name begins with "WM_", so
 * only those places are tried. ScriptMessageNameCount when there is none. */
static int MessageNameIn(const char* value, const char* end) {
    int first = ScriptMessageNameCount;
    for (const char* at = value; end - at >= 3; at++) {
        if (memcmp(at, "WM_", 3) != 0)
            continue;
        for (int k = 0; k < first; k++) {
            const ScriptMessageName& name = ScriptMessageNames[k];
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
    for (int k = 0; k < ScriptMessageNameCount; k++) {
        const ScriptMessageName& name = ScriptMessageNames[k];
        if (name.length == length && memcmp(value, name.name, length) == 0)
            return name.message;
    }
    int name = MessageNameIn(value, end);
    if (name < ScriptMessageNameCount)
        return ScriptMessageNames[name].message;
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
    for (int k = 0; k < ScriptMessageNameCount; k++) {
        const ScriptMessageName& name = ScriptMessageNames[k];
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
    char keyword[ScriptKeywordLength + 1];
    size_t keywordLength = 0;
    while (keywordLength < ScriptKeywordLength && !EndsKeyword(at[keywordLength]))
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
static LoadOutcome ReadItemLine(const char* line, LoadProgress* progress) {
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
    if (!ReadWindowNoteLine(line, &description, &rect, &hasRect, &progress->noteLayout))
        return LoadBadWindowLine;
    progress->noteDescription =
        AddWindowDescription(description.title, description.className, description.program);
    progress->noteHasRect = hasRect;
    progress->noteRect = rect;
    return LoadOk;
}

/* A window note line is read only while a position is left for its
 * event; past the end of the list it is a comment like any other. */
static bool IsNoteToRead(const char* piece, size_t length, const LoadProgress* progress) {
    return progress->positions < MaxLoadedEvents && MayBeWindowNoteLine(piece, length);
}

/* The pending note goes to the position just filled. */
static void GiveNoteTo(int32_t position, LoadProgress* progress) {
    if (progress->noteDescription < 0)
        return;
    /* A control the table has no room for leaves the note its window. */
    if (AddWindowNote(position, progress->noteDescription,
                      progress->noteHasRect ? &progress->noteRect : nullptr))
        ApplyNoteLayoutFields(WindowNoteCount() - 1, progress->noteLayout);
    progress->noteDescription = -1;
}

/* Takes the line of length bytes at the start of the piece, converted to
 * the code page in a UTF-8 script, as progress->line: it is read (a window
 * note line as such), or, with the list full, named as the first line not
 * loaded. A load that ends early leaves its last line terminated in the
 * buffer, for the frame's message. */
static LoadOutcome TakeItemLine(ScriptReader* reader, char* piece, size_t length,
                                LoadProgress* progress) {
    progress->lineNumber = reader->linesEnded + 1;
    bool full = progress->positions >= MaxLoadedEvents;
    bool convert = IsUtf8(reader) && HoldsNonAscii(piece, length);
    if (convert) {
        /* A line past the end is only named, as well as it can be. */
        LoadOutcome converted = ConvertLine(piece, &length, progress);
        if (converted != LoadOk && !full)
            return converted;
        convert = converted == LoadOk;
    }
    TakeLine(reader, piece, length);
    progress->line = convert ? convertedLine : reader->line;
    if (full)
        return LoadTooManyEvents;
    LoadOutcome outcome = MayBeWindowNoteLine(progress->line, strlen(progress->line))
                              ? ReadWindowLine(progress->line, progress)
                              : ReadItemLine(progress->line, progress);
    if (outcome == LoadOk)
        ReleaseLine(reader);
    return outcome;
}

static void StoreWrittenEvent(ScriptReader* reader, const EventRecord& event, size_t length,
                              LoadProgress* progress) {
    gRecording.events[progress->positions++] = event;
    reader->offset += (int64_t)length;
    reader->linesEnded++;
}

/* Reads to the end of the file. Once the list is full, only ignored lines
 * may follow: the next line that would take a position ends the load. */
static LoadOutcome ReadLines(ScriptReader* reader, LoadProgress* progress) {
    while (reader->offset < reader->size) {
        char* piece;
        size_t pieceLength;
        if (!BufferNextPiece(reader, &piece, &pieceLength))
            return LoadReadFailed;
        int32_t filled = progress->positions;
        EventRecord event;
        size_t written = ReadWrittenEventLine(piece, pieceLength, &event);
        if (written != 0 && progress->positions < MaxLoadedEvents) {
            StoreWrittenEvent(reader, event, written, progress);
            GiveNoteTo(filled, progress);
            continue;
        }
        size_t length = written != 0 ? written : LineLength(piece, pieceLength);
        if (reader->encoding == EncodingUndecided && HoldsNonAscii(piece, length)) {
            if (!DecideEncoding(reader))
                return LoadReadFailed;
            continue; /* the piece again, by the rule of its encoding */
        }
        if (IsIgnoredLine(piece, length) && !IsNoteToRead(piece, length, progress)) {
            TakeLine(reader, piece, length);
            ReleaseLine(reader);
            continue;
        }
        LoadOutcome outcome = TakeItemLine(reader, piece, length, progress);
        if (outcome != LoadOk)
            return outcome;
        if (progress->positions > filled)
            GiveNoteTo(filled, progress);
    }
    return LoadOk;
}

LoadOutcome ReadTextScript(FILE* file, int64_t size, LoadProgress* progress) {
    ScriptReader reader = {readBuffer, readBuffer,        '\0',  file, size, 0, 0,
                           0,          EncodingUndecided, false, 0};
    LoadOutcome outcome =
        SkipByteOrderMark(&reader) ? ReadLines(&reader, progress) : LoadReadFailed;
    progress->filledBytes = sizeof(EventRecord) * (size_t)progress->positions;
    progress->textEncoding = reader.encoding == EncodingUndecided ? TextAnsi : reader.encoding;
    return outcome;
}

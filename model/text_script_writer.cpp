/*
 * text_script_writer.cpp: writing the event list back as a text script.
 *
 * The script opens with a header of comment lines that explain the format;
 * then comes each position of the list: its window note's line, if it has
 * one, then the command whose placeholder it is, or else its event line. Texts go back in the
 * encoding they were read in (or as UTF-8 where the code page's bytes would read back as other
 * characters). The lines are gathered in one fixed buffer and written in large blocks.
 */
#include "model/recording_files.h"

#include <cstring>

static char writeBuffer[64 * 1024];
/* Longest event line: the longest name and three numbers of 11 characters. */
static const size_t LongestEventLine = 96;

struct ScriptWriter {
    FILE* file;
    size_t used;
    bool failed;
    int32_t encoding; /* the ScriptTextEncoding the texts are written in */
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

/* The command a save writes at position, or -1 when it writes an event
 * line there. */
static int CommandWrittenAt(int32_t position) {
    if (!IsPlaceholderEvent(gRecording.events[position]))
        return -1;
    int command = FindCommandAt(position);
    if (command < 0)
        return -1;
    int32_t kind = GetScriptCommand(command).kind;
    return kind > CommandNone && kind < ScriptCommandKindCount ? command : -1;
}

/* A command's text in the save's encoding: as it is, or in UTF-8 (a
 * character of the code page takes up to three bytes). Null when it
 * cannot be converted, which fails the save. */
static const char* TextToWrite(const ScriptWriter* writer, const char* text, char* utf8,
                               size_t size) {
    if (writer->encoding == TextAnsi || !HoldsNonAscii(text, strlen(text)))
        return text;
    return PlatformAnsiToUtf8(text, utf8, (int)size) ? utf8 : nullptr;
}

/* A script command goes back as the line it was read from: its keyword,
 * a blank and its text ("WAIT 2 seconds" was stored as "2 ", and "WAIT 2 "
 * reads back as the same). The keyword is never longer than the one that
 * was read, so the line fits the reader's 1,023 characters as the
 * original did. */
static bool PutCommandLine(ScriptWriter* writer, int32_t position) {
    int command = CommandWrittenAt(position);
    if (command < 0)
        return false;
    ScriptCommand script = GetScriptCommand(command);
    char utf8[3 * ScriptTextSize];
    const char* text = TextToWrite(writer, script.text, utf8, sizeof utf8);
    if (text == nullptr) {
        writer->failed = true;
        return true;
    }
    size_t length = strlen(text);
    MakeRoom(writer, ScriptKeywordLength + length + 3);
    char* out = PutText(writeBuffer + writer->used, ScriptKeywordNames[script.kind]);
    if (length != 0) {
        *out++ = ' ';
        out = PutText(out, text);
    }
    writer->used = (size_t)(PutText(out, "\r\n") - writeBuffer);
    return true;
}

/* Window note lines and command texts are the texts a save writes. */
static void CheckWrittenTexts(Utf8Check* check, size_t count) {
    int32_t notes = 0;
    for (size_t i = 0; i < count && check->valid; i++) {
        int32_t note = WindowNoteAt(&notes, (int32_t)i);
        if (note >= 0) {
            char line[WindowNoteLineSize];
            int length = FormatWindowNoteLine(note, line, sizeof line);
            ContinueUtf8Check(check, line, (size_t)length);
        }
        int command = CommandWrittenAt((int32_t)i);
        if (command >= 0) {
            const char* text = GetScriptCommand(command).text;
            ContinueUtf8Check(check, text, strlen(text));
        }
        check->valid = Utf8CheckPassed(check);
    }
}

/* Texts go back as they were read. Texts read in the code page that
 * would, written as they are, read back as UTF-8 (bytes that happen to
 * form it) go as UTF-8 after a byte-order mark instead, so that reading
 * the saved script gives the same text. */
static int32_t EncodingToWrite(size_t count) {
    int32_t encoding = gRecording.textEncoding;
    if (encoding == TextUtf8 || encoding == TextUtf8Marked)
        return encoding;
    Utf8Check check;
    StartUtf8Check(&check);
    CheckWrittenTexts(&check, count);
    return Utf8CheckPassed(&check) && check.sawNonAscii ? TextUtf8Marked : TextAnsi;
}

/* A window note line, in the save's encoding like the commands. */
static void PutWindowNoteLine(ScriptWriter* writer, int32_t note) {
    char line[WindowNoteLineSize];
    FormatWindowNoteLine(note, line, sizeof line);
    char utf8[3 * WindowNoteLineSize];
    const char* text = TextToWrite(writer, line, utf8, sizeof utf8);
    if (text == nullptr) {
        writer->failed = true;
        return;
    }
    size_t length = strlen(text);
    MakeRoom(writer, length + 2);
    char* out = PutText(writeBuffer + writer->used, text);
    writer->used = (size_t)(PutText(out, "\r\n") - writeBuffer);
}

bool WriteTextScript(FILE* file, const char* path) {
    size_t count = EventCountToWrite();
    ScriptWriter writer = {file, 0, false, EncodingToWrite(count)};
    fseek(file, 0, SEEK_END);
    if (writer.encoding == TextUtf8Marked)
        writer.used = (size_t)(PutText(writeBuffer, "\xEF\xBB\xBF") - writeBuffer);
    PutHeader(&writer);
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

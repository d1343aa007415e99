/*
 * binary_window_notes.cpp: the window notes of a binary recording.
 *
 * A binary recording is a bare run of 20-byte records, and every version
 * of the program loads every record of the file as an event. The notes
 * therefore follow the events as records too, each with message 0: older
 * versions take them for placeholders without a command, which playback
 * skips without sending anything, and they stand after the end marker, so
 * nothing of the recording's timing changes. A file without notes is
 * exactly what it always was.
 *
 * The notes are a stream of bytes carried 16 to a record (in paramL,
 * paramH, time and hwnd), closed by a footer record that says what it is
 * and how many records belong to it, with a checksum of the stream:
 *
 *   footer   message 0, paramL "MrlW", paramH 1 (the form), time the
 *            number of records of the notes with the footer, hwnd the
 *            FNV-1a checksum of the stream's bytes
 *   stream   description count, note count (32-bit each); each
 *            description as its title, class and program, each ending in
 *            a zero byte; each note as anchor, description, hasRect, left,
 *            top, right, bottom (32-bit each); zeros to the record's end
 *
 * A file whose last record is not such a footer, or whose stream does not
 * add up, is loaded as events to its end, as before.
 */
#include "model/recording_files.h"

#include <cstring>

static const int32_t TrailerMagic = 0x576C724D; /* "MrlW" as the file's bytes */
static const int32_t TrailerForm = 1;
static const size_t RecordBytes = sizeof(EventRecord);
static const size_t PayloadBytes = 16;

static uint32_t AddToChecksum(uint32_t sum, const uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length; i++)
        sum = (sum ^ bytes[i]) * 16777619u;
    return sum;
}
static const uint32_t ChecksumStart = 2166136261u;

/* ---- Writing ---- */

struct TrailerWriter {
    FILE* file;
    uint8_t payload[PayloadBytes];
    size_t used;
    uint32_t records;
    uint32_t checksum;
    bool failed;
};

static void WriteRecord(TrailerWriter* writer, const EventRecord& record) {
    if (fwrite(&record, RecordBytes, 1, writer->file) != 1)
        writer->failed = true;
    writer->records++;
}

static void FlushPayload(TrailerWriter* writer) {
    if (writer->used == 0)
        return;
    memset(writer->payload + writer->used, 0, PayloadBytes - writer->used);
    writer->checksum = AddToChecksum(writer->checksum, writer->payload, PayloadBytes);
    EventRecord record = {0, 0, 0, 0, 0};
    memcpy(&record.paramL, writer->payload, PayloadBytes);
    WriteRecord(writer, record);
    writer->used = 0;
}

static void PutBytes(TrailerWriter* writer, const void* bytes, size_t length) {
    const uint8_t* from = (const uint8_t*)bytes;
    while (length > 0) {
        size_t part = PayloadBytes - writer->used;
        if (part > length)
            part = length;
        memcpy(writer->payload + writer->used, from, part);
        writer->used += part;
        from += part;
        length -= part;
        if (writer->used == PayloadBytes)
            FlushPayload(writer);
    }
}

static void PutNumber(TrailerWriter* writer, int32_t number) {
    PutBytes(writer, &number, sizeof number);
}

static void PutText(TrailerWriter* writer, const char* text) {
    PutBytes(writer, text, strlen(text) + 1);
}

/* The notes of events the file holds; the table is in anchor order. */
static int32_t NotesWithin(size_t eventCount) {
    int32_t notes = WindowNoteCount();
    while (notes > 0 && (size_t)gRecording.windows->anchors[notes - 1] >= eventCount)
        notes--;
    return notes;
}

static void PutNotes(TrailerWriter* writer, int32_t notes) {
    const WindowNoteTable* windows = gRecording.windows;
    PutNumber(writer, windows->descriptionCount);
    PutNumber(writer, notes);
    for (int32_t i = 0; i < windows->descriptionCount; i++) {
        PutText(writer, windows->descriptions[i].title);
        PutText(writer, windows->descriptions[i].className);
        PutText(writer, windows->descriptions[i].program);
    }
    for (int32_t i = 0; i < notes; i++) {
        const WindowNote& note = windows->notes[i];
        int32_t fields[7] = {windows->anchors[i], note.description, note.hasRect,    note.rect.left,
                             note.rect.top,       note.rect.right,  note.rect.bottom};
        PutBytes(writer, fields, sizeof fields);
    }
    FlushPayload(writer);
}

bool WriteWindowTrailer(FILE* file, size_t eventCount) {
    int32_t notes = NotesWithin(eventCount);
    if (notes == 0)
        return true;
    TrailerWriter writer = {file, {}, 0, 0, ChecksumStart, false};
    PutNotes(&writer, notes);
    EventRecord footer = {0, TrailerMagic, TrailerForm, writer.records + 1, writer.checksum};
    WriteRecord(&writer, footer);
    return !writer.failed;
}

/* ---- Reading ---- */

struct TrailerReader {
    FILE* file;
    uint32_t recordsLeft; /* payload records not yet read */
    uint8_t payload[PayloadBytes];
    size_t left; /* bytes of payload not yet taken */
    uint32_t checksum;
    bool failed;
};

static bool FillPayload(TrailerReader* reader) {
    EventRecord record;
    if (reader->recordsLeft == 0 || fread(&record, RecordBytes, 1, reader->file) != 1 ||
        record.message != 0)
        return false;
    reader->recordsLeft--;
    memcpy(reader->payload, &record.paramL, PayloadBytes);
    reader->checksum = AddToChecksum(reader->checksum, reader->payload, PayloadBytes);
    reader->left = PayloadBytes;
    return true;
}

static bool TakeByte(TrailerReader* reader, uint8_t* byte) {
    if (reader->left == 0 && !FillPayload(reader)) {
        reader->failed = true;
        return false;
    }
    *byte = reader->payload[PayloadBytes - reader->left--];
    return true;
}

static int32_t TakeNumber(TrailerReader* reader) {
    uint8_t bytes[4] = {0, 0, 0, 0};
    for (uint8_t& byte : bytes)
        TakeByte(reader, &byte);
    int32_t number;
    memcpy(&number, bytes, sizeof number);
    return number;
}

/* A text ends in a zero byte within its field; a longer one fails. */
static void TakeText(TrailerReader* reader, char* text, size_t size) {
    for (size_t i = 0; i < size; i++) {
        uint8_t byte = 0;
        if (!TakeByte(reader, &byte))
            return;
        text[i] = (char)byte;
        if (byte == 0)
            return;
    }
    text[size - 1] = '\0';
    reader->failed = true;
}

static void TakeDescriptions(TrailerReader* reader, int32_t count) {
    for (int32_t i = 0; i < count && !reader->failed; i++) {
        WindowDescription description;
        TakeText(reader, description.title, sizeof description.title);
        TakeText(reader, description.className, sizeof description.className);
        TakeText(reader, description.program, sizeof description.program);
        if (!reader->failed && AddWindowDescription(description.title, description.className,
                                                    description.program) != i)
            reader->failed = true; /* repeated descriptions: not written by this program */
    }
}

static void TakeNotes(TrailerReader* reader, int32_t count) {
    for (int32_t i = 0; i < count && !reader->failed; i++) {
        int32_t fields[7];
        for (int32_t& field : fields)
            field = TakeNumber(reader);
        NoteRect rect = {fields[3], fields[4], fields[5], fields[6]};
        if (!reader->failed &&
            (gRecording.windows->noteCount != i ||
             !AddWindowNote(fields[0], fields[1], fields[2] != 0 ? &rect : nullptr) ||
             gRecording.windows->noteCount != i + 1))
            reader->failed = true;
    }
}

/* The whole stream must be read, its padding zero, and its checksum
 * right; anything else keeps no notes. */
static bool TakeStream(TrailerReader* reader) {
    int32_t descriptions = TakeNumber(reader);
    int32_t notes = TakeNumber(reader);
    if (descriptions < 0 || descriptions > MaxWindowDescriptions || notes < 0 ||
        notes > MaxWindowNotes)
        return false;
    TakeDescriptions(reader, descriptions);
    TakeNotes(reader, notes);
    uint8_t byte = 0;
    while (!reader->failed && reader->left > 0) {
        TakeByte(reader, &byte);
        if (byte != 0)
            return false;
    }
    return !reader->failed && reader->recordsLeft == 0;
}

static bool ReadFooter(FILE* file, int64_t size, EventRecord* footer) {
    if (size < (int64_t)(2 * RecordBytes) || size % (int64_t)RecordBytes != 0 ||
        fseek(file, (long)(size - (int64_t)RecordBytes), SEEK_SET) != 0 ||
        fread(footer, RecordBytes, 1, file) != 1)
        return false;
    return footer->message == 0 && footer->paramL == TrailerMagic &&
           footer->paramH == TrailerForm && footer->time >= 2 &&
           (int64_t)footer->time * (int64_t)RecordBytes <= size;
}

int64_t ReadWindowTrailer(FILE* file, int64_t size) {
    EventRecord footer;
    /* A file too large for a seek is far larger than a list can hold. */
    bool found = size <= 0x7FFFFFFF && ReadFooter(file, size, &footer);
    int64_t eventBytes = found ? size - (int64_t)footer.time * (int64_t)RecordBytes : size;
    if (found && fseek(file, (long)eventBytes, SEEK_SET) != 0)
        found = false;
    if (found) {
        TrailerReader reader = {file, footer.time - 1, {}, 0, ChecksumStart, false};
        bool whole = TakeStream(&reader);
        found = reader.checksum == footer.hwnd;
        if (!whole || !found)
            ClearWindowNotes();
    }
    fseek(file, 0, SEEK_SET);
    return found ? eventBytes : size;
}

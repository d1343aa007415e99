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
 *
 * What notes know besides the window (its scale, its monitor, the control
 * a press went to) stands in a block of its own right before the notes,
 * in the same form with its own footer, so that a version that knows
 * only the notes still finds them at the end of the file and loads this
 * block as inert placeholders too:
 *
 *   footer   message 0, paramL "MrlL", paramH 1, time and hwnd as above
 *   stream   control description count, entry count; each control
 *            description as its class and label, each ending in a zero
 *            byte; each entry as the note's index (increasing), what it
 *            holds (1: a scale, 2: a monitor, 4: a control) and then, in
 *            that order, the dpi; left, top, right, bottom; description,
 *            id, place, x, y, width, height (32-bit each)
 *
 * A damaged block of these is loaded as events, as an older version
 * loads it, and the notes keep their windows only.
 */
#include "model/recording_files.h"

#include <cstring>

static const int32_t TrailerMagic = 0x576C724D; /* "MrlW" as the file's bytes */
static const int32_t LayoutMagic = 0x4C6C724D;  /* "MrlL" */
static const int32_t TrailerForm = 1;

enum : int32_t { HoldsScale = 1, HoldsMonitor = 2, HoldsControl = 4 };
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

static int32_t LayoutHeld(const WindowNote& note) {
    return (note.dpi > 0 ? HoldsScale : 0) | (note.hasMonitor ? HoldsMonitor : 0) |
           (note.hasControl ? HoldsControl : 0);
}

static int32_t NotesWithLayout(int32_t notes) {
    int32_t count = 0;
    for (int32_t i = 0; i < notes; i++)
        count += LayoutHeld(gRecording.windows->notes[i]) != 0 ? 1 : 0;
    return count;
}

static void PutLayoutEntry(TrailerWriter* writer, int32_t index, const WindowNote& note) {
    int32_t held = LayoutHeld(note);
    PutNumber(writer, index);
    PutNumber(writer, held);
    if (held & HoldsScale)
        PutNumber(writer, note.dpi);
    if (held & HoldsMonitor) {
        int32_t monitor[4] = {note.monitor.left, note.monitor.top, note.monitor.right,
                              note.monitor.bottom};
        PutBytes(writer, monitor, sizeof monitor);
    }
    if (held & HoldsControl) {
        const NoteControl& control = note.control;
        int32_t fields[7] = {control.description, control.id,    control.place, control.x,
                             control.y,           control.width, control.height};
        PutBytes(writer, fields, sizeof fields);
    }
}

static void PutLayout(TrailerWriter* writer, int32_t notes, int32_t entries) {
    const WindowNoteTable* windows = gRecording.windows;
    PutNumber(writer, windows->controlCount);
    PutNumber(writer, entries);
    for (int32_t i = 0; i < windows->controlCount; i++) {
        PutText(writer, windows->controls[i].className);
        PutText(writer, windows->controls[i].text);
    }
    for (int32_t i = 0; i < notes; i++) {
        if (LayoutHeld(windows->notes[i]) != 0)
            PutLayoutEntry(writer, i, windows->notes[i]);
    }
    FlushPayload(writer);
}

/* One block: its stream, then its footer. */
static bool WriteBlock(FILE* file, int32_t magic, int32_t notes, int32_t entries) {
    TrailerWriter writer = {file, {}, 0, 0, ChecksumStart, false};
    if (magic == LayoutMagic)
        PutLayout(&writer, notes, entries);
    else
        PutNotes(&writer, notes);
    EventRecord footer = {0, magic, TrailerForm, writer.records + 1, writer.checksum};
    WriteRecord(&writer, footer);
    return !writer.failed;
}

bool WriteWindowTrailer(FILE* file, size_t eventCount) {
    int32_t notes = NotesWithin(eventCount);
    if (notes == 0)
        return true;
    int32_t entries = NotesWithLayout(notes);
    return (entries == 0 || WriteBlock(file, LayoutMagic, notes, entries)) &&
           WriteBlock(file, TrailerMagic, notes, 0);
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
/* What follows a block is zero padding to the end of its records, and
 * every record is taken. */
static bool TakeEnd(TrailerReader* reader) {
    uint8_t byte = 0;
    while (!reader->failed && reader->left > 0) {
        TakeByte(reader, &byte);
        if (byte != 0)
            return false;
    }
    return !reader->failed && reader->recordsLeft == 0;
}

static bool TakeStream(TrailerReader* reader) {
    int32_t descriptions = TakeNumber(reader);
    int32_t notes = TakeNumber(reader);
    if (descriptions < 0 || descriptions > MaxWindowDescriptions || notes < 0 ||
        notes > MaxWindowNotes)
        return false;
    TakeDescriptions(reader, descriptions);
    TakeNotes(reader, notes);
    return TakeEnd(reader);
}

/* ---- Reading what notes know besides the window ---- */

static void TakeControlDescriptions(TrailerReader* reader, int32_t count) {
    for (int32_t i = 0; i < count && !reader->failed; i++) {
        ControlDescription description;
        TakeText(reader, description.className, sizeof description.className);
        TakeText(reader, description.text, sizeof description.text);
        if (!reader->failed && AddControlDescription(description.className, description.text) != i)
            reader->failed = true; /* repeated or cut: not written by this program */
    }
}

static bool ControlIsSound(const NoteControl& control, int32_t descriptions) {
    return control.description >= 0 && control.description < descriptions && control.place >= -1 &&
           control.x >= -1 && control.y >= -1 && control.width >= 0 && control.height >= 0;
}

/* An entry names a later note than the one before, and holds only what
 * this program writes. */
static void TakeLayoutEntry(TrailerReader* reader, int32_t* lastIndex) {
    int32_t index = TakeNumber(reader);
    int32_t held = TakeNumber(reader);
    int32_t dpi = (held & HoldsScale) ? TakeNumber(reader) : 0;
    int32_t monitor[4] = {0, 0, 0, 0};
    int32_t control[7] = {0, 0, -1, -1, -1, 0, 0};
    if (held & HoldsMonitor) {
        for (int32_t& field : monitor)
            field = TakeNumber(reader);
    }
    if (held & HoldsControl) {
        for (int32_t& field : control)
            field = TakeNumber(reader);
    }
    NoteRect monitorRect = {monitor[0], monitor[1], monitor[2], monitor[3]};
    NoteControl noted = {control[0], control[1], control[2], control[3],
                         control[4], control[5], control[6]};
    bool sound =
        !reader->failed && index > *lastIndex && index < WindowNoteCount() && held > 0 &&
        (held & ~(HoldsScale | HoldsMonitor | HoldsControl)) == 0 &&
        ((held & HoldsScale) == 0 || (dpi > 0 && dpi < 10000)) &&
        ((held & HoldsControl) == 0 || ControlIsSound(noted, gRecording.windows->controlCount));
    if (!sound || !SetNoteScale(index, dpi, (held & HoldsMonitor) ? &monitorRect : nullptr) ||
        !SetNoteControl(index, (held & HoldsControl) ? &noted : nullptr))
        reader->failed = true;
    *lastIndex = index;
}

static bool TakeLayoutStream(TrailerReader* reader) {
    int32_t descriptions = TakeNumber(reader);
    int32_t entries = TakeNumber(reader);
    if (descriptions < 0 || descriptions > MaxControlDescriptions || entries < 0 ||
        entries > WindowNoteCount())
        return false;
    TakeControlDescriptions(reader, descriptions);
    int32_t lastIndex = -1;
    for (int32_t i = 0; i < entries && !reader->failed; i++)
        TakeLayoutEntry(reader, &lastIndex);
    return TakeEnd(reader);
}

/* Every note keeps its window alone unless the block is whole. */
static void ForgetLayouts(void) {
    for (int32_t i = 0; i < WindowNoteCount(); i++) {
        SetNoteScale(i, 0, nullptr);
        SetNoteControl(i, nullptr);
    }
    gRecording.windows->controlCount = 0;
}

static bool ReadFooter(FILE* file, int64_t end, int32_t magic, EventRecord* footer) {
    if (end < (int64_t)(2 * RecordBytes) || end % (int64_t)RecordBytes != 0 ||
        fseek(file, (long)(end - (int64_t)RecordBytes), SEEK_SET) != 0 ||
        fread(footer, RecordBytes, 1, file) != 1)
        return false;
    return footer->message == 0 && footer->paramL == magic && footer->paramH == TrailerForm &&
           footer->time >= 2 && (int64_t)footer->time * (int64_t)RecordBytes <= end;
}

/* Reads the block whose footer is the last record before end; returns
 * where the block begins, or end when there is none or its checksum is
 * wrong. What it read is forgotten unless the block is whole and right. */
static int64_t ReadBlock(FILE* file, int64_t end, int32_t magic) {
    EventRecord footer;
    if (!ReadFooter(file, end, magic, &footer))
        return end;
    int64_t begin = end - (int64_t)footer.time * (int64_t)RecordBytes;
    if (fseek(file, (long)begin, SEEK_SET) != 0)
        return end;
    TrailerReader reader = {file, footer.time - 1, {}, 0, ChecksumStart, false};
    bool whole = magic == LayoutMagic ? TakeLayoutStream(&reader) : TakeStream(&reader);
    bool right = reader.checksum == footer.hwnd;
    if (whole && right)
        return begin;
    if (magic == LayoutMagic)
        ForgetLayouts();
    else
        ClearWindowNotes();
    return right ? begin : end;
}

int64_t ReadWindowTrailer(FILE* file, int64_t size) {
    /* A file too large for a seek is far larger than a list can hold. */
    int64_t eventBytes = size <= 0x7FFFFFFF ? ReadBlock(file, size, TrailerMagic) : size;
    if (eventBytes < size)
        eventBytes = ReadBlock(file, eventBytes, LayoutMagic);
    fseek(file, 0, SEEK_SET);
    return eventBytes;
}

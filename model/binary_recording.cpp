/*
 * binary_recording.cpp: the compact recording: the event list as it lies
 * in memory, one 20-byte record of five little-endian 32-bit fields per
 * event, with nothing before, between or after the records.
 *
 * EventRecord has exactly that layout on the little-endian machines the
 * program runs on, so records go between the file and the fixed list in
 * one transfer each way, hwnd and placeholders included. The window notes
 * of the events follow them (binary_window_notes.cpp).
 */
#include "model/recording_files.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "binary recordings are little-endian, as EventRecord is in memory"
#endif

static const int64_t RecordBytes = (int64_t)sizeof(EventRecord);

/* Reads the records the file's size calls for, at most MaxLoadedEvents;
 * the rest of a longer file is not read, and the outcome says so. A short
 * last record, or a file that ends early, fails the load; what was read
 * stays in the list, outside its valid range. */
LoadOutcome ReadBinaryRecords(FILE* file, int64_t size, LoadProgress* progress) {
    int64_t eventBytes = ReadWindowTrailer(file, size);
    progress->records = (eventBytes + RecordBytes - 1) / RecordBytes;
    int64_t records = progress->records < MaxLoadedEvents ? progress->records : MaxLoadedEvents;
    size_t wanted = (size_t)(records * RecordBytes);
    progress->filledBytes = fread(gRecording.events, 1, wanted, file);
    if (progress->filledBytes != wanted)
        return LoadReadFailed;
    progress->positions = (int32_t)records;
    DropWindowNotesFrom((int32_t)records);
    return progress->records > MaxLoadedEvents ? LoadTooManyEvents : LoadOk;
}

bool WriteBinaryRecording(FILE* file, const char* path) {
    size_t count = EventCountToWrite();
    fseek(file, 0, SEEK_END);
    if (fwrite(gRecording.events, sizeof(EventRecord), count, file) != count ||
        !WriteWindowTrailer(file, count) || fflush(file) != 0) {
        FailSave(file, path);
        return false;
    }
    return true;
}

/*
 * recording_files.cpp: loading a recording, the part common to both
 * formats: the checks before the file is opened, emptying the list, and
 * every message a load can end with.
 *
 * A load either succeeds or shows exactly one message and returns -1.
 * Messages about the file itself (missing, empty, unreadable) and about an
 * unknown command can be held back by the caller; the ones that point at a
 * malformed event line, and the too-many-commands notice, are always
 * shown, because the user has to fix the script.
 */
#include "model/recording_files.h"

#include <cstring>

#include "log/log.h"
#include "platform/platform.h"

static const uint32_t WarningBox = BoxOk | BoxIconWarning | BoxTaskModal;
static const uint32_t ErrorBox = BoxOk | BoxIconError | BoxTaskModal;

/* Room for a message or log line built around a path and a script line
 * (each at most 1,023 characters); longer ones are cut, never overrun. */
static const size_t MessageSize = 2 * ScriptTextSize + 128;

static void ShowAboutPath(const char* format, const char* path) {
    char text[MessageSize];
    snprintf(text, sizeof text, format, path);
    ShowMessageBox(text, "Error", WarningBox);
}

static void ReportUnopenable(const char* path) {
    ShowAboutPath("Unable to open file '%s'!", path);
}

/* The caption of the unknown-command box and the log line show the line
 * without its end characters. */
static void CutAtLineEnd(const char* line, char* cut, size_t size) {
    snprintf(cut, size, "%s", line);
    cut[strcspn(cut, "\n")] = '\0';
    cut[strcspn(cut, "\r")] = '\0';
}

static void ReportUnknownCommand(const char* path, const char* line, bool reportErrors) {
    char cut[ScriptTextSize];
    CutAtLineEnd(line, cut, sizeof cut);
    if (reportErrors)
        ShowMessageBox("Unknown or incorrectly formatted command!", cut, WarningBox);
    if (LogLevelAtLeast(LogLow)) {
        char text[MessageSize];
        snprintf(text, sizeof text,
                 "ERROR: Unknown or incorrectly formatted command in '%s': \"%s\"", path, cut);
        WriteLogLine(text);
    }
}

static void ReportTooManyCommands(const char* line) {
    char text[128];
    snprintf(text, sizeof text,
             "Too many script commands!\n\nThe maximum number of script commands is %d",
             MaxLoadedCommands);
    ShowMessageBox(text, line, WarningBox);
}

static void ReportFailure(LoadOutcome outcome, const char* path, const char* line,
                          bool reportErrors) {
    switch (outcome) {
    case LoadReadFailed:
        if (reportErrors)
            ReportUnopenable(path);
        break;
    case LoadMissingParamH:
        ShowMessageBox("Improperly formatted EVENT command (missing paramH)", line, WarningBox);
        break;
    case LoadMissingParamL:
        ShowMessageBox("Improperly formatted EVENT command (missing paramL)", line, WarningBox);
        break;
    case LoadUnknownCommand:
        ReportUnknownCommand(path, line, reportErrors);
        break;
    case LoadBadWindowLine:
        ShowMessageBox("Improperly formatted window line", line, WarningBox);
        break;
    default:
        break;
    }
}

static bool IsFailure(LoadOutcome outcome) {
    return outcome != LoadOk && outcome != LoadTooManyCommands;
}

/* The checks before the file is opened leave the recording as it was. */
static FILE* OpenForLoad(const char* path, bool reportErrors, int64_t* size) {
    if (path == nullptr || path[0] == '\0') {
        ShowMessageBox("Internal error while loading Mirlow file!\n\n(This should never occur)",
                       "Internal Error", ErrorBox);
        return nullptr;
    }
    *size = PlatformFileSize(path);
    if (*size < 1) {
        if (reportErrors)
            ShowAboutPath("Unable to open file %s!", path);
        return nullptr;
    }
    FILE* file = fopen(path, "rb");
    if (file == nullptr && reportErrors)
        ReportUnopenable(path);
    return file;
}

static void ZeroEventsFrom(size_t filledBytes) {
    const size_t listBytes = sizeof(EventRecord) * MaxEvents;
    memset((char*)gRecording.events + filledBytes, 0, listBytes - filledBytes);
}

static int LoadFile(const char* path, bool reportErrors) {
    int64_t size = 0;
    FILE* file = OpenForLoad(path, reportErrors, &size);
    if (file == nullptr)
        return -1;

    gRecording.eventCount = 0;
    ClearWindowNotes();
    bool binary = IsBinaryRecordingPath(path);
    LoadProgress progress = {0, 0, 0, "", -1, false, NoteRect{0, 0, 0, 0}};
    LoadOutcome outcome =
        binary ? ReadBinaryRecords(file, size, &progress) : ReadTextScript(file, size, &progress);
    fclose(file);
    ZeroEventsFrom(progress.filledBytes);

    if (IsFailure(outcome)) {
        /* The slots the failed load reached hold part of the new file's
         * commands; a table that describes neither file is dropped. */
        gRecording.commandCount = 0;
        ClearWindowNotes();
        ReportFailure(outcome, path, progress.line, reportErrors);
        return -1;
    }
    if (outcome == LoadTooManyCommands)
        ReportTooManyCommands(progress.line);
    gRecording.eventCount = progress.positions;
    gRecording.commandCount = progress.commands;
    return progress.commands;
}

void ReportSaveFailure(const char* path) {
    ShowAboutPath("Unable to save file '%s'!", path);
}

/* While the file is read, the log keeps out of it, even when the log file
 * is named the same. */
int LoadRecording(const char* path, bool reportErrors) {
    SetRecordingBeingLoaded(path);
    int result = LoadFile(path, reportErrors);
    SetRecordingBeingLoaded(nullptr);
    return result;
}

void FailSave(FILE* file, const char* path) {
    fclose(file);
    ReportSaveFailure(path);
}

size_t EventCountToWrite(void) {
    int32_t count = gRecording.eventCount;
    if (count < 0)
        return 0;
    return (size_t)(count < MaxEvents ? count : MaxEvents);
}

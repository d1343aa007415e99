/*
 * recording_files.cpp: loading a recording, the part common to both
 * formats: the checks before the file is opened, emptying the list, and
 * every message a load can end with.
 *
 * A load either succeeds or shows exactly one message and returns -1.
 * Messages about the file itself (missing, empty, unreadable) and about an
 * unknown command can be held back by the caller; the ones that point at a
 * malformed event line or a character the code page cannot hold, and the
 * notices of a load cut at a limit, are always shown, because the user
 * has to fix the script. A load cut at a limit keeps what it read, says
 * in the log from where on the file was not loaded, and is remembered
 * (LastLoadWasCut), so that an unattended run can say it played only part.
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

static bool lastLoadWasCut;

bool LastLoadWasCut(void) {
    return lastLoadWasCut;
}

static void ReportTooManyCommands(const char* path, const LoadProgress& progress) {
    char text[128];
    snprintf(text, sizeof text,
             "Too many script commands!\n\nThe maximum number of script commands is %d",
             MaxLoadedCommands);
    ShowMessageBox(text, progress.line, WarningBox);
    LogPrintf(LogLow,
              "ERROR: '%s' holds more than %d script commands: line %d and everything after it "
              "were not loaded",
              path, MaxLoadedCommands, (int)progress.lineNumber);
}

static void ReportTooManyRecords(const char* path, const LoadProgress& progress) {
    long long unread = (long long)progress.records - MaxLoadedEvents;
    char text[MessageSize];
    snprintf(text, sizeof text,
             "Too many events!\n\nA recording holds at most %d events: the last %lld of the "
             "file's %lld records were not loaded.",
             MaxLoadedEvents, unread, (long long)progress.records);
    ShowMessageBox(text, path, WarningBox);
    LogPrintf(LogLow, "ERROR: '%s' holds %lld records, more than %d: the last %lld were not loaded",
              path, (long long)progress.records, MaxLoadedEvents, unread);
}

static void ReportTooManyEvents(const char* path, const LoadProgress& progress) {
    char cut[ScriptTextSize];
    CutAtLineEnd(progress.line, cut, sizeof cut);
    char text[MessageSize];
    snprintf(text, sizeof text,
             "Too many events!\n\nA recording holds at most %d events, each script command "
             "counting as one: line %d and everything after it were not loaded.",
             MaxLoadedEvents, (int)progress.lineNumber);
    ShowMessageBox(text, cut, WarningBox);
    LogPrintf(LogLow,
              "ERROR: '%s' holds more than %d events and script commands: line %d and "
              "everything after it were not loaded",
              path, MaxLoadedEvents, (int)progress.lineNumber);
}

/* The program's text is in the code page; a character it has no byte for
 * would be typed, or looked for in window titles, as another one. */
static void ReportUnheldCharacter(const char* path, const LoadProgress& progress) {
    char text[MessageSize];
    snprintf(text, sizeof text,
             "Unable to load the script '%s'!\n\nLine %d holds the character U+%04X, which "
             "the system's code page for non-Unicode programs does not have.",
             path, (int)progress.lineNumber, (unsigned)progress.unheldCharacter);
    ShowMessageBox(text, "Error", WarningBox);
    LogPrintf(LogLow,
              "ERROR: Line %d of '%s' holds the character U+%04X, which the system's ANSI code "
              "page cannot hold: the script was not loaded",
              (int)progress.lineNumber, path, (unsigned)progress.unheldCharacter);
}

static void ReportFailure(LoadOutcome outcome, const char* path, const LoadProgress& progress,
                          bool reportErrors) {
    const char* line = progress.line;
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
    case LoadUnheldCharacter:
        ReportUnheldCharacter(path, progress);
        break;
    case LoadBadWindowLine:
        ShowMessageBox("Improperly formatted window line", line, WarningBox);
        break;
    default:
        break;
    }
}

static bool IsCut(LoadOutcome outcome) {
    return outcome == LoadTooManyCommands || outcome == LoadTooManyEvents;
}

static bool IsFailure(LoadOutcome outcome) {
    return outcome != LoadOk && !IsCut(outcome);
}

static void ReportCut(LoadOutcome outcome, const char* path, const LoadProgress& progress,
                      bool binary) {
    if (outcome == LoadTooManyCommands)
        ReportTooManyCommands(path, progress);
    else if (binary)
        ReportTooManyRecords(path, progress);
    else
        ReportTooManyEvents(path, progress);
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
    lastLoadWasCut = false;
    int64_t size = 0;
    FILE* file = OpenForLoad(path, reportErrors, &size);
    if (file == nullptr)
        return -1;

    gRecording.eventCount = 0;
    gRecording.textEncoding = TextAnsi;
    ClearWindowNotes();
    bool binary = IsBinaryRecordingPath(path);
    LoadProgress progress = {
        0, 0, 0, "", 1, 0, 0, TextAnsi, -1, false, NoteRect{0, 0, 0, 0}, NoteLayoutFields()};
    LoadOutcome outcome =
        binary ? ReadBinaryRecords(file, size, &progress) : ReadTextScript(file, size, &progress);
    fclose(file);
    ZeroEventsFrom(progress.filledBytes);

    if (IsFailure(outcome)) {
        /* The slots the failed load reached hold part of the new file's
         * commands; a table that describes neither file is dropped. */
        gRecording.commandCount = 0;
        ClearWindowNotes();
        ReportFailure(outcome, path, progress, reportErrors);
        return -1;
    }
    lastLoadWasCut = IsCut(outcome);
    if (lastLoadWasCut)
        ReportCut(outcome, path, progress, binary);
    gRecording.eventCount = progress.positions;
    gRecording.commandCount = progress.commands;
    gRecording.textEncoding = progress.textEncoding;
    return progress.commands;
}

void ReportSaveFailure(const char* path) {
    ShowAboutPath("Unable to save file '%s'!", path);
}

void ReportSaveFailureBecause(const char* path, const char* reason) {
    ReportSaveFailureWhere(path, reason, "");
}

void ReportSaveFailureWhere(const char* path, const char* reason, const char* where) {
    char text[MessageSize];
    snprintf(text, sizeof text, "Unable to save file '%s'!\n\nWindows says: %s%s%s", path, reason,
             where[0] != '\0' ? "\n\n" : "", where);
    ShowMessageBox(text, "Error", WarningBox);
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

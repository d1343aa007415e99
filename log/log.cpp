/*
 * log.cpp: the diagnostic log, appended one line at a time to the file
 * that the Logfile setting names.
 *
 * No handle stays open between lines and nothing is buffered across them:
 * every line costs an open and a close, which is why the HIGH level warns
 * that it could affect performance. Nothing here reports a failure; a log
 * that can't be written must never stop a recording or a playback.
 *
 * The log never writes into, nor erases, the recording in use: the open
 * document, a file being loaded, and at start-up the file that Reload is
 * about to reopen. When Logfile names one of them, the lines go instead to
 * the same path with ".log" added, whose first line says why, and the
 * start-up erase clears that file rather than the recording. Names compare
 * as the platform compares them (PlatformSameFile).
 */
#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

/* What the log follows, until start-up connects it: a log switched off,
 * without a file, and the untitled document. */
static const int32_t NoLevel = LogOff;

static struct {
    const int32_t* level;
    const char* logfile;
    const char* document;
} follows = {&NoLevel, "", ""};

void ConnectLog(const int32_t* level, const char* logfile, const char* document) {
    follows.level = level;
    follows.logfile = logfile;
    follows.document = document;
}

bool LogLevelAtLeast(LogLevel level) {
    return *follows.level >= (int)level;
}

/* ---- Keeping the log out of the recording ---- */

static const char* const RedirectSuffix = ".log";

/* The file being loaded, for as long as the load runs. */
static char recordingBeingLoaded[MaxPathLength + 1];

void SetRecordingBeingLoaded(const char* path) {
    snprintf(recordingBeingLoaded, sizeof recordingBeingLoaded, "%s", path != nullptr ? path : "");
}

static bool LogfileIs(const char* recording) {
    return recording[0] != '\0' && PlatformSameFile(follows.logfile, recording);
}

/* Where the lines go, decided again only when the log's path or the
 * recording in use changes, so a line costs a path comparison only then. */
struct LogTarget {
    char logfile[LogPathSize];
    char document[MaxPathLength + 1];
    char loading[MaxPathLength + 1];
    bool decided;
    bool redirected;
    bool told; /* the redirected file has been told why */
    char path[LogPathSize + 8];
};
static LogTarget target;

static bool TargetIsCurrent(void) {
    return target.decided && strcmp(target.logfile, follows.logfile) == 0 &&
           strcmp(target.document, follows.document) == 0 &&
           strcmp(target.loading, recordingBeingLoaded) == 0;
}

static void RedirectedPath(char* path, size_t size) {
    int length = snprintf(path, size, "%s%s", follows.logfile, RedirectSuffix);
    if (length < 0 || (size_t)length > (size_t)MaxPathLength)
        path[0] = '\0'; /* no such file can be had: the lines are dropped */
}

static void DecideTarget(void) {
    bool redirected = LogfileIs(follows.document) || LogfileIs(recordingBeingLoaded);
    if (!redirected || !target.redirected || strcmp(target.logfile, follows.logfile) != 0)
        target.told = false;
    snprintf(target.logfile, sizeof target.logfile, "%s", follows.logfile);
    snprintf(target.document, sizeof target.document, "%s", follows.document);
    snprintf(target.loading, sizeof target.loading, "%s", recordingBeingLoaded);
    target.decided = true;
    target.redirected = redirected;
    if (redirected)
        RedirectedPath(target.path, sizeof target.path);
    else
        snprintf(target.path, sizeof target.path, "%s", follows.logfile);
}

static const char* TargetPath(void) {
    if (!TargetIsCurrent())
        DecideTarget();
    return target.path;
}

/* ---- Writing ---- */

static void AppendTo(const char* path, const char* line, size_t length) {
    FILE* file = PlatformOpenForAppend(path);
    if (file == nullptr)
        return;
    fwrite(line, 1, length, file);
    fwrite("\r\n", 1, 2, file);
    fclose(file);
}

static void TellWhyRedirected(const char* path) {
    char line[LogLineSize];
    snprintf(line, sizeof line,
             "The log file '%s' is the recording in use: it is left alone and this file takes "
             "the log",
             follows.logfile);
    AppendTo(path, line, strlen(line));
    target.told = true;
}

static void AppendLine(const char* line, size_t length) {
    const char* path = TargetPath();
    if (path[0] == '\0')
        return;
    if (target.redirected && !target.told)
        TellWhyRedirected(path);
    AppendTo(path, line, length);
}

void WriteLogLine(const char* text) {
    size_t length = strnlen(text, (size_t)LogLineSize - 1);
    AppendLine(text, length);
}

/* A line longer than the buffer (a script command's text can be 1,023
 * characters) is cut to fit. */
static void AppendFormatted(const char* format, va_list arguments) {
    char line[LogLineSize];
    if (vsnprintf(line, sizeof line, format, arguments) < 0)
        return;
    AppendLine(line, strlen(line));
}

void WriteLogLineFormat(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AppendFormatted(format, arguments);
    va_end(arguments);
}

bool LogLevelIs(LogLevel level) {
    return *follows.level == (int)level;
}

void LogPrintf(LogLevel level, const char* format, ...) {
    if (!LogLevelAtLeast(level))
        return;
    va_list arguments;
    va_start(arguments, format);
    AppendFormatted(format, arguments);
    va_end(arguments);
}

/* ---- Erasing at start-up ---- */

/* The erase clears what the log would write to, which is the redirected
 * file when the log names the recording in use. */
void EraseLogFile(const char* reopened) {
    if (reopened == nullptr || !LogfileIs(reopened)) {
        PlatformDeletePlainFile(TargetPath());
        return;
    }
    char path[LogPathSize + 8];
    RedirectedPath(path, sizeof path);
    if (path[0] != '\0')
        PlatformDeletePlainFile(path);
}

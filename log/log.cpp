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
 *
 * Where the log's file cannot be opened (a standard user cannot create the
 * default C:\Mirlow.log), the lines go to Mirlow\Mirlow.log in the user's
 * local application data folder instead, whose first line of the run says
 * why. The setting itself is left as the user stored it.
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

static void ForgetTarget(void);

/* Where the lines went before is decided afresh. */
void ConnectLog(const int32_t* level, const char* logfile, const char* document) {
    follows.level = level;
    follows.logfile = logfile;
    follows.document = document;
    ForgetTarget();
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
    /* The user's own folder takes the lines the path cannot (a standard
     * user cannot create the default C:\Mirlow.log). */
    bool fellBack;
    bool toldFallback;
    char fallback[MaxPathLength + 1];
};
static LogTarget target;

static void ForgetTarget(void) {
    memset(&target, 0, sizeof target);
}

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

/* A fall-back stays while the lines would go to the same file. */
static void DecideTarget(void) {
    bool redirected = LogfileIs(follows.document) || LogfileIs(recordingBeingLoaded);
    if (!redirected || !target.redirected || strcmp(target.logfile, follows.logfile) != 0)
        target.told = false;
    snprintf(target.logfile, sizeof target.logfile, "%s", follows.logfile);
    snprintf(target.document, sizeof target.document, "%s", follows.document);
    snprintf(target.loading, sizeof target.loading, "%s", recordingBeingLoaded);
    target.decided = true;
    target.redirected = redirected;
    char path[sizeof target.path];
    if (redirected)
        RedirectedPath(path, sizeof path);
    else
        snprintf(path, sizeof path, "%s", follows.logfile);
    if (strcmp(path, target.path) != 0)
        target.fellBack = target.toldFallback = false;
    strcpy(target.path, path);
}

static const char* TargetPath(void) {
    if (!TargetIsCurrent())
        DecideTarget();
    return target.path;
}

/* ---- Falling back on the user's own folder ---- */

static const char* const FallbackFolder = "Mirlow";
static const char* const FallbackName = "Mirlow.log";

static bool FallbackPath(char* path, int size) {
    return PlatformLocalAppDataFile(FallbackFolder, FallbackName, path, size) > 0;
}

/* ---- Writing ---- */

static void WriteTo(FILE* file, const char* line, size_t length) {
    fwrite(line, 1, length, file);
    fwrite("\r\n", 1, 2, file);
}

/* The file the lines go to, opened; where the log's own file cannot be
 * opened, the one in the user's folder, which says first why it took the
 * log. Null when neither can be. */
static FILE* OpenTarget(void) {
    const char* path = TargetPath();
    if (path[0] == '\0')
        return nullptr;
    if (!target.fellBack) {
        FILE* file = PlatformOpenForAppend(path);
        if (file != nullptr || !FallbackPath(target.fallback, sizeof target.fallback))
            return file;
        target.fellBack = true;
    }
    FILE* file = PlatformOpenForAppend(target.fallback);
    if (file != nullptr && !target.toldFallback) {
        char line[LogLineSize];
        snprintf(line, sizeof line, "The log file '%s' cannot be written: this file takes the log",
                 path);
        WriteTo(file, line, strlen(line));
        target.toldFallback = true;
    }
    return file;
}

static void TellWhyRedirected(FILE* file) {
    char line[LogLineSize];
    snprintf(line, sizeof line,
             "The log file '%s' is the recording in use: it is left alone and this file takes "
             "the log",
             follows.logfile);
    WriteTo(file, line, strlen(line));
    target.told = true;
}

static void AppendLine(const char* line, size_t length) {
    FILE* file = OpenTarget();
    if (file == nullptr)
        return;
    if (target.redirected && !target.told)
        TellWhyRedirected(file);
    WriteTo(file, line, length);
    fclose(file);
}

/* The fall-back counts once this run's lines have gone there, or when the
 * log's own file holds nothing while the fall-back holds lines of an
 * earlier run. */
void LogFileInUse(char* path, int size) {
    const char* own = TargetPath();
    char fallback[MaxPathLength + 1];
    bool fallbackHolds = target.fellBack || (own[0] != '\0' && PlatformFileSize(own) == 0 &&
                                             FallbackPath(fallback, sizeof fallback) &&
                                             PlatformFileSize(fallback) > 0);
    if (!fallbackHolds)
        snprintf(path, (size_t)size, "%s", own);
    else
        snprintf(path, (size_t)size, "%s", target.fellBack ? target.fallback : fallback);
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

void LogRunStart(const char* run, const char* programVersion) {
    if (!LogLevelAtLeast(LogLow))
        return;
    PlatformVersionInfo version;
    PlatformGetVersion(&version);
    LogPrintf(
        LogLow,
        "\r\nStarting %s with Mirlow %s on Windows Platform %li Version %li.%li Build #%li....",
        run, programVersion, version.platformId, version.majorVersion, version.minorVersion,
        version.buildNumber);
}

/* ---- Erasing at start-up ---- */

/* The erase clears what the log would write to, which is the redirected
 * file when the log names the recording in use, and the file in the
 * user's folder that takes the lines the log's own file cannot. */
void EraseLogFile(const char* reopened) {
    char fallback[MaxPathLength + 1];
    if (FallbackPath(fallback, sizeof fallback))
        PlatformDeletePlainFile(fallback);
    if (reopened == nullptr || !LogfileIs(reopened)) {
        PlatformDeletePlainFile(TargetPath());
        return;
    }
    char path[LogPathSize + 8];
    RedirectedPath(path, sizeof path);
    if (path[0] != '\0')
        PlatformDeletePlainFile(path);
}

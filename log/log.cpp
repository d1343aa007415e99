/*
 * log.cpp: the diagnostic log, appended one line at a time to the file
 * that the Logfile setting names.
 *
 * No handle stays open between lines and nothing is buffered across them:
 * every line costs an open and a close, which is why the HIGH level warns
 * that it could affect performance. Nothing here reports a failure; a log
 * that can't be written must never stop a recording or a playback.
 */
#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "settings/settings.h"

bool LogLevelAtLeast(LogLevel level) {
    return gSettings.log >= (int)level;
}

static void AppendLine(const char* line, size_t length) {
    FILE* file = fopen(gSettings.logfile, "ab");
    if (file == nullptr)
        return;
    fwrite(line, 1, length, file);
    fwrite("\r\n", 1, 2, file);
    fclose(file);
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
    return gSettings.log == (int)level;
}

void LogPrintf(LogLevel level, const char* format, ...) {
    if (!LogLevelAtLeast(level))
        return;
    va_list arguments;
    va_start(arguments, format);
    AppendFormatted(format, arguments);
    va_end(arguments);
}

void EraseLogFile(void) {
    remove(gSettings.logfile);
}

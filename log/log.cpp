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

void WriteLogLineFormat(const char* format, ...) {
    char line[LogLineSize];
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    AppendLine(line, strlen(line));
}

void EraseLogFile(void) {
    remove(gSettings.logfile);
}

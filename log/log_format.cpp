/*
 * log_format.cpp: formatting of log lines. A line is built in a fixed
 * 256-byte buffer; a longer line (a script command's text can be 1,023
 * characters) is cut to fit.
 */
#include <cstdarg>
#include <cstdio>

#include "log/log.h"
#include "settings/settings.h"

static const int LineBufferSize = 256;

bool LogLevelIs(LogLevel level) {
    return gSettings.log == (int)level;
}

void LogPrintf(LogLevel level, const char* format, ...) {
    if (!LogLevelAtLeast(level))
        return;
    char line[LineBufferSize];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    WriteLogLine(line);
}

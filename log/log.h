/*
 * log.h: the diagnostic log.
 *
 * One line is appended at a time to the file that the Logfile setting
 * names. Callers test the level themselves before they build a line, so a
 * log switched off costs nothing.
 */
#ifndef MIRLOW_LOG_H
#define MIRLOW_LOG_H

enum LogLevel { LogOff = 0, LogLow = 1, LogMedium = 2, LogHigh = 3 };

/* True when lines of the given level are to be written. */
bool LogLevelAtLeast(LogLevel level);

/* True when the level is exactly the given one (one playback line is
 * written only at MEDIUM, not at HIGH). */
bool LogLevelIs(LogLevel level);

/* Appends text and a line end to the log file. */
void WriteLogLine(const char* text);

/* Formats a line (printf-style; cut to the 255 characters the line buffer
 * holds, never overrun) and appends it when the log level is at least
 * level. */
void LogPrintf(LogLevel level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

#endif

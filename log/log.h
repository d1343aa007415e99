/*
 * log.h: the diagnostic log, and the message boxes, which fall back on it
 * where nobody can see them.
 *
 * One line is appended at a time to the file that the Logfile setting
 * names. Callers test the level themselves before they build a line, so a
 * log switched off costs nothing. The level is not checked for range: a
 * stored level above HIGH logs what HIGH logs, one below OFF logs nothing.
 */
#ifndef MIRLOW_LOG_H
#define MIRLOW_LOG_H

#include <cstdint>

enum LogLevel { LogOff = 0, LogLow = 1, LogMedium = 2, LogHigh = 3 };

/* A 32-bit value that the system keeps unsigned (a tick count, an event's
 * time, a message number) as a "%li" of the log shows it: signed, as the
 * Windows build's 32-bit long prints it, so the same run logs the same
 * line on every build. */
inline long LogSigned32(uint32_t value) {
    return (long)(int32_t)value;
}

/* A line never holds more than this, its terminating zero included; a
 * longer line is cut. The line end is added on top. */
const int LogLineSize = 256;

/* True when lines of the given level are to be written. */
bool LogLevelAtLeast(LogLevel level);

/* Appends text and a line end (CR LF) to the log file: the file is opened,
 * written and closed again for every line, so nothing is lost if the
 * program ends abruptly and other programs may read or delete the file in
 * between. A file that can't be opened is silently skipped. */
void WriteLogLine(const char* text);

/* True when the level is exactly the given one (one playback line is
 * written only at MEDIUM, not at HIGH). */
bool LogLevelIs(LogLevel level);

/* Formats a line (printf-style) and appends it as WriteLogLine does, when
 * the log level is at least level. */
void LogPrintf(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

/* The first line of a recording or a playback, at LOW, after an empty
 * line: what starts ("recording", "'NAME' playback (N Total Actions)"),
 * with the program's version and the system's. */
void LogRunStart(const char* run, const char* programVersion);

/* The size of the log file's path, its terminating zero included (the
 * Logfile setting's size). */
const int LogPathSize = 130;

/* The log reads three values that it does not own, afresh for every line,
 * so a change counts at once: its level and its file's path (the Log and
 * Logfile settings) and the open document's path. Start-up connects them
 * before anything is logged; until then the log is off and has no file. */
void ConnectLog(const int32_t* level, const char* logfile, const char* document);

/* Deletes the log file (start-up with RestartLog on), and the one in the
 * user's folder that takes its lines where it cannot be written; a failure
 * is ignored, and a log path that names a device or a pipe is left alone.
 * A log file that is the recording in use is never deleted (see
 * SetRecordingBeingLoaded), nor is reopened, the recent file that Reload
 * reopens once the main window exists (null when there is none): the file
 * that takes the log instead is. */
void EraseLogFile(const char* reopened);

/* The file the log's lines go to (size bytes, terminated): the Logfile
 * setting's, or the file that takes its lines instead (see
 * SetRecordingBeingLoaded), or, where that cannot be written, the one in
 * the user's local application data folder (Mirlow\Mirlow.log), whose
 * first line of the run says why. Edit Log File opens this file. */
void LogFileInUse(char* path, int size);

/* The log never writes into, nor erases, the recording in use: the open
 * document, the file named here while it is being loaded (null when the
 * load is over), and at start-up the recent file that Reload reopens.
 * When Logfile names one of them, the lines go to the same path with
 * ".log" added, and the first one written there says why. */
void SetRecordingBeingLoaded(const char* path);

/* ---- Message boxes (message_boxes.cpp) ----
 * Message boxes without owner window. Every box of the program goes
 * through these two, never straight to the platform. ShowMessageWithIcon
 * shows the program's own icon resource instead of a system icon. Where
 * nobody can see the desktop, the box is not shown: its text goes to the
 * log at LOW and the box's default button is the answer. */
int ShowMessageBox(const char* text, const char* caption, uint32_t style);
int ShowMessageWithIcon(const char* text, const char* caption, uint32_t style, int iconId);
/* Every box shown from now on closes itself with its default button once
 * it has waited this many seconds for an answer (at most a day), and says
 * so in the log at LOW; 0 or less: boxes wait until they are answered.
 * Start-up sets it for an unattended run only. */
void SetMessageBoxWait(int32_t seconds);

#endif

/*
 * settings.h: the persisted options, the file-type association and the
 * recent-file list.
 *
 * Every option is read once at start-up into gSettings and used from
 * memory; most are written back in one batch when the main window is
 * destroyed (never in command-line mode).
 */
#ifndef MIRLOW_SETTINGS_H
#define MIRLOW_SETTINGS_H

#include <cstdint>

const int SettingTextSize = 130; /* 129 characters and the terminating zero */

struct Settings {
    int32_t stopKey;
    int32_t typeKey;
    int32_t typeThis;
    int32_t excludeMirlowAction;
    int32_t playImmediately;
    int32_t quitWhenDone;
    int32_t reload;
    int32_t topmost;
    int32_t speed;
    int32_t promptForSave;
    int32_t visited;
    int32_t repeats;
    int32_t factorFast;
    int32_t factorSlow;
    int32_t randomMin;
    int32_t randomMax;
    int32_t loopTypeBase;
    int32_t log;
    int32_t showTabs;
    int32_t interruptWarning;
    int32_t repeatForever;
    int32_t minimize;
    int32_t restartLog;
    char logfile[SettingTextSize];
    char editor[SettingTextSize];
};

extern Settings gSettings;

/* Where the main window is created: a saved position, or the system's
 * default (DefaultWindowPosition for both). */
struct WindowPosition {
    int x;
    int y;
};

/* Fills gSettings with the stored values and their start-up corrections and
 * yields the main window's position. */
void LoadSettings(WindowPosition* position);

/* Writes the exit batch. left and top are the main window's screen
 * position, lastTab the settings panel's selected tab plus one. */
void SaveSettings(int left, int top, int lastTab);

/* Registers a file extension (without the dot) with the shell so that it
 * opens with the program; iconNumber is the icon's index plus one. Writes
 * nothing when the program's own path can't be had whole. Class entries
 * go per user (HKEY_CURRENT_USER\Software\Classes) when
 * HKEY_CLASSES_ROOT can't be written. */
void RegisterFileType(const char* extension, const char* programName, const char* displayName,
                      int iconNumber);

#endif

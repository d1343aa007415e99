/*
 * settings.h: the persisted options, the file-type association and the
 * recent-file list.
 *
 * Every option is read once at start-up into gSettings and used from
 * memory; most are written back in one batch when the main window is
 * destroyed (never in command-line mode), a few the moment they change.
 *
 * Options live as values under "SOFTWARE\Mirlow", in two copies: the
 * machine's (HKEY_LOCAL_MACHINE) and the user's own (HKEY_CURRENT_USER).
 * A read takes the user's copy when it can be read, else the machine's,
 * else the default. A write goes to the machine's copy when the user may
 * write there, and then drops the user's copy of that value so it can't
 * shadow the new one; otherwise (a standard user) it goes to the user's
 * copy.
 */
#ifndef MIRLOW_SETTINGS_H
#define MIRLOW_SETTINGS_H

#include <cstdint>

#include "settings/registry.h"

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

extern const char* const SettingsKeyPath; /* "SOFTWARE\\Mirlow" */

/* What a setting's start-up correction does with a stored value. */
enum SettingCorrection {
    KeepAsStored,
    DefaultOutsideLimits, /* outside minimum..maximum: the default */
    RaiseToMinimum,       /* below minimum: the minimum */
    DefaultWhenEmpty,     /* empty text: the default */
};

/* Values that are stored but not kept in gSettings. */
enum SettingSlot { InSettings, WindowLeft, WindowTop, PanelLastTab };

/* One stored value. The table of them, in start-up reading order, drives
 * the defaults, LoadSettings and SaveSettings. */
struct SettingDefinition {
    const char* name;
    ValueKind kind; /* KindNumber or KindText */
    int32_t defaultNumber;
    const char* defaultText;
    SettingCorrection correction;
    int32_t minimum;
    int32_t maximum;
    int batchPlace; /* 1-based place in the exit batch; 0: not in it */
    SettingSlot slot;
    int32_t Settings::*number;
    char (Settings::*text)[SettingTextSize];
};
extern const SettingDefinition SettingTable[];
extern const int SettingTableSize;
/* The row of that value name, or null. */
const SettingDefinition* FindSetting(const char* name);

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
 * position, lastTab the settings panel's selected tab plus one. The
 * caller leaves it out in command-line mode. */
void SaveSettings(int left, int top, int lastTab);

/* Stores one setting's in-memory value at once (StopKey, TypeKey,
 * TypeThis, RestartLog). False when the name has no value in gSettings or
 * the write failed. */
bool StoreSettingNow(const char* name);

/* The stored LastTab (1 when there is none); the panel reads it when it
 * is created. */
int32_t ReadLastTab(void);

/* The registry operations for a path under SettingsKeyPath, with the
 * choice between the user's and the machine's copy made as above. */
int32_t ReadSettingValue(const char* path, int kind, char* buffer, int bufferSize,
                         int32_t fallback);
bool WriteSettingValue(const char* path, int kind, const char* text, int32_t number);
/* Deletes the value from both copies. */
void DeleteSettingValue(const char* path);

/* ---- The settings panel (tab_panel.cpp) ----
 * A child dialog of the main window with three pages of everyday
 * settings; interactive mode only. */
void CreateTabPanel(void);
/* Gives the keyboard focus to the speed button of the current Speed. */
void FocusPanelSpeedButton(void);
/* Releases the fonts the panel made; the main window's destruction calls it. */
void ReleaseTabPanelFont(void);

/* ---- The Advanced Options dialog (options_dialog.cpp) ---- */
/* Modal, owned by the main window; returns when it is closed. */
void RunOptionsDialog(void);

/* ---- The recent-file list (recent_files.cpp) ----
 * The last eight recordings opened or saved, most recent first, kept as
 * the values File1 to File8 beside the settings (by the same rule of the
 * user's and the machine's copy) and shown in the File menu after "Reset
 * Recent Files". Paths compare without regard to letter case. Every
 * operation reads the list afresh; the program holds no copy of it. */
const int RecentFileCount = 8;

/* Deletes the entries from the File menu and inserts them again from the
 * stored list, up to its first empty slot. */
void RebuildRecentMenu(void);
/* Moves or inserts the path to the front; "(Untitled)" never enters. */
void AddRecentFile(const char* path);
/* Takes the path out; the later entries move up. */
void RemoveRecentFile(const char* path);
/* The Reset Recent Files command: asks, then empties the list. */
void ResetRecentFiles(void);
/* The command of the entry in slot (1 to 8): opens its file, or asks
 * whether to remove an entry that cannot be opened. */
void OpenRecentFile(int slot);
/* Start-up with Reload on: opens the most recent file when it can be. */
void ReopenMostRecentFile(void);

/* Registers a file extension (without the dot) with the shell so that it
 * opens with the program; iconNumber is the icon's index plus one. Writes
 * nothing when the program's own path can't be had whole. Class entries
 * go per user (HKEY_CURRENT_USER\Software\Classes) when
 * HKEY_CLASSES_ROOT can't be written. */
void RegisterFileType(const char* extension, const char* programName, const char* displayName,
                      int iconNumber);

#endif

/*
 * settings.h: the persisted options and the windows that change them (the
 * settings panel, the Advanced Options dialog), the file-type association
 * and the recent-file list.
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

#include "app/shell.h"
#include "platform/platform.h"
#include "settings/registry.h"

const int SettingTextSize = 130; /* 129 characters and the terminating zero */

/* The values of the Speed setting, as the settings panel's buttons choose
 * them and the playback scheduler paces by them. */
enum PlaybackSpeed { SpeedSlow = 1, SpeedNormal = 2, SpeedFast = 3, SpeedFastest = 4 };

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
    int32_t windowWait;   /* seconds playback waits for a recorded window; 0: it does not */
    int32_t boxWait;      /* seconds a box of a command-line run waits for an answer; 0: for ever */
    int32_t recordHotkey; /* chords packed as platform.h packs them; 0: none */
    int32_t playHotkey;
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

/* Every stored value, in the order of the settings table. */
enum SettingId {
    SettingLeft,
    SettingTop,
    SettingStopKey,
    SettingTypeKey,
    SettingTypeThis,
    SettingExcludeMirlowAction,
    SettingPlayImmediately,
    SettingQuitWhenDone,
    SettingReload,
    SettingTopmost,
    SettingSpeed,
    SettingPromptForSave,
    SettingVisited,
    SettingRepeats,
    SettingFactorFast,
    SettingFactorSlow,
    SettingRandomMin,
    SettingRandomMax,
    SettingLoopTypeBase,
    SettingLog,
    SettingShowTabs,
    SettingInterruptWarning,
    SettingRepeatForever,
    SettingMinimize,
    SettingLogfile,
    SettingEditor,
    SettingRestartLog,
    SettingWindowWait,
    SettingBoxWait,
    SettingRecordHotkey,
    SettingPlayHotkey,
    SettingLastTab,
    SettingCount,
};

/* One stored value. The table of them, in start-up reading order, drives
 * the defaults, LoadSettings and SaveSettings; row n is the setting whose
 * id is n. */
struct SettingDefinition {
    SettingId id;
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
extern const SettingDefinition SettingTable[SettingCount];
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
 * TypeThis, RestartLog, the hotkeys). False when the name has no value in gSettings or
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
/* Creates the panel, hidden, and returns it (null when it can't be made);
 * the shell keeps it (SettingsPanelHandle). */
WindowHandle CreateTabPanel(void);
/* Shows the panel the shell keeps when Show Tabs is on. */
void ShowTabPanelIfChosen(void);
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

/* ---- The settings panel's rules (panel_rules.cpp) ---- */

/* The key list both key boxes show: index 0 is the empty entry (no key),
 * then F1 to F12, Escape, Ctrl, Break, NumLock, ScrLock and the digits 0
 * to 9. */
const int KeyListSize = 28;
const char* KeyListText(int index);
/* The virtual key an entry stands for; 0 for the empty entry, no
 * selection (-1) and anything outside the list. */
int32_t KeyCodeForListIndex(int index);
/* The entry that shows a stored key: -1 (no selection) for 0, the empty
 * entry for a key the list doesn't hold. */
int KeyListIndexForCode(int32_t code);

/* The "type:" box; the index is TypeThis. */
const int TypeThisListSize = 6;
const char* TypeThisText(int index);

/* The most a count typed in the panel (or stepped with its arrows) can be. */
const int32_t MaxPanelRepeats = 9999999;
/* The repeat count the user's text in the repeat edit stands for: the
 * leading signed number of its first 7 characters, at least 1. */
int32_t RepeatCountFromText(const char* text);
/* What an arrow writes into the repeat edit: the edit's number (0 for text
 * that isn't one) plus one, up to MaxPanelRepeats, or minus one while it
 * is above 1. -1 when the arrow writes nothing. */
int32_t RepeatArrowResult(const char* text, bool up);

/* The key choice rule for the setting named name (StopKey or TypeKey):
 * the empty entry is always accepted; the other key refuses the choice
 * with a warning, and so does a stop key that is the key of a hotkey; an
 * accepted key is stored at once. False when refused (*setting unchanged,
 * nothing stored). */
bool ApplyKeyChoice(const char* name, int32_t* setting, int32_t otherKey, int listIndex);
/* The entry a keyboard step from the entry shown to chosen lands on: the
 * first one from chosen on, in the same direction, that the choice rule
 * would not refuse (so arrow keys always get past a key that is taken);
 * chosen when there is none. */
int KeyListIndexPastTaken(const char* name, int chosen, int shown, int32_t otherKey);

/* ---- Hotkeys: the chords that record and play from any program ----
 * A chord is packed as platform.h packs it (the key in the low byte, the
 * Chord... modifiers above). */
const int32_t DefaultRecordHotkey = ChordControl | ChordShift | ChordAlt | 'R';
const int32_t DefaultPlayHotkey = ChordControl | ChordShift | ChordAlt | 'P';
/* True when the key is the chord's key or one of its modifiers (Shift,
 * Ctrl, Alt as the generic virtual keys). */
bool ChordUsesKey(int32_t chord, int32_t key);
/* The chord as the user reads it ("Ctrl+Shift+Alt+R"), "" for none; its
 * length. */
int HotkeyText(int32_t chord, char* text, int size);
/* What a hotkey field holds while the user presses keys: a chord once a
 * key has joined the modifiers; none once every key is up again without
 * one (the field then shows no chord); otherwise nothing yet (-1). */
int32_t SettledHotkeyChord(int32_t field, bool modifierHeld);
/* The hotkey choice rule for the setting named name (RecordHotkey or
 * PlayHotkey): no chord is always accepted; the other hotkey's chord, or
 * one whose key is the stop key, refuses the choice with a warning; an
 * accepted chord is stored at once. False when refused (*setting
 * unchanged, nothing stored). */
bool ApplyHotkeyChoice(const char* name, int32_t* setting, int32_t otherHotkey, int32_t chord);
/* What the Keyboard tab says of hotkeys that are not in force although
 * their settings name a chord, a line each; "" when there are none. Its
 * length. */
int HotkeyNote(HotkeyStanding record, HotkeyStanding play, char* text, int size);

/* The pixels of a 96-dpi design at the given scale. */
int ScaleForDpi(int pixels, int dpi);

/* What the main window's size is made from, in pixels at its scale. */
struct MainWindowMeasures {
    int dpi;
    int outerWidth, outerHeight;     /* the main window now */
    int clientWidth, clientHeight;   /* its client area now */
    int toolbarWidth, toolbarHeight; /* the toolbar's needed width and height; 0 without one */
    int panelWidth, panelHeight;     /* the panel's client size */
    int firstMenuItemWidth;
    int menuHeight, frameHeight, captionHeight;
    int edgeWidth, edgeHeight; /* the panel's, for its tab control */
};
struct WindowSize {
    int width, height;
};
/* With the panel shown the client area holds exactly the toolbar, a gap
 * and the panel, as wide as its tab control with equal margins (which is
 * the panel's width where the frame is 3 pixels); without the panel, a bar
 * that shows the menu and the toolbar. Either way it is at least as wide
 * as the whole toolbar. */
WindowSize MainWindowSizeFor(const MainWindowMeasures& measures, bool panelShown);
/* Where the panel's top sits: below the toolbar and the gap. */
int PanelTopFor(int toolbarHeight, int dpi);

/* Where a dialog's run-time tab control goes, from the dialog's client
 * size and the edge metrics at its scale. */
struct ChildBounds {
    int x, y, width, height;
};
ChildBounds PanelTabBounds(int clientWidth, int clientHeight, int edgeWidth, int edgeHeight,
                           int dpi);
/* The Options dialog leaves room for its bottom row of buttons. */
ChildBounds OptionsTabBounds(int clientWidth, int clientHeight, int edgeWidth, int edgeHeight,
                             int okButtonHeight, int dpi);

/* Pages of a tabbed dialog: each control with the page (tab index) it
 * belongs to. Shows the controls of one page and hides the others; a page
 * of -1 hides them all. */
struct PageControl {
    int page;
    int controlId;
};
void ShowDialogPage(WindowHandle dialog, const PageControl* controls, int count, int page);
/* Makes a dialog's tab control with its items and the dialog's font;
 * null when it can't be made. */
WindowHandle CreateDialogTabs(WindowHandle dialog, int controlId, ChildBounds bounds,
                              const char* const* texts, int count);

/* ---- The panel's part in the main window (tab_panel.cpp) ---- */

/* The Keyboard tab says which hotkeys are not in force (HotkeyNote). */
void ShowHotkeyStandings(void);
/* A hotkey pressed while one of the panel's hotkey fields has the keyboard
 * focus: the system took the chord away from the field, so it is typed
 * into the field as the user meant. False when no hotkey field has the
 * focus. */
bool TypeChordIntoFocusedField(int32_t chord);

/* View > Show Tabs: turns ShowTabs over, with the menu check and layout. */
void ToggleShowTabs(void);
/* The main window received the keyboard focus: the panel takes it. */
void FocusTabPanel(void);

/* ---- The Advanced Options dialog's values (option_values.cpp) ---- */

enum OptionPage { PageConfiguration = 0, PageValueRanges = 1, PageLogSettings = 2 };
enum OptionKind {
    OptionSwitch,     /* check box: 1 or 0 */
    OptionPath,       /* text of at most SettingTextSize - 1 characters */
    OptionFactor,     /* number, at least 1 */
    OptionNumber,     /* number */
    OptionMaximum,    /* number, not below the minimum before it */
    OptionStored,     /* check box stored at once (RestartLog) */
    OptionTrackLevel, /* trackbar position */
};
/* One control of the dialog and the setting it edits, in the order the
 * values are taken on OK and Apply. The setting's name, its field in
 * gSettings and its default are those of its row in SettingTable. */
struct OptionRow {
    int controlId;
    OptionPage page;
    OptionKind kind;
    SettingId setting;
};
extern const OptionRow OptionRows[];
extern const int OptionRowCount;

/* A control's value as the dialog shows it. Texts keep up to 259
 * characters; length is the whole text's, so an over-long one is seen. */
const int OptionTextSize = 260;
struct OptionField {
    int32_t number;
    char text[OptionTextSize];
    int length;
};
struct OptionFields {
    OptionField field[16];
};

/* The fields as the dialog opens: the settings in memory and the stored
 * RestartLog. */
void OptionFieldsFromSettings(OptionFields* fields);
/* The Defaults button: the page's fields take their default values. */
void ResetOptionPage(OptionFields* fields, OptionPage page);
/* The row of a path too long for its setting (refused, never cut), or -1. */
int RefusedOptionRow(const OptionFields* fields);
/* OK and Apply: every value into gSettings, corrected; RestartLog stored
 * at once. The fields hold the values shown as the dialog opened (or as
 * the last Apply took them) with the controls' texts read over them: a
 * number whose text was not edited is kept as it was. The caller checks
 * RefusedOptionRow first. */
void TakeOptionValues(const OptionFields* fields);
/* The leading decimal number of a field, after blanks and an optional
 * sign; 0 when there is none. Beyond the 32-bit range it stops at the
 * range's ends instead of wrapping. */
int32_t ReadSignedField(const char* text);

#endif

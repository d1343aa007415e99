/*
 * shell.h: what the engines (playback, the recorder, the settings) may ask
 * of the shell, in one place.
 *
 * The shell owns the main window, the document commands and the run's
 * exit code. An engine that must tell the user something through them, or
 * find the window its messages go to, calls one of these; nothing else of
 * the shell is theirs to reach. The shell itself (app/app.h) includes this
 * header too.
 */
#ifndef MIRLOW_SHELL_H
#define MIRLOW_SHELL_H

#include "platform/platform.h"

/* ---- The windows and the mode (startup.cpp) ---- */

/* The main window; null before it exists. */
WindowHandle MainWindowHandle(void);
/* The settings panel; null in command-line mode and when it could not be
 * made. */
WindowHandle SettingsPanelHandle(void);
/* True in command-line mode: the window stays hidden, a recording plays
 * and the program ends, unattended. */
bool InCommandLineMode(void);

/* ---- The run's end (run_outcome.cpp) ---- */

/* Process exit codes. Interactive runs end with ExitSuccess. A command-line
 * run is unattended: anything but a complete playback is reported. */
enum ExitCode {
    ExitSuccess = 0,
    ExitStartupFailed = 1, /* command-line mode: memory or the window could not be had */
    ExitLoadFailed = 2,    /* the recording could not be loaded (or its path was too long) */
    ExitPlaybackError = 3, /* an error stopped the playback before its end */
    ExitCancelled = 4,     /* the playback was cancelled (Ctrl+Esc, a locked or switched
                              session, or the window closed) */
    ExitPlayedInPart = 5,  /* played to its end, but not all of the file: the load stopped
                              at a limit, or typed text or a click did not fit the list */
};

/* Records why a run stopped, or that it played only in part; the first
 * failure reported stays, except that a run played in part that then
 * fails ends with the failure's code (see RunExitCode). */
void ReportRunOutcome(ExitCode code);

/* ---- Commands and titles (command_state.cpp, main_window.cpp) ---- */

/* Enables and grays the document and recorder commands for one of three
 * states, named by the command that selects it: ID_FILE_NEW (no document),
 * ID_FILE_OPEN (a document), ID_RECORDER_START (recording or playing). Any
 * other value changes nothing. Only in interactive mode. */
void SetCommandState(int state);

/* The open document's path, or "(Untitled)" when there is none. */
const char* DocumentDisplayName(void);
/* Titles the main window "Mirlow - " and the document's name. */
void ShowDocumentTitle(void);
/* Titles the main window "Mirlow" alone: no document. */
void ShowProgramTitle(void);

/* ---- The main window's layout (main_window.cpp) ---- */

/* Places the settings panel below the toolbar and sizes the main window
 * to hold both, or to a bar that shows the menu and the whole toolbar when
 * there is no panel to show. */
void LayoutMainWindow(void);
/* Moves the settings panel (dialog) below the toolbar as high as it now
 * is, so the two never overlap: at the panel's creation and after a change
 * of scale. */
void PlacePanelBelowToolbar(WindowHandle dialog);

/* ---- Hotkeys (hotkeys.cpp) ----
 * The record and play hotkeys work whatever program has the focus, in the
 * interactive program only: the record hotkey starts a recording and,
 * pressed again, stops it; the play hotkey starts a playback of the open
 * recording and, pressed during one, stops it. */
enum HotkeyRole { RecordHotkeyRole = 0, PlayHotkeyRole = 1 };
enum HotkeyStanding {
    HotkeyUnset,          /* its setting holds no chord */
    HotkeyInForce,        /* the system watches for its chord */
    HotkeyInUseElsewhere, /* the system refused the chord: another program has it */
    HotkeyOnStopKey,      /* left out: its chord holds the stop key */
};
/* Lets go of both hotkeys and takes them up again as the settings say
 * now; does nothing in command-line mode. */
void TakeUpHotkeys(void);
HotkeyStanding HotkeyStandingOf(HotkeyRole role);
/* The system takes a hotkey's chord away from the program the input goes
 * to, played input too. Before the playback hands over the press of key
 * while its input holds modifiers (Chord... bits), a hotkey that chord may
 * fire stands aside, so the program it is played to gets it; it comes back
 * once the playback lets go of key (key 0: of everything, at its end). */
void HotkeysStandAsideForPlayedKey(int key, int32_t modifiers);
void HotkeysBackAfterPlayedKey(int key);

/* ---- The document (document_commands.cpp, file_dialogs.cpp) ---- */

/* Asks whether to save the open document's unsaved changes and saves it
 * when asked to. False when the user cancelled, or chose to save and the
 * save did not happen: the calling command then does nothing more, so
 * changes are never dropped by a save that failed. */
bool PromptToSave(void);

/* Open with a path chosen beforehand (the start-up reload, a recent
 * entry): after the save prompt for the current document, the path is
 * listed as the most recent file and loaded; it becomes the document's
 * name only when it loaded. */
void OpenDocumentFile(const char* path);

/* True when a file of that path exists and is not empty. */
bool FileExistsNonEmpty(const char* path);

/* The system's Open (saveMode false) or Save dialog, owned by owner, with
 * the filters as NUL-separated description and pattern pairs ending in two
 * NULs, the first pair selected. path (MaxPathLength + 1 bytes) holds the
 * initial name and receives the choice. False when cancelled, or when the
 * choice was refused with a message (a path too long, or a name the
 * system's code page cannot hold); path is then untouched. */
bool PickFile(WindowHandle owner, char* path, const char* filters, bool saveMode);

#endif

/*
 * app.h: the application shell: start-up, the message loop and the main
 * window.
 *
 * The program runs in one of two modes, fixed at start-up. Interactive
 * mode (no argument) shows the main window and waits for the user.
 * Command-line mode (a recording's path as the argument) keeps the window
 * hidden, plays the recording and ends; it runs unattended, so its exit
 * code says how the run went.
 */
#ifndef MIRLOW_APP_H
#define MIRLOW_APP_H

#include <cstdint>

#include "platform/platform.h"

const int MaxPathLength = 259;

/* The shell's process-wide state. */
struct AppState {
    WindowHandle mainWindow;
    WindowHandle tabPanel; /* null in command-line mode */
    WindowHandle toolbar;  /* null in command-line mode */
    bool commandLineMode;
    char documentPath[MaxPathLength + 1]; /* empty: the untitled document */
    int32_t modifiedCount;                /* nonzero: unsaved changes */
    bool openPreselected;
    int32_t loopsCompleted;
    HookHandle journalHook; /* the installed record or playback hook */
    int exitCode;           /* what a command-line run ends with */
};

extern AppState gApp;

extern const char* const MainWindowClassName; /* "Mirlow" */
extern const char* const ProgramTitle;        /* "Mirlow" */
extern const char* const ProductWebAddress;   /* the product's web page */

/* Process exit codes. Interactive runs end with ExitSuccess. A command-line
 * run is unattended: anything but a complete playback is reported. */
enum ExitCode {
    ExitSuccess = 0,
    ExitStartupFailed = 1, /* command-line mode: memory or the window could not be had */
    ExitLoadFailed = 2,    /* the recording could not be loaded (or its path was too long) */
    ExitPlaybackError = 3, /* an error stopped the playback before its end */
    ExitCancelled = 4,     /* the playback was cancelled (Ctrl+Esc, or the window closed) */
};

/* The whole program: start-up, then the message loop until the main window
 * is destroyed. commandTail is the text after the program's own name with
 * leading blanks skipped; empty means interactive mode. Returns the
 * process exit code. */
int RunMirlow(const char* commandTail, int showState);

/* Start-up alone. True when the message loop should run; otherwise
 * *exitCode holds the code to end with. */
bool StartMirlow(const char* commandTail, int showState, int* exitCode);

/* The message loop; returns the quit message's exit code. */
int RunMessageLoop(void);

/* The path named by a command-line tail: a leading double quote takes the
 * text up to the next one (or the end); otherwise the whole tail. Copies at
 * most MaxPathLength characters into path; false when the path is longer
 * and was refused. */
bool PathFromCommandTail(const char* tail, char* path);

/* Loads the accelerator table that the loop offers messages to. */
void LoadLoopAccelerators(void);

/* Handles one message as the loop does (journal cancel, tab keys,
 * accelerators, dialog keys, dispatch). */
void HandleLoopMessage(PlatformMessage* message);

/* The open document's path, or "(Untitled)" when there is none. */
const char* DocumentDisplayName(void);
/* Titles the main window "Mirlow - " and the document's name. */
void ShowDocumentTitle(void);

/* Sizes the main window to the settings panel, or to a bar that shows the
 * menu when there is no panel to show. */
void LayoutMainWindow(void);

/* Enables and grays the document and recorder commands for one of three
 * states, named by the command that selects it: ID_FILE_NEW (no document),
 * ID_FILE_OPEN (a document), ID_RECORDER_START (recording or playing). Any
 * other value changes nothing. Only in interactive mode. */
void SetCommandState(int state);

/* Message boxes without owner window. Every box of the program goes
 * through these two, never straight to the platform. ShowMessageWithIcon
 * shows the program's own icon resource instead of a system icon. */
int ShowMessageBox(const char* text, const char* caption, uint32_t style);
int ShowMessageWithIcon(const char* text, const char* caption, uint32_t style, int iconId);

/* Asks whether to save the open document's unsaved changes and saves it
 * when asked to; false when the user cancelled (the calling command then
 * does nothing more). */
bool PromptToSave(void);

/* The main window's procedure. */
intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

#endif

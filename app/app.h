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
    int32_t loopsCompleted;
    HookHandle journalHook; /* the installed record or playback hook */
    int exitCode;           /* what a command-line run ends with: see RunExitCode */
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
    ExitCancelled = 4,     /* the playback was cancelled (Ctrl+Esc, a locked or switched
                              session, or the window closed) */
    ExitPlayedInPart = 5,  /* played to its end, but not all of the file: the load stopped
                              at a limit, or typed text or a click did not fit the list */
};

/* How the run ends (run_outcome.cpp), the one owner of the exit code.
 * ReportRunOutcome records why a run stopped, or that it played only in
 * part; the first failure reported stays, except that a run played in
 * part that then fails ends with the failure's code. RunExitCode is what
 * the process returns: the recorded code in command-line mode,
 * ExitSuccess in interactive mode. */
void ReportRunOutcome(ExitCode code);
int RunExitCode(void);

/* The whole program: start-up, then the message loop until the main window
 * is destroyed. commandTail is the text after the program's own name;
 * leading blanks are skipped, and an empty rest means interactive mode.
 * Returns the process exit code. */
int RunMirlow(const char* commandTail, int showState);

/* Start-up alone. True when the message loop should run; otherwise
 * *exitCode holds the code to end with. */
bool StartMirlow(const char* commandTail, int showState, int* exitCode);

/* The message loop; returns the quit message's exit code. */
int RunMessageLoop(void);

/* The text after its leading blanks (spaces and tabs), as the system's
 * command-line tail is taken. */
const char* SkipLeadingBlanks(const char* text);

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

/* Places the settings panel below the toolbar and sizes the main window
 * to hold both, or to a bar that shows the menu and the whole toolbar when
 * there is no panel to show (settings/tab_panel.cpp). */
void LayoutMainWindow(void);

/* Enables and grays the document and recorder commands for one of three
 * states, named by the command that selects it: ID_FILE_NEW (no document),
 * ID_FILE_OPEN (a document), ID_RECORDER_START (recording or playing). Any
 * other value changes nothing. Only in interactive mode. */
void SetCommandState(int state);

/* Edit Script File is offered for a text script and grayed for a binary
 * recording: path is the document's path after a load or a save. */
void OfferEditScriptFor(const char* path);

/* Message boxes without owner window. Every box of the program goes
 * through these two, never straight to the platform. ShowMessageWithIcon
 * shows the program's own icon resource instead of a system icon. */
int ShowMessageBox(const char* text, const char* caption, uint32_t style);
int ShowMessageWithIcon(const char* text, const char* caption, uint32_t style, int iconId);

/* ---- The document (document_commands.cpp) ----
 * The open recording is untitled (documentPath empty) or named, clean or
 * modified (modifiedCount). Its format follows its path alone: a path that
 * holds ".mrl" is a binary recording, any other a text script. While a
 * recording or a playback runs, no command that would replace, load or
 * save the document does anything. */

/* Asks whether to save the open document's unsaved changes and saves it
 * when asked to. False when the user cancelled, or chose to save and the
 * save did not happen: the calling command then does nothing more, so
 * changes are never dropped by a save that failed. */
bool PromptToSave(void);

/* True while a recording or a playback runs. */
bool ProgramIsBusy(void);

/* What Save and Total Number of Actions say about an empty recording. */
extern const char* const NoActionsText;

/* The filters of the Open and Save dialogs: recordings, text scripts, all. */
extern const char RecordingFileFilters[];

/* True when a file of that path exists and is not empty. */
bool FileExistsNonEmpty(const char* path);

void NewDocument(void);
void CloseDocument(void);
/* Open with the file dialog. */
void OpenDocument(void);
/* Open with a path chosen beforehand (the start-up reload, a recent
 * entry): after the save prompt for the current document, the path is
 * listed as the most recent file and loaded; it becomes the document's
 * name only when it loaded. */
void OpenDocumentFile(const char* path);
void ReloadDocument(void);
/* Save and Save As; true when the recording was written. */
bool SaveDocument(void);
bool SaveDocumentAs(void);

/* Titles the main window "Mirlow" alone: no document. */
void ShowProgramTitle(void);

/* ---- View and Tools commands (tool_commands.cpp; Show Tabs is the
 * settings panel's ToggleShowTabs) ---- */
void ShowTotalActions(void);
void EditScriptFile(void);
void EditLogFile(void);

/* ---- Choosing files (file_dialogs.cpp) ---- */

/* The system's Open (saveMode false) or Save dialog, owned by owner, with
 * the filters as NUL-separated description and pattern pairs ending in two
 * NULs, the first pair selected. path (MaxPathLength + 1 bytes) holds the
 * initial name and receives the choice. False when cancelled; path is
 * then untouched. */
bool PickFile(WindowHandle owner, char* path, const char* filters, bool saveMode);

/* Copies the item at index (from 0) of a list separated by delimiter into
 * item (size bytes, always terminated, cut to fit) and returns its length.
 * With NUL as the delimiter the list ends at two NULs in a row. An index
 * beyond the last item gives an empty item. */
int GetDelimitedItem(const char* list, char delimiter, int index, char* item, int size);

/* ---- The toolbar (toolbar.cpp) ---- */

/* Creates the toolbar along the top of the main window (gApp.toolbar);
 * the program goes on without one when it cannot be made. */
void CreateMainToolbar(void);
/* Lets the toolbar fit itself to the main window's new size. */
void FitToolbarToWindow(void);
/* The main window reached a monitor of another scale: the toolbar gets
 * pictures and buttons for it and fits itself again. */
void RescaleToolbar(void);
/* Answers a tooltip-text request of the toolbar; notification is the
 * lParam of the main window's MsgNotify. True when it was one. */
bool AnswerToolbarTooltip(intptr_t notification);
/* Enables or disables the command's toolbar button, if it has one. */
void SetToolbarButtonEnabled(int commandId, bool enabled);
/* The toolbar position (0 to 10) of a command, -1 when it has none; the
 * first position wins, so 0 finds the first separator. */
int ToolbarPositionOf(int commandId);
/* Copies the tooltip of the command's position into text (size bytes);
 * returns the position, or -1 (and an empty text) when there is none. */
int ToolbarTooltip(int commandId, char* text, int size);

/* ---- The toolbar's pictures (toolbar_art.cpp) ---- */

const int ToolbarStripImages = 11; /* images in the strip, 8 of them used */
const int ToolbarArtSize = 16;     /* each drawn at 16 x 16, for 96 DPI */
const int MaxToolbarImageSize = 80;
/* The image and button sizes for a DPI: 16 and 18 pixels at 96 DPI,
 * growing with the scale (24 and 27 at 144, 32 and 36 at 192). */
int ToolbarImageSize(int dpi);
int ToolbarButtonSize(int dpi);
/* Redraws the strip (0xFFRRGGBB, ToolbarArtSize high) at size pixels per
 * image. The drawing's light gray background becomes transparent; each
 * image is scaled on its own, so neighbours never bleed into each other.
 * disabled receives the same images in light grays. */
void ScaleToolbarArt(const uint32_t* strip, int count, int size, uint32_t* images,
                     uint32_t* disabled);

/* ---- Help (help.cpp) ---- */

extern const char* const InfoEmailAddress;    /* the About box's mail link */
extern const char* const SupportEmailAddress; /* Help, Email Tech Support */

void OpenHelpContents(void);
void OpenScriptReference(void);
void EmailTechSupport(void);
void OpenProductWebPage(void);

const int MaxProgramPath = 512;                  /* the program file's path */
const int HelpPathSize = MaxProgramPath + 8 + 1; /* "Help.htm" in place of ".exe" */
/* The guide named after a program file: the path up to its last ".",
 * then "Help.htm", every backslash turned into a forward slash. False
 * (and an empty path) when it does not fit in size bytes. */
bool HelpFilePathFor(const char* programPath, char* path, int size);
/* A file: address for a path (forward slashes), its characters in UTF-8
 * with everything but letters, digits and -._~/: percent-encoded. False
 * when it does not fit in size bytes. */
bool FileUrlFromPath(const char* path, char* url, int size);
/* Opens a web or mail link through the shell; when that fails, says so
 * ("Unable to locate '...'", "Internet Error") and returns false. */
bool OpenLink(const char* target);

/* ---- About box and Legal Agreement (about_box.cpp) ---- */

extern const char* const ProgramVersion; /* "2.30" */

void ShowAboutBox(void);
void ShowLegalAgreement(void);
/* Releases the About box's link font; the main window's destruction calls it. */
void ReleaseAboutBoxFont(void);
/* True when the point (in the dialog's client coordinates) lies in the
 * control, its right and bottom edges included. */
bool IsPointInControl(WindowHandle dialog, int controlId, int x, int y);

/* The main window's procedure. */
intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

#endif

/*
 * app.h: the application shell: start-up, the message loop, the main
 * window, the document commands and the shell's dialogs. What the engines
 * may call of it is in shell.h.
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

#include "app/shell.h"
#include "platform/platform.h"

/* The shell's process-wide state. */
struct AppState {
    WindowHandle mainWindow;
    WindowHandle tabPanel; /* null in command-line mode */
    WindowHandle toolbar;  /* null in command-line mode */
    bool commandLineMode;
    int exitCode; /* what a command-line run ends with: see RunExitCode */
};

extern AppState gApp;

extern const char* const MainWindowClassName; /* "Mirlow" */
extern const char* const ProgramTitle;        /* "Mirlow" */

/* How the run ends (run_outcome.cpp), the one owner of the exit code:
 * ReportRunOutcome (shell.h) records why a run stopped, or that it played
 * only in part; the first failure reported stays. RunExitCode is what
 * the process returns: the recorded code in command-line mode,
 * ExitSuccess in interactive mode. */
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

/* Edit Script File is offered for a text script and grayed for a binary
 * recording: path is the document's path after a load or a save. */
void OfferEditScriptFor(const char* path);

/* ---- The document (document_commands.cpp) ----
 * The open recording (gDocument) is untitled (its path empty) or named,
 * clean or modified (its modifiedCount). Its format follows its path
 * alone: a path that holds ".mrl" is a binary recording, any other a text
 * script. While a recording or a playback runs, no command that would
 * replace, load or save the document does anything. PromptToSave,
 * OpenDocumentFile and FileExistsNonEmpty are in shell.h. */

/* True while a recording or a playback runs. */
bool ProgramIsBusy(void);

/* What Save and Total Number of Actions say about an empty recording. */
extern const char* const NoActionsText;

/* The filters of the Open and Save dialogs: recordings, text scripts, all. */
extern const char RecordingFileFilters[];

void NewDocument(void);
void CloseDocument(void);
/* Open with the file dialog. */
void OpenDocument(void);
void ReloadDocument(void);
/* Save and Save As; true when the recording was written. */
bool SaveDocument(void);
bool SaveDocumentAs(void);
/* The two halves of PromptToSave: whether it would ask at all (unsaved
 * changes, the PromptForSave setting, a recording with events), and the
 * question itself, which returns the answer (AnswerYes, AnswerNo,
 * AnswerCancel). */
bool ChangesWouldBeAskedAbout(void);
int AskToSaveChanges(void);

/* ---- View and Tools commands (tool_commands.cpp; Show Tabs is the
 * settings panel's ToggleShowTabs) ---- */
void ShowTotalActions(void);
void EditScriptFile(void);
void EditLogFile(void);

/* ---- Choosing files (file_dialogs.cpp; PickFile is in shell.h) ---- */

/* Copies the item at index (from 0) of a list separated by delimiter into
 * item (size bytes, always terminated, cut to fit) and returns its length.
 * With NUL as the delimiter the list ends at two NULs in a row. An index
 * beyond the last item gives an empty item. */
int GetDelimitedItem(const char* list, char delimiter, int index, char* item, int size);

/* "Unable to open file '...'!" (or save, when saving) and that the path is
 * longer than a path may be, in a box that shows its start and its end. */
void ShowPathTooLong(const char* path, bool saving);

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

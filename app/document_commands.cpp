/*
 * document_commands.cpp: the life of the open document: New, Open, Reload
 * Current File, Close, Save and Save As, and the question whether to save
 * changes before they are dropped.
 *
 * A document takes a new name only once a file of that name has been
 * loaded or written. A cancelled dialog, a refused replacement, a file that
 * fails to load or a save that fails leave the name as it was, so the next
 * Save never writes to a file the user did not choose for this recording;
 * and changes are dropped only when the user said so, never because a save
 * that was meant to keep them went wrong.
 */
#include "app/app.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "model/model.h"
#include "playback/playback.h"
#include "resources/resource.h"
#include "settings/settings.h"

const char RecordingFileFilters[] = "Mirlow Files (*.mrl)\0*.mrl\0"
                                    "Mirlow Editable Text Files (*.mrx)\0*.mrx\0"
                                    "All Files (*.*)\0*.*\0";

const char* const NoActionsText = "There are no actions currently recorded.\n\nPress the blue "
                                  "\"Start Recording\" button to begin saving actions.";

static const uint32_t WarningBox = BoxOk | BoxIconWarning | BoxTaskModal;

bool ProgramIsBusy(void) {
    return gJournal.hook != nullptr;
}

bool FileExistsNonEmpty(const char* path) {
    return PlatformFileSize(path) > 0;
}

void ShowProgramTitle(void) {
    PlatformSetWindowTitle(gApp.mainWindow, ProgramTitle);
}

bool ChangesWouldBeAskedAbout(void) {
    return gDocument.modifiedCount != 0 && gSettings.promptForSave != 0 &&
           gRecording.eventCount >= 1;
}

int AskToSaveChanges(void) {
    char text[MaxPathLength + 32];
    snprintf(text, sizeof text, "Save changes to %s?", DocumentDisplayName());
    return ShowMessageBox(text, "Confirm Action", BoxYesNoCancel | BoxIconWarning | BoxTaskModal);
}

bool PromptToSave(void) {
    if (!ChangesWouldBeAskedAbout())
        return true;
    int answer = AskToSaveChanges();
    if (answer == AnswerYes)
        return SaveDocument();
    return answer == AnswerNo;
}

/* ---- New and Close ---- */

/* The command table is left alone: its commands are reached only through
 * placeholders, and the emptied list holds none. */
static void EmptyDocument(void) {
    SetCommandState(ID_FILE_NEW);
    ClearEventList();
    gRecording.textEncoding = TextAnsi;
    gDocument.path[0] = '\0';
    gDocument.modifiedCount = 0;
    ShowProgramTitle();
}

void NewDocument(void) {
    if (!PromptToSave())
        return;
    EmptyDocument();
    ShowDocumentTitle();
    ShowMessageWithIcon("Press the blue \"Start Recording\" button to begin saving actions.",
                        "New Recording", 0, IDI_MIRLOW);
}

void CloseDocument(void) {
    if (PromptToSave())
        EmptyDocument();
}

/* ---- Open and Reload ---- */

/* The path is listed before it is loaded, so a file that fails to load
 * can still be chosen again from the list. A failed load has shown its
 * message; the document keeps its name and title. */
static void LoadDocument(const char* path) {
    AddRecentFile(path);
    RebuildRecentMenu();
    if (LoadRecording(path, true) < 0)
        return;
    snprintf(gDocument.path, sizeof gDocument.path, "%s", path);
    ShowDocumentTitle();
    SetCommandState(ID_FILE_OPEN);
    OfferEditScriptFor(path);
    FocusPanelSpeedButton();
    gDocument.modifiedCount = 0;
    if (gSettings.playImmediately != 0) {
        gJournal.loopsCompleted = 0;
        StartPlayback();
    }
}

void OpenDocument(void) {
    if (!PromptToSave())
        return;
    char path[MaxPathLength + 1];
    strcpy(path, gDocument.path);
    if (PickFile(gApp.mainWindow, path, RecordingFileFilters, false))
        LoadDocument(path);
}

void OpenDocumentFile(const char* path) {
    if (PromptToSave())
        LoadDocument(path);
}

void ReloadDocument(void) {
    if (gDocument.path[0] == '\0' || !PromptToSave())
        return;
    if (LoadRecording(gDocument.path, true) >= 0)
        gDocument.modifiedCount = 0;
}

/* ---- Save and Save As ---- */

static bool HasActionsToSave(void) {
    if (gRecording.eventCount >= 1)
        return true;
    ShowMessageBox(NoActionsText, "Save Error", WarningBox);
    return false;
}

/* A file name without a dot is saved as a binary recording with ".mrl"
 * added (a dot in a folder's name, as in C:\Users\jane.doe, does not
 * count); one that would then be too long is refused rather than cut. */
static bool WithDefaultExtension(const char* chosen, char* path) {
    bool addExtension = strchr(FileNameOfPath(chosen), '.') == nullptr;
    size_t length = strlen(chosen) + (addExtension ? 4 : 0);
    if (length > (size_t)MaxPathLength) {
        char text[MaxPathLength + 32];
        snprintf(text, sizeof text, "Unable to save file '%s'!", chosen);
        ShowMessageBox(text, "Error", WarningBox);
        return false;
    }
    snprintf(path, MaxPathLength + 1, "%s%s", chosen, addExtension ? ".mrl" : "");
    return true;
}

/* A binary recording holds events only: script commands would be lost
 * without a word, so the user decides. */
static bool AgreeToDropCommands(const char* path) {
    int commands = CountCommandsInList();
    if (commands == 0)
        return true;
    char text[MaxPathLength + 384];
    snprintf(text, sizeof text,
             "%s\nA binary recording (.mrl) keeps only the recorded actions: the %d script "
             "command(s) of this recording (START, GOTO, TYPE, WAIT, clicks) would be lost.\nTo "
             "keep them, answer No and save it as an editable text file (.mrx).\n\nSave without "
             "the script commands?",
             path, commands);
    return ShowMessageBox(text, "Save", BoxYesNo | BoxIconWarning | BoxTaskModal) == AnswerYes;
}

static bool SaveDocumentTo(const char* chosen) {
    char path[MaxPathLength + 1];
    if (!HasActionsToSave() || !WithDefaultExtension(chosen, path))
        return false;
    if (IsBinaryRecordingPath(path) && !AgreeToDropCommands(path))
        return false;
    AddRecentFile(path);
    RebuildRecentMenu();
    if (!SaveRecordingFile(path))
        return false;
    strcpy(gDocument.path, path);
    OfferEditScriptFor(path);
    ShowDocumentTitle();
    gDocument.modifiedCount = 0;
    return true;
}

bool SaveDocument(void) {
    if (!HasActionsToSave())
        return false;
    if (gDocument.path[0] == '\0')
        return SaveDocumentAs();
    return SaveDocumentTo(gDocument.path);
}

static bool ConfirmReplace(const char* path) {
    char text[MaxPathLength + 64];
    snprintf(text, sizeof text, "%s\nThis file already exists.\nReplace existing file?", path);
    return ShowMessageBox(text, "Save", BoxYesNo | BoxIconQuestion | BoxTaskModal) == AnswerYes;
}

/* An untitled recording is offered the name "Task1". A refused
 * replacement opens the dialog again as it first was. */
bool SaveDocumentAs(void) {
    char path[MaxPathLength + 1];
    for (;;) {
        snprintf(path, sizeof path, "%s", gDocument.path[0] != '\0' ? gDocument.path : "Task1");
        if (!PickFile(gApp.mainWindow, path, RecordingFileFilters, true))
            return false;
        if (!FileExistsNonEmpty(path) || gSettings.promptForSave == 0 || ConfirmReplace(path))
            return SaveDocumentTo(path);
    }
}

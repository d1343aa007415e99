/*
 * recorder.cpp: the journal-record side, and what both kinds of journal
 * hook share: their end by the Stop Recording command, by the system's
 * cancel keys, or by the program closing.
 */
#include "record/record.h"

#include <cstdio>

#include "app/app.h"
#include "log/log.h"
#include "playback/playback.h"
#include "resources/resource.h"
#include "settings/settings.h"

JournalState gJournal;

static const char* const InterruptWarningText =
    "Windows is forcing Mirlow to stop recording and playing.\n\nThe CTRL+ESC and CTRL+ALT+DEL "
    "key combinations terminate all Mirlow functions.\n(You can use these key combinations as a "
    "way to cancel a playback or recording)\n\n--> If you intended to go to the START button, "
    "use the \"Windows Key\" instead.";

/* Every early end of a playback puts the list back, so events the pass
 * inserted never reach a saved file; an unattended run then ends. */
static void ReleaseHook(int commandLineExitCode) {
    bool wasPlaying = PlaybackPassInProgress();
    PlatformRemoveJournalHook(gApp.journalHook);
    gApp.journalHook = nullptr;
    FinishInterruptedPass();
    if (wasPlaying)
        ReportRunOutcome((ExitCode)commandLineExitCode);
}

static void ClearStatusLine(void) {
    PlatformSetDialogItemText(gApp.tabPanel, IDC_PANEL_STATUS, " ");
}

/* Recording itself is still to come: the command changes nothing yet. */
void StartRecording(void) {}

void StopRecording(void) {
    if (gApp.journalHook != nullptr && PlaybackPassInProgress()) {
        /* The played events pressed Stop: end the playback, keep the
         * recording as it is. */
        ReleaseHook(ExitCancelled);
        if (gApp.commandLineMode)
            PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_FILE_EXIT, 0);
    }
    FinishInterruptedPass();
    SetCommandState(ID_FILE_OPEN);
    ClearStatusLine();
    if (gSettings.minimize != 0)
        PlatformShowWindow(gApp.mainWindow, ShowRestore);
}

void CancelJournalForExit(void) {
    ReleaseHook(ExitCancelled);
    PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_STOP, 0);
    LogPrintf(LogLow, "CANCELLED RECORDING\r\n");
}

void CancelJournal(void) {
    ReleaseHook(ExitCancelled);
    PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_STOP, 0);
    LogPrintf(LogLow, "CANCELLED RECORDING\r\n");
    ShowDocumentTitle();
    if (gSettings.interruptWarning != 0) {
        char text[64];
        snprintf(text, sizeof text, "%li Playbacks Completed", (long)gApp.loopsCompleted);
        ShowMessageWithIcon(InterruptWarningText, text, BoxTopmost | BoxSystemModal, IDI_MIRLOW);
    }
    ResetRunCounters();
    ClearStatusLine();
    if (gApp.commandLineMode)
        PlatformSendMessage(gApp.mainWindow, MsgClose, 0, 0);
}

/*
 * recorder.cpp: the journal-record side. For now only the cancellation
 * that the message loop reports: the hook is already gone, so the handle
 * is released and the main window is told that recording stopped.
 */
#include "record/record.h"

#include "app/app.h"
#include "log/log.h"
#include "resources/resource.h"

JournalState gJournal;

void CancelJournal(void) {
    PlatformRemoveJournalHook(gApp.journalHook);
    gApp.journalHook = nullptr;
    PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_STOP, 0);
    if (LogLevelAtLeast(LogLow))
        WriteLogLine("CANCELLED RECORDING\r\n");
}

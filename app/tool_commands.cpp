/*
 * tool_commands.cpp: the View and Tools commands: the count of the
 * recording's actions, and the editor started on the script or on the
 * log file. (Show Tabs belongs to the settings panel.)
 */
#include "app/app.h"

#include <cstdio>

#include "log/log.h"
#include "model/model.h"
#include "playback/playback.h"
#include "resources/resource.h"
#include "settings/settings.h"

/* The count includes the placeholders of script commands and the end
 * marker of a recording. */
void ShowTotalActions(void) {
    char text[MaxPathLength + 64];
    if (gRecording.eventCount != 0)
        snprintf(text, sizeof text, "Total number of actions in %s: %d",
                 gDocument.path[0] != '\0' ? gDocument.path : "the current recording",
                 (int)gRecording.eventCount);
    else
        snprintf(text, sizeof text, "%s", NoActionsText);
    ShowMessageBox(text, "Total Commands", BoxOk | BoxIconInformation | BoxTaskModal);
}

/* The file is passed in quotes, so a path with blanks reaches the editor
 * as one argument; the editor setting may carry arguments of its own and
 * goes as it is. RunProgram returns once the editor runs, so the window
 * never waits for it to close. */
static void EditFile(const char* file) {
    char commandLine[SettingTextSize + MaxPathLength + 8];
    if (file[0] == '\0')
        snprintf(commandLine, sizeof commandLine, "%s", gSettings.editor);
    else
        snprintf(commandLine, sizeof commandLine, "%s \"%s\"", gSettings.editor, file);
    if (RunProgram(commandLine))
        return;
    char text[SettingTextSize + MaxPathLength + 64];
    snprintf(text, sizeof text, "Unable to edit %s with \"%s\"", file, gSettings.editor);
    ShowMessageBox(text, "Edit Error", BoxOk | BoxIconWarning | BoxTaskModal);
}

void EditScriptFile(void) {
    EditFile(gDocument.path);
}

void EditLogFile(void) {
    EditFile(gSettings.logfile);
}

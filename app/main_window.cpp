/*
 * main_window.cpp: the main window's procedure. Each message it handles
 * goes to a function of its own; commands are added as their subsystems
 * arrive.
 */
#include "app/app.h"

#include <cstdio>

#include "log/log.h"
#include "model/model.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"

const char* DocumentDisplayName(void) {
    return gApp.documentPath[0] != '\0' ? gApp.documentPath : "(Untitled)";
}

void ShowDocumentTitle(void) {
    char title[MaxPathLength + 16];
    snprintf(title, sizeof title, "Mirlow - %s", DocumentDisplayName());
    PlatformSetWindowTitle(gApp.mainWindow, title);
}

/* The main window has no sizing border: the settings panel gives it its
 * size. Without the panel (hidden, or not there) it shrinks to a bar that
 * still shows the whole menu. */
void LayoutMainWindow(void) {
    if (gApp.tabPanel != nullptr && gSettings.showTabs != 0)
        return;
    int width = 6 * PlatformMenuBarItemWidth(gApp.mainWindow, 0) + 50;
    int height = PlatformSystemMetric(MetricMenuHeight) +
                 4 * PlatformSystemMetric(MetricFrameHeight) +
                 PlatformSystemMetric(MetricCaptionHeight) + 18;
    PlatformSetWindowSize(gApp.mainWindow, width, height);
}

/* Not asked yet: the document commands that ask it are still to come. */
bool PromptToSave(void) {
    return true;
}

static void OnCreate(WindowHandle window) {
    gApp.mainWindow = window;
    ClearEventList();
    gApp.documentPath[0] = '\0';
    gApp.modifiedCount = 0;
    if (gApp.commandLineMode)
        return;
    PlatformSetWindowTitle(window, ProgramTitle);
    CreateMainToolbar();
    SetCommandState(ID_FILE_NEW);
    PlatformSetMenuItemChecked(window, ID_VIEW_SHOW_TABS, gSettings.showTabs != 0);
}

static void OnClose(WindowHandle window) {
    if (gApp.journalHook != nullptr)
        CancelJournalForExit();
    PlatformDestroyWindow(window);
}

/* A hook still installed when the window goes away would call into a
 * program that is ending; it is removed before anything else. */
/* The panel's tab when there is a panel; otherwise the stored one is kept,
 * so a run without the panel doesn't reset it. */
static int CurrentLastTab(void) {
    if (gApp.tabPanel == nullptr)
        return ReadLastTab();
    WindowHandle tabs = PlatformGetDialogItem(gApp.tabPanel, IDC_PANEL_TABS);
    return PlatformGetTabSelection(tabs) + 1;
}

static void OnDestroy(WindowHandle window) {
    if (gApp.journalHook != nullptr) {
        PlatformRemoveJournalHook(gApp.journalHook);
        gApp.journalHook = nullptr;
    }
    ReleaseRecording();
    ReleaseAboutBoxFont();
    ReleaseTabPanelFont();
    if (!gApp.commandLineMode) {
        int left = 0, top = 0;
        PlatformGetWindowPosition(window, &left, &top);
        SaveSettings(left, top, CurrentLastTab());
    }
    PlatformPostQuitMessage(RunExitCode());
}

static void OnExit(WindowHandle window) {
    if (gApp.journalHook != nullptr)
        CancelJournalForExit();
    PlatformSendMessage(window, MsgClose, 0, 0);
}

static void OnCommand(WindowHandle window, int command) {
    switch (command) {
    case ID_FILE_EXIT:
        OnExit(window);
        return;
    case ID_RECORDER_START:
        StartRecording();
        return;
    case ID_RECORDER_PLAYBACK:
        StartPlayback();
        return;
    case ID_RECORDER_STOP:
        StopRecording();
        return;
    case ID_TOOLS_OPTIONS:
        RunOptionsDialog();
        return;
    case ID_HELP_CONTENTS:
        OpenHelpContents();
        return;
    case ID_HELP_SCRIPT_REFERENCE:
        OpenScriptReference();
        return;
    case ID_HELP_LEGAL:
        ShowLegalAgreement();
        return;
    case ID_HELP_EMAIL_SUPPORT:
        EmailTechSupport();
        return;
    case ID_HELP_WEB:
        OpenProductWebPage();
        return;
    case ID_HELP_ABOUT:
        ShowAboutBox();
        return;
    default:
        return;
    }
}

intptr_t MainWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case MsgCreate:
        OnCreate(window);
        return 0;
    case MsgClose:
        OnClose(window);
        return 0;
    case MsgDestroy:
        OnDestroy(window);
        return 0;
    case MsgCommand:
        OnCommand(window, (int)(wParam & 0xFFFF));
        return 0;
    case MsgNotify:
        if (AnswerToolbarTooltip(lParam))
            return 0;
        return PlatformDefaultWindowProc(window, message, wParam, lParam);
    default:
        return PlatformDefaultWindowProc(window, message, wParam, lParam);
    }
}

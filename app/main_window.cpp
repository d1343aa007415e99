/*
 * main_window.cpp: the main window's procedure. Each message it handles
 * goes to a function of its own; commands are added as their subsystems
 * arrive.
 */
#include "app/app.h"

#include "log/log.h"
#include "model/model.h"
#include "resources/resource.h"
#include "settings/settings.h"

static void OnCreate(WindowHandle window) {
    gApp.mainWindow = window;
    ClearEventList();
    gApp.documentPath[0] = '\0';
    gApp.modifiedCount = 0;
    if (gApp.commandLineMode)
        return;
    PlatformSetWindowTitle(window, ProgramTitle);
    PlatformSetMenuItemChecked(window, ID_VIEW_SHOW_TABS, gSettings.showTabs != 0);
}

/* A hook still installed when the window goes away would call into a
 * program that is ending; it is removed before anything else. */
static void RemoveJournalHook(void) {
    if (gApp.journalHook == nullptr)
        return;
    PlatformRemoveJournalHook(gApp.journalHook);
    gApp.journalHook = nullptr;
}

static void OnClose(WindowHandle window) {
    if (gApp.journalHook != nullptr) {
        RemoveJournalHook();
        PlatformPostMessage(window, MsgCommand, ID_RECORDER_STOP, 0);
        if (LogLevelAtLeast(LogLow))
            WriteLogLine("CANCELLED RECORDING\r\n");
    }
    PlatformDestroyWindow(window);
}

/* The panel's tab when there is a panel; otherwise the stored one is kept,
 * so a run without the panel doesn't reset it. */
static int CurrentLastTab(void) {
    if (gApp.tabPanel == nullptr)
        return ReadLastTab();
    WindowHandle tabs = PlatformGetDialogItem(gApp.tabPanel, IDC_PANEL_TABS);
    return PlatformGetTabSelection(tabs) + 1;
}

static void OnDestroy(WindowHandle window) {
    RemoveJournalHook();
    ReleaseRecording();
    if (!gApp.commandLineMode) {
        int left = 0, top = 0;
        PlatformGetWindowPosition(window, &left, &top);
        SaveSettings(left, top, CurrentLastTab());
    }
    PlatformPostQuitMessage(ExitSuccess);
}

static void OnCommand(WindowHandle window, int command) {
    if (command == ID_FILE_EXIT)
        PlatformSendMessage(window, MsgClose, 0, 0);
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
    default:
        return PlatformDefaultWindowProc(window, message, wParam, lParam);
    }
}

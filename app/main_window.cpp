/*
 * main_window.cpp: the main window's procedure, its title and its layout.
 * Each message it handles goes to a function of its own, and each command
 * to the function that carries it out, found in one table; the document
 * commands live in document_commands.cpp, the recent-file entries in
 * settings/recent_files.cpp.
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
    return gDocument.path[0] != '\0' ? gDocument.path : "(Untitled)";
}

void ShowDocumentTitle(void) {
    char title[MaxPathLength + 16];
    snprintf(title, sizeof title, "Mirlow - %s", DocumentDisplayName());
    PlatformSetWindowTitle(gApp.mainWindow, title);
}

/* ---- Creation, closing and destruction ---- */

/* With Reload on, the most recent file is opened (and with
 * PlayImmediately played) before the window is first shown. */
static void OnCreate(WindowHandle window) {
    gApp.mainWindow = window;
    PlatformSetCancelNoticeWindow(window);
    ClearEventList();
    gDocument.path[0] = '\0';
    gDocument.modifiedCount = 0;
    if (gApp.commandLineMode)
        return;
    ShowProgramTitle();
    CreateMainToolbar();
    RebuildRecentMenu();
    SetCommandState(ID_FILE_NEW);
    PlatformSetMenuItemChecked(window, ID_VIEW_SHOW_TABS, gSettings.showTabs != 0);
    if (gSettings.reload != 0)
        ReopenMostRecentFile();
}

/* A recording or playback still running ends first: its hook would call
 * into a program that is ending. Then the document's changes are saved or
 * dropped, as the user says, or the window stays. */
static void OnClose(WindowHandle window) {
    if (gJournal.hook != nullptr)
        CancelJournalForExit();
    if (PromptToSave())
        PlatformDestroyWindow(window);
}

/* ---- The end of the Windows session ---- */

/* Sign-out, shutdown or restart asks first, and the program answers as
 * closing does: unsaved changes are saved, dropped or keep the session
 * from ending (Cancel, or a save that did not happen), while the system
 * shows why the program holds it up. Another program may still call the
 * end off, so a recording or a playback goes on until the session really
 * ends (OnEndSession ends it), unless the question needs it ended: a
 * recording is asked about while it runs and ends only to be saved; a
 * playback ends before the question, as the document is whole only
 * without the events its pass inserted. An unattended run has nothing to
 * ask. */
static bool AskBeforeTheSessionEnds(void) {
    if (gJournal.hook == nullptr)
        return PromptToSave();
    if (!RecordingInProgress()) {
        if (!ChangesWouldBeAskedAbout())
            return true;
        CancelJournalForExit();
        return PromptToSave();
    }
    if (gSettings.promptForSave == 0 || EventsRecordedSoFar() == 0)
        return true;
    int answer = AskToSaveChanges();
    if (answer != AnswerYes)
        return answer == AnswerNo;
    CancelJournalForExit();
    return SaveDocument();
}

static intptr_t OnQueryEndSession(WindowHandle window) {
    if (gApp.commandLineMode)
        return 1;
    char reason[MaxPathLength + 64];
    snprintf(reason, sizeof reason, "Mirlow is asking whether to save the changes to %s.",
             DocumentDisplayName());
    PlatformSetShutdownReason(window, reason);
    bool goOn = AskBeforeTheSessionEnds();
    PlatformSetShutdownReason(window, nullptr);
    return goOn ? 1 : 0;
}

/* The session ends: the system may stop the program at any moment after
 * this returns, so everything an exit does happens now. A recording is
 * finished as Stop finishes it, a playback ends and lets go of what it
 * holds, and the destruction writes the settings, the window's place and
 * the recent files. An unattended run ends as a cancelled one, and ends
 * itself here, since a program the system stops ends with another code. */
static void OnEndSession(WindowHandle window, bool ending) {
    if (!ending)
        return;
    if (gJournal.hook != nullptr)
        CancelJournalForExit();
    if (gApp.commandLineMode)
        ReportRunOutcome(ExitCancelled);
    LogPrintf(LogLow, "The Windows session is ending: Mirlow ends too");
    PlatformDestroyWindow(window);
    PlatformEndProcess(RunExitCode());
}

/* The panel's tab when there is a panel; otherwise the stored one is kept,
 * so a run without the panel doesn't reset it. */
static int CurrentLastTab(void) {
    if (gApp.tabPanel == nullptr)
        return ReadLastTab();
    WindowHandle tabs = PlatformGetDialogItem(gApp.tabPanel, IDC_PANEL_TABS);
    return PlatformGetTabSelection(tabs) + 1;
}

/* A minimised window's place is where it goes back to, so the next start
 * does not take the far-off minimised position for unusable. */
static void OnDestroy(WindowHandle window) {
    if (gJournal.hook != nullptr) {
        PlatformRemoveJournalHook(gJournal.hook);
        gJournal.hook = nullptr;
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

/* ---- Layout ----
 * The window has no sizing border: it is laid out around the toolbar and
 * the settings panel, or shrunk to a bar that shows the menu and the
 * toolbar when the panel is hidden. The panel moves with the toolbar's
 * real height, which the system decides. */

static int ToolbarHeight(void) {
    int width = 0, height = 0;
    if (gApp.toolbar != nullptr)
        PlatformGetToolbarExtent(gApp.toolbar, &width, &height);
    return height;
}

/* Below the toolbar as high as it now is (the scale or the system's
 * toolbar may have changed it), so the two never overlap. */
void PlacePanelBelowToolbar(WindowHandle dialog) {
    PlatformMoveChild(dialog, 0, PanelTopFor(ToolbarHeight(), PlatformWindowDpi(dialog)));
}

static void MeasureMainWindow(MainWindowMeasures* m) {
    WindowHandle window = gApp.mainWindow;
    ScreenRect outer = {0, 0, 0, 0};
    PlatformGetWindowRect(window, &outer);
    m->dpi = PlatformWindowDpi(window);
    m->outerWidth = outer.right - outer.left;
    m->outerHeight = outer.bottom - outer.top;
    m->clientWidth = m->clientHeight = 0;
    PlatformGetClientSize(window, &m->clientWidth, &m->clientHeight);
    m->toolbarWidth = m->toolbarHeight = 0;
    if (gApp.toolbar != nullptr)
        PlatformGetToolbarExtent(gApp.toolbar, &m->toolbarWidth, &m->toolbarHeight);
    m->panelWidth = m->panelHeight = 0;
    if (gApp.tabPanel != nullptr)
        PlatformGetClientSize(gApp.tabPanel, &m->panelWidth, &m->panelHeight);
    m->firstMenuItemWidth = PlatformMenuBarItemWidth(window, 0);
    m->menuHeight = PlatformScaledMetric(window, ScaledMenuHeight);
    m->frameHeight = PlatformScaledMetric(window, ScaledFrameHeight);
    m->captionHeight = PlatformScaledMetric(window, ScaledCaptionHeight);
    m->edgeWidth = PlatformScaledMetric(window, ScaledEdgeWidth);
    m->edgeHeight = PlatformScaledMetric(window, ScaledEdgeHeight);
}

/* The size is set only when it changes: setting it makes the window lay
 * itself out again, which would otherwise never end. */
void LayoutMainWindow(void) {
    if (gApp.commandLineMode || gApp.mainWindow == nullptr)
        return;
    if (gApp.tabPanel != nullptr)
        PlacePanelBelowToolbar(gApp.tabPanel);
    MainWindowMeasures measures;
    MeasureMainWindow(&measures);
    WindowSize size =
        MainWindowSizeFor(measures, gApp.tabPanel != nullptr && gSettings.showTabs != 0);
    if (size.width != measures.outerWidth || size.height != measures.outerHeight)
        PlatformSetWindowSize(gApp.mainWindow, size.width, size.height);
}

/* The panel itself is laid out for the new scale by the platform; it
 * follows at its next paint (RefreshPanelScale). */
static void FollowMainWindowDpi(intptr_t suggestion) {
    PlatformMoveToSuggestedRect(gApp.mainWindow, suggestion);
    LayoutMainWindow();
}

/* ---- Size and focus ---- */

static const uintptr_t SizeMinimized = 1;

static void OnSize(uintptr_t kind) {
    if (kind == SizeMinimized)
        return;
    FitToolbarToWindow();
    LayoutMainWindow();
}

/* The panel's controls take the keys; the bare main window has none. */
static bool OnSetFocus(void) {
    if (gApp.tabPanel == nullptr || gSettings.showTabs == 0)
        return false;
    FocusTabPanel();
    return true;
}

/* ---- Commands ---- */

static void ExitProgram(void) {
    if (gJournal.hook != nullptr)
        CancelJournalForExit();
    PlatformSendMessage(gApp.mainWindow, MsgClose, 0, 0);
}

static void Save(void) {
    SaveDocument();
}

static void SaveAs(void) {
    SaveDocumentAs();
}

struct CommandRoute {
    int command;
    void (*run)(void);
    bool replacesDocument; /* loads, saves or empties it: never while busy */
};

static const CommandRoute commandRoutes[] = {
    {ID_FILE_NEW, NewDocument, true},
    {ID_FILE_OPEN, OpenDocument, true},
    {ID_FILE_RELOAD, ReloadDocument, true},
    {ID_FILE_CLOSE, CloseDocument, true},
    {ID_FILE_SAVE, Save, true},
    {ID_FILE_SAVE_AS, SaveAs, true},
    {ID_FILE_RESET_RECENT, ResetRecentFiles, false},
    {ID_FILE_EXIT, ExitProgram, false},
    {ID_RECORDER_START, StartRecording, false},
    {ID_RECORDER_STOP, StopRecording, false},
    {ID_RECORDER_PLAYBACK, StartPlayback, false},
    {ID_VIEW_SHOW_TABS, ToggleShowTabs, false},
    {ID_VIEW_TOTAL_ACTIONS, ShowTotalActions, false},
    {ID_TOOLS_EDIT_SCRIPT, EditScriptFile, false},
    {ID_TOOLS_EDIT_LOG, EditLogFile, false},
    {ID_TOOLS_OPTIONS, RunOptionsDialog, false},
    {ID_HELP_CONTENTS, OpenHelpContents, false},
    {ID_HELP_SCRIPT_REFERENCE, OpenScriptReference, false},
    {ID_HELP_LEGAL, ShowLegalAgreement, false},
    {ID_HELP_EMAIL_SUPPORT, EmailTechSupport, false},
    {ID_HELP_WEB, OpenProductWebPage, false},
    {ID_HELP_ABOUT, ShowAboutBox, false},
};

/* Grayed menu items send nothing, but a command can still arrive by
 * other ways (a posted message, a stale toolbar click): the document is
 * not replaced under a recording or a playback whatever the sender. */
static void OnCommand(int command) {
    if (command >= ID_FILE_RECENT_1 && command <= ID_FILE_RECENT_8) {
        if (!ProgramIsBusy())
            OpenRecentFile(command - ID_FILE_RESET_RECENT);
        return;
    }
    for (const CommandRoute& route : commandRoutes) {
        if (route.command != command)
            continue;
        if (!(route.replacesDocument && ProgramIsBusy()))
            route.run();
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
    case MsgQueryEndSession:
        return OnQueryEndSession(window);
    case MsgEndSession:
        OnEndSession(window, wParam != 0);
        return 0;
    case MsgSize:
        OnSize(wParam);
        return 0;
    case MsgSetFocus:
        if (OnSetFocus())
            return 0;
        break;
    case MsgCommand:
        OnCommand((int)(wParam & 0xFFFF));
        return 0;
    case MsgCancelJournal:
        /* Also inside a message box or a menu, whose loops lose thread messages. */
        if (gJournal.hook != nullptr)
            CancelJournal();
        return 0;
    case MsgDpiChanged:
        RescaleToolbar();
        FollowMainWindowDpi(lParam);
        return 0;
    case MsgNotify:
        if (AnswerToolbarTooltip(lParam))
            return 0;
        break;
    default:
        break;
    }
    return PlatformDefaultWindowProc(window, message, wParam, lParam);
}

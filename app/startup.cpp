/*
 * startup.cpp: the program's entry into its run: connect the log, obtain
 * every buffer, register the window class and the file types, read the
 * settings (and restart the log when asked), create the main window, then
 * either show it or start the command-line playback. The shell's state
 * lives here, and so do the calls through which the engines find its
 * windows and its mode (shell.h).
 *
 * Everything that recording and playback will ever need is obtained here,
 * before the main window exists, so the hooks later work on fixed memory.
 */
#include "app/app.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "model/model.h"
#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"
#include "settings/settings.h"

AppState gApp;
const char* const MainWindowClassName = "Mirlow";
const char* const ProgramTitle = "Mirlow";

WindowHandle MainWindowHandle(void) {
    return gApp.mainWindow;
}

WindowHandle SettingsPanelHandle(void) {
    return gApp.tabPanel;
}

bool InCommandLineMode(void) {
    return gApp.commandLineMode;
}

bool PathFromCommandTail(const char* tail, char* path) {
    const char* start = tail;
    size_t length;
    if (*tail == '"') {
        start = tail + 1;
        const char* closing = strchr(start, '"');
        length = closing != nullptr ? (size_t)(closing - start) : strlen(start);
    } else {
        length = strlen(tail);
    }
    path[0] = '\0';
    if (length > (size_t)MaxPathLength)
        return false;
    memcpy(path, start, length);
    path[length] = '\0';
    return true;
}

/* The three memory messages are shown only to a user who is there to read
 * them; an unattended run fails silently and says so in its exit code. */
static void ReportAllocationFailure(RecordingAllocation failure) {
    static const char* const texts[] = {"", "Event Memory Failure!", "Integer Memory Failure!",
                                        "Script Memory Allocation Failure!",
                                        "Window Memory Failure!"};
    static const char* const captions[] = {"", "Failure", "Failure", "Memory Error", "Failure"};
    if (gApp.commandLineMode)
        return;
    ShowMessageBox(texts[failure], captions[failure], BoxOk | BoxIconWarning | BoxTaskModal);
}

static bool RegisterMainWindowClass(void) {
    WindowClassSpec spec;
    spec.className = MainWindowClassName;
    spec.procedure = MainWindowProc;
    spec.iconId = IDI_MIRLOW;
    spec.menuId = IDR_MAIN_MENU;
    spec.redrawOnSize = true;
    return PlatformRegisterWindowClass(&spec);
}

static WindowHandle CreateMainWindow(const WindowPosition& position) {
    return PlatformCreateWindow(MainWindowClassName, ProgramTitle,
                                StyleCaption | StyleSystemMenu | StyleMinimizeBox, position.x,
                                position.y, PlatformSystemMetric(MetricMinWindowWidth),
                                PlatformSystemMetric(MetricMinWindowHeight));
}

const char* SkipLeadingBlanks(const char* text) {
    while (*text == ' ' || *text == '\t')
        text++;
    return text;
}

/* A path longer than the system's limit is refused, never cut (a cut path
 * names another file), and told like any other file that can't be loaded;
 * the log holds the whole of it. */
static void ReportOverlongPath(const char* tail) {
    ShowPathTooLong(tail, false);
    LogPrintf(LogLow, "ERROR: Unable to open '%s': the path is longer than %d characters", tail,
              MaxPathLength);
}

/* The main window's creation has emptied the document path that start-up
 * named early; it is named again here. */
static bool StartCommandLineRun(const char* tail) {
    if (!PathFromCommandTail(tail, gDocument.path)) {
        ReportOverlongPath(tail);
        return false;
    }
    if (LoadRecording(gDocument.path, true) < 0)
        return false;
    if (LastLoadWasCut())
        ReportRunOutcome(ExitPlayedInPart);
    gJournal.loopsCompleted = 0;
    PlatformPostMessage(gApp.mainWindow, MsgCommand, ID_RECORDER_PLAYBACK, 0);
    return true;
}

/* The hotkeys are taken up before the panel, which shows their standing. */
static void ShowInteractiveWindow(int showState) {
    PlatformShowWindow(gApp.mainWindow, showState);
    PlatformUpdateWindow(gApp.mainWindow);
    if (gSettings.topmost != 0)
        PlatformMakeTopmost(gApp.mainWindow);
    TakeUpHotkeys();
    gApp.tabPanel = CreateTabPanel();
    ShowTabPanelIfChosen();
    LayoutMainWindow();
}

/* RestartLog empties the log once the settings are read. In interactive
 * mode with Reload on, the most recent file is reopened once the main
 * window exists; the log is told, so the erase spares it. */
static void RestartLog(void) {
    if (gSettings.restartLog == 0)
        return;
    char reopened[RegistryTextSize] = "";
    if (gSettings.reload != 0 && !gApp.commandLineMode) {
        char valuePath[RegistryPathSize];
        snprintf(valuePath, sizeof valuePath, "%s\\File1", SettingsKeyPath);
        ReadSettingValue(valuePath, KindText, reopened, sizeof reopened, 0);
    }
    EraseLogFile(reopened);
}

static bool FailStart(ExitCode code, int* exitCode) {
    ReportRunOutcome(code);
    *exitCode = RunExitCode();
    return false;
}

bool StartMirlow(const char* commandTail, int showState, int* exitCode) {
    memset(&gApp, 0, sizeof gApp);
    memset(&gDocument, 0, sizeof gDocument);
    memset(&gJournal, 0, sizeof gJournal);
    ConnectLog(&gSettings.log, gSettings.logfile, gDocument.path);
    commandTail = SkipLeadingBlanks(commandTail);
    gApp.commandLineMode = commandTail[0] != '\0';
    *exitCode = ExitSuccess;
    /* The recording is named before the settings are read, so that the
     * log's start-up erase knows which file it must never touch. */
    if (gApp.commandLineMode)
        PathFromCommandTail(commandTail, gDocument.path);

    RecordingAllocation allocation = AllocateRecording();
    if (allocation != AllocationSucceeded) {
        ReportAllocationFailure(allocation);
        return FailStart(ExitStartupFailed, exitCode);
    }
    RegisterMainWindowClass();
    SeedRandom(PlatformRandomSeed());
    RegisterFileType("mrl", "mirlow.exe", ProgramTitle, 2);
    RegisterFileType("mrx", "mirlow.exe", ProgramTitle, 2);

    WindowPosition position;
    LoadSettings(&position);
    /* Nobody may be there to answer an unattended run's boxes. */
    SetMessageBoxWait(gApp.commandLineMode ? gSettings.boxWait : 0);
    RestartLog();
    if (CreateMainWindow(position) == nullptr)
        return FailStart(ExitStartupFailed, exitCode);

    if (gApp.commandLineMode) {
        if (!StartCommandLineRun(commandTail)) {
            PlatformDestroyWindow(gApp.mainWindow);
            return FailStart(ExitLoadFailed, exitCode);
        }
    } else {
        ShowInteractiveWindow(showState);
    }
    LoadLoopAccelerators();
    return true;
}

int RunMirlow(const char* commandTail, int showState) {
    int exitCode;
    if (!StartMirlow(commandTail, showState, &exitCode))
        return exitCode;
    return RunMessageLoop();
}

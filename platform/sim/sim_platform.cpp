/*
 * sim_platform.cpp: a simulated desktop for the native build.
 *
 * It behaves like the system where the program's rules depend on it:
 * window creation sends the creation message before it returns, closing by
 * default destroys, destruction sends the destruction message, posted
 * messages come back in order and the quit message comes only once the
 * queue is empty; a message box dispatches what is posted to windows
 * while it is open, as the system's modal loop does; window titles
 * compare without regard to letter case. Where a real desktop would wait
 * for a person, it answers from what a test queued, and when nothing at
 * all is left to do, retrieval fails instead of blocking, so a run always
 * ends.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <strings.h>

#include "platform/journal_driver.h"
#include "platform/sim/sim_internal.h"
#include <sys/stat.h>

#include "resources/resource.h"

const LocalTime SimStartLocalTime = {2000, 1, 6, 1, 0, 0, 0, 0};

namespace {

struct SimWindow {
    bool exists;
    std::string className;
    std::string title;
    WindowProcedure procedure;
    WindowHandle parent;
    int controlId;
    bool visible;
    bool topmost;
    int showState;
    int x, y, width, height;
    int tabSelection;
    bool minimized;
    int answers;         /* checks its thread still answers; -1: every one */
    std::string program; /* the file name of the program it belongs to */
    bool otherProgram;   /* made by SimAddDesktopWindow */
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
};

struct SimClass {
    std::string name;
    WindowProcedure procedure;
    int menuId;
};

struct SimDesktop {
    uint32_t tick = SimStartTick;
    LocalTime localTime = SimStartLocalTime;
    int allocations = 0;
    int failAllocation = 0;
    std::vector<void*> liveBlocks;
    std::deque<int> answers;
    std::vector<SimMessageBox> boxes;
    bool keys[256] = {};
    std::vector<SimWindow> windows;
    std::vector<SimClass> classes;
    std::deque<PlatformMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    int acceleratorLoads = 0;
    int removedHooks = 0;
    std::vector<SimDelivered> delivered;
    int deliveredCount = 0;
    bool keepDelivered = true;
    void (*observer)(uint32_t, const EventRecord*) = nullptr;
    int wakeOffset = 0;
    std::deque<uint32_t> wakes;
    int cancelAfter = 0;
    bool failHookInstall = false;
    bool injectsKeys = false;
    int togglePresses = 0;
    int hookCalls = 0;
    WindowHandle foreground = nullptr;
    int blockingCalls = 0; /* calls that would wait for a thread that does not answer */
    std::string shutdownReason;
    int endedWith = -1;
    WindowHandle cancelNoticeWindow = nullptr;
    std::vector<std::string> startedPrograms;
    int64_t startedProgramCount = 0;
    std::vector<std::string> failingPrograms;
    bool seedSet = false;
    uint32_t seed = 0;
    void (*boxObserver)(const SimMessageBox*) = nullptr;
    bool journalPending = false;  /* the system's journal is installed, not yet called */
    bool journalFellBack = false; /* it was never called: injected input from then on */

    bool hasProgramPath = true;
    std::string programPath = SimDefaultProgramPath;

    struct WindowChange {
        uint32_t tick;
        WindowHandle window;
        SimWindowChangeKind kind;
        int x, y;
        std::string title;
    };
    std::vector<WindowChange> windowChanges;                 /* not yet due */
    std::map<std::string, int> programStartups;              /* by lower-case program name */
    std::map<uintptr_t, std::pair<uint32_t, int>> processes; /* start tick, readiness time */
    bool cancelAtTickSet = false;
    uint32_t cancelAtTick = 0;
};

SimDesktop* desktop = new SimDesktop;

const uintptr_t HandleBase = 0x100;

SimWindow* Lookup(WindowHandle handle) {
    uintptr_t index = (uintptr_t)handle - HandleBase;
    if (handle == nullptr || index >= desktop->windows.size())
        return nullptr;
    SimWindow* window = &desktop->windows[index];
    return window->exists ? window : nullptr;
}

WindowHandle HandleOf(size_t index) {
    return (WindowHandle)(HandleBase + index);
}

const SimClass* FindClass(const char* name) {
    for (const SimClass& c : desktop->classes) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

/* The states the menu resource gives its items before the program changes
 * any: only Stop Recording and Playback start grayed, Show Tabs checked. */
bool ResourceItemEnabled(int commandId) {
    return commandId != ID_RECORDER_STOP && commandId != ID_RECORDER_PLAYBACK;
}

bool ResourceItemChecked(int commandId) {
    return commandId == ID_VIEW_SHOW_TABS;
}

WindowHandle AddWindow(const char* className, const char* title, WindowProcedure procedure,
                       WindowHandle parent, int controlId) {
    SimWindow window;
    window.exists = true;
    window.className = className;
    window.title = title != nullptr ? title : "";
    window.procedure = procedure;
    window.parent = parent;
    window.controlId = controlId;
    window.visible = false;
    window.topmost = false;
    window.showState = -1;
    window.answers = -1;
    window.x = window.y = 0;
    window.width = window.height = 0;
    window.tabSelection = 0;
    window.minimized = false;
    window.otherProgram = false;
    desktop->windows.push_back(window);
    return HandleOf(desktop->windows.size() - 1);
}

} // namespace

/* ---- Control ---- */

const char* const SimDefaultProgramPath = "C:\\Program Files\\Mirlow\\mirlow.exe";

void SimReset(void) {
    for (void* block : desktop->liveBlocks)
        free(block);
    ForgetEmulatedHook();
    TakePendingCancel();
    SimResetRecordInput();
    delete desktop;
    desktop = new SimDesktop;
    SimResetRegistry();
    SimResetDocuments();
    SimResetDialogs();
    SimResetPlayback();
    SimResetTarget();
    SimResetToolbarAndShell();
    SimSetLocalAppDataFolder(nullptr);
}

void SimSetProgramPath(const char* path) {
    desktop->hasProgramPath = path != nullptr;
    desktop->programPath = path != nullptr ? path : "";
}

static void ApplyDueWindowChanges(void);

void SimSetTickCount(uint32_t ticks) {
    desktop->tick = ticks;
    ApplyDueWindowChanges();
}

void SimAdvanceClock(uint32_t milliseconds) {
    desktop->tick += milliseconds;
    ApplyDueWindowChanges();
}

void PlatformSleep(int milliseconds) {
    if (milliseconds > 0)
        desktop->tick += (uint32_t)milliseconds;
}

void SimSetLocalTime(const LocalTime& time) {
    desktop->localTime = time;
}

void SimFailAllocation(int number) {
    desktop->failAllocation = number;
}

int SimAllocationCount(void) {
    return desktop->allocations;
}

int SimLiveBlockCount(void) {
    return (int)desktop->liveBlocks.size();
}

void SimQueueAnswer(int answer) {
    desktop->answers.push_back(answer);
}

const std::vector<SimMessageBox>& SimMessageBoxes(void) {
    return desktop->boxes;
}

void SimClearMessageBoxes(void) {
    desktop->boxes.clear();
}

void SimSetKeyDown(int virtualKey, bool down) {
    desktop->keys[virtualKey & 0xFF] = down;
}

SimWindowInfo SimGetWindowInfo(WindowHandle handle) {
    SimWindowInfo info = {false, "", "", false, false, -1, 0, 0, 0, 0};
    const SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return info;
    info.exists = true;
    info.className = window->className;
    info.title = window->title;
    info.visible = window->visible;
    info.topmost = window->topmost;
    info.showState = window->showState;
    info.x = window->x;
    info.y = window->y;
    info.width = window->width;
    info.height = window->height;
    return info;
}

WindowHandle SimFindWindow(const char* className) {
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        const SimWindow& window = desktop->windows[i];
        if (window.exists && window.parent == nullptr && window.className == className)
            return HandleOf(i);
    }
    return nullptr;
}

WindowHandle SimCreateChild(WindowHandle parent, const char* className, int controlId,
                            WindowProcedure procedure) {
    return AddWindow(className, "", procedure, parent, controlId);
}

int SimMessageQueueLength(void) {
    return (int)desktop->queue.size();
}

bool SimMenuItemEnabled(WindowHandle handle, int commandId) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr || window->enabled.count(commandId) == 0)
        return ResourceItemEnabled(commandId);
    return window->enabled.at(commandId);
}

bool SimMenuItemChecked(WindowHandle handle, int commandId) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr || window->checked.count(commandId) == 0)
        return ResourceItemChecked(commandId);
    return window->checked.at(commandId);
}

int SimAcceleratorLoads(void) {
    return desktop->acceleratorLoads;
}

int SimRemovedHooks(void) {
    return desktop->removedHooks;
}

const std::vector<SimDelivered>& SimDeliveredEvents(void) {
    return desktop->delivered;
}

int SimDeliveredCount(void) {
    return desktop->deliveredCount;
}

void SimSetDeliveryObserver(void (*observer)(uint32_t tick, const EventRecord* record)) {
    desktop->observer = observer;
}

void SimKeepDeliveredEvents(bool keep) {
    desktop->keepDelivered = keep;
}

void SimSetWakeOffset(int milliseconds) {
    desktop->wakeOffset = milliseconds;
}

void SimQueueWake(uint32_t milliseconds) {
    desktop->wakes.push_back(milliseconds);
}

void SimCancelJournalAfter(int deliveredCount) {
    desktop->cancelAfter = deliveredCount;
}

void SimFailHookInstall(bool fail) {
    desktop->failHookInstall = fail;
}

void SimSetInputInjectsKeys(bool injects) {
    desktop->injectsKeys = injects;
}

int SimToggleKeyPresses(void) {
    return desktop->togglePresses;
}

int SimHookCallCount(void) {
    return desktop->hookCalls;
}

WindowHandle SimAddDesktopWindow(const char* title, int x, int y, int width, int height,
                                 bool minimized) {
    WindowHandle handle = AddWindow("SimDesktopWindow", title, nullptr, nullptr, 0);
    SimWindow* window = Lookup(handle);
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    window->minimized = minimized;
    window->visible = true;
    window->otherProgram = true;
    return handle;
}

bool SimIsOtherProgramsWindow(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr && window->otherProgram;
}

bool SimWindowMinimized(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr && window->minimized;
}

WindowHandle SimForegroundWindow(void) {
    return desktop->foreground;
}

void SimMoveWindow(WindowHandle handle, int x, int y) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return;
    window->x = x;
    window->y = y;
}

void SimSetWindowAnswers(WindowHandle handle, int checks) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->answers = checks;
}

int SimBlockingCalls(void) {
    return desktop->blockingCalls;
}

/* A synchronous call to a window whose thread has stopped answering would
 * wait for good on a real desktop; here it is counted and does nothing. */
static bool WouldBlock(SimWindow* window) {
    if (window->answers != 0)
        return false;
    desktop->blockingCalls++;
    return true;
}

const std::vector<std::string>& SimStartedPrograms(void) {
    return desktop->startedPrograms;
}

int64_t SimStartedProgramCount(void) {
    return desktop->startedProgramCount;
}

void SimFailProgram(const char* programName) {
    desktop->failingPrograms.push_back(programName);
}

/* ---- Memory, files and time ---- */

void* PlatformAllocate(size_t bytes) {
    desktop->allocations++;
    if (desktop->allocations == desktop->failAllocation)
        return nullptr;
    void* block = malloc(bytes);
    if (block != nullptr)
        desktop->liveBlocks.push_back(block);
    return block;
}

void PlatformRelease(void* block) {
    std::vector<void*>& live = desktop->liveBlocks;
    for (size_t i = 0; i < live.size(); i++) {
        if (live[i] == block) {
            live[i] = live.back();
            live.pop_back();
            free(block);
            return;
        }
    }
}

/* The simulated desktop keeps its files on the real file system. */
int64_t PlatformFileSize(const char* path) {
    struct stat entry;
    if (stat(path, &entry) != 0 || !S_ISREG(entry.st_mode))
        return 0;
    return (int64_t)entry.st_size;
}

uint32_t PlatformTickCount(void) {
    return desktop->tick;
}

uint32_t PlatformRandomSeed(void) {
    return desktop->seedSet ? desktop->seed : desktop->tick;
}

void SimSetRandomSeed(uint32_t seed) {
    desktop->seedSet = true;
    desktop->seed = seed;
}

void SimSetMessageBoxObserver(void (*observer)(const SimMessageBox* box)) {
    desktop->boxObserver = observer;
}

void PlatformLocalTime(LocalTime* time) {
    *time = desktop->localTime;
}

/* ---- Message boxes ---- */

static int FirstButton(uint32_t style) {
    uint32_t buttons = style & 0x0F;
    return buttons == BoxYesNo || buttons == BoxYesNoCancel ? AnswerYes : AnswerOk;
}

/* The answer is taken when the box is shown, so boxes that messages
 * dispatched meanwhile open take the answers queued after it. */
int PlatformMessageBoxWithIcon(const char* text, const char* caption, uint32_t style, int iconId) {
    desktop->boxes.push_back(SimMessageBox{text, caption, style, iconId});
    if (desktop->boxObserver != nullptr)
        desktop->boxObserver(&desktop->boxes.back());
    int answer = FirstButton(style);
    if (!desktop->answers.empty()) {
        answer = desktop->answers.front();
        desktop->answers.pop_front();
    }
    SimRunModalLoop();
    return answer;
}

int PlatformMessageBox(const char* text, const char* caption, uint32_t style) {
    return PlatformMessageBoxWithIcon(text, caption, style, 0);
}

/* ---- Windows ---- */

bool PlatformRegisterWindowClass(const WindowClassSpec* spec) {
    if (FindClass(spec->className) != nullptr)
        return false;
    desktop->classes.push_back(SimClass{spec->className, spec->procedure, spec->menuId});
    return true;
}

/* Where the system puts a window left to its default position. */
static const int DefaultX = 26;
static const int DefaultY = 26;

WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style, int x,
                                  int y, int width, int height) {
    (void)style;
    const SimClass* windowClass = FindClass(className);
    if (windowClass == nullptr)
        return nullptr;
    WindowHandle handle = AddWindow(className, title, windowClass->procedure, nullptr, 0);
    SimWindow* window = Lookup(handle);
    window->x = x == DefaultWindowPosition ? DefaultX : x;
    window->y = x == DefaultWindowPosition ? DefaultY : y;
    window->width = width;
    window->height = height;
    if (window->procedure(handle, MsgCreate, 0, 0) == -1) {
        Lookup(handle)->exists = false;
        return nullptr;
    }
    return handle;
}

bool PlatformDestroyWindow(WindowHandle handle) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return false;
    /* As on the system, the window hears of its destruction while its
     * children still exist; they go after it. */
    WindowProcedure procedure = window->procedure;
    if (procedure != nullptr)
        procedure(handle, MsgDestroy, 0, 0);
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        if (desktop->windows[i].exists && desktop->windows[i].parent == handle)
            PlatformDestroyWindow(HandleOf(i));
    }
    Lookup(handle)->exists = false;
    return true;
}

intptr_t PlatformDefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
    (void)wParam;
    (void)lParam;
    if (message == MsgClose)
        PlatformDestroyWindow(window);
    return 0;
}

bool PlatformSetWindowTitle(WindowHandle handle, const char* title) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return false;
    window->title = title;
    return true;
}

int PlatformGetWindowTitle(WindowHandle handle, char* buffer, int size) {
    const SimWindow* window = Lookup(handle);
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    if (window == nullptr)
        return 0;
    size_t length = window->title.size();
    if (length > (size_t)size - 1)
        length = (size_t)size - 1;
    memcpy(buffer, window->title.data(), length);
    buffer[length] = '\0';
    return (int)length;
}

void PlatformShowWindow(WindowHandle handle, int showState) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr || WouldBlock(window))
        return;
    window->showState = showState;
    window->visible = showState != ShowHide;
    if (showState == ShowMinimize)
        window->minimized = true;
    else if (showState == ShowRestore)
        window->minimized = false;
}

void PlatformSetShutdownReason(WindowHandle handle, const char* reason) {
    if (Lookup(handle) != nullptr)
        desktop->shutdownReason = reason != nullptr ? reason : "";
}

const std::string& SimShutdownReason(void) {
    return desktop->shutdownReason;
}

void PlatformUpdateWindow(WindowHandle handle) {
    (void)handle;
}

void PlatformMakeTopmost(WindowHandle handle) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->topmost = true;
}

void PlatformMakeNotTopmost(WindowHandle handle) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->topmost = false;
}

bool PlatformGetWindowPosition(WindowHandle handle, int* left, int* top) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return false;
    *left = window->x;
    *top = window->y;
    return true;
}

void PlatformSetWindowSize(WindowHandle handle, int width, int height) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return;
    window->width = width;
    window->height = height;
}

int PlatformSystemMetric(SystemMetric metric) {
    switch (metric) {
    case MetricMinWindowWidth:
        return 136;
    case MetricMinWindowHeight:
        return 39;
    case MetricFullScreenWidth:
        return 1280;
    case MetricFullScreenHeight:
        return 777;
    case MetricMenuHeight:
        return 19;
    case MetricFrameHeight:
        return 4;
    case MetricCaptionHeight:
        return 19;
    }
    return 0;
}

/* ---- Menus ---- */

void PlatformSetMenuItemEnabled(WindowHandle handle, int commandId, bool enabled) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->enabled[commandId] = enabled;
}

void PlatformSetMenuItemChecked(WindowHandle handle, int commandId, bool checked) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->checked[commandId] = checked;
}

/* Every item of the simulated menu bar is as wide as "&File" would be. */
int PlatformMenuBarItemWidth(WindowHandle handle, int index) {
    (void)index;
    return Lookup(handle) != nullptr ? 30 : 0;
}

/* ---- Messages ---- */

static void WaitOnClock(uint32_t asked) {
    uint32_t actual = asked;
    if (!desktop->wakes.empty()) {
        actual = desktop->wakes.front();
        desktop->wakes.pop_front();
    } else if (desktop->wakeOffset < 0 && (uint32_t)-desktop->wakeOffset > asked) {
        actual = 0;
    } else {
        actual = asked + (uint32_t)desktop->wakeOffset;
    }
    desktop->tick += actual;
    ApplyDueWindowChanges();
}

void PlatformSetCancelNoticeWindow(WindowHandle window) {
    desktop->cancelNoticeWindow = window;
}

void SimPostCancelNotice(void) {
    PlatformPostMessage(nullptr, MsgCancelJournal, 0, 0);
}

/* The system's cancel keys: the hook is removed first, then the program is
 * told. */
static void CancelJournalLikeTheSystem(void) {
    ForgetEmulatedHook();
    SimPostCancelNotice();
}

void SimCancelJournalNow(void) {
    CancelJournalLikeTheSystem();
}

static InputDelivery DeliverToSystem(const EventRecord* record) {
    InputDelivery outcome = SimJudgeDelivery(desktop->deliveredCount);
    if (outcome != InputDelivered)
        return outcome;
    desktop->deliveredCount++;
    SimNoteKeyStrokes(*record);
    if (desktop->keepDelivered)
        desktop->delivered.push_back(SimDelivered{desktop->tick, *record});
    if (desktop->observer != nullptr)
        desktop->observer(desktop->tick, record);
    SimTargetTakes();
    if (desktop->cancelAfter > 0 && desktop->deliveredCount >= desktop->cancelAfter)
        CancelJournalLikeTheSystem();
    return InputDelivered;
}

/* A journal that is never called: the platform gives up on it after the
 * first-call time-out and injects the input from then on. */
static void FallBackFromSilentJournal(void) {
    if (!desktop->journalPending)
        return;
    desktop->journalPending = false;
    desktop->journalFellBack = true;
    desktop->tick += JournalFirstCallTimeout;
    ApplyDueWindowChanges();
}

/* Drives the playback hook until a posted message is waiting or no hook is
 * left. */
static void DriveJournal(void) {
    while (desktop->queue.empty()) {
        FallBackFromSilentJournal();
        const JournalInput input = {DeliverToSystem, SimStartTakenCheck, SimPollTakenCheck};
        JournalStep step = StepEmulatedJournal(input);
        if (TakePendingCancel())
            PlatformPostMessage(nullptr, MsgCancelJournal, 0, 0);
        if (!step.ran)
            return;
        desktop->hookCalls++;
        if (step.waitMs > 0)
            WaitOnClock(step.waitMs);
        if (desktop->cancelAtTickSet && (int32_t)(desktop->tick - desktop->cancelAtTick) >= 0 &&
            EmulatedHookInstalled()) {
            desktop->cancelAtTickSet = false;
            CancelJournalLikeTheSystem();
        }
    }
}

int PlatformGetMessage(PlatformMessage* message) {
    memset(message, 0, sizeof *message);
    DriveJournal();
    if (!desktop->queue.empty()) {
        *message = desktop->queue.front();
        desktop->queue.pop_front();
        return 1;
    }
    if (desktop->quitPosted) {
        desktop->quitPosted = false;
        message->message = MsgQuit;
        message->wParam = (uintptr_t)desktop->quitCode;
        return 0;
    }
    return -1;
}

/* The system's cancel notice is readdressed to the window named for it,
 * as the Windows side does for every loop that takes it. */
bool PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window != nullptr && Lookup(window) == nullptr)
        return false;
    if (window == nullptr && message == MsgCancelJournal &&
        Lookup(desktop->cancelNoticeWindow) != nullptr)
        window = desktop->cancelNoticeWindow;
    PlatformMessage posted = {window, message, wParam, lParam, desktop->tick, 0, 0};
    desktop->queue.push_back(posted);
    return true;
}

intptr_t PlatformSendMessage(WindowHandle handle, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr || window->procedure == nullptr)
        return 0;
    return window->procedure(handle, message, wParam, lParam);
}

/* A test process goes on: the code is kept for the test to read, and the
 * quit message the destruction posted ends the loop. */
void PlatformEndProcess(int exitCode) {
    desktop->endedWith = exitCode;
}

int SimProcessEndedWith(void) {
    return desktop->endedWith;
}

void PlatformPostQuitMessage(int exitCode) {
    desktop->quitPosted = true;
    desktop->quitCode = exitCode;
}

void PlatformTranslateAndDispatch(const PlatformMessage* message) {
    PlatformSendMessage(message->window, message->message, message->wParam, message->lParam);
}

AcceleratorHandle PlatformLoadAccelerators(int resourceId) {
    desktop->acceleratorLoads++;
    return SimLoadAcceleratorTable(resourceId);
}

/* A loop that dispatches without end (a handler that posts to itself)
 * stops at the system's own limit of posted messages per queue. */
static const int ModalLoopMessageLimit = 10000;

void SimRunModalLoop(void) {
    for (int handled = 0; handled < ModalLoopMessageLimit && !desktop->queue.empty(); handled++) {
        PlatformMessage message = desktop->queue.front();
        desktop->queue.pop_front();
        if (message.window != nullptr)
            PlatformTranslateAndDispatch(&message);
    }
}

WindowHandle SimParentOf(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr ? window->parent : nullptr;
}

bool SimWindowHasMenu(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    const SimClass* windowClass =
        window != nullptr ? FindClass(window->className.c_str()) : nullptr;
    return windowClass != nullptr && windowClass->menuId != 0;
}

bool PlatformIsKeyDown(int virtualKey) {
    return desktop->keys[virtualKey & 0xFF];
}

/* ---- Controls ---- */

WindowHandle PlatformGetDialogItem(WindowHandle dialog, int controlId) {
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        const SimWindow& window = desktop->windows[i];
        if (window.exists && window.parent == dialog && window.controlId == controlId)
            return HandleOf(i);
    }
    return nullptr;
}

int PlatformGetTabSelection(WindowHandle tabControl) {
    const SimWindow* window = Lookup(tabControl);
    return window != nullptr ? window->tabSelection : -1;
}

void PlatformSetTabSelection(WindowHandle tabControl, int index) {
    SimWindow* window = Lookup(tabControl);
    if (window != nullptr)
        window->tabSelection = index;
}

intptr_t PlatformSendNotify(WindowHandle dialog, WindowHandle control, int controlId, int code) {
    (void)control;
    return PlatformSendMessage(dialog, MsgNotify, (uintptr_t)controlId, (intptr_t)code);
}

/* ---- The program file ---- */

int PlatformProgramPath(char* buffer, int size) {
    int length = (int)desktop->programPath.size();
    if (!desktop->hasProgramPath || length >= size)
        return -1;
    memcpy(buffer, desktop->programPath.c_str(), (size_t)length + 1);
    return length;
}

/* ---- Journal hooks ---- */

HookHandle PlatformInstallPlaybackHook(PlaybackHookProcedure procedure) {
    if (desktop->failHookInstall)
        return nullptr;
    desktop->journalPending =
        SimJournalIsNeverCalled() && !desktop->journalFellBack && !SimInjectedInputPreferred();
    return InstallEmulatedHook(procedure);
}

/* The simulated system plays through a journal unless told that its input
 * layer injects real keys, or its journal was never called; and, as on
 * Windows, a recording that types text is played through injected input. */
bool PlatformPlaybackUsesSystemJournal(void) {
    if (desktop->journalPending)
        return true;
    return !desktop->injectsKeys && !desktop->journalFellBack && !SimInjectedInputPreferred();
}

bool PlatformRemoveJournalHook(HookHandle hook) {
    if (hook == nullptr)
        return false;
    desktop->removedHooks++;
    RemoveEmulatedHook(hook);
    return true;
}

intptr_t PlatformCallNextHook(HookHandle hook, int code) {
    (void)hook;
    (void)code;
    return 0;
}

bool PlatformPressToggleKey(int virtualKey) {
    (void)virtualKey;
    if (!PlatformPlaybackUsesSystemJournal())
        return false;
    desktop->togglePresses++;
    return true;
}

void PlatformGetVersion(PlatformVersionInfo* version) {
    version->platformId = 2;
    version->majorVersion = 10;
    version->minorVersion = 0;
    version->buildNumber = 19045;
}

/* ---- Other programs' windows ---- */

/* Titles compare as the system's window search compares them: letter
 * case is ignored (ASCII letters only, see the platform contract suite). */
static bool TitleMatches(const SimWindow& window, const char* title) {
    return window.exists && window.parent == nullptr &&
           strcasecmp(window.title.c_str(), title) == 0;
}

WindowHandle PlatformFindWindowByTitle(const char* title) {
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        if (TitleMatches(desktop->windows[i], title))
            return HandleOf(i);
    }
    return nullptr;
}

bool PlatformIsWindowMinimized(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr && window->minimized;
}

/* Asynchronous: a thread that does not answer never acts on it. */
void PlatformActivateWindow(WindowHandle handle, int showState) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr || window->answers == 0)
        return;
    window->showState = showState;
    window->visible = true;
    if (showState == ShowRestore)
        window->minimized = false;
    if (!SimTakeForegroundRefusal())
        desktop->foreground = handle;
}

bool PlatformGetWindowRect(WindowHandle handle, ScreenRect* rect) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return false;
    /* A window placed at the edge of the coordinate range ends there. */
    int64_t right = (int64_t)window->x + window->width;
    int64_t bottom = (int64_t)window->y + window->height;
    *rect = ScreenRect{window->x, window->y, (int)(right < INT32_MAX ? right : INT32_MAX),
                       (int)(bottom < INT32_MAX ? bottom : INT32_MAX)};
    return true;
}

/* ---- Which window input was meant for ---- */

WindowHandle PlatformTopLevelWindowOf(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    while (window != nullptr && window->parent != nullptr) {
        handle = window->parent;
        window = Lookup(handle);
    }
    return window != nullptr ? handle : nullptr;
}

/* The program's own windows belong to its program file. */
static std::string ProgramOf(const SimWindow& window) {
    if (window.otherProgram || !desktop->hasProgramPath)
        return window.program;
    const std::string& path = desktop->programPath;
    size_t folder = path.find_last_of("\\/");
    return folder == std::string::npos ? path : path.substr(folder + 1);
}

int PlatformGetWindowText(WindowHandle handle, WindowTextKind kind, char* buffer, int size) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr || size < 1)
        return -1;
    std::string text = kind == WindowTitleText   ? window->title
                       : kind == WindowClassText ? window->className
                                                 : ProgramOf(*window);
    snprintf(buffer, (size_t)size, "%s", text.c_str());
    return (int)strlen(buffer);
}

bool PlatformIsWindowShown(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr && window->visible;
}

/* The simulated desktop stacks the foreground window on top, then the
 * others newest first, as a new window opens above the older ones. */
int PlatformListShownWindows(WindowHandle* windows, int capacity) {
    int count = 0;
    WindowHandle foreground = desktop->foreground;
    const SimWindow* top = Lookup(foreground);
    if (top != nullptr && top->visible && top->parent == nullptr && count < capacity)
        windows[count++] = foreground;
    for (size_t i = desktop->windows.size(); i-- > 0 && count < capacity;) {
        const SimWindow& window = desktop->windows[i];
        if (window.exists && window.visible && window.parent == nullptr &&
            HandleOf(i) != foreground)
            windows[count++] = HandleOf(i);
    }
    return count;
}

void PlatformUpperCase(char* text) {
    for (; *text != '\0'; text++)
        *text = (char)toupper((unsigned char)*text);
}

void SimSetWindowProgram(WindowHandle handle, const char* program, const char* className) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return;
    window->program = program;
    if (className != nullptr)
        window->className = className;
}

/* A window that appears comes to the front, as a newly started program's
 * window does. */
static void ApplyWindowChange(const SimDesktop::WindowChange& change) {
    SimWindow* window = &desktop->windows[(uintptr_t)change.window - HandleBase];
    switch (change.kind) {
    case SimWindowAppears:
        window->exists = true;
        window->visible = true;
        desktop->foreground = change.window;
        break;
    case SimWindowMoves:
        window->x = change.x;
        window->y = change.y;
        break;
    case SimWindowRetitled:
        window->title = change.title;
        break;
    case SimWindowCloses:
        window->exists = false;
        if (desktop->foreground == change.window)
            desktop->foreground = nullptr;
        break;
    }
}

static void ApplyDueWindowChanges(void) {
    std::vector<SimDesktop::WindowChange>& changes = desktop->windowChanges;
    for (size_t i = 0; i < changes.size();) {
        if ((int32_t)(desktop->tick - changes[i].tick) < 0) {
            i++;
            continue;
        }
        SimDesktop::WindowChange due = changes[i];
        changes.erase(changes.begin() + (long)i);
        ApplyWindowChange(due);
    }
}

void SimScheduleWindowChange(WindowHandle window, uint32_t tick, SimWindowChangeKind kind, int x,
                             int y, const char* title) {
    uintptr_t index = (uintptr_t)window - HandleBase;
    if (window == nullptr || index >= desktop->windows.size())
        return;
    if (kind == SimWindowAppears)
        desktop->windows[index].exists = false;
    desktop->windowChanges.push_back(
        SimDesktop::WindowChange{tick, window, kind, x, y, title != nullptr ? title : ""});
    ApplyDueWindowChanges();
}

void SimCancelJournalAtTick(uint32_t tick) {
    desktop->cancelAtTickSet = true;
    desktop->cancelAtTick = tick;
}

void PlatformSetDialogItemText(WindowHandle dialog, int controlId, const char* text) {
    if (dialog == nullptr)
        return;
    PlatformSetWindowTitle(PlatformGetDialogItem(dialog, controlId), text);
    SimDialogTextWasSet(dialog, controlId);
}

/* ---- Processes ---- */

static std::string FirstWord(const char* commandLine) {
    std::string first(commandLine);
    return first.substr(0, first.find(' '));
}

static bool ProgramFails(const char* commandLine) {
    std::string first = FirstWord(commandLine);
    for (const std::string& name : desktop->failingPrograms) {
        if (name.size() == first.size() &&
            strncasecmp(name.c_str(), first.c_str(), name.size()) == 0)
            return true;
    }
    return false;
}

/* An endless playback may start a program on every pass: only the latest
 * command lines are kept, in bulk so the record costs constant time. */
ProcessHandle PlatformStartProcess(const char* commandLine) {
    if (ProgramFails(commandLine))
        return nullptr;
    std::vector<std::string>& started = desktop->startedPrograms;
    if (started.size() >= 2 * SimStartedProgramsKept)
        started.erase(started.begin(), started.end() - (long)SimStartedProgramsKept + 1);
    started.push_back(commandLine);
    desktop->startedProgramCount++;
    std::string name = FirstWord(commandLine);
    for (char& c : name)
        c = (char)tolower((unsigned char)c);
    auto startup = desktop->programStartups.find(name);
    int readyAfter = startup != desktop->programStartups.end() ? startup->second : 0;
    uintptr_t handle = (uintptr_t)desktop->startedProgramCount;
    if (desktop->processes.size() > SimStartedProgramsKept)
        desktop->processes.clear(); /* an endless run starts without end */
    desktop->processes[handle] = std::make_pair(desktop->tick, readyAfter);
    return (ProcessHandle)handle;
}

ProcessReadiness PlatformProcessReadiness(ProcessHandle process) {
    auto found = desktop->processes.find((uintptr_t)process);
    if (found == desktop->processes.end() || found->second.second < 0)
        return ProcessTakesNoInput;
    uint32_t started = found->second.first;
    return desktop->tick - started >= (uint32_t)found->second.second ? ProcessReady
                                                                     : ProcessStarting;
}

void SimSetProgramStartup(const char* programName, int milliseconds) {
    std::string name = programName;
    for (char& c : name)
        c = (char)tolower((unsigned char)c);
    desktop->programStartups[name] = milliseconds;
}

ProcessWait PlatformWaitForProcess(ProcessHandle process, int milliseconds) {
    (void)process;
    desktop->tick += (uint32_t)milliseconds;
    ApplyDueWindowChanges();
    return ProcessStillRunning;
}

void PlatformCloseProcess(ProcessHandle process) {
    desktop->processes.erase((uintptr_t)process);
}

/* ---- The foreground window ---- */

/* Titles compare without regard to the case of their letters, as the
 * system's window search compares them. */
WindowHandle PlatformFindGotoWindow(const char* title) {
    WindowHandle hidden = nullptr;
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        const SimWindow& window = desktop->windows[i];
        if (!TitleMatches(window, title))
            continue;
        if (window.visible)
            return HandleOf(i);
        if (hidden == nullptr)
            hidden = HandleOf(i);
    }
    return hidden;
}

/* A thread that does not answer lets the whole wait pass. */
bool PlatformWindowAnswers(WindowHandle handle, int milliseconds) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr && window->answers != 0) {
        if (window->answers > 0)
            window->answers--;
        return true;
    }
    desktop->tick += (uint32_t)milliseconds;
    return false;
}

bool PlatformWaitForForeground(WindowHandle window, int milliseconds) {
    if (window != nullptr && desktop->foreground == window)
        return true;
    desktop->tick += (uint32_t)milliseconds;
    return false;
}

void PlatformForceForeground(WindowHandle window) {
    SimWindow* target = Lookup(window);
    if (target != nullptr && target->answers != 0 && !SimTakeForegroundRefusal())
        desktop->foreground = window;
}

WindowHandle PlatformForegroundWindow(void) {
    return desktop->foreground;
}

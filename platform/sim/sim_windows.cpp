/*
 * sim_windows.cpp: the windows of the simulated desktop: the program's
 * own, their controls, and other programs' windows that a test puts
 * there, with the foreground among them.
 *
 * Windows behave like the system's where the program's rules depend on
 * it: creation sends the creation message before it returns, closing by
 * default destroys, destruction tells the window before its children go,
 * a sent message is handled at once, and titles compare without regard to
 * letter case. Another program's window can be slow or hung (it stops
 * answering checks, and a call that would wait for its thread is counted
 * instead of hanging the test), can refuse to come to the front, and can
 * appear, move, change its title or close at a set time of the clock.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cstring>
#include <strings.h>

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
    bool placedInParent; /* a control of another program's window: x, y from its parent */
    bool disabled;
    bool cloaked;
    int dpi; /* another program's scale; 0: the desktop's */
};

struct SimClass {
    std::string name;
    WindowProcedure procedure;
    int menuId;
};

struct WindowChange {
    uint32_t tick;
    WindowHandle window;
    SimWindowChangeKind kind;
    int x, y;
    std::string title;
};

struct SimWindows {
    std::vector<SimWindow> windows;
    std::vector<SimClass> classes;
    WindowHandle foreground = nullptr;
    int blockingCalls = 0; /* calls that would wait for a thread that does not answer */
    std::string shutdownReason;
    std::vector<WindowChange> windowChanges; /* not yet due */
};

SimWindows* desktop = new SimWindows;

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
    window.placedInParent = false;
    window.disabled = false;
    window.cloaked = false;
    window.dpi = 0;
    desktop->windows.push_back(window);
    return HandleOf(desktop->windows.size() - 1);
}

/* A synchronous call to a window whose thread has stopped answering would
 * wait for good on a real desktop; here it is counted and does nothing. */
bool WouldBlock(SimWindow* window) {
    if (window->answers != 0)
        return false;
    desktop->blockingCalls++;
    return true;
}

/* Titles compare as the system's window search compares them: letter
 * case is ignored (ASCII letters only, see the platform contract suite). */
bool TitleMatches(const SimWindow& window, const char* title) {
    return window.exists && window.parent == nullptr &&
           strcasecmp(window.title.c_str(), title) == 0;
}

/* The program's own windows belong to its program file. */
std::string ProgramOf(const SimWindow& window) {
    char path[4096];
    if (window.otherProgram || PlatformProgramPath(path, sizeof path) < 0)
        return window.program;
    std::string whole = path;
    size_t folder = whole.find_last_of("\\/");
    return folder == std::string::npos ? whole : whole.substr(folder + 1);
}

/* A window that appears comes to the front, as a newly started program's
 * window does. */
void ApplyWindowChange(const WindowChange& change) {
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

} // namespace

/* ---- Control ---- */

void SimResetWindows(void) {
    delete desktop;
    desktop = new SimWindows;
}

bool SimWindowIsLive(WindowHandle handle) {
    return Lookup(handle) != nullptr;
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

const std::string& SimShutdownReason(void) {
    return desktop->shutdownReason;
}

void SimSetWindowProgram(WindowHandle handle, const char* program, const char* className) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return;
    window->program = program;
    if (className != nullptr)
        window->className = className;
}

void SimApplyDueWindowChanges(void) {
    std::vector<WindowChange>& changes = desktop->windowChanges;
    uint32_t now = PlatformTickCount();
    for (size_t i = 0; i < changes.size();) {
        if ((int32_t)(now - changes[i].tick) < 0) {
            i++;
            continue;
        }
        WindowChange due = changes[i];
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
        WindowChange{tick, window, kind, x, y, title != nullptr ? title : ""});
    SimApplyDueWindowChanges();
}

WindowHandle SimParentOf(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr ? window->parent : nullptr;
}

/* ---- The program's windows ---- */

bool PlatformRegisterWindowClass(const WindowClassSpec* spec) {
    if (FindClass(spec->className) != nullptr)
        return false;
    desktop->classes.push_back(SimClass{spec->className, spec->procedure, spec->menuId});
    return true;
}

/* Where the system puts a window left to its default position. */
static const int DefaultX = 26;
static const int DefaultY = 26;

/* The window has its class's menu before it hears of its creation. */
WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style, int x,
                                  int y, int width, int height) {
    (void)style;
    const SimClass* windowClass = FindClass(className);
    if (windowClass == nullptr)
        return nullptr;
    WindowProcedure procedure = windowClass->procedure;
    WindowHandle handle = AddWindow(className, title, procedure, nullptr, 0);
    SimWindow* window = Lookup(handle);
    window->x = x == DefaultWindowPosition ? DefaultX : x;
    window->y = x == DefaultWindowPosition ? DefaultY : y;
    window->width = width;
    window->height = height;
    SimGiveWindowMenu(handle, windowClass->menuId);
    if (procedure(handle, MsgCreate, 0, 0) == -1) {
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

/* As the system's: closing destroys, and the end of the session may come. */
intptr_t PlatformDefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
    (void)wParam;
    (void)lParam;
    if (message == MsgClose)
        PlatformDestroyWindow(window);
    return message == MsgQueryEndSession ? 1 : 0;
}

intptr_t PlatformSendMessage(WindowHandle handle, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr || window->procedure == nullptr)
        return 0;
    return window->procedure(handle, message, wParam, lParam);
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

/* ---- Controls ---- */

WindowHandle PlatformGetDialogItem(WindowHandle dialog, int controlId) {
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        const SimWindow& window = desktop->windows[i];
        if (window.exists && window.parent == dialog && window.controlId == controlId)
            return HandleOf(i);
    }
    return nullptr;
}

void PlatformSetDialogItemText(WindowHandle dialog, int controlId, const char* text) {
    if (dialog == nullptr)
        return;
    PlatformSetWindowTitle(PlatformGetDialogItem(dialog, controlId), text);
    SimDialogTextWasSet(dialog, controlId);
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

/* ---- Other programs' windows ---- */

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

/* A minimized window keeps the place it is restored to, which is what
 * the system reports for it. A control of another program's window sits
 * where its parent is. */
bool PlatformGetWindowRect(WindowHandle handle, ScreenRect* rect) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return false;
    int64_t left = window->x;
    int64_t top = window->y;
    ScreenRect parent;
    if (window->placedInParent && PlatformGetWindowRect(window->parent, &parent)) {
        left += parent.left;
        top += parent.top;
    }
    /* A window placed at the edge of the coordinate range ends there. */
    int64_t right = left + window->width;
    int64_t bottom = top + window->height;
    *rect = ScreenRect{(int)left, (int)top, (int)(right < INT32_MAX ? right : INT32_MAX),
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

/* ---- The foreground window ---- */

/* Titles compare without regard to the case of their letters, as the
 * system's window search compares them; hidden and cloaked windows are
 * never found. */
WindowHandle PlatformFindGotoWindow(const char* title) {
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        const SimWindow& window = desktop->windows[i];
        if (TitleMatches(window, title) && window.visible && !window.cloaked)
            return HandleOf(i);
    }
    return nullptr;
}

/* A thread that does not answer lets the whole wait pass. */
bool PlatformWindowAnswers(WindowHandle handle, int milliseconds) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr && window->answers != 0) {
        if (window->answers > 0)
            window->answers--;
        return true;
    }
    SimSleepUnlessCancelled(milliseconds);
    return false;
}

bool PlatformWaitForForeground(WindowHandle window, int milliseconds) {
    if (window != nullptr && desktop->foreground == window)
        return true;
    SimSleepUnlessCancelled(milliseconds);
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

/* ---- Other programs' controls, scale and visibility ---- */

WindowHandle SimAddControl(WindowHandle parent, const char* className, int controlId,
                           const char* text, int x, int y, int width, int height) {
    if (Lookup(parent) == nullptr)
        return nullptr;
    WindowHandle handle = AddWindow(className, text, nullptr, parent, controlId);
    SimWindow* control = Lookup(handle);
    control->placedInParent = true;
    control->otherProgram = Lookup(parent)->otherProgram;
    control->program = Lookup(parent)->program;
    control->visible = true;
    SimPlaceWindow(handle, x, y, width, height);
    return handle;
}

void SimPlaceWindow(WindowHandle handle, int x, int y, int width, int height) {
    SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return;
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
}

void SimSetWindowEnabled(WindowHandle handle, bool enabled) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->disabled = !enabled;
}

void SimSetWindowCloaked(WindowHandle handle, bool cloaked) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->cloaked = cloaked;
}

void SimSetWindowDpi(WindowHandle handle, int dpi) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->dpi = dpi;
}

/* A control's scale is its window's. */
int PlatformShownDpi(WindowHandle handle) {
    WindowHandle top = PlatformTopLevelWindowOf(handle);
    const SimWindow* window = Lookup(top);
    if (window == nullptr)
        return 0;
    return window->dpi > 0 ? window->dpi : PlatformWindowDpi(top);
}

bool PlatformGetWindowMonitor(WindowHandle handle, ScreenRect* monitor) {
    if (Lookup(handle) == nullptr)
        return false;
    *monitor = ScreenRect{0, 0, 1280, 800};
    return true;
}

bool PlatformIsWindowCloaked(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr && window->cloaked;
}

/* Each visible child, then its own children, in the order they were made;
 * the children of a hidden window are not visible either. */
static void ListChildren(WindowHandle parent, WindowHandle* controls, int capacity, int* count) {
    for (size_t i = 0; i < desktop->windows.size() && *count < capacity; i++) {
        const SimWindow& window = desktop->windows[i];
        if (!window.exists || window.parent != parent || !window.visible)
            continue;
        controls[(*count)++] = HandleOf(i);
        ListChildren(HandleOf(i), controls, capacity, count);
    }
}

int PlatformListControls(WindowHandle window, WindowHandle* controls, int capacity) {
    int count = 0;
    if (Lookup(window) != nullptr)
        ListChildren(window, controls, capacity, &count);
    return count;
}

int PlatformControlId(WindowHandle control) {
    const SimWindow* window = Lookup(control);
    return window != nullptr && window->parent != nullptr ? window->controlId : 0;
}

bool PlatformIsWindowEnabled(WindowHandle handle) {
    const SimWindow* window = Lookup(handle);
    return window != nullptr && !window->disabled;
}

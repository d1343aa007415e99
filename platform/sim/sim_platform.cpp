/*
 * sim_platform.cpp: a simulated desktop for the native build.
 *
 * It behaves like the system where the program's rules depend on it:
 * window creation sends the creation message before it returns, closing by
 * default destroys, destruction sends the destruction message, posted
 * messages come back in order and the quit message comes only once the
 * queue is empty. Where a real desktop would wait for a person, it answers
 * from what a test queued, and when nothing at all is left to do,
 * retrieval fails instead of blocking, so a run always ends.
 */
#include "platform/sim/sim_control.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>

#include <sys/stat.h>

#include "resources/resource.h"

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
    window.x = window.y = 0;
    window.width = window.height = 0;
    window.tabSelection = 0;
    desktop->windows.push_back(window);
    return HandleOf(desktop->windows.size() - 1);
}

} // namespace

/* ---- Control ---- */

void SimReset(void) {
    for (void* block : desktop->liveBlocks)
        free(block);
    delete desktop;
    desktop = new SimDesktop;
}

void SimSetTickCount(uint32_t ticks) {
    desktop->tick = ticks;
}

void SimAdvanceClock(uint32_t milliseconds) {
    desktop->tick += milliseconds;
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

/* ---- Message boxes ---- */

static int FirstButton(uint32_t style) {
    uint32_t buttons = style & 0x0F;
    return buttons == BoxYesNo || buttons == BoxYesNoCancel ? AnswerYes : AnswerOk;
}

int PlatformMessageBox(const char* text, const char* caption, uint32_t style) {
    desktop->boxes.push_back(SimMessageBox{text, caption, style});
    if (desktop->answers.empty())
        return FirstButton(style);
    int answer = desktop->answers.front();
    desktop->answers.pop_front();
    return answer;
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
    WindowProcedure procedure = window->procedure;
    for (size_t i = 0; i < desktop->windows.size(); i++) {
        if (desktop->windows[i].exists && desktop->windows[i].parent == handle)
            PlatformDestroyWindow(HandleOf(i));
    }
    if (procedure != nullptr)
        procedure(handle, MsgDestroy, 0, 0);
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
    if (window == nullptr)
        return;
    window->showState = showState;
    window->visible = showState != ShowHide;
}

void PlatformUpdateWindow(WindowHandle handle) {
    (void)handle;
}

void PlatformMakeTopmost(WindowHandle handle) {
    SimWindow* window = Lookup(handle);
    if (window != nullptr)
        window->topmost = true;
}

bool PlatformGetWindowPosition(WindowHandle handle, int* left, int* top) {
    const SimWindow* window = Lookup(handle);
    if (window == nullptr)
        return false;
    *left = window->x;
    *top = window->y;
    return true;
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

/* ---- Messages ---- */

int PlatformGetMessage(PlatformMessage* message) {
    memset(message, 0, sizeof *message);
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

bool PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window != nullptr && Lookup(window) == nullptr)
        return false;
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

void PlatformPostQuitMessage(int exitCode) {
    desktop->quitPosted = true;
    desktop->quitCode = exitCode;
}

bool PlatformTranslateAccelerator(WindowHandle window, AcceleratorHandle table,
                                  PlatformMessage* message) {
    (void)window;
    (void)table;
    (void)message;
    return false;
}

bool PlatformIsDialogMessage(WindowHandle dialog, PlatformMessage* message) {
    (void)dialog;
    (void)message;
    return false;
}

void PlatformTranslateAndDispatch(const PlatformMessage* message) {
    PlatformSendMessage(message->window, message->message, message->wParam, message->lParam);
}

AcceleratorHandle PlatformLoadAccelerators(int resourceId) {
    desktop->acceleratorLoads++;
    return (AcceleratorHandle)(uintptr_t)resourceId;
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

/* ---- Journal hooks ---- */

bool PlatformRemoveJournalHook(HookHandle hook) {
    if (hook == nullptr)
        return false;
    desktop->removedHooks++;
    return true;
}

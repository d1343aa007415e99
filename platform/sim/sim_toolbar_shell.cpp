/*
 * sim_toolbar_shell.cpp: the simulated toolbar and shell.
 *
 * The toolbar is a child window whose buttons, images and sizes are kept
 * for tests to read; its height and the width it needs follow its buttons
 * as the system's control sizes them. Shell opens are recorded and succeed
 * unless a test queued a failure.
 */
#include "platform/sim/sim_control.h"

#include <cstring>
#include <deque>
#include <map>
#include <set>

namespace {

struct SimToolbarShell {
    bool failToolbar = false;
    std::map<WindowHandle, SimToolbarInfo> toolbars;
    std::vector<std::string> shellOpens;
    std::deque<int> shellResults;
    bool browserKnown = true;
};

SimToolbarShell* state = new SimToolbarShell;

/* A tooltip request as the simulated toolbar makes one; only requests
 * made by SimAskTooltip are read as such. */
struct SimTooltipRequest {
    int commandId;
    const void* instance;
    char text[80];
};
std::set<intptr_t> liveRequests;

SimToolbarInfo* FindToolbar(WindowHandle toolbar) {
    auto found = state->toolbars.find(toolbar);
    return found != state->toolbars.end() ? &found->second : nullptr;
}

int NextShellResult(void) {
    if (state->shellResults.empty())
        return 42;
    int result = state->shellResults.front();
    state->shellResults.pop_front();
    return result;
}

/* The system's control makes a button at least its image and 7 pixels. */
int RealButtonSize(int asked, int imageSize) {
    return asked > imageSize + 7 ? asked : imageSize + 7;
}

} // namespace

void SimResetToolbarAndShell(void) {
    delete state;
    state = new SimToolbarShell;
    liveRequests.clear();
}

void SimFailToolbar(bool fail) {
    state->failToolbar = fail;
}

SimToolbarInfo SimGetToolbar(WindowHandle toolbar) {
    const SimToolbarInfo* found = FindToolbar(toolbar);
    return found != nullptr ? *found : SimToolbarInfo{};
}

SimTooltipAnswer SimAskTooltip(WindowHandle window, int commandId) {
    SimTooltipRequest request = {commandId, &request, {0}};
    intptr_t address = (intptr_t)&request;
    liveRequests.insert(address);
    PlatformSendMessage(window, MsgNotify, (uintptr_t)commandId, address);
    liveRequests.erase(address);
    SimTooltipAnswer answer;
    answer.instanceCleared = request.instance == nullptr;
    answer.text = request.text;
    return answer;
}

const std::vector<std::string>& SimShellOpens(void) {
    return state->shellOpens;
}

void SimQueueShellResult(int result) {
    state->shellResults.push_back(result);
}

void SimSetBrowserKnown(bool known) {
    state->browserKnown = known;
}

/* ---- Toolbar ---- */

WindowHandle PlatformCreateToolbar(WindowHandle parent) {
    if (state->failToolbar)
        return nullptr;
    WindowHandle toolbar = SimCreateChild(parent, "ToolbarWindow32", 0, nullptr);
    SimToolbarInfo& info = state->toolbars[toolbar];
    info = SimToolbarInfo{};
    info.exists = true;
    return toolbar;
}

bool PlatformSetToolbarImages(WindowHandle toolbar, const uint32_t* pixels,
                              const uint32_t* disabledPixels, int size, int count) {
    SimToolbarInfo* info = FindToolbar(toolbar);
    if (info == nullptr || pixels == nullptr || disabledPixels == nullptr)
        return false;
    info->imageSize = size;
    info->disabledImageSize = size;
    info->imageCount = count;
    return true;
}

void PlatformAddToolbarButtons(WindowHandle toolbar, const ToolbarButtonSpec* buttons, int count) {
    SimToolbarInfo* info = FindToolbar(toolbar);
    for (int i = 0; info != nullptr && i < count; i++)
        info->buttons.push_back({buttons[i].commandId, buttons[i].image, true});
}

void PlatformSetToolbarButtonSize(WindowHandle toolbar, int width, int height) {
    SimToolbarInfo* info = FindToolbar(toolbar);
    if (info == nullptr)
        return;
    info->buttonWidth = width;
    info->buttonHeight = height;
}

void PlatformSetToolbarButtonEnabled(WindowHandle toolbar, int commandId, bool enabled) {
    SimToolbarInfo* info = FindToolbar(toolbar);
    for (size_t i = 0; info != nullptr && i < info->buttons.size(); i++) {
        if (info->buttons[i].commandId == commandId)
            info->buttons[i].enabled = enabled;
    }
}

void PlatformFitToolbar(WindowHandle toolbar) {
    SimToolbarInfo* info = FindToolbar(toolbar);
    if (info == nullptr)
        return;
    info->fits++;
    info->shown = SimGetWindowInfo(toolbar).visible;
}

/* A separator is 8 pixels wide at 96 dpi. */
void PlatformGetToolbarExtent(WindowHandle toolbar, int* neededWidth, int* height) {
    const SimToolbarInfo* info = FindToolbar(toolbar);
    *neededWidth = *height = 0;
    if (info == nullptr)
        return;
    *neededWidth = 2;
    for (const SimToolbarButton& button : info->buttons) {
        *neededWidth += button.commandId == 0 ? (8 * info->imageSize + 8) / 16
                                              : RealButtonSize(info->buttonWidth, info->imageSize);
    }
    *height = info->fits > 0 ? RealButtonSize(info->buttonHeight, info->imageSize) + 2 : 0;
}

/* No resources here: the strip is all background, the colour the art
 * leaves transparent. */
bool PlatformLoadBitmapPixels(int resourceId, uint32_t* pixels, int width, int height) {
    (void)resourceId;
    for (int i = 0; i < width * height; i++)
        pixels[i] = 0xFFC0C0C0;
    return true;
}

bool PlatformReadTooltipRequest(intptr_t notification, int* commandId) {
    if (liveRequests.count(notification) == 0)
        return false;
    *commandId = reinterpret_cast<const SimTooltipRequest*>(notification)->commandId;
    return true;
}

void PlatformAnswerTooltipRequest(intptr_t notification, const char* text) {
    SimTooltipRequest* request = reinterpret_cast<SimTooltipRequest*>(notification);
    request->instance = nullptr;
    if (text == nullptr)
        return;
    strncpy(request->text, text, sizeof request->text - 1);
    request->text[sizeof request->text - 1] = '\0';
}

/* ---- The shell ---- */

int PlatformShellOpen(const char* target) {
    state->shellOpens.push_back(target);
    return NextShellResult();
}

int PlatformOpenInBrowser(const char* address) {
    if (!state->browserKnown)
        return 0;
    state->shellOpens.push_back(std::string("browser ") + address);
    return NextShellResult();
}

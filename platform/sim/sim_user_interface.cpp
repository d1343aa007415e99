/*
 * sim_user_interface.cpp: the simulated toolbar, dialogs from templates and
 * shell.
 *
 * The toolbar is a child window whose buttons, images and sizes are kept
 * for tests to read. A dialog is a child window with the controls a test
 * defined for its template; a test-installed "user" acts on it once it is
 * set up. Shell opens are recorded and succeed unless a test queued a
 * failure. Text is 8-bit as on Windows; the "ANSI code page" here is
 * Latin-1.
 */
#include "platform/sim/sim_control.h"

#include <cstring>
#include <deque>
#include <map>
#include <set>

namespace {

struct SimToolbar {
    SimToolbarInfo info;
    void (*onDpiChange)(void) = nullptr;
};

struct SimDialogTemplate {
    std::vector<SimControlSpec> controls;
};

struct SimUserInterface {
    int dpi = 96;
    bool failToolbar = false;
    std::map<WindowHandle, SimToolbar> toolbars;
    std::map<int, SimDialogTemplate> templates;
    std::map<WindowHandle, ScreenRect> controlRects;
    std::map<WindowHandle, bool> ownFonts;
    std::map<WindowHandle, intptr_t> endedDialogs;
    void (*dialogUser)(WindowHandle) = nullptr;
    std::vector<int> dialogsRun;
    int pointerX = 0, pointerY = 0;
    int cursor = 0, cursorSets = 0;
    int fontsMade = 0, liveFonts = 0;
    std::map<uintptr_t, uint32_t> colours;
    std::map<WindowHandle, int> redraws;
    int focusedControl = 0;
    std::map<int, std::string> strings;
    std::vector<std::string> shellOpens;
    std::deque<int> shellResults;
    bool browserKnown = true;
};

SimUserInterface* ui = new SimUserInterface;

/* A tooltip request as the simulated toolbar makes one; only requests
 * made by SimAskTooltip are read as such. */
struct SimTooltipRequest {
    int commandId;
    const void* instance;
    char text[80];
};
std::set<intptr_t> liveRequests;

SimToolbar* FindToolbar(WindowHandle toolbar) {
    auto found = ui->toolbars.find(toolbar);
    return found != ui->toolbars.end() ? &found->second : nullptr;
}

int NextShellResult(void) {
    if (ui->shellResults.empty())
        return 42;
    int result = ui->shellResults.front();
    ui->shellResults.pop_front();
    return result;
}

} // namespace

void SimResetUserInterface(void) {
    delete ui;
    ui = new SimUserInterface;
    liveRequests.clear();
}

void SimSetDpi(int dpi) {
    ui->dpi = dpi;
}

void SimChangeDpi(int dpi) {
    ui->dpi = dpi;
    for (auto& entry : ui->toolbars) {
        if (entry.second.onDpiChange != nullptr)
            entry.second.onDpiChange();
    }
}

void SimFailToolbar(bool fail) {
    ui->failToolbar = fail;
}

SimToolbarInfo SimGetToolbar(WindowHandle toolbar) {
    const SimToolbar* found = FindToolbar(toolbar);
    if (found == nullptr) {
        SimToolbarInfo none = {};
        return none;
    }
    return found->info;
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

void SimDefineDialog(int templateId, const std::vector<SimControlSpec>& controls) {
    ui->templates[templateId].controls = controls;
}

void SimSetDialogUser(void (*user)(WindowHandle dialog)) {
    ui->dialogUser = user;
}

const std::vector<int>& SimDialogsRun(void) {
    return ui->dialogsRun;
}

void SimSetPointer(int x, int y) {
    ui->pointerX = x;
    ui->pointerY = y;
}

int SimCursorResource(void) {
    return ui->cursor;
}

int SimCursorSets(void) {
    return ui->cursorSets;
}

int SimLiveFonts(void) {
    return ui->liveFonts;
}

int SimFontsMade(void) {
    return ui->fontsMade;
}

bool SimControlHasOwnFont(WindowHandle dialog, int controlId) {
    return ui->ownFonts[PlatformGetDialogItem(dialog, controlId)];
}

int64_t SimStaticColour(uintptr_t deviceContext) {
    auto found = ui->colours.find(deviceContext);
    return found != ui->colours.end() ? (int64_t)found->second : -1;
}

int SimRedraws(WindowHandle window) {
    return ui->redraws[window];
}

int SimFocusedControl(void) {
    return ui->focusedControl;
}

void SimSetString(int stringId, const char* text) {
    ui->strings[stringId] = text;
}

const std::vector<std::string>& SimShellOpens(void) {
    return ui->shellOpens;
}

void SimQueueShellResult(int result) {
    ui->shellResults.push_back(result);
}

void SimSetBrowserKnown(bool known) {
    ui->browserKnown = known;
}

/* ---- Toolbar ---- */

WindowHandle PlatformCreateToolbar(WindowHandle parent) {
    if (ui->failToolbar)
        return nullptr;
    WindowHandle toolbar = SimCreateChild(parent, "ToolbarWindow32", 0, nullptr);
    SimToolbar& state = ui->toolbars[toolbar];
    state.info = SimToolbarInfo{};
    state.info.exists = true;
    return toolbar;
}

bool PlatformSetToolbarImages(WindowHandle toolbar, const uint32_t* pixels,
                              const uint32_t* disabledPixels, int size, int count) {
    SimToolbar* state = FindToolbar(toolbar);
    if (state == nullptr || pixels == nullptr || disabledPixels == nullptr)
        return false;
    state->info.imageSize = size;
    state->info.disabledImageSize = size;
    state->info.imageCount = count;
    return true;
}

void PlatformAddToolbarButtons(WindowHandle toolbar, const ToolbarButtonSpec* buttons, int count) {
    SimToolbar* state = FindToolbar(toolbar);
    for (int i = 0; state != nullptr && i < count; i++)
        state->info.buttons.push_back({buttons[i].commandId, buttons[i].image, true});
}

void PlatformSetToolbarButtonSize(WindowHandle toolbar, int width, int height) {
    SimToolbar* state = FindToolbar(toolbar);
    if (state == nullptr)
        return;
    state->info.buttonWidth = width;
    state->info.buttonHeight = height;
}

void PlatformSetToolbarButtonEnabled(WindowHandle toolbar, int commandId, bool enabled) {
    SimToolbar* state = FindToolbar(toolbar);
    for (size_t i = 0; state != nullptr && i < state->info.buttons.size(); i++) {
        if (state->info.buttons[i].commandId == commandId)
            state->info.buttons[i].enabled = enabled;
    }
}

void PlatformFitToolbar(WindowHandle toolbar) {
    SimToolbar* state = FindToolbar(toolbar);
    if (state != nullptr) {
        state->info.fits++;
        state->info.shown = SimGetWindowInfo(toolbar).visible;
    }
}

void PlatformWatchToolbarDpi(WindowHandle toolbar, void (*onChange)(void)) {
    SimToolbar* state = FindToolbar(toolbar);
    if (state != nullptr)
        state->onDpiChange = onChange;
}

/* No resources here: the strip is all background, the colour the art
 * leaves transparent. */
bool PlatformLoadBitmapPixels(int resourceId, uint32_t* pixels, int width, int height) {
    (void)resourceId;
    for (int i = 0; i < width * height; i++)
        pixels[i] = 0xFFC0C0C0;
    return true;
}

int PlatformWindowDpi(WindowHandle window) {
    (void)window;
    return ui->dpi;
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

/* ---- Dialogs ---- */

intptr_t PlatformRunDialog(int templateId, WindowHandle owner, WindowProcedure procedure) {
    ui->dialogsRun.push_back(templateId);
    WindowHandle dialog = SimCreateChild(owner, "#32770", templateId, procedure);
    for (const SimControlSpec& entry : ui->templates[templateId].controls) {
        WindowHandle control = SimCreateChild(dialog, "Static", entry.controlId, nullptr);
        PlatformSetWindowTitle(control, entry.text.c_str());
        ui->controlRects[control] = ScreenRect{entry.left, entry.top, entry.right, entry.bottom};
    }
    procedure(dialog, MsgInitDialog, 0, 0);
    if (ui->dialogUser != nullptr && ui->endedDialogs.count(dialog) == 0)
        ui->dialogUser(dialog);
    if (ui->endedDialogs.count(dialog) == 0)
        procedure(dialog, MsgCommand, (uintptr_t)AnswerCancel, 0);
    intptr_t result = ui->endedDialogs.count(dialog) != 0 ? ui->endedDialogs[dialog] : -1;
    PlatformDestroyWindow(dialog);
    return result;
}

void PlatformEndDialog(WindowHandle dialog, intptr_t result) {
    if (ui->endedDialogs.count(dialog) == 0)
        ui->endedDialogs[dialog] = result;
}

bool PlatformGetControlRect(WindowHandle dialog, int controlId, ScreenRect* rect) {
    auto found = ui->controlRects.find(PlatformGetDialogItem(dialog, controlId));
    if (found == ui->controlRects.end())
        return false;
    *rect = found->second;
    return true;
}

void PlatformGetPointerPosition(WindowHandle dialog, int* x, int* y) {
    (void)dialog;
    *x = ui->pointerX;
    *y = ui->pointerY;
}

void PlatformSetCursorResource(int resourceId) {
    ui->cursor = resourceId;
    ui->cursorSets++;
}

void PlatformFocusControl(WindowHandle dialog, int controlId) {
    (void)dialog;
    ui->focusedControl = controlId;
}

void PlatformRedrawWindow(WindowHandle window) {
    ui->redraws[window]++;
}

FontHandle PlatformCreateUnderlinedDialogFont(WindowHandle dialog) {
    (void)dialog;
    ui->fontsMade++;
    ui->liveFonts++;
    return reinterpret_cast<FontHandle>((uintptr_t)ui->fontsMade);
}

void PlatformDeleteFont(FontHandle font) {
    if (font != nullptr)
        ui->liveFonts--;
}

void PlatformSetControlFontFitted(WindowHandle dialog, int controlId, FontHandle font) {
    ui->ownFonts[PlatformGetDialogItem(dialog, controlId)] = font != nullptr;
}

intptr_t PlatformSetStaticColours(uintptr_t deviceContext, uint32_t textColour) {
    ui->colours[deviceContext] = textColour;
    return 0x0B12;
}

int PlatformLoadString(int stringId, char* buffer, int size) {
    if (size <= 0)
        return 0;
    const std::string& text = ui->strings[stringId];
    size_t length = text.size() < (size_t)size - 1 ? text.size() : (size_t)size - 1;
    memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return (int)length;
}

/* ---- The shell ---- */

int PlatformShellOpen(const char* target) {
    ui->shellOpens.push_back(target);
    return NextShellResult();
}

int PlatformOpenInBrowser(const char* address) {
    if (!ui->browserKnown)
        return 0;
    ui->shellOpens.push_back(std::string("browser ") + address);
    return NextShellResult();
}

bool PlatformAnsiToUtf8(const char* text, char* utf8, int size) {
    int length = 0;
    for (const unsigned char* at = (const unsigned char*)text; *at != '\0'; at++) {
        int needed = *at < 0x80 ? 1 : 2;
        if (length + needed >= size)
            return false;
        if (needed == 1) {
            utf8[length++] = (char)*at;
        } else {
            utf8[length++] = (char)(0xC0 | (*at >> 6));
            utf8[length++] = (char)(0x80 | (*at & 0x3F));
        }
    }
    if (length >= size)
        return false;
    utf8[length] = '\0';
    return true;
}

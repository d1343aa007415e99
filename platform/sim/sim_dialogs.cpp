/*
 * sim_dialogs.cpp: dialogs, their controls, fonts, strings and the display
 * scale on the simulated desktop.
 *
 * A dialog is made from its template in the program's resource script
 * (sim_resource_script.cpp), so the dialog procedures under test meet the
 * controls, identifiers, texts, styles and places of the real templates;
 * the string table comes from the same script. Controls are child windows
 * of the simulated desktop (their text is the window's title, their
 * visibility the window's); what else a control holds (check mark, list,
 * trackbar, font, place) is kept here, with what a dialog procedure does
 * to the screen (cursor, colours, repaints). A modal dialog's loop
 * dispatches what is posted to windows meanwhile, as the system's does,
 * and a test acts on the dialog while it is open, as a user would.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cstring>
#include <deque>
#include <map>

namespace {

struct Control {
    WindowHandle dialog = nullptr;
    int id = 0;
    std::string className;
    std::string style;
    bool checked = false;
    bool enabled = true;
    bool modified = false;
    std::vector<std::string> items;
    int selection = -1;
    int trackMinimum = 0, trackMaximum = 0, trackPosition = 0;
    int32_t chord = 0; /* a hotkey field's */
    uint32_t refusedCombinations = 0;
    int32_t ruleModifiers = 0;
};

struct Dialog {
    int templateId = 0;
    bool ended = false;
    int result = 0;
    std::vector<WindowHandle> controls; /* template order */
};

struct Place {
    int x, y, width, height;
};

struct SimDialogs {
    std::map<WindowHandle, Control> controls;
    std::map<WindowHandle, Dialog> dialogs;
    std::map<WindowHandle, Place> places;
    std::map<WindowHandle, uintptr_t> fonts;
    std::map<uintptr_t, FontVariant> liveFonts; /* made by the program */
    int fontsMade = 0;
    std::deque<std::function<void(WindowHandle)>> drivers;
    std::vector<int> modalShown;
    bool failTabControls = false;
    int dpi = 96;
    WindowHandle focus = nullptr;
    int pointerX = 0, pointerY = 0;
    int cursor = 0, cursorSets = 0;
    std::map<uintptr_t, uint32_t> colours;
    std::map<WindowHandle, int> redraws;
    std::map<int, std::string> strings; /* set by tests, before the script's */
};

SimDialogs* sim = new SimDialogs;

/* ---- Places, fonts and state ---- */

int Scaled(int pixels) {
    return (pixels * sim->dpi + 48) / 96;
}

/* Dialog units to pixels, with the base units of the dialog font at the
 * current scale (6 by 13 pixels at 96 dpi). */
int UnitsToX(int units) {
    return (units * Scaled(6) + 2) / 4;
}
int UnitsToY(int units) {
    return (units * Scaled(13) + 4) / 8;
}

bool HasStyle(const Control& control, const char* style) {
    return control.style.find(style) != std::string::npos;
}

Control* ControlOf(WindowHandle dialog, int controlId) {
    auto found = sim->controls.find(PlatformGetDialogItem(dialog, controlId));
    return found != sim->controls.end() ? &found->second : nullptr;
}

/* Never reused, not even after SimReset, so a stale handle the program
 * still holds can't name a new font. */
uintptr_t NewFont(void) {
    static uintptr_t next = 1;
    return next++;
}

/* A user can only reach what is there, shown and enabled. */
Control* Reachable(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    if (control == nullptr || !control->enabled || !SimGetWindowInfo(dialog).visible)
        return nullptr;
    return SimGetWindowInfo(PlatformGetDialogItem(dialog, controlId)).visible ? control : nullptr;
}

void LayOut(WindowHandle dialog, const SimDialogTemplate& layout) {
    Dialog& state = sim->dialogs[dialog];
    sim->places[dialog] = Place{0, 0, UnitsToX(layout.width), UnitsToY(layout.height)};
    uintptr_t font = NewFont();
    sim->fonts[dialog] = font;
    for (size_t i = 0; i < state.controls.size() && i < layout.controls.size(); i++) {
        const SimTemplateControl& c = layout.controls[i];
        sim->places[state.controls[i]] =
            Place{UnitsToX(c.x), UnitsToY(c.y), UnitsToX(c.width), UnitsToY(c.height)};
        sim->fonts[state.controls[i]] = font;
    }
}

WindowHandle MakeDialog(WindowHandle parent, int templateId, DialogProcedure procedure) {
    SimDialogTemplate layout;
    if (!SimReadDialogTemplate(templateId, &layout))
        return nullptr;
    WindowHandle dialog = SimCreateChild(parent, "#32770", 0, procedure);
    PlatformSetWindowTitle(dialog, layout.caption.c_str());
    Dialog& state = sim->dialogs[dialog];
    state.templateId = templateId;
    for (const SimTemplateControl& c : layout.controls) {
        WindowHandle handle = SimCreateChild(dialog, c.className.c_str(), c.id, nullptr);
        PlatformSetWindowTitle(handle, c.text.c_str());
        Control control;
        control.dialog = dialog;
        control.id = c.id;
        control.className = c.className;
        control.style = c.style;
        control.enabled = !HasStyle(control, "WS_DISABLED");
        if (!HasStyle(control, "NOT WS_VISIBLE"))
            PlatformShowWindow(handle, ShowShow);
        sim->controls[handle] = control;
        state.controls.push_back(handle);
    }
    LayOut(dialog, layout);
    PlatformSendMessage(dialog, MsgInitDialog, 0, 0);
    return dialog;
}

intptr_t Notify(Control* control, int code) {
    WindowHandle handle = PlatformGetDialogItem(control->dialog, control->id);
    uintptr_t wParam = (uintptr_t)(control->id & 0xFFFF) | ((uintptr_t)(code & 0xFFFF) << 16);
    return PlatformSendMessage(control->dialog, MsgCommand, wParam, (intptr_t)handle);
}

/* A radio button's group runs from the last control with WS_GROUP up to
 * the next one. */
void ClearOtherRadios(WindowHandle dialog, WindowHandle clicked) {
    const std::vector<WindowHandle>& all = sim->dialogs[dialog].controls;
    size_t at = 0;
    while (at < all.size() && all[at] != clicked)
        at++;
    size_t first = at;
    while (first > 0 && !HasStyle(sim->controls[all[first]], "WS_GROUP"))
        first--;
    for (size_t i = first; i < all.size(); i++) {
        if (i > at && HasStyle(sim->controls[all[i]], "WS_GROUP"))
            break;
        Control& other = sim->controls[all[i]];
        if (i != at && HasStyle(other, "BS_AUTORADIOBUTTON"))
            other.checked = false;
    }
}

} // namespace

/* ---- Control of the simulated dialogs ---- */

void SimResetDialogs(void) {
    delete sim;
    sim = new SimDialogs;
}

std::vector<SimDialogControl> SimDialogControls(WindowHandle dialog) {
    std::vector<SimDialogControl> list;
    auto found = sim->dialogs.find(dialog);
    if (found == sim->dialogs.end() || !SimGetWindowInfo(dialog).exists)
        return list;
    for (WindowHandle handle : found->second.controls)
        list.push_back(
            SimDialogControl{handle, sim->controls[handle].id, sim->controls[handle].style});
    return list;
}

SimControlInfo SimGetControl(WindowHandle dialog, int controlId) {
    SimControlInfo info = {false, "", "", false, false, false, false, false,
                           false, {}, -1, 0,     0,     0,     0,     0};
    WindowHandle handle = PlatformGetDialogItem(dialog, controlId);
    SimWindowInfo window = SimGetWindowInfo(handle);
    if (!window.exists)
        return info;
    info.exists = true;
    info.className = window.className;
    info.text = window.title;
    info.visible = window.visible;
    info.focused = sim->focus == handle;
    auto font = sim->liveFonts.find(sim->fonts[handle]);
    info.bold = font != sim->liveFonts.end() && font->second == FontBold;
    info.underlined = font != sim->liveFonts.end() && font->second == FontUnderlined;
    auto control = sim->controls.find(handle);
    if (control != sim->controls.end()) {
        info.enabled = control->second.enabled;
        info.checked = control->second.checked;
        info.items = control->second.items;
        info.selection = control->second.selection;
        info.position = control->second.trackPosition;
    }
    Place place = sim->places[handle];
    info.x = place.x;
    info.y = place.y;
    info.width = place.width;
    info.height = place.height;
    return info;
}

ScreenRect SimChildRect(WindowHandle child) {
    auto found = sim->places.find(child);
    if (found == sim->places.end())
        return ScreenRect{0, 0, 0, 0};
    const Place& p = found->second;
    return ScreenRect{p.x, p.y, p.x + p.width, p.y + p.height};
}

bool SimClickButton(WindowHandle dialog, int controlId) {
    Control* control = Reachable(dialog, controlId);
    if (control == nullptr)
        return false;
    if (HasStyle(*control, "BS_AUTOCHECKBOX"))
        control->checked = !control->checked;
    if (HasStyle(*control, "BS_AUTORADIOBUTTON")) {
        control->checked = true;
        ClearOtherRadios(dialog, PlatformGetDialogItem(dialog, controlId));
    }
    Notify(control, ButtonClicked);
    return true;
}

bool SimTypeText(WindowHandle dialog, int controlId, const char* text) {
    Control* control = Reachable(dialog, controlId);
    if (control == nullptr)
        return false;
    PlatformSetWindowTitle(PlatformGetDialogItem(dialog, controlId), text);
    control->modified = true;
    Notify(control, EditChanged);
    return true;
}

bool SimChooseListItem(WindowHandle dialog, int controlId, int index) {
    Control* control = Reachable(dialog, controlId);
    if (control == nullptr || index < 0 || index >= (int)control->items.size())
        return false;
    control->selection = index;
    Notify(control, ListSelectionChanged);
    return true;
}

bool SimPressArrow(WindowHandle dialog, int controlId, bool up) {
    if (Reachable(dialog, controlId) == nullptr)
        return false;
    PlatformSendMessage(dialog, MsgVScroll, (uintptr_t)(up ? ScrollLineUp : ScrollLineDown),
                        (intptr_t)PlatformGetDialogItem(dialog, controlId));
    return true;
}

bool SimClickTab(WindowHandle dialog, int tabControlId, int index) {
    Control* control = Reachable(dialog, tabControlId);
    if (control == nullptr || index < 0 || index >= (int)control->items.size())
        return false;
    WindowHandle tabs = PlatformGetDialogItem(dialog, tabControlId);
    PlatformSetTabSelection(tabs, index);
    PlatformSendNotify(dialog, tabs, tabControlId, TabSelectionChanged);
    return true;
}

/* A refused combination takes the rule's modifiers with the user's, as
 * the system's hotkey control combines them. */
static int32_t ByFieldRules(const Control& control, int32_t chord) {
    static const int32_t combinations[] = {0,
                                           ChordShift,
                                           ChordControl,
                                           ChordAlt,
                                           ChordShift | ChordControl,
                                           ChordShift | ChordAlt,
                                           ChordControl | ChordAlt,
                                           ChordShift | ChordControl | ChordAlt};
    int32_t modifiers = chord & (ChordShift | ChordControl | ChordAlt);
    for (int i = 0; i < 8; i++) {
        bool refused = (control.refusedCombinations & (1u << i)) != 0;
        if (refused && combinations[i] == modifiers)
            return chord | control.ruleModifiers;
    }
    return chord;
}

bool SimPressChordInField(WindowHandle dialog, int controlId, int32_t chord) {
    Control* control = Reachable(dialog, controlId);
    if (control == nullptr || control->className != "msctls_hotkey32")
        return false;
    sim->focus = PlatformGetDialogItem(dialog, controlId);
    const struct {
        int32_t bit;
        int key;
    } modifiers[] = {{ChordControl, KeyControl}, {ChordShift, KeyShift}, {ChordAlt, KeyAlt}};
    control->chord = 0;
    for (const auto& modifier : modifiers) {
        if ((chord & modifier.bit) != 0) {
            SimSetKeyDown(modifier.key, true);
            Notify(control, EditChanged);
        }
    }
    if ((chord & 0xFF) != 0) {
        control->chord = ByFieldRules(*control, chord);
        Notify(control, EditChanged);
    }
    for (const auto& modifier : modifiers) {
        if ((chord & modifier.bit) != 0) {
            SimSetKeyDown(modifier.key, false);
            Notify(control, EditChanged);
        }
    }
    return true;
}

bool SimMoveTrackbar(WindowHandle dialog, int controlId, int position) {
    Control* control = Reachable(dialog, controlId);
    if (control == nullptr)
        return false;
    PlatformSetTrackbarPosition(dialog, controlId, position);
    return true;
}

void SimQueueDialogDriver(std::function<void(WindowHandle dialog)> driver) {
    sim->drivers.push_back(std::move(driver));
}

const std::vector<int>& SimModalDialogsShown(void) {
    return sim->modalShown;
}

void SimFailTabControls(bool fail) {
    sim->failTabControls = fail;
}

void SimSetDpi(int dpi) {
    sim->dpi = dpi;
    for (auto& entry : sim->dialogs) {
        SimDialogTemplate layout;
        if (SimGetWindowInfo(entry.first).exists &&
            SimReadDialogTemplate(entry.second.templateId, &layout))
            LayOut(entry.first, layout);
    }
}

int SimLiveFontCount(void) {
    return (int)sim->liveFonts.size();
}

int SimFontsMade(void) {
    return sim->fontsMade;
}

int SimTextWidth(const char* text) {
    return (int)strlen(text) * Scaled(6);
}

void SimSetPointer(int x, int y) {
    sim->pointerX = x;
    sim->pointerY = y;
}

int SimCursorResource(void) {
    return sim->cursor;
}

int SimCursorSets(void) {
    return sim->cursorSets;
}

int64_t SimStaticColour(uintptr_t deviceContext) {
    auto found = sim->colours.find(deviceContext);
    return found != sim->colours.end() ? (int64_t)found->second : -1;
}

int SimRedraws(WindowHandle window) {
    return sim->redraws[window];
}

void SimSetString(int stringId, const char* text) {
    sim->strings[stringId] = text;
}

WindowHandle SimFocusedWindow(void) {
    return sim->focus;
}

void SimDialogTextWasSet(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    if (control == nullptr || control->className != "Edit")
        return;
    control->modified = false;
    Notify(control, EditChanged);
}

/* ---- The seam ---- */

WindowHandle PlatformCreateChildDialog(WindowHandle parent, int templateId,
                                       DialogProcedure procedure) {
    return MakeDialog(parent, templateId, procedure);
}

int PlatformRunModalDialog(WindowHandle owner, int templateId, DialogProcedure procedure) {
    WindowHandle dialog = MakeDialog(owner, templateId, procedure);
    if (dialog == nullptr)
        return -1;
    sim->modalShown.push_back(templateId);
    PlatformShowWindow(dialog, ShowShow);
    std::function<void(WindowHandle)> driver;
    if (!sim->drivers.empty()) {
        driver = std::move(sim->drivers.front());
        sim->drivers.pop_front();
    }
    SimRunModalLoop();
    if (driver && !sim->dialogs[dialog].ended)
        driver(dialog);
    if (!sim->dialogs[dialog].ended) {
        SimRunModalLoop();
        PlatformSendMessage(dialog, MsgCommand, DialogCancel, 0);
    }
    const Dialog& state = sim->dialogs[dialog];
    int result = state.ended ? state.result : DialogCancel;
    PlatformDestroyWindow(dialog);
    return result;
}

void PlatformEndDialog(WindowHandle dialog, int result) {
    auto found = sim->dialogs.find(dialog);
    if (found == sim->dialogs.end())
        return;
    found->second.ended = true;
    found->second.result = result;
}

int PlatformGetDialogItemText(WindowHandle dialog, int controlId, char* buffer, int size) {
    std::string text = SimGetWindowInfo(PlatformGetDialogItem(dialog, controlId)).title;
    if (size <= 0)
        return (int)text.size();
    snprintf(buffer, (size_t)size, "%s", text.c_str());
    return (int)text.size();
}

bool PlatformIsButtonChecked(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    return control != nullptr && control->checked;
}

void PlatformCheckButton(WindowHandle dialog, int controlId, bool checked) {
    Control* control = ControlOf(dialog, controlId);
    if (control != nullptr)
        control->checked = checked;
}

void PlatformEnableDialogItem(WindowHandle dialog, int controlId, bool enabled) {
    Control* control = ControlOf(dialog, controlId);
    if (control != nullptr)
        control->enabled = enabled;
}

void PlatformShowDialogItem(WindowHandle dialog, int controlId, bool shown) {
    PlatformShowWindow(PlatformGetDialogItem(dialog, controlId), shown ? ShowShow : ShowHide);
}

int32_t PlatformGetHotkeyField(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    return control != nullptr ? control->chord : 0;
}

/* The program's own write tells the dialog nothing. */
void PlatformSetHotkeyField(WindowHandle dialog, int controlId, int32_t chord) {
    Control* control = ControlOf(dialog, controlId);
    if (control != nullptr)
        control->chord = chord & 0xFFFF;
}

void PlatformSetHotkeyFieldRules(WindowHandle dialog, int controlId, uint32_t refused,
                                 int32_t modifiers) {
    Control* control = ControlOf(dialog, controlId);
    if (control == nullptr)
        return;
    control->refusedCombinations = refused;
    control->ruleModifiers = modifiers;
}

WindowHandle PlatformFocusedWindow(void) {
    return sim->focus;
}

void PlatformFocusDialogItem(WindowHandle dialog, int controlId) {
    WindowHandle control = PlatformGetDialogItem(dialog, controlId);
    if (control != nullptr)
        sim->focus = control;
}

bool PlatformGetControlRect(WindowHandle dialog, int controlId, ScreenRect* rect) {
    WindowHandle control = PlatformGetDialogItem(dialog, controlId);
    if (sim->places.count(control) == 0)
        return false;
    *rect = SimChildRect(control);
    return true;
}

void PlatformFitControlToText(WindowHandle dialog, int controlId) {
    WindowHandle control = PlatformGetDialogItem(dialog, controlId);
    auto place = sim->places.find(control);
    if (place != sim->places.end())
        place->second.width = SimTextWidth(SimGetWindowInfo(control).title.c_str());
}

bool PlatformTakeEditModified(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    if (control == nullptr)
        return false;
    bool modified = control->modified;
    control->modified = false;
    return modified;
}

void PlatformAddListItem(WindowHandle dialog, int controlId, const char* text) {
    Control* control = ControlOf(dialog, controlId);
    if (control != nullptr)
        control->items.push_back(text);
}

int PlatformGetListSelection(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    return control != nullptr ? control->selection : -1;
}

void PlatformSetListSelection(WindowHandle dialog, int controlId, int index) {
    Control* control = ControlOf(dialog, controlId);
    if (control != nullptr)
        control->selection = index >= 0 && index < (int)control->items.size() ? index : -1;
}

void PlatformSetTrackbarRange(WindowHandle dialog, int controlId, int minimum, int maximum,
                              int pageSize) {
    (void)pageSize;
    Control* control = ControlOf(dialog, controlId);
    if (control == nullptr)
        return;
    control->trackMinimum = minimum;
    control->trackMaximum = maximum;
}

void PlatformSetTrackbarPosition(WindowHandle dialog, int controlId, int position) {
    Control* control = ControlOf(dialog, controlId);
    if (control == nullptr)
        return;
    if (position < control->trackMinimum)
        position = control->trackMinimum;
    if (position > control->trackMaximum)
        position = control->trackMaximum;
    control->trackPosition = position;
}

int PlatformGetTrackbarPosition(WindowHandle dialog, int controlId) {
    Control* control = ControlOf(dialog, controlId);
    return control != nullptr ? control->trackPosition : 0;
}

WindowHandle PlatformCreateTabControl(WindowHandle dialog, int controlId, int x, int y, int width,
                                      int height) {
    if (sim->failTabControls)
        return nullptr;
    WindowHandle tabs = SimCreateChild(dialog, "SysTabControl32", controlId, nullptr);
    PlatformShowWindow(tabs, ShowShow);
    Control control;
    control.dialog = dialog;
    control.id = controlId;
    control.className = "SysTabControl32";
    sim->controls[tabs] = control;
    sim->places[tabs] = Place{x, y, width, height};
    return tabs;
}

bool PlatformAddTab(WindowHandle tabControl, int index, const char* text) {
    auto found = sim->controls.find(tabControl);
    if (found == sim->controls.end() || index < 0 || index > (int)found->second.items.size())
        return false;
    std::vector<std::string>& tabs = found->second.items;
    tabs.insert(tabs.begin() + index, text);
    return true;
}

int PlatformNotificationCode(intptr_t lParam) {
    return (int)lParam; /* PlatformSendNotify's simulated form */
}

/* Top-level windows have a caption, a menu bar and a fixed 3-pixel frame. */
bool PlatformGetClientSize(WindowHandle window, int* width, int* height) {
    auto place = sim->places.find(window);
    if (place != sim->places.end()) {
        *width = place->second.width;
        *height = place->second.height;
        return true;
    }
    SimWindowInfo info = SimGetWindowInfo(window);
    if (!info.exists)
        return false;
    *width = info.width - 2 * Scaled(3);
    *height = info.height - 2 * Scaled(3) - Scaled(19) - Scaled(19);
    return true;
}

void PlatformMoveChild(WindowHandle child, int x, int y) {
    auto place = sim->places.find(child);
    if (place != sim->places.end()) {
        place->second.x = x;
        place->second.y = y;
    }
}

void PlatformPlaceChild(WindowHandle child, int x, int y, int width, int height) {
    if (SimGetWindowInfo(child).exists)
        sim->places[child] = Place{x, y, width, height};
}

void PlatformSetFocus(WindowHandle window) {
    sim->focus = window;
}

void PlatformRedrawWindow(WindowHandle window) {
    sim->redraws[window]++;
}

void PlatformGetPointerPosition(WindowHandle window, int* x, int* y) {
    (void)window;
    *x = sim->pointerX;
    *y = sim->pointerY;
}

void PlatformSetCursorResource(int resourceId) {
    sim->cursor = resourceId;
    sim->cursorSets++;
}

FontHandle PlatformCreateFontVariant(WindowHandle window, FontVariant variant) {
    (void)window;
    uintptr_t font = NewFont();
    sim->liveFonts[font] = variant;
    sim->fontsMade++;
    return (FontHandle)font;
}

void PlatformSetWindowFont(WindowHandle window, FontHandle font) {
    sim->fonts[window] = (uintptr_t)font;
}

void PlatformUseFontOf(WindowHandle window, WindowHandle source) {
    sim->fonts[window] = sim->fonts[source];
}

void PlatformReleaseFont(FontHandle font) {
    sim->liveFonts.erase((uintptr_t)font);
}

intptr_t PlatformSetStaticColours(uintptr_t deviceContext, uint32_t textColour) {
    sim->colours[deviceContext] = textColour;
    return 0x0B12; /* the hollow brush */
}

/* A test's entry first, then the resource script's. */
int PlatformLoadString(int stringId, char* buffer, int size) {
    if (size <= 0)
        return 0;
    std::string text;
    auto set = sim->strings.find(stringId);
    if (set != sim->strings.end())
        text = set->second;
    else
        SimReadResourceString(stringId, &text);
    snprintf(buffer, (size_t)size, "%s", text.c_str());
    return (int)strlen(buffer);
}

int PlatformWindowDpi(WindowHandle window) {
    (void)window;
    return sim->dpi;
}

int PlatformScaledMetric(WindowHandle window, ScaledMetric metric) {
    (void)window;
    static const int AtStandardScale[] = {19, 4, 19, 2, 2}; /* menu, frame, caption, edges */
    return Scaled(AtStandardScale[metric]);
}

/* One monitor: only the suggested size is taken. */
void PlatformMoveToSuggestedRect(WindowHandle window, intptr_t suggestion) {
    const ScreenRect* rect = reinterpret_cast<const ScreenRect*>(suggestion);
    PlatformSetWindowSize(window, rect->right - rect->left, rect->bottom - rect->top);
}

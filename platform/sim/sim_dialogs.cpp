/*
 * sim_dialogs.cpp: dialogs, their controls, fonts, strings and the display
 * scale on the simulated desktop.
 *
 * A dialog is made from the program's own resource script (read from the
 * source tree), so the dialog procedures under test meet the controls,
 * identifiers, texts, styles and places of the real templates, and a test
 * of the script itself reads the same parse; the string table comes from
 * the same script. Controls are child windows of the simulated desktop
 * (their text is the window's title, their visibility the window's); what
 * else a control holds (check mark, list, trackbar, font, place) is kept
 * here, with what a dialog procedure does to the screen (cursor, colours,
 * repaints). A modal dialog's loop dispatches what is posted to windows
 * meanwhile, as the system's does.
 */
#include "platform/sim/sim_control.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/sim/sim_internal.h"
#include "resources/version.h"

#ifndef MIRLOW_SOURCE_DIR
#define MIRLOW_SOURCE_DIR "."
#endif

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

/* ---- The resource script ---- */

std::string ReadSourceFile(const char* relative) {
    std::ifstream file(std::string(MIRLOW_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

/* Comments go; strings (where "" is a quote) are kept as they are. */
std::string WithoutComments(const std::string& text) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (!inString && c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 1;
            continue;
        }
        if (!inString && c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                i++;
        }
        if (c == '"')
            inString = !inString;
        if (c == '\n')
            inString = false;
        if (i < text.size())
            out += text[i];
    }
    return out;
}

/* The texts the script names by macro, put in as the resource compiler's
 * preprocessor puts them in. */
struct ScriptMacro {
    const char* name;
    const char* text;
};
const ScriptMacro ScriptMacros[] = {{"MIRLOW_VERSION_TEXT", MIRLOW_VERSION_TEXT}};

bool IsWordCharacter(char c) {
    return isalnum((unsigned char)c) || c == '_';
}

/* Each macro outside a string becomes its text as a literal. */
std::string WithMacrosExpanded(const std::string& text) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (inString || !IsWordCharacter(c)) {
            if (c == '"')
                inString = !inString;
            else if (c == '\n')
                inString = false;
            out += c;
            continue;
        }
        size_t end = i;
        while (end < text.size() && IsWordCharacter(text[end]))
            end++;
        std::string word = text.substr(i, end - i);
        for (const ScriptMacro& macro : ScriptMacros) {
            if (word == macro.name)
                word = std::string("\"") + macro.text + "\"";
        }
        out += word;
        i = end - 1;
    }
    return out;
}

/* Literals with only blanks between them on a line are one literal, as
 * the compiler joins them ("Version " "2.30" is "Version 2.30"). */
std::string WithLiteralsJoined(const std::string& text) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (inString && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            out += "\"\"";
            i++;
            continue;
        }
        if (inString && c == '"') {
            size_t next = text.find_first_not_of(" \t", i + 1);
            if (next != std::string::npos && next > i + 1 && text[next] == '"') {
                i = next;
                continue;
            }
        }
        if (c == '"')
            inString = !inString;
        if (c == '\n')
            inString = false;
        out += c;
    }
    return out;
}

/* The resource script as the dialog and string-table readers take it. */
std::string ResourceScript(void) {
    return WithLiteralsJoined(
        WithMacrosExpanded(WithoutComments(ReadSourceFile("resources/mirlow.rc"))));
}

std::map<std::string, int> ResourceNumbers(void) {
    std::map<std::string, int> numbers = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
    std::istringstream lines(WithoutComments(ReadSourceFile("resources/resource.h")));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string define, name, value;
        if (!(words >> define >> name >> value) || define != "#define")
            continue;
        std::string digits;
        for (char c : value) {
            if (c != '(' && c != ')')
                digits += c;
        }
        char* end = nullptr;
        long number = strtol(digits.c_str(), &end, 0);
        if (end != digits.c_str() && *end == '\0')
            numbers[name] = (int)number;
    }
    return numbers;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

/* The comma-separated fields of a statement; quoted ones are unquoted. */
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '"' && inString && i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i++;
        } else if (c == '"') {
            inString = !inString;
        } else if (c == ',' && !inString) {
            fields.push_back(Trim(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(Trim(field));
    return fields;
}

int NumberOf(const std::string& field, const std::map<std::string, int>& numbers) {
    auto named = numbers.find(field);
    if (named != numbers.end())
        return named->second;
    return (int)strtol(field.c_str(), nullptr, 0);
}

/* A statement goes on over the next lines while a line ends in a comma or
 * an or-bar. */
std::string JoinedStatement(std::istream& lines, const std::string& first) {
    std::string statement = Trim(first), next;
    while (!statement.empty() && (statement.back() == ',' || statement.back() == '|') &&
           std::getline(lines, next))
        statement += " " + Trim(next);
    return statement;
}

/* The characters a string literal's escapes stand for. */
char Unescaped(char c) {
    switch (c) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return c;
    }
}

/* The string table's entries: an identifier, a comma, then literals that
 * are joined (a doubled quote inside one is a quote). */
std::map<int, std::string> ReadStringTable(void) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::string text = ResourceScript();
    std::map<int, std::string> table;
    size_t at = text.find("STRINGTABLE");
    size_t begin = at == std::string::npos ? at : text.find("BEGIN", at);
    size_t end = begin == std::string::npos ? begin : text.find("\nEND", begin);
    if (end == std::string::npos)
        return table;
    int id = 0;
    std::string word;
    for (size_t i = begin + 5; i < end; i++) {
        char c = text[i];
        if (c == '"') {
            for (i++; i < end; i++) {
                char d = text[i];
                if (d == '"' && text[i + 1] != '"')
                    break;
                if (d == '"' || (d == '\\' && i + 1 < end)) {
                    i++;
                    d = d == '"' ? '"' : Unescaped(text[i]);
                }
                table[id] += d;
            }
        } else if (isalnum((unsigned char)c) || c == '_') {
            word += c;
        } else if (!word.empty()) {
            id = NumberOf(word, numbers);
            table[id];
            word.clear();
        }
    }
    return table;
}

/* The statements the program's templates use, with the class and the
 * styles each implies. */
struct Statement {
    const char* keyword;
    const char* className;
    const char* impliedStyle;
    bool hasText;
};
const Statement Statements[] = {
    {"LTEXT", "Static", "SS_LEFT | WS_GROUP", true},
    {"RTEXT", "Static", "SS_RIGHT | WS_GROUP", true},
    {"CTEXT", "Static", "SS_CENTER | WS_GROUP", true},
    {"PUSHBUTTON", "Button", "BS_PUSHBUTTON | WS_TABSTOP", true},
    {"DEFPUSHBUTTON", "Button", "BS_DEFPUSHBUTTON | WS_TABSTOP", true},
    {"GROUPBOX", "Button", "BS_GROUPBOX", true},
    {"AUTOCHECKBOX", "Button", "BS_AUTOCHECKBOX | WS_TABSTOP", true},
    {"AUTORADIOBUTTON", "Button", "BS_AUTORADIOBUTTON | WS_TABSTOP", true},
    {"EDITTEXT", "Edit", "ES_LEFT | WS_BORDER | WS_TABSTOP", false},
    {"ICON", "Static", "SS_ICON", true},
    {"COMBOBOX", "ComboBox", "CBS_SIMPLE | WS_TABSTOP", false},
    {"SCROLLBAR", "ScrollBar", "SBS_HORZ", false},
};

bool ParseControl(const std::string& line, const std::map<std::string, int>& numbers,
                  SimTemplateControl* control) {
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    std::vector<std::string> f = Fields(line.substr(line.find(keyword) + keyword.size()));
    if (keyword == "CONTROL") {
        if (f.size() < 8)
            return false;
        *control = SimTemplateControl{NumberOf(f[1], numbers),
                                      f[2],
                                      f[0],
                                      f[3],
                                      NumberOf(f[4], numbers),
                                      NumberOf(f[5], numbers),
                                      NumberOf(f[6], numbers),
                                      NumberOf(f[7], numbers)};
        return true;
    }
    for (const Statement& s : Statements) {
        if (keyword != s.keyword)
            continue;
        size_t at = s.hasText ? 1 : 0;
        if (f.size() < at + 5)
            return false;
        std::string style = s.impliedStyle;
        if (f.size() > at + 5)
            style += " | " + f[at + 5];
        *control = SimTemplateControl{NumberOf(f[at], numbers),     s.className,
                                      s.hasText ? f[0] : "",        style,
                                      NumberOf(f[at + 1], numbers), NumberOf(f[at + 2], numbers),
                                      NumberOf(f[at + 3], numbers), NumberOf(f[at + 4], numbers)};
        return true;
    }
    return false;
}

/* The virtual key an accelerator names: a quoted letter or digit, or a
 * function key; 0 for others (the program's table has no others). */
int AcceleratorKey(const std::string& field) {
    if (field.size() == 1 && isalnum((unsigned char)field[0]))
        return toupper((unsigned char)field[0]);
    if (field.compare(0, 4, "VK_F") == 0 && field.size() > 4) {
        int number = atoi(field.c_str() + 4);
        return number >= 1 && number <= 24 ? 0x70 + number - 1 : 0;
    }
    return 0;
}

bool ParseAccelerator(const std::string& line, const std::map<std::string, int>& numbers,
                      SimAccelerator* entry) {
    std::vector<std::string> f = Fields(line);
    if (f.size() < 3 || AcceleratorKey(f[0]) == 0)
        return false;
    *entry = SimAccelerator{AcceleratorKey(f[0]), NumberOf(f[1], numbers), false, false, false};
    for (size_t i = 2; i < f.size(); i++) {
        entry->control |= f[i] == "CONTROL";
        entry->shift |= f[i] == "SHIFT";
        entry->alt |= f[i] == "ALT";
    }
    return true;
}

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

bool SimReadDialogTemplate(int templateId, SimDialogTemplate* dialog) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::istringstream lines(ResourceScript());
    std::string line;
    bool inside = false, inBlock = false;
    *dialog = SimDialogTemplate{0, 0, "", "", {}};
    while (std::getline(lines, line)) {
        line = JoinedStatement(lines, line);
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (!inside) {
            if (second == "DIALOGEX" && NumberOf(first, numbers) == templateId) {
                std::vector<std::string> f = Fields(line.substr(line.find("DIALOGEX") + 8));
                inside = f.size() >= 4;
                if (inside) {
                    dialog->width = NumberOf(f[2], numbers);
                    dialog->height = NumberOf(f[3], numbers);
                }
            }
            continue;
        }
        if (!inBlock) {
            if (first == "STYLE")
                dialog->style = Trim(line.substr(5));
            else if (first == "CAPTION")
                dialog->caption = Fields(line.substr(7))[0];
            inBlock = first == "BEGIN";
            continue;
        }
        if (first == "END")
            return true;
        SimTemplateControl control;
        if (ParseControl(line, numbers, &control))
            dialog->controls.push_back(control);
    }
    return false;
}

bool SimReadAccelerators(int tableId, std::vector<SimAccelerator>* entries) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::istringstream lines(WithoutComments(ReadSourceFile("resources/mirlow.rc")));
    std::string line;
    bool inside = false, inBlock = false;
    entries->clear();
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (!inside) {
            inside = second == "ACCELERATORS" && NumberOf(first, numbers) == tableId;
            continue;
        }
        if (!inBlock) {
            inBlock = first == "BEGIN";
            continue;
        }
        if (first == "END")
            return true;
        SimAccelerator entry;
        if (ParseAccelerator(line, numbers, &entry))
            entries->push_back(entry);
    }
    return false;
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

bool SimReadResourceString(int stringId, std::string* text) {
    std::map<int, std::string> table = ReadStringTable();
    auto found = table.find(stringId);
    if (found == table.end())
        return false;
    *text = found->second;
    return true;
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

/*
 * panel_rules.cpp: what the settings panel decides, apart from its
 * controls: the key list and its mapping to virtual keys, the repeat
 * count read from the user's text and stepped by the arrows, the key
 * choice rule, and the arithmetic that sizes the main window around the
 * panel and places the run-time tab controls.
 *
 * Sizes are in pixels at the window's scale. Metrics and measured sizes
 * come in already scaled; the few fixed gaps are 96-dpi pixels scaled here,
 * so the window keeps its proportions on a monitor of any scale.
 */
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

#include "log/log.h"

struct KeyListEntry {
    const char* text;
    int32_t code;
};

static const KeyListEntry KeyList[KeyListSize] = {
    {"", 0},      {"F1", 112},    {"F2", 113},  {"F3", 114},   {"F4", 115},      {"F5", 116},
    {"F6", 117},  {"F7", 118},    {"F8", 119},  {"F9", 120},   {"F10", 121},     {"F11", 122},
    {"F12", 123}, {"Escape", 27}, {"Ctrl", 17}, {"Break", 19}, {"NumLock", 144}, {"ScrLock", 145},
    {"0", 48},    {"1", 49},      {"2", 50},    {"3", 51},     {"4", 52},        {"5", 53},
    {"6", 54},    {"7", 55},      {"8", 56},    {"9", 57},
};

static const char* const TypeThisTexts[TypeThisListSize] = {
    "", "the play loop #", "a random number", "the time", "the date & time", "the time as number",
};

const char* KeyListText(int index) {
    return index >= 0 && index < KeyListSize ? KeyList[index].text : "";
}

int32_t KeyCodeForListIndex(int index) {
    return index >= 0 && index < KeyListSize ? KeyList[index].code : 0;
}

int KeyListIndexForCode(int32_t code) {
    if (code == 0)
        return -1;
    for (int i = 1; i < KeyListSize; i++) {
        if (KeyList[i].code == code)
            return i;
    }
    return 0;
}

const char* TypeThisText(int index) {
    return index >= 0 && index < TypeThisListSize ? TypeThisTexts[index] : "";
}

/* ---- The repeat count ---- */

/* The rule looks at what fits in the old 8-byte read of the edit: its first
 * 7 characters. */
static const int RepeatTextLimit = 7;

int32_t RepeatCountFromText(const char* text) {
    char head[RepeatTextLimit + 1];
    snprintf(head, sizeof head, "%s", text);
    int32_t count = ReadSignedField(head);
    return count < 1 ? 1 : count;
}

int32_t RepeatArrowResult(const char* text, bool up) {
    int32_t number = ReadSignedField(text);
    if (up)
        return number < MaxPanelRepeats ? number + 1 : -1;
    return number > 1 ? number - 1 : -1;
}

/* ---- The key choice ---- */

static const char* const SameKeysWarning =
    "The \"Stop Recording\" key and the \"Special Type\" key cannot be the same.\n\n"
    "Please choose a different key.";
/* A stop key pressed as part of a hotkey's chord would end a recording
 * that the chord's own key then starts again. */
static const char* const StopKeyInHotkeyWarning =
    "The \"Stop Recording\" key cannot be a key of a hotkey.\n\n"
    "Please choose a different key.";

static void Warn(const char* text) {
    ShowMessageBox(text, "Mirlow Warning", BoxOk | BoxIconWarning | BoxTaskModal);
}

bool ChordUsesKey(int32_t chord, int32_t key) {
    const struct {
        int32_t bit;
        int32_t key;
    } modifiers[] = {{ChordShift, KeyShift}, {ChordControl, KeyControl}, {ChordAlt, KeyAlt}};
    if ((chord & 0xFF) == 0 || key == 0)
        return false;
    if ((chord & 0xFF) == key)
        return true;
    for (const auto& modifier : modifiers) {
        if ((chord & modifier.bit) != 0 && modifier.key == key)
            return true;
    }
    return false;
}

static bool IsStopKeySetting(const char* name) {
    return strcmp(name, "StopKey") == 0;
}

/* The warning that refuses the key for the setting, or null. */
static const char* KeyRefusal(const char* name, int32_t code, int32_t otherKey) {
    if (code == 0)
        return nullptr;
    if (code == otherKey)
        return SameKeysWarning;
    bool inHotkey =
        ChordUsesKey(gSettings.recordHotkey, code) || ChordUsesKey(gSettings.playHotkey, code);
    return IsStopKeySetting(name) && inHotkey ? StopKeyInHotkeyWarning : nullptr;
}

bool ApplyKeyChoice(const char* name, int32_t* setting, int32_t otherKey, int listIndex) {
    int32_t code = KeyCodeForListIndex(listIndex);
    const char* refusal = KeyRefusal(name, code, otherKey);
    if (refusal != nullptr) {
        Warn(refusal);
        return false;
    }
    *setting = code;
    StoreSettingNow(name);
    return true;
}

int KeyListIndexPastTaken(const char* name, int chosen, int shown, int32_t otherKey) {
    if (chosen == shown)
        return chosen;
    int step = chosen > shown ? 1 : -1;
    for (int index = chosen; index >= 0 && index < KeyListSize; index += step) {
        if (KeyRefusal(name, KeyCodeForListIndex(index), otherKey) == nullptr)
            return index;
    }
    return chosen;
}

/* ---- Hotkeys ---- */

struct KeyName {
    int32_t key;
    const char* name;
};

/* Keys whose name is not their character; letters and digits name
 * themselves, F1 to F24 are numbered. */
static const KeyName KeyNames[] = {
    {0x03, "Break"},    {0x08, "Backspace"},   {0x09, "Tab"},    {0x0D, "Enter"},
    {0x13, "Pause"},    {0x14, "Caps Lock"},   {0x1B, "Esc"},    {0x20, "Space"},
    {0x21, "Page Up"},  {0x22, "Page Down"},   {0x23, "End"},    {0x24, "Home"},
    {0x25, "Left"},     {0x26, "Up"},          {0x27, "Right"},  {0x28, "Down"},
    {0x2C, "Print"},    {0x2D, "Insert"},      {0x2E, "Delete"}, {0x6A, "Num *"},
    {0x6B, "Num +"},    {0x6D, "Num -"},       {0x6E, "Num ."},  {0x6F, "Num /"},
    {0x90, "Num Lock"}, {0x91, "Scroll Lock"}, {0xBA, ";"},      {0xBB, "="},
    {0xBC, ","},        {0xBD, "-"},           {0xBE, "."},      {0xBF, "/"},
    {0xC0, "`"},        {0xDB, "["},           {0xDC, "\\"},     {0xDD, "]"},
    {0xDE, "'"},
};

static void NameKey(int32_t key, char* name, size_t size) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        snprintf(name, size, "%c", (char)key);
        return;
    }
    if (key >= 0x70 && key <= 0x87) {
        snprintf(name, size, "F%d", (int)(key - 0x70 + 1));
        return;
    }
    if (key >= 0x60 && key <= 0x69) {
        snprintf(name, size, "Num %d", (int)(key - 0x60));
        return;
    }
    for (const KeyName& entry : KeyNames) {
        if (entry.key == key) {
            snprintf(name, size, "%s", entry.name);
            return;
        }
    }
    snprintf(name, size, "key 0x%02X", (unsigned)key);
}

int HotkeyText(int32_t chord, char* text, int size) {
    if (size <= 0)
        return 0;
    text[0] = '\0';
    int32_t key = chord & 0xFF;
    if (key == 0)
        return 0;
    char name[16];
    NameKey(key, name, sizeof name);
    return snprintf(text, (size_t)size, "%s%s%s%s", (chord & ChordControl) ? "Ctrl+" : "",
                    (chord & ChordShift) ? "Shift+" : "", (chord & ChordAlt) ? "Alt+" : "", name);
}

int32_t SettledHotkeyChord(int32_t field, bool modifierHeld) {
    if ((field & 0xFF) != 0)
        return field;
    return modifierHeld ? -1 : 0;
}

static const char* const SameHotkeysWarning =
    "The record hotkey and the play hotkey cannot be the same.\n\n"
    "Please choose a different key.";
static const char* const HotkeyWithStopKeyWarning =
    "A hotkey cannot use the \"Stop Recording\" key.\n\n"
    "Please choose a different key.";

/* The system tells chords apart without the extended flag. */
static bool SameChord(int32_t a, int32_t b) {
    return (a & ~ChordExtended) == (b & ~ChordExtended);
}

bool ApplyHotkeyChoice(const char* name, int32_t* setting, int32_t otherHotkey, int32_t chord) {
    if (chord != 0 && SameChord(chord, otherHotkey)) {
        Warn(SameHotkeysWarning);
        return false;
    }
    if (ChordUsesKey(chord, gSettings.stopKey)) {
        Warn(HotkeyWithStopKeyWarning);
        return false;
    }
    *setting = chord;
    StoreSettingNow(name);
    return true;
}

/* ---- Layout ---- */

int ScaleForDpi(int pixels, int dpi) {
    return (int)(((int64_t)pixels * dpi + 48) / 96);
}

int PanelTopFor(int toolbarHeight, int dpi) {
    int top = toolbarHeight + ScaleForDpi(3, dpi);
    return top < 0 ? 0 : top;
}

/* The frame of the window covers part of the panel's right margin. With
 * the panel the window is as wide as its tab control and a margin on
 * either side as wide as the left one, so a thicker frame (a larger scale,
 * a newer system) never covers the tab control itself.
 *
 * The bar without the panel is as wide as six first menu items and a
 * margin, which holds the whole menu on one line; it is at least as tall
 * as the menu and the toolbar need at the window's scale. */
static int Larger(int a, int b) {
    return a > b ? a : b;
}

WindowSize MainWindowSizeFor(const MainWindowMeasures& m, bool panelShown) {
    int nonClientWidth = m.outerWidth - m.clientWidth;
    int nonClientHeight = m.outerHeight - m.clientHeight;
    int toolbarNeeds = nonClientWidth + m.toolbarWidth;
    if (panelShown) {
        ChildBounds tabs =
            PanelTabBounds(m.panelWidth, m.panelHeight, m.edgeWidth, m.edgeHeight, m.dpi);
        return WindowSize{Larger(nonClientWidth + tabs.x + tabs.width + tabs.x, toolbarNeeds),
                          nonClientHeight + PanelTopFor(m.toolbarHeight, m.dpi) + m.panelHeight};
    }
    int width = 6 * m.firstMenuItemWidth + ScaleForDpi(50, m.dpi);
    int height = m.menuHeight + 4 * m.frameHeight + m.captionHeight + ScaleForDpi(18, m.dpi);
    return WindowSize{Larger(width, toolbarNeeds),
                      Larger(height, nonClientHeight + m.toolbarHeight)};
}

ChildBounds PanelTabBounds(int clientWidth, int clientHeight, int edgeWidth, int edgeHeight,
                           int dpi) {
    int margin = ScaleForDpi(3, dpi);
    return ChildBounds{margin, margin, clientWidth - 3 * edgeWidth - ScaleForDpi(6, dpi),
                       clientHeight - 3 * edgeHeight - margin};
}

ChildBounds OptionsTabBounds(int clientWidth, int clientHeight, int edgeWidth, int edgeHeight,
                             int okButtonHeight, int dpi) {
    int margin = ScaleForDpi(3, dpi);
    return ChildBounds{margin, margin, clientWidth - 3 * edgeWidth - margin,
                       clientHeight - 3 * edgeHeight - okButtonHeight - ScaleForDpi(13, dpi)};
}

/* Each line short enough to fit the note's width on one line at every
 * scale, so that two of them fit its two lines. */
static const char* NoteLine(const char* hotkey, HotkeyStanding standing, char* line, size_t size) {
    const char* why = standing == HotkeyInUseElsewhere ? "in use elsewhere"
                      : standing == HotkeyOnStopKey    ? "uses the stop key"
                                                       : nullptr;
    if (why == nullptr)
        return "";
    snprintf(line, size, "%s hotkey %s", hotkey, why);
    return line;
}

int HotkeyNote(HotkeyStanding record, HotkeyStanding play, char* text, int size) {
    char first[64], second[64];
    const char* recordLine = NoteLine("Record", record, first, sizeof first);
    const char* playLine = NoteLine("Play", play, second, sizeof second);
    const char* between = recordLine[0] != '\0' && playLine[0] != '\0' ? "\n" : "";
    return snprintf(text, (size_t)size, "%s%s%s", recordLine, between, playLine);
}

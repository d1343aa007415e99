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

bool ApplyKeyChoice(const char* name, int32_t* setting, int32_t otherKey, int listIndex) {
    int32_t code = KeyCodeForListIndex(listIndex);
    if (code != 0 && code == otherKey) {
        ShowMessageBox(SameKeysWarning, "Mirlow Warning", BoxOk | BoxIconWarning | BoxTaskModal);
        return false;
    }
    *setting = code;
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

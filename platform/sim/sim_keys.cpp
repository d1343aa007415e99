/*
 * sim_keys.cpp: the keyboard handling that the system does for a program
 * inside its message loop, on the simulated desktop, and the state of the
 * keys as the program's messages see it.
 *
 * Accelerator tables are read from the resource script, so a key press
 * becomes the same command it becomes on Windows, and, as there, a
 * command whose menu item is grayed, or whose window is minimised, does
 * nothing (a command that is no menu item goes in any case). A dialog's
 * own keys follow the system's dialog manager: Tab and Shift+Tab go from
 * tab stop to tab stop (into a radio group at its checked button), the
 * arrows move within a group of buttons (checking an automatic radio
 * button they reach), Enter is the focused push button or the default
 * one, Escape the Cancel command. Every other message for the dialog or
 * its controls is dispatched as the system would.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

namespace {

/* Every accelerator table read so far; a handle is its index plus one. */
std::vector<std::vector<SimAccelerator>>& LoadedAcceleratorTables(void) {
    static std::vector<std::vector<SimAccelerator>>* tables =
        new std::vector<std::vector<SimAccelerator>>;
    return *tables;
}

const std::vector<SimAccelerator>* TableOf(AcceleratorHandle handle) {
    size_t index = (size_t)(uintptr_t)handle;
    std::vector<std::vector<SimAccelerator>>& tables = LoadedAcceleratorTables();
    return index >= 1 && index <= tables.size() ? &tables[index - 1] : nullptr;
}

/* The keys held down as the program's messages see them, and how often
 * it loaded an accelerator table. */
struct KeyboardState {
    bool down[256] = {};
    int acceleratorLoads = 0;
};
KeyboardState* keyboard = new KeyboardState;

bool ModifiersMatch(const SimAccelerator& entry, const PlatformMessage* message) {
    bool alt = PlatformIsKeyDown(KeyAlt) ||
               (message->message == MsgSysKeyDown && (message->lParam & (1 << 29)) != 0);
    return entry.control == PlatformIsKeyDown(KeyControl) &&
           entry.shift == PlatformIsKeyDown(KeyShift) && entry.alt == alt;
}

/* ---- A dialog's keys ---- */

bool HasStyle(const SimDialogControl& control, const char* style) {
    return control.style.find(style) != std::string::npos;
}

bool IsTabStop(const SimDialogControl& control) {
    return HasStyle(control, "WS_TABSTOP") && !HasStyle(control, "NOT WS_TABSTOP");
}

bool IsRadio(const SimDialogControl& control) {
    return HasStyle(control, "RADIOBUTTON");
}

bool IsPushButton(const SimDialogControl& control) {
    return HasStyle(control, "BS_PUSHBUTTON") || HasStyle(control, "BS_DEFPUSHBUTTON");
}

bool Reachable(WindowHandle dialog, const SimDialogControl& control) {
    SimControlInfo info = SimGetControl(dialog, control.id);
    return info.visible && info.enabled;
}

int FocusIndex(const std::vector<SimDialogControl>& controls) {
    for (size_t i = 0; i < controls.size(); i++) {
        if (controls[i].handle == SimFocusedWindow())
            return (int)i;
    }
    return -1;
}

/* The group of buttons around index: from the control that starts it
 * (WS_GROUP) up to the next one. */
void GroupAround(const std::vector<SimDialogControl>& controls, int index, int* first, int* end) {
    *first = index;
    while (*first > 0 && !HasStyle(controls[(size_t)*first], "WS_GROUP"))
        (*first)--;
    *end = index + 1;
    while (*end < (int)controls.size() && !HasStyle(controls[(size_t)*end], "WS_GROUP"))
        (*end)++;
}

/* Tabbing into a radio group lands on its checked button. */
int CheckedInGroup(WindowHandle dialog, const std::vector<SimDialogControl>& controls, int index) {
    int first, end;
    GroupAround(controls, index, &first, &end);
    for (int i = first; i < end; i++) {
        const SimDialogControl& c = controls[(size_t)i];
        if (IsRadio(c) && Reachable(dialog, c) && PlatformIsButtonChecked(dialog, c.id))
            return i;
    }
    return index;
}

void FocusNextTabStop(WindowHandle dialog, bool backwards) {
    std::vector<SimDialogControl> controls = SimDialogControls(dialog);
    int count = (int)controls.size(), at = FocusIndex(controls);
    int start = at >= 0 ? at : (backwards ? count : -1);
    for (int step = 1; step <= count; step++) {
        int i = ((start + (backwards ? -step : step)) % count + count) % count;
        const SimDialogControl& c = controls[(size_t)i];
        if (!IsTabStop(c) || !Reachable(dialog, c))
            continue;
        i = IsRadio(c) ? CheckedInGroup(dialog, controls, i) : i;
        PlatformFocusDialogItem(dialog, controls[(size_t)i].id);
        return;
    }
}

/* An automatic radio button reached by the arrows is checked and tells
 * its dialog, as a click would. */
void ArriveByArrow(WindowHandle dialog, const SimDialogControl& control) {
    PlatformFocusDialogItem(dialog, control.id);
    if (!HasStyle(control, "BS_AUTORADIOBUTTON") || PlatformIsButtonChecked(dialog, control.id))
        return;
    SimClickButton(dialog, control.id);
}

/* Arrows move within a group of buttons; edits and lists keep them. */
bool MoveInGroup(WindowHandle dialog, bool backwards) {
    std::vector<SimDialogControl> controls = SimDialogControls(dialog);
    int at = FocusIndex(controls);
    if (at < 0 || SimGetControl(dialog, controls[(size_t)at].id).className != "Button")
        return false;
    int first, end;
    GroupAround(controls, at, &first, &end);
    int size = end - first;
    for (int step = 1; step < size; step++) {
        int i = first + ((at - first) + (backwards ? size - step : step)) % size;
        if (Reachable(dialog, controls[(size_t)i])) {
            ArriveByArrow(dialog, controls[(size_t)i]);
            return true;
        }
    }
    return true;
}

/* Enter: the focused push button, else the template's default button,
 * else OK. */
void PressDefault(WindowHandle dialog) {
    std::vector<SimDialogControl> controls = SimDialogControls(dialog);
    int at = FocusIndex(controls);
    int command = DialogOk;
    if (at >= 0 && IsPushButton(controls[(size_t)at])) {
        command = controls[(size_t)at].id;
    } else {
        for (const SimDialogControl& c : controls) {
            if (HasStyle(c, "BS_DEFPUSHBUTTON") && Reachable(dialog, c))
                command = c.id;
        }
    }
    PlatformSendMessage(dialog, MsgCommand, (uintptr_t)(command & 0xFFFF),
                        (intptr_t)PlatformGetDialogItem(dialog, command));
}

bool TakeDialogKey(WindowHandle dialog, const PlatformMessage* message) {
    switch ((int)message->wParam) {
    case KeyTab:
        FocusNextTabStop(dialog, PlatformIsKeyDown(KeyShift));
        return true;
    case KeyReturn:
        PressDefault(dialog);
        return true;
    case KeyEscape:
        PlatformSendMessage(dialog, MsgCommand, DialogCancel,
                            (intptr_t)PlatformGetDialogItem(dialog, DialogCancel));
        return true;
    case KeyLeft:
    case KeyUp:
    case KeyRight:
    case KeyDown:
        return MoveInGroup(dialog, message->wParam == KeyLeft || message->wParam == KeyUp);
    default:
        return false;
    }
}

bool InDialog(WindowHandle window, WindowHandle dialog) {
    for (; window != nullptr; window = SimParentOf(window)) {
        if (window == dialog)
            return true;
    }
    return false;
}

} // namespace

AcceleratorHandle SimLoadAcceleratorTable(int resourceId) {
    std::vector<SimAccelerator> entries;
    if (!SimReadAccelerators(resourceId, &entries))
        return nullptr;
    LoadedAcceleratorTables().push_back(entries);
    return (AcceleratorHandle)(uintptr_t)LoadedAcceleratorTables().size();
}

/* The command goes to the window at once, marked as an accelerator's by
 * the 1 in its high word; not when it is an item of the window's menu that
 * is grayed, or while the menu's window is minimised. A command that is no
 * menu item goes in any case. */
bool PlatformTranslateAccelerator(WindowHandle window, AcceleratorHandle table,
                                  PlatformMessage* message) {
    const std::vector<SimAccelerator>* entries = TableOf(table);
    if (entries == nullptr || (message->message != MsgKeyDown && message->message != MsgSysKeyDown))
        return false;
    for (const SimAccelerator& entry : *entries) {
        if (entry.key != (int)message->wParam || !ModifiersMatch(entry, message))
            continue;
        bool menuItem = SimMenuItemExists(window, entry.command);
        if (!menuItem || (SimMenuItemEnabled(window, entry.command) && !SimWindowMinimized(window)))
            PlatformSendMessage(window, MsgCommand, (uintptr_t)entry.command | (1u << 16), 0);
        return true;
    }
    return false;
}

bool PlatformIsDialogMessage(WindowHandle dialog, PlatformMessage* message) {
    if (dialog == nullptr || !InDialog(message->window, dialog))
        return false;
    if (message->message != MsgKeyDown || !TakeDialogKey(dialog, message))
        PlatformTranslateAndDispatch(message);
    return true;
}

/* ---- The keys held down ---- */

void SimResetKeys(void) {
    delete keyboard;
    keyboard = new KeyboardState;
}

void SimSetKeyDown(int virtualKey, bool down) {
    keyboard->down[virtualKey & 0xFF] = down;
}

bool PlatformIsKeyDown(int virtualKey) {
    return keyboard->down[virtualKey & 0xFF];
}

int SimAcceleratorLoads(void) {
    return keyboard->acceleratorLoads;
}

AcceleratorHandle PlatformLoadAccelerators(int resourceId) {
    keyboard->acceleratorLoads++;
    return SimLoadAcceleratorTable(resourceId);
}

/*
 * sim_hotkeys.cpp: hotkeys on the simulated desktop. The system keeps the
 * chords the program registered, and refuses one it has already, for the
 * program or for another program a test says holds it. A key pressed while
 * exactly a hotkey's modifiers are held fires it: the user's keys after the
 * record hooks have seen them (they come first, as on Windows), and the
 * keys of played input as the system takes each record, which the hotkey
 * then takes away from the program the playback plays to.
 */
#include <vector>

#include "platform/input_rules.h"
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

namespace {

struct Registered {
    WindowHandle window;
    int id;
    int32_t chord;
};

struct SimHotkeys {
    std::vector<Registered> registered;
    std::vector<int32_t> heldElsewhere;
    bool playedDown[256] = {};
    int playedTaken = 0;
};

SimHotkeys* hotkeys = new SimHotkeys;

/* The system tells chords apart by their key and modifiers alone. */
bool SameChord(int32_t a, int32_t b) {
    return (a & (ChordModifiers | 0xFF)) == (b & (ChordModifiers | 0xFF));
}

/* A window's hotkeys go with it. */
bool Live(const Registered& hotkey) {
    return SimGetWindowInfo(hotkey.window).exists;
}

bool Taken(int32_t chord) {
    for (const Registered& hotkey : hotkeys->registered) {
        if (Live(hotkey) && SameChord(hotkey.chord, chord))
            return true;
    }
    for (int32_t held : hotkeys->heldElsewhere) {
        if (SameChord(held, chord))
            return true;
    }
    return false;
}

/* The modifiers the system holds: the user's, and the played input's. */
int32_t HeldModifiers(void) {
    int32_t held = 0;
    for (int key = 0; key < 256; key++) {
        if (ChordModifierOf(key) != 0 && (PlatformKeyHeldNow(key) || hotkeys->playedDown[key]))
            held |= ChordModifierOf(key);
    }
    return held;
}

/* True, with the hotkey's message posted, when the press fires one. */
bool FireHotkey(int key) {
    int32_t chord = HeldModifiers() | (key & 0xFF);
    for (const Registered& hotkey : hotkeys->registered) {
        if (Live(hotkey) && SameChord(hotkey.chord, chord)) {
            PlatformPostMessage(hotkey.window, MsgHotkey, (uintptr_t)hotkey.id, 0);
            return true;
        }
    }
    return false;
}

} // namespace

void SimResetHotkeys(void) {
    delete hotkeys;
    hotkeys = new SimHotkeys;
}

void SimHoldHotkey(int32_t chord) {
    hotkeys->heldElsewhere.push_back(chord);
}

bool SimHotkeyInForce(int32_t chord) {
    for (const Registered& hotkey : hotkeys->registered) {
        if (Live(hotkey) && SameChord(hotkey.chord, chord))
            return true;
    }
    return false;
}

int SimPlayedChordsTaken(void) {
    return hotkeys->playedTaken;
}

void SimNoteUserKey(const EventRecord& event) {
    if (event.message == MsgKeyDown || event.message == MsgSysKeyDown)
        FireHotkey(event.paramL & 0xFF);
}

void SimNotePlayedStrokes(const KeyStroke* strokes, int count) {
    for (int i = 0; i < count; i++) {
        const KeyStroke& stroke = strokes[i];
        if (stroke.key == 0)
            continue;
        if (!stroke.release && ChordModifierOf(stroke.key) == 0 && FireHotkey(stroke.key))
            hotkeys->playedTaken++;
        hotkeys->playedDown[stroke.key & 0xFF] = !stroke.release;
    }
}

/* ---- The seam ---- */

uint32_t PlatformRegisterHotkey(WindowHandle window, int id, int32_t chord) {
    if ((chord & 0xFF) == 0 || !SimGetWindowInfo(window).exists)
        return 87; /* ERROR_INVALID_PARAMETER */
    if (Taken(chord))
        return HotkeyTakenError;
    hotkeys->registered.push_back(Registered{window, id, chord});
    return 0;
}

void PlatformUnregisterHotkey(WindowHandle window, int id) {
    std::vector<Registered>& list = hotkeys->registered;
    for (size_t i = list.size(); i-- > 0;) {
        if (list[i].window == window && list[i].id == id)
            list.erase(list.begin() + (long)i);
    }
}

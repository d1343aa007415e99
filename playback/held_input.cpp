/*
 * held_input.cpp: the keys and mouse buttons that the played events hold
 * down, so that every end of a playback can let go of them.
 *
 * A playback can end between a press and its release (the cancel keys,
 * Stop, an error, the program closing) or between {shiftdown} and
 * {shiftup}; without a release the user's next mouse move would drag and
 * their typing would come out shifted. Every record handed to the system
 * passes through here on either way of playing, and every end of a run
 * releases what is still down, last pressed first, once the hook is gone.
 *
 * What the played input holds also decides whether a key it presses makes
 * up the chord of one of the program's hotkeys: the system would take such
 * a press away from the program it is played to, so the hotkey is asked to
 * stand aside until the key is let go of.
 */
#include "playback/playback.h"

#include "app/shell.h"
#include "log/log.h"
#include "platform/input_rules.h"
#include "platform/platform.h"

namespace {

struct HeldSlot {
    bool down;
    uint32_t order; /* when it was pressed, to release the last first */
    EventRecord press;
};

enum Button { ButtonLeft, ButtonRight, ButtonMiddle, ButtonX1, ButtonX2, ButtonCount };

const int KeySlots = 256;
const int SlotCount = KeySlots + ButtonCount;

struct HeldInput {
    HeldSlot slots[SlotCount]; /* the keys by virtual key, then the buttons */
    uint32_t pressCount;
    int32_t mouseX, mouseY; /* where the played mouse was last */
    /* A run of typed text goes to the system with its last record. */
    bool runGoesOn;              /* the last record handed over is kept for its run */
    bool backAfterRun[KeySlots]; /* keys of hotkeys let go of within that run */
    bool anyBackAfterRun;
};

HeldInput held;

const uint32_t ButtonUpMessages[ButtonCount] = {MsgLButtonUp, MsgRButtonUp, MsgMButtonUp,
                                                MsgXButtonUp, MsgXButtonUp};

} // namespace

/* Ctrl and Alt, either side or unsided: what turns a typed character into
 * a shortcut. Asked for every record handed over, so only these are read. */
static const int ShortcutModifiers[] = {KeyControl, KeyLeftControl, KeyRightControl,
                                        KeyAlt,     KeyLeftAlt,     KeyRightAlt};

/* The key record of a typed character names the key of the character's
 * byte in a fixed table (a byte such as 0xA5 names right Alt): it holds
 * no modifier down, whatever the key's number. */
bool PlaybackHoldsShortcutModifier(void) {
    for (int key : ShortcutModifiers) {
        const HeldSlot& slot = held.slots[key];
        if (slot.down && TypedRoleOf(slot.press.hwnd) == TypedNone)
            return true;
    }
    return false;
}

/* ---- Hotkeys' chords among the played keys ---- */

/* The modifiers the played input holds; a typed character's record names
 * a key of its byte, not a modifier, whatever its number. */
static int32_t PlayedChordModifiers(void) {
    static const int keys[] = {KeyShift,   KeyLeftShift,   KeyRightShift,
                               KeyControl, KeyLeftControl, KeyRightControl,
                               KeyAlt,     KeyLeftAlt,     KeyRightAlt};
    int32_t modifiers = 0;
    for (int key : keys) {
        const HeldSlot& slot = held.slots[key];
        if (slot.down && TypedRoleOf(slot.press.hwnd) == TypedNone)
            modifiers |= ChordModifierOf(key);
    }
    return modifiers;
}

/* The key a record presses on its way to the system, with the modifiers
 * that go with it: a typed character goes as the key of the current
 * layout that types it, with the Shift or AltGr that key needs (the
 * layout is only asked, as the input layer asks it); false for a record
 * that presses no key (the Shift around a character, a character the
 * layout lacks, which goes as text). */
static bool PlayedKeyOf(const EventRecord& record, int* key, int32_t* modifiers) {
    *key = record.paramL & 0xFF;
    *modifiers = PlayedChordModifiers();
    TypedRole role = TypedRoleOf(record.hwnd);
    if (role == TypedNone)
        return true;
    LayoutKey layout;
    if ((role != TypedCharacter && role != TypedCharacterKey) ||
        !PlatformLayoutKeyFor(TypedUnitOf(record.hwnd), &layout))
        return false;
    *key = layout.key;
    *modifiers |= ((layout.modifiers & ModifierShift) ? ChordShift : 0) |
                  ((layout.modifiers & ModifierCtrl) ? ChordControl : 0) |
                  ((layout.modifiers & ModifierAlt) ? ChordAlt : 0);
    return true;
}

static void BringBackAfterRun(void) {
    if (!held.anyBackAfterRun)
        return;
    held.anyBackAfterRun = false;
    for (int key = 0; key < KeySlots; key++) {
        if (held.backAfterRun[key])
            HotkeysBackAfterPlayedKey(key);
        held.backAfterRun[key] = false;
    }
}

/* What the system matches against its hotkeys is that key. Typed text
 * reaches the system a run at a time, with the record that ends the run
 * (or the input layer's next wait): a key let go of within a run, whose
 * press has not gone yet either, gets its hotkey back only once a record
 * after the run's end is handed over. */
static void LetPlayedChordsThrough(const EventRecord& record, bool inRun) {
    int key;
    int32_t modifiers;
    if (!PlayedKeyOf(record, &key, &modifiers) || ChordModifierOf(key) != 0)
        return;
    if (!IsKeyRelease(record.message)) {
        HotkeysStandAsideForPlayedKey(key, modifiers);
    } else if (inRun || held.runGoesOn) {
        held.backAfterRun[key] = true;
        held.anyBackAfterRun = true;
    } else {
        HotkeysBackAfterPlayedKey(key);
    }
}

/* The button a mouse message presses (pressed true) or releases, or -1. */
static int ButtonOf(const EventRecord& record, bool* pressed) {
    uint32_t message = record.message;
    *pressed = message != MsgLButtonUp && message != MsgRButtonUp && message != MsgMButtonUp &&
               message != MsgXButtonUp;
    switch (message) {
    case MsgLButtonDown:
    case MsgLButtonUp:
    case MsgLButtonDblClk:
        return ButtonLeft;
    case MsgRButtonDown:
    case MsgRButtonUp:
    case MsgRButtonDblClk:
        return ButtonRight;
    case MsgMButtonDown:
    case MsgMButtonUp:
    case MsgMButtonDblClk:
        return ButtonMiddle;
    case MsgXButtonDown:
    case MsgXButtonUp:
    case MsgXButtonDblClk:
        return MouseEventAmount(record) == 2 ? ButtonX2 : ButtonX1;
    default:
        return -1;
    }
}

/* A key or button went down or up. A press keeps its record (the latest,
 * for a key that repeats) and, when the slot was up, its place in the
 * order of presses. */
static void SetSlotHeld(int slot, bool down, const EventRecord& record) {
    HeldSlot& entry = held.slots[slot];
    if (down && !entry.down)
        entry.order = ++held.pressCount;
    if (down)
        entry.press = record;
    entry.down = down;
}

void NoteHandedOver(const EventRecord& record) {
    bool inRun = held.runGoesOn;
    held.runGoesOn = TypedTextGoesOn(record.hwnd);
    if (!inRun)
        BringBackAfterRun();
    if (IsKeyMessage(record.message)) {
        LetPlayedChordsThrough(record, inRun);
        SetSlotHeld(record.paramL & 0xFF, !IsKeyRelease(record.message), record);
        return;
    }
    if (!IsMouseMessage(record.message))
        return;
    held.mouseX = record.paramL;
    held.mouseY = MouseEventY(record);
    bool pressed;
    int button = ButtonOf(record, &pressed);
    if (button >= 0)
        SetSlotHeld(KeySlots + button, pressed, record);
}

/* The record that lets go of a slot: a key's release with the scan code
 * and mark it was pressed with, a button's release where the mouse is. */
static EventRecord ReleaseOf(int slot) {
    const EventRecord& press = held.slots[slot].press;
    EventRecord release = {};
    if (slot < KeySlots) {
        release = press;
        release.message = press.message == MsgSysKeyDown ? MsgSysKeyUp : MsgKeyUp;
        release.time = 0;
        return release;
    }
    int button = slot - KeySlots;
    release.message = ButtonUpMessages[button];
    release.paramL = held.mouseX;
    release.paramH = held.mouseY;
    if (button == ButtonX1 || button == ButtonX2)
        release.paramH = (int32_t)(((uint32_t)(button == ButtonX2 ? 2 : 1) << 16) |
                                   ((uint32_t)held.mouseY & 0xFFFF));
    return release;
}

/* The slot still down that was pressed last, or -1. */
static int LastPressedSlot(void) {
    int last = -1;
    for (int slot = 0; slot < SlotCount; slot++) {
        if (held.slots[slot].down && (last < 0 || held.slots[slot].order > held.slots[last].order))
            last = slot;
    }
    return last;
}

void SendReleasesOfHeldInput(void) {
    EventRecord releases[SlotCount];
    int count = 0;
    for (int slot = LastPressedSlot(); slot >= 0; slot = LastPressedSlot()) {
        releases[count++] = ReleaseOf(slot);
        held.slots[slot].down = false;
    }
    held.pressCount = 0;
    held.runGoesOn = false;
    held.anyBackAfterRun = false;
    for (bool& back : held.backAfterRun)
        back = false;
    if (count > 0) {
        LogPrintf(LogLow, "    Releasing %d key(s) and button(s) that the playback left held down",
                  count);
        PlatformReleaseInput(releases, count);
    }
    HotkeysBackAfterPlayedKey(0);
}

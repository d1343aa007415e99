/*
 * input_rules.cpp: the portable rules behind real input (input_rules.h).
 */
#include "platform/input_rules.h"

/* ---- Absolute mouse positions ---- */

/* The smallest number whose scaled value reaches the pixel: scaling it
 * back gives the pixel plus less than extent / 65536 of one, which
 * neither dropping nor rounding the fraction moves off the pixel. Zero is
 * avoided, as some systems ignore a move to exactly (0, 0); on any real
 * desktop (less than 32,768 pixels across) 1 scales back to the first
 * pixel all the same. */
int32_t NormalizedScreenCoordinate(int32_t pixel, int32_t origin, int32_t extent) {
    if (extent <= 1)
        return 1;
    int64_t offset = (int64_t)pixel - origin;
    if (offset < 0)
        offset = 0;
    if (offset > extent - 1)
        offset = extent - 1;
    int64_t normalized = (offset * 65536 + extent - 1) / extent;
    if (normalized == 0 && extent < 32768)
        normalized = 1;
    return normalized > 65535 ? 65535 : (int32_t)normalized;
}

/* ---- Mouse messages ---- */

bool IsMouseMessage(uint32_t message) {
    return message >= MsgMouseMove && message <= MsgMouseHWheel;
}

static uint32_t LeftOrRight(bool left, bool down, bool swapped) {
    if (left != swapped)
        return down ? MouseLeftDown : MouseLeftUp;
    return down ? MouseRightDown : MouseRightUp;
}

uint32_t MouseButtonFlags(uint32_t message, bool buttonsSwapped) {
    switch (message) {
    case MsgLButtonDown:
    case MsgLButtonDblClk:
        return LeftOrRight(true, true, buttonsSwapped);
    case MsgLButtonUp:
        return LeftOrRight(true, false, buttonsSwapped);
    case MsgRButtonDown:
    case MsgRButtonDblClk:
        return LeftOrRight(false, true, buttonsSwapped);
    case MsgRButtonUp:
        return LeftOrRight(false, false, buttonsSwapped);
    case MsgMButtonDown:
    case MsgMButtonDblClk:
        return MouseMiddleDown;
    case MsgMButtonUp:
        return MouseMiddleUp;
    case MsgXButtonDown:
    case MsgXButtonDblClk:
        return MouseXDown;
    case MsgXButtonUp:
        return MouseXUp;
    case MsgMouseWheel:
        return MouseWheel;
    case MsgMouseHWheel:
        return MouseHorizontalWheel;
    default:
        return 0;
    }
}

static bool CarriesAmount(uint32_t message) {
    return message == MsgMouseWheel || message == MsgMouseHWheel ||
           (message >= MsgXButtonDown && message <= MsgXButtonDblClk);
}

int32_t MouseEventY(const EventRecord& record) {
    if (!CarriesAmount(record.message))
        return record.paramH;
    return (int16_t)(uint16_t)((uint32_t)record.paramH & 0xFFFF);
}

/* A wheel record without a distance (a recorder that could not tell) still
 * turns the wheel by one notch; an X-button record without a button is the
 * first X button. */
int32_t MouseEventAmount(const EventRecord& record) {
    if (!CarriesAmount(record.message))
        return 0;
    int32_t amount = (int16_t)(uint16_t)((uint32_t)record.paramH >> 16);
    bool wheel = record.message == MsgMouseWheel || record.message == MsgMouseHWheel;
    if (wheel)
        return amount != 0 ? amount : WheelNotch;
    return amount == 2 ? 2 : 1;
}

int32_t MouseEventParamH(uint32_t message, int32_t y, int32_t amount) {
    if (!CarriesAmount(message))
        return y;
    return (int32_t)(((uint32_t)(uint16_t)amount << 16) | (uint16_t)y);
}

/* ---- Keys ---- */

bool IsExtendedKey(int virtualKey) {
    switch (virtualKey & 0xFF) {
    case KeyPageUp:
    case KeyPageDown:
    case KeyEnd:
    case KeyHome:
    case KeyLeft:
    case KeyUp:
    case KeyRight:
    case KeyDown:
    case KeyPrintScreen:
    case KeyInsert:
    case KeyDelete:
    case KeyLeftWindows:
    case KeyRightWindows:
    case KeyApplications:
    case KeyDivide:
    case KeyNumLock:
    case KeyRightControl:
    case KeyRightAlt:
        return true;
    default:
        return false;
    }
}

/* ---- Unicode key input ---- */

int32_t KeyEventParamL(int virtualKey, uint32_t scanCode, uint32_t flags) {
    return (int32_t)(((uint32_t)virtualKey & 0xFF) | ((scanCode & 0xFF) << 8) |
                     ((flags & 0xFF) << 16));
}

int32_t KeyEventParamH(int virtualKey, uint32_t scanCode, bool extended) {
    uint32_t paramH = 1 | (extended ? 0x8000u : 0);
    if ((virtualKey & 0xFF) == KeyPacket)
        paramH |= (scanCode & 0xFFFF) << 16;
    return (int32_t)paramH;
}

bool IsUnicodeKeyRecord(const EventRecord& record) {
    return IsKeyMessage(record.message) && (record.paramL & 0xFF) == KeyPacket;
}

uint16_t KeyEventCharacter(const EventRecord& record) {
    if (!IsUnicodeKeyRecord(record))
        return 0;
    uint16_t whole = (uint16_t)((uint32_t)record.paramH >> 16);
    return whole != 0 ? whole : (uint16_t)(((uint32_t)record.paramL >> 8) & 0xFF);
}

/* ---- Typed text ---- */

/* "MT" in the top 12 bits, then the flag that more typed text follows,
 * the role in the next 3 bits, the unit in the rest. */
static const uint32_t MarkTag = 0x4D500000;
static const uint32_t MarkTagMask = 0xFFF00000;
static const uint32_t MoreFollows = 0x00080000;

uint32_t TypedMark(TypedRole role, uint16_t unit) {
    if (role == TypedNone)
        return 0;
    return MarkTag | ((uint32_t)role << 16) | unit;
}

TypedRole TypedRoleOf(uint32_t hwnd) {
    if ((hwnd & MarkTagMask) != MarkTag)
        return TypedNone;
    uint32_t role = (hwnd >> 16) & 0x7;
    return role >= TypedCharacter && role <= TypedSilent ? (TypedRole)role : TypedNone;
}

uint16_t TypedUnitOf(uint32_t hwnd) {
    return (uint16_t)(hwnd & 0xFFFF);
}

bool IsTypedAsCharacter(char character) {
    uint8_t code = (uint8_t)character;
    return (code > 0x20 && code < 0x7F) || code >= 0x80;
}

uint32_t HandOverMark(uint32_t hwnd, bool shortcutModifierHeld, bool typedTextFollows) {
    TypedRole role = TypedRoleOf(hwnd);
    if (role == TypedNone)
        return hwnd;
    if (shortcutModifierHeld && role == TypedShift)
        return 0;
    if (shortcutModifierHeld && role != TypedSilent)
        return TypedMark(TypedCharacterKey, TypedUnitOf(hwnd));
    return TypedMark(role, TypedUnitOf(hwnd)) | (typedTextFollows ? MoreFollows : 0);
}

bool TypedTextGoesOn(uint32_t hwnd) {
    TypedRole role = TypedRoleOf(hwnd);
    return role != TypedNone && role != TypedCharacterKey && (hwnd & MoreFollows) != 0;
}

/* ---- Typed characters as key strokes ---- */

static const int ModifierOrder[3] = {ModifierShift, ModifierCtrl, ModifierAlt};

/* The key that presses a modifier: Shift, Ctrl and Alt unsided, except
 * that Ctrl with Alt goes as the AltGr key makes it: left Ctrl with right
 * Alt. */
static int ModifierKey(int modifier, bool altGr) {
    if (modifier == ModifierShift)
        return KeyShift;
    if (modifier == ModifierCtrl)
        return altGr ? KeyLeftControl : KeyControl;
    return altGr ? KeyRightAlt : KeyAlt;
}

/* The character whose press went as keys, and the modifiers pressed for
 * it, which its release lets go of. */
struct PendingCharacter {
    bool asKeys;
    uint16_t unit;
    int key;
    int pressed;
    bool altGr;
};
static PendingCharacter pending;

static bool IsSurrogate(uint16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

/* True when the key with these modifiers types the unit in the state of
 * Caps Lock, or in both states when that is not known. */
static bool KeyTypes(uint16_t unit, int key, int modifiers, CapsLockState capsLock) {
    if (capsLock != CapsLockUnknown)
        return PlatformLayoutTypes(key, modifiers, capsLock == CapsLockOn) == unit;
    return PlatformLayoutTypes(key, modifiers, false) == unit &&
           PlatformLayoutTypes(key, modifiers, true) == unit;
}

/* The layout's modifiers for the key, or those with Shift the other way
 * round (Caps Lock reverses Shift for letters), whichever types the unit
 * in the keyboard's state. A held Shift cannot be taken back. */
static bool ChooseModifiers(uint16_t unit, const LayoutKey& key, int held, int* chosen) {
    const int pressable = ModifierShift | ModifierCtrl | ModifierAlt;
    if ((key.modifiers & ~pressable) != 0)
        return false;
    CapsLockState capsLock = PlatformCapsLockState();
    const int flips[] = {0, ModifierShift};
    for (int flip : flips) {
        int modifiers = key.modifiers ^ flip;
        if ((held & ModifierShift) != 0 && (modifiers & ModifierShift) == 0)
            continue;
        if (KeyTypes(unit, key.key, modifiers | held, capsLock)) {
            *chosen = modifiers;
            return true;
        }
    }
    return false;
}

static int UnicodeStroke(uint16_t unit, bool release, KeyStroke* strokes) {
    strokes[0] = KeyStroke{0, unit, release};
    return 1;
}

static int PressStrokes(uint16_t unit, KeyStroke* strokes) {
    pending = PendingCharacter{};
    LayoutKey key;
    int held = PlatformHeldModifiers();
    int modifiers;
    if (IsSurrogate(unit) || PlatformInputMethodComposes() || !PlatformLayoutKeyFor(unit, &key) ||
        !ChooseModifiers(unit, key, held, &modifiers))
        return UnicodeStroke(unit, false, strokes);
    const int altGr = ModifierCtrl | ModifierAlt;
    pending = PendingCharacter{true, unit, key.key, modifiers & ~held,
                               ((modifiers | held) & altGr) == altGr};
    int count = 0;
    for (int modifier : ModifierOrder) {
        if ((pending.pressed & modifier) != 0)
            strokes[count++] = KeyStroke{ModifierKey(modifier, pending.altGr), 0, false};
    }
    strokes[count++] = KeyStroke{key.key, 0, false};
    return count;
}

static int ReleaseStrokes(uint16_t unit, KeyStroke* strokes) {
    if (!pending.asKeys || pending.unit != unit)
        return UnicodeStroke(unit, true, strokes);
    int count = 0;
    strokes[count++] = KeyStroke{pending.key, 0, true};
    for (int i = 2; i >= 0; i--) {
        if ((pending.pressed & ModifierOrder[i]) != 0)
            strokes[count++] = KeyStroke{ModifierKey(ModifierOrder[i], pending.altGr), 0, true};
    }
    pending = PendingCharacter{};
    return count;
}

/* A shortcut is defined by the layout's key for the character; where the
 * layout has none, the key the record names. */
static int ShortcutStroke(const EventRecord& record, bool release, KeyStroke* strokes) {
    LayoutKey key;
    uint16_t unit = TypedUnitOf(record.hwnd);
    int virtualKey = record.paramL & 0xFF;
    if (!IsSurrogate(unit) && PlatformLayoutKeyFor(unit, &key))
        virtualKey = key.key;
    strokes[0] = KeyStroke{virtualKey, 0, release};
    return 1;
}

int KeyStrokesFor(const EventRecord& record, KeyStroke* strokes) {
    bool release = IsKeyRelease(record.message);
    switch (TypedRoleOf(record.hwnd)) {
    case TypedCharacter:
        return release ? ReleaseStrokes(TypedUnitOf(record.hwnd), strokes)
                       : PressStrokes(TypedUnitOf(record.hwnd), strokes);
    case TypedCharacterKey:
        return ShortcutStroke(record, release, strokes);
    case TypedShift:
    case TypedSilent:
        return 0;
    default:
        strokes[0] = KeyStroke{record.paramL & 0xFF, 0, release};
        return 1;
    }
}

/* ---- Waiting for the target ---- */

bool WaitsForTargetAfter(const EventRecord& record, int handedSinceWait) {
    if (IsPlainMouseMove(record.message))
        return false;
    return !TypedTextGoesOn(record.hwnd) || handedSinceWait + 1 >= TypedTextBatch;
}

/* Each release flag is its press flag shifted left by one. */
uint32_t ButtonsDownAfter(uint32_t buttonsDown, uint32_t flags) {
    const uint32_t presses = MouseLeftDown | MouseRightDown | MouseMiddleDown | MouseXDown;
    const uint32_t releases = presses << 1;
    return (buttonsDown | (flags & presses)) & ~((flags & releases) >> 1);
}

/* ---- Low-level hooks the system took away ---- */

bool HooksMissedInput(HookSilence* silence, uint32_t lastSystemInput, uint32_t lastSeen,
                      uint32_t now) {
    if ((int32_t)(lastSystemInput - lastSeen) <= InputTimeSlack) {
        silence->unseen = false;
        return false;
    }
    if (!silence->unseen) {
        silence->unseen = true;
        silence->unseenSince = lastSystemInput;
        return false;
    }
    return (int32_t)(now - silence->unseenSince) > HookSilenceLimit;
}

/* Either Shift, Ctrl or Alt, unsided or sided, as a chord modifier; 0 for
 * any other key. */
int32_t ChordModifierOf(int key) {
    switch (key) {
    case KeyShift:
    case KeyLeftShift:
    case KeyRightShift:
        return ChordShift;
    case KeyControl:
    case KeyLeftControl:
    case KeyRightControl:
        return ChordControl;
    case KeyAlt:
    case KeyLeftAlt:
    case KeyRightAlt:
        return ChordAlt;
    default:
        return 0;
    }
}

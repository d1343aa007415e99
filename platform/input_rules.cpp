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
    case 0x21: /* Page Up */
    case 0x22: /* Page Down */
    case 0x23: /* End */
    case 0x24: /* Home */
    case 0x25: /* the four arrows */
    case 0x26:
    case 0x27:
    case 0x28:
    case 0x2C: /* Print Screen */
    case 0x2D: /* Insert */
    case 0x2E: /* Delete */
    case 0x5B: /* the Windows keys and the menu key */
    case 0x5C:
    case 0x5D:
    case 0x6F: /* keypad divide */
    case 0x90: /* Num Lock */
    case 0xA3: /* right Ctrl */
    case 0xA5: /* right Alt */
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

static const uint32_t MarkTag = 0x4D540000; /* "MT" */

uint32_t TypedMark(TypedRole role, char character) {
    if (role == TypedNone)
        return 0;
    return MarkTag | ((uint32_t)role << 8) | (uint8_t)character;
}

TypedRole TypedRoleOf(uint32_t hwnd) {
    if ((hwnd & 0xFFFF0000) != MarkTag)
        return TypedNone;
    uint32_t role = (hwnd >> 8) & 0xFF;
    return role >= TypedCharacter && role <= TypedCharacterKey ? (TypedRole)role : TypedNone;
}

char TypedCharacterOf(uint32_t hwnd) {
    return (char)(hwnd & 0xFF);
}

bool IsTypedAsCharacter(char character) {
    uint8_t code = (uint8_t)character;
    return (code > 0x20 && code < 0x7F) || code >= 0x80;
}

uint32_t HandOverMark(uint32_t hwnd, bool shortcutModifierHeld) {
    TypedRole role = TypedRoleOf(hwnd);
    if (!shortcutModifierHeld || role == TypedNone)
        return hwnd;
    if (role == TypedShift)
        return 0;
    return TypedMark(TypedCharacterKey, TypedCharacterOf(hwnd));
}

/* ---- Waiting for the target ---- */

bool WaitsForTargetAfter(const EventRecord& record) {
    if (IsPlainMouseMove(record.message))
        return false;
    return TypedRoleOf(record.hwnd) != TypedCharacter || IsKeyRelease(record.message);
}

/* Each release flag is its press flag shifted left by one. */
uint32_t ButtonsDownAfter(uint32_t buttonsDown, uint32_t flags) {
    const uint32_t presses = MouseLeftDown | MouseRightDown | MouseMiddleDown | MouseXDown;
    const uint32_t releases = presses << 1;
    return (buttonsDown | (flags & presses)) & ~((flags & releases) >> 1);
}

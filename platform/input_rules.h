/*
 * input_rules.h: the arithmetic and conventions that turn a played event
 * record into real input, kept on the portable side so that native tests
 * pin them for every case rather than for the few a screen can show.
 *
 * The Windows input layer uses them to build its SendInput records; the
 * playback engine uses the typed-text marks to tell the input layer which
 * key records stand for characters of typed text.
 */
#ifndef MIRLOW_INPUT_RULES_H
#define MIRLOW_INPUT_RULES_H

#include <cstdint>

#include "platform/platform.h"

/* ---- Absolute mouse positions ----
 * SendInput takes a position as a number from 0 to 65535 across the
 * virtual desktop (extent pixels from origin). The system turns it back
 * into a pixel by scaling it by extent / 65536 and dropping (or rounding)
 * the fraction. The number returned lands on the very pixel given under
 * either rule; a pixel outside the desktop is taken as the nearest edge. */
int32_t NormalizedScreenCoordinate(int32_t pixel, int32_t origin, int32_t extent);

/* ---- Mouse messages ----
 * What a recorded mouse message asks of the mouse, in SendInput's flags
 * (the system's values). With the buttons swapped in the system settings
 * the physical right button makes left-button messages, so a recorded left
 * click is played on the right button, and the other way round. Wheel
 * and X-button records carry their amount or button in the high word of
 * paramH, y in its low word (MouseEventAmount, MouseEventY). */
enum : uint32_t {
    MouseMove = 0x0001,
    MouseLeftDown = 0x0002,
    MouseLeftUp = 0x0004,
    MouseRightDown = 0x0008,
    MouseRightUp = 0x0010,
    MouseMiddleDown = 0x0020,
    MouseMiddleUp = 0x0040,
    MouseXDown = 0x0080,
    MouseXUp = 0x0100,
    MouseWheel = 0x0800,
    MouseHorizontalWheel = 0x1000,
};
const int32_t WheelNotch = 120;

/* Either Shift, Ctrl or Alt, unsided or sided, as a chord modifier
 * (platform_ui.h); 0 for any other key. */
int32_t ChordModifierOf(int key);

/* The keys that change what a played key does when the user holds them:
 * Shift, Ctrl and Alt, unsided (as some systems report them) and by side
 * (as hooks see them), and both Windows keys. */
const int UserModifierKeys[] = {KeyShift,      KeyControl,     KeyAlt,          KeyLeftShift,
                                KeyRightShift, KeyLeftControl, KeyRightControl, KeyLeftAlt,
                                KeyRightAlt,   KeyLeftWindows, KeyRightWindows};
const int UserModifierKeyCount = (int)(sizeof UserModifierKeys / sizeof UserModifierKeys[0]);

/* True for every mouse message a recording can hold (moves, the three
 * buttons and the X buttons with their double clicks, both wheels). */
bool IsMouseMessage(uint32_t message);
/* The flags for the message besides the move itself; 0 for a plain move. */
uint32_t MouseButtonFlags(uint32_t message, bool buttonsSwapped);
/* The y coordinate of a mouse record: paramH, or its low word for a wheel
 * or X-button record. */
int32_t MouseEventY(const EventRecord& record);
/* The wheel distance (a notch when none is recorded) or the X button
 * (1 or 2) of a record; 0 for other messages. */
int32_t MouseEventAmount(const EventRecord& record);
/* The paramH a recorder stores for a mouse event at y: y itself, or for a
 * wheel or X-button message y in the low word and the amount (the wheel
 * distance, the X button) in the high word. */
int32_t MouseEventParamH(uint32_t message, int32_t y, int32_t amount);

/* ---- Keys ----
 * Keys that sit on the extended part of the keyboard: the same scan code
 * as a numeric-keypad key (or the left modifier), told apart by the
 * extended flag. */
bool IsExtendedKey(int virtualKey);
inline bool IsKeyMessage(uint32_t message) {
    return message == MsgKeyDown || message == MsgKeyUp || message == MsgSysKeyDown ||
           message == MsgSysKeyUp;
}
inline bool IsKeyRelease(uint32_t message) {
    return message == MsgKeyUp || message == MsgSysKeyUp;
}

/* ---- Unicode key input ----
 * Programs that type characters rather than press keys (on-screen
 * keyboards, password managers, remote-control tools) send Unicode key
 * input: the virtual key KeyPacket with a UTF-16 code unit where the scan
 * code goes. A key record has one byte for the scan code in paramL, so a
 * Unicode key record also keeps the whole code unit in the high word of
 * paramH, which key records leave free (the repeat count and the extended
 * flag 0x8000 fill its low word). Text scripts and binary recordings carry
 * it as they carry any paramH. A character beyond the first 65,536 comes
 * as two such records, its two UTF-16 halves, and is replayed the same. */
const int KeyPacket = 0xE7;
/* A key record's paramL: the virtual key, the low byte of the scan code
 * and the key's flags byte (extended 0x01, Alt 0x20, was down 0x40,
 * released 0x80). */
int32_t KeyEventParamL(int virtualKey, uint32_t scanCode, uint32_t flags);
/* A key record's paramH: repeat count 1, the extended flag, and for
 * Unicode key input the whole code unit in the high word. */
int32_t KeyEventParamH(int virtualKey, uint32_t scanCode, bool extended);
bool IsUnicodeKeyRecord(const EventRecord& record);
/* The code unit a Unicode key record sends; 0 for any other record. A
 * record that lacks the high word (made before it was kept) has only the
 * low byte of its scan code. */
uint16_t KeyEventCharacter(const EventRecord& record);

/* ---- Typed text ----
 * The key records that type a character of text carry a mark in their
 * hwnd, which is 0 for every other inserted record and is never printed or
 * saved (every pass puts the list back). The mark holds the character as
 * a UTF-16 unit, converted from the whole text at once, so a character of
 * several bytes (a double-byte code page, a UTF-8 system code page) is
 * carried by its first byte's records (a character beyond the Basic
 * Multilingual Plane by its first two, one half each) and its other
 * bytes' records send nothing. The input layer types a marked character
 * as the key strokes of the current keyboard layout where the layout has
 * it, as Unicode input where it has not (KeyStrokesFor, below), and sends
 * nothing for the Shift records around it. While the played input holds
 * Ctrl or Alt down the character is a shortcut key instead: it goes as the
 * current layout's key for it, and the Shift records around it are played
 * as they stand. */
enum TypedRole {
    TypedNone = 0,
    TypedCharacter = 1,    /* the key of a character: type the character */
    TypedShift = 2,        /* Shift around a character: send nothing */
    TypedCharacterKey = 3, /* the key of a character as a shortcut: the layout's key */
    TypedSilent = 4,       /* a later byte of a character: send nothing, ever */
};
uint32_t TypedMark(TypedRole role, uint16_t unit);
TypedRole TypedRoleOf(uint32_t hwnd);
uint16_t TypedUnitOf(uint32_t hwnd);
/* True for the characters typed as characters; named keys (Enter, Tab,
 * space, other control characters) stay keys. */
bool IsTypedAsCharacter(char character);
/* The mark a record is handed over with, given whether the played input
 * holds Ctrl or Alt down at that moment and whether the record after it
 * in the list is typed text too. */
uint32_t HandOverMark(uint32_t hwnd, bool shortcutModifierHeld, bool typedTextFollows);
/* True for a record handed over as part of a character of typed text with
 * more typed text right behind it (never for a shortcut key). */
bool TypedTextGoesOn(uint32_t hwnd);

/* ---- Waiting for the target ----
 * Once a record has gone, the playback goes on only when the thread of the
 * window that takes it has taken it, and everything sent before it, from
 * its queue, as a journal is paced by the program taking its input: keys
 * that follow one that opens a dialog reach the dialog, a target that
 * falls behind is waited for before more is sent, and nothing is still on
 * its way when a script command, the next pass or the end of the run
 * comes, or when anything else may move the focus (the system throws away
 * input queued for a thread that loses the focus, under Wine). Two kinds
 * of record go on without that wait. A plain mouse move: a run of moves
 * goes at once (the system merges moves anyway), and whatever follows it
 * (a key, a button, a wheel, the end of the playback) first waits until
 * the window under the last move has taken the moves, so a click lands
 * after the moves that lead to it. And typed text with more typed text
 * behind it: plain characters open no dialog, so a run of them is waited
 * for once at its end, and within it after every TypedTextBatch records,
 * so the target is never more than that behind. handedSinceWait counts the
 * records handed over since the last wait, before this one. */
inline bool IsPlainMouseMove(uint32_t message) {
    return message == 0x0200;
}
const int TypedTextBatch = 128;
bool WaitsForTargetAfter(const EventRecord& record, int handedSinceWait);
/* The buttons held down (as press flags of MouseButtonFlags) once mouse
 * input with these flags has gone; both X buttons count as one. Moves that
 * go at once one after another may go as the last of them only while none
 * is held: the path of a drag is what draws a line. */
uint32_t ButtonsDownAfter(uint32_t buttonsDown, uint32_t flags);
/* ---- Low-level hooks the system took away ----
 * The system removes a low-level hook that answers too slowly, without a
 * word. The hooks count as taken away once the system has seen input
 * (its last-input time) that they have not seen for HookSilenceLimit ms;
 * the slack covers the coarse steps of the system's clock between the two
 * time stamps. A watch asks at each look: the input the system last saw,
 * the last the hooks saw (or accounted for), and the time now. */
const int32_t HookSilenceLimit = 1000;
const int32_t InputTimeSlack = 100;
struct HookSilence {
    bool unseen;          /* input the hooks have not seen is pending */
    uint32_t unseenSince; /* the system's time of it */
};
bool HooksMissedInput(HookSilence* silence, uint32_t lastSystemInput, uint32_t lastSeen,
                      uint32_t now);

/* ---- Typed characters as key strokes ----
 * A program that reads raw keys or scan codes (a game, a remote console,
 * a virtual machine) sees nothing of Unicode input, so a character goes as
 * the keys that type it on the keyboard layout of the window taking the
 * keys, with Shift, Ctrl and Alt as that layout needs them and Caps Lock
 * taken into account: a combination is used only when the layout says it
 * types exactly that character in the state the keyboard is in. Ctrl+Alt
 * is pressed as the AltGr key presses it, left Ctrl with right Alt:
 * terminals and editors take left Ctrl+Alt with a key for a shortcut, and
 * tell AltGr by its right Alt. A character the layout does not have, or
 * has only behind a dead key, goes as Unicode input, and so does one that
 * a modifier the user or the played input holds would change; so does all
 * text while an input method (Chinese, Japanese, Korean) composes the keys
 * the window takes, since it would make other characters of the layout's
 * keys, and Unicode input passes it by. The modifiers pressed for a
 * character are let go with its release. */
struct KeyStroke {
    int key;       /* a virtual key; 0: unit is sent as Unicode input */
    uint16_t unit; /* for key 0 */
    bool release;
};
const int MaxKeyStrokes = 4;
enum : int { ModifierShift = 1, ModifierCtrl = 2, ModifierAlt = 4 };
/* The strokes a played key record becomes (at most MaxKeyStrokes): a
 * marked record by the rule above, any other its own virtual key. */
int KeyStrokesFor(const EventRecord& record, KeyStroke* strokes);

/* What each platform tells this rule about the keyboard layout of the
 * window that takes the keys now. */
struct LayoutKey {
    int key;       /* virtual key */
    int modifiers; /* Modifier... bits; any other bit: a state this rule cannot press */
};
/* The key and modifiers that type the unit, or false when there is none
 * (VkKeyScanEx). It may name a dead key. */
bool PlatformLayoutKeyFor(uint16_t unit, LayoutKey* key);
/* The one character the key types with those modifiers and Caps Lock; 0
 * for none, several, or a dead key (ToUnicodeEx, keeping the keyboard's
 * state). */
uint16_t PlatformLayoutTypes(int key, int modifiers, bool capsLock);
/* The modifiers held down now, by the user or by played input. */
int PlatformHeldModifiers(void);
/* True while an input method composes the keys that reach the window
 * taking them (it is open in a mode that turns keys into other text). */
bool PlatformInputMethodComposes(void);
/* Caps Lock, as the window taking the keys will apply it. Unknown where
 * the system does not tell a program without the keyboard focus: a key
 * is then used only when Caps Lock cannot change what it types. */
enum CapsLockState { CapsLockOff, CapsLockOn, CapsLockUnknown };
CapsLockState PlatformCapsLockState(void);

#endif

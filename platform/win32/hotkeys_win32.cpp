/*
 * hotkeys_win32.cpp: hotkeys and the hotkey fields that choose them, on
 * the real Windows API.
 *
 * The program keeps a chord as the hotkey control packs it (HOTKEYF_*
 * modifiers above the virtual key); RegisterHotKey takes the modifiers as
 * MOD_* flags, in which Shift and Alt trade places. The conversion lives
 * here and nowhere else. What the keyboard holds at this moment, which
 * the rules around a hotkey's chord ask, is here too.
 */
#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

static_assert(ChordShift == HOTKEYF_SHIFT << 8 && ChordControl == HOTKEYF_CONTROL << 8 &&
                  ChordAlt == HOTKEYF_ALT << 8 && ChordExtended == HOTKEYF_EXT << 8,
              "chords are packed as the hotkey control packs them");
static_assert(HotkeyCombNone == HKCOMB_NONE && HotkeyCombShift == HKCOMB_S,
              "the refused combinations are the hotkey control's");
static_assert(MsgHotkey == WM_HOTKEY && HotkeyTakenError == ERROR_HOTKEY_ALREADY_REGISTERED,
              "the system's values");

#ifndef MOD_NOREPEAT
#define MOD_NOREPEAT 0x4000
#endif

/* A chord's key held down repeats; one press is one message. */
static UINT RegisterModifiers(int32_t chord) {
    UINT modifiers = MOD_NOREPEAT;
    if (chord & ChordShift)
        modifiers |= MOD_SHIFT;
    if (chord & ChordControl)
        modifiers |= MOD_CONTROL;
    if (chord & ChordAlt)
        modifiers |= MOD_ALT;
    return modifiers;
}

uint32_t PlatformRegisterHotkey(WindowHandle window, int id, int32_t chord) {
    UINT key = (UINT)(chord & 0xFF);
    if (key == 0)
        return ERROR_INVALID_PARAMETER;
    if (RegisterHotKey(ToHwnd(window), id, RegisterModifiers(chord), key))
        return 0;
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_HOTKEY_ALREADY_REGISTERED;
}

void PlatformUnregisterHotkey(WindowHandle window, int id) {
    UnregisterHotKey(ToHwnd(window), id);
}

/* ---- Hotkey fields ---- */

int32_t PlatformGetHotkeyField(WindowHandle dialog, int controlId) {
    return (int32_t)(SendDlgItemMessageA(ToHwnd(dialog), controlId, HKM_GETHOTKEY, 0, 0) & 0xFFFF);
}

void PlatformSetHotkeyField(WindowHandle dialog, int controlId, int32_t chord) {
    SendDlgItemMessageA(ToHwnd(dialog), controlId, HKM_SETHOTKEY, (WPARAM)(chord & 0xFFFF), 0);
}

void PlatformSetHotkeyFieldRules(WindowHandle dialog, int controlId, uint32_t refused,
                                 int32_t modifiers) {
    SendDlgItemMessageA(ToHwnd(dialog), controlId, HKM_SETRULES, (WPARAM)refused,
                        MAKELPARAM((modifiers >> 8) & 0xFF, 0));
}

bool PlatformKeyHeldNow(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

WindowHandle PlatformFocusedWindow(void) {
    return reinterpret_cast<WindowHandle>(GetFocus());
}

/*
 * input_win32.cpp: handing a played record to the system as real input.
 * Mouse positions are given in virtual-desktop coordinates, so recordings
 * made on any monitor of several play back where they were made.
 */
#include <windows.h>

#include <cstring>

#include "model/model.h"
#include "platform/win32/win32_internal.h"

static bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

static void SendKey(const EventRecord* record) {
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_KEYBOARD;
    WORD key = (WORD)(record->paramL & 0xFF);
    WORD scan = (WORD)((record->paramL >> 8) & 0xFF);
    input.ki.dwExtraInfo = Win32InjectionTag;
    input.ki.wVk = key;
    input.ki.wScan = scan != 0 ? scan : (WORD)MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    if (record->paramH & 0x8000)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    if (record->message == WM_KEYUP || record->message == WM_SYSKEYUP)
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

static DWORD ButtonFlags(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return MOUSEEVENTF_LEFTDOWN;
    case WM_LBUTTONUP:
        return MOUSEEVENTF_LEFTUP;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        return MOUSEEVENTF_RIGHTDOWN;
    case WM_RBUTTONUP:
        return MOUSEEVENTF_RIGHTUP;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        return MOUSEEVENTF_MIDDLEDOWN;
    case WM_MBUTTONUP:
        return MOUSEEVENTF_MIDDLEUP;
    default:
        return 0;
    }
}

/* SendInput's absolute coordinates run from 0 to 65535 across the virtual
 * desktop. */
static LONG Normalize(int value, int origin, int extent) {
    if (extent <= 1)
        return 0;
    return (LONG)(((LONGLONG)(value - origin) * 65535) / (extent - 1));
}

static void SendMouse(const EventRecord* record) {
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dwExtraInfo = Win32InjectionTag;
    input.mi.dx = Normalize(record->paramL, GetSystemMetrics(SM_XVIRTUALSCREEN),
                            GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input.mi.dy = Normalize(record->paramH, GetSystemMetrics(SM_YVIRTUALSCREEN),
                            GetSystemMetrics(SM_CYVIRTUALSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK |
                       ButtonFlags(record->message);
    SendInput(1, &input, sizeof input);
}

void Win32SendRecord(const EventRecord* record) {
    if (IsKeyMessage(record->message))
        SendKey(record);
    else if (record->message >= WM_MOUSEFIRST && record->message <= WM_MBUTTONDBLCLK)
        SendMouse(record);
}

/*
 * dialogs_win32.cpp: modal dialogs from templates whose procedures live on
 * the portable side, the few drawing calls the About box needs, strings
 * from the string table, and the shell's open.
 *
 * A portable dialog procedure answers 0 for what it leaves to the system
 * and the message's result otherwise. A dialog procedure of the system
 * returns most results through DWLP_MSGRESULT and a few directly (the
 * first message, colour requests); the adapter here knows which.
 */
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

static bool ReturnsDirectly(UINT message) {
    return message == WM_INITDIALOG ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

static INT_PTR CALLBACK PortableDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    WindowProcedure procedure =
        reinterpret_cast<WindowProcedure>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (procedure == nullptr)
        return FALSE;
    intptr_t result =
        procedure(reinterpret_cast<WindowHandle>(dialog), message, (uintptr_t)wParam, lParam);
    if (ReturnsDirectly(message))
        return (INT_PTR)result;
    if (result == 0)
        return FALSE;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, (LONG_PTR)result);
    return TRUE;
}

intptr_t PlatformRunDialog(int templateId, WindowHandle owner, WindowProcedure procedure) {
    return DialogBoxParamA(Win32Instance(), MAKEINTRESOURCEA(templateId), ToHwnd(owner),
                           PortableDialogProc, reinterpret_cast<LPARAM>(procedure));
}

void PlatformEndDialog(WindowHandle dialog, intptr_t result) {
    EndDialog(ToHwnd(dialog), result);
}

/* The control's left and top in the dialog's client area, its width and
 * height those of its own client area. */
bool PlatformGetControlRect(WindowHandle dialog, int controlId, ScreenRect* rect) {
    HWND control = GetDlgItem(ToHwnd(dialog), controlId);
    RECT outer, inner;
    if (control == nullptr || !GetWindowRect(control, &outer) || !GetClientRect(control, &inner))
        return false;
    POINT corner = {outer.left, outer.top};
    ScreenToClient(ToHwnd(dialog), &corner);
    *rect = ScreenRect{(int)corner.x, (int)corner.y, (int)(corner.x + inner.right),
                       (int)(corner.y + inner.bottom)};
    return true;
}

void PlatformGetPointerPosition(WindowHandle dialog, int* x, int* y) {
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(ToHwnd(dialog), &point);
    *x = (int)point.x;
    *y = (int)point.y;
}

void PlatformSetCursorResource(int resourceId) {
    HCURSOR cursor = LoadCursorA(Win32Instance(), MAKEINTRESOURCEA(resourceId));
    if (cursor != nullptr)
        SetCursor(cursor);
}

void PlatformFocusControl(WindowHandle dialog, int controlId) {
    HWND control = GetDlgItem(ToHwnd(dialog), controlId);
    if (control != nullptr)
        SetFocus(control);
}

void PlatformRedrawWindow(WindowHandle window) {
    RedrawWindow(ToHwnd(window), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

/* ---- Fonts and colours ---- */

FontHandle PlatformCreateUnderlinedDialogFont(WindowHandle dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(ToHwnd(dialog), WM_GETFONT, 0, 0));
    LOGFONTA description;
    if (font == nullptr || GetObjectA(font, sizeof description, &description) == 0)
        return nullptr;
    description.lfUnderline = TRUE;
    return reinterpret_cast<FontHandle>(CreateFontIndirectA(&description));
}

void PlatformDeleteFont(FontHandle font) {
    DeleteObject(reinterpret_cast<HFONT>(font));
}

/* The link is only as wide as its text, so the hand and the click cover
 * the words and not the empty room beside them. */
void PlatformSetControlFontFitted(WindowHandle dialog, int controlId, FontHandle font) {
    HWND control = GetDlgItem(ToHwnd(dialog), controlId);
    if (control == nullptr)
        return;
    HFONT hfont = reinterpret_cast<HFONT>(font);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(hfont), TRUE);
    char text[256] = "";
    int length = GetWindowTextA(control, text, sizeof text);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, hfont);
    SIZE extent = {0, 0};
    bool measured = GetTextExtentPoint32A(dc, text, length, &extent) != 0;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT client;
    if (measured && extent.cx > 0 && GetClientRect(control, &client))
        SetWindowPos(control, nullptr, 0, 0, extent.cx, client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

intptr_t PlatformSetStaticColours(uintptr_t deviceContext, uint32_t textColour) {
    HDC dc = reinterpret_cast<HDC>(deviceContext);
    SetTextColor(dc, RGB((textColour >> 16) & 0xFF, (textColour >> 8) & 0xFF, textColour & 0xFF));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<intptr_t>(GetStockObject(HOLLOW_BRUSH));
}

int PlatformLoadString(int stringId, char* buffer, int size) {
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    int length = LoadStringA(Win32Instance(), (UINT)stringId, buffer, size);
    return length > 0 ? length : 0;
}

/* ---- The shell ---- */

/* Some handlers the shell hands an open to are COM objects. */
static void PrepareShell(void) {
    static bool prepared;
    if (!prepared) {
        prepared = true;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
}

int PlatformShellOpen(const char* target) {
    PrepareShell();
    return (int)(INT_PTR)ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

/* The program registered for web addresses is the user's browser. It is
 * started with the command line it registered, the address in place of
 * its "%1" (added at the end when there is none), so the browser's own
 * switches come along. */
static bool BrowserCommand(const char* address, char* line, int size) {
    char command[2048];
    DWORD length = sizeof command;
    if (AssocQueryStringA(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, "http", "open", command, &length) !=
        S_OK)
        return false;
    const char* slot = strstr(command, "%1");
    if (slot == nullptr)
        slot = strstr(command, "%L");
    int written = slot != nullptr ? snprintf(line, (size_t)size, "%.*s%s%s", (int)(slot - command),
                                             command, address, slot + 2)
                                  : snprintf(line, (size_t)size, "%s \"%s\"", command, address);
    return written > 0 && written < size;
}

/* A command line longer than a program start takes is not tried; the
 * caller then hands the address to the shell. */
int PlatformOpenInBrowser(const char* address) {
    char line[1024];
    if (!BrowserCommand(address, line, sizeof line))
        return 0;
    ProcessHandle browser = PlatformStartProcess(line);
    if (browser == nullptr)
        return SE_ERR_FNF;
    PlatformCloseProcess(browser);
    return 33; /* what the shell answers for a started program */
}

bool PlatformAnsiToUtf8(const char* text, char* utf8, int size) {
    static WCHAR wide[4096];
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, (int)(sizeof wide / sizeof wide[0]));
    if (count == 0)
        return false;
    return WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) != 0;
}

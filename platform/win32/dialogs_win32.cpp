/*
 * dialogs_win32.cpp: dialogs, their controls, fonts, strings, the pointer
 * and the display scale on the real Windows API.
 *
 * One DLGPROC serves every dialog of the program: the portable procedure
 * travels in the creation parameter and is kept in the dialog's user
 * bytes, so no user-interface rule lives here. A portable procedure
 * answers 0 for what it leaves to the system and the message's result
 * otherwise; a dialog procedure of the system returns most results through
 * DWLP_MSGRESULT and a few directly (the first message, colour requests),
 * and the glue knows which. The glue itself only paints the backgrounds of
 * controls that sit on a tab control's body.
 *
 * The program declares per-monitor DPI awareness (v2). Dialogs made from
 * templates are scaled by the system; what the program measures itself
 * asks for the window's own DPI. The calls that know about a window's DPI
 * exist from Windows 10 (1607) on and are looked up at run time, so the
 * program still starts on older systems, which have one DPI for all.
 */
#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

static WindowHandle FromHwnd(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

static HWND ControlOf(WindowHandle dialog, int controlId) {
    return GetDlgItem(ToHwnd(dialog), controlId);
}

/* ---- Dialogs ---- */

/* ---- Controls on a tab control's body ----
 * With visual styles the body of a tab control is drawn in the window
 * colour, while a dialog and its labels and buttons paint in the face
 * colour: each control would sit in a grey box. Where the dialog has a tab
 * control, its background under the body and the controls on the body take
 * the body's colour (edits keep theirs, so a disabled one still looks it). */

typedef BOOL(WINAPI* ThemeQuery)(void);

static bool VisualStylesOn(void) {
    static HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    if (uxtheme == nullptr)
        return false;
    static ThemeQuery appThemed = reinterpret_cast<ThemeQuery>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme, "IsAppThemed")));
    static ThemeQuery themeActive = reinterpret_cast<ThemeQuery>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme, "IsThemeActive")));
    return appThemed != nullptr && themeActive != nullptr && appThemed() && themeActive();
}

/* The body of the dialog's tab control, in the dialog's client area. */
static bool TabBody(HWND dialog, RECT* body) {
    HWND tabs = FindWindowExA(dialog, nullptr, WC_TABCONTROLA, nullptr);
    if (tabs == nullptr || !IsWindowVisible(tabs) || !VisualStylesOn())
        return false;
    GetWindowRect(tabs, body);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, (LPARAM)body);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(body), 2);
    return true;
}

static bool OnTabBody(HWND dialog, HWND control) {
    RECT body, place, overlap;
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Edit") == 0 || !TabBody(dialog, &body))
        return false;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return IntersectRect(&overlap, &body, &place) && EqualRect(&overlap, &place);
}

/* True, with the message's result, when the background was taken care of. */
static bool PaintTabBody(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
    RECT body, client;
    if (message == WM_ERASEBKGND && TabBody(dialog, &body)) {
        HDC dc = (HDC)wParam;
        GetClientRect(dialog, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        FillRect(dc, &body, GetSysColorBrush(COLOR_WINDOW));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        *result = TRUE;
        return true;
    }
    if (message == WM_CTLCOLORSTATIC && OnTabBody(dialog, (HWND)lParam)) {
        SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
        *result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        return true;
    }
    return false;
}

static bool ReturnsDirectly(UINT message) {
    return message == WM_INITDIALOG ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

static INT_PTR CALLBACK DialogGlue(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR painted;
    if (PaintTabBody(dialog, message, wParam, lParam, &painted))
        return painted;
    if (message == WM_INITDIALOG) {
        /* The dialog's portable procedure comes as the creation parameter. */
        DialogProcedure procedure = reinterpret_cast<DialogProcedure>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return procedure(FromHwnd(dialog), message, wParam, 0);
    }
    DialogProcedure procedure =
        reinterpret_cast<DialogProcedure>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (procedure == nullptr)
        return FALSE;
    intptr_t result = procedure(FromHwnd(dialog), message, wParam, lParam);
    if (ReturnsDirectly(message) || result == 0)
        return (INT_PTR)result;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, (LONG_PTR)result);
    return TRUE;
}

WindowHandle PlatformCreateChildDialog(WindowHandle parent, int templateId,
                                       DialogProcedure procedure) {
    return FromHwnd(CreateDialogParamA(Win32Instance(), MAKEINTRESOURCEA(templateId),
                                       ToHwnd(parent), DialogGlue,
                                       reinterpret_cast<LPARAM>(procedure)));
}

int PlatformRunModalDialog(WindowHandle owner, int templateId, DialogProcedure procedure) {
    return (int)DialogBoxParamA(Win32Instance(), MAKEINTRESOURCEA(templateId), ToHwnd(owner),
                                DialogGlue, reinterpret_cast<LPARAM>(procedure));
}

void PlatformEndDialog(WindowHandle dialog, int result) {
    EndDialog(ToHwnd(dialog), result);
}

/* ---- Controls ---- */

int PlatformGetDialogItemText(WindowHandle dialog, int controlId, char* buffer, int size) {
    HWND control = ControlOf(dialog, controlId);
    if (size > 0)
        buffer[0] = '\0';
    if (control == nullptr)
        return 0;
    if (size > 0)
        GetWindowTextA(control, buffer, size);
    return GetWindowTextLengthA(control);
}

bool PlatformIsButtonChecked(WindowHandle dialog, int controlId) {
    return IsDlgButtonChecked(ToHwnd(dialog), controlId) == BST_CHECKED;
}

void PlatformCheckButton(WindowHandle dialog, int controlId, bool checked) {
    CheckDlgButton(ToHwnd(dialog), controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

void PlatformEnableDialogItem(WindowHandle dialog, int controlId, bool enabled) {
    EnableWindow(ControlOf(dialog, controlId), enabled ? TRUE : FALSE);
}

void PlatformShowDialogItem(WindowHandle dialog, int controlId, bool shown) {
    ShowWindow(ControlOf(dialog, controlId), shown ? SW_SHOW : SW_HIDE);
}

/* WM_NEXTDLGCTL keeps the dialog's default button in step, which SetFocus
 * alone would not. */
void PlatformFocusDialogItem(WindowHandle dialog, int controlId) {
    HWND control = ControlOf(dialog, controlId);
    if (control != nullptr)
        SendMessageA(ToHwnd(dialog), WM_NEXTDLGCTL, (WPARAM)control, TRUE);
}

bool PlatformGetControlRect(WindowHandle dialog, int controlId, ScreenRect* rect) {
    HWND control = ControlOf(dialog, controlId);
    RECT outer, inner;
    if (control == nullptr || !GetWindowRect(control, &outer) || !GetClientRect(control, &inner))
        return false;
    POINT corner = {outer.left, outer.top};
    ScreenToClient(ToHwnd(dialog), &corner);
    *rect = ScreenRect{(int)corner.x, (int)corner.y, (int)(corner.x + inner.right),
                       (int)(corner.y + inner.bottom)};
    return true;
}

/* Measured with the font the control draws with. */
void PlatformFitControlToText(WindowHandle dialog, int controlId) {
    HWND control = ControlOf(dialog, controlId);
    if (control == nullptr)
        return;
    char text[256] = "";
    int length = GetWindowTextA(control, text, sizeof text);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(control, WM_GETFONT, 0, 0));
    SIZE extent = {0, 0};
    bool measured = GetTextExtentPoint32A(dc, text, length, &extent) != 0;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT client;
    if (measured && extent.cx > 0 && GetClientRect(control, &client))
        SetWindowPos(control, nullptr, 0, 0, extent.cx, client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/* The edit sets its modified mark when the user changes the text and
 * clears it on WM_SETTEXT, before it notifies the change. */
bool PlatformTakeEditModified(WindowHandle dialog, int controlId) {
    HWND edit = ControlOf(dialog, controlId);
    bool modified = SendMessageA(edit, EM_GETMODIFY, 0, 0) != 0;
    SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    return modified;
}

void PlatformAddListItem(WindowHandle dialog, int controlId, const char* text) {
    SendMessageA(ControlOf(dialog, controlId), CB_INSERTSTRING, (WPARAM)-1, (LPARAM)text);
}

int PlatformGetListSelection(WindowHandle dialog, int controlId) {
    return (int)SendMessageA(ControlOf(dialog, controlId), CB_GETCURSEL, 0, 0);
}

void PlatformSetListSelection(WindowHandle dialog, int controlId, int index) {
    SendMessageA(ControlOf(dialog, controlId), CB_SETCURSEL, (WPARAM)index, 0);
}

void PlatformSetTrackbarRange(WindowHandle dialog, int controlId, int minimum, int maximum,
                              int pageSize) {
    HWND trackbar = ControlOf(dialog, controlId);
    SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
    SendMessageA(trackbar, TBM_SETPAGESIZE, 0, (LPARAM)pageSize);
}

void PlatformSetTrackbarPosition(WindowHandle dialog, int controlId, int position) {
    SendMessageA(ControlOf(dialog, controlId), TBM_SETPOS, TRUE, (LPARAM)position);
}

int PlatformGetTrackbarPosition(WindowHandle dialog, int controlId) {
    return (int)SendMessageA(ControlOf(dialog, controlId), TBM_GETPOS, 0, 0);
}

/* Beneath its siblings, so that, clipping them, it paints around the page's
 * controls instead of over them. */
WindowHandle PlatformCreateTabControl(WindowHandle dialog, int controlId, int x, int y, int width,
                                      int height) {
    HWND tabs = CreateWindowExA(
        0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width, height,
        ToHwnd(dialog), reinterpret_cast<HMENU>((INT_PTR)controlId), Win32Instance(), nullptr);
    if (tabs != nullptr)
        SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return FromHwnd(tabs);
}

bool PlatformAddTab(WindowHandle tabControl, int index, const char* text) {
    TCITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    return SendMessageA(ToHwnd(tabControl), TCM_INSERTITEMA, (WPARAM)index, (LPARAM)&item) != -1;
}

int PlatformNotificationCode(intptr_t lParam) {
    return (int)reinterpret_cast<const NMHDR*>(lParam)->code;
}

/* ---- Geometry and focus ---- */

bool PlatformGetClientSize(WindowHandle window, int* width, int* height) {
    RECT rect;
    if (window == nullptr || !GetClientRect(ToHwnd(window), &rect))
        return false;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return true;
}

void PlatformMoveChild(WindowHandle child, int x, int y) {
    SetWindowPos(ToHwnd(child), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlatformPlaceChild(WindowHandle child, int x, int y, int width, int height) {
    SetWindowPos(ToHwnd(child), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlatformSetFocus(WindowHandle window) {
    SetFocus(ToHwnd(window));
}

void PlatformMakeNotTopmost(WindowHandle window) {
    SetWindowPos(ToHwnd(window), HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void PlatformRedrawWindow(WindowHandle window) {
    RedrawWindow(ToHwnd(window), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

/* ---- The pointer ---- */

void PlatformGetPointerPosition(WindowHandle window, int* x, int* y) {
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(ToHwnd(window), &point);
    *x = (int)point.x;
    *y = (int)point.y;
}

void PlatformSetCursorResource(int resourceId) {
    HCURSOR cursor = LoadCursorA(Win32Instance(), MAKEINTRESOURCEA(resourceId));
    if (cursor != nullptr)
        SetCursor(cursor);
}

/* ---- Fonts ---- */

FontHandle PlatformCreateFontVariant(WindowHandle window, FontVariant variant) {
    HFONT font = (HFONT)SendMessageA(ToHwnd(window), WM_GETFONT, 0, 0);
    LOGFONTA description;
    if (GetObjectA(font != nullptr ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT),
                   sizeof description, &description) == 0)
        return nullptr;
    if (variant == FontBold)
        description.lfWeight = FW_BOLD;
    else
        description.lfUnderline = TRUE;
    return reinterpret_cast<FontHandle>(CreateFontIndirectA(&description));
}

void PlatformSetWindowFont(WindowHandle window, FontHandle font) {
    SendMessageA(ToHwnd(window), WM_SETFONT, (WPARAM)font, TRUE);
}

void PlatformUseFontOf(WindowHandle window, WindowHandle source) {
    WPARAM font = (WPARAM)SendMessageA(ToHwnd(source), WM_GETFONT, 0, 0);
    SendMessageA(ToHwnd(window), WM_SETFONT, font, TRUE);
}

void PlatformReleaseFont(FontHandle font) {
    DeleteObject(reinterpret_cast<HGDIOBJ>(font));
}

intptr_t PlatformSetStaticColours(uintptr_t deviceContext, uint32_t textColour) {
    HDC dc = reinterpret_cast<HDC>(deviceContext);
    SetTextColor(dc, RGB((textColour >> 16) & 0xFF, (textColour >> 8) & 0xFF, textColour & 0xFF));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<intptr_t>(GetStockObject(HOLLOW_BRUSH));
}

/* ---- Strings ---- */

int PlatformLoadString(int stringId, char* buffer, int size) {
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    int length = LoadStringA(Win32Instance(), (UINT)stringId, buffer, size);
    return length > 0 ? length : 0;
}

/* ---- The display scale ---- */

typedef UINT(WINAPI* DpiForWindowCall)(HWND);
typedef int(WINAPI* MetricsForDpiCall)(int, UINT);

static void* User32Call(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}

int PlatformWindowDpi(WindowHandle window) {
    static DpiForWindowCall dpiForWindow =
        reinterpret_cast<DpiForWindowCall>(User32Call("GetDpiForWindow"));
    if (dpiForWindow != nullptr && window != nullptr) {
        UINT dpi = dpiForWindow(ToHwnd(window));
        if (dpi != 0)
            return (int)dpi;
    }
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int PlatformScaledMetric(WindowHandle window, ScaledMetric metric) {
    static const int Metrics[] = {SM_CYMENU, SM_CYFRAME, SM_CYCAPTION, SM_CXEDGE, SM_CYEDGE};
    static MetricsForDpiCall metricsForDpi =
        reinterpret_cast<MetricsForDpiCall>(User32Call("GetSystemMetricsForDpi"));
    if (metricsForDpi != nullptr)
        return metricsForDpi(Metrics[metric], (UINT)PlatformWindowDpi(window));
    return GetSystemMetrics(Metrics[metric]);
}

void PlatformMoveToSuggestedRect(WindowHandle window, intptr_t suggestion) {
    const RECT* rect = reinterpret_cast<const RECT*>(suggestion);
    SetWindowPos(ToHwnd(window), nullptr, rect->left, rect->top, rect->right - rect->left,
                 rect->bottom - rect->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

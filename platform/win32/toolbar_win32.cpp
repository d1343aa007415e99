/*
 * toolbar_win32.cpp: the toolbar on the common controls' toolbar window.
 *
 * Images come as 32-bit pixels whose alpha is either 0 or 255. Each image
 * list gets them twice: as colour with alpha, and as a mask made from the
 * alpha, so the background shows through on every theme whether or not
 * the image list blends with alpha. The toolbar itself is transparent, so
 * that background is the main window's own.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

static HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

static void ReplaceImageList(HWND toolbar, UINT message, HIMAGELIST list) {
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
        SendMessageA(toolbar, message, 0, reinterpret_cast<LPARAM>(list)));
    if (old != nullptr && old != list)
        ImageList_Destroy(old);
}

/* The toolbar's image lists go with it when it is destroyed. */
static LRESULT CALLBACK ToolbarSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data) {
    (void)data;
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, ToolbarSubclassProc, id);
        ReplaceImageList(hwnd, TB_SETIMAGELIST, nullptr);
        ReplaceImageList(hwnd, TB_SETDISABLEDIMAGELIST, nullptr);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

WindowHandle PlatformCreateToolbar(WindowHandle parent) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                  TBSTYLE_TOOLTIPS | TBSTYLE_FLAT;
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, ToHwnd(parent),
                                   nullptr, Win32Instance(), nullptr);
    if (toolbar == nullptr)
        return nullptr;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    /* Off after creation; the transparent look is turned on afterwards. */
    SetWindowLongPtrA(toolbar, GWL_STYLE,
                      GetWindowLongPtrA(toolbar, GWL_STYLE) | TBSTYLE_TRANSPARENT);
    SetWindowSubclass(toolbar, ToolbarSubclassProc, 1, 0);
    return reinterpret_cast<WindowHandle>(toolbar);
}

static HBITMAP ColourBitmap(const uint32_t* pixels, int width, int height) {
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; /* top row first */
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr)
        memcpy(bits, pixels, (size_t)width * (size_t)height * 4);
    return bitmap;
}

/* One bit a pixel, rows padded to 16 bits; a set bit is transparent. */
static HBITMAP MaskBitmap(const uint32_t* pixels, int width, int height) {
    static BYTE rows[((11 * 80 + 15) / 16) * 2 * 80];
    int stride = ((width + 15) / 16) * 2;
    if ((size_t)stride * (size_t)height > sizeof rows)
        return nullptr;
    memset(rows, 0, sizeof rows);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            if ((pixels[y * width + x] >> 24) == 0)
                rows[y * stride + x / 8] |= (BYTE)(0x80 >> (x % 8));
        }
    }
    return CreateBitmap(width, height, 1, 1, rows);
}

static HIMAGELIST MakeImageList(const uint32_t* pixels, int size, int count) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
    HBITMAP colour = ColourBitmap(pixels, size * count, size);
    HBITMAP mask = MaskBitmap(pixels, size * count, size);
    bool added = list != nullptr && colour != nullptr && mask != nullptr &&
                 ImageList_Add(list, colour, mask) >= 0;
    if (colour != nullptr)
        DeleteObject(colour);
    if (mask != nullptr)
        DeleteObject(mask);
    if (!added && list != nullptr) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    return list;
}

bool PlatformSetToolbarImages(WindowHandle toolbar, const uint32_t* pixels,
                              const uint32_t* disabledPixels, int size, int count) {
    HWND hwnd = ToHwnd(toolbar);
    HIMAGELIST normal = MakeImageList(pixels, size, count);
    HIMAGELIST disabled = MakeImageList(disabledPixels, size, count);
    if (normal == nullptr || disabled == nullptr) {
        if (normal != nullptr)
            ImageList_Destroy(normal);
        if (disabled != nullptr)
            ImageList_Destroy(disabled);
        return false;
    }
    SendMessageA(hwnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    ReplaceImageList(hwnd, TB_SETIMAGELIST, normal);
    ReplaceImageList(hwnd, TB_SETDISABLEDIMAGELIST, disabled);
    return true;
}

void PlatformAddToolbarButtons(WindowHandle toolbar, const ToolbarButtonSpec* buttons, int count) {
    TBBUTTON entries[16];
    if (count > (int)(sizeof entries / sizeof entries[0]))
        count = (int)(sizeof entries / sizeof entries[0]);
    memset(entries, 0, sizeof entries);
    for (int i = 0; i < count; i++) {
        bool separator = buttons[i].commandId == 0;
        entries[i].iBitmap = separator ? 0 : buttons[i].image;
        entries[i].idCommand = buttons[i].commandId;
        entries[i].fsState = TBSTATE_ENABLED;
        entries[i].fsStyle = separator ? BTNS_SEP : BTNS_BUTTON;
        entries[i].iString = -1; /* no text */
    }
    SendMessageA(ToHwnd(toolbar), TB_ADDBUTTONSA, (WPARAM)count, reinterpret_cast<LPARAM>(entries));
}

void PlatformSetToolbarButtonSize(WindowHandle toolbar, int width, int height) {
    SendMessageA(ToHwnd(toolbar), TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
}

void PlatformSetToolbarButtonEnabled(WindowHandle toolbar, int commandId, bool enabled) {
    SendMessageA(ToHwnd(toolbar), TB_ENABLEBUTTON, (WPARAM)commandId, MAKELPARAM(enabled, 0));
}

void PlatformFitToolbar(WindowHandle toolbar) {
    SendMessageA(ToHwnd(toolbar), TB_AUTOSIZE, 0, 0);
}

/* The last button's right edge is in the toolbar's client area; the
 * border is what the window has around that area. */
void PlatformGetToolbarExtent(WindowHandle toolbar, int* neededWidth, int* height) {
    HWND hwnd = ToHwnd(toolbar);
    RECT last = {0, 0, 0, 0}, outer = {0, 0, 0, 0}, client = {0, 0, 0, 0};
    int count = (int)SendMessageA(hwnd, TB_BUTTONCOUNT, 0, 0);
    if (count > 0)
        SendMessageA(hwnd, TB_GETITEMRECT, (WPARAM)(count - 1), (LPARAM)&last);
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    *neededWidth = (int)(last.right + (outer.right - outer.left) - client.right);
    *height = (int)(outer.bottom - outer.top);
}

bool PlatformLoadBitmapPixels(int resourceId, uint32_t* pixels, int width, int height) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(Win32Instance(), MAKEINTRESOURCEA(resourceId),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr)
        return false;
    BITMAP info;
    bool fits = GetObjectA(bitmap, sizeof info, &info) != 0 && info.bmWidth == width &&
                (info.bmHeight == height || info.bmHeight == -height);
    int rows = 0;
    if (fits) {
        BITMAPINFO request;
        memset(&request, 0, sizeof request);
        request.bmiHeader.biSize = sizeof request.bmiHeader;
        request.bmiHeader.biWidth = width;
        request.bmiHeader.biHeight = -height;
        request.bmiHeader.biPlanes = 1;
        request.bmiHeader.biBitCount = 32;
        request.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        rows = GetDIBits(screen, bitmap, 0, (UINT)height, pixels, &request, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    DeleteObject(bitmap);
    for (int i = 0; rows == height && i < width * height; i++)
        pixels[i] |= 0xFF000000;
    return rows == height;
}

/* The toolbar asks in the main window's character set, which is ANSI;
 * a wide request is answered too. */
bool PlatformReadTooltipRequest(intptr_t notification, int* commandId) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(notification);
    if (header == nullptr || (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW))
        return false;
    *commandId = (int)header->idFrom;
    return true;
}

void PlatformAnswerTooltipRequest(intptr_t notification, const char* text) {
    NMHDR* header = reinterpret_cast<NMHDR*>(notification);
    if (header->code == TTN_GETDISPINFOA) {
        NMTTDISPINFOA* request = reinterpret_cast<NMTTDISPINFOA*>(header);
        request->hinst = nullptr;
        if (text != nullptr) {
            lstrcpynA(request->szText, text, (int)sizeof request->szText);
            request->lpszText = request->szText;
        }
        return;
    }
    NMTTDISPINFOW* request = reinterpret_cast<NMTTDISPINFOW*>(header);
    request->hinst = nullptr;
    if (text == nullptr)
        return;
    const int capacity = (int)(sizeof request->szText / sizeof request->szText[0]);
    int length = 0;
    for (; length < capacity - 1 && text[length] != '\0'; length++)
        request->szText[length] = (WCHAR)(unsigned char)text[length];
    request->szText[length] = 0;
    request->lpszText = request->szText;
}

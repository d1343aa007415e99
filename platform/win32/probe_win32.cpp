/*
 * probe_win32.cpp: a window into the running program for the tests that
 * drive mirlow.exe under Wine. Menus cannot be read from another process
 * there, and commands leave no trace until their handlers exist, so the
 * program reports both itself when MIRLOW_TEST_PROBE names a file. It
 * also notes when a window is shown, so a hidden run can be told apart,
 * where the toolbar's buttons are, and every tooltip it answers.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_internal.h"

static const char* ProbePath(void) {
    static char path[MAX_PATH];
    static bool looked;
    if (!looked) {
        looked = true;
        DWORD length = GetEnvironmentVariableA("MIRLOW_TEST_PROBE", path, sizeof path);
        if (length == 0 || length >= sizeof path)
            path[0] = '\0';
    }
    return path[0] != '\0' ? path : nullptr;
}

/* Tabs in item texts are written as \t so each item stays on one line. */
static void WriteEscaped(FILE* file, const char* text) {
    for (; *text != '\0'; text++) {
        if (*text == '\t')
            fputs("\\t", file);
        else
            fputc(*text, file);
    }
}

static void WriteMenuItems(FILE* file, HMENU menu, int depth) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        char text[256] = "";
        MENUITEMINFOA info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(menu, (UINT)i, TRUE, &info))
            continue;
        fprintf(file, "%*s", depth * 2, "");
        if (info.fType & MFT_SEPARATOR) {
            fputs("separator\n", file);
            continue;
        }
        if (info.hSubMenu != nullptr) {
            fputs("popup ", file);
            WriteEscaped(file, text);
            fputc('\n', file);
            WriteMenuItems(file, info.hSubMenu, depth + 1);
            continue;
        }
        fprintf(file, "%u %s %s ", info.wID, (info.fState & MFS_GRAYED) ? "grayed" : "enabled",
                (info.fState & MFS_CHECKED) ? "checked" : "unchecked");
        WriteEscaped(file, text);
        fputc('\n', file);
    }
}

/* Where each toolbar button is in the main window's client area, so a test
 * can point at it wherever the window ends up. */
static void WriteToolbarButtons(FILE* file, HWND window) {
    HWND toolbar = FindWindowExA(window, nullptr, TOOLBARCLASSNAMEA, nullptr);
    int count = toolbar != nullptr ? (int)SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0) : 0;
    for (int i = 0; i < count; i++) {
        TBBUTTON button;
        RECT rect;
        if (!SendMessageA(toolbar, TB_GETBUTTON, (WPARAM)i, (LPARAM)&button) ||
            !SendMessageA(toolbar, TB_GETITEMRECT, (WPARAM)i, (LPARAM)&rect) ||
            button.idCommand == 0)
            continue;
        MapWindowPoints(toolbar, window, (POINT*)&rect, 2);
        fprintf(file, "toolbar-button %d %ld %ld\n", button.idCommand, (rect.left + rect.right) / 2,
                (rect.top + rect.bottom) / 2);
    }
}

void Win32ProbeWindowCreated(HWND window) {
    const char* path = ProbePath();
    HMENU menu = GetMenu(window);
    if (path == nullptr || menu == nullptr)
        return;
    FILE* file = fopen(path, "ab");
    if (file == nullptr)
        return;
    fputs("menu\n", file);
    WriteMenuItems(file, menu, 1);
    fputs("end menu\n", file);
    WriteToolbarButtons(file, window);
    fclose(file);
}

void Win32ProbeTooltip(int commandId, const char* text) {
    const char* path = ProbePath();
    FILE* file = path != nullptr ? fopen(path, "ab") : nullptr;
    if (file == nullptr)
        return;
    fprintf(file, "tooltip %d %s\n", commandId, text != nullptr ? text : "");
    fclose(file);
}

/* Commands, and every time a window is shown, are appended one line each. */
void Win32ProbeMessage(HWND window, UINT message, WPARAM wParam) {
    (void)window;
    bool shown = message == WM_SHOWWINDOW && wParam != 0;
    if (message != WM_COMMAND && !shown)
        return;
    const char* path = ProbePath();
    if (path == nullptr)
        return;
    FILE* file = fopen(path, "ab");
    if (file == nullptr)
        return;
    if (shown)
        fputs("shown\n", file);
    else
        fprintf(file, "command %u\n", (unsigned)LOWORD(wParam));
    fclose(file);
}

/*
 * probe_win32.cpp: a window into the running program for the tests that
 * drive mirlow.exe under Wine. Menus cannot be read from another process
 * there, and commands leave no trace until their handlers exist, so the
 * program reports both itself when MIRLOW_TEST_PROBE names a file. It
 * also notes when a window is shown, so a hidden run can be told apart.
 *
 * A test may write control lines into the probe file before the program
 * starts, to stand in for what it cannot make the system do under Wine:
 *   control stall-input N MS   the playback thread is busy for MS
 *                              milliseconds before the Nth injected record
 *   control refuse-input N     the system refuses the Nth injected record
 */
#include <windows.h>

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

/* ---- Control lines ---- */

struct ProbeControl {
    bool read;
    int stallAt, stallMs;
    int refuseAt;
    int inputs;
};
static ProbeControl control;

static void ReadControlLines(void) {
    control.read = true;
    const char* path = ProbePath();
    FILE* file = path != nullptr ? fopen(path, "rb") : nullptr;
    if (file == nullptr)
        return;
    char line[128];
    while (fgets(line, sizeof line, file) != nullptr) {
        int n = 0, ms = 0;
        if (sscanf(line, "control stall-input %d %d", &n, &ms) == 2) {
            control.stallAt = n;
            control.stallMs = ms;
        } else if (sscanf(line, "control refuse-input %d", &n) == 1) {
            control.refuseAt = n;
        }
    }
    fclose(file);
}

bool Win32ProbeBeforeInput(void) {
    if (!control.read)
        ReadControlLines();
    if (control.stallAt == 0 && control.refuseAt == 0)
        return false;
    control.inputs++;
    if (control.inputs == control.stallAt)
        Sleep((DWORD)control.stallMs);
    return control.inputs == control.refuseAt;
}

/*
 * probe_win32.cpp: a window into the running program for the tests that
 * drive mirlow.exe under Wine. Menus cannot be read from another process
 * there, and commands leave no trace until their handlers exist, so the
 * program reports both itself when MIRLOW_TEST_PROBE names a file. It
 * also notes when a window is shown, so a hidden run can be told apart,
 * writes the menu (and where the toolbar's buttons are) again whenever a
 * test asks for it, notes every tooltip the toolbar answers, and which
 * dialog texts do not fit their controls at the scale the program runs at.
 *
 * A test may write control lines into the probe file before the program
 * starts, to stand in for what it cannot make the system do under Wine:
 *   control stall-input N MS   the playback thread is busy for MS
 *                              milliseconds before the Nth injected record
 *   control refuse-input N     the system refuses the Nth injected record
 *   control try-journal        the system's journal is tried even under
 *                              Wine, which accepts it and never calls it
 *   control caps-lock on|off   Caps Lock is known to be on or off, which
 *                              Wine does not tell a program without the
 *                              keyboard focus
 *   control stall-recorder N MS  the user-interface thread is busy for MS
 *                              milliseconds before it hands the recorder
 *                              the Nth event of a recording
 *   control drop-record-hooks N  the recording's low-level hooks are taken
 *                              away after the Nth event, without a word, as
 *                              the system takes away hooks that answer slowly
 *
 * Only the program the tests run is linked with this file; the released
 * mirlow.exe is linked with no_probe_win32.cpp, so neither the reports nor
 * the control lines can reach a user's desktop.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
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

/* The probe file opened for appending; null without a probe. */
static FILE* OpenProbeFile(void) {
    const char* path = ProbePath();
    return path != nullptr ? fopen(path, "ab") : nullptr;
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
        char text[1024] = "";
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

/* The main window's client size and where its visible children (toolbar,
 * panel) are in it, so a test can tell that they fit and do not overlap. */
static void WriteLayout(FILE* file, HWND window) {
    RECT client;
    GetClientRect(window, &client);
    fprintf(file, "client %ld %ld\n", client.right, client.bottom);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = "";
        RECT rect;
        if (!IsWindowVisible(child) || !GetClassNameA(child, className, sizeof className) ||
            !GetWindowRect(child, &rect))
            continue;
        MapWindowPoints(nullptr, window, (POINT*)&rect, 2);
        fprintf(file, "child %s %ld %ld %ld %ld\n", className, rect.left, rect.top, rect.right,
                rect.bottom);
    }
}

/* Where each toolbar button is in the main window's client area (its
 * centre, then its rectangle), so a test can point at it wherever the
 * window ends up. */
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
        fprintf(file, "toolbar-button %d %ld %ld %ld %ld %ld %ld\n", button.idCommand,
                (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, rect.left, rect.top,
                rect.right, rect.bottom);
    }
}

static void WriteMenu(HWND window) {
    HMENU menu = GetMenu(window);
    FILE* file = menu != nullptr ? OpenProbeFile() : nullptr;
    if (file == nullptr)
        return;
    fputs("menu\n", file);
    WriteMenuItems(file, menu, 1);
    fputs("end menu\n", file);
    WriteLayout(file, window);
    WriteToolbarButtons(file, window);
    fclose(file);
}

void Win32ProbeTooltip(int commandId, const char* text) {
    FILE* file = OpenProbeFile();
    if (file == nullptr)
        return;
    fprintf(file, "tooltip %d %s\n", commandId, text != nullptr ? text : "");
    fclose(file);
}

void Win32ProbeWindowCreated(HWND window) {
    WriteMenu(window);
}

/* A test asks for the menu as it stands now (recent entries, states) by
 * sending this message; its number is registered by name, so the test
 * helper finds the same one. */
static bool IsMenuRequest(UINT message) {
    static UINT request;
    if (message < 0xC000 || ProbePath() == nullptr)
        return false;
    if (request == 0)
        request = RegisterWindowMessageA("MirlowProbeWriteMenu");
    return message == request;
}

/* Commands, and every time a window is shown, are appended one line each. */
void Win32ProbeMessage(HWND window, UINT message, WPARAM wParam) {
    if (IsMenuRequest(message)) {
        WriteMenu(window);
        return;
    }
    bool shown = message == WM_SHOWWINDOW && wParam != 0;
    if (message != WM_COMMAND && !shown)
        return;
    FILE* file = OpenProbeFile();
    if (file == nullptr)
        return;
    if (shown)
        fputs("shown\n", file);
    else
        fprintf(file, "command %u\n", (unsigned)LOWORD(wParam));
    fclose(file);
}

/* ---- Text that does not fit its control ---- */

static int ScaleTo(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

/* The text as it is drawn: "&&" shows an ampersand, a single "&" only
 * underlines the letter after it. */
static void DrawnText(const char* text, char* drawn, size_t size) {
    size_t length = 0;
    for (; *text != '\0' && length + 1 < size; text++) {
        if (*text == '&' && text[1] != '&')
            continue;
        if (*text == '&')
            text++;
        drawn[length++] = *text;
    }
    drawn[length] = '\0';
}

/* A static one line high needs its text's width (it would wrap the rest
 * out of sight); a taller one needs its wrapped height. Buttons draw one
 * line beside their check box or inside their frame. Other controls scroll
 * or list their text and are not measured. */
static bool NeededSize(HDC dc, HWND control, const char* text, int dpi, SIZE* needed) {
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    RECT client;
    GetClientRect(control, &client);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SIZE extent;
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    if (lstrcmpiA(className, "Static") == 0 && client.bottom >= 2 * metrics.tmHeight) {
        RECT rect = {0, 0, client.right, 0};
        DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        *needed = SIZE{rect.right, rect.bottom};
        return true;
    }
    if (lstrcmpiA(className, "Static") == 0) {
        *needed = extent;
        return true;
    }
    if (lstrcmpiA(className, "Button") != 0)
        return false;
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    int margin = ScaleTo(17, dpi); /* check box or radio circle and its gap */
    if (type == BS_GROUPBOX)
        margin = ScaleTo(16, dpi);
    else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
        margin = ScaleTo(6, dpi);
    *needed = SIZE{extent.cx + margin, extent.cy};
    return true;
}

static void ProbeControlFit(FILE* file, int templateId, HWND control, int dpi, int* clipped) {
    char raw[512] = "", text[512];
    GetWindowTextA(control, raw, sizeof raw);
    DrawnText(raw, text, sizeof text);
    if (text[0] == '\0')
        return;
    HDC dc = GetDC(control);
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    HGDIOBJ previous =
        SelectObject(dc, font != nullptr ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
    SIZE needed;
    bool measured = NeededSize(dc, control, text, dpi, &needed);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    RECT room;
    GetClientRect(control, &room);
    if (!measured || (needed.cx <= room.right && needed.cy <= room.bottom))
        return;
    (*clipped)++;
    fprintf(file, "clipped %d %d need %ldx%ld room %ldx%ld %s\n", templateId, GetDlgCtrlID(control),
            needed.cx, needed.cy, room.right, room.bottom, text);
}

void Win32ProbeDialogReady(HWND dialog, int templateId) {
    FILE* file = OpenProbeFile();
    if (file == nullptr)
        return;
    int dpi = PlatformWindowDpi(reinterpret_cast<WindowHandle>(dialog));
    int controls = 0, clipped = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT), controls++)
        ProbeControlFit(file, templateId, child, dpi, &clipped);
    fprintf(file, "dialog %d dpi %d controls %d clipped %d\n", templateId, dpi, controls, clipped);
    fclose(file);
}
/* ---- Control lines ---- */

struct ProbeControl {
    bool read;
    bool tryJournal;
    int stallAt, stallMs;
    int refuseAt;
    int inputs;
    int capsLock; /* 0: not said; 1 off; 2 on */
    int dropRecordHooksAt;
    int stallRecorderAt, stallRecorderMs;
    int recordQueueSize;
    bool dropCancelHooks;
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
        } else if (sscanf(line, "control stall-recorder %d %d", &n, &ms) == 2) {
            control.stallRecorderAt = n;
            control.stallRecorderMs = ms;
        } else if (sscanf(line, "control drop-record-hooks %d", &n) == 1) {
            control.dropRecordHooksAt = n;
        } else if (sscanf(line, "control record-queue %d", &n) == 1) {
            control.recordQueueSize = n;
        } else if (strncmp(line, "control drop-cancel-hooks", 25) == 0) {
            control.dropCancelHooks = true;
        } else if (strncmp(line, "control try-journal", 19) == 0) {
            control.tryJournal = true;
        } else if (strncmp(line, "control caps-lock ", 18) == 0) {
            control.capsLock = strncmp(line + 18, "on", 2) == 0 ? 2 : 1;
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

/* The lines are read on the first call, which the recorder makes on the
 * user-interface thread (with 0) before the hook thread asks. */
bool Win32ProbeDropsRecordHooks(int recordedEvents) {
    if (!control.read)
        ReadControlLines();
    return recordedEvents > 0 && recordedEvents == control.dropRecordHooksAt;
}

void Win32ProbeBeforeRecordInput(int handedOver) {
    if (!control.read)
        ReadControlLines();
    if (handedOver == control.stallRecorderAt)
        Sleep((DWORD)control.stallRecorderMs);
}

/* The first call comes while the thread that starts the watcher waits
 * for it, so the lines are never read by two threads at once. */
bool Win32ProbeDropsCancelHooks(void) {
    if (!control.read)
        ReadControlLines();
    bool drop = control.dropCancelHooks;
    control.dropCancelHooks = false;
    return drop;
}

int Win32ProbeRecordQueueSize(void) {
    if (!control.read)
        ReadControlLines();
    return control.recordQueueSize;
}

bool Win32ProbeTriesJournal(void) {
    if (!control.read)
        ReadControlLines();
    return control.tryJournal;
}

bool Win32ProbeCapsLock(bool* on) {
    if (!control.read)
        ReadControlLines();
    *on = control.capsLock == 2;
    return control.capsLock != 0;
}

/*
 * mirlow_probe.exe: a small test-only program that looks at mirlow.exe
 * from outside under Wine: it waits for windows, reads their titles, posts
 * commands and closes them, and reads and answers message boxes.
 *
 *   mirlow_probe noop
 *   mirlow_probe wait-window CLASS TIMEOUT_MS     exit 0 once it exists
 *   mirlow_probe wait-gone CLASS TIMEOUT_MS       exit 0 once it is gone
 *   mirlow_probe title CLASS                      prints the title
 *   mirlow_probe visible CLASS                    prints 1 or 0
 *   mirlow_probe rect CLASS                       prints left top right bottom
 *   mirlow_probe client-origin CLASS              prints the client area's screen corner
 *   mirlow_probe post-command CLASS ID            posts WM_COMMAND
 *   mirlow_probe close CLASS                      posts WM_CLOSE
 *   mirlow_probe wait-box CAPTION TIMEOUT_MS      prints the box's text
 *   mirlow_probe press CAPTION BUTTON_ID          clicks a box's button
 *   mirlow_probe resize CLASS WIDTH HEIGHT        gives the window (and its toolbar) a new size
 *   mirlow_probe dialog-texts CAPTION             prints "ID TEXT" per control
 *   mirlow_probe control-rect CAPTION ID          prints the control's screen rect
 *   mirlow_probe button-enabled CLASS ID          prints 1 or 0 for a toolbar button
 *   mirlow_probe record-args FILE ARGS...         appends the arguments to FILE,
 *                                                 one line each (a stand-in browser)
 *
 * CLASS "-" with a title after it (CLASS=-:Title) finds by title alone.
 * Exit code 0 on success, 1 when the thing looked for is not there, 2 for a
 * usage error.
 */
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HWND FindByName(const char* name) {
    if (strncmp(name, "-:", 2) == 0)
        return FindWindowA(nullptr, name + 2);
    return FindWindowA(name, nullptr);
}

static HWND WaitFor(const char* name, int timeoutMs, bool wantPresent, bool isBox) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = isBox ? FindWindowA("#32770", name) : FindByName(name);
        if ((window != nullptr) == wantPresent)
            return wantPresent ? window : (HWND)1;
        if ((int)(GetTickCount() - start) >= timeoutMs)
            return nullptr;
        Sleep(20);
    }
}

/* A box found the moment it exists may not have its text yet. */
static int PrintBoxText(HWND box) {
    char text[2048] = "";
    for (int tries = 0; tries < 100 && text[0] == '\0'; tries++) {
        HWND label = GetDlgItem(box, 0xFFFF);
        if (label != nullptr)
            GetWindowTextA(label, text, sizeof text);
        if (text[0] == '\0')
            Sleep(20);
    }
    printf("%s\n", text);
    return 0;
}

/* Each control's text, one line per control, newlines shown as \n. */
static BOOL CALLBACK PrintControlText(HWND control, LPARAM) {
    static char text[16384];
    text[0] = '\0';
    /* An edit control keeps its text to itself; only asking it works across processes. */
    SendMessageA(control, WM_GETTEXT, sizeof text, (LPARAM)text);
    printf("%d ", GetDlgCtrlID(control));
    for (const char* at = text; *at != '\0'; at++) {
        if (*at == '\n')
            fputs("\\n", stdout);
        else if (*at != '\r')
            putchar(*at);
    }
    putchar('\n');
    return TRUE;
}

static int RecordArguments(int argc, char** argv) {
    FILE* file = fopen(argv[2], "ab");
    if (file == nullptr)
        return 1;
    for (int i = 3; i < argc; i++)
        fprintf(file, "%s\n", argv[i]);
    fclose(file);
    return 0;
}

static int DialogVerb(const char* verb, const char* caption, int number) {
    HWND dialog = FindWindowA("#32770", caption);
    if (dialog == nullptr)
        return 1;
    if (strcmp(verb, "dialog-texts") == 0) {
        EnumChildWindows(dialog, PrintControlText, 0);
        return 0;
    }
    RECT rect;
    HWND control = GetDlgItem(dialog, number);
    if (control == nullptr || !GetWindowRect(control, &rect))
        return 1;
    printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
}

/* A new size for a window; its toolbar, if it has one, is fitted to it as
 * the program's own size handling does. */
static int Resize(HWND window, int width, int height) {
    if (!SetWindowPos(window, nullptr, 0, 0, width, height,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
        return 1;
    HWND toolbar = FindWindowExA(window, nullptr, "ToolbarWindow32", nullptr);
    if (toolbar != nullptr)
        SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return 0;
}

static int Run(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const char* verb = argv[1];
    if (strcmp(verb, "noop") == 0)
        return 0;
    if (argc < 3)
        return 2;
    const char* name = argv[2];
    int number = argc > 3 ? atoi(argv[3]) : 0;
    if (strcmp(verb, "wait-window") == 0)
        return WaitFor(name, number, true, false) != nullptr ? 0 : 1;
    if (strcmp(verb, "wait-gone") == 0)
        return WaitFor(name, number, false, false) != nullptr ? 0 : 1;
    if (strcmp(verb, "wait-box") == 0) {
        HWND box = WaitFor(name, number, true, true);
        return box != nullptr ? PrintBoxText(box) : 1;
    }
    if (strcmp(verb, "record-args") == 0)
        return RecordArguments(argc, argv);
    if (strcmp(verb, "dialog-texts") == 0 || strcmp(verb, "control-rect") == 0)
        return DialogVerb(verb, name, number);
    if (strcmp(verb, "press") == 0) {
        HWND box = FindWindowA("#32770", name);
        HWND button = box != nullptr ? GetDlgItem(box, number) : nullptr;
        if (button == nullptr)
            return 1;
        PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    HWND window = FindByName(name);
    if (window == nullptr)
        return 1;
    if (strcmp(verb, "title") == 0) {
        char title[512] = "";
        GetWindowTextA(window, title, sizeof title);
        printf("%s\n", title);
        return 0;
    }
    if (strcmp(verb, "visible") == 0) {
        printf("%d\n", IsWindowVisible(window) ? 1 : 0);
        return 0;
    }
    if (strcmp(verb, "rect") == 0) {
        RECT rect;
        if (!GetWindowRect(window, &rect))
            return 1;
        printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        return 0;
    }
    if (strcmp(verb, "client-origin") == 0) {
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        printf("%ld %ld\n", origin.x, origin.y);
        return 0;
    }
    if (strcmp(verb, "resize") == 0 && argc > 4)
        return Resize(window, number, atoi(argv[4]));
    if (strcmp(verb, "button-enabled") == 0) {
        HWND toolbar = FindWindowExA(window, nullptr, "ToolbarWindow32", nullptr);
        if (toolbar == nullptr)
            return 1;
        printf("%d\n", SendMessageA(toolbar, TB_ISBUTTONENABLED, (WPARAM)number, 0) ? 1 : 0);
        return 0;
    }
    if (strcmp(verb, "post-command") == 0)
        return PostMessageA(window, WM_COMMAND, (WPARAM)number, 0) ? 0 : 1;
    if (strcmp(verb, "close") == 0)
        return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}

int main(int argc, char** argv) {
    int code = Run(argc, argv);
    fflush(stdout);
    return code;
}

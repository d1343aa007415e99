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
 *   mirlow_probe post-command CLASS ID            posts WM_COMMAND
 *   mirlow_probe close CLASS                      posts WM_CLOSE
 *   mirlow_probe wait-box CAPTION TIMEOUT_MS      prints the box's text
 *   mirlow_probe press CAPTION BUTTON_ID          clicks a box's button
 *   mirlow_probe answer-file-dialog CAPTION PATH TIMEOUT_MS
 *                                     types PATH into the file dialog with
 *                                     that caption ("Open", "Save As") and
 *                                     presses its OK button
 *   mirlow_probe write-menu CLASS                 asks the program to write
 *                                     its menu to its probe file now
 *   mirlow_probe minimize CLASS                   minimises the window
 *   mirlow_probe edit-text CLASS                  prints the text of its edit control
 *
 * CLASS "-" with a title after it (CLASS=-:Title) finds by title alone.
 * Exit code 0 on success, 1 when the thing looked for is not there, 2 for a
 * usage error.
 */
#include <windows.h>

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

/* The file-name field of a common file dialog: a combo box (1148) in the
 * Explorer style, an edit field (1152) in the older one. */
static int AnswerFileDialog(const char* caption, const char* path, int timeoutMs) {
    HWND dialog = WaitFor(caption, timeoutMs, true, true);
    if (dialog == nullptr)
        return 1;
    HWND field = GetDlgItem(dialog, 1148);
    if (field == nullptr)
        field = GetDlgItem(dialog, 1152);
    if (field == nullptr)
        return 1;
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)path);
    return PostMessageA(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

/* The program answers this registered message by writing its menu; the
 * send returns once the file is written. */
static int WriteMenu(HWND window) {
    UINT request = RegisterWindowMessageA("MirlowProbeWriteMenu");
    DWORD_PTR result;
    return SendMessageTimeoutA(window, request, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
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
    if (strcmp(verb, "answer-file-dialog") == 0)
        return argc > 4 ? AnswerFileDialog(name, argv[3], atoi(argv[4])) : 2;
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
    if (strcmp(verb, "edit-text") == 0) {
        HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
        static char text[65536];
        text[0] = '\0';
        if (edit == nullptr || SendMessageA(edit, WM_GETTEXT, sizeof text, (LPARAM)text) < 0)
            return 1;
        printf("%s\n", text);
        return 0;
    }
    if (strcmp(verb, "post-command") == 0)
        return PostMessageA(window, WM_COMMAND, (WPARAM)number, 0) ? 0 : 1;
    if (strcmp(verb, "minimize") == 0)
        return ShowWindowAsync(window, SW_MINIMIZE) ? 0 : 1;
    if (strcmp(verb, "write-menu") == 0)
        return WriteMenu(window);
    if (strcmp(verb, "close") == 0)
        return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}

int main(int argc, char** argv) {
    int code = Run(argc, argv);
    fflush(stdout);
    return code;
}

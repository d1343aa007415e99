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
 *   mirlow_probe text CLASS                       prints the text of its edit control
 *   mirlow_probe keys-down                        prints the virtual keys (and mouse
 *                                                 buttons) down, in hex, or nothing
 *   mirlow_probe catch-clicks FILE TIMEOUT_MS     a window over the whole screen that
 *                                                 writes every button press ("L x y",
 *                                                 "R x y", "M x y"), wheel turn
 *                                                 ("W delta x y") and key press
 *                                                 ("K vk") it gets to FILE, one a line
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

/* Every key and button the system's asynchronous state says is down. */
static int PrintKeysDown(void) {
    const char* separator = "";
    for (int key = 1; key < 256; key++) {
        if (GetAsyncKeyState(key) & 0x8000) {
            printf("%s%02X", separator, key);
            separator = " ";
        }
    }
    printf("\n");
    return 0;
}

static FILE* caught;

static void Catch(const char* format, long a, long b, long c) {
    fprintf(caught, format, a, b, c);
    fflush(caught);
}

static LRESULT CALLBACK CatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (message != WM_MOUSEWHEEL)
        ClientToScreen(window, &at);
    switch (message) {
    case WM_LBUTTONDOWN:
        Catch("L %ld %ld\n", at.x, at.y, 0);
        return 0;
    case WM_RBUTTONDOWN:
        Catch("R %ld %ld\n", at.x, at.y, 0);
        return 0;
    case WM_MBUTTONDOWN:
        Catch("M %ld %ld\n", at.x, at.y, 0);
        return 0;
    case WM_MOUSEWHEEL:
        Catch("W %ld %ld %ld\n", (short)HIWORD(wParam), at.x, at.y);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Catch("K %02lX\n", (long)wParam, 0, 0);
        return 0;
    case WM_TIMER:
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static int CatchClicks(const char* path, int timeoutMs) {
    caught = fopen(path, "wb");
    if (caught == nullptr)
        return 1;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CatcherProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MirlowClickCatcher";
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, "MirlowClickCatcher", "Mirlow Click Catcher", WS_POPUP,
                        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                        nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    SetTimer(window, 1, (UINT)timeoutMs, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    fclose(caught);
    return 0;
}

/* The first edit control of the window (notepad's page), or the window. */
static int PrintText(HWND window) {
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    HWND source = edit != nullptr ? edit : window;
    static char text[1 << 20];
    SendMessageA(source, WM_GETTEXT, sizeof text, (LPARAM)text);
    fputs(text, stdout);
    return 0;
}

static int Run(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const char* verb = argv[1];
    if (strcmp(verb, "noop") == 0)
        return 0;
    if (strcmp(verb, "keys-down") == 0)
        return PrintKeysDown();
    if (argc < 3)
        return 2;
    const char* name = argv[2];
    int number = argc > 3 ? atoi(argv[3]) : 0;
    if (strcmp(verb, "catch-clicks") == 0)
        return CatchClicks(name, number);
    if (strcmp(verb, "wait-window") == 0)
        return WaitFor(name, number, true, false) != nullptr ? 0 : 1;
    if (strcmp(verb, "wait-gone") == 0)
        return WaitFor(name, number, false, false) != nullptr ? 0 : 1;
    if (strcmp(verb, "wait-box") == 0) {
        HWND box = WaitFor(name, number, true, true);
        return box != nullptr ? PrintBoxText(box) : 1;
    }
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
    if (strcmp(verb, "text") == 0)
        return PrintText(window);
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

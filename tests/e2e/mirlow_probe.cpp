/*
 * mirlow_probe.exe: a small test-only program that looks at mirlow.exe
 * from outside under Wine: it waits for windows, reads their titles, posts
 * commands and closes them, and reads and answers message boxes.
 *
 *   mirlow_probe noop
 *   mirlow_probe wait-window CLASS TIMEOUT_MS     exits 0 once it exists
 *   mirlow_probe wait-gone CLASS TIMEOUT_MS       exits 0 once it is gone
 *   mirlow_probe title CLASS                      prints the title
 *   mirlow_probe visible CLASS                    prints 1 or 0
 *   mirlow_probe rect CLASS                       prints left top right bottom
 *   mirlow_probe client-origin CLASS              prints the client area's screen corner
 *   mirlow_probe post-command CLASS ID            posts WM_COMMAND
 *   mirlow_probe close CLASS                      posts WM_CLOSE
 *   mirlow_probe wait-box CAPTION TIMEOUT_MS      prints the box's text
 *   mirlow_probe press CAPTION BUTTON_ID          clicks a box's button
 *   mirlow_probe answer-file-dialog CAPTION PATH TIMEOUT_MS
 *                                     types PATH into the file dialog with
 *                                     that caption ("Open", "Save As") and
 *                                     presses its OK button; a PATH of
 *                                     "hex:" and UTF-8 bytes in hex holds
 *                                     characters of any language
 *   mirlow_probe hold-file PATH MS                holds the file open for MS,
 *                                     others may only read it; prints
 *                                     "held" once it does
 *   mirlow_probe write-menu CLASS                 asks the program to write
 *                                     its menu to its probe file now
 *   mirlow_probe minimize CLASS                   minimises the window
 *   mirlow_probe text CLASS                       prints the text of its edit control
 *   mirlow_probe keys-down                        prints the virtual keys (and mouse
 *                                                 buttons) down, in hex, or nothing
 *   mirlow_probe catch-clicks FILE TIMEOUT_MS [moves]
 *                                                 a window over the whole screen that
 *                                                 writes every button press ("L x y",
 *                                                 "R x y", "M x y"), wheel turn
 *                                                 ("W delta x y") and key press
 *                                                 ("K vk") it gets to FILE, one a line;
 *                                                 with "moves", every new pointer
 *                                                 position too ("P x y")
 *   mirlow_probe button-enabled CLASS ID          prints 1 or 0 for a toolbar button
 *   mirlow_probe dialog-texts NAME                prints "ID TEXT" per control of the
 *                                                 window (an edit's text too)
 *   mirlow_probe record-args FILE ARGS...         appends the arguments to FILE,
 *                                                 one line each (a stand-in browser)
 *   mirlow_probe sleepy-window TITLE MS           a window titled TITLE whose thread,
 *                                                 once the window is shown, sleeps MS
 *                                                 without taking messages (a busy or
 *                                                 hung program), then ends
 *   mirlow_probe move CLASS X Y                   moves the window's corner to X Y
 *   mirlow_probe place CLASS X Y WIDTH HEIGHT     moves and sizes the window
 *   mirlow_probe placement CLASS                  prints "minimized", "maximized" or
 *                                                 "normal"
 *   mirlow_probe send-unicode HEX...              types each UTF-16 code unit (hex) as
 *                                                 Unicode key input, as an on-screen
 *                                                 keyboard does: a press and a release
 *   mirlow_probe text-hex CLASS                   prints its edit control's text as
 *                                                 UTF-16 code units in hex
 *   mirlow_probe hold-hotkey CHORD MS             holds the chord (the hotkey control's
 *                                                 packing, 0x752 for Ctrl+Shift+Alt+R)
 *                                                 as a hotkey of its own for MS, as
 *                                                 another program would; prints "held"
 *                                                 once it does, exits non-zero when refused
 *   mirlow_probe test-window TITLE FILE MS [WIDTH HEIGHT] [hidden]
 *                                     a window titled TITLE laid out for the
 *                                     display scale (sizes below at 96 DPI,
 *                                     grown with it) at 100,100, WIDTH x HEIGHT
 *                                     (400 x 300): an Apply button at its top
 *                                     left, a Name label and field, and Cancel
 *                                     and OK at its bottom right, which follow
 *                                     that corner when the window is larger;
 *                                     writes "clicked TEXT" for every button
 *                                     clicked and "client COLUMN ROW" for a
 *                                     left click on the bare client area (in
 *                                     cells of 40 pixels at 96 DPI) to FILE;
 *                                     ends after MS; with "hidden" it is never
 *                                     shown
 *
 * Controls of a window, found by id among all its descendants (the
 * settings panel's controls are the main window's grandchildren):
 *   mirlow_probe item NAME ID                     prints visible enabled
 *                                                 checked selection text
 *   mirlow_probe click NAME ID                    clicks a button
 *   mirlow_probe type NAME ID TEXT                replaces the text as typing
 *   mirlow_probe select NAME ID INDEX             chooses a list item
 *   mirlow_probe arrow NAME ID up|down            presses a scroll arrow
 *   mirlow_probe key NAME ID VK                   presses a key in the control
 *   mirlow_probe item-rect NAME ID                prints its screen rectangle
 *   mirlow_probe set-text NAME ID TEXT            sets its text as a program would
 *   mirlow_probe hotkey NAME ID                   prints a hotkey field's chord in hex
 *   mirlow_probe char-point NAME ID INDEX         prints the screen point of the
 *                                                 character's top left in an edit or
 *                                                 rich edit control
 *   mirlow_probe tree-item NAME ID TEXT           prints the screen rectangle of the
 *                                                 text of the first visible tree item
 *                                                 with that text
 *   mirlow_probe tree-selection NAME ID           prints the selected tree item's path
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

/* A box found the moment it exists may not have its text yet; one that
 * shows none within two seconds is not the box a test waits for. */
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
    return text[0] != '\0' ? 0 : 1;
}

/* The file-name field of a common file dialog: a combo box (1148) in the
 * Explorer style, an edit field (1152) in the older one. The dialog window
 * exists a while before it is set up, and while it sets itself up it may
 * replace a control with another of the same id (Wine's Open dialog puts
 * its own combo box in place of its template's, which a slow first start
 * of a new prefix lets a quick look find). So the field is taken only once
 * the dialog is shown, which it is once set up, and afresh for each try. */
static HWND FileNameField(HWND dialog, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND field = GetDlgItem(dialog, 1148);
        if (field == nullptr)
            field = GetDlgItem(dialog, 1152);
        if ((field != nullptr && IsWindowVisible(dialog)) ||
            (int)(GetTickCount() - start) >= timeoutMs)
            return IsWindowVisible(dialog) ? field : nullptr;
        Sleep(20);
    }
}

/* Arguments reach a program in the ANSI code page: a name with other
 * characters comes as "hex:" and its UTF-8 bytes in hex. */
static bool WidePath(const char* path, wchar_t* wide, int size) {
    if (strncmp(path, "hex:", 4) != 0)
        return MultiByteToWideChar(CP_ACP, 0, path, -1, wide, size) > 0;
    static char utf8[4096];
    size_t length = 0;
    for (const char* at = path + 4; at[0] != '\0' && at[1] != '\0' && length + 1 < sizeof utf8;
         at += 2) {
        char pair[3] = {at[0], at[1], '\0'};
        utf8[length++] = (char)strtol(pair, nullptr, 16);
    }
    utf8[length] = '\0';
    return MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, size) > 0;
}

static int AnswerFileDialog(const char* caption, const char* path, int timeoutMs) {
    static wchar_t wide[4096];
    HWND dialog = WaitFor(caption, timeoutMs, true, true);
    if (dialog == nullptr || !WidePath(path, wide, 4096))
        return 1;
    /* The name goes in and OK is pressed again while the dialog stays
     * open and takes input (a box of its own disables it). The answer
     * counts only once the dialog has closed on it. */
    DWORD start = GetTickCount();
    do {
        HWND field = FileNameField(dialog, timeoutMs - (int)(GetTickCount() - start));
        if (field == nullptr)
            return 1;
        SendMessageW(field, WM_SETTEXT, 0, (LPARAM)wide);
        if (!PostMessageA(dialog, WM_COMMAND, IDOK, 0))
            return 1;
        for (int waited = 0; waited < 1000 && IsWindow(dialog); waited += 20)
            Sleep(20);
    } while (IsWindow(dialog) && IsWindowEnabled(dialog) &&
             (int)(GetTickCount() - start) < timeoutMs);
    return IsWindow(dialog) ? 1 : 0;
}

/* Holds the file open as a virus scanner or an indexer might, letting
 * others read it but neither write, rename nor delete it; prints "held"
 * once it holds it. */
static int HoldFile(const char* path, int milliseconds) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    printf("held\n");
    fflush(stdout);
    Sleep((DWORD)milliseconds);
    CloseHandle(file);
    return 0;
}

/* The chord as the hotkey control packs it; the hotkey's messages are
 * taken and dropped while it is held. */
static int HoldHotkey(const char* chordText, int milliseconds) {
    UINT chord = (UINT)strtoul(chordText, nullptr, 0);
    UINT modifiers = ((chord & (HOTKEYF_SHIFT << 8)) ? MOD_SHIFT : 0) |
                     ((chord & (HOTKEYF_CONTROL << 8)) ? MOD_CONTROL : 0) |
                     ((chord & (HOTKEYF_ALT << 8)) ? MOD_ALT : 0);
    if (!RegisterHotKey(nullptr, 1, modifiers, chord & 0xFF))
        return 1;
    printf("held\n");
    fflush(stdout);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < (DWORD)milliseconds) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        Sleep(20);
    }
    UnregisterHotKey(nullptr, 1);
    return 0;
}

/* The program answers this registered message by writing its menu; the
 * send returns once the file is written. */
static int WriteMenu(HWND window) {
    UINT request = RegisterWindowMessageA("MirlowProbeWriteMenu");
    DWORD_PTR result;
    return SendMessageTimeoutA(window, request, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
}

struct ControlSearch {
    int id;
    HWND found;
};

static BOOL CALLBACK MatchControl(HWND window, LPARAM lParam) {
    ControlSearch* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(window) != search->id)
        return TRUE;
    search->found = window;
    return FALSE;
}

static HWND FindControl(const char* name, int id) {
    HWND top = FindByName(name);
    if (top == nullptr)
        return nullptr;
    ControlSearch search = {id, nullptr};
    EnumChildWindows(top, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

static int PrintItem(HWND control) {
    char text[512] = "";
    GetWindowTextA(control, text, sizeof text);
    LRESULT check = SendMessageA(control, BM_GETCHECK, 0, 0);
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    int selection =
        lstrcmpiA(className, "ComboBox") == 0 ? (int)SendMessageA(control, CB_GETCURSEL, 0, 0) : -1;
    printf("%d %d %d %d %s\n", IsWindowVisible(control) ? 1 : 0, IsWindowEnabled(control) ? 1 : 0,
           check == BST_CHECKED ? 1 : 0, selection, text);
    return 0;
}

/* Characters sent to the edit as the keyboard would, so the edit sees the
 * user's typing (its modified mark is set), not a program's write. */
static int TypeInto(HWND edit, const char* text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (; *text != '\0'; text++)
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)*text, 0);
    return 0;
}

/* The choice is posted: a refused one opens a box that a send would wait for. */
static int ChooseItem(HWND list, int index) {
    SendMessageA(list, CB_SETCURSEL, (WPARAM)index, 0);
    WPARAM command = MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE);
    return PostMessageA(GetParent(list), WM_COMMAND, command, (LPARAM)list) ? 0 : 1;
}

/* Memory in the control's own process, for the messages that take a
 * pointer: a tree item's text and rectangle. */
struct RemoteBlock {
    HANDLE process;
    char* block;
};

static bool OpenRemoteBlock(HWND control, RemoteBlock* remote) {
    DWORD id = 0;
    GetWindowThreadProcessId(control, &id);
    remote->process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    remote->block = remote->process != nullptr
                        ? (char*)VirtualAllocEx(remote->process, nullptr, 4096,
                                                MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                        : nullptr;
    return remote->block != nullptr;
}

static void CloseRemoteBlock(RemoteBlock* remote) {
    if (remote->block != nullptr)
        VirtualFreeEx(remote->process, remote->block, 0, MEM_RELEASE);
    if (remote->process != nullptr)
        CloseHandle(remote->process);
}

static bool TreeItemText(HWND tree, const RemoteBlock& remote, HTREEITEM item, char* text) {
    TVITEMA request = {};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = remote.block + 1024;
    request.cchTextMax = 256;
    SIZE_T moved = 0;
    return WriteProcessMemory(remote.process, remote.block, &request, sizeof request, &moved) &&
           SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)remote.block) &&
           ReadProcessMemory(remote.process, remote.block + 1024, text, 256, &moved);
}

static int PrintTreeItem(HWND tree, const char* wanted) {
    RemoteBlock remote = {nullptr, nullptr};
    int found = 1;
    HTREEITEM item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
    for (; OpenRemoteBlock(tree, &remote) && item != nullptr && found != 0;
         item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, (LPARAM)item)) {
        char text[256] = "";
        RECT rect;
        SIZE_T moved = 0;
        memcpy(&rect, &item, sizeof item); /* the message reads the item from the rectangle */
        if (!TreeItemText(tree, remote, item, text) || strcmp(text, wanted) != 0 ||
            !WriteProcessMemory(remote.process, remote.block, &rect, sizeof rect, &moved) ||
            !SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)remote.block) ||
            !ReadProcessMemory(remote.process, remote.block, &rect, sizeof rect, &moved))
            continue;
        MapWindowPoints(tree, nullptr, (POINT*)&rect, 2);
        printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        found = 0;
    }
    CloseRemoteBlock(&remote);
    return found;
}

/* The selected item's text after its parents', joined by '\\'. */
static int PrintTreeSelection(HWND tree) {
    RemoteBlock remote = {nullptr, nullptr};
    HTREEITEM item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    char path[1024] = "";
    if (item == nullptr || !OpenRemoteBlock(tree, &remote))
        return 1;
    for (; item != nullptr;
         item = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)item)) {
        char text[256] = "";
        char longer[sizeof path];
        TreeItemText(tree, remote, item, text);
        snprintf(longer, sizeof longer, "%s%s%s", text, path[0] != '\0' ? "\\" : "", path);
        memcpy(path, longer, sizeof path);
    }
    CloseRemoteBlock(&remote);
    printf("%s\n", path);
    return 0;
}

/* The edit form of the message (index in, packed point out), which rich
 * edit controls answer too. */
static int PrintCharPoint(HWND edit, int index) {
    LRESULT packed = SendMessageA(edit, EM_POSFROMCHAR, (WPARAM)index, 0);
    POINT point = {(short)LOWORD(packed), (short)HIWORD(packed)};
    ClientToScreen(edit, &point);
    printf("%ld %ld\n", point.x, point.y);
    return 0;
}

static int ControlVerb(const char* verb, HWND control, const char* argument) {
    if (strcmp(verb, "item") == 0)
        return PrintItem(control);
    if (strcmp(verb, "click") == 0)
        return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    if (strcmp(verb, "type") == 0 && argument != nullptr)
        return TypeInto(control, argument);
    if (strcmp(verb, "select") == 0 && argument != nullptr)
        return ChooseItem(control, atoi(argument));
    if (strcmp(verb, "arrow") == 0 && argument != nullptr) {
        WPARAM code = strcmp(argument, "up") == 0 ? SB_LINEUP : SB_LINEDOWN;
        return PostMessageA(GetParent(control), WM_VSCROLL, code, (LPARAM)control) ? 0 : 1;
    }
    if (strcmp(verb, "key") == 0 && argument != nullptr) {
        WPARAM key = (WPARAM)strtol(argument, nullptr, 0);
        PostMessageA(control, WM_KEYDOWN, key, 1);
        return PostMessageA(control, WM_KEYUP, key, (LPARAM)0xC0000001) ? 0 : 1;
    }
    if (strcmp(verb, "set-text") == 0 && argument != nullptr)
        return SetWindowTextA(control, argument) ? 0 : 1;
    if (strcmp(verb, "hotkey") == 0) {
        printf("%lX\n", (unsigned long)(SendMessageA(control, HKM_GETHOTKEY, 0, 0) & 0xFFFF));
        return 0;
    }
    if (strcmp(verb, "char-point") == 0 && argument != nullptr)
        return PrintCharPoint(control, atoi(argument));
    if (strcmp(verb, "tree-item") == 0 && argument != nullptr)
        return PrintTreeItem(control, argument);
    if (strcmp(verb, "tree-selection") == 0)
        return PrintTreeSelection(control);
    if (strcmp(verb, "item-rect") == 0) {
        RECT rect;
        GetWindowRect(control, &rect);
        printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        return 0;
    }
    return 2;
}

static bool IsControlVerb(const char* verb) {
    const char* const verbs[] = {"item",       "click",     "type",           "select",
                                 "arrow",      "key",       "item-rect",      "set-text",
                                 "char-point", "tree-item", "tree-selection", "hotkey"};
    for (const char* known : verbs) {
        if (strcmp(verb, known) == 0)
            return true;
    }
    return false;
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
static bool catchMoves;
static POINT lastMoveCaught = {-1, -1};

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
    case WM_MOUSEMOVE:
        if (catchMoves && (at.x != lastMoveCaught.x || at.y != lastMoveCaught.y))
            Catch("P %ld %ld\n", at.x, at.y, 0);
        lastMoveCaught = at;
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

static int SendUnicode(int argc, char** argv) {
    for (int i = 2; i < argc; i++) {
        INPUT keys[2];
        memset(keys, 0, sizeof keys);
        for (int k = 0; k < 2; k++) {
            keys[k].type = INPUT_KEYBOARD;
            keys[k].ki.wScan = (WORD)strtoul(argv[i], nullptr, 16);
            keys[k].ki.dwFlags = KEYEVENTF_UNICODE | (k == 1 ? KEYEVENTF_KEYUP : 0);
        }
        if (SendInput(2, keys, sizeof keys[0]) != 2)
            return 1;
        Sleep(30);
    }
    return 0;
}

/* The wide text, which an ANSI read would turn into question marks. */
static int PrintTextHex(HWND window) {
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    static WCHAR text[1 << 16];
    text[0] = 0;
    SendMessageW(edit != nullptr ? edit : window, WM_GETTEXT, sizeof text / sizeof text[0],
                 (LPARAM)text);
    for (const WCHAR* at = text; *at != 0; at++)
        printf("%s%04X", at == text ? "" : " ", (unsigned)*at);
    printf("\n");
    return 0;
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

/* The window is shown and its first messages handled, so it exists
 * whole on the display before its thread stops taking messages. */
static int SleepyWindow(const char* title, int sleepMs) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MirlowSleepyWindow";
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("MirlowSleepyWindow", title, WS_OVERLAPPEDWINDOW, 300, 300, 300,
                                120, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 300) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    Sleep((DWORD)sleepMs);
    DestroyWindow(window);
    return 0;
}

/* ---- The test window ---- */

struct TestWindow {
    FILE* file;
    int dpi;
};
static TestWindow testWindow;

static int Scaled(int units) {
    return MulDiv(units, testWindow.dpi, 96);
}

/* The controls at 96 DPI, as offsets from the client area's top left or,
 * for OK and Cancel, from its bottom right. */
struct TestControl {
    const char* className;
    const char* text;
    int id;
    int x, y, width, height;
    bool fromBottomRight;
};
static const TestControl TestControls[] = {
    {"Button", "Apply", 101, 10, 10, 75, 23, false}, {"Static", "Name:", -1, 10, 50, 60, 20, false},
    {"Edit", "", 103, 80, 48, 200, 22, false},       {"Button", "Cancel", 2, 170, 33, 75, 23, true},
    {"Button", "OK", 1, 85, 33, 75, 23, true},
};

static void LayOutTestWindow(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    for (const TestControl& control : TestControls) {
        int x = control.fromBottomRight ? client.right - Scaled(control.x) : Scaled(control.x);
        int y = control.fromBottomRight ? client.bottom - Scaled(control.y) : Scaled(control.y);
        SetWindowPos(GetDlgItem(window, control.id), nullptr, x, y, Scaled(control.width),
                     Scaled(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

static void NoteTestClick(const char* format, const char* text, int column, int row) {
    fprintf(testWindow.file, format, text, column, row);
    fflush(testWindow.file);
}

static LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        LayOutTestWindow(window);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            char text[64] = "";
            GetWindowTextA(reinterpret_cast<HWND>(lParam), text, sizeof text);
            NoteTestClick("clicked %s\n", text, 0, 0);
        }
        return 0;
    case WM_LBUTTONDOWN: {
        int column = MulDiv((short)LOWORD(lParam), 96, testWindow.dpi) / 40;
        int row = MulDiv((short)HIWORD(lParam), 96, testWindow.dpi) / 40;
        NoteTestClick("client%s %d %d\n", "", column, row);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RunTestWindow(int argc, char** argv) {
    bool hidden = strcmp(argv[argc - 1], "hidden") == 0;
    int sizes = hidden ? argc - 1 : argc;
    int width = sizes > 6 ? atoi(argv[5]) : 400;
    int height = sizes > 6 ? atoi(argv[6]) : 300;
    testWindow.file = fopen(argv[3], "ab");
    HDC screen = GetDC(nullptr);
    testWindow.dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (testWindow.file == nullptr || argc < 5)
        return 2;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "MirlowTestWindow";
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("MirlowTestWindow", argv[2], WS_OVERLAPPEDWINDOW, Scaled(100),
                                Scaled(100), Scaled(width), Scaled(height), nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    HFONT font = CreateFontA(-Scaled(12), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                             "Tahoma");
    for (const TestControl& control : TestControls) {
        HWND child =
            CreateWindowA(control.className, control.text,
                          WS_CHILD | WS_VISIBLE | (control.id == 103 ? WS_BORDER : 0), 0, 0, 0, 0,
                          window, (HMENU)(INT_PTR)control.id, windowClass.hInstance, nullptr);
        SendMessageA(child, WM_SETFONT, (WPARAM)font, 0);
    }
    LayOutTestWindow(window);
    if (!hidden)
        ShowWindow(window, SW_SHOW);
    SetTimer(window, 1, (UINT)atoi(argv[4]), nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == window)
            DestroyWindow(window);
        DispatchMessageA(&msg);
    }
    fclose(testWindow.file);
    return 0;
}

static int PrintDialogTexts(const char* name) {
    HWND window = FindByName(name);
    if (window == nullptr)
        return 1;
    EnumChildWindows(window, PrintControlText, 0);
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
    if (strcmp(verb, "catch-clicks") == 0) {
        catchMoves = argc > 4 && strcmp(argv[4], "moves") == 0;
        return CatchClicks(name, number);
    }
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
    if (strcmp(verb, "hold-file") == 0)
        return HoldFile(name, number);
    if (strcmp(verb, "hold-hotkey") == 0)
        return HoldHotkey(name, number);
    if (strcmp(verb, "record-args") == 0)
        return RecordArguments(argc, argv);
    if (strcmp(verb, "send-unicode") == 0)
        return SendUnicode(argc, argv);
    if (strcmp(verb, "dialog-texts") == 0)
        return PrintDialogTexts(name);
    if (strcmp(verb, "sleepy-window") == 0)
        return SleepyWindow(name, number);
    if (strcmp(verb, "test-window") == 0)
        return RunTestWindow(argc, argv);
    if (strcmp(verb, "press") == 0) {
        HWND box = FindWindowA("#32770", name);
        HWND button = box != nullptr ? GetDlgItem(box, number) : nullptr;
        if (button == nullptr)
            return 1;
        return PostMessageA(button, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (IsControlVerb(verb)) {
        HWND control = FindControl(name, number);
        if (control == nullptr)
            return 1;
        return ControlVerb(verb, control, argc > 4 ? argv[4] : nullptr);
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
    if (strcmp(verb, "text-hex") == 0)
        return PrintTextHex(window);
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
    if (strcmp(verb, "button-enabled") == 0) {
        HWND toolbar = FindWindowExA(window, nullptr, "ToolbarWindow32", nullptr);
        if (toolbar == nullptr)
            return 1;
        printf("%d\n", SendMessageA(toolbar, TB_ISBUTTONENABLED, (WPARAM)number, 0) ? 1 : 0);
        return 0;
    }
    if (strcmp(verb, "post-command") == 0)
        return PostMessageA(window, WM_COMMAND, (WPARAM)number, 0) ? 0 : 1;
    if (strcmp(verb, "move") == 0 && argc > 4)
        return SetWindowPos(window, nullptr, atoi(argv[3]), atoi(argv[4]), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    if (strcmp(verb, "place") == 0 && argc > 6)
        return SetWindowPos(window, nullptr, atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                            atoi(argv[6]), SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    if (strcmp(verb, "placement") == 0) {
        printf("%s\n", IsIconic(window) ? "minimized" : IsZoomed(window) ? "maximized" : "normal");
        return 0;
    }
    if (strcmp(verb, "minimize") == 0)
        return ShowWindowAsync(window, SW_MINIMIZE) ? 0 : 1;
    if (strcmp(verb, "write-menu") == 0)
        return WriteMenu(window);
    if (strcmp(verb, "close") == 0)
        return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}

/* The probe's own "no" (a window that never came, a usage fault) is 100
 * and up, so that a script can tell it from Wine ending the probe early,
 * which exits with a small code. */
int main(int argc, char** argv) {
    int code = Run(argc, argv);
    fflush(stdout);
    return code == 0 ? 0 : 100 + code;
}

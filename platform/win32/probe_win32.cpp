/*
 * probe_win32.cpp: a window into the running program for the tests that
 * drive mirlow.exe under Wine, linked only into the program the tests run
 * (build/win/for-tests/mirlow.exe). Menus cannot be read from another
 * process there, and commands leave no trace until their handlers exist,
 * so when MIRLOW_TEST_PROBE names a file the probe reports both there: the
 * menu once the main window exists (and again whenever a test asks), with
 * where the toolbar, its buttons and the panel sit, and a line for every
 * command that reaches one of the program's windows, every such window
 * shown, every tooltip the toolbar asks for and every dialog set up (with
 * its scale and any text that does not fit its control).
 *
 * A test may write control lines into the probe file before the program
 * starts, to stand in for what it cannot make the system do under Wine:
 *   control stall-input N MS   the Nth call that injects input finds the
 *                              playback thread busy for MS milliseconds
 *   control refuse-input N     the system refuses the Nth call that
 *                              injects input
 *   control try-journal        the system's journal is tried even under
 *                              Wine, which accepts it and never calls it
 *   control caps-lock on|off   Caps Lock is known to be on or off, which
 *                              Wine does not tell a program without the
 *                              keyboard focus
 *   control stall-recorder N MS  the user-interface thread is busy for MS
 *                              milliseconds once the recording's hooks
 *                              have seen their Nth event
 *   control drop-record-hooks N  the recording's low-level hooks are taken
 *                              away after their Nth event, without a word,
 *                              as the system takes away hooks that answer
 *                              slowly
 *   control record-queue N     the recording's queue holds N entries, so
 *                              that it fills within seconds
 *   control drop-cancel-hooks  the Ctrl+Esc watcher's first hooks are taken
 *                              away as soon as they are installed
 *
 * The program itself holds nothing of this: the probe watches it from
 * outside its code. At start-up (before WinMain) it puts thread hooks on
 * the user-interface thread, which see the messages and dialogs, and the
 * link of the tests' program routes a few system calls through this file
 * (the linker's --wrap of their import slots, cmake/windows.cmake): the
 * making of windows and dialogs, injected input, hook installation, and
 * the two questions the program asks about Wine and Caps Lock; and the start
 * of the recording's queue, a call between two of the program's own files.
 */
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

/* Each routed call has its system function in __real___imp_NAME (the
 * import slot) and this file's stand-in in __wrap___imp_NAME. */
#define PROBE_ROUTE(name, standIn)                                                                 \
    extern "C" decltype(&name) __real___imp_##name;                                                \
    extern "C" decltype(&name) __wrap___imp_##name;                                                \
    decltype(&name) __wrap___imp_##name = standIn

/* ---- Reports ---- */

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

/* Commands, and every time a window is shown, are appended one line
 * each: for the program's own windows, those of the classes it registers,
 * whose window procedure is in its own image; not for dialogs and
 * controls, whose procedures are the system's. */
static bool IsProgramWindow(HWND window) {
    const char* image = reinterpret_cast<const char*>(GetModuleHandleA(nullptr));
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const IMAGE_NT_HEADERS* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const char* procedure = reinterpret_cast<const char*>(GetClassLongPtrA(window, GCLP_WNDPROC));
    return procedure >= image && procedure < image + headers->OptionalHeader.SizeOfImage;
}

/* A test asks for the menu as it stands now (recent entries, states) by
 * sending this message; its number is registered by name, so the test
 * helper finds the same one. */
static bool IsMenuRequest(UINT message) {
    static UINT request;
    if (message < 0xC000)
        return false;
    if (request == 0)
        request = RegisterWindowMessageA("MirlowProbeWriteMenu");
    return message == request;
}

static void NoteMessage(HWND window, UINT message, WPARAM wParam) {
    if (window == nullptr || !IsProgramWindow(window))
        return;
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

/* The text the program put into a tooltip request: its own buffer, where
 * it answers; nothing where it left the request alone. */
static void NoteTooltip(HWND window, LPARAM notification) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(notification);
    if (header == nullptr || !IsProgramWindow(window) ||
        (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW))
        return;
    char text[80] = "";
    if (header->code == TTN_GETDISPINFOA) {
        const NMTTDISPINFOA* request = reinterpret_cast<const NMTTDISPINFOA*>(header);
        if (request->lpszText == request->szText)
            lstrcpynA(text, request->szText, (int)sizeof text);
    } else {
        const NMTTDISPINFOW* request = reinterpret_cast<const NMTTDISPINFOW*>(header);
        for (int i = 0; request->lpszText == request->szText && i + 1 < (int)sizeof text &&
                        request->szText[i] != 0;
             i++)
            text[i] = (char)request->szText[i];
    }
    FILE* file = OpenProbeFile();
    if (file == nullptr)
        return;
    fprintf(file, "tooltip %d %s\n", (int)header->idFrom, text);
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

static void NoteDialogReady(HWND dialog, int templateId) {
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

/* ---- Which template a dialog is made from ----
 * The dialog-making calls note their template with their creation
 * parameter while they run; the dialog's WM_INITDIALOG carries that
 * parameter, so its template is the latest noted with it. */

struct DialogInMaking {
    LPARAM parameter;
    int templateId;
};
static DialogInMaking dialogsInMaking[16];
static int dialogsInMakingCount;

static int BeginDialog(LPCSTR templateName, LPARAM parameter) {
    const int capacity = (int)(sizeof dialogsInMaking / sizeof dialogsInMaking[0]);
    if (dialogsInMakingCount < capacity) {
        int id = IS_INTRESOURCE(templateName) ? (int)(uintptr_t)templateName : 0;
        dialogsInMaking[dialogsInMakingCount] = DialogInMaking{parameter, id};
    }
    return dialogsInMakingCount++;
}

static void EndDialogInMaking(int depth) {
    dialogsInMakingCount = depth;
}

static void NoteDialogSetUp(HWND dialog, LPARAM parameter) {
    const int capacity = (int)(sizeof dialogsInMaking / sizeof dialogsInMaking[0]);
    int count = dialogsInMakingCount < capacity ? dialogsInMakingCount : capacity;
    for (int i = count - 1; i >= 0; i--) {
        if (dialogsInMaking[i].parameter == parameter) {
            NoteDialogReady(dialog, dialogsInMaking[i].templateId);
            return;
        }
    }
}

/* ---- Control lines ---- */

struct ProbeControls {
    bool tryJournal;
    int capsLock; /* 0: not said; 1 off; 2 on */
    int stallInputAt, stallInputMs;
    int refuseInputAt;
    int stallRecorderAt, stallRecorderMs;
    int dropRecordHooksAt;
    int recordQueueSize;
    bool dropCancelHooks;
};
static ProbeControls controls;

static void ReadControlLines(const char* path) {
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return;
    char line[128];
    while (fgets(line, sizeof line, file) != nullptr) {
        int n = 0, ms = 0;
        if (sscanf(line, "control stall-input %d %d", &n, &ms) == 2) {
            controls.stallInputAt = n;
            controls.stallInputMs = ms;
        } else if (sscanf(line, "control refuse-input %d", &n) == 1) {
            controls.refuseInputAt = n;
        } else if (sscanf(line, "control stall-recorder %d %d", &n, &ms) == 2) {
            controls.stallRecorderAt = n;
            controls.stallRecorderMs = ms;
        } else if (sscanf(line, "control drop-record-hooks %d", &n) == 1) {
            controls.dropRecordHooksAt = n;
        } else if (sscanf(line, "control record-queue %d", &n) == 1) {
            controls.recordQueueSize = n;
        } else if (strncmp(line, "control drop-cancel-hooks", 25) == 0) {
            controls.dropCancelHooks = true;
        } else if (strncmp(line, "control try-journal", 19) == 0) {
            controls.tryJournal = true;
        } else if (strncmp(line, "control caps-lock ", 18) == 0) {
            controls.capsLock = strncmp(line + 18, "on", 2) == 0 ? 2 : 1;
        }
    }
    fclose(file);
}

/* The program takes Wine for a system that never calls a journal and
 * never tells it the Caps Lock state. To try the journal, or to know the
 * state, it is told it runs on Windows, where a journal is refused unless
 * a test asks for it: what a standard user meets there. */
static bool HidesWine(void) {
    return controls.tryJournal || controls.capsLock != 0;
}

/* ---- Injected input ---- */

static UINT WINAPI ProbeSendInput(UINT count, LPINPUT inputs, int size);
PROBE_ROUTE(SendInput, ProbeSendInput);

static UINT WINAPI ProbeSendInput(UINT count, LPINPUT inputs, int size) {
    static std::atomic<int> calls;
    if (controls.stallInputAt == 0 && controls.refuseInputAt == 0)
        return __real___imp_SendInput(count, inputs, size);
    int call = ++calls;
    if (call == controls.stallInputAt)
        Sleep((DWORD)controls.stallInputMs);
    if (call == controls.refuseInputAt) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return __real___imp_SendInput(count, inputs, size);
}

/* ---- What the program asks of the system ---- */

static FARPROC WINAPI ProbeGetProcAddress(HMODULE module, LPCSTR name);
PROBE_ROUTE(GetProcAddress, ProbeGetProcAddress);

static FARPROC WINAPI ProbeGetProcAddress(HMODULE module, LPCSTR name) {
    if (HidesWine() && !IS_INTRESOURCE(name) && strcmp(name, "wine_get_version") == 0)
        return nullptr;
    return __real___imp_GetProcAddress(module, name);
}

static SHORT WINAPI ProbeGetKeyState(int key);
PROBE_ROUTE(GetKeyState, ProbeGetKeyState);

static SHORT WINAPI ProbeGetKeyState(int key) {
    if (key == VK_CAPITAL && controls.capsLock != 0)
        return controls.capsLock == 2 ? 1 : 0;
    return __real___imp_GetKeyState(key);
}

/* ---- The recording's low-level hooks, and the Ctrl+Esc watcher's ----
 * With a control line about them, the recording's hooks go through the
 * probe, which counts their events and takes them away, or has the
 * user-interface thread stall, at the event named. The watcher's hooks
 * may be taken away the moment they are first installed. Which hook
 * serves which is told by its procedure. */

struct WatchedHook {
    DWORD thread;
    int type;
    HOOKPROC procedure;
    HHOOK handle;
};
static WatchedHook watchedHooks[16];
static std::atomic<int> watchedHookCount;
static std::atomic<int> recordedEvents;
static std::atomic<bool> recorderStallDue;

static bool IsRecordingHook(HOOKPROC procedure) {
    return procedure == Win32RecordKeyboardHook || procedure == Win32RecordMouseHook;
}

static bool IsCancelWatcherHook(HOOKPROC procedure) {
    return procedure == Win32CancelKeyHook || procedure == Win32CancelMouseHook;
}

static const WatchedHook* FindWatched(DWORD thread, int type) {
    for (int i = watchedHookCount.load() - 1; i >= 0; i--) {
        if (watchedHooks[i].thread == thread && watchedHooks[i].type == type)
            return &watchedHooks[i];
    }
    return nullptr;
}

static void DropRecordingHooks(DWORD thread) {
    for (int i = 0; i < watchedHookCount.load(); i++) {
        if (watchedHooks[i].thread == thread)
            UnhookWindowsHookEx(watchedHooks[i].handle);
    }
}

static LRESULT ForwardWatched(int type, int code, WPARAM wParam, LPARAM lParam,
                              ULONG_PTR extraInfo) {
    DWORD thread = GetCurrentThreadId();
    const WatchedHook* hook = FindWatched(thread, type);
    bool counts = hook != nullptr && code == HC_ACTION && extraInfo != Win32InjectionTag;
    int event = counts ? ++recordedEvents : 0;
    if (event != 0 && event == controls.stallRecorderAt)
        recorderStallDue = true;
    LRESULT result = hook != nullptr ? hook->procedure(code, wParam, lParam)
                                     : CallNextHookEx(nullptr, code, wParam, lParam);
    if (event != 0 && event == controls.dropRecordHooksAt)
        DropRecordingHooks(thread);
    return result;
}

static LRESULT CALLBACK WatchedKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    return ForwardWatched(WH_KEYBOARD_LL, code, wParam, lParam, key->dwExtraInfo);
}

static LRESULT CALLBACK WatchedMouseHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSLLHOOKSTRUCT* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    return ForwardWatched(WH_MOUSE_LL, code, wParam, lParam, mouse->dwExtraInfo);
}

static HHOOK WINAPI ProbeSetWindowsHookExA(int type, HOOKPROC procedure, HINSTANCE module,
                                           DWORD thread);
PROBE_ROUTE(SetWindowsHookExA, ProbeSetWindowsHookExA);

/* A hook's events come on the thread that installed it, only once the
 * call has returned there, so its entry is complete before it is read. */
static HHOOK WatchRecordingHook(int type, HOOKPROC procedure, HINSTANCE module) {
    const int capacity = (int)(sizeof watchedHooks / sizeof watchedHooks[0]);
    int slot = watchedHookCount.load();
    if (slot == capacity)
        return __real___imp_SetWindowsHookExA(type, procedure, module, 0);
    HOOKPROC watcher = type == WH_KEYBOARD_LL ? WatchedKeyboardHook : WatchedMouseHook;
    HHOOK handle = __real___imp_SetWindowsHookExA(type, watcher, module, 0);
    watchedHooks[slot] = WatchedHook{GetCurrentThreadId(), type, procedure, handle};
    watchedHookCount = slot + 1;
    return handle;
}

/* The watcher's first hooks are removed at once and their handles left
 * to the program, as the system removes hooks without a word. */
static HHOOK DropCancelWatcherHook(int type, HOOKPROC procedure, HINSTANCE module) {
    static std::atomic<bool> keyDropped, mouseDropped;
    std::atomic<bool>& dropped = type == WH_KEYBOARD_LL ? keyDropped : mouseDropped;
    HHOOK handle = __real___imp_SetWindowsHookExA(type, procedure, module, 0);
    if (handle != nullptr && !dropped.exchange(true))
        UnhookWindowsHookEx(handle);
    return handle;
}

static HHOOK WINAPI ProbeSetWindowsHookExA(int type, HOOKPROC procedure, HINSTANCE module,
                                           DWORD thread) {
    bool journal = type == WH_JOURNALRECORD || type == WH_JOURNALPLAYBACK;
    if (journal && HidesWine() && !(type == WH_JOURNALPLAYBACK && controls.tryJournal)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (IsRecordingHook(procedure) &&
        (controls.dropRecordHooksAt != 0 || controls.stallRecorderAt != 0))
        return WatchRecordingHook(type, procedure, module);
    if (IsCancelWatcherHook(procedure) && controls.dropCancelHooks)
        return DropCancelWatcherHook(type, procedure, module);
    return __real___imp_SetWindowsHookExA(type, procedure, module, thread);
}

/* ---- The recording's queue ----
 * The recording's queue may be made smaller, so that a test fills it
 * within seconds: the link routes the queue's start (a function of the
 * program's own, called from the hooks' file) through here. */

#define START_RECORD_QUEUE _Z16StartRecordQueueP11RecordQueueP16RecordQueueEntryj
#define PROBE_NAME(prefix, name) PROBE_NAME_JOINED(prefix, name)
#define PROBE_NAME_JOINED(prefix, name) prefix##name
extern "C" void PROBE_NAME(__real_, START_RECORD_QUEUE)(RecordQueue* queue,
                                                        RecordQueueEntry* entries,
                                                        uint32_t capacity);
extern "C" void PROBE_NAME(__wrap_, START_RECORD_QUEUE)(RecordQueue* queue,
                                                        RecordQueueEntry* entries,
                                                        uint32_t capacity) {
    uint32_t asked = controls.recordQueueSize > 0 ? (uint32_t)controls.recordQueueSize : 0;
    PROBE_NAME(__real_, START_RECORD_QUEUE)
    (queue, entries, asked > 0 && asked < capacity ? asked : capacity);
}

/* ---- Windows and dialogs being made ---- */

static HWND WINAPI ProbeCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style,
                                        int x, int y, int width, int height, HWND parent,
                                        HMENU menu, HINSTANCE instance, LPVOID parameter);
PROBE_ROUTE(CreateWindowExA, ProbeCreateWindowExA);

/* A top-level window with a menu, the main window, writes it at once. */
static HWND WINAPI ProbeCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style,
                                        int x, int y, int width, int height, HWND parent,
                                        HMENU menu, HINSTANCE instance, LPVOID parameter) {
    HWND window = __real___imp_CreateWindowExA(exStyle, className, title, style, x, y, width,
                                               height, parent, menu, instance, parameter);
    if (window != nullptr && (style & WS_CHILD) == 0)
        WriteMenu(window);
    return window;
}

static HWND WINAPI ProbeCreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                           DLGPROC procedure, LPARAM parameter);
PROBE_ROUTE(CreateDialogParamA, ProbeCreateDialogParamA);

static HWND WINAPI ProbeCreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                           DLGPROC procedure, LPARAM parameter) {
    int depth = BeginDialog(templateName, parameter);
    HWND dialog =
        __real___imp_CreateDialogParamA(instance, templateName, parent, procedure, parameter);
    EndDialogInMaking(depth);
    return dialog;
}

static INT_PTR WINAPI ProbeDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                           DLGPROC procedure, LPARAM parameter);
PROBE_ROUTE(DialogBoxParamA, ProbeDialogBoxParamA);

static INT_PTR WINAPI ProbeDialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                           DLGPROC procedure, LPARAM parameter) {
    int depth = BeginDialog(templateName, parameter);
    INT_PTR result =
        __real___imp_DialogBoxParamA(instance, templateName, owner, procedure, parameter);
    EndDialogInMaking(depth);
    return result;
}

/* ---- The user-interface thread's hooks ---- */

/* Messages sent to a window. */
static LRESULT CALLBACK ProbeCallWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION)
        NoteMessage(message->hwnd, message->message, message->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Sent messages once the window has answered them. */
static LRESULT CALLBACK ProbeCallWindowProcReturn(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG)
        NoteDialogSetUp(message->hwnd, message->lParam);
    else if (code == HC_ACTION && message->message == WM_NOTIFY)
        NoteTooltip(message->hwnd, message->lParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Posted messages as the thread takes them. The stall a test asked for
 * comes before the thread goes on with what it took. */
static LRESULT CALLBACK ProbeGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        NoteMessage(message->hwnd, message->message, message->wParam);
        if (recorderStallDue.exchange(false))
            Sleep((DWORD)controls.stallRecorderMs);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

/* Runs before WinMain, on the thread that runs it. */
__attribute__((constructor)) static void StartProbe(void) {
    const char* path = ProbePath();
    if (path == nullptr)
        return;
    ReadControlLines(path);
    DWORD thread = GetCurrentThreadId();
    SetWindowsHookExA(WH_CALLWNDPROC, ProbeCallWindowProc, nullptr, thread);
    SetWindowsHookExA(WH_CALLWNDPROCRET, ProbeCallWindowProcReturn, nullptr, thread);
    SetWindowsHookExA(WH_GETMESSAGE, ProbeGetMessage, nullptr, thread);
}

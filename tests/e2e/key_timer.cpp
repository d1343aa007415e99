/*
 * key_timer.exe: a test-only window that notes when each key press and
 * release, and each left-button press and release, reaches it, on the
 * high-resolution clock, so the timing of a playback can be measured where
 * it lands; or, as a reader of raw keyboard input, which keys and
 * characters reach it.
 *
 *   key_timer OUTPUT_FILE COUNT [TIMEOUT_MS [BUSY_MS|chars[:BUSY_MS]|raw [hosted]]]
 *
 * Shows a window titled "Mirlow Key Timer". Timing: after COUNT such
 * messages (or the timeout) writes one arrival time per line, in
 * microseconds, and exits. With BUSY_MS it stands in for a program that is
 * slow to take its input: it sleeps that long on every key message, without
 * fetching messages. chars: the same for COUNT characters (a character
 * typed with Shift is one, though it takes four key messages), busy for
 * BUSY_MS on every key message where given, but answering the messages
 * other programs send it meanwhile. raw:
 * registers for raw keyboard input (as games and remote consoles read keys)
 * and writes "K vk" for each key press the raw input reports (vk 00 for
 * Unicode input, which carries no key) and "C unit" for each character the
 * window gets, in hex, in order; ends after COUNT characters or the timeout.
 * hosted: stands in for a program drawn inside another's frame (as a Store
 * app is): the titled window is a frame whose thread is never busy, and
 * the input goes to a child window of a second thread, which keeps the
 * keyboard focus.
 */
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static const int MaxKeys = 100000;
static long long arrivals[MaxKeys];
static int arrivalCount;
static int wanted;
static DWORD busyMs;
static LARGE_INTEGER frequency;

static bool rawMode;
static bool charMode;
static char rawLines[MaxKeys][8];
static int rawLineCount;
static int charactersSeen;
static DWORD mainThread;
static HWND frame;
static HWND hostedChild;

/* Ends the program from whichever thread took the last input. */
static void Finish(void) {
    PostQuitMessage(0);
    if (GetCurrentThreadId() != mainThread)
        PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
}

static long long NowMicroseconds(void) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

static void NoteRawKey(LPARAM handle) {
    RAWINPUT input;
    UINT size = sizeof input;
    if (GetRawInputData((HRAWINPUT)handle, RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER)) ==
            (UINT)-1 ||
        input.header.dwType != RIM_TYPEKEYBOARD || (input.data.keyboard.Flags & RI_KEY_BREAK))
        return;
    if (rawLineCount < MaxKeys)
        snprintf(rawLines[rawLineCount++], sizeof rawLines[0], "K %02X",
                 input.data.keyboard.VKey & 0xFF);
}

static bool NoteRaw(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INPUT) {
        NoteRawKey(lParam);
        return false; /* the system cleans up after the default handling */
    }
    if (message != WM_CHAR)
        return false;
    if (rawLineCount < MaxKeys)
        snprintf(rawLines[rawLineCount++], sizeof rawLines[0], "C %04X", (unsigned)wParam);
    if (++charactersSeen >= wanted)
        Finish();
    return true;
}

/* Busy for busyMs on a key message: asleep, without fetching messages;
 * or, in chars mode, answering the messages other programs send meanwhile
 * (as a program stays responsive during a long task) without taking input. */
static void BeBusy(void) {
    if (!charMode) {
        Sleep(busyMs);
        return;
    }
    long long end = NowMicroseconds() + busyMs * 1000LL;
    while (NowMicroseconds() < end) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        Sleep(1);
    }
}

static LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (rawMode && NoteRaw(message, wParam, lParam))
        return 0;
    bool keyMessage = message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
                      message == WM_SYSKEYUP;
    bool key = charMode ? message == WM_CHAR : keyMessage;
    bool button = !charMode && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP);
    bool noted = !rawMode && (key || button) && arrivalCount < MaxKeys;
    if (noted) {
        arrivals[arrivalCount++] = NowMicroseconds();
        if (arrivalCount >= wanted)
            Finish();
    }
    if (keyMessage && busyMs > 0)
        BeBusy();
    if (noted)
        return 0;
    if (message == WM_TIMER || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

/* The frame hands the focus on to the hosted window, as a frame does. */
static LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS && hostedChild != nullptr) {
        SetFocus(hostedChild);
        return 0;
    }
    if (message == WM_TIMER || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

/* A child of another thread's window shares that thread's input state, so
 * it may hold the focus while the frame is the foreground window. */
static DWORD WINAPI HostedThread(LPVOID ready) {
    hostedChild = CreateWindowW(L"MirlowKeyTimer", L"", WS_CHILD | WS_VISIBLE, 0, 0, 280, 80, frame,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    SetFocus(hostedChild);
    SetEvent((HANDLE)ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

static void HostInFrame(HWND window) {
    frame = window;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, HostedThread, ready, 0, nullptr);
    /* Making a child of this thread's window sends to this thread, which
     * must answer meanwhile; a frame that does not answer would also be
     * taken, rightly, for a hung program. */
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 5000 &&
           MsgWaitForMultipleObjects(1, &ready, FALSE, 5000, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

static bool WriteOutput(const char* path) {
    FILE* output = fopen(path, "w");
    if (output == nullptr)
        return false;
    for (int i = 0; rawMode && i < rawLineCount; i++)
        fprintf(output, "%s\n", rawLines[i]);
    for (int i = 0; !rawMode && i < arrivalCount; i++)
        fprintf(output, "%lld\n", arrivals[i] - arrivals[0]);
    fclose(output);
    return true;
}

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    wanted = atoi(argv[2]);
    int timeout = argc > 3 ? atoi(argv[3]) : 60000;
    const char* mode = argc > 4 ? argv[4] : "";
    rawMode = strcmp(mode, "raw") == 0;
    charMode = strncmp(mode, "chars", 5) == 0;
    if (charMode)
        busyMs = mode[5] == ':' ? (DWORD)atoi(mode + 6) : 0;
    else if (!rawMode)
        busyMs = (DWORD)atoi(mode);
    bool hosted = argc > 5 && strcmp(argv[5], "hosted") == 0;
    mainThread = GetCurrentThreadId();
    QueryPerformanceFrequency(&frequency);
    timeBeginPeriod(1);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = TimerWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MirlowKeyTimer";
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = FrameWindowProc;
    windowClass.lpszClassName = L"MirlowKeyTimerFrame";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(hosted ? L"MirlowKeyTimerFrame" : L"MirlowKeyTimer",
                                L"Mirlow Key Timer", WS_OVERLAPPEDWINDOW, 200, 200, 300, 120,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (rawMode) {
        RAWINPUTDEVICE keyboard = {1, 6, RIDEV_INPUTSINK, window};
        if (!RegisterRawInputDevices(&keyboard, 1, sizeof keyboard))
            return 3;
    }
    if (hosted)
        HostInFrame(window);
    ShowWindow(window, SW_SHOW);
    SetTimer(window, 1, (UINT)timeout, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!WriteOutput(argv[1]))
        return 1;
    return (rawMode ? charactersSeen : arrivalCount) >= wanted ? 0 : 1;
}

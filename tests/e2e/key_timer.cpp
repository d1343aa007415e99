/*
 * key_timer.exe: a test-only window that notes when each key press and
 * release, and each left-button press and release, reaches it, on the
 * high-resolution clock, so the timing of a playback can be measured where
 * it lands.
 *
 *   key_timer OUTPUT_FILE COUNT [TIMEOUT_MS [BUSY_MS]]
 *
 * Shows a window titled "Mirlow Key Timer"; after COUNT such messages (or
 * the timeout) writes one arrival time per line, in microseconds, and exits.
 * With BUSY_MS it stands in for a program that is slow to take its input:
 * it sleeps that long on every key message, without fetching messages.
 */
#include <windows.h>

#include <cstdio>
#include <cstdlib>

static const int MaxKeys = 100000;
static long long arrivals[MaxKeys];
static int arrivalCount;
static int wanted;
static DWORD busyMs;
static LARGE_INTEGER frequency;

static long long NowMicroseconds(void) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

static LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool key = message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
               message == WM_SYSKEYUP;
    bool button = message == WM_LBUTTONDOWN || message == WM_LBUTTONUP;
    if ((key || button) && arrivalCount < MaxKeys) {
        arrivals[arrivalCount++] = NowMicroseconds();
        if (arrivalCount >= wanted)
            PostQuitMessage(0);
        if (key && busyMs > 0)
            Sleep(busyMs);
        return 0;
    }
    if (message == WM_TIMER || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    wanted = atoi(argv[2]);
    int timeout = argc > 3 ? atoi(argv[3]) : 60000;
    busyMs = argc > 4 ? (DWORD)atoi(argv[4]) : 0;
    QueryPerformanceFrequency(&frequency);
    timeBeginPeriod(1);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TimerWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MirlowKeyTimer";
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("MirlowKeyTimer", "Mirlow Key Timer", WS_OVERLAPPEDWINDOW, 200, 200,
                                300, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetTimer(window, 1, (UINT)timeout, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    FILE* output = fopen(argv[1], "w");
    if (output == nullptr)
        return 1;
    for (int i = 0; i < arrivalCount; i++)
        fprintf(output, "%lld\n", arrivals[i] - arrivals[0]);
    fclose(output);
    return arrivalCount >= wanted ? 0 : 1;
}

/*
 * no_probe_win32.cpp: the released program's side of the test probe, which
 * is nothing. The program the Wine tests run links probe_win32.cpp, which
 * reports to a probe file and takes control lines from it; mirlow.exe as
 * it is shipped links this file instead, so it reads no probe file and no
 * control line, whatever the environment says. Each function does what
 * the probe does when no probe file is named: it writes nothing, refuses
 * and stalls no input, takes no hooks away, shrinks no queue, never asks
 * for the system's journal on Wine and never says whether Caps Lock is on.
 */
#include <windows.h>

#include "platform/win32/win32_internal.h"

void Win32ProbeWindowCreated(HWND) {}

void Win32ProbeMessage(HWND, UINT, WPARAM) {}

void Win32ProbeDialogReady(HWND, int) {}

void Win32ProbeTooltip(int, const char*) {}

bool Win32ProbeBeforeInput(void) {
    return false;
}

bool Win32ProbeTriesJournal(void) {
    return false;
}

bool Win32ProbeDropsRecordHooks(int) {
    return false;
}

void Win32ProbeBeforeRecordInput(int) {}

bool Win32ProbeDropsCancelHooks(void) {
    return false;
}

int Win32ProbeRecordQueueSize(void) {
    return 0;
}

bool Win32ProbeCapsLock(bool*) {
    return false;
}

/*
 * win32_internal.h: what the files of the Windows platform share.
 */
#ifndef MIRLOW_WIN32_INTERNAL_H
#define MIRLOW_WIN32_INTERNAL_H

#include <windows.h>

void Win32SetInstance(HINSTANCE instance);
HINSTANCE Win32Instance(void);

/* The test probe: when the environment names a probe file, the program
 * writes its main menu there once the window exists (and again when a
 * test sends the registered message "MirlowProbeWriteMenu") and appends
 * every command that reaches a window, so tests under Wine can see what
 * cross-process calls cannot show them. Without the variable both do
 * nothing. */
void Win32ProbeWindowCreated(HWND window);
void Win32ProbeMessage(HWND window, UINT message, WPARAM wParam);
/* Once a dialog's controls are set up, the probe notes the dialog, its DPI
 * and every control whose text does not fit its place (measured with the
 * control's own font), so tests can check each scale for clipped text. */
void Win32ProbeDialogReady(HWND dialog, int templateId);
/* Notes a tooltip answered for a toolbar button (text null: none). */
void Win32ProbeTooltip(int commandId, const char* text);

/* While an emulated playback hook is installed, drives it until a message
 * arrives, which it returns in msg (true). False when no emulated hook is
 * installed: the caller then waits for messages as usual. */
bool Win32DriveEmulatedJournal(MSG* msg);

/* Every input event the program injects carries this value as its extra
 * information (dwExtraInfo), so the program's own low-level hooks can tell
 * its own input from everything else, including other programs' injected
 * input (on-screen keyboards, remote-control tools), which counts as the
 * user's. */
const ULONG_PTR Win32InjectionTag = 0x4D524C57; /* "MRLW" */

/* Hands a played record to the system as keyboard or mouse input. */
struct EventRecord;
void Win32SendRecord(const EventRecord* record);

/* True when the program runs under Wine (ntdll names its version). */
bool Win32RunningUnderWine(void);

#endif

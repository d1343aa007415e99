/*
 * win32_internal.h: what the files of the Windows platform share.
 */
#ifndef MIRLOW_WIN32_INTERNAL_H
#define MIRLOW_WIN32_INTERNAL_H

#include <windows.h>

#include "model/model.h"
#include "platform/journal_driver.h"

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

/* Hands a played record to the system as keyboard or mouse input and
 * waits until the target has taken it (input_win32.cpp). */
InputDelivery Win32DeliverRecord(const EventRecord* record);

/* The Ctrl+Esc watcher of an injected playback, on a thread of its own
 * (cancel_watcher_win32.cpp). Start fails when its hook cannot be
 * installed. Win32CancelRequested is true once the user pressed the keys
 * (consume clears it); Win32CancelEvent is signalled then, for waits. */
bool Win32StartCancelWatcher(void);
void Win32StopCancelWatcher(void);
bool Win32CancelRequested(bool consume);
HANDLE Win32CancelEvent(void);

/* Asks the system not to slow the program's timers (system_win32.cpp). */
void Win32OptOutOfTimerThrottling(void);

/* The test probe's say over injected input, asked before each record is
 * sent: it may hold the playback thread up for a while, as a slow call
 * would, and returns true when the system is to be taken as refusing the
 * record. Without a probe file it does neither. */
bool Win32ProbeBeforeInput(void);
/* True when the test probe asks for the system's journal to be tried even
 * under Wine, which accepts it and never calls it, so that the giving up on
 * a silent journal can be seen there. */
bool Win32ProbeTriesJournal(void);
/* True, with the state in *on, when the test probe says whether Caps Lock
 * is on: what Wine does not tell a program without the keyboard focus. */
bool Win32ProbeCapsLock(bool* on);

/* True when the program runs under Wine (ntdll names its version). */
bool Win32RunningUnderWine(void);

#endif

/*
 * win32_internal.h: what the files of the Windows platform share.
 */
#ifndef MIRLOW_WIN32_INTERNAL_H
#define MIRLOW_WIN32_INTERNAL_H

#include <windows.h>

#include "platform/platform.h"
#include "platform/journal_driver.h"
#include "platform/record_queue.h"

void Win32SetInstance(HINSTANCE instance);
HINSTANCE Win32Instance(void);

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

/* Hands a played record to the system as keyboard or mouse input; a
 * mouse move may be held back to merge with the moves after it, and
 * whatever follows moves waits until they were taken (input_win32.cpp). */
InputDelivery Win32DeliverRecord(const EventRecord* record);
/* The thread that takes the played input (target_thread_win32.cpp).
 * Each input sent, but a mouse move, is noted with the window it goes to;
 * a check then watches for that window's thread to have taken all input
 * sent since the check before (journal_driver.h); Win32AwaitTaken makes
 * one check and waits for it, at most limit ms or until the cancel keys.
 * Caps Lock and whether an input method composes the keys are asked of
 * the thread of the window given while it has taken all sent to it, and
 * kept until the next check; false where Caps Lock cannot be told. */
void Win32NoteInputSent(HWND target, int inputs);
/* A new playback: nothing sent, nothing asked. */
void Win32ForgetTakenChecks(void);
void Win32StartTakenCheck(void);
TakenState Win32PollTakenCheck(WindowHandle* window);
void Win32AwaitTaken(DWORD limit);
bool Win32ThreadCapsLock(HWND window, bool* on);
bool Win32ThreadInputMethodComposes(HWND window, HKL layout);

/* Sends the input held back, if any (a move, typed text gathered to go
 * in one call): the playback is about to wait, to look at the target or
 * to hand the program a message, so nothing else follows it at once. A
 * refusal is reported with the next record. Dropped instead when the
 * cancel keys end the playback. */
void Win32FlushHeldInput(void);
void Win32DropGatheredInput(void);
/* Sends the move held back and waits until the window under the moves
 * has taken them; then forgets a held move the system refused, which no
 * later record will report: the pass is over. */
void Win32EndMoves(void);

/* The Ctrl+Esc watcher of an injected playback, on a thread of its own
 * (cancel_watcher_win32.cpp). Start fails when its hook cannot be
 * installed. Win32CancelRequested is true once the user pressed the keys
 * (consume clears it); Win32CancelEvent is signalled then, for waits. */
bool Win32StartCancelWatcher(void);
void Win32StopCancelWatcher(void);
bool Win32CancelRequested(bool consume);
HANDLE Win32CancelEvent(void);
/* The user holds a modifier, as the watcher's hook saw it (false while no
 * watcher runs). */
bool Win32UserHoldsModifier(void);

/* Converts a wide text into the ANSI code page only where every character
 * has its own there: never with a look-alike put in (a best fit), which
 * would make a file name name another file. Where a character is missing
 * ansi holds the text with "?" for it; where it does not fit, as much as
 * fits (text_win32.cpp). */
enum Win32AnsiConversion { Win32AnsiExact, Win32AnsiNotInCodePage, Win32AnsiTooLong };
Win32AnsiConversion Win32WideToAnsi(const wchar_t* wide, char* ansi, int size);

/* The system's own words for an error, with its number: "Access is
 * denied. (error 5)" (system_win32.cpp). */
void Win32ErrorText(DWORD error, char* text, int size);

/* The window with the keyboard focus, where keys go: the focus of the
 * foreground thread's input state, else its active window, else the
 * foreground window (foreground_win32.cpp). Any thread may ask. */
HWND Win32FocusWindow(void);

/* The visible windows an enumeration (EnumWindows, EnumChildWindows) hands
 * over, in its order, until the room runs out (window_notes_win32.cpp):
 * pass a Win32VisibleList as the enumeration's parameter. */
struct Win32VisibleList {
    WindowHandle* windows;
    int capacity;
    int count;
};
BOOL CALLBACK Win32CollectVisible(HWND window, LPARAM list);

/* The program a command line starts, looked for as CreateProcess looks
 * for it but never in the current folder (start_win32.cpp): found, with
 * its full path in program (MAX_PATH characters); a name with a path, to
 * be used as written; or none. */
enum Win32ProgramLookup { Win32ProgramFound, Win32ProgramAsWritten, Win32ProgramNotFound };
Win32ProgramLookup Win32ProgramToStart(const wchar_t* commandLine, wchar_t* program);

/* Asks the system not to slow the program's timers (system_win32.cpp);
 * true when it agreed. */
bool Win32OptOutOfTimerThrottling(void);

/* ---- Recording through low-level hooks (record_hooks_win32.cpp) ----
 * The hooks run on a thread of their own and queue each event, and a
 * regular check, with the desktop as it was; the user-interface thread
 * takes them out in order. Start returns once the hooks are in place (the
 * reader is woken by posting message to window); stop ends the thread and
 * keeps what it queued; restart installs the hooks again. */
bool Win32StartRecordHooks(HWND window, UINT message);
void Win32StopRecordHooks(void);
bool Win32RestartRecordHooks(void);
bool Win32TakeRecordInput(RecordQueueEntry* input);

/* The low-level hook procedures, by what they serve: the recording's pair
 * (record_hooks_win32.cpp) and the Ctrl+Esc watcher's pair
 * (cancel_watcher_win32.cpp), which watches the mouse only to learn that
 * the system still calls it. Each runs on the thread that installed it. */
LRESULT CALLBACK Win32RecordKeyboardHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32RecordMouseHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32CancelKeyHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK Win32CancelMouseHook(int code, WPARAM wParam, LPARAM lParam);

/* The cancel notice, from any thread, to the window that takes it
 * (cancel_notice_win32.cpp); to the thread given when there is none. */
void Win32PostCancelNotice(DWORD fallbackThread);

/* The input goes to the desktop this program runs on: false on a locked
 * or switched session, or while a secure desktop (sign-in, elevation
 * prompt) has the input (input_win32.cpp). Any thread may ask. */
bool Win32InputDesktopIsOurs(void);

/* The clock the playback waits on: microseconds on the high-resolution
 * counter, whose milliseconds are those of PlatformTickCount. */
int64_t Win32ClockMicroseconds(void);

/* True when the program runs under Wine (ntdll names its version). */
bool Win32RunningUnderWine(void);

#endif

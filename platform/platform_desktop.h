/*
 * platform_desktop.h: other programs: their windows (found, told apart,
 * brought to the front), their processes (started, waited for) and the
 * desktop they share with this one. Part of the one platform seam;
 * included through platform/platform.h.
 */
#ifndef MIRLOW_PLATFORM_DESKTOP_H
#define MIRLOW_PLATFORM_DESKTOP_H

#ifndef MIRLOW_PLATFORM_H
#error "include platform/platform.h, which includes this"
#endif

/* ---- Windows of other programs ---- */
bool PlatformIsWindowMinimized(WindowHandle window);
/* Shows another program's window in showState (ShowShow, ShowRestore),
 * puts it on top and asks the system to make it the foreground window,
 * all by the asynchronous forms: nothing here waits for the window's
 * thread, so a program that has stopped answering cannot hold this one. */
void PlatformActivateWindow(WindowHandle window, int showState);
/* The window's outer rectangle on the screen. For a minimized window, the
 * one it takes when it is restored; false when the system does not say
 * (never the place of the minimized window). */
bool PlatformGetWindowRect(WindowHandle window, ScreenRect* rect);

/* ---- Processes ---- */
struct PlatformProcessTag;
typedef PlatformProcessTag* ProcessHandle;
enum ProcessWait { ProcessStillRunning, ProcessEnded, ProcessWaitFailed };
/* Starts a program from a command line as the system would look it up;
 * null when it cannot be started. */
ProcessHandle PlatformStartProcess(const char* commandLine);
ProcessWait PlatformWaitForProcess(ProcessHandle process, int milliseconds);
void PlatformCloseProcess(ProcessHandle process);

/* ---- Playback: the foreground window ----
 * The system does not let every program bring a window to the front (a
 * scheduled run, or after the user clicked elsewhere): it may only flash
 * the window's taskbar button. */
/* A visible top-level window, not cloaked, whose title is title, letter
 * case aside; null when there is none. Hidden windows are never found:
 * showing one would show what its program keeps out of sight. */
WindowHandle PlatformFindGotoWindow(const char* title);
/* Whether the window's thread takes its messages: false at once for a
 * window the system counts as hung (it has taken none for seconds),
 * otherwise once it has answered or milliseconds have passed without an
 * answer. Messages sent to this thread are handled meanwhile. A window
 * that does not answer must not be asked anything that waits for it. */
bool PlatformWindowAnswers(WindowHandle window, int milliseconds);
/* Waits up to milliseconds for the window, or a window it owns, to be the
 * foreground window; true once it is. */
bool PlatformWaitForForeground(WindowHandle window, int milliseconds);
/* Brings the window to the front by the further means the system allows
 * a program that is not in the foreground: sharing the input state of the
 * foreground window's thread, which is never done with a thread that does
 * not answer. */
void PlatformForceForeground(WindowHandle window);
/* The window that takes keyboard input now, or null. */
WindowHandle PlatformForegroundWindow(void);
/* True once the user has pressed the system's cancel keys during a
 * playback the platform plays itself, until the playback has ended: the
 * waits above (for an answer, for the foreground) end at once then, and
 * whatever waited stops without a word of its own, as the cancel notice
 * that follows ends the playback. */
bool PlatformCancelKeysPressed(void);

/* ---- Windows of other programs: which window input was meant for ----
 * What a recording notes of the window a click or a key went to, and what
 * playback looks for before it sends them: the top-level window, its
 * title, window class and the file name of its program. */
enum WindowTextKind {
    WindowTitleText,
    WindowClassText,
    WindowProgramText, /* the program file's name without its folder */
};
/* The top-level window that input to window belongs to: the window at
 * the root of its parents. A pop-up that never takes the keyboard (a
 * menu, a drop-down list, a tooltip) stands for the window that has it.
 * Null for none, for the desktop itself, and for a window that is gone. */
WindowHandle PlatformTopLevelWindowOf(WindowHandle window);
/* Copies the text into buffer (size bytes, always terminated) and
 * returns its length; -1 when the window is gone or the text cannot be
 * had (the program of a window of another user). */
int PlatformGetWindowText(WindowHandle window, WindowTextKind kind, char* buffer, int size);
/* True for a window that exists and is visible (minimised counts). */
bool PlatformIsWindowShown(WindowHandle window);
/* The visible top-level windows, the topmost first, at most capacity of
 * them; returns how many. */
int PlatformListShownWindows(WindowHandle* windows, int capacity);
/* Turns text into capitals in place, as the system compares window
 * titles, class names and file names without regard to case. */
void PlatformUpperCase(char* text);

/* ---- Windows of other programs: their scale, their place, their controls ----
 * What a recording notes besides the window, so that a replay on another
 * display scale or with the window at another size still lands on the
 * same spot: the scale the window is shown at, the monitor it is on, and
 * the child window (the control) a click went to. Everything here reads
 * what the system keeps; nothing sends the window a message. */
/* The dots per inch the window is shown at in the screen's pixels (96 is
 * 100 %): for a window that scales itself per monitor its own DPI; for
 * one the system scales (made for one scale, or for the system's), the
 * DPI of its monitor, which the system scales it to; where the system
 * knows no scale per monitor, the system's DPI. 0 for a window that is
 * gone. */
int PlatformShownDpi(WindowHandle window);
/* The rectangle of the monitor that holds the window (most of it, or the
 * nearest one); false for a window that is gone. */
bool PlatformGetWindowMonitor(WindowHandle window, ScreenRect* monitor);
/* True for a window the system keeps visible but does not show: on
 * another virtual desktop, the frame of a suspended Store app. False
 * where the system cloaks nothing. */
bool PlatformIsWindowCloaked(WindowHandle window);
/* The window's visible child windows, and their children after each, in
 * the order the system lists them, at most capacity of them; returns how
 * many. */
int PlatformListControls(WindowHandle window, WindowHandle* controls, int capacity);
/* A child window's control ID; 0 for one without. */
int PlatformControlId(WindowHandle control);
/* False for a window (or control) that takes no input now: disabled. */
bool PlatformIsWindowEnabled(WindowHandle window);

/* ---- Playback: starting programs ----
 * Why the last PlatformStartProcess failed, in the system's own words
 * (text, size bytes, always terminated). Ask at once, before any other
 * platform call. */
enum StartFailure {
    StartFailedOther,
    StartFailedNeedsElevation, /* the program asks for higher rights */
};
StartFailure PlatformLastStartFailure(char* text, int size);
/* Whether a started program waits for input (WaitForInputIdle with no
 * wait): ready, still starting, or one that never will (a console
 * program, one that has ended, or a failed wait). */
enum ProcessReadiness { ProcessReady, ProcessStarting, ProcessTakesNoInput };
ProcessReadiness PlatformProcessReadiness(ProcessHandle process);
/* True when the process shows a top-level window of its own (visible and
 * not cloaked); a program that handed over to another process shows
 * none. */
bool PlatformProcessShowsWindow(ProcessHandle process);

/* ---- Playback: where the program runs ----
 * False where nobody can see the program's desktop (a scheduled task
 * that runs whether the user is signed in or not): a message box there
 * would wait for ever. */
bool PlatformDesktopVisible(void);
/* Dots per inch of the primary display (96 is a scale of 100%). */
int PlatformDisplayDpi(void);
/* The system timer's resolution in effect, in microseconds; -1 when the
 * system does not say. */
int PlatformTimerResolution(void);

#endif

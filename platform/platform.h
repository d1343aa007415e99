/*
 * platform.h: everything the program asks of the operating system.
 *
 * The rest of the program never includes a system header. It reaches the
 * desktop through these plain functions, in its own vocabulary. There are
 * two implementations, chosen when the program is linked:
 *
 *   platform/win32/  the real Windows calls (mirlow.exe);
 *   platform/sim/    a simulated desktop for the native build: a virtual
 *                    clock, a table of windows, a message queue, message
 *                    boxes answered from a queue. Tests steer it through
 *                    platform/sim/sim_control.h.
 *
 * Numbers that the system itself defines (window messages, message-box
 * styles, virtual keys, window styles) keep the system's values, so that
 * recordings, which store raw message numbers, mean the same thing on
 * both sides and no translation is needed at the seam.
 *
 * Each function does one platform call's worth of work. Rules (which
 * message, which order, what is logged) belong to the callers.
 */
#ifndef MIRLOW_PLATFORM_H
#define MIRLOW_PLATFORM_H

#include <cstddef>
#include <cstdint>

/* Opaque handles. A null handle means "none". */
struct PlatformWindowTag;
typedef PlatformWindowTag* WindowHandle;
struct PlatformHookTag;
typedef PlatformHookTag* HookHandle;
struct PlatformAcceleratorsTag;
typedef PlatformAcceleratorsTag* AcceleratorHandle;

/* ---- Window messages and notification codes (system values) ---- */
enum : uint32_t {
    MsgNull = 0x0000,
    MsgCreate = 0x0001,
    MsgDestroy = 0x0002,
    MsgSize = 0x0005,
    MsgSetFocus = 0x0007,
    MsgPaint = 0x000F,
    MsgClose = 0x0010,
    MsgQuit = 0x0012,
    MsgCancelJournal = 0x004B,
    MsgNotify = 0x004E,
    MsgKeyDown = 0x0100,
    MsgKeyUp = 0x0101,
    MsgChar = 0x0102,
    MsgSysKeyDown = 0x0104,
    MsgSysKeyUp = 0x0105,
    MsgCommand = 0x0111,
    MsgMouseMove = 0x0200,
    MsgLButtonDown = 0x0201,
    MsgLButtonUp = 0x0202,
    MsgLButtonDblClk = 0x0203,
};

/* Tab control: "the selection has changed" notification code. */
const int TabSelectionChanged = -551;

/* ---- Virtual keys used by the program's own rules (system values) ---- */
enum : int {
    KeyControl = 0x11,
    KeyPageUp = 0x21,
    KeyPageDown = 0x22,
};

/* ---- Message-box styles and answers (system values) ---- */
enum : uint32_t {
    BoxOk = 0x0000,
    BoxYesNoCancel = 0x0003,
    BoxYesNo = 0x0004,
    BoxIconError = 0x0010,
    BoxIconQuestion = 0x0020,
    BoxIconWarning = 0x0030,
    BoxIconInformation = 0x0040,
    BoxSystemModal = 0x1000,
    BoxTaskModal = 0x2000,
    BoxTopmost = 0x40000,
};
enum : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

/* ---- Window styles and show states (system values) ---- */
enum : uint32_t {
    StyleCaption = 0x00C00000,
    StyleSystemMenu = 0x00080000,
    StyleMinimizeBox = 0x00020000,
};
enum : int { ShowHide = 0, ShowNormal = 1, ShowMinimize = 6, ShowRestore = 9 };
const int DefaultWindowPosition = (int)0x80000000;

/* ---- Memory ----
 * Buffers are obtained once at start-up. PlatformAllocate returns null on
 * failure; the contents of a new block are undefined (callers zero-fill).
 */
void* PlatformAllocate(size_t bytes);
void PlatformRelease(void* block);

/* ---- Files ----
 * Files are read and written through stdio; only what stdio cannot say
 * comes from here. PlatformFileSize: the size in bytes that the file's
 * directory entry gives, without opening it; 0 when there is no such file
 * or the path names something other than a plain file (a folder, a
 * device), so a caller never opens what it cannot read to an end.
 */
int64_t PlatformFileSize(const char* path);

/* ---- Time ----
 * PlatformTickCount: milliseconds since the system started, wrapping at
 * 2^32 (GetTickCount).
 */
uint32_t PlatformTickCount(void);

/* ---- Message boxes ----
 * Task- or system-modal boxes without an owner window; style is a
 * combination of the Box... values. Returns the Answer... pressed.
 */
int PlatformMessageBox(const char* text, const char* caption, uint32_t style);

/* ---- Windows ----
 * A window procedure gets the window, the message and its two parameters
 * and returns the message's result. Messages it does not handle go to
 * PlatformDefaultWindowProc, which closes a window on MsgClose by
 * destroying it.
 */
typedef intptr_t (*WindowProcedure)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);

struct WindowClassSpec {
    const char* className;
    WindowProcedure procedure;
    int iconId;         /* large icon, and the small one at small-icon size */
    int menuId;         /* 0 for none */
    bool redrawOnSize;  /* redraw on horizontal and vertical size change */
};

/* Registers a top-level window class (arrow cursor, button-face background). */
bool PlatformRegisterWindowClass(const WindowClassSpec* spec);

/* Creates a top-level window; x or y may be DefaultWindowPosition. The
 * window procedure sees MsgCreate before this returns. Null on failure. */
WindowHandle PlatformCreateWindow(const char* className, const char* title, uint32_t style, int x,
                                  int y, int width, int height);
bool PlatformDestroyWindow(WindowHandle window);
intptr_t PlatformDefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam);
bool PlatformSetWindowTitle(WindowHandle window, const char* title);
/* Copies the title into buffer (size bytes, always terminated); returns its length. */
int PlatformGetWindowTitle(WindowHandle window, char* buffer, int size);
void PlatformShowWindow(WindowHandle window, int showState);
void PlatformUpdateWindow(WindowHandle window);
void PlatformMakeTopmost(WindowHandle window);
/* The window's top-left corner in screen coordinates. */
bool PlatformGetWindowPosition(WindowHandle window, int* left, int* top);

/* ---- Menus ----
 * Items of a window's menu bar and its popups, by command identifier. */
void PlatformSetMenuItemEnabled(WindowHandle window, int commandId, bool enabled);
void PlatformSetMenuItemChecked(WindowHandle window, int commandId, bool checked);

/* SM_CXMINIMUM-style metrics the program needs. */
enum SystemMetric {
    MetricMinWindowWidth,
    MetricMinWindowHeight,
    MetricFullScreenWidth,  /* client area of a full-screen window */
    MetricFullScreenHeight,
};
int PlatformSystemMetric(SystemMetric metric);

/* ---- Messages ----
 * PlatformGetMessage waits for the next message of the thread (for any of
 * its windows, or a thread message with a null window). Returns 1 for a
 * message, 0 for the quit message (its exit code in wParam) and -1 when
 * retrieval fails. */
struct PlatformMessage {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    uint32_t time;
    int32_t x, y;
};
int PlatformGetMessage(PlatformMessage* message);
bool PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t PlatformSendMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam);
void PlatformPostQuitMessage(int exitCode);
/* Offers the message to the accelerator table for window; true when it was one. */
bool PlatformTranslateAccelerator(WindowHandle window, AcceleratorHandle table,
                                  PlatformMessage* message);
/* Offers the message to a modeless dialog's keyboard navigation; true when taken. */
bool PlatformIsDialogMessage(WindowHandle dialog, PlatformMessage* message);
/* Translates keys into character messages and hands the message to its window. */
void PlatformTranslateAndDispatch(const PlatformMessage* message);
AcceleratorHandle PlatformLoadAccelerators(int resourceId);
/* True while the key is held down, as of the message being handled. */
bool PlatformIsKeyDown(int virtualKey);

/* ---- Controls ---- */
WindowHandle PlatformGetDialogItem(WindowHandle dialog, int controlId);
int PlatformGetTabSelection(WindowHandle tabControl);
void PlatformSetTabSelection(WindowHandle tabControl, int index);
/* Sends dialog a MsgNotify from control with the given notification code. */
intptr_t PlatformSendNotify(WindowHandle dialog, WindowHandle control, int controlId, int code);

/* ---- Journal hooks ---- */
bool PlatformRemoveJournalHook(HookHandle hook);

#endif

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
 *
 * Two facts that every part of the program shares sit here too, as the
 * system defines them: the longest path and the event record.
 *
 * This file holds the vocabulary every area uses (the event record, the
 * handles, the system's numbers, memory, time, rectangles) and includes
 * the rest of the seam, one header an area, each read on its own:
 *
 *   platform_ui.h       the program's own windows, menus, dialogs, toolbar;
 *   platform_input.h    playing and recording input;
 *   platform_desktop.h  other programs' windows and processes;
 *   platform_storage.h  registry, files, the shell, code-page text.
 *
 * The program includes this file only.
 */
#ifndef MIRLOW_PLATFORM_H
#define MIRLOW_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

/* The longest path the system's file calls accept, without the
 * terminating zero. */
const int MaxPathLength = 259;

/* One input event, laid out as the system's journal record: five
 * little-endian 32-bit fields. Keys carry the virtual key in the low byte of
 * paramL; mouse events carry x in paramL and y in paramH. */
struct EventRecord {
    uint32_t message;
    int32_t paramL;
    int32_t paramH;
    uint32_t time;
    uint32_t hwnd;
};
static_assert(sizeof(EventRecord) == 20, "EventRecord is the 20-byte file and journal record");

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
    MsgQueryEndSession = 0x0011, /* answer nonzero to let the session end */
    MsgQuit = 0x0012,
    MsgEndSession = 0x0016, /* wParam nonzero: the session ends now */
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

/* The other mouse messages a recording meets (system values). */
enum : uint32_t {
    MsgRButtonDown = 0x0204,
    MsgRButtonUp = 0x0205,
    MsgRButtonDblClk = 0x0206,
    MsgMButtonDown = 0x0207,
    MsgMButtonUp = 0x0208,
    MsgMButtonDblClk = 0x0209,
    MsgMouseWheel = 0x020A,
    MsgXButtonDown = 0x020B,
    MsgXButtonUp = 0x020C,
    MsgXButtonDblClk = 0x020D,
    MsgMouseHWheel = 0x020E,
    MsgMouseLast = 0x020E,
};

/* ---- Virtual keys (system values) ----
 * Every key the program or the simulated desktop names, once. Shift, Ctrl
 * and Alt come unsided (as the system reports them to programs) and by
 * side (as hooks and injected input may carry them); the system calls Alt
 * the menu key. Fn is KeyF1 + n - 1, up to F24. */
enum : int {
    KeyBackspace = 0x08,
    KeyTab = 0x09,
    KeyReturn = 0x0D,
    KeyShift = 0x10,
    KeyControl = 0x11,
    KeyAlt = 0x12,
    KeyEscape = 0x1B,
    KeyPageUp = 0x21,
    KeyPageDown = 0x22,
    KeyEnd = 0x23,
    KeyHome = 0x24,
    KeyLeft = 0x25,
    KeyUp = 0x26,
    KeyRight = 0x27,
    KeyDown = 0x28,
    KeyPrintScreen = 0x2C,
    KeyInsert = 0x2D,
    KeyDelete = 0x2E,
    KeyLeftWindows = 0x5B,
    KeyRightWindows = 0x5C,
    KeyApplications = 0x5D,
    KeyAdd = 0x6B,
    KeySubtract = 0x6D,
    KeyDecimal = 0x6E,
    KeyDivide = 0x6F,
    KeyF1 = 0x70,
    KeyNumLock = 0x90,
    KeyLeftShift = 0xA0,
    KeyRightShift = 0xA1,
    KeyLeftControl = 0xA2,
    KeyRightControl = 0xA3,
    KeyLeftAlt = 0xA4,
    KeyRightAlt = 0xA5,
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
enum : int { ShowHide = 0, ShowNormal = 1, ShowShow = 5, ShowMinimize = 6, ShowRestore = 9 };
const int DefaultWindowPosition = (int)0x80000000;

/* A rectangle in screen coordinates (or, where a call says so, in a
 * window's client area). */
struct ScreenRect {
    int left, top, right, bottom;
};

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
/* What the program's random numbers are seeded with: the tick count, which
 * differs from run to run. */
uint32_t PlatformRandomSeed(void);

/* The local date and time, field for field as the system keeps it
 * (GetLocalTime): month 1 to 12, dayOfWeek 0 (Sunday) to 6, hour 0 to 23. */
struct LocalTime {
    int year;
    int month;
    int dayOfWeek;
    int day;
    int hour;
    int minute;
    int second;
    int milliseconds;
};
void PlatformLocalTime(LocalTime* time);

/* Waits the given time without handling messages. */
void PlatformSleep(int milliseconds);

/* ---- System ---- */
struct PlatformVersionInfo {
    long platformId;
    long majorVersion;
    long minorVersion;
    long buildNumber;
};
void PlatformGetVersion(PlatformVersionInfo* version);

/* The rest of the seam, by area. */
#include "platform/platform_ui.h"
#include "platform/platform_input.h"
#include "platform/platform_desktop.h"
#include "platform/platform_storage.h"

#endif

/*
 * platform_ui.h: the program's own user interface: message boxes, its
 * windows and their messages, menus, accelerators, dialogs made from its
 * templates and their controls, fonts, the display scale and the toolbar.
 * Part of the one platform seam; included through platform/platform.h.
 */
#ifndef MIRLOW_PLATFORM_UI_H
#define MIRLOW_PLATFORM_UI_H

#ifndef MIRLOW_PLATFORM_H
#error "include platform/platform.h, which includes this"
#endif

/* ---- Message boxes ----
 * Task- or system-modal boxes without an owner window; style is a
 * combination of the Box... values. Returns the Answer... pressed.
 */
int PlatformMessageBox(const char* text, const char* caption, uint32_t style);
/* The same with the program's own icon resource instead of a system icon. */
int PlatformMessageBoxWithIcon(const char* text, const char* caption, uint32_t style, int iconId);
/* A box as one of the two above (iconId 0: the system icon of the style)
 * that closes itself once milliseconds have passed without an answer, as
 * if its button of that answer had been pressed. *closedItself tells
 * whether it did. Its modal loop goes on as any box's does meanwhile. */
int PlatformTimedMessageBox(const char* text, const char* caption, uint32_t style, int iconId,
                            int milliseconds, int answer, bool* closedItself);

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
    int iconId;        /* large icon, and the small one at small-icon size */
    int menuId;        /* 0 for none */
    bool redrawOnSize; /* redraw on horizontal and vertical size change */
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
/* The window's top-left corner in screen coordinates; for a minimised
 * window, where it stands when restored (never the far-off place the
 * system parks minimised windows at). */
bool PlatformGetWindowPosition(WindowHandle window, int* left, int* top);
/* Gives the window a new outer size, keeping its top-left corner. */
void PlatformSetWindowSize(WindowHandle window, int width, int height);

/* While the window asks its user something before the session may end
 * (sign-out, shutdown), the system shows this reason beside the program's
 * name; null takes it away. */
void PlatformSetShutdownReason(WindowHandle window, const char* reason);

/* ---- Menus ----
 * Items of a window's menu bar and its popups, by command identifier. */
void PlatformSetMenuItemEnabled(WindowHandle window, int commandId, bool enabled);
void PlatformSetMenuItemChecked(WindowHandle window, int commandId, bool checked);
/* Width in pixels of an item of the window's menu bar, counted from 0. */
int PlatformMenuBarItemWidth(WindowHandle window, int index);

/* SM_CXMINIMUM-style metrics the program needs. */
enum SystemMetric {
    MetricMinWindowWidth,
    MetricMinWindowHeight,
    MetricFullScreenWidth, /* client area of a full-screen window */
    MetricFullScreenHeight,
    MetricMenuHeight,    /* one line of menu bar */
    MetricFrameHeight,   /* the sizing frame */
    MetricCaptionHeight, /* the caption bar */
};
int PlatformSystemMetric(SystemMetric metric);

/* Menu items of the window's menu bar and its popups, found by command
 * identifier. A new text item goes directly after the item afterCommandId;
 * false, and nothing inserted, when there is no such item. The text is
 * shown as it is (no mnemonics). */
bool PlatformInsertMenuItemAfter(WindowHandle window, int afterCommandId, int commandId,
                                 const char* text);
/* False when there is no item with that identifier. */
bool PlatformDeleteMenuItem(WindowHandle window, int commandId);

/* ---- Messages ----
 * PlatformGetMessage waits for the next message of the thread (for any of
 * its windows, or a thread message with a null window). Returns 1 for a
 * message, 0 for the quit message (its exit code in wParam) and -1 when
 * retrieval fails. Posted messages come in the order they were posted,
 * the quit message once no other is waiting; a sent one is handled
 * before the send returns. While a message box, a modal dialog or a file
 * dialog is open, the system's modal loop dispatches what is posted to
 * the program's windows, and a thread message is lost. */
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
/* Ends the process at once with exitCode, for when the system may stop it
 * any moment anyway (the end of the session) and would not keep the code. */
void PlatformEndProcess(int exitCode);
/* Offers the message to the accelerator table for window; true when it was
 * one. Its command is then sent to window (1 in the high word of wParam),
 * unless it is a grayed item of the window's menu or the window is
 * minimised. */
bool PlatformTranslateAccelerator(WindowHandle window, AcceleratorHandle table,
                                  PlatformMessage* message);
/* Offers the message to a modeless dialog's keyboard handling; true when
 * it was for the dialog or one of its controls: Tab and Shift+Tab, the
 * arrows within a group, Enter and Escape are handled, anything else is
 * dispatched. */
bool PlatformIsDialogMessage(WindowHandle dialog, PlatformMessage* message);
/* Translates keys into character messages and hands the message to its window. */
void PlatformTranslateAndDispatch(const PlatformMessage* message);
AcceleratorHandle PlatformLoadAccelerators(int resourceId);
/* True while the key is held down, as of the message being handled. */
bool PlatformIsKeyDown(int virtualKey);

/* ---- Hotkeys ----
 * A hotkey is a key chord the system watches for a window whatever
 * program has the focus: a press of the chord's key while exactly its
 * modifiers are held posts MsgHotkey (wParam the hotkey's id) to the
 * window, and the program with the focus never gets that press. Input a
 * program sends (this one's too) counts as pressed. A chord is packed as
 * the system's hotkey control packs it: the virtual key in the low byte,
 * the Chord... modifier bits above it; 0 is no chord. The system refuses
 * a chord it already has for another hotkey, of this program or another
 * one (HotkeyTakenError). */
enum : uint32_t { MsgHotkey = 0x0312 };
enum : int32_t {
    ChordShift = 0x100,
    ChordControl = 0x200,
    ChordAlt = 0x400,
    ChordExtended = 0x800
};
const int32_t ChordModifiers = ChordShift | ChordControl | ChordAlt;
const uint32_t HotkeyTakenError = 1409;
/* 0 when the system took the chord as the window's hotkey id (holding the
 * chord's key down then posts no more than the one message); otherwise
 * the system's error number. */
uint32_t PlatformRegisterHotkey(WindowHandle window, int id, int32_t chord);
void PlatformUnregisterHotkey(WindowHandle window, int id);
/* Hotkey fields: the system's hotkey control, which takes the chord the
 * user presses while it has the focus (telling its dialog with EditChanged
 * at every change, while the chord is still being pressed too; until a key
 * joins them the field holds no chord) and shows it. A chord of one of the
 * refused combinations (HotkeyComb... bits) is taken with modifiers (Chord...
 * bits) instead of its own. */
enum : uint32_t { HotkeyCombNone = 0x01, HotkeyCombShift = 0x02 };
int32_t PlatformGetHotkeyField(WindowHandle dialog, int controlId);
void PlatformSetHotkeyField(WindowHandle dialog, int controlId, int32_t chord);
void PlatformSetHotkeyFieldRules(WindowHandle dialog, int controlId, uint32_t refused,
                                 int32_t modifiers);
/* The window of this program's thread that has the keyboard focus, or null. */
WindowHandle PlatformFocusedWindow(void);

/* ---- Controls ---- */
WindowHandle PlatformGetDialogItem(WindowHandle dialog, int controlId);
int PlatformGetTabSelection(WindowHandle tabControl);
void PlatformSetTabSelection(WindowHandle tabControl, int index);
/* Sends dialog a MsgNotify from control with the given notification code. */
intptr_t PlatformSendNotify(WindowHandle dialog, WindowHandle control, int controlId, int code);

/* ---- Dialog controls ---- */
void PlatformSetDialogItemText(WindowHandle dialog, int controlId, const char* text);

/* ---- Dialogs, their controls, and the display scale ----
 * Dialogs are made from the program's dialog templates (resource ids). A
 * dialog procedure has the form of a window procedure: it gets
 * MsgInitDialog once every control of the template exists. It returns zero
 * for a message it leaves to the platform's default dialog handling
 * (Escape and the caption's close button arrive as the Cancel command);
 * otherwise the message's result, which is nonzero (for MsgInitDialog,
 * nonzero lets the platform give the first control the focus; for
 * MsgCtlColorStatic, the brush from PlatformSetStaticColours). Controls are
 * named by their dialog and control identifier. Positions and sizes are in
 * pixels; x and y of a child are in its parent's client area.
 */
enum : uint32_t {
    MsgSetCursor = 0x0020,
    MsgInitDialog = 0x0110,
    MsgVScroll = 0x0115,
    MsgCtlColorStatic = 0x0138, /* wParam: the device context; lParam: the control */
    MsgDpiChanged = 0x02E0,     /* lParam: the suggested screen rectangle */
};
/* Notification codes in the high word of a MsgCommand's wParam. */
enum : int { ButtonClicked = 0, ListSelectionChanged = 1, EditChanged = 0x0300 };
/* Scroll-bar arrows, in the low word of a MsgVScroll's wParam. */
enum : int { ScrollLineUp = 0, ScrollLineDown = 1 };
enum : int { DialogOk = 1, DialogCancel = 2 }; /* the OK and Cancel command ids */

typedef WindowProcedure DialogProcedure;

/* A modeless dialog as a (hidden) child window of parent; null on failure. */
WindowHandle PlatformCreateChildDialog(WindowHandle parent, int templateId,
                                       DialogProcedure procedure);
/* A modal dialog owned by owner; returns the result given to
 * PlatformEndDialog once it has closed, or -1 when it could not be made. */
int PlatformRunModalDialog(WindowHandle owner, int templateId, DialogProcedure procedure);
void PlatformEndDialog(WindowHandle dialog, int result);

/* Copies at most size - 1 characters of the control's text into buffer
 * (always terminated) and returns the length of the whole text, so a
 * caller can tell a text that did not fit. */
int PlatformGetDialogItemText(WindowHandle dialog, int controlId, char* buffer, int size);
bool PlatformIsButtonChecked(WindowHandle dialog, int controlId);
void PlatformCheckButton(WindowHandle dialog, int controlId, bool checked);
void PlatformEnableDialogItem(WindowHandle dialog, int controlId, bool enabled);
void PlatformShowDialogItem(WindowHandle dialog, int controlId, bool shown);
/* Gives the control the keyboard focus, as the dialog's own navigation would. */
void PlatformFocusDialogItem(WindowHandle dialog, int controlId);
/* A control's rectangle in its dialog's client coordinates. */
bool PlatformGetControlRect(WindowHandle dialog, int controlId, ScreenRect* rect);
/* Makes a control as wide as its text in its own font; its left edge and
 * height stay. */
void PlatformFitControlToText(WindowHandle dialog, int controlId);
/* True when the user changed an edit control's text since the last call
 * (typing, pasting); the program's own writes do not count. Clears the mark. */
bool PlatformTakeEditModified(WindowHandle dialog, int controlId);

/* Drop-down lists: items are added at the end, in call order; a selection
 * of -1 is none. */
void PlatformAddListItem(WindowHandle dialog, int controlId, const char* text);
int PlatformGetListSelection(WindowHandle dialog, int controlId);
void PlatformSetListSelection(WindowHandle dialog, int controlId, int index);

/* Trackbars. */
void PlatformSetTrackbarRange(WindowHandle dialog, int controlId, int minimum, int maximum,
                              int pageSize);
void PlatformSetTrackbarPosition(WindowHandle dialog, int controlId, int position);
int PlatformGetTrackbarPosition(WindowHandle dialog, int controlId);

/* A tab control (visible, clipping its siblings, beneath the dialog's
 * other controls) made at run time; null on failure. */
WindowHandle PlatformCreateTabControl(WindowHandle dialog, int controlId, int x, int y, int width,
                                      int height);
/* Inserts a text item without image at index; false on failure. */
bool PlatformAddTab(WindowHandle tabControl, int index, const char* text);
/* The notification code of a MsgNotify, from its lParam. */
int PlatformNotificationCode(intptr_t lParam);

/* Geometry and focus. */
bool PlatformGetClientSize(WindowHandle window, int* width, int* height);
/* Moves a child window, keeping its size. */
void PlatformMoveChild(WindowHandle child, int x, int y);
void PlatformPlaceChild(WindowHandle child, int x, int y, int width, int height);
void PlatformSetFocus(WindowHandle window);
/* Takes the window out of the topmost band without activating it; keeps
 * its position and size. */
void PlatformMakeNotTopmost(WindowHandle window);
/* Repaints the whole window, background and children included. */
void PlatformRedrawWindow(WindowHandle window);

/* The mouse pointer: where it is, in the window's client coordinates, and
 * a cursor resource of the program to show. */
void PlatformGetPointerPosition(WindowHandle window, int* x, int* y);
void PlatformSetCursorResource(int resourceId);

/* Fonts the program makes itself (the platform scales the templates'); a
 * font is made for one display scale and released by the program. */
struct PlatformFontTag;
typedef PlatformFontTag* FontHandle;
enum FontVariant {
    FontBold,       /* weight 700 */
    FontUnderlined, /* underlined, as links are */
};
/* A copy of the font the window uses now, in that variant; null on failure. */
FontHandle PlatformCreateFontVariant(WindowHandle window, FontVariant variant);
void PlatformSetWindowFont(WindowHandle window, FontHandle font);
/* Gives window the font that source uses. */
void PlatformUseFontOf(WindowHandle window, WindowHandle source);
void PlatformReleaseFont(FontHandle font);
/* Inside the handling of MsgCtlColorStatic (wParam the device context):
 * text in the colour 0x00RRGGBB on a transparent background; returns the
 * hollow brush the procedure answers with. */
intptr_t PlatformSetStaticColours(uintptr_t deviceContext, uint32_t textColour);

/* Copies a string-table entry into buffer (at most size - 1 characters,
 * terminated); returns its length, 0 when there is none. */
int PlatformLoadString(int stringId, char* buffer, int size);

/* The display scale: the window's dots per inch (96 is 100 %), metrics at
 * that scale, and the move to the rectangle the system suggests when the
 * window reaches a monitor of another scale (the lParam of MsgDpiChanged). */
enum ScaledMetric {
    ScaledMenuHeight,
    ScaledFrameHeight,
    ScaledCaptionHeight,
    ScaledEdgeWidth,
    ScaledEdgeHeight,
};
int PlatformWindowDpi(WindowHandle window);
int PlatformScaledMetric(WindowHandle window, ScaledMetric metric);
void PlatformMoveToSuggestedRect(WindowHandle window, intptr_t suggestion);

/* ---- The toolbar ----
 * The toolbar is the system's toolbar control, its buttons named by
 * command identifier (0 for a separator). Images are handed over as rows
 * of 32-bit pixels 0xAARRGGBB, top row first, alpha either 0 (transparent,
 * colour 0) or 255. Sizes are in pixels of the window's own DPI.
 */
struct ToolbarButtonSpec {
    int commandId; /* 0: a separator */
    int image;     /* index into the image list; unused for a separator */
};
/* Creates the toolbar along the top of parent: child, visible, clipping
 * siblings and children, thin border, tooltips, flat, transparent; control
 * identifier 0. Null when it cannot be made. */
WindowHandle PlatformCreateToolbar(WindowHandle parent);
/* Gives the toolbar its images (count images of size x size, side by side
 * in one strip of count * size pixels per row) and the ones it shows for
 * disabled buttons. */
bool PlatformSetToolbarImages(WindowHandle toolbar, const uint32_t* pixels,
                              const uint32_t* disabledPixels, int size, int count);
void PlatformAddToolbarButtons(WindowHandle toolbar, const ToolbarButtonSpec* buttons, int count);
/* The size asked for; the system may make buttons larger (its own padding
 * and frame), never smaller. */
void PlatformSetToolbarButtonSize(WindowHandle toolbar, int width, int height);
void PlatformSetToolbarButtonEnabled(WindowHandle toolbar, int commandId, bool enabled);
/* Lets the toolbar size itself along the top of its parent: as wide as
 * the parent's client area, as high as its buttons need. */
void PlatformFitToolbar(WindowHandle toolbar);
/* The toolbar's height and the width it needs to show every button whole
 * (the right edge of its last one), both with its border. */
void PlatformGetToolbarExtent(WindowHandle toolbar, int* neededWidth, int* height);

/* The pixels of a bitmap resource, converted to 0xFFRRGGBB, top row
 * first; false unless it is exactly width x height. */
bool PlatformLoadBitmapPixels(int resourceId, uint32_t* pixels, int width, int height);

/* A tooltip-text request arriving as the lParam of MsgNotify: true, with
 * the command identifier it asks about, when it is one. Answering clears
 * the request's resource-instance field and, when text is not null,
 * copies it into the request's text field (80 characters with the
 * terminator, cut to fit). */
bool PlatformReadTooltipRequest(intptr_t notification, int* commandId);
void PlatformAnswerTooltipRequest(intptr_t notification, const char* text);

#endif

/*
 * toolbar.cpp: the main window's toolbar, its tooltips and the enabled
 * state of its buttons.
 *
 * Eleven positions: eight buttons and three separators. The pictures come
 * from one strip of 16 x 16 images (resource 1020), drawn for 96 DPI; at
 * any other scale they are redrawn at the size the monitor asks for
 * (toolbar_art.cpp), so the buttons grow with the rest of the window and
 * stay sharp. The toolbar follows the main window to a monitor with
 * another scale (RescaleToolbar).
 */
#include "app/app.h"
#include "resources/resource.h"

struct ToolbarPosition {
    int commandId; /* 0: a separator */
    int image;
};

static const ToolbarPosition toolbarPositions[] = {
    {0, 0}, {ID_FILE_NEW, 0},       {ID_FILE_OPEN, 1},     {ID_FILE_SAVE_AS, 2},
    {0, 0}, {ID_RECORDER_START, 3}, {ID_RECORDER_STOP, 4}, {ID_RECORDER_PLAYBACK, 5},
    {0, 0}, {ID_HELP_CONTENTS, 6},  {ID_HELP_ABOUT, 7},
};
const int ToolbarPositionCount = (int)(sizeof toolbarPositions / sizeof toolbarPositions[0]);

/* Item k belongs to position k. The third button saves under a new name,
 * but its tooltip names the plain Save with its shortcut. */
static const char* const toolbarTooltips =
    " |New Recording (Ctrl+N)|Open (Ctrl+O)|Save (Ctrl+S)| |Start Recording|Stop "
    "Recording|Playback| |Mirlow Help and Reference File|About Mirlow";

/* A request's text field holds 80 characters with the terminator. */
const int TooltipTextSize = 80;

int ToolbarPositionOf(int commandId) {
    for (int position = 0; position < ToolbarPositionCount; position++) {
        if (toolbarPositions[position].commandId == commandId)
            return position;
    }
    return -1;
}

int ToolbarTooltip(int commandId, char* text, int size) {
    int position = ToolbarPositionOf(commandId);
    if (size > 0)
        text[0] = '\0';
    if (position < 0)
        return -1;
    GetDelimitedItem(toolbarTooltips, '|', position, text, size);
    return position;
}

/* The images at the size the toolbar's DPI asks for. Without the strip
 * the buttons stay blank rather than the toolbar missing. */
static void SetToolbarImages(WindowHandle toolbar, int dpi) {
    static uint32_t strip[ToolbarStripImages * ToolbarArtSize * ToolbarArtSize];
    static uint32_t images[ToolbarStripImages * MaxToolbarImageSize * MaxToolbarImageSize];
    static uint32_t disabled[ToolbarStripImages * MaxToolbarImageSize * MaxToolbarImageSize];
    if (!PlatformLoadBitmapPixels(IDB_TOOLBAR, strip, ToolbarStripImages * ToolbarArtSize,
                                  ToolbarArtSize))
        return;
    int size = ToolbarImageSize(dpi);
    ScaleToolbarArt(strip, ToolbarStripImages, size, images, disabled);
    PlatformSetToolbarImages(toolbar, images, disabled, size, ToolbarStripImages);
}

static void SetToolbarButtonSize(WindowHandle toolbar, int dpi) {
    int size = ToolbarButtonSize(dpi);
    PlatformSetToolbarButtonSize(toolbar, size, size);
}

void RescaleToolbar(void) {
    if (gApp.toolbar == nullptr)
        return;
    int dpi = PlatformWindowDpi(gApp.toolbar);
    SetToolbarImages(gApp.toolbar, dpi);
    SetToolbarButtonSize(gApp.toolbar, dpi);
    PlatformFitToolbar(gApp.toolbar);
}

void CreateMainToolbar(void) {
    WindowHandle toolbar = PlatformCreateToolbar(gApp.mainWindow);
    gApp.toolbar = toolbar;
    if (toolbar == nullptr)
        return;
    ToolbarButtonSpec buttons[ToolbarPositionCount];
    for (int position = 0; position < ToolbarPositionCount; position++)
        buttons[position] = {toolbarPositions[position].commandId,
                             toolbarPositions[position].image};
    int dpi = PlatformWindowDpi(toolbar);
    SetToolbarImages(toolbar, dpi);
    PlatformAddToolbarButtons(toolbar, buttons, ToolbarPositionCount);
    SetToolbarButtonSize(toolbar, dpi);
    PlatformShowWindow(toolbar, ShowShow);
    PlatformFitToolbar(toolbar);
}

void FitToolbarToWindow(void) {
    if (gApp.toolbar != nullptr)
        PlatformFitToolbar(gApp.toolbar);
}

void SetToolbarButtonEnabled(int commandId, bool enabled) {
    if (gApp.toolbar != nullptr && commandId != 0 && ToolbarPositionOf(commandId) >= 0)
        PlatformSetToolbarButtonEnabled(gApp.toolbar, commandId, enabled);
}

bool AnswerToolbarTooltip(intptr_t notification) {
    int commandId = 0;
    if (!PlatformReadTooltipRequest(notification, &commandId))
        return false;
    char text[TooltipTextSize];
    bool known = ToolbarTooltip(commandId, text, sizeof text) >= 0;
    PlatformAnswerTooltipRequest(notification, known ? text : nullptr);
    return true;
}

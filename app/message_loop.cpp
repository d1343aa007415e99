/*
 * message_loop.cpp: the program's one message loop.
 *
 * Besides handing messages to their windows, the loop is where the program
 * learns that the system removed a journal hook on its own (a thread
 * message with no window, so no window procedure would ever see it), and
 * where Ctrl+Page Down and Ctrl+Page Up switch the settings panel's tabs
 * before the panel's own keyboard handling can take the keys.
 */
#include "app/app.h"

#include "playback/playback.h"
#include "record/record.h"
#include "resources/resource.h"

static AcceleratorHandle accelerators;

void LoadLoopAccelerators(void) {
    accelerators = PlatformLoadAccelerators(IDR_ACCELERATORS);
}

static bool IsTabSwitchKey(const PlatformMessage* message) {
    if (message->message != MsgKeyDown || gJournal.hook != nullptr || gApp.tabPanel == nullptr)
        return false;
    if (message->wParam != KeyPageDown && message->wParam != KeyPageUp)
        return false;
    return PlatformIsKeyDown(KeyControl);
}

/* Ctrl+Page Down and Ctrl+Page Up cycle through the panel's three tabs and
 * tell the panel, as a click on a tab would. */
static void SwitchPanelTab(bool forward) {
    const int tabCount = 3;
    WindowHandle tabs = PlatformGetDialogItem(gApp.tabPanel, IDC_PANEL_TABS);
    int selected = PlatformGetTabSelection(tabs);
    if (selected < 0)
        selected = 0;
    int next = (selected + (forward ? 1 : tabCount - 1)) % tabCount;
    PlatformSetTabSelection(tabs, next);
    PlatformSendNotify(gApp.tabPanel, tabs, IDC_PANEL_TABS, TabSelectionChanged);
}

/* A key pressed in a hotkey field is a chord the user chooses, not a
 * shortcut of the program (Ctrl+S there must not save). */
static bool IsKeyForHotkeyField(const PlatformMessage* message) {
    bool key = message->message == MsgKeyDown || message->message == MsgSysKeyDown;
    if (!key || gApp.tabPanel == nullptr || message->window == nullptr)
        return false;
    return message->window == PlatformGetDialogItem(gApp.tabPanel, IDC_PANEL_RECORD_HOTKEY) ||
           message->window == PlatformGetDialogItem(gApp.tabPanel, IDC_PANEL_PLAY_HOTKEY);
}

/* The cancel notice as a thread message; the main window takes the one
 * addressed to it, in any message loop. A hotkey reaches the main window
 * here, in the program's own loop, where it may start a recording or a
 * playback; a modal loop hands it to the window procedure instead. */
void HandleLoopMessage(PlatformMessage* message) {
    bool threadNotice = message->message == MsgCancelJournal && message->window == nullptr;
    if (threadNotice && gJournal.hook != nullptr)
        CancelJournal();
    if (message->message == MsgHotkey) {
        HandleHotkey(message->wParam, true);
        return;
    }
    if (IsTabSwitchKey(message)) {
        SwitchPanelTab(message->wParam == KeyPageDown);
        return;
    }
    if (accelerators != nullptr && !IsKeyForHotkeyField(message) &&
        PlatformTranslateAccelerator(gApp.mainWindow, accelerators, message))
        return;
    if (gApp.tabPanel != nullptr && PlatformIsDialogMessage(gApp.tabPanel, message))
        return;
    PlatformTranslateAndDispatch(message);
}

int RunMessageLoop(void) {
    PlatformMessage message;
    for (;;) {
        int got = PlatformGetMessage(&message);
        if (got == 0)
            return (int)message.wParam;
        if (got < 0) {
            ReportRunOutcome(ExitStartupFailed);
            return RunExitCode();
        }
        HandleLoopMessage(&message);
    }
}

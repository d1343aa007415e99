/*
 * contract_desktop_sim.cpp: the contract suite's desktop on the simulated
 * side. A modal window's person is a queued answer, which the simulation
 * takes when the window opens and gives once its modal loop is done; what
 * happens while a box is open comes with its answer. Another program's
 * hold on a file lasts until the clock has passed it.
 */
#include "tests/contract/contract_desktop.h"

#include "platform/sim/sim_control.h"

static WindowHandle sessionEndsAt; /* for the next message box */
static const uint32_t HoldTime = 600000;

void ContractStartCase(void) {
    SimReset();
    sessionEndsAt = nullptr;
}

void ContractSetKeyDown(int virtualKey, bool down) {
    SimSetKeyDown(virtualKey, down);
}

void ContractUserPressesKey(int virtualKey, bool down) {
    SimRecordInput(EventRecord{down ? MsgKeyDown : MsgKeyUp, virtualKey, 1, 0, 0});
}

/* What the system sends a window when the session ends. */
static void EndSession(WindowHandle window) {
    intptr_t mayEnd = PlatformSendMessage(window, MsgQueryEndSession, 0, 0);
    PlatformSendMessage(window, MsgEndSession, mayEnd != 0 ? 1 : 0, 0);
}

void ContractCloseNextModal(ContractModal kind, int answer) {
    if (kind == ContractMessageBox) {
        WindowHandle window = sessionEndsAt;
        sessionEndsAt = nullptr;
        SimQueueAnswer(answer, window != nullptr ? [window] { EndSession(window); }
                                                 : std::function<void()>());
    } else if (kind == ContractModalDialog) {
        SimQueueDialogDriver([answer](WindowHandle dialog) { SimClickButton(dialog, answer); });
    } else {
        SimQueueFileDialogCancel();
    }
}

void ContractModalMayClose(void) {}

void ContractEndSessionDuringNextModal(WindowHandle window) {
    sessionEndsAt = window;
}

WindowHandle ContractFocus(void) {
    return SimFocusedWindow();
}

ContractMenuItemState ContractMenuItem(WindowHandle window, int commandId, bool* checked) {
    *checked = SimMenuItemChecked(window, commandId);
    if (!SimMenuItemExists(window, commandId))
        return ContractItemMissing;
    return SimMenuItemEnabled(window, commandId) ? ContractItemEnabled : ContractItemGrayed;
}

void ContractHoldFile(const char* path) {
    SimHoldFile(path, HoldTime);
}

void ContractLetFilesGo(void) {
    SimAdvanceClock(HoldTime);
}

void ContractHoldHotkey(int32_t chord) {
    SimHoldHotkey(chord);
}

WindowHandle ContractSilentWindow(void) {
    WindowHandle window = SimAddDesktopWindow("Contract Silent", 0, 0, 200, 100, false);
    SimSetWindowAnswers(window, 0);
    return window;
}

WindowHandle ContractWindowWithControls(WindowHandle controls[3]) {
    WindowHandle window = SimAddDesktopWindow("Contract Controls", 100, 100, 400, 300, false);
    PlatformShowWindow(SimAddControl(window, "Button", 104, "Hidden", 10, 10, 75, 23), ShowHide);
    controls[0] = SimAddControl(window, "Button", 1, "OK", 300, 250, 75, 23);
    controls[1] = SimAddControl(window, "Static", -1, "Name:", 10, 50, 60, 20);
    controls[2] = SimAddControl(window, "Edit", 103, "", 80, 48, 200, 22);
    SimSetWindowEnabled(controls[2], false);
    return window;
}

/*
 * contract_desktop_sim.cpp: the contract suite's desktop on the simulated
 * side. A modal window's person is a queued answer, which the simulation
 * takes when the window opens and gives once its modal loop is done.
 */
#include "tests/contract/contract_desktop.h"

#include "platform/sim/sim_control.h"

void ContractStartCase(void) {
    SimReset();
}

void ContractSetKeyDown(int virtualKey, bool down) {
    SimSetKeyDown(virtualKey, down);
}

void ContractCloseNextModal(ContractModal kind, int answer) {
    if (kind == ContractMessageBox)
        SimQueueAnswer(answer);
    else if (kind == ContractModalDialog)
        SimQueueDialogDriver([answer](WindowHandle dialog) { SimClickButton(dialog, answer); });
    else
        SimQueueFileDialogCancel();
}

void ContractModalMayClose(void) {}

WindowHandle ContractFocus(void) {
    return SimFocusedWindow();
}

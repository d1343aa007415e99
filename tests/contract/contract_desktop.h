/*
 * contract_desktop.h: what a case of the platform contract suite needs
 * from the desktop besides the seam itself: a fresh start, the keyboard's
 * state, a person who closes a modal window, and where the keyboard focus
 * is. One implementation steers the simulated desktop, the other acts on
 * the real one as a user would (from a second thread, as a person acts
 * while the program waits in a modal loop).
 */
#ifndef MIRLOW_CONTRACT_DESKTOP_H
#define MIRLOW_CONTRACT_DESKTOP_H

#include "platform/platform.h"

/* Before each case: a fresh desktop (simulated) or the program instance
 * for resources (Windows); no key held; no message waiting. */
void ContractStartCase(void);

/* The key's state as the next messages see it. */
void ContractSetKeyDown(int virtualKey, bool down);

/* The next modal window of this kind is closed as a user would close it,
 * once ContractModalMayClose has been called, or after two seconds
 * without it (so a modal loop that dispatches nothing cannot hang the
 * suite): a message box by its button answer, a dialog by its push button
 * answer, a file dialog cancelled. */
enum ContractModal { ContractMessageBox, ContractModalDialog, ContractFileDialog };
void ContractCloseNextModal(ContractModal kind, int answer);
void ContractModalMayClose(void);

/* The window that has the keyboard focus; null for none. */
WindowHandle ContractFocus(void);

#endif

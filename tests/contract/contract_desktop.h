/*
 * contract_desktop.h: what a case of the platform contract suite needs
 * from the desktop besides the seam itself: a fresh start, the keyboard's
 * state, a person who closes a modal window, the end of the session
 * meanwhile, where the keyboard focus is, what the menu shows, another
 * program that holds a file or a hotkey, and another program's window that
 * stops answering. One implementation steers the simulated desktop, the other
 * acts on the real one as a user, the system or another program would
 * (from a second thread, as they act while the program waits in a modal
 * loop).
 */
#ifndef MIRLOW_CONTRACT_DESKTOP_H
#define MIRLOW_CONTRACT_DESKTOP_H

#include "platform/platform.h"

/* Before each case: a fresh desktop (simulated) or the program instance
 * for resources (Windows); no key held; no message waiting. */
void ContractStartCase(void);

/* The key's state as the next messages see it. */
void ContractSetKeyDown(int virtualKey, bool down);
/* The user presses or lets go of the key on the keyboard, and the system
 * has taken it. */
void ContractUserPressesKey(int virtualKey, bool down);

/* The next modal window of this kind is closed as a user would close it,
 * once ContractModalMayClose has been called, or after two seconds
 * without it (so a modal loop that dispatches nothing cannot hang the
 * suite): a message box by its button answer, a dialog by its push button
 * answer, a file dialog cancelled. */
enum ContractModal { ContractMessageBox, ContractModalDialog, ContractFileDialog };
void ContractCloseNextModal(ContractModal kind, int answer);
void ContractModalMayClose(void);

/* While the next message box is open, the Windows session ends: window
 * is asked whether it may end (MsgQueryEndSession) and then told that it
 * ends (MsgEndSession, wParam the window's answer), from outside the
 * case's thread as the system does, before the person closes the box.
 * Called before ContractCloseNextModal. */
void ContractEndSessionDuringNextModal(WindowHandle window);

/* The window that has the keyboard focus; null for none. */
WindowHandle ContractFocus(void);

/* What the window's menu shows of the item with that identifier: whether
 * it is there, grayed, checked. */
enum ContractMenuItemState { ContractItemMissing, ContractItemEnabled, ContractItemGrayed };
ContractMenuItemState ContractMenuItem(WindowHandle window, int commandId, bool* checked);

/* Another program holds the file (it has it open and lets nobody else
 * write, rename or delete it) until ContractLetFilesGo. */
void ContractHoldFile(const char* path);
void ContractLetFilesGo(void);

/* A shown top-level window of another program whose thread has stopped
 * taking messages (busy or hung), until the next case starts. */
WindowHandle ContractSilentWindow(void);

/* Another program holds the chord (platform.h's packing) as a hotkey of
 * its own until the next case starts. */
void ContractHoldHotkey(int32_t chord);
/* A shown top-level window without a frame, at 100, 100 and 400 by 300,
 * with controls made in this order (places from the window's corner): a
 * hidden button "Hidden" (ID 104), a button "OK" (ID 1) at 300, 250, 75 by
 * 23, a static text "Name:" (ID -1) at 10, 50, 60 by 20, and a disabled
 * edit field (ID 103) at 80, 48, 200 by 22; until the next case starts.
 * controls gets the OK button, the text and the field. */
WindowHandle ContractWindowWithControls(WindowHandle controls[3]);

#endif

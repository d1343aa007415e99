/*
 * sim_control.h: how tests (and the headless program) steer the simulated
 * desktop: its clock, its answers to message boxes, its allocator, its
 * keyboard, and what it recorded of the program's requests.
 */
#ifndef MIRLOW_SIM_CONTROL_H
#define MIRLOW_SIM_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

/* A fresh desktop: no windows or classes, an empty queue, the clock at
 * SimStartTick, no queued answers, every key up. Blocks still allocated by
 * an earlier run are released, as the end of a process would. */
void SimReset(void);

const uint32_t SimStartTick = 1000000;
void SimSetTickCount(uint32_t ticks);
void SimAdvanceClock(uint32_t milliseconds);

/* Allocator: the allocation with the given 1-based number, counted from the
 * last SimReset, fails; 0 lets every allocation succeed. */
void SimFailAllocation(int number);
int SimAllocationCount(void);
int SimLiveBlockCount(void);

/* Message boxes: answers are taken in order; with none queued a box is
 * answered with its first button (OK or Yes). */
struct SimMessageBox {
    std::string text;
    std::string caption;
    uint32_t style;
};
void SimQueueAnswer(int answer);
const std::vector<SimMessageBox>& SimMessageBoxes(void);
/* Forgets the boxes shown so far; long runs (the fuzz targets) call it
 * between inputs. */
void SimClearMessageBoxes(void);

/* Keyboard state as PlatformIsKeyDown sees it. */
void SimSetKeyDown(int virtualKey, bool down);

/* Windows. */
struct SimWindowInfo {
    bool exists;
    std::string className;
    std::string title;
    bool visible;
    bool topmost;
    int showState; /* the last state asked for, -1 before any */
    int x, y, width, height;
};
SimWindowInfo SimGetWindowInfo(WindowHandle window);
/* Handle of the live top-level window with that class, or null. */
WindowHandle SimFindWindow(const char* className);
/* A child control, for tests that stand in for dialogs. */
WindowHandle SimCreateChild(WindowHandle parent, const char* className, int controlId,
                            WindowProcedure procedure);
int SimMessageQueueLength(void);

/* Menu items as the program left them; items never touched keep the state
 * the menu resource gives them. */
bool SimMenuItemEnabled(WindowHandle window, int commandId);
bool SimMenuItemChecked(WindowHandle window, int commandId);

/* Accelerator tables loaded, and journal hooks removed, so far. */
int SimAcceleratorLoads(void);
int SimRemovedHooks(void);

#endif

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
 * SimStartTick, no queued answers, every key up, an empty registry, the
 * program file at SimDefaultProgramPath. Blocks still allocated by
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

/* The program file as PlatformProgramPath reports it; null: there is none
 * (the headless program has no file a Windows shell could start). */
extern const char* const SimDefaultProgramPath;
void SimSetProgramPath(const char* path);

/* ---- Registry ---- */

/* Every hive empty and writable; the next save is UTF-16 with the
 * version 5 header. SimReset does this too. */
void SimResetRegistry(void);

/* Imports the bytes of a .reg file as the registry editor does: keys and
 * values are added or replaced, "[-KEY]" and "NAME"=- remove. Read-only
 * hives are written too. False, and nothing imported, when the text does
 * not open with a registry header. */
bool SimImportRegistryText(const std::string& fileBytes);
enum SimRegistryFileStatus {
    SimRegistryFileLoaded,
    SimRegistryFileMissing,
    SimRegistryFileInvalid
};
SimRegistryFileStatus SimImportRegistryFile(const char* path);

/* The whole registry as the bytes of a .reg file, in the encoding and
 * header of the last import. */
std::string SimExportRegistryText(void);
bool SimSaveRegistryFile(const char* path);

/* A read-only hive behaves like HKEY_LOCAL_MACHINE for a standard user. */
void SimSetRegistryReadOnly(RegistryHive hive, bool readOnly);

struct SimRegistryValue {
    bool exists;
    uint32_t type;
    std::vector<uint8_t> data;
    std::string text() const; /* the data up to its first zero byte */
};
SimRegistryValue SimGetRegistryValue(RegistryHive hive, const char* keyPath, const char* name);
bool SimRegistryKeyExists(RegistryHive hive, const char* keyPath);

/* Moves on with every change the program makes (and every import). */
uint32_t SimRegistryRevision(void);
/* Keys the program opened and has not closed. */
int SimOpenRegistryKeyCount(void);
/* Every value the program set, in order, as "HKLM\KEY\NAME". */
const std::vector<std::string>& SimRegistryWrites(void);

#endif

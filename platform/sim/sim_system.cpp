/*
 * sim_system.cpp: what the simulated system is besides its windows: the
 * virtual clock and the local time, memory, the program file, the
 * system's version, and the programs a playback starts.
 *
 * The clock moves only when the program waits or a test moves it, so
 * every run on the simulated desktop takes the same course. Memory can be
 * made to run out at a chosen allocation, and what is still allocated is
 * counted, so the program's handling of both is seen. Started programs are
 * recorded rather than run; a test says which fail and how long each
 * takes before it takes input. SimReset, which puts every part of the
 * simulated desktop back, is here too.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <strings.h>
#include <sys/stat.h>

const LocalTime SimStartLocalTime = {2000, 1, 6, 1, 0, 0, 0, 0};
const char* const SimDefaultProgramPath = "C:\\Program Files\\Mirlow\\mirlow.exe";

namespace {

/* A program handing over to another process ends as soon as it started. */
const int HandsOverAtOnce = -2;

struct SimProcess {
    uint32_t started;
    int readyAfter; /* ms; -1: takes no input; HandsOverAtOnce */
};

struct SimSystem {
    uint32_t tick = SimStartTick;
    LocalTime localTime = SimStartLocalTime;
    int allocations = 0;
    int failAllocation = 0;
    std::vector<void*> liveBlocks;
    bool seedSet = false;
    uint32_t seed = 0;
    bool hasProgramPath = true;
    std::string programPath = SimDefaultProgramPath;
    std::vector<std::string> startedPrograms;
    int64_t startedProgramCount = 0;
    std::vector<std::string> failingPrograms;
    std::map<std::string, int> programStartups; /* by lower-case program name */
    std::map<uintptr_t, SimProcess> processes;
};

SimSystem* sim = new SimSystem;

std::string LowerCase(std::string text) {
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

std::string FirstWord(const char* commandLine) {
    std::string first(commandLine);
    return first.substr(0, first.find(' '));
}

bool ProgramFails(const char* commandLine) {
    std::string first = FirstWord(commandLine);
    for (const std::string& name : sim->failingPrograms) {
        if (name.size() == first.size() &&
            strncasecmp(name.c_str(), first.c_str(), name.size()) == 0)
            return true;
    }
    return false;
}

} // namespace

/* ---- Control ---- */

/* Blocks still allocated are released, as the end of a process would. */
void SimResetSystem(void) {
    for (void* block : sim->liveBlocks)
        free(block);
    delete sim;
    sim = new SimSystem;
}

void SimReset(void) {
    SimResetSystem();
    SimResetJournal();
    SimResetRecordInput();
    SimResetWindows();
    SimResetMessages();
    SimResetKeys();
    SimResetMenus();
    SimResetRegistry();
    SimResetDocuments();
    SimResetDialogs();
    SimResetPlayback();
    SimResetHotkeys();
    SimResetTarget();
    SimResetToolbarAndShell();
    SimSetLocalAppDataFolder(nullptr);
}

void SimSetTickCount(uint32_t ticks) {
    sim->tick = ticks;
    SimApplyDueWindowChanges();
}

void SimAdvanceClock(uint32_t milliseconds) {
    sim->tick += milliseconds;
    SimApplyDueWindowChanges();
}

void SimSetLocalTime(const LocalTime& time) {
    sim->localTime = time;
}

void SimFailAllocation(int number) {
    sim->failAllocation = number;
}

int SimAllocationCount(void) {
    return sim->allocations;
}

int SimLiveBlockCount(void) {
    return (int)sim->liveBlocks.size();
}

void SimSetRandomSeed(uint32_t seed) {
    sim->seedSet = true;
    sim->seed = seed;
}

void SimSetProgramPath(const char* path) {
    sim->hasProgramPath = path != nullptr;
    sim->programPath = path != nullptr ? path : "";
}

const std::vector<std::string>& SimStartedPrograms(void) {
    return sim->startedPrograms;
}

int64_t SimStartedProgramCount(void) {
    return sim->startedProgramCount;
}

void SimFailProgram(const char* programName) {
    sim->failingPrograms.push_back(programName);
}

void SimSetProgramStartup(const char* programName, int milliseconds) {
    sim->programStartups[LowerCase(programName)] = milliseconds;
}

/* ---- Time ---- */

/* Waiting only moves the clock; what other programs' windows do meanwhile
 * is applied at the next move that applies it. */
void PlatformSleep(int milliseconds) {
    if (milliseconds > 0)
        sim->tick += (uint32_t)milliseconds;
}

uint32_t PlatformTickCount(void) {
    return sim->tick;
}

uint32_t PlatformRandomSeed(void) {
    return sim->seedSet ? sim->seed : sim->tick;
}

void PlatformLocalTime(LocalTime* time) {
    *time = sim->localTime;
}

/* ---- Memory and files ---- */

void* PlatformAllocate(size_t bytes) {
    sim->allocations++;
    if (sim->allocations == sim->failAllocation)
        return nullptr;
    void* block = malloc(bytes);
    if (block != nullptr)
        sim->liveBlocks.push_back(block);
    return block;
}

void PlatformRelease(void* block) {
    std::vector<void*>& live = sim->liveBlocks;
    for (size_t i = 0; i < live.size(); i++) {
        if (live[i] == block) {
            live[i] = live.back();
            live.pop_back();
            free(block);
            return;
        }
    }
}

/* The simulated desktop keeps its files on the real file system. */
int64_t PlatformFileSize(const char* path) {
    struct stat entry;
    if (stat(path, &entry) != 0 || !S_ISREG(entry.st_mode))
        return 0;
    return (int64_t)entry.st_size;
}

int PlatformProgramPath(char* buffer, int size) {
    int length = (int)sim->programPath.size();
    if (!sim->hasProgramPath || length >= size)
        return -1;
    memcpy(buffer, sim->programPath.c_str(), (size_t)length + 1);
    return length;
}

void PlatformGetVersion(PlatformVersionInfo* version) {
    version->platformId = 2;
    version->majorVersion = 10;
    version->minorVersion = 0;
    version->buildNumber = 19045;
}

void PlatformUpperCase(char* text) {
    for (; *text != '\0'; text++)
        *text = (char)toupper((unsigned char)*text);
}

/* ---- Processes ---- */

/* An endless playback may start a program on every pass: only the latest
 * command lines are kept, in bulk so the record costs constant time. */
ProcessHandle PlatformStartProcess(const char* commandLine) {
    if (ProgramFails(commandLine))
        return nullptr;
    std::vector<std::string>& started = sim->startedPrograms;
    if (started.size() >= 2 * SimStartedProgramsKept)
        started.erase(started.begin(), started.end() - (long)SimStartedProgramsKept + 1);
    started.push_back(commandLine);
    sim->startedProgramCount++;
    auto startup = sim->programStartups.find(LowerCase(FirstWord(commandLine)));
    int readyAfter = startup != sim->programStartups.end() ? startup->second : 0;
    uintptr_t handle = (uintptr_t)sim->startedProgramCount;
    if (sim->processes.size() > SimStartedProgramsKept)
        sim->processes.clear(); /* an endless run starts without end */
    sim->processes[handle] = SimProcess{sim->tick, readyAfter};
    return (ProcessHandle)handle;
}

ProcessReadiness PlatformProcessReadiness(ProcessHandle process) {
    auto found = sim->processes.find((uintptr_t)process);
    if (found == sim->processes.end() || found->second.readyAfter < 0)
        return ProcessTakesNoInput;
    uint32_t started = found->second.started;
    return sim->tick - started >= (uint32_t)found->second.readyAfter ? ProcessReady
                                                                     : ProcessStarting;
}

void SimSetProgramHandsOver(const char* programName) {
    sim->programStartups[LowerCase(programName)] = HandsOverAtOnce;
}

/* A program ready for input shows its window, as programs do; one that
 * takes no input (a console program, whose window is the console's) or
 * handed over shows none. */
bool PlatformProcessShowsWindow(ProcessHandle process) {
    auto found = sim->processes.find((uintptr_t)process);
    return found != sim->processes.end() && found->second.readyAfter >= 0;
}

ProcessWait PlatformWaitForProcess(ProcessHandle process, int milliseconds) {
    auto found = sim->processes.find((uintptr_t)process);
    if (found != sim->processes.end() && found->second.readyAfter == HandsOverAtOnce)
        return ProcessEnded;
    SimAdvanceClock((uint32_t)milliseconds);
    return ProcessStillRunning;
}

void PlatformCloseProcess(ProcessHandle process) {
    sim->processes.erase((uintptr_t)process);
}

/*
 * entry_sim.cpp: the headless mirlow. It runs the program's own start-up
 * in command-line mode on the simulated desktop and prints every event the
 * playback hands to the system, so a user can see what a recording will do,
 * and when, without letting it loose on a real desktop.
 *
 * Its registry is the .reg file that the environment variable
 * MIRLOW_REGISTRY names (none: an empty registry, nothing saved): read at
 * start, written back at exit if the run changed it. The same file,
 * imported with "regedit /s", sets up the Windows program. MIRLOW_DESKTOP
 * names a description of the simulated desktop.
 */
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"

static const int UsageExitCode = 64;

/* The shell has already split the arguments; joined with blanks they are
 * the command-line tail the Windows program would see. */
static std::string JoinArguments(int argc, char** argv) {
    std::string tail;
    for (int i = 1; i < argc; i++) {
        if (i > 1)
            tail += ' ';
        tail += argv[i];
    }
    return tail;
}

static void PrintEvent(uint32_t tick, const EventRecord* record) {
    const char* name = NameOfMessage(record->message);
    char number[16];
    if (name == nullptr) {
        /* Signed, as a text script writes it. */
        snprintf(number, sizeof number, "%" PRId32, (int32_t)record->message);
        name = number;
    }
    printf("%10" PRIu32 "  %-15s paramL=%" PRId32 " paramH=%" PRId32 "\n", tick, name,
           record->paramL, record->paramH);
}

static void PrintMessageBox(const SimMessageBox* box) {
    fflush(stdout);
    fprintf(stderr, "message box \"%s\": %s\n", box->caption.c_str(), box->text.c_str());
}

/* A missing file is an empty registry that the run may create; a file
 * that is there but cannot be used is reported and left alone. */
static bool LoadRegistryFile(const char* path) {
    const char* problem = nullptr;
    switch (SimImportRegistryFile(path)) {
    case SimRegistryFileLoaded:
    case SimRegistryFileMissing:
        return true;
    case SimRegistryFileInvalid:
        problem = "is not a registry file";
        break;
    case SimRegistryFileNotPlain:
        problem = "is not a plain file";
        break;
    case SimRegistryFileTooLarge:
        problem = "is too large for a registry file";
        break;
    }
    fprintf(stderr, "mirlow: %s %s; it is left as it is\n", path, problem);
    return false;
}

static const char* RegistryFileToUse(void) {
    const char* registryFile = getenv("MIRLOW_REGISTRY");
    if (registryFile == nullptr || registryFile[0] == '\0')
        return nullptr;
    if (!LoadRegistryFile(registryFile))
        return nullptr; /* never overwrite a file that was not understood */
    return registryFile;
}

static bool PrepareDesktop(void) {
    SimReset();
    SimKeepDeliveredEvents(false);
    SimSetDeliveryObserver(PrintEvent);
    SimSetMessageBoxObserver(PrintMessageBox);
    const char* desktop = getenv("MIRLOW_DESKTOP");
    std::string error;
    if (desktop != nullptr && desktop[0] != '\0' && !SimLoadDesktop(desktop, &error)) {
        fprintf(stderr, "mirlow: %s\n", error.c_str());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    std::string joined = JoinArguments(argc, argv);
    const char* tail = SkipLeadingBlanks(joined.c_str());
    if (tail[0] == '\0') {
        fprintf(stderr, "usage: mirlow PATH\n"
                        "Plays the recording at PATH on a simulated desktop and prints every\n"
                        "event it hands to the system: virtual time, message, paramL, paramH.\n"
                        "The interactive program is the Windows build, mirlow.exe.\n");
        return UsageExitCode;
    }
    if (!PrepareDesktop())
        return UsageExitCode;
    const char* registryFile = RegistryFileToUse();
    /* There is no program file here that a Windows shell could start, so
     * no file type is registered. */
    SimSetProgramPath(nullptr);
    uint32_t revision = SimRegistryRevision();
    int exitCode = RunMirlow(tail, ShowHide);
    fflush(stdout);
    if (registryFile != nullptr && SimRegistryRevision() != revision &&
        !SimSaveRegistryFile(registryFile))
        fprintf(stderr, "mirlow: cannot write the registry file %s\n", registryFile);
    return exitCode;
}

/*
 * entry_sim.cpp: the headless mirlow. It runs the program's own start-up
 * in command-line mode on the simulated desktop, so a user can see what a
 * recording will do without letting it loose on a real desktop.
 *
 * Its registry is the .reg file that the environment variable
 * MIRLOW_REGISTRY names (none: an empty registry, nothing saved): read at
 * start, written back at exit if the run changed it. The same file,
 * imported with "regedit /s", sets up the Windows program.
 */
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app.h"
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

/* A missing file is an empty registry that the run may create; a file
 * that is there but is no registry file is reported and left alone. */
static bool LoadRegistryFile(const char* path) {
    SimRegistryFileStatus status = SimImportRegistryFile(path);
    if (status == SimRegistryFileInvalid) {
        fprintf(stderr, "mirlow: %s is not a registry file; it is left as it is\n", path);
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    std::string tail = JoinArguments(argc, argv);
    if (tail.empty()) {
        fprintf(stderr,
                "usage: mirlow PATH\n"
                "Plays the recording at PATH on a simulated desktop.\n"
                "The interactive program is the Windows build, mirlow.exe.\n");
        return UsageExitCode;
    }
    const char* registryFile = getenv("MIRLOW_REGISTRY");
    if (registryFile != nullptr && registryFile[0] == '\0')
        registryFile = nullptr;
    if (registryFile != nullptr && !LoadRegistryFile(registryFile))
        registryFile = nullptr; /* never overwrite a file that was not understood */

    /* There is no program file here that a Windows shell could start, so
     * no file type is registered. */
    SimSetProgramPath(nullptr);
    uint32_t revision = SimRegistryRevision();
    int exitCode = RunMirlow(tail.c_str(), ShowHide);
    if (registryFile != nullptr && SimRegistryRevision() != revision &&
        !SimSaveRegistryFile(registryFile))
        fprintf(stderr, "mirlow: cannot write the registry file %s\n", registryFile);
    return exitCode;
}

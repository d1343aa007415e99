/*
 * entry_sim.cpp: the headless mirlow. It runs the program's own start-up
 * in command-line mode on the simulated desktop, so a user can see what a
 * recording will do without letting it loose on a real desktop.
 */
#include <cstdio>
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

int main(int argc, char** argv) {
    std::string tail = JoinArguments(argc, argv);
    if (tail.empty()) {
        fprintf(stderr,
                "usage: mirlow PATH\n"
                "Plays the recording at PATH on a simulated desktop.\n"
                "The interactive program is the Windows build, mirlow.exe.\n");
        return UsageExitCode;
    }
    int exitCode = RunMirlow(tail.c_str(), ShowHide);
    /* Nobody answers the simulated desktop's message boxes; their texts
     * say why a run ended early. */
    for (const SimMessageBox& box : SimMessageBoxes())
        fprintf(stderr, "mirlow: %s: %s\n", box.caption.c_str(), box.text.c_str());
    return exitCode;
}

/*
 * run_outcome.cpp: what the run ends with. A command-line run is
 * unattended and is trusted through its exit code, so the code has one
 * owner: start-up, the playback and the recorder report here why a run
 * stopped, and the program's end asks here what to return.
 *
 * The first failure reported stays: an error that stops a playback is
 * followed by the steps that wind the run down, and none of them may turn
 * the run's outcome into another one. An interactive run always ends with
 * ExitSuccess; its user has seen every message.
 */
#include "app/app.h"

void ReportRunOutcome(ExitCode code) {
    if (gApp.exitCode == ExitSuccess)
        gApp.exitCode = code;
}

int RunExitCode(void) {
    return gApp.commandLineMode ? gApp.exitCode : ExitSuccess;
}

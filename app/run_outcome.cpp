/*
 * run_outcome.cpp: what the run ends with. A command-line run is
 * unattended and is trusted through its exit code, so the code has one
 * owner: start-up, the playback and the recorder report here why a run
 * stopped, and the program's end asks here what to return.
 *
 * The first failure reported stays: an error that stops a playback is
 * followed by the steps that wind the run down, and none of them may turn
 * the run's outcome into another one. A run that was played only in part
 * goes on to its end and is no success; should it fail later, the failure
 * says more, and its code takes the place. An interactive run always ends
 * with ExitSuccess; its user has seen every message.
 */
#include "app/app.h"

void ReportRunOutcome(ExitCode code) {
    bool partial = gApp.exitCode == ExitPlayedInPart;
    if (code == ExitSuccess || (gApp.exitCode != ExitSuccess && !partial))
        return;
    if (!partial || code != ExitPlayedInPart)
        gApp.exitCode = code;
}

int RunExitCode(void) {
    return gApp.commandLineMode ? gApp.exitCode : ExitSuccess;
}

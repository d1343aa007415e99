/*
 * sim_target.cpp: the program that takes the played input on the
 * simulated desktop. It takes each record handed over after the ones
 * before it, in a time a test chose (as a busy or slow program takes its
 * input late), and the playback's checks that it has taken everything
 * wait for it on the virtual clock, a slice at a time, answering or not.
 */
#include <deque>

#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

namespace {

struct SimTarget {
    std::deque<uint32_t> takingTimes;
    bool busy = false;    /* something handed over is not taken yet */
    uint32_t takenAt = 0; /* when all of it will have been taken */
    bool answers = true;
    int checks = 0;
};

SimTarget* target = new SimTarget;

} // namespace

void SimResetTarget(void) {
    *target = SimTarget();
}

void SimQueueTakingTime(uint32_t milliseconds) {
    target->takingTimes.push_back(milliseconds);
}

void SimSetTargetAnswers(bool answers) {
    target->answers = answers;
}

int SimTakenChecks(void) {
    return target->checks;
}

void SimTargetTakes(void) {
    uint32_t now = PlatformTickCount();
    uint32_t from = target->busy && (int32_t)(target->takenAt - now) > 0 ? target->takenAt : now;
    uint32_t taking = 0;
    if (!target->takingTimes.empty()) {
        taking = target->takingTimes.front();
        target->takingTimes.pop_front();
    }
    target->busy = true;
    target->takenAt = from + taking;
}

void SimStartTakenCheck(void) {
    target->checks++;
}

TakenState SimPollTakenCheck(WindowHandle* window) {
    *window = PlatformForegroundWindow();
    int32_t remaining = (int32_t)(target->takenAt - PlatformTickCount());
    if (!target->busy || remaining <= 0) {
        target->busy = false;
        return TakenAll;
    }
    uint32_t slice = (uint32_t)remaining < TakenCheckSlice ? (uint32_t)remaining : TakenCheckSlice;
    SimAdvanceClock(slice);
    if (slice == (uint32_t)remaining) {
        target->busy = false;
        return TakenAll;
    }
    return target->answers ? TakenNotYet : TakenNotAnswering;
}

// How long a TYPE of 1,000 characters takes in a list of 30,000 events,
// inserted early so that nearly the whole list is the tail to move:
//   TypeCommand         the TYPE as it runs: expansion, one move of the
//                       tail, the anchors of the later commands;
//   TypeTextEvents      the typing alone, one move of the tail;
//   OneRecordAtATime    the same typing with one insertion, and so one
//                       move of the tail, per key record.
// TypeCommand also pays for the token scan that the per-record way leaves
// out, so the ratio between the two understates the gain if anything.
// Logging is off, as in a normal playback.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "settings/settings.h"
#include "tests/per_record_typing.h"

namespace {

const int ListSize = 30000;
const int TypeAt = 100;       // the TYPE command's placeholder
const int LaterCommands = 50; // spread over the rest of the list

// 1,000 characters of prose: about 2,050 key records, so the list stays
// within MaxEvents.
const std::string& ThousandCharacters() {
    static std::string text;
    if (text.empty()) {
        while (text.size() < 1000)
            text += "The quick brown fox jumps over the lazy dog, twice. ";
        text.resize(1000);
    }
    return text;
}

// The list and its commands, set up once; every iteration starts from the
// snapshot as every playback pass does.
void PrepareOnce() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    SimReset();
    if (AllocateRecording() != AllocationSucceeded)
        abort();
    gSettings.log = LogOff;
    for (int i = 0; i < ListSize; i++)
        gRecording.events[i] = EventRecord{0x0200, i, i, 10u * (uint32_t)i, 0};
    gRecording.events[TypeAt] = EventRecord{};
    SetScriptCommand(0, CommandType, ThousandCharacters().c_str(), TypeAt);
    for (int i = 1; i <= LaterCommands; i++) {
        int anchor = TypeAt + i * (ListSize - TypeAt - 1) / LaterCommands;
        gRecording.events[anchor] = EventRecord{};
        SetScriptCommand(i, CommandWait, "0", anchor);
    }
    gRecording.commandCount = LaterCommands + 1;
    gRecording.eventCount = ListSize;
    TakePlaybackSnapshot();
}

void StartFromSnapshot(benchmark::State& state) {
    state.PauseTiming();
    RestorePlaybackSnapshot();
    autoTypeAltHeld = 0;
    state.ResumeTiming();
}

void FinishType(int32_t typed) {
    gRecording.eventCount += typed;
    ShiftAnchors(TypeAt + 1, typed);
}

void TypeCommand(benchmark::State& state) {
    PrepareOnce();
    const char* text = ThousandCharacters().c_str();
    int32_t typed = 0;
    for (auto _ : state) {
        StartFromSnapshot(state);
        typed = ExpandAutoType(TypeAt + 1, text);
        FinishType(typed);
        benchmark::DoNotOptimize(gRecording.events);
    }
    state.counters["records"] = typed;
}

void TypeTextEventsAlone(benchmark::State& state) {
    PrepareOnce();
    const char* text = ThousandCharacters().c_str();
    int32_t typed = 0;
    for (auto _ : state) {
        StartFromSnapshot(state);
        typed = TypeTextEvents(TypeAt + 1, gRecording.eventCount, text, 0);
        FinishType(typed);
        benchmark::DoNotOptimize(gRecording.events);
    }
    state.counters["records"] = typed;
}

void OneRecordAtATime(benchmark::State& state) {
    PrepareOnce();
    const char* text = ThousandCharacters().c_str();
    int32_t typed = 0;
    for (auto _ : state) {
        StartFromSnapshot(state);
        typed = TypeTextOneRecordAtATime(TypeAt + 1, gRecording.eventCount, text, 0);
        FinishType(typed);
        benchmark::DoNotOptimize(gRecording.events);
    }
    state.counters["records"] = typed;
}

BENCHMARK(TypeCommand)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypeTextEventsAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneRecordAtATime)->Unit(benchmark::kMicrosecond);

} // namespace

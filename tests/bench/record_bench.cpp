// The cost of one recorded event inside the record hook, logging off, the
// program's own windows excluded (the defaults): what every key and mouse
// event of the desktop pays while a recording runs.
//   RecordKey           key presses and releases to another program;
//   RecordFastMouse     a 1,000 Hz mouse through low-level hooks, where
//                       nine moves in ten are held back by the thinning.
// The window test is the simulated desktop's, a table look-up; Windows
// asks the system which process owns the window instead.
#include <benchmark/benchmark.h>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "settings/settings.h"

namespace {

uint32_t StartRecordingIntoNotepad(void) {
    SimReset();
    int exitCode;
    StartMirlow("", ShowHide, &exitCode);
    gSettings.log = LogOff;
    WindowHandle notepad = SimAddDesktopWindow("Untitled - Notepad", 0, 0, 640, 480, false);
    StartRecording();
    return (uint32_t)(uintptr_t)notepad;
}

void Run(benchmark::State& state, uint32_t (*next)(uint32_t tick, EventRecord* event)) {
    uint32_t hwnd = StartRecordingIntoNotepad();
    EventRecord event = {0, 0, 0, 0, hwnd};
    uint32_t tick = 0;
    for (auto _ : state) {
        next(tick++, &event);
        benchmark::DoNotOptimize(RecordHookProc(HookAction, &event));
        if (gJournal.position > 30000) // stay clear of the full list
            gJournal.position = 0;
    }
    StopRecording();
    SimReset();
}

uint32_t NextKey(uint32_t tick, EventRecord* event) {
    event->message = tick % 2 ? MsgKeyUp : MsgKeyDown;
    event->paramL = tick % 2 ? 0xC01E41 : 0x1E41;
    event->time = tick;
    return tick;
}

uint32_t NextMove(uint32_t tick, EventRecord* event) {
    event->message = MsgMouseMove;
    event->paramL = (int32_t)(tick % 1280);
    event->paramH = (int32_t)(tick % 800);
    event->time = tick;
    return tick;
}

void BM_RecordKey(benchmark::State& state) {
    Run(state, NextKey);
}
BENCHMARK(BM_RecordKey);

void BM_RecordFastMouse(benchmark::State& state) {
    Run(state, NextMove);
}
BENCHMARK(BM_RecordFastMouse);

} // namespace

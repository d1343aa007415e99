// The cost of one request pair of the playback hook, HookGetNext answered
// with an event and no delay, then HookSkip, with logging off: what the
// system pays per played event, apart from its own work.
#include <benchmark/benchmark.h>

#include "app/app.h"
#include "log/log.h"
#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "playback/playback.h"
#include "record/record.h"
#include "settings/settings.h"

namespace {

const int ListSize = 30000;

/* With state.range(0) set, every key press carries a window note whose
 * window is there and in front: what waiting for recorded windows costs
 * a replay whose windows are all there; with 2, each note also holds the
 * window's scale and monitor, as a recording notes them now. */
void BM_HookRequestPair(benchmark::State& state) {
    SimReset();
    int exitCode;
    StartMirlow("", ShowHide, &exitCode);
    gSettings.log = LogOff;
    for (int i = 0; i < ListSize; i++)
        gRecording.events[i] = EventRecord{MsgKeyDown + (uint32_t)(i % 2), 'A', 0, 1000, 0};
    gRecording.eventCount = ListSize;
    if (state.range(0) != 0) {
        WindowHandle window = SimAddDesktopWindow("Untitled - Notepad", 100, 100, 640, 480, false);
        SimSetWindowProgram(window, "notepad.exe", "Notepad");
        PlatformActivateWindow(window, ShowShow);
        int32_t description = AddWindowDescription("Untitled - Notepad", "Notepad", "notepad.exe");
        NoteRect rect = {100, 100, 740, 580};
        NoteRect monitor = {0, 0, 1280, 800};
        for (int i = 0; i < ListSize; i += 2) {
            AddWindowNote(i, description, &rect);
            if (state.range(0) == 2)
                SetNoteScale(i / 2, 96, &monitor);
        }
    }
    StartPlayback();
    EventRecord record;
    bool wrote;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlaybackHookProc(HookGetNext, &record, &wrote));
        PlaybackHookProc(HookSkip, nullptr, &wrote);
        if (gJournal.position == ListSize - 1) { // stay clear of the end of the pass
            gJournal.position = 0;
            ResetWindowWaits();
        }
    }
    AbortPlayback();
    SimReset();
}
BENCHMARK(BM_HookRequestPair)->Arg(0)->Arg(1)->Arg(2);

} // namespace

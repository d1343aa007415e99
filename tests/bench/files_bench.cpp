// Loading and saving a recording at the load limit (32,766 events), the
// loads against what it costs at the least to get the same bytes into
// memory:
//   text load   vs reading the file and splitting it into lines with memchr
//   binary load vs one fread of the file
// The ...OverBaseline benchmarks time both in turns and report the ratio;
// the others time each alone. The saves are timed for the record. Run an
// optimized build: scripts/bench.sh
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "tests/scratch_files.h"

namespace {

ScratchFolder* scratch;
std::string textPath, binaryPath;
std::vector<char> fileBytes; // room for the baselines' reads

// A desktop session: mouse moves with now and then a key pressed and
// released, and a placeholder every few hundred events.
void FillSampleRecording(void) {
    ClearEventList();
    for (int i = 0; i < MaxLoadedEvents; i++) {
        EventRecord& event = gRecording.events[i];
        uint32_t time = 13024638u + 16u * (uint32_t)i;
        if (i % 300 == 299)
            event = EventRecord{0, 0, 0, 0, 0};
        else if (i % 10 == 3)
            event = EventRecord{0x0100, 0x41 + i % 26, 0x1E0001, time, 0x000A04B2};
        else if (i % 10 == 4)
            event = EventRecord{0x0101, 0x41 + i % 26, (int32_t)0xC01E0001, time, 0x000A04B2};
        else
            event = EventRecord{0x0200, (i * 7) % 1920, (i * 3) % 1080, time, 0x000A04B2};
    }
    gRecording.eventCount = MaxLoadedEvents;
}

bool Save(const std::string& path, bool binary) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written =
        binary ? WriteBinaryRecording(file, path.c_str()) : WriteTextScript(file, path.c_str());
    if (written)
        fclose(file);
    return written;
}

size_t ReadWholeFile(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    size_t got = fread(fileBytes.data(), 1, fileBytes.size(), file);
    fclose(file);
    return got;
}

size_t ReadAndSplitLines(void) {
    size_t size = ReadWholeFile(textPath);
    const char* at = fileBytes.data();
    const char* end = at + size;
    size_t lines = 0;
    while (at < end) {
        const char* lineEnd = (const char*)memchr(at, '\n', (size_t)(end - at));
        at = lineEnd != nullptr ? lineEnd + 1 : end;
        lines++;
    }
    return lines;
}

void TextBaseline_ReadAndSplitLines(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAndSplitLines());
}

void TextLoad(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadRecording(textPath.c_str(), true));
    state.counters["events"] = gRecording.eventCount;
}

void TextSave(benchmark::State& state) {
    FillSampleRecording();
    std::string path = scratch->Path("saved.mrx");
    for (auto _ : state)
        benchmark::DoNotOptimize(Save(path, false));
}

void BinaryBaseline_OneFread(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeFile(binaryPath));
}

void BinaryLoad(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadRecording(binaryPath.c_str(), true));
    state.counters["events"] = gRecording.eventCount;
}

void BinarySave(benchmark::State& state) {
    FillSampleRecording();
    std::string path = scratch->Path("saved.mrl");
    for (auto _ : state)
        benchmark::DoNotOptimize(Save(path, true));
}

// The machine is shared, so the goals are judged by ratios of runs that
// take turns: each iteration times the baseline and then the load.
template <typename Baseline, typename Load>
void TakeTurns(benchmark::State& state, Baseline baseline, Load load) {
    using Clock = std::chrono::steady_clock;
    Clock::duration baselineTime{}, loadTime{};
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(baseline());
        Clock::time_point middle = Clock::now();
        benchmark::DoNotOptimize(load());
        baselineTime += middle - start;
        loadTime += Clock::now() - middle;
    }
    state.counters["ratio"] = (double)loadTime.count() / (double)baselineTime.count();
}

void TextLoadOverBaseline(benchmark::State& state) {
    TakeTurns(state, ReadAndSplitLines, [] { return LoadRecording(textPath.c_str(), true); });
}

void BinaryLoadOverBaseline(benchmark::State& state) {
    TakeTurns(
        state, [] { return ReadWholeFile(binaryPath); },
        [] { return LoadRecording(binaryPath.c_str(), true); });
}

BENCHMARK(TextLoadOverBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BinaryLoadOverBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(TextBaseline_ReadAndSplitLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(TextLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(TextSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BinaryBaseline_OneFread)->Unit(benchmark::kMicrosecond);
BENCHMARK(BinaryLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(BinarySave)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    SimReset();
    if (AllocateRecording() != AllocationSucceeded)
        return 1;
    ScratchFolder folder;
    scratch = &folder;
    textPath = folder.Path("sample.mrx");
    binaryPath = folder.Path("sample.mrl");
    FillSampleRecording();
    if (!Save(textPath, false) || !Save(binaryPath, true))
        return 1;
    fileBytes.resize(4u << 20);
    printf("text script %zu bytes, binary recording %zu bytes\n",
           ScratchFolder::Read(textPath).size(), ScratchFolder::Read(binaryPath).size());
    benchmark::RunSpecifiedBenchmarks();
    ReleaseRecording();
    return 0;
}

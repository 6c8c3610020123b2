// Find Runs and Align on 1,000,000-frame logs whose columns are in memory (as after the log is
// open and the channels were read), each against one plain pass over the columns it uses.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "analysis/Alignment.h"
#include "analysis/RunFinder.h"
#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

constexpr int kFrames = 1000000;
constexpr int kRpm = 2, kTps = 30;

/// Frames [first, first + kFrames) of a sample log: time, RPM and TPS columns only.
std::unique_ptr<LogData> MakeLog(uint32_t seed, int first) {
    SampleLogOptions options;
    options.seed = seed;
    auto log = std::make_unique<LogData>();
    log->frameCount = kFrames;
    for (int slot : {0, kRpm - 1, kTps - 1})
        log->values[size_t(slot)].Allocate(size_t(kFrames) + 1);
    std::vector<uint8_t> frame(kFrameSize);
    const uint64_t origin = SampleFrameTimestamp(options, first);
    for (int i = 0; i <= kFrames; ++i) {
        FillSampleFrame(options, first + i, frame.data());
        log->values[0][size_t(i)] =
            float(double(SampleFrameTimestamp(options, first + i) - origin) / 1000.0);
        for (int c : {kRpm, kTps})
            log->values[size_t(c - 1)][size_t(i)] = LoadF32(frame.data() + 8 * (c - 1));
    }
    return log;
}

LogData& Main() {
    static const std::unique_ptr<LogData> log = MakeLog(1, 0);
    return *log;
}

/// The main log from its frame 123 on, with noise of its own.
LogData& Copy() {
    static const std::unique_ptr<LogData> log = MakeLog(2, 123);
    return *log;
}

float PlainPass(const std::vector<const LogData*>& logs, const std::vector<int>& slots) {
    float sum = 0.0f;
    for (const LogData* log : logs)
        for (int s : slots) {
            const float* v = log->values[size_t(s)].data();
            for (int i = 0; i < kFrames; ++i)
                sum += v[i];
        }
    return sum;
}

// The columns Find Runs reads: TPS for both conditions, RPM for the maximum, and the time.
void BM_PlainPassRunColumns(benchmark::State& state) {
    Main();
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainPass({&Main()}, {0, kRpm - 1, kTps - 1}));
}
BENCHMARK(BM_PlainPassRunColumns)->Unit(benchmark::kMillisecond);

void BM_FindRuns(benchmark::State& state) {
    Main();
    RunSearch search;
    search.start = {kTps, kAutoZeroGreaterThan, 90.0f};
    search.end = {kTps, kAutoZeroLessThan, 20.0f};
    search.maxChannel = kRpm;
    std::vector<Run> runs;
    for (auto _ : state) {
        FindRuns(Main(), search, runs);
        benchmark::DoNotOptimize(runs.data());
    }
    state.counters["runs"] = double(runs.size());
}
BENCHMARK(BM_FindRuns)->Unit(benchmark::kMillisecond);

// The columns Align reads: time and RPM of both logs.
void BM_PlainPassAlignColumns(benchmark::State& state) {
    Main(), Copy();
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainPass({&Main(), &Copy()}, {0, kRpm - 1}));
}
BENCHMARK(BM_PlainPassAlignColumns)->Unit(benchmark::kMillisecond);

void BM_Align(benchmark::State& state) {
    Main(), Copy();
    AlignmentSetup setup;  // RPM, +/-10 s, the whole log
    Alignment found;
    for (auto _ : state) {
        AlignLogs(Main(), Copy(), setup, found);
        benchmark::DoNotOptimize(&found);  // a double itself may come back garbled
    }
    state.counters["shift_ms"] = found.shift * 1000.0;
    state.counters["R"] = found.correlation;
}
BENCHMARK(BM_Align)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

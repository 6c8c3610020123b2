// Statistics of all 440 slots over 300,000 frames against one plain pass that reads every value
// column once (a float sum per column), in the same run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <memory>

#include "analysis/ChannelStatistics.h"
#include "format/DataLogFrame.h"
#include "model/LogData.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

constexpr int kFrames = 300000;

/// A sample drag-pass log scattered into columns (time in seconds in slot 0).
LogData& SampleColumns() {
    static const std::unique_ptr<LogData> log = [] {
        SampleLogOptions options;
        options.frames = kFrames;
        return GenerateSampleColumns(options);
    }();
    return *log;
}

void BM_PlainColumnSum(benchmark::State& state) {
    const LogData& log = SampleColumns();
    for (auto _ : state) {
        for (int s = 0; s < kSlotCount; ++s) {
            const float* v = log.values[s].data();
            float sum = 0.0f;
            for (int i = 0; i < kFrames; ++i)
                sum += v[i];
            benchmark::DoNotOptimize(sum);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSlotCount * kFrames * 4);
}
BENCHMARK(BM_PlainColumnSum)->Unit(benchmark::kMillisecond);

void BM_ChannelStatistics(benchmark::State& state) {
    LogData& log = SampleColumns();
    std::array<ChannelStats, kSlotCount> stats;
    for (auto _ : state) {
        ComputeChannelStats(log, 0, kFrames, stats);
        benchmark::DoNotOptimize(stats.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSlotCount * kFrames * 4);
}
BENCHMARK(BM_ChannelStatistics)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

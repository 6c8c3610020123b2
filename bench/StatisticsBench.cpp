// Statistics of all 440 slots over 300,000 frames against one plain pass that reads every value
// column once (a float sum per column), in the same run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <memory>

#include "datalog/ChannelStatistics.h"
#include "datalog/DataLogFrame.h"
#include "datalog/LogData.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

constexpr int kFrames = 300000;

/// A sample drag-pass log scattered into columns (time in seconds in slot 0).
const LogData& SampleColumns() {
    static const std::unique_ptr<LogData> log = [] {
        auto data = std::make_unique<LogData>();
        SampleLogOptions options;
        options.frames = kFrames;
        FillSampleHeader(options, data->header, data->config);
        data->frameCount = kFrames;
        for (int s = 0; s < kSlotCount; ++s) {
            data->values[s].Allocate(kFrames + 1);
            data->status[s].Allocate(kFrames + 1);
        }
        std::array<uint8_t, kFrameSize> frame;
        const uint64_t first = SampleFrameTimestamp(options, 0);
        for (int i = 0; i < kFrames; ++i) {
            FillSampleFrame(options, i, frame.data());
            data->values[0][size_t(i)] = float(double(LoadU64(frame.data()) - first) / 1000.0);
            for (int s = 1; s < kSlotCount; ++s) {
                data->values[s][size_t(i)] = LoadF32(frame.data() + 8 * size_t(s));
                data->status[s][size_t(i)] = LoadU32(frame.data() + 8 * size_t(s) + 4);
            }
        }
        return data;
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
    const LogData& log = SampleColumns();
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

// A 16 x 16 table (AFR Average by RPM and MAP, filtered on TPS) over 1,000,000 frames against two
// plain passes over the same four columns (a float sum per column, twice), in the same run.
#include <benchmark/benchmark.h>

#include <memory>

#include "datalog/ChannelTable.h"
#include "datalog/LogData.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

constexpr int kFrames = 1000000;
constexpr int kRpm = 2, kAfr = 9, kMap = 29, kTps = 30;

const LogData& SampleColumns() {
    static const std::unique_ptr<LogData> log = [] {
        SampleLogOptions options;
        options.frames = kFrames;
        return GenerateSampleColumns(options);
    }();
    return *log;
}

void BM_TwoPlainPasses(benchmark::State& state) {
    const LogData& log = SampleColumns();
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass)
            for (int c : {kRpm, kMap, kAfr, kTps}) {
                const float* v = log.values[size_t(c - 1)].data();
                float sum = 0.0f;
                for (int i = 0; i < kFrames; ++i)
                    sum += v[i];
                benchmark::DoNotOptimize(sum);
            }
    }
}
BENCHMARK(BM_TwoPlainPasses)->Unit(benchmark::kMillisecond);

void BM_Table16x16(benchmark::State& state) {
    const LogData& log = SampleColumns();
    ChannelTableSetup setup;
    setup.xChannel = kRpm;
    setup.xEdges = ChannelTable::MakeEdges(0, 8000, 500);
    setup.yChannel = kMap;
    setup.yEdges = ChannelTable::MakeEdges(0, 320, 20);
    setup.zChannel = kAfr;
    setup.function = TableFunction::StandardDeviation;
    setup.filterChannel = kTps;
    setup.lower = 0;
    setup.upper = 100;
    ChannelTable table;
    for (auto _ : state) {
        table.Build(log, kFrames, setup);
        benchmark::DoNotOptimize(table.TotalCount());
    }
    state.counters["binned"] = double(table.TotalCount());
}
BENCHMARK(BM_Table16x16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

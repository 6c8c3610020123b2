// A 16 x 16 table (standard deviation of AFR by RPM and MAP, filtered on TPS) over 1,000,000
// frames against two plain passes over the same four columns (a float sum per column, twice), on
// the same data in the same run. BM_TableToPlainRatio alternates the two, warm, and reports the
// medians in thread CPU time, which a busy machine inflates less than wall time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

#include "analysis/ChannelTable.h"
#include "model/LogData.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

constexpr int kFrames = 1000000;
constexpr int kRpm = 2, kAfr = 9, kMap = 29, kTps = 30;

LogData& SampleColumns() {
    static const std::unique_ptr<LogData> log = [] {
        SampleLogOptions options;
        options.frames = kFrames;
        return GenerateSampleColumns(options);
    }();
    return *log;
}

void TwoPlainPasses(const LogData& log) {
    for (int pass = 0; pass < 2; ++pass)
        for (int c : {kRpm, kMap, kAfr, kTps}) {
            const float* v = log.values[size_t(c - 1)].data();
            float sum = 0.0f;
            for (int i = 0; i < kFrames; ++i)
                sum += v[i];
            benchmark::DoNotOptimize(sum);
        }
}

ChannelTableSetup TableSetup() {
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
    return setup;
}

void BM_TwoPlainPasses(benchmark::State& state) {
    const LogData& log = SampleColumns();
    for (auto _ : state)
        TwoPlainPasses(log);
}
BENCHMARK(BM_TwoPlainPasses)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_Table16x16(benchmark::State& state) {
    LogData& log = SampleColumns();
    const ChannelTableSetup setup = TableSetup();
    ChannelTable table;
    for (auto _ : state) {
        table.Build(log, kFrames, setup);
        benchmark::DoNotOptimize(table.TotalCount());
    }
    state.counters["binned"] = double(table.TotalCount());
}
BENCHMARK(BM_Table16x16)->Unit(benchmark::kMillisecond)->Repetitions(5);

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_TableToPlainRatio(benchmark::State& state) {
    LogData& log = SampleColumns();
    const ChannelTableSetup setup = TableSetup();
    ChannelTable table;
    table.Build(log, kFrames, setup);  // warm
    TwoPlainPasses(log);
    std::vector<double> plain, binned;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        TwoPlainPasses(log);
        const double t1 = ThreadSeconds();
        table.Build(log, kFrames, setup);
        benchmark::DoNotOptimize(table.TotalCount());
        const double t2 = ThreadSeconds();
        plain.push_back(t1 - t0);
        binned.push_back(t2 - t1);
    }
    state.counters["plain_ms"] = Median(plain) * 1e3;
    state.counters["table_ms"] = Median(binned) * 1e3;
    state.counters["table_to_plain"] = Median(binned) / Median(plain);
}
BENCHMARK(BM_TableToPlainRatio)->Unit(benchmark::kMillisecond)->Iterations(41);

}  // namespace

BENCHMARK_MAIN();

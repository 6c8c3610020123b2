// Opening a 300,000-frame log through the document (read, math channels, statistics) against a
// plain read of the same file's bytes, in the same run.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "analysis/ChannelStatistics.h"
#include "model/DataLogFile.h"
#include "samplegen/SampleLog.h"
#include "support/ScriptedPrompt.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

const fs::path& Folder() {
    static const fs::path folder = bench::BenchFolder("quillon-document-bench");
    return folder;
}

constexpr int kFrames = 300000;

const std::string& LogPath() {
    static const std::string path = bench::CachedSampleLog(Folder(), kFrames);
    return path;
}

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = LogPath();
    std::vector<char> buffer(4 << 20);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("cannot open the log");
            return;
        }
        size_t total = 0, n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            total += n;
        std::fclose(file);
        benchmark::DoNotOptimize(total);
        state.SetBytesProcessed(state.bytes_processed() + int64_t(total));
    }
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DocumentOpen(benchmark::State& state) {
    const std::string& path = LogPath();
    CPrefs prefs((Folder() / "docs").string());
    ScriptedPrompt prompt;
    auto doc = std::make_unique<CDataLogDoc>(prefs, prompt);
    for (auto _ : state) {
        if (const Result opened = doc->OnOpenDocument(path); !opened) {
            state.SkipWithError("the log could not be opened");
            return;
        }
        benchmark::DoNotOptimize(doc->Main().stats[1].average);
        state.SetBytesProcessed(state.bytes_processed() + int64_t(fs::file_size(path)));
    }
}
BENCHMARK(BM_DocumentOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

/// The parts of an open: the reader alone into a fresh log, and the statistics alone.
void BM_ReaderOnly(benchmark::State& state) {
    const std::string& path = LogPath();
    for (auto _ : state) {
        LogData log;
        if (!ReadDataLog(path, log).ok()) {
            state.SkipWithError("cannot read the log");
            return;
        }
        benchmark::DoNotOptimize(log.values[1][0]);
    }
}
BENCHMARK(BM_ReaderOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StatisticsOnly(benchmark::State& state) {
    static LogData log;
    if (log.Empty() && !ReadDataLog(LogPath(), log).ok()) {
        state.SkipWithError("cannot read the log");
        return;
    }
    for (auto _ : state) {
        ComputeChannelStats(log, 0, log.frameCount, log.stats);
        benchmark::DoNotOptimize(log.stats[1].average);
    }
}
BENCHMARK(BM_StatisticsOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

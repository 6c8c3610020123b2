// CSV export of a 100,000-frame log against the same export with printf("%f") per value, in the
// same run. Both write through the same atomic file into a memory-backed folder when there is
// one (/dev/shm), so that the disk does not blur the comparison.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/AtomicFile.h"
#include "analysis/CsvExport.h"
#include "format/DataLogFrame.h"
#include "model/LogData.h"
#include "samplegen/SampleLog.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

constexpr int kFrames = 100000;

/// A sample drag-pass log scattered into columns (time in seconds in slot 0).
const LogData& SampleColumns() {
    static const std::unique_ptr<LogData> log = [] {
        SampleLogOptions options;
        options.frames = kFrames;
        return GenerateSampleColumns(options);
    }();
    return *log;
}

std::string OutputPath(const char* name) {
    static const fs::path folder = [] {
        std::error_code ec;
        fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path f = base / ("quillon-csv-bench-" + std::to_string(::getpid()));
        fs::create_directories(f);
        return f;
    }();
    return (folder / name).string();
}

/// The straightforward export: every value through snprintf("%f"), one write per line.
bool PrintfExport(const LogData& log, const std::string& path) {
    AtomicFile file(path);
    if (!file.Open()) return false;
    bool ok = file.Write(CsvHeaderLines(log.config));
    std::string line;
    char number[512];
    for (int i = 0; i < log.frameCount && ok; ++i) {
        line.clear();
        std::snprintf(number, sizeof number, "%i,", i + 1);
        line += number;
        for (int s = 0; s < kSlotCount; ++s) {
            if (s) line += ',';
            std::snprintf(number, sizeof number, "%f", double(log.values[s][size_t(i)]));
            line += number;
        }
        line += '\n';
        ok = file.Write(line);
    }
    return ok && file.Commit();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void BM_PrintfExport(benchmark::State& state) {
    const LogData& log = SampleColumns();
    const std::string path = OutputPath("printf.csv");
    for (auto _ : state)
        if (!PrintfExport(log, path)) state.SkipWithError("printf export failed");
    const auto size = fs::file_size(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
    state.counters["MB"] = double(size) / 1e6;
}
BENCHMARK(BM_PrintfExport)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CsvExport(benchmark::State& state) {
    const LogData& log = SampleColumns();
    const std::string path = OutputPath("export.csv");
    for (auto _ : state)
        if (!ExportCsv(log, path).ok()) state.SkipWithError("export failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(path)));
    // Both ways must give the same bytes, or the comparison means nothing.
    const std::string printfPath = OutputPath("printf.csv");
    if (fs::exists(printfPath) && ReadFile(printfPath) != ReadFile(path))
        state.SkipWithError("the two exports differ");
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(fs::path(OutputPath("x")).parent_path(), ec);
    return 0;
}

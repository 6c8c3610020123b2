// Converting a 300,000-frame layout-3 legacy log against a plain read of the same file, in the
// same run. Files live in a memory-backed folder when there is one (/dev/shm), so that the disk
// does not blur the comparison; QUILLON_BENCH_DIR chooses another folder.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "format/DataLogFrame.h"
#include "format/LegacyConverter.h"
#include "format/LegacyLayout.h"
#include "samplegen/LegacyWriter.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

constexpr int kFrames = 300000;

const fs::path& Folder() {
    static const fs::path folder = [] {
        std::error_code ec;
        fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        if (const char* chosen = std::getenv("QUILLON_BENCH_DIR"); chosen && *chosen) base = chosen;
        fs::path f = base / ("quillon-legacy-bench-" + std::to_string(::getpid()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

const std::string& LegacyPath() {
    static const std::string path = [] {
        const std::string p = (Folder() / "legacy-300000.dl").string();
        SampleLogOptions options;
        options.frames = kFrames;
        WriteLegacyLog(p, 3, options);
        return p;
    }();
    return path;
}

// Mean real and CPU seconds per iteration of each benchmark, for the ratios printed at the end.
struct Times {
    double real = 0;
    double cpu = 0;
};
Times g_read, g_convert, g_floor;

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = LegacyPath();
    std::vector<char> buffer(1 << 20);
    int64_t bytes = 0;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("cannot open the legacy log");
            return;
        }
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            bytes += int64_t(n);
        std::fclose(file);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ConvertLegacyLog(benchmark::State& state) {
    const std::string& path = LegacyPath();
    const int64_t size = int64_t(fs::file_size(path));
    for (auto _ : state) {
        if (!ConvertLegacyLog(path, {})) {
            state.SkipWithError("conversion failed");
            return;
        }
        state.PauseTiming();
        fs::remove(LegacyConvertedPath(path));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(size * int64_t(state.iterations()));
}
BENCHMARK(BM_ConvertLegacyLog)->Unit(benchmark::kMillisecond)->Iterations(5);

// The I/O floor of any conversion: the legacy file read and a file of the converted size
// written through the same atomic file, block by block, with no conversion in between.
void BM_ReadAndWriteSameSizes(benchmark::State& state) {
    const std::string& path = LegacyPath();
    const int64_t size = int64_t(fs::file_size(path));
    const std::string out = (Folder() / "floor.dl").string();
    std::vector<uint8_t> in(1024 * kLegacyFrameSize), converted(1024 * kFrameSize, 1);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        AtomicFile target(out);
        if (!file || !target.Open()) {
            if (file) std::fclose(file);
            state.SkipWithError("cannot open the files");
            return;
        }
        size_t n;
        while ((n = std::fread(in.data(), 1, in.size(), file)) > 0)
            target.Write(converted.data(), n / kLegacyFrameSize * kFrameSize);
        std::fclose(file);
        target.Commit();
        state.PauseTiming();
        fs::remove(out);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(size * int64_t(state.iterations()));
}
BENCHMARK(BM_ReadAndWriteSameSizes)->Unit(benchmark::kMillisecond)->Iterations(5);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const Times t{run.GetAdjustedRealTime() / 1e3, run.GetAdjustedCPUTime() / 1e3};
            const std::string name = run.benchmark_name();
            if (name.find("BM_PlainRead") == 0) g_read = t;
            if (name.find("BM_ConvertLegacyLog") == 0) g_convert = t;
            if (name.find("BM_ReadAndWriteSameSizes") == 0) g_floor = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintRatio(const char* what, const Times& base, const Times& convert) {
    if (base.real > 0 && convert.real > 0 && convert.cpu > 0)
        std::printf("conversion throughput / %s throughput = %.3f (real time), %.3f (CPU time)\n",
                    what, base.real / convert.real, base.cpu / convert.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatio("plain read", g_read, g_convert);
    PrintRatio("read-and-write floor", g_floor, g_convert);
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    benchmark::Shutdown();
    return 0;
}

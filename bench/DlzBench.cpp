// .dlz decoding speed, in bytes of decoded output: in memory, and as the open command does it
// (through the two scratch files into the .dl beside the .dlz).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "format/DlzCodec.h"
#include "samplegen/SampleLog.h"

using namespace quillon;
namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 30000;  // 106 MB decoded

const std::vector<uint8_t>& SampleDlz() {
    static const std::vector<uint8_t> dlz = [] {
        SampleLogOptions options;
        options.frames = kFrames;
        return EncodeDlz(GenerateV4Bytes(options));
    }();
    return dlz;
}

void BM_DecodeDlzInMemory(benchmark::State& state) {
    const std::vector<uint8_t>& dlz = SampleDlz();
    size_t out = 0;
    for (auto _ : state) {
        std::vector<uint8_t> dl = DecodeDlz(dlz.data(), dlz.size());
        out += dl.size();
        benchmark::DoNotOptimize(dl.data());
    }
    state.SetBytesProcessed(int64_t(out));
    state.counters["compressed_to_decoded"] =
        double(dlz.size()) / double(out / size_t(state.iterations()));
}
BENCHMARK(BM_DecodeDlzInMemory)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_ExpandDlzFile(benchmark::State& state) {
    const char* dir = std::getenv("QUILLON_BENCH_DIR");
    fs::path folder = (dir && *dir ? fs::path(dir) : fs::temp_directory_path()) /
                      ("quillon-dlz-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string path = (folder / "Bench.dlz").string();
    SampleLogOptions options;
    options.frames = kFrames;
    WriteSampleDlz(path, options);
    size_t out = 0;
    for (auto _ : state) {
        std::string dl;
        if (!ExpandDlzFile(path, &dl)) state.SkipWithError("the expansion failed");
        out += size_t(fs::file_size(dl));
    }
    state.SetBytesProcessed(int64_t(out));
    fs::remove_all(folder);
}
BENCHMARK(BM_ExpandDlzFile)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();

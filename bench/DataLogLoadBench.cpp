// Loading a 300,000-frame V4 log (about 1 GB) from the page cache, against a plain read of the
// same file in the same run, and the peak memory of a process that loads it.
//
// The log is generated once into $QUILLON_BENCH_DIR/quillon-load-bench (default: under the
// temporary folder) and kept for later runs. `--peak-memory FILE` is the child mode used by the
// memory figure.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/DataLogFile.h"
#include "samplegen/SampleLog.h"

extern char** environ;

using namespace quillon;
namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 300000;

std::string BenchFile() {
    return bench::CachedSampleLog(bench::BenchFolder("quillon-load-bench"), kFrames);
}

/// Reads the whole file with read() in 1 MiB pieces; returns the bytes read.
size_t PlainRead(const std::string& path) {
    static std::unique_ptr<char[]> buffer(new char[1 << 20]);
    int fd = ::open(path.c_str(), O_RDONLY);
    size_t total = 0;
    for (ssize_t n; (n = ::read(fd, buffer.get(), 1 << 20)) > 0;)
        total += size_t(n);
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
    return total;
}

void BM_PlainRead(benchmark::State& state) {
    const std::string path = BenchFile();
    PlainRead(path);  // into the page cache
    size_t bytes = 0;
    for (auto _ : state)
        bytes += PlainRead(path);
    state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_Load(benchmark::State& state) {
    const std::string path = BenchFile();
    PlainRead(path);
    size_t bytes = fs::file_size(path);
    for (auto _ : state) {
        auto log = std::make_unique<LogData>();
        Result r = ReadDataLog(path, *log);
        if (!r.ok()) state.SkipWithError("the log could not be read");
        benchmark::DoNotOptimize(log->values[1].data());
        // Releasing the columns belongs to the next load's predecessor, not to this load.
        state.PauseTiming();
        log.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(bytes * state.iterations()));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(3);

/// Both in the same iterations, alternating, so that the ratio compares like with like.
void BM_LoadToPlainReadRatio(benchmark::State& state) {
    const std::string path = BenchFile();
    PlainRead(path);
    double readSeconds = 0, loadSeconds = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto t0 = Clock::now();
        PlainRead(path);
        auto t1 = Clock::now();
        auto log = std::make_unique<LogData>();
        ReadDataLog(path, *log);
        benchmark::DoNotOptimize(log->values[1].data());
        auto t2 = Clock::now();
        log.reset();
        readSeconds += std::chrono::duration<double>(t1 - t0).count();
        loadSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    double gb = double(fs::file_size(path)) * double(state.iterations()) / 1e9;
    state.counters["read_GBps"] = gb / readSeconds;
    state.counters["load_GBps"] = gb / loadSeconds;
    state.counters["load_to_read"] = readSeconds / loadSeconds;
}
BENCHMARK(BM_LoadToPlainReadRatio)->Unit(benchmark::kMillisecond)->Iterations(5);

/// Peak resident memory of a fresh process that loads the file, relative to the file size.
void BM_PeakMemory(benchmark::State& state) {
    const std::string path = BenchFile();
    for (auto _ : state) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) state.SkipWithError("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        std::string self = fs::read_symlink("/proc/self/exe").string();
        char* argv[] = {self.data(), const_cast<char*>("--peak-memory"),
                        const_cast<char*>(path.c_str()), nullptr};
        pid_t pid = 0;
        int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        char text[128] = {};
        ssize_t n = rc == 0 ? ::read(pipeFds[0], text, sizeof text - 1) : -1;
        ::close(pipeFds[0]);
        int status = 0;
        if (rc == 0) ::waitpid(pid, &status, 0);
        long before = 0, after = 0;
        if (n <= 0 || std::sscanf(text, "%ld %ld", &before, &after) != 2) {
            state.SkipWithError("child failed");
            break;
        }
        double size = double(fs::file_size(path));
        state.counters["peak_rss_MB"] = double(after) / 1024.0;
        state.counters["file_MB"] = size / 1048576.0;
        state.counters["peak_over_file"] = double(after) * 1024.0 / size;
        state.counters["load_delta_over_file"] = double(after - before) * 1024.0 / size;
    }
}
BENCHMARK(BM_PeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

/// High-water mark of the resident memory of this process image (VmHWM, kB). Unlike
/// getrusage's maximum it starts afresh at exec, so it does not inherit the parent's peak.
long MaxRssKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    long kb = -1;
    char line[256];
    while (f && std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    if (f) std::fclose(f);
    return kb;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak-memory") == 0) {
        long before = MaxRssKb();
        LogData* log = new LogData;
        Result r = ReadDataLog(argv[2], *log);
        long after = MaxRssKb();
        delete log;
        if (!r.ok()) return 1;
        std::printf("%ld %ld\n", before, after);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

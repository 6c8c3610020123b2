// File > Export of a 300,000-frame log from the window (save answer scripted, progress window
// shown and painted, events processed at every update) against the bare CSV export of the same
// loaded log, in the same run. $QUILLON_EXPORT_LOG names the log (default: a cached sample log);
// the CSV goes to /dev/shm when there is one.
#include "QtBenchMain.h"
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QWidget>

#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "analysis/CsvExport.h"
#include "gui/dialogs/DataLogExport.h"
#include "support/ScriptedPrompt.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

constexpr int kFrames = 300000;

struct Loaded {
    fs::path folder = bench::BenchFolder("quillon-export-bench");
    CPrefs prefs{folder.string()};
    ScriptedPrompt prompt;
    CDataLogDoc doc{prefs, prompt};
    std::string out;
    Loaded() {
        const char* chosen = std::getenv("QUILLON_EXPORT_LOG");
        const std::string log =
            chosen && *chosen ? std::string(chosen) : bench::CachedSampleLog(folder, kFrames);
        if (!doc.OnOpenDocument(log)) std::abort();
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : folder;
        out = (base / ("quillon-export-bench-" + std::to_string(::getpid()) + ".csv")).string();
    }
    ~Loaded() { fs::remove(out); }
};

Loaded& Log() {
    static Loaded loaded;
    return loaded;
}

void BM_WindowExport(benchmark::State& state) {
    Loaded& log = Log();
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    for (auto _ : state) {
        log.prompt.QueueFile(log.out);
        if (!RunDataLogExport(log.doc, log.prompt, &owner)) state.SkipWithError("export failed");
    }
    state.counters["MB"] = double(fs::file_size(log.out)) / 1e6;
}
BENCHMARK(BM_WindowExport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_BareExport(benchmark::State& state) {
    Loaded& log = Log();
    for (auto _ : state)
        if (!ExportCsv(log.doc.Main(), log.out).ok()) state.SkipWithError("export failed");
}
BENCHMARK(BM_BareExport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

QUILLON_QT_BENCHMARK_MAIN()

// The strip chart over a 1,000,000-frame log read from its file (3.5 GB): opening it and drawing
// the first picture, the whole-log picture drawn anew, and zooms to windows of a fifth, a
// fiftieth and a thousandth of the log at a new place each time (so no window is reused), and a
// switch to the next of the eight views with its whole-log picture, and Update Stats over a
// window of 100,000 frames.
#include "QtBenchMain.h"
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <memory>

#include <QApplication>
#include <QImage>

#include "document/CDataLogDoc.h"
#include "gui/chart/CDataLogView.h"
#include "settings/CPrefs.h"
#include "support/ScriptedPrompt.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

constexpr int kFrames = 1000000;
const QSize kImageSize(1920, 1080);

const fs::path& Folder() {
    static const fs::path folder = bench::BenchFolder("quillon-large-chart-bench");
    return folder;
}

/// The document's default view (channels 1 to 16) over the log, opened once.
struct LargeLog {
    LargeLog() : prefs((Folder() / "prefs").string()), doc(prefs, prompt) {
        view = std::make_unique<CDataLogView>(doc, prefs);
        view->resize(kImageSize);
        doc.OnOpenDocument(bench::CachedSampleLog(Folder(), kFrames));
    }
    CPrefs prefs;
    ScriptedPrompt prompt;
    CDataLogDoc doc;
    std::unique_ptr<CDataLogView> view;
};

LargeLog& Log() {
    static LargeLog log;
    return log;
}

void BM_LargeLogOpenAndFirstPicture(benchmark::State& state) {
    const std::string path = bench::CachedSampleLog(Folder(), kFrames);
    CPrefs prefs((Folder() / "prefs").string());
    ScriptedPrompt prompt;
    for (auto _ : state) {
        CDataLogDoc doc(prefs, prompt);
        CDataLogView view(doc, prefs);
        view.resize(kImageSize);
        doc.OnOpenDocument(path);
        QImage image = view.RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_LargeLogOpenAndFirstPicture)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_LargeLogWholePicture(benchmark::State& state) {
    LargeLog& log = Log();
    log.view->ZoomAll();
    for (auto _ : state) {
        log.view->InvalidateCurves();
        QImage image = log.view->RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_LargeLogWholePicture)->Unit(benchmark::kMillisecond);

/// A window of 1 / range(0) of the log, moved on by a prime share of the log each time.
void BM_LargeLogZoom(benchmark::State& state) {
    LargeLog& log = Log();
    log.view->ZoomAll();
    const TimeWindow all = log.view->VisibleWindow();
    const double width = all.Width() / double(state.range(0));
    double at = 0.1;
    for (auto _ : state) {
        at = at + 0.137 > 1.0 ? at + 0.137 - 1.0 : at + 0.137;
        const double start = all.minimum + (all.Width() - width) * at;
        log.view->ZoomToWindow(start, start + width);
        QImage image = log.view->RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
    log.view->ZoomAll();
}
BENCHMARK(BM_LargeLogZoom)->Arg(5)->Arg(50)->Arg(1000)->Unit(benchmark::kMillisecond);

/// The chart alone (no values pane): the next view's channels drawn over the whole log.
void BM_LargeLogViewSwitch(benchmark::State& state) {
    LargeLog& log = Log();
    log.view->ZoomAll();
    int view = 0;
    for (auto _ : state) {
        view = (view + 1) % 8;
        log.doc.SetCurrentView(view);
        log.doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
        QImage image = log.view->RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
    log.doc.SetCurrentView(0);
    log.doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
}
BENCHMARK(BM_LargeLogViewSwitch)->Iterations(8)->Unit(benchmark::kMillisecond);

/// Update Stats over a window of 100,000 frames, at a new place of the log each time (so that no
/// column made before serves it).
void BM_LargeLogUpdateStats100k(benchmark::State& state) {
    LargeLog& log = Log();
    constexpr int kWindow = 100000;
    int first = 12345;
    for (auto _ : state) {
        first = (first + 337 * 1009) % (kFrames - kWindow);
        log.doc.ComputeMainStats(first, first + kWindow);
        benchmark::DoNotOptimize(log.doc.Main().stats[1].average);
    }
}
BENCHMARK(BM_LargeLogUpdateStats100k)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

QUILLON_QT_BENCHMARK_MAIN()

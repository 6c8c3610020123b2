// The strip chart's drawing cost: 16 curves and a comparison log rendered into a 1920 x 1080
// image at 10,000 and at 1,000,000 frames (decimation keeps the two close), at pixel ratios 1
// and 2; and the time from opening a 300,000-frame log to the chart's first picture.
#include "QtBenchMain.h"
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include <QApplication>
#include <QImage>

#include "gui/chart/CDataLogView.h"
#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"
#include "support/ScriptedPrompt.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

const fs::path& Folder() {
    static const fs::path folder = bench::BenchFolder("quillon-chart-bench");
    return folder;
}

const QSize kImageSize(1920, 1080);

/// Fills the time column and the given channels of a log from the sample generator, leaving
/// the other 423 slots unallocated (the chart reads only what it shows).
void FillColumns(LogData& log, int frames, uint32_t seed, const std::vector<int>& channels) {
    SampleLogOptions options;
    options.frames = frames;
    options.seed = seed;
    for (int s = 0; s < kSlotCount; ++s) {
        log.values[size_t(s)].Reset();
        log.status[size_t(s)].Reset();
    }
    log.values[0].Allocate(size_t(frames) + 1);
    for (int c : channels)
        log.values[size_t(c - 1)].Allocate(size_t(frames) + 1);
    std::vector<uint8_t> frame(kFrameSize);
    const uint64_t t0 = SampleFrameTimestamp(options, 0);
    for (int i = 0; i < frames; ++i) {
        FillSampleFrame(options, i, frame.data());
        log.values[0][size_t(i)] = float(double(SampleFrameTimestamp(options, i) - t0) / 1000.0);
        for (int c : channels) {
            float v;
            std::memcpy(&v, frame.data() + 8 * size_t(c - 1), sizeof v);
            log.values[size_t(c - 1)][size_t(i)] = v;
        }
    }
    log.frameCount = frames;
}

/// A document showing 16 channels of a main and a comparison log of `frames` frames each.
struct ChartFixture {
    explicit ChartFixture(int frames) : prefs((Folder() / "prefs").string()), doc(prefs, prompt) {
        doc.OnOpenDocument(bench::CachedSampleLog(Folder(), 100));
        std::vector<int> channels;
        for (int c = 2; c <= kChannelCount && channels.size() < 16; ++c)
            if (IsChannelAvailable(doc.Main(), c)) channels.push_back(c);
        GraphView& v = doc.Config().views[0];
        for (int e = 0; e < 16; ++e)
            v.entries[size_t(e)] = {uint32_t(channels[size_t(e)]), 1, 1, {}, uint32_t(e % 3), 0};
        doc.SetCurrentView(0);
        FillColumns(doc.Main(), frames, 1, channels);
        doc.Comparison().config = doc.Main().config;
        FillColumns(doc.Comparison(), frames, 2, channels);
        doc.SetComparisonLoaded(true, "comparison.dl");
        view = std::make_unique<CDataLogView>(doc, prefs);
        view->resize(kImageSize);
        doc.UpdateAllViews(nullptr, DocumentChange::LogChanged);
    }
    CPrefs prefs;
    ScriptedPrompt prompt;
    CDataLogDoc doc;
    std::unique_ptr<CDataLogView> view;
};

ChartFixture& Fixture(int frames) {
    static std::map<int, std::unique_ptr<ChartFixture>> fixtures;
    auto& f = fixtures[frames];
    if (!f) f = std::make_unique<ChartFixture>(frames);
    return *f;
}

/// One full drawing: curves reduced anew for the window, axes, curves, cursor and table.
void BM_RenderChart(benchmark::State& state) {
    const int frames = int(state.range(0));
    const qreal ratio = qreal(state.range(1));
    ChartFixture& f = Fixture(frames);
    for (auto _ : state) {
        f.view->InvalidateCurves();
        QImage image = f.view->RenderImage(kImageSize, ratio);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["frames"] = frames;
}
BENCHMARK(BM_RenderChart)
    ->Args({10000, 1})
    ->Args({1000000, 1})
    ->Args({10000, 2})
    ->Args({1000000, 2})
    ->Unit(benchmark::kMillisecond);

/// The same drawing with the reduced curves kept from the previous one (a resize-free repaint
/// after a label change): what the painter itself costs.
void BM_RenderChartCached(benchmark::State& state) {
    const int frames = int(state.range(0));
    ChartFixture& f = Fixture(frames);
    f.view->RenderImage(kImageSize, 1.0);
    for (auto _ : state) {
        QImage image = f.view->RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderChartCached)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

/// Zoomed in on a tenth of the log: fewer samples per column, same drawing.
void BM_RenderChartZoomed(benchmark::State& state) {
    const int frames = int(state.range(0));
    ChartFixture& f = Fixture(frames);
    const TimeWindow all = f.view->VisibleWindow();
    f.view->ZoomToWindow(all.minimum + all.Width() * 0.45, all.minimum + all.Width() * 0.55);
    for (auto _ : state) {
        f.view->InvalidateCurves();
        QImage image = f.view->RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
    f.view->ZoomAll();
}
BENCHMARK(BM_RenderChartZoomed)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

/// Opening a 300,000-frame log and drawing the chart's first picture, against the open alone.
/// The first of them in a process pays for fresh memory pages; compare them in separate runs
/// (--benchmark_filter=BM_OpenLog/chart:0, then chart:1).
void BM_OpenLog(benchmark::State& state) {
    const std::string path = bench::CachedSampleLog(Folder(), 300000);
    const bool withChart = state.range(0) != 0;
    CPrefs prefs((Folder() / "prefs").string());
    ScriptedPrompt prompt;
    for (auto _ : state) {
        CDataLogDoc doc(prefs, prompt);
        std::unique_ptr<CDataLogView> view;
        if (withChart) {
            view = std::make_unique<CDataLogView>(doc, prefs);
            view->resize(kImageSize);
        }
        doc.OnOpenDocument(path);
        if (withChart) {
            QImage image = view->RenderImage(kImageSize, 1.0);
            benchmark::DoNotOptimize(image.constBits());
        }
    }
}
BENCHMARK(BM_OpenLog)
    ->ArgName("chart")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

/// The chart's share of the first picture: building the chart for an opened 300,000-frame log
/// (LogChanged) and drawing it.
void BM_FirstPaintAfterOpen(benchmark::State& state) {
    const std::string path = bench::CachedSampleLog(Folder(), 300000);
    CPrefs prefs((Folder() / "prefs").string());
    ScriptedPrompt prompt;
    CDataLogDoc doc(prefs, prompt);
    doc.OnOpenDocument(path);
    CDataLogView view(doc, prefs);
    view.resize(kImageSize);
    for (auto _ : state) {
        doc.UpdateAllViews(nullptr, DocumentChange::LogChanged);
        QImage image = view.RenderImage(kImageSize, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FirstPaintAfterOpen)->Unit(benchmark::kMillisecond);

}  // namespace

QUILLON_QT_BENCHMARK_MAIN()

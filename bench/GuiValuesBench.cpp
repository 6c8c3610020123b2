// Moving the cursor one frame on a 1,000,000-frame log with 16 rows and a comparison log shown:
// from the key press in the chart until both panes are painted again (offscreen, each widget
// rendered into an image); and the values pane's share of it alone.
#include "QtBenchMain.h"
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSplitter>

#include "gui/chart/CDataLogView.h"
#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"
#include "gui/common/CGDIPDataMonitorValue.h"
#include "gui/panes/CDataLogValues.h"
#include "gui/panes/CDlgDataLogValue.h"
#include "support/ScriptedPrompt.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

const fs::path& Folder() {
    static const fs::path folder = bench::BenchFolder("quillon-values-bench");
    return folder;
}

constexpr int kFrames = 1000000;
const QSize kChartSize(1600, 1000);
const QSize kValuesSize(340, 1000);

/// Fills the time column and the shown channels (values and statuses) from the generator; the
/// other slots stay unallocated, as nothing on screen reads them.
void FillColumns(LogData& log, int frames, double rate, uint32_t seed,
                 const std::vector<int>& channels) {
    SampleLogOptions options;
    options.frames = frames;
    options.rate = rate;
    options.seed = seed;
    for (int s = 0; s < kSlotCount; ++s) {
        log.values[size_t(s)].Reset();
        log.status[size_t(s)].Reset();
    }
    log.values[0].Allocate(size_t(frames) + 1);
    log.status[0].Allocate(size_t(frames) + 1);
    for (int c : channels) {
        log.values[size_t(c - 1)].Allocate(size_t(frames) + 1);
        log.status[size_t(c - 1)].Allocate(size_t(frames) + 1);
    }
    std::vector<uint8_t> frame(kFrameSize);
    const uint64_t t0 = SampleFrameTimestamp(options, 0);
    for (int i = 0; i < frames; ++i) {
        FillSampleFrame(options, i, frame.data());
        log.values[0][size_t(i)] = float(double(SampleFrameTimestamp(options, i) - t0) / 1000.0);
        log.status[0][size_t(i)] = 0;
        for (int c : channels) {
            const uint8_t* p = frame.data() + 8 * size_t(c - 1);
            std::memcpy(&log.values[size_t(c - 1)][size_t(i)], p, 4);
            std::memcpy(&log.status[size_t(c - 1)][size_t(i)], p + 4, 4);
        }
    }
    log.frameCount = frames;
}

struct Panes {
    Panes() : prefs((Folder() / "prefs").string()), doc(prefs, prompt) {
        SampleLogOptions small;
        small.frames = 100;
        const std::string header = (Folder() / "header.dl").string();
        WriteSampleLog(header, small);
        doc.OnOpenDocument(header);
        std::vector<int> channels;
        for (int c = 2; c <= kChannelCount && channels.size() < 16; ++c)
            if (IsChannelAvailable(doc.Main(), c)) channels.push_back(c);
        GraphView& v = doc.Config().views[0];
        for (int e = 0; e < 16; ++e)
            v.entries[size_t(e)] = {uint32_t(channels[size_t(e)]), 1, 1, {}, uint32_t(e % 3), 0};
        doc.SetCurrentView(0);
        FillColumns(doc.Main(), kFrames, 100.0, 1, channels);
        // A comparison at another rate, so that its values at the cursor are interpolated.
        doc.Comparison().config = doc.Main().config;
        FillColumns(doc.Comparison(), kFrames, 97.0, 2, channels);
        doc.SetComparisonLoaded(true, "comparison.dl");
        doc.ResetZoomRange();
        chart = std::make_unique<CDataLogView>(doc, prefs);
        chart->resize(kChartSize);
        values = std::make_unique<CDataLogValues>(doc, prefs);
        values->resize(kValuesSize);
        doc.UpdateAllViews(nullptr, DocumentChange::LogChanged);
        chartImage = QImage(kChartSize, QImage::Format_ARGB32_Premultiplied);
        valuesImage = QImage(kValuesSize, QImage::Format_ARGB32_Premultiplied);
        Press(Qt::Key_Home);
        PaintBoth();
    }
    void Press(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(chart.get(), &press);
    }
    void PaintChart() {
        QPainter p(&chartImage);
        chart->render(&p);
    }
    void PaintValues() {
        QPainter p(&valuesImage);
        values->render(&p);
    }
    void PaintBoth() {
        PaintChart();
        PaintValues();
    }

    CPrefs prefs;
    ScriptedPrompt prompt;
    CDataLogDoc doc;
    std::unique_ptr<CDataLogView> chart;
    std::unique_ptr<CDataLogValues> values;
    QImage chartImage;
    QImage valuesImage;
    int step = 0;
};

Panes& Fixture() {
    static Panes panes;
    return panes;
}

// Right most of the time, back to the start now and then so the cursor stays in the log.
int NextKey(Panes& f) {
    return (++f.step % 1000) == 0 ? Qt::Key_Home : Qt::Key_Right;
}

void BM_CursorStepBothPanes(benchmark::State& state) {
    Panes& f = Fixture();
    for (auto _ : state) {
        f.Press(NextKey(f));
        f.PaintBoth();
        benchmark::DoNotOptimize(f.valuesImage.constBits());
    }
    state.counters["frames"] = kFrames;
}
BENCHMARK(BM_CursorStepBothPanes)->Unit(benchmark::kMicrosecond);

/// Both panes in a shown window (the offscreen platform's backing store): the key press, then
/// the event loop repaints only what the cursor move made dirty, as on screen.
void BM_CursorStepShownWindow(benchmark::State& state) {
    Panes& f = Fixture();
    QSplitter window;
    window.addWidget(f.values.get());
    window.addWidget(f.chart.get());
    window.resize(kValuesSize.width() + kChartSize.width(), kChartSize.height());
    window.show();
    QApplication::processEvents();
    // Renders of one value display per step: 1 shows that every step really repainted.
    CGDIPDataMonitorValue* display = f.values->Row(0)->MainValue();
    const int rendersBefore = display->RenderCount();
    for (auto _ : state) {
        f.Press(NextKey(f));
        QApplication::processEvents();
    }
    state.counters["renders/step"] =
        double(display->RenderCount() - rendersBefore) / double(state.iterations());
    window.hide();
    f.values->setParent(nullptr);
    f.chart->setParent(nullptr);
}
BENCHMARK(BM_CursorStepShownWindow)->Unit(benchmark::kMicrosecond);

/// The values pane's share: the refresh that CursorMoved triggers and its repaint.
void BM_CursorStepValuesPane(benchmark::State& state) {
    Panes& f = Fixture();
    int frame = 0;
    for (auto _ : state) {
        frame = (frame + 1) % 1000;
        f.doc.SetCursor(frame, 0, false);
        f.doc.UpdateAllViews(f.chart.get(), DocumentChange::CursorMoved);
        f.PaintValues();
        benchmark::DoNotOptimize(f.valuesImage.constBits());
    }
}
BENCHMARK(BM_CursorStepValuesPane)->Unit(benchmark::kMicrosecond);

/// The cursor on the comparison log: every main value is interpolated at its time.
void BM_CursorStepOnComparison(benchmark::State& state) {
    Panes& f = Fixture();
    int frame = 500000;
    for (auto _ : state) {
        frame = frame + 1 < kFrames ? frame + 1 : 500000;
        f.doc.SetCursor(frame, 0, true);
        f.doc.UpdateAllViews(f.chart.get(), DocumentChange::CursorMoved);
        f.PaintValues();
        benchmark::DoNotOptimize(f.valuesImage.constBits());
    }
}
BENCHMARK(BM_CursorStepOnComparison)->Unit(benchmark::kMicrosecond);

}  // namespace

QUILLON_QT_BENCHMARK_MAIN()

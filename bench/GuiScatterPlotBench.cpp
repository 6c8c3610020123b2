// The scatter plot's cost: a rebuild (copy, filter, colour) plus the picture of an 800 x 600
// plot, at 10,000 and 1,000,000 frames, against the same rebuild followed by drawing every point
// one by one with QPainter (3 x 3 dots, as the plot draws them) into an image of the same size.
// Both reuse their buffers from one rebuild to the next, as the window does.
#include "QtBenchMain.h"
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include <QImage>
#include <QPainter>

#include "gui/chart/ScatterPlotView.h"
#include "gui/common/CGDIPColorLegend.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

const QSize kPlotSize(800, 600);
constexpr int kChannels[] = {1, 2, 29, 9};  // time, RPM, MAP, AFR Average

/// A log of `frames` sample frames holding only the columns the plot reads, with the colour
/// channel's statistics range.
LogData& SampleLog(int frames) {
    static std::map<int, std::unique_ptr<LogData>> logs;
    auto& log = logs[frames];
    if (log) return *log;
    log = std::make_unique<LogData>();
    SampleLogOptions options;
    options.frames = frames;
    for (int c : kChannels)
        log->values[size_t(c - 1)].Allocate(size_t(frames) + 1);
    std::vector<uint8_t> frame(kFrameSize);
    const uint64_t t0 = SampleFrameTimestamp(options, 0);
    for (int i = 0; i < frames; ++i) {
        FillSampleFrame(options, i, frame.data());
        for (int c : kChannels) {
            float v;
            std::memcpy(&v, frame.data() + 8 * size_t(c - 1), sizeof v);
            log->values[size_t(c - 1)][size_t(i)] = v;
        }
        log->values[0][size_t(i)] = float(double(SampleFrameTimestamp(options, i) - t0) / 1000.0);
    }
    const Column<float>& afr = log->values[8];
    const auto [lo, hi] = std::minmax_element(afr.begin(), afr.begin() + frames);
    log->stats[8].minimum = *lo;
    log->stats[8].maximum = *hi;
    log->frameCount = frames;
    return *log;
}

void BM_RebuildAndPaint(benchmark::State& state) {
    const int frames = int(state.range(0));
    LogData& log = SampleLog(frames);
    ScatterPlotView view;
    view.resize(kPlotSize);
    for (auto _ : state) {
        ScatterPlotData data = view.TakeData();
        data.Build(log, frames, ScatterSelection{});
        view.SetPlot(std::move(data), {}, {0, 10000}, {0, 300});
        QImage image = view.RenderImage(kPlotSize);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

void BM_RebuildAndDrawPointByPoint(benchmark::State& state) {
    const int frames = int(state.range(0));
    LogData& log = SampleLog(frames);
    const auto& ramp = CGDIPColorLegend::Ramp();
    ScatterPlotData data;
    for (auto _ : state) {
        data.Build(log, frames, ScatterSelection{});
        const ScatterMapping m(data.XExtent().minimum, data.XExtent().maximum,
                               data.YExtent().minimum, data.YExtent().maximum, kPlotSize.width(),
                               kPlotSize.height());
        QImage image(kPlotSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        for (int i = 0; i < data.Size(); ++i) {
            int px = 0, py = 0;
            if (!data.IsDrawn(i) || !m.ToPixel(data.X()[size_t(i)], data.Y()[size_t(i)], &px, &py))
                continue;
            painter.fillRect(QRect(px - 1, py - 1, 3, 3),
                             QColor(ramp[data.RampIndices()[size_t(i)]]));
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

/// The parts of a rebuild and paint at 1,000,000 frames: copying and colouring, binning, and
/// growing and colouring the dots.
void BM_BuildOnly(benchmark::State& state) {
    LogData& log = SampleLog(1000000);
    ScatterPlotData data;
    for (auto _ : state) {
        data.Build(log, 1000000, ScatterSelection{});
        benchmark::DoNotOptimize(data.X().data());
    }
}

void BM_BinOnly(benchmark::State& state) {
    LogData& log = SampleLog(1000000);
    ScatterPlotData data;
    data.Build(log, 1000000, ScatterSelection{});
    const ScatterMapping m(data.XExtent().minimum, data.XExtent().maximum, data.YExtent().minimum,
                           data.YExtent().maximum, 760, 540);
    ScatterRaster raster;
    for (auto _ : state) {
        raster.Bin(data.X().data(), data.Y().data(), data.Size(), m);
        benchmark::DoNotOptimize(raster.TopFrame(1, 1));
    }
}

void BM_PaintOnly(benchmark::State& state) {
    LogData& log = SampleLog(1000000);
    ScatterPlotData data;
    data.Build(log, 1000000, ScatterSelection{});
    const ScatterMapping m(data.XExtent().minimum, data.XExtent().maximum, data.YExtent().minimum,
                           data.YExtent().maximum, 760, 540);
    ScatterRaster raster;
    raster.Bin(data.X().data(), data.Y().data(), data.Size(), m);
    QImage image;
    for (auto _ : state) {
        raster.Paint(data.RampIndices().data(), CGDIPColorLegend::Ramp().data(), 1, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

}  // namespace

BENCHMARK(BM_RebuildAndPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildAndDrawPointByPoint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_BuildOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintOnly)->Unit(benchmark::kMillisecond);

QUILLON_QT_BENCHMARK_MAIN();

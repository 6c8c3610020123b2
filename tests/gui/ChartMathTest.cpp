// The chart's plain pieces: smoothing filter, envelopes and decimation, zoom arithmetic,
// hit-testing, the chart model built from a view, and the cursor table texts.

#include <cmath>
#include <limits>
#include <vector>

#include <QtTest>

#include "chart/ChartHitTest.h"
#include "chart/ChartModel.h"
#include "chart/ChartZoom.h"
#include "chart/CurveDecimation.h"
#include "chart/CurveEnvelope.h"
#include "chart/CursorTable.h"
#include "chart/SmoothingFilter.h"
#include "datalog/ChannelInfo.h"
#include "datalog/ChannelNaming.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

constexpr float kMarker = -999999.0f;

/// A log of n frames 10 ms apart starting at t0, with the sample configuration block; channel c
/// holds f(c, i).
template <class F>
void MakeLog(LogData& log, int n, float t0, F f) {
    SampleLogOptions options;
    FillSampleHeader(options, log.header, log.config);
    log.frameCount = n;
    for (int s = 0; s < kSlotCount; ++s) {
        log.values[static_cast<size_t>(s)].Allocate(static_cast<size_t>(n) + 1);
        log.status[static_cast<size_t>(s)].Allocate(static_cast<size_t>(n) + 1);
        for (int i = 0; i <= n; ++i) {
            log.values[static_cast<size_t>(s)][static_cast<size_t>(i)] =
                s == 0 ? t0 + 0.01f * static_cast<float>(i) : f(s + 1, i);
            log.status[static_cast<size_t>(s)][static_cast<size_t>(i)] = 0;
        }
    }
}

/// The first n channels available in the sample configuration.
std::vector<int> AvailableChannels(const LogData& log, int n) {
    std::vector<int> out;
    for (int c = 2; c <= kChannelCount && static_cast<int>(out.size()) < n; ++c)
        if (IsChannelAvailable(log, c)) out.push_back(c);
    return out;
}

}  // namespace

class ChartMathTest : public QObject {
    Q_OBJECT

private slots:
    void filterWindowsAreCutAtBothEnds();
    void filterMatchesSinglePrecisionReference();
    void envelopeKeepsSpikesAndGaps();
    void decimationBoundsPointsPerColumn();
    void rawCurvesBreakAtMarkers();
    void spansConnectColumnsClipAndDash();
    void disorderedTimesAndWildValuesStayBounded();
    void zoomInAndOutStayAtOrAboveZero();
    void zoomLastTogglesAndAllLeavesZoom();
    void wheelZoomKeepsMouseTimeAndPanShifts();
    void zoomGuardsDegenerateWindows();
    void nearestFrameFollowsLookupRule();
    void clickFrameWithComparison();
    void nearestSubsetPrefersEarlierAndSkipsMarkers();
    void modelOrdersItemsByPanelAndGuardsEntries();
    void modelScalesAndFiltersCurves();
    void cursorTableTexts();
};

void ChartMathTest::filterWindowsAreCutAtBothEnds() {
    QCOMPARE(SmoothingHalfWidth(1), 1);
    QCOMPARE(SmoothingHalfWidth(2), 2);
    QCOMPARE(SmoothingHalfWidth(3), 4);
    QCOMPARE(SmoothingHalfWidth(4), 7);
    QCOMPARE(SmoothingHalfWidth(5), 12);
    QCOMPARE(SmoothingHalfWidth(9), 1);
    QCOMPARE(SmoothingHalfWidth(-3), 1);

    // in[i] = i: out[i] is the mean of max(0, i - h) .. min(n, i + h) - 1.
    std::vector<float> in(30);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(i);
    std::vector<float> out(in.size());
    ApplySmoothingFilter(in.data(), in.size(), 5, out.data());  // h = 12
    QCOMPARE(out[0], 5.5f);                                     // 0..11
    QCOMPARE(out[12], 11.5f);                                   // 0..23: 24 samples, not 25
    QCOMPARE(out[29], 23.0f);                                   // 17..29
    ApplySmoothingFilter(in.data(), in.size(), 1, out.data());  // h = 1: {i - 1, i}
    QCOMPARE(out[0], 0.0f);
    QCOMPARE(out[10], 9.5f);
    // An unknown level smooths as level 1.
    std::vector<float> other(in.size());
    ApplySmoothingFilter(in.data(), in.size(), 77, other.data());
    QVERIFY(other == out);
    // A single sample and an empty input.
    float one = 4.0f;
    float result = 0;
    ApplySmoothingFilter(&one, 1, 5, &result);
    QCOMPARE(result, 4.0f);
    ApplySmoothingFilter(nullptr, 0, 5, nullptr);
}

void ChartMathTest::filterMatchesSinglePrecisionReference() {
    // Values whose sums round in single precision, a marker among them: every output equals a
    // window summed afresh in f32 (a sliding sum would drift after the marker).
    std::vector<float> in(400);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = 0.1f * static_cast<float>(i % 37) + 1000.3f;
    in[50] = kMarker;
    std::vector<float> out(in.size());
    ApplySmoothingFilter(in.data(), in.size(), 3, out.data());
    const size_t h = 4;
    for (size_t i = 0; i < in.size(); ++i) {
        const size_t a = i > h ? i - h : 0;
        const size_t b = std::min(in.size(), i + h);
        float sum = 0;
        for (size_t k = a; k < b; ++k)
            sum += in[k];
        QCOMPARE(out[i], sum / static_cast<float>(b - a));
    }
    // Far from the marker, the output is an ordinary mean again.
    QVERIFY(std::abs(out[100] - 1000.3f) < 5.0f);
}

void ChartMathTest::envelopeKeepsSpikesAndGaps() {
    std::vector<float> y(100000, 1.0f);
    y[54321] = 50.0f;
    y[70001] = kMarker;
    y[70002] = std::numeric_limits<float>::quiet_NaN();
    CurveEnvelope env;
    env.Build(y.data(), y.size());
    CurveEnvelope::Range whole = env.MinMax(0, y.size());
    QVERIFY(whole.any);
    QCOMPARE(whole.minimum, 1.0f);  // the marker is not a value
    QCOMPARE(whole.maximum, 50.0f);
    QVERIFY(whole.hasGap);
    // Neighbouring ranges share no block and lose none: the spike lands in exactly one.
    int hits = 0;
    for (size_t a = 0; a < y.size(); a += 997) {
        const CurveEnvelope::Range r = env.MinMax(a, std::min(y.size(), a + 997));
        if (r.maximum == 50.0f) ++hits;
    }
    QCOMPARE(hits, 1);
    // Small ranges are exact.
    const CurveEnvelope::Range small = env.MinMax(54320, 54322);
    QCOMPARE(small.maximum, 50.0f);
    QVERIFY(!env.MinMax(10, 10).any);
    QVERIFY(env.MinMax(5, 500000).hasGap);  // an end beyond the data is cut to it
}

void ChartMathTest::decimationBoundsPointsPerColumn() {
    const size_t n = 1000000;
    std::vector<float> x(n), y(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = 0.001f * static_cast<float>(i);
        y[i] = static_cast<float>(std::sin(i * 0.001));
    }
    y[500000] = 9.0f;
    CurveEnvelope env;
    env.Build(y.data(), n);
    const TimeWindow w{100.0, 900.0};
    const CurveDecimation d = CurveDecimation::Make(x.data(), y.data(), n, env, w, 800);
    QVERIFY(!d.raw);
    QCOMPARE(d.columns, 800);
    PlotMapping map;
    map.width = 800;
    map.height = 100;
    map.window = w;
    map.valueMin = -1;
    map.valueMax = 10;
    std::vector<QPointF> points;
    std::vector<int> starts;
    d.AppendPolylines(x.data(), y.data(), map, 1.0, points, starts);
    QCOMPARE(starts.size(), size_t(1));
    QVERIFY(points.size() <= 2 * 800);
    // The spike at t = 500 s survives in column 400.
    bool spike = false;
    for (const QPointF& p : points)
        spike = spike || (std::abs(p.y() - map.Y(9.0)) < 0.01 && std::abs(p.x() - 400) <= 1);
    QVERIFY(spike);
    // A pixel ratio of 2 halves the distance between columns.
    const CurveDecimation d2 = CurveDecimation::Make(x.data(), y.data(), n, env, w, 1600);
    points.clear();
    starts.clear();
    d2.AppendPolylines(x.data(), y.data(), map, 2.0, points, starts);
    QVERIFY(points.back().x() <= 800.0);
    // Few samples in the window: raw points, with one sample either side of the window.
    const CurveDecimation raw =
        CurveDecimation::Make(x.data(), y.data(), n, env, {10.0005, 10.2005}, 800);
    QVERIFY(raw.raw);
    QCOMPARE(raw.first, size_t(10000));
    QCOMPARE(raw.end, size_t(10202));
}

void ChartMathTest::rawCurvesBreakAtMarkers() {
    std::vector<float> x = {0, 1, 2, 3, 4, 5, 6};
    std::vector<float> y = {1, 2, kMarker, 3, 4, kMarker, kMarker};
    CurveEnvelope env;
    env.Build(y.data(), y.size());
    const CurveDecimation d = CurveDecimation::Make(x.data(), y.data(), y.size(), env, {0, 6}, 100);
    QVERIFY(d.raw);
    PlotMapping map;
    map.width = 600;
    map.height = 100;
    map.window = {0, 6};
    map.valueMax = 5;
    std::vector<QPointF> points;
    std::vector<int> starts;
    d.AppendPolylines(x.data(), y.data(), map, 1.0, points, starts);
    QCOMPARE(points.size(), size_t(4));  // markers are never drawn
    QCOMPARE(starts, (std::vector<int>{0, 2}));
    QCOMPARE(points[2].x(), 300.0);
}

void ChartMathTest::spansConnectColumnsClipAndDash() {
    // 40 columns of 10 samples: a flat line at 2, one column jumping to 8, a gap of markers.
    const size_t n = 400;
    std::vector<float> x(n), y(n, 2.0f);
    for (size_t i = 0; i < n; ++i)
        x[i] = static_cast<float>(i);
    for (size_t i = 100; i < 110; ++i)
        y[i] = 8.0f;
    for (size_t i = 300; i < 320; ++i)
        y[i] = kMarker;
    CurveEnvelope env;
    env.Build(y.data(), n);
    const CurveDecimation d = CurveDecimation::Make(x.data(), y.data(), n, env, {-0.5, 399.5}, 40);
    QVERIFY(!d.raw);
    PlotMapping map;
    map.left = 5;
    map.width = 40;
    map.height = 100;
    map.window = {-0.5, 399.5};
    map.valueMin = 0;
    map.valueMax = 10;  // value 2 at row 80, value 8 at row 20
    QImage image(60, 110, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const QRgb red = qRgb(255, 0, 0);
    d.FillSpans(image, map, 1.0, red, QRect(0, 0, 60, 90), 0);
    auto isRed = [&](int px, int py) { return image.pixel(px, py) == red; };
    QVERIFY(isRed(5, 80));
    QVERIFY(!isRed(5, 79));
    // Column 10 holds the jump: its span runs from row 20 down to the line before it.
    QVERIFY(isRed(15, 20) && isRed(15, 50) && isRed(15, 80));
    QVERIFY(!isRed(14, 50));
    // The marker columns 30 and 31 stay empty.
    QVERIFY(!isRed(35, 80) && !isRed(36, 80));
    QVERIFY(isRed(37, 80));
    // Nothing beyond the clip or outside the columns.
    QVERIFY(!isRed(4, 80) && !isRed(45, 80));
    image.fill(Qt::white);
    map.valueMin = -10;  // value 2 now at row 40, below a clip of rows 0..29
    d.FillSpans(image, map, 1.0, red, QRect(0, 0, 60, 30), 0);
    for (int py = 30; py < 110; ++py)
        QVERIFY(!isRed(5, py));
    // Dashed: the first half of every 8 columns.
    image.fill(Qt::white);
    map.valueMin = 0;
    d.FillSpans(image, map, 1.0, red, QRect(0, 0, 60, 110), 8);
    QVERIFY(isRed(5, 80) && isRed(8, 80) && !isRed(9, 80) && !isRed(12, 80) && isRed(13, 80));
}

void ChartMathTest::disorderedTimesAndWildValuesStayBounded() {
    // Times that jump back and forth, NaN times and values, values far beyond the axis: the
    // reduction stays within the data and the pixels stay finite and bounded.
    const size_t n = 5000;
    std::vector<float> x(n), y(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = static_cast<float>((i * 7919) % 1000);
        y[i] = i % 3 == 0 ? 3e38f : static_cast<float>(i);
    }
    x[17] = std::numeric_limits<float>::quiet_NaN();
    y[18] = std::numeric_limits<float>::quiet_NaN();
    CurveEnvelope env;
    env.Build(y.data(), n);
    PlotMapping map;
    map.width = 300;
    map.height = 200;
    map.window = {100, 900};
    map.valueMax = 10;
    QImage image(320, 220, QImage::Format_ARGB32_Premultiplied);
    for (int columns : {300, 5000}) {
        const CurveDecimation d =
            CurveDecimation::Make(x.data(), y.data(), n, env, map.window, columns);
        QVERIFY(d.first <= d.end && d.end <= n);
        std::vector<QPointF> points;
        std::vector<int> starts;
        d.AppendPolylines(x.data(), y.data(), map, 1.0, points, starts);
        for (const QPointF& p : points)
            QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.y()) <= 1e6);
        d.FillSpans(image, map, 1.0, qRgb(1, 2, 3), image.rect(), 0);
    }
}

void ChartMathTest::zoomInAndOutStayAtOrAboveZero() {
    ChartZoom z;
    z.SetFullWindow({0, 100});
    QVERIFY(!z.IsZoomed());
    QCOMPARE(z.Window(), (TimeWindow{0, 100}));
    z.ZoomIn(50, 0, 100);  // w = 10
    QVERIFY(z.IsZoomed());
    QCOMPARE(z.Window(), (TimeWindow{40, 60}));
    z.ZoomIn(3, 40, 60);  // w = 2
    QCOMPARE(z.Window(), (TimeWindow{1, 5}));
    z.ZoomIn(1, 0, 100);  // near the start: never below 0
    QCOMPARE(z.Window(), (TimeWindow{0, 11}));
    z.ZoomOut(0, 10);  // from a window at 0: 0 stays the start
    QCOMPARE(z.Window(), (TimeWindow{0, 15}));
    z.ZoomOut(20, 30);
    QCOMPARE(z.Window(), (TimeWindow{15, 35}));

    // A log that starts before 0 (zero time set in the middle) may show its negative times.
    ChartZoom n;
    n.SetFullWindow({-30, 30});
    n.ZoomIn(-29, -30, 30);  // w = 6
    QCOMPARE(n.Window(), (TimeWindow{-30, -23}));
    QVERIFY(n.Window().minimum < n.Window().maximum);
}

void ChartMathTest::zoomLastTogglesAndAllLeavesZoom() {
    ChartZoom z;
    z.SetFullWindow({0, 100});
    QVERIFY(!z.ZoomLast());  // nothing before the first zoom
    QVERIFY(!z.IsZoomed());
    z.ZoomTo({10, 20});
    z.ZoomTo({12, 14});
    QVERIFY(z.ZoomLast());
    QCOMPARE(z.Window(), (TimeWindow{10, 20}));
    QVERIFY(z.ZoomLast());  // twice: back where it was
    QCOMPARE(z.Window(), (TimeWindow{12, 14}));
    z.ZoomAll();
    QVERIFY(!z.IsZoomed());
    QCOMPARE(z.Window(), (TimeWindow{0, 100}));
    QVERIFY(z.ZoomLast());
    QCOMPARE(z.Window(), (TimeWindow{12, 14}));
    QVERIFY(z.ZoomLast());
    QCOMPARE(z.Window(), (TimeWindow{0, 100}));
}

void ChartMathTest::wheelZoomKeepsMouseTimeAndPanShifts() {
    ChartZoom z;
    z.SetFullWindow({0, 100});
    z.ZoomAround(25, 0.5);
    QCOMPARE(z.Window(), (TimeWindow{12.5, 62.5}));
    QVERIFY(z.HasPrevious());
    QCOMPARE(z.Previous(), (TimeWindow{0, 100}));
    // The time under the mouse keeps its place on the screen.
    const double before = (25 - 0) / 100.0;
    const double after = (25 - 12.5) / 50.0;
    QCOMPARE(before, after);
    const TimeWindow start = z.Window();
    z.PanFrom(start, -10);
    QCOMPARE(z.Window(), (TimeWindow{2.5, 52.5}));
    z.EnsureVisible(30);
    QCOMPARE(z.Window(), (TimeWindow{2.5, 52.5}));  // already visible
    z.EnsureVisible(70);
    QCOMPARE(z.Window(), (TimeWindow{20, 70}));
    z.EnsureVisible(5);
    QCOMPARE(z.Window(), (TimeWindow{5, 55}));
}

void ChartMathTest::zoomGuardsDegenerateWindows() {
    ChartZoom z;
    z.SetFullWindow({3, 3});  // a log of one frame
    QVERIFY(z.Window().Width() > 0);
    z.ZoomIn(3, 3, 3);  // a one-frame zoom range
    QVERIFY(z.Window().Width() >= ChartZoom::kMinimumWidth * 0.999);
    z.ZoomTo({8, 2});  // reversed
    QCOMPARE(z.Window(), (TimeWindow{2, 8}));
    z.ZoomTo({std::nan(""), 4});
    QCOMPARE(z.Window(), (TimeWindow{2, 8}));
    z.ZoomAround(5, 0);  // no zoom by 0
    QCOMPARE(z.Window(), (TimeWindow{2, 8}));
}

void ChartMathTest::nearestFrameFollowsLookupRule() {
    const float t[] = {0.0f, 1.0f, 2.0f, 4.0f};
    const LogTimes log{t, 4};
    QCOMPARE(NearestFrame(log, -5.0f), 0);
    QCOMPARE(NearestFrame(log, 0.5f), 0);  // a tie goes to the earlier frame
    QCOMPARE(NearestFrame(log, 0.51f), 1);
    QCOMPARE(NearestFrame(log, 3.0f), 2);
    QCOMPARE(NearestFrame(log, 4.0f), 3);  // exactly the last time
    QCOMPARE(NearestFrame(log, 9.0f), 3);
    const LogTimes one{t, 1};
    QCOMPARE(NearestFrame(one, -1.0f), 0);
    QCOMPARE(NearestFrame(one, 7.0f), 0);
    QCOMPARE(NearestFrame(LogTimes{}, 1.0f), -1);
}

void ChartMathTest::clickFrameWithComparison() {
    std::vector<float> mainT(101), compT(301);
    for (int i = 0; i <= 100; ++i)
        mainT[static_cast<size_t>(i)] = 1.0f + 0.1f * i;  // 1..11
    for (int i = 0; i <= 300; ++i)
        compT[static_cast<size_t>(i)] = 2.0f + 0.1f * i;  // 2..32
    const LogTimes main{mainT.data(), 101};
    const LogTimes comp{compT.data(), 301};
    QCOMPARE(FrameAtClick(main, nullptr, 5.0), 40);
    QCOMPARE(FrameAtClick(main, nullptr, 50.0), 100);
    QCOMPARE(FrameAtClick(main, &comp, 5.0), 40);     // inside the main log
    QCOMPARE(FrameAtClick(main, &comp, 20.01), 180);  // beyond the main end: comparison frame
    QCOMPARE(FrameAtClick(main, &comp, 0.5), 0);      // before both starts
    QCOMPARE(FrameAtClick(main, &comp, 99.0), 300);   // after both: the later log's last frame
    // Ends at the same time: the comparison's last frame.
    const LogTimes sameEnd{compT.data() + 90, 11};  // 11..12
    const LogTimes shortMain{mainT.data(), 101};
    QCOMPARE(FrameAtClick(shortMain, &sameEnd, 50.0), 10);
    QCOMPARE(FrameAtClick(LogTimes{}, &comp, 50.0), 300);
}

void ChartMathTest::nearestSubsetPrefersEarlierAndSkipsMarkers() {
    LogData main, comp;
    std::vector<int> ch;
    MakeLog(main, 10, 0.0f, [](int, int) { return 5.0f; });
    MakeLog(comp, 10, 0.0f, [](int, int) { return 7.0f; });
    ch = AvailableChannels(main, 3);
    QCOMPARE(ch.size(), size_t(3));
    GraphConfiguration config;
    GraphView& view = config.views[0];
    for (int e = 0; e < 3; ++e) {
        view.entries[static_cast<size_t>(e)] = {
            static_cast<uint32_t>(ch[static_cast<size_t>(e)]), 1, 1, {}, 0, 0};
    }
    main.values[static_cast<size_t>(ch[1] - 1)][4] = 6.0f;
    main.values[static_cast<size_t>(ch[2] - 1)][4] = kMarker;
    ChartModel model;
    model.Build(config, 0, main, &comp);
    std::vector<PlotMapping> maps(16);
    for (PlotMapping& m : maps) {
        m.height = 100;
        m.valueMin = 0;
        m.valueMax = 10;
    }
    // Pixel rows: value 5 -> 50, 6 -> 40, 7 -> 30.
    QCOMPARE(NearestSubset(model, 4, maps, 41.0), model.SubsetOf(1, false));
    QCOMPARE(NearestSubset(model, 4, maps, 31.0), model.SubsetOf(0, true));  // comparison
    // Items 0 and 2 both hold 5 at frame 3: the earlier item wins the tie.
    QCOMPARE(NearestSubset(model, 3, maps, 50.0), model.SubsetOf(0, false));
    // At frame 4 item 2 holds the marker: it is never picked.
    QCOMPARE(NearestSubset(model, 4, maps, 100.0), model.SubsetOf(0, false));
    // A frame behind both logs' ends: nothing qualifies, subset 0.
    QCOMPARE(NearestSubset(model, 50, maps, 30.0), 0);
}

void ChartMathTest::modelOrdersItemsByPanelAndGuardsEntries() {
    LogData main;
    MakeLog(main, 20, 0.0f, [](int c, int i) { return static_cast<float>(c + i); });
    const std::vector<int> ch = AvailableChannels(main, 4);
    GraphConfiguration config;
    GraphView& view = config.views[2];
    const uint32_t panels[16] = {2, 0, 2, 1, 0, 7, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int e = 0; e < 16; ++e) {
        GraphViewEntry& entry = view.entries[static_cast<size_t>(e)];
        entry.channel = static_cast<uint32_t>(ch[static_cast<size_t>(e % 4)]);
        entry.graph = 1;
        entry.axisDisplay = e != 4;
        entry.panel = panels[e];
    }
    view.entries[7].channel = 441;  // out of range
    view.entries[8].channel = 0;
    view.entries[9].graph = 0;
    ChartModel model;
    model.Build(config, 2, main, nullptr);
    QCOMPARE(model.SubsetCount(), 16);
    // Panel 0 in entry order, then panels 1, 2, 4, and the entry with panel 7 last.
    const std::array<int, 16> expected = {1, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 3, 0, 2, 6, 5};
    QCOMPARE(model.ItemEntries(), expected);
    QCOMPARE(model.PanelItemCount(0), 11);
    QCOMPARE(model.PanelItemCount(3), 0);
    for (int k = 0; k < 16; ++k)
        QCOMPARE(model.Item(k).rgb, ChartModel::kColours[size_t(k)]);
    QCOMPARE(ChartModel::kColours[12], 0x3232B4u);
    const ChartItem& noPanel = model.Item(15);
    QCOMPARE(noPanel.panel, -1);
    QVERIFY(!noPanel.visible);
    QCOMPARE(model.Item(model.ItemOfEntry(7)).channel, 0);  // 441 is no channel
    QVERIFY(!model.Item(model.ItemOfEntry(7)).visible);
    QVERIFY(model.Item(model.ItemOfEntry(7)).main.Empty());
    QVERIFY(!model.Item(model.ItemOfEntry(8)).visible);
    QVERIFY(!model.Item(model.ItemOfEntry(9)).visible);  // not graphed
    QVERIFY(model.Item(model.ItemOfEntry(4)).visible);
    QVERIFY(!model.Item(model.ItemOfEntry(4)).axisShown);  // axis display off
    QCOMPARE(model.Item(0).name, GetChannelName(main.config, ch[1]));
    // A view number from nowhere gives an empty chart, not a crash.
    model.Build(config, 12, main, nullptr);
    for (const ChartItem& item : model.Items())
        QVERIFY(!item.visible);
    // Labels only: the same channels keep their curves; another channel needs a rebuild.
    model.Build(config, 2, main, nullptr);
    view.entries[1].axisDisplay = 0;
    QVERIFY(model.UpdateLabels(config, 2, main));
    QVERIFY(!model.Item(0).axisShown);
    view.entries[1].channel = static_cast<uint32_t>(ch[3]);
    QVERIFY(!model.UpdateLabels(config, 2, main));
}

void ChartMathTest::modelScalesAndFiltersCurves() {
    LogData main, comp;
    MakeLog(main, 200, 0.0f, [](int, int i) { return static_cast<float>(i % 10); });
    MakeLog(comp, 300, 0.0f, [](int, int i) { return i == 5 ? kMarker : 20.0f; });
    const std::vector<int> ch = AvailableChannels(main, 3);
    GraphConfiguration config;
    GraphView& view = config.views[0];
    for (int e = 0; e < 3; ++e)
        view.entries[static_cast<size_t>(e)] = {
            static_cast<uint32_t>(ch[static_cast<size_t>(e)]), 1, 1, {}, 0, 0};
    view.entries[1].filter = 5;
    ChannelAxisSetting& fixed = config.axes[static_cast<size_t>(ch[2] - 1)];
    fixed.autoscale = 0;
    fixed.minimum = 50;  // reversed in the file
    fixed.maximum = -50;
    config.axes[static_cast<size_t>(ch[0] - 1)].autoscale = 1;
    ChartModel model;
    model.Build(config, 0, main, &comp);
    QCOMPARE(model.SubsetCount(), 32);
    const ChartItem& a = model.Item(0);
    QVERIFY(a.autoscale);
    QVERIFY(a.axisMin <= 0 && a.axisMin > -2);  // covers 0..9 and the comparison's 20
    QVERIFY(a.axisMax >= 20 && a.axisMax < 22);
    QCOMPARE(a.main.count, size_t(200));
    QCOMPARE(a.comparison.count, size_t(300));
    QCOMPARE(a.comparison.RawAt(5), kMarker);
    QCOMPARE(a.main.RawAt(250), kMarker);  // behind the main log's end
    const ChartItem& filtered = model.Item(1);
    QCOMPARE(filtered.filter, 5);
    QCOMPARE(filtered.main.RawAt(0), 0.0f);
    QCOMPARE(filtered.main.DrawnAt(0), 46.0f / 12.0f);  // frames 0..11 (h = 12, cut at 0)
    QCOMPARE(model.Item(2).axisMin, -50.0);
    QCOMPARE(model.Item(2).axisMax, 50.0);
    int item = 0;
    bool onComparison = false;
    model.SplitSubset(5, item, onComparison);
    QCOMPARE(item, 2);
    QVERIFY(onComparison);
}

void ChartMathTest::cursorTableTexts() {
    LogData main, comp;
    MakeLog(main, 100, 0.0f, [](int, int i) { return static_cast<float>(i); });
    MakeLog(comp, 120, 0.0f, [](int, int i) { return 1000.0f + static_cast<float>(i); });
    main.values[1][7] = kMarker;  // channel 2 (RPM) has no value at frame 7
    main.stats[1] = {1.0f, 99.0f, 49.5f, 0, 0, 0, 0, 100, 0};
    comp.stats[1] = {1000.0f, 1119.0f, 1059.5f, 0, 0, 0, 0, 120, 0};
    GraphConfiguration config;
    GraphView& view = config.views[0];
    view.entries[0] = {2, 1, 1, {}, 0, 0};
    view.entries[1] = {2, 1, 1, {}, 0, 5};
    ChartModel model;
    model.Build(config, 0, main, &comp);

    CursorTable table;
    QCOMPARE(table.Cell(0), std::string(" "));
    for (int c = 1; c <= 6; ++c)
        QCOMPARE(table.Cell(c), std::string("- "));
    QCOMPARE(std::string(CursorTable::kHeadings[4]), std::string("Average "));

    const std::string rpm = GetChannelName(main.config, 2);
    table.SetCursor(model, 0, false, 40, main, &comp);
    QCOMPARE(table.Cell(0), rpm);
    QCOMPARE(table.Cell(1), GetChannelValueText(main.config, 2, 40.0f));
    QCOMPARE(table.Cell(2), GetChannelValueText(main.config, 2, 1.0f));
    QCOMPARE(table.Cell(3), GetChannelValueText(main.config, 2, 99.0f));
    QCOMPARE(table.Cell(4), GetChannelValueText(main.config, 2, 49.5f));
    QCOMPARE(table.Cell(5), std::string("0.400 sec"));
    // Filtered: the smoothed value, not the raw one.
    table.SetCursor(model, 1, false, 40, main, &comp);
    QCOMPARE(table.Cell(0), rpm + "(Filtered)");
    QCOMPARE(table.Cell(1), GetChannelValueText(main.config, 2, model.Item(1).main.DrawnAt(40)));
    QVERIFY(model.Item(1).main.DrawnAt(40) != 40.0f);
    // Comparison: its own value, statistics and time.
    table.SetCursor(model, 1, true, 110, main, &comp);
    QCOMPARE(table.Cell(0), rpm + "(Filtered)-C");
    QCOMPARE(table.Cell(4), GetChannelValueText(comp.config, 2, 1059.5f));
    QCOMPARE(table.Cell(5), std::string("1.100 sec"));
    // The raw marker gives a blank value cell even where the filtered curve has a value.
    table.SetCursor(model, 1, false, 7, main, &comp);
    QCOMPARE(table.Cell(1), std::string(" "));
    // A main-log cursor behind the main log's end: no value and no time of its own.
    table.SetCursor(model, 0, false, 110, main, &comp);
    QCOMPARE(table.Cell(1), std::string(" "));
    QCOMPARE(table.Cell(5), std::string("- "));
    // Mouse readout.
    table.SetMouseTime(true, 12.3456);
    QCOMPARE(table.Cell(6), std::string("[12.346 sec]"));
    table.SetMouseTime(false, 0);
    QCOMPARE(table.Cell(6), std::string("- "));
    // No cursor, or an entry without a channel: cleared.
    table.SetCursor(model, 0, false, -1, main, &comp);
    QCOMPARE(table.Cell(0), std::string(" "));
    QCOMPARE(table.Cell(5), std::string("- "));
    table.SetCursor(model, 5, false, 3, main, &comp);
    QCOMPARE(table.Cell(1), std::string("- "));
}

QTEST_MAIN(ChartMathTest)
#include "ChartMathTest.moc"

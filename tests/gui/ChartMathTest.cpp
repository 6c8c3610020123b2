// The chart's plain pieces: smoothing, decimation, zoom, hit tests, the model, the cursor table.

#include <cmath>
#include <limits>

#include "gui/chart/AxisScale.h"
#include "gui/chart/SmoothingFilter.h"
#include "settings/GraphConfigurationFile.h"
#include "model/ChannelNaming.h"
#include "samplegen/SampleLog.h"
#include "support/GuiFixtures.h"

using namespace quillon;
using test::AvailableChannels;

namespace {

constexpr float kMarker = -999999.0f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

/// A log of n frames 10 ms apart from t0 with the sample configuration; channel c holds f(c, i).
template <class F>
void MakeLog(LogData& log, int n, float t0, F f) {
    SampleLogOptions options;
    FillSampleHeader(options, log.header, log.config);
    log.frameCount = n;
    for (size_t s = 0; s < size_t(kSlotCount); ++s) {
        log.values[s].Allocate(size_t(n) + 1);
        log.status[s].Allocate(size_t(n) + 1);
        for (int i = 0; i <= n; ++i) {
            log.values[s][size_t(i)] = s == 0 ? t0 + 0.01f * float(i) : f(int(s) + 1, i);
            log.status[s][size_t(i)] = 0;
        }
    }
}

/// View 0 graphing the given channels in panel 0, one entry each.
void GraphChannels(GraphConfiguration& config, const std::vector<int>& channels) {
    for (size_t e = 0; e < channels.size(); ++e)
        config.views[0].entries[e] = {uint32_t(channels[e]), 1, 1, {}, 0, 0};
}

PlotMapping Mapping(double width, double height, TimeWindow w, double vmin, double vmax) {
    PlotMapping map;
    map.width = width;
    map.height = height;
    map.window = w;
    map.valueMin = vmin;
    map.valueMax = vmax;
    return map;
}

struct Curve {
    std::vector<QPointF> points;
    std::vector<int> starts;
};

Curve Polylines(const CurveDecimation& d, const std::vector<float>& x, const std::vector<float>& y,
                const PlotMapping& map, double ratio = 1.0) {
    Curve c;
    d.AppendPolylines(x.data(), y.data(), map, ratio, c.points, c.starts);
    return c;
}

}  // namespace

class ChartMathTest : public QObject {
    Q_OBJECT

private slots:
    void smoothingFilter() {
        for (const auto& [level, halfWidth] :
             {std::pair{1, 1}, {2, 2}, {3, 4}, {4, 7}, {5, 12}, {9, 1}, {-3, 1}})
            QCOMPARE(SmoothingHalfWidth(level), halfWidth);
        ApplySmoothingFilter(nullptr, 0, 5, nullptr);

        // out[i] is the mean of max(0, i - h) .. min(n, i + h) - 1 summed afresh in f32, so that
        // a sliding sum's drift after the marker shows; an unknown level smooths as level 1.
        std::vector<float> in(400), out(in.size());
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = 0.1f * float(i % 37) + 1000.3f;
        in[50] = kMarker;
        for (int level : {1, 3, 5, 77}) {
            ApplySmoothingFilter(in.data(), in.size(), level, out.data());
            const size_t h = size_t(SmoothingHalfWidth(level));
            for (size_t i = 0; i < in.size(); ++i) {
                const size_t a = i > h ? i - h : 0, b = std::min(in.size(), i + h);
                float sum = 0;
                for (size_t k = a; k < b; ++k)
                    sum += in[k];
                QCOMPARE(out[i], sum / float(b - a));
            }
        }
    }

    void envelopeKeepsSpikesAndGaps() {
        std::vector<float> y(100000, 1.0f);
        y[54321] = 50.0f;
        y[70001] = kMarker;
        y[70002] = kNaN;
        CurveEnvelope env;
        env.Build(y.data(), y.size());
        const CurveEnvelope::Range whole = env.MinMax(0, y.size());
        QVERIFY(whole.any && whole.hasGap);
        QCOMPARE(std::pair(whole.minimum, whole.maximum), std::pair(1.0f, 50.0f));  // no marker
        QCOMPARE(env.MinMax(54320, 54322).maximum, 50.0f);  // small ranges are exact
        QVERIFY(!env.MinMax(10, 10).any);
        QVERIFY(env.MinMax(5, 500000).hasGap);  // an end beyond the data is cut to it
    }

    void decimationBoundsPointsPerColumn() {
        const size_t n = 1000000;
        std::vector<float> x(n), y(n);
        for (size_t i = 0; i < n; ++i) {
            x[i] = 0.001f * float(i);
            y[i] = float(std::sin(double(i) * 0.001));
        }
        y[500000] = 9.0f;
        CurveEnvelope env;
        env.Build(y.data(), n);
        const TimeWindow w{100.0, 900.0};
        const CurveDecimation d = CurveDecimation::Make(x.data(), y.data(), n, env, w, 800);
        QVERIFY(!d.raw && d.columns == 800);
        const PlotMapping map = Mapping(800, 100, w, -1, 10);
        const Curve c = Polylines(d, x, y, map);
        QVERIFY(c.starts.size() == 1 && c.points.size() <= 2 * 800);
        // The spike at t = 500 s survives in column 400.
        bool spike = false;
        for (const QPointF& p : c.points)
            spike = spike || (std::abs(p.y() - map.Y(9.0)) < 0.01 && std::abs(p.x() - 400) <= 1);
        QVERIFY(spike);
        // Few samples in the window: raw points, with one sample either side of the window.
        const CurveDecimation raw =
            CurveDecimation::Make(x.data(), y.data(), n, env, {10.0005, 10.2005}, 800);
        QVERIFY(raw.raw);
        QCOMPARE(std::pair(raw.first, raw.end), std::pair(size_t(10000), size_t(10202)));

        // Raw curves break at markers, which are never drawn.
        const std::vector<float> rx = {0, 1, 2, 3, 4, 5, 6};
        const std::vector<float> ry = {1, 2, kMarker, 3, 4, kMarker, kMarker};
        env.Build(ry.data(), ry.size());
        const CurveDecimation r =
            CurveDecimation::Make(rx.data(), ry.data(), ry.size(), env, {0, 6}, 100);
        QVERIFY(r.raw);
        const Curve rc = Polylines(r, rx, ry, Mapping(600, 100, {0, 6}, 0, 5));
        QCOMPARE(std::pair(rc.points.size(), rc.starts),
                 std::pair(size_t(4), std::vector<int>{0, 2}));
        QCOMPARE(rc.points[2].x(), 300.0);
    }

    void spansConnectColumnsClipAndDash() {
        // 40 columns of 10 samples: a flat line at 2, one column jumping to 8, a gap of markers.
        const size_t n = 400;
        std::vector<float> x(n), y(n, 2.0f);
        for (size_t i = 0; i < n; ++i)
            x[i] = float(i);
        std::fill(y.begin() + 100, y.begin() + 110, 8.0f);
        std::fill(y.begin() + 300, y.begin() + 320, kMarker);
        CurveEnvelope env;
        env.Build(y.data(), n);
        const CurveDecimation d =
            CurveDecimation::Make(x.data(), y.data(), n, env, {-0.5, 399.5}, 40);
        QVERIFY(!d.raw);
        PlotMapping map = Mapping(40, 100, {-0.5, 399.5}, 0, 10);  // 2 at row 80, 8 at row 20
        map.left = 5;
        QImage image(60, 110, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        const QRgb red = qRgb(255, 0, 0);
        d.FillSpans(image, map, 1.0, red, QRect(0, 0, 60, 90), 0);
        auto isRed = [&](int px, int py) { return image.pixel(px, py) == red; };
        QVERIFY(isRed(5, 80) && !isRed(5, 79));
        // Column 10 holds the jump: its span runs from row 20 down to the line before it.
        QVERIFY(isRed(15, 20) && isRed(15, 50) && isRed(15, 80) && !isRed(14, 50));
        // The marker columns 30 and 31 stay empty; nothing outside the columns.
        QVERIFY(!isRed(35, 80) && !isRed(36, 80) && isRed(37, 80));
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
        // Translucent from 12 pixels: the jump's 61-pixel span is blended inside with opaque
        // ends; the flat line's one-pixel spans stay opaque.
        image.fill(Qt::white);
        d.FillSpans(image, map, 1.0, red, QRect(0, 0, 60, 110), 0, 120, 12);
        QVERIFY(isRed(15, 20) && isRed(15, 80) && isRed(5, 80));
        QCOMPARE(image.pixel(15, 50), qRgb(255, 135, 135));
    }

    void disorderedTimesAndWildValuesStayBounded() {
        // Times that jump back and forth, NaN times and values, values far beyond the axis.
        const size_t n = 5000;
        std::vector<float> x(n), y(n);
        for (size_t i = 0; i < n; ++i) {
            x[i] = float((i * 7919) % 1000);
            y[i] = i % 3 == 0 ? 3e38f : float(i);
        }
        x[17] = kNaN;
        y[18] = kNaN;
        CurveEnvelope env;
        env.Build(y.data(), n);
        const PlotMapping map = Mapping(300, 200, {100, 900}, 0, 10);
        QImage image(320, 220, QImage::Format_ARGB32_Premultiplied);
        for (int columns : {300, 5000}) {
            const CurveDecimation d =
                CurveDecimation::Make(x.data(), y.data(), n, env, map.window, columns);
            QVERIFY(d.first <= d.end && d.end <= n);
            for (const QPointF& p : Polylines(d, x, y, map).points)
                QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()) && std::abs(p.y()) <= 1e6);
            d.FillSpans(image, map, 1.0, qRgb(1, 2, 3), image.rect(), 0);
        }
    }

    void zoomWindows() {
        ChartZoom z;
        z.SetFullWindow({0, 100});
        QVERIFY(!z.IsZoomed() && !z.ZoomLast());  // nothing before the first zoom
        z.ZoomOut(0, 10);                         // from a window at 0: 0 stays the start
        QCOMPARE(z.Window(), (TimeWindow{0, 15}));

        // A log that starts before 0 (zero time set in the middle) may show its negative times.
        ChartZoom neg;
        neg.SetFullWindow({-30, 30});
        neg.ZoomIn(-29, -30, 30);  // w = 6
        QCOMPARE(neg.Window(), (TimeWindow{-30, -23}));

        // Degenerate windows.
        ChartZoom d;
        d.SetFullWindow({3, 3});  // a log of one frame
        QVERIFY(d.Window().Width() > 0);
        d.ZoomIn(3, 3, 3);
        QVERIFY(d.Window().Width() >= ChartZoom::kMinimumWidth * 0.999);
        d.ZoomTo({8, 2});  // reversed
        QCOMPARE(d.Window(), (TimeWindow{2, 8}));
        d.ZoomTo({std::nan(""), 4});
        d.ZoomAround(5, 0);  // no zoom by 0
        QCOMPARE(d.Window(), (TimeWindow{2, 8}));
    }

    void frameLookupAndClicks() {
        const float t[] = {0.0f, 1.0f, 2.0f, 4.0f};  // a tie goes to the earlier frame
        for (const auto& [time, frame] :
             {std::pair{-5.0f, 0}, {0.5f, 0}, {0.51f, 1}, {3.0f, 2}, {4.0f, 3}, {9.0f, 3}})
            QCOMPARE(NearestFrame(LogTimes{t, 4}, time), frame);
        QCOMPARE(std::pair(NearestFrame(LogTimes{t, 1}, -1.0f), NearestFrame(LogTimes{t, 1}, 7.0f)),
                 std::pair(0, 0));
        QCOMPARE(NearestFrame(LogTimes{}, 1.0f), -1);

        std::vector<float> mainT(101), compT(301);
        for (size_t i = 0; i < mainT.size(); ++i)
            mainT[i] = 1.0f + 0.1f * float(i);  // 1..11
        for (size_t i = 0; i < compT.size(); ++i)
            compT[i] = 2.0f + 0.1f * float(i);  // 2..32
        const LogTimes main{mainT.data(), 101}, comp{compT.data(), 301};
        QCOMPARE(FrameAtClick(main, nullptr, 5.0), 40);
        QCOMPARE(FrameAtClick(main, nullptr, 50.0), 100);
        QCOMPARE(FrameAtClick(main, &comp, 5.0), 40);     // inside the main log
        QCOMPARE(FrameAtClick(main, &comp, 20.01), 180);  // beyond the main end: comparison frame
        QCOMPARE(FrameAtClick(main, &comp, 0.5), 0);      // before both starts
        QCOMPARE(FrameAtClick(main, &comp, 99.0), 300);   // after both: the later log's last frame
        const LogTimes sameEnd{compT.data() + 90, 11};    // 11..12: ends with the main log
        QCOMPARE(FrameAtClick(main, &sameEnd, 50.0), 10);
        QCOMPARE(FrameAtClick(LogTimes{}, &comp, 50.0), 300);
    }

    void nearestSubsetPrefersEarlierAndSkipsMarkers() {
        LogData main, comp;
        MakeLog(main, 10, 0.0f, [](int, int) { return 5.0f; });
        MakeLog(comp, 10, 0.0f, [](int, int) { return 7.0f; });
        const std::vector<int> ch = AvailableChannels(main, 3);
        GraphConfiguration config;
        GraphChannels(config, ch);
        main.values[size_t(ch[1] - 1)][4] = 6.0f;
        main.values[size_t(ch[2] - 1)][4] = kMarker;
        ChartModel model;
        model.Build(config, 0, {}, main, &comp);
        std::vector<PlotMapping> maps(16, Mapping(1, 100, {}, 0, 10));
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

    void modelOrdersItemsByPanelAndGuardsEntries() {
        LogData main;
        MakeLog(main, 20, 0.0f, [](int c, int i) { return float(c + i); });
        const std::vector<int> ch = AvailableChannels(main, 4);
        GraphConfiguration config;
        GraphView& view = config.views[2];
        const uint32_t panels[16] = {2, 0, 2, 1, 0, 7, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (size_t e = 0; e < 16; ++e)
            view.entries[e] = {uint32_t(ch[e % 4]), 1, e != 4, {}, panels[e], 0};
        view.entries[7].channel = 441;  // out of range
        view.entries[8].channel = 0;
        view.entries[9].graph = 0;
        // The document's order: panel 0 in entry order, then panels 1, 2 and 4. The entry with
        // panel 7 has none and comes last; repeated or foreign numbers are ignored.
        const std::vector<int> order = {1, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 3, 0, 2, 6};
        std::vector<int> noisy = order;
        noisy.insert(noisy.begin() + 3, {4, -1, 16});
        ChartModel model;
        model.Build(config, 2, noisy, main, nullptr);
        QCOMPARE(model.SubsetCount(), 16);
        const std::array<int, 16> expected = {1, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 3, 0, 2, 6, 5};
        QCOMPARE(model.ItemEntries(), expected);
        QCOMPARE(std::pair(model.PanelItemCount(0), model.PanelItemCount(3)), std::pair(11, 0));
        QVERIFY(model.Item(15).panel == -1 && !model.Item(15).visible);
        const auto item = [&](int entry) { return model.Item(model.ItemOfEntry(entry)); };
        QCOMPARE(item(7).channel, 0);  // 441 is no channel
        QVERIFY(!item(7).visible && item(7).main.Empty());
        QVERIFY(!item(8).visible && !item(9).visible);   // 9: not graphed
        QVERIFY(item(4).visible && !item(4).axisShown);  // axis display off
        // A view number from nowhere gives an empty chart, not a crash.
        model.Build(config, 12, {}, main, nullptr);
        for (const ChartItem& item : model.Items())
            QVERIFY(!item.visible);
        // Labels only: the same channels keep their curves; another channel needs a rebuild.
        model.Build(config, 2, order, main, nullptr);
        view.entries[1].axisDisplay = 0;
        QVERIFY(model.UpdateLabels(config, 2, order, main));
        QVERIFY(!model.Item(0).axisShown);
        QVERIFY(!model.UpdateLabels(config, 2, {}, main));  // another order
        view.entries[1].channel = uint32_t(ch[3]);
        QVERIFY(!model.UpdateLabels(config, 2, order, main));
    }

    void differenceCurveHasItsOwnAxisAndFollowsTheChoice() {
        // Main 0, 1, 2, ... every 10 ms from 0 s; comparison 100 every 10 ms from 0.005 s: the
        // difference is i - 100 where a comparison frame lies on both sides.
        LogData main, comp;
        MakeLog(main, 200, 0.0f, [](int, int i) { return float(i); });
        MakeLog(comp, 100, 0.005f, [](int, int) { return 100.0f; });
        const std::vector<int> ch = AvailableChannels(main, 2);
        GraphConfiguration config;
        GraphChannels(config, ch);
        ChannelSet differences;
        differences.set(size_t(ch[1] - 1));
        ChartModel model;
        model.Build(config, 0, {}, main, &comp, differences);
        QVERIFY(!model.Difference(0).visible);
        const ChartItem& d = model.Difference(1);
        QVERIFY(d.visible && d.axisShown && d.difference);
        QCOMPARE(d.panel, model.Item(1).panel);
        QCOMPARE(d.name, model.Item(1).name + " diff");
        QCOMPARE(d.main.DrawnAt(0), kMarker);  // before the comparison's first frame
        QCOMPARE(d.main.DrawnAt(50), -50.0f);
        QCOMPARE(d.main.DrawnAt(150), kMarker);  // after its last
        QVERIFY(d.axisMin < -99 && d.axisMax > 0);
        ChartLayout layout;
        layout.Compute(QSizeF(900, 500), model, ChartLayout::Metrics{});
        QVERIFY(layout.AxisRect(ChartModel::kItemCount).isEmpty());
        QCOMPARE(layout.HitTest(layout.AxisRect(ChartModel::kItemCount + 1).center()).index,
                 ChartModel::kItemCount + 1);
        // Another choice rebuilds the curves; without a comparison there is no difference.
        QVERIFY(model.UpdateLabels(config, 0, {}, main, differences));
        QVERIFY(!model.UpdateLabels(config, 0, {}, main, {}));
        model.Build(config, 0, {}, main, nullptr, differences);
        QVERIFY(!model.Difference(1).visible);
    }

    void selectionBandsMergeIntoThePixelColumns() {
        // A million frames 10 ms apart. One frame is a band of the smallest width; runs apart
        // stay apart; none outside the window.
        const int n = 1000000;
        std::vector<float> times(n);
        for (int i = 0; i < n; ++i)
            times[size_t(i)] = 0.01f * float(i);
        const PlotMapping map = Mapping(800, 100, {1000, 9000}, 0, 1);
        const FrameSelection few = FrameSelection::OfFrames({10, 400000, 400001, 400002, 950000});
        auto bands = ChartPainter::SelectionBands(few, times.data(), n, map, 1.0);
        const double middle = (map.X(times[400000]) + map.X(times[400002])) / 2;
        QCOMPARE(bands, (std::vector<std::pair<double, double>>{{middle - 0.5, middle + 0.5}}));
        bands = ChartPainter::SelectionBands(few, times.data(), n,
                                             Mapping(800, 100, {0, 9600}, 0, 1), 1.0);
        QCOMPARE(bands.size(), size_t(3));
    }

    void modelScalesAndFiltersCurves() {
        LogData main, comp;
        MakeLog(main, 200, 0.0f, [](int, int i) { return float(i % 10); });
        MakeLog(comp, 300, 0.0f, [](int, int i) { return i == 5 ? kMarker : 20.0f; });
        const std::vector<int> ch = AvailableChannels(main, 3);
        GraphConfiguration config;
        GraphChannels(config, ch);
        config.views[0].entries[1].filter = 5;
        ChannelAxisSetting& fixed = config.axes[size_t(ch[2] - 1)];
        fixed.autoscale = 0;
        fixed.minimum = 50;  // reversed in the file
        fixed.maximum = -50;
        config.axes[size_t(ch[0] - 1)].autoscale = 1;
        ChartModel model;
        model.Build(config, 0, {}, main, &comp);
        QCOMPARE(model.SubsetCount(), 32);
        const ChartItem& a = model.Item(0);
        // 0..9 and the comparison's 20, padded by 1 to -1..21, then out to steps of 2.
        QCOMPARE(std::pair(a.axisMin, a.axisMax), std::pair(-2.0, 22.0));
        QCOMPARE(a.comparison.RawAt(5), kMarker);
        QCOMPARE(a.main.RawAt(250), kMarker);  // behind the main log's end
        QCOMPARE(model.Item(1).main.RawAt(0), 0.0f);
        QCOMPARE(model.Item(1).main.DrawnAt(0), 46.0f / 12.0f);  // frames 0..11 (h = 12, cut at 0)
        QCOMPARE(std::pair(model.Item(2).axisMin, model.Item(2).axisMax), std::pair(-50.0, 50.0));
    }

    void axisNumbersAreCompactAndRangesRound() {
        const std::pair<std::pair<double, double>, const char*> cases[] = {
            {{10000, 100}, "10k"},   {{1500, 10}, "1.5k"}, {{-1500, 100}, "-1.5k"},
            {{1234, 1}, "1234"},     {{8000, 1000}, "8k"}, {{2.5e6, 1e5}, "2.5M"},
            {{0.25, 0.05}, "0.25"},  {{3.0, 0.5}, "3"},    {{14.7, 0.1}, "14.7"},
            {{-0.0001, 0.1}, "0"},   {{-999, 1}, "-999"},  {{kNaN, 1}, "-"},
            {{-3e30, 1}, "-3.0e+30"}};
        for (const auto& [in, text] : cases)
            QCOMPARE(CompactNumber(in.first, in.second), std::string(text));
        const std::pair<std::pair<double, double>, std::pair<double, double>> ranges[] = {
            {{504.3, 7845.7}, {0, 8000}},
            {{95.6, 104.4}, {95, 105}},
            {{-1, 21}, {-2, 22}},
            {{2, 20}, {2, 20}},
            {{5, 5}, {5, 5}}};
        for (auto [in, out] : ranges) {
            RoundRange(in.first, in.second);
            QCOMPARE(in, out);
        }
    }

    void defaultViewAxesLabelTheirEnds() {
        // 16 channels on the axes of one panel; the chart gets 1000 x 680 of a 1366 x 768 window.
        const std::unique_ptr<LogData> log = GenerateSampleColumns({.frames = 500});
        const GraphConfiguration config = DefaultGraphConfiguration();
        for (const GraphViewEntry& e : config.views[0].entries)
            QCOMPARE(e.panel, 0u);
        ChartModel model;
        model.Build(config, 0, {}, *log, nullptr);
        const QSizeF size(1000, 680);
        // Every shown axis has its name, short ones whole, and labels at both ends that neither
        // overlap nor leave the strip.
        const QFont font;
        ChartLayout layout;
        layout.Compute(size, model, ChartLayout::Metrics::Of(font));
        QVERIFY(layout.PlotArea().width() >= 0.6 * size.width());
        int shown = 0;
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = model.Item(k);
            if (!item.axisShown) continue;
            ++shown;
            const QRectF name = layout.AxisNameRect(k);
            QVERIFY2(!name.isEmpty(), item.name.c_str());
            if (item.name.size() <= 3)
                QVERIFY(name.height() + 0.5 >=
                        QFontMetricsF(font).horizontalAdvance(QString::fromStdString(item.name)));
            const QRectF strip = layout.AxisRect(k);
            const auto& labels = layout.AxisLabels(k);
            bool hasMin = false, hasMax = false;
            for (size_t i = 0; i < labels.size(); ++i) {
                hasMin |= labels[i].value == item.axisMin;
                hasMax |= labels[i].value == item.axisMax;
                QVERIFY(labels[i].text.size() <= 5);
                QVERIFY(strip.contains(labels[i].rect));
                QVERIFY(!labels[i].rect.intersects(name));
                for (size_t j = 0; j < i; ++j)
                    QVERIFY(!labels[i].rect.intersects(labels[j].rect));
            }
            QVERIFY2(hasMin && hasMax, item.name.c_str());
        }
        QVERIFY(shown >= 12);
    }

    void cursorTableTexts() {
        LogData main, comp;
        MakeLog(main, 100, 0.0f, [](int, int i) { return float(i); });
        MakeLog(comp, 120, 0.0f, [](int, int i) { return 1000.0f + float(i); });
        main.values[1][7] = kMarker;  // channel 2 (RPM) has no value at frame 7
        main.stats[1] = {1.0f, 99.0f, 49.5f, 0, 0, 0, 0, 100, 0};
        comp.stats[1] = {1000.0f, 1119.0f, 1059.5f, 0, 0, 0, 0, 120, 0};
        GraphConfiguration config;
        config.views[0].entries[0] = {2, 1, 1, {}, 0, 0};
        config.views[0].entries[1] = {2, 1, 1, {}, 0, 5};
        ChartModel model;
        model.Build(config, 0, {}, main, &comp);
        auto value = [&](const LogData& log, float v) {
            return GetChannelValueText(log.config, 2, v);
        };

        using Row = std::vector<std::string>;
        CursorTable table;
        auto row = [&] {
            Row r;
            for (int c = 0; c <= 6; ++c)
                r.push_back(table.Cell(c));
            return r;
        };
        const Row cleared = {" ", "- ", "- ", "- ", "- ", "- ", "- "};
        QCOMPARE(row(), cleared);
        QCOMPARE(std::string(CursorTable::kHeadings[4]), std::string("Average "));

        const std::string rpm = GetChannelName(main.config, 2);
        const Row mainStats = {value(main, 1.0f), value(main, 99.0f), value(main, 49.5f)};
        table.SetCursor(model, 0, false, 40, main, &comp);
        QCOMPARE(row(), (Row{rpm, value(main, 40.0f), mainStats[0], mainStats[1], mainStats[2],
                             "0.400 sec", "- "}));
        // Filtered: the smoothed value, not the raw one.
        const float smoothed = model.Item(1).main.DrawnAt(40);
        QVERIFY(smoothed != 40.0f);
        table.SetCursor(model, 1, false, 40, main, &comp);
        QCOMPARE(row(), (Row{rpm + "(Filtered)", value(main, smoothed), mainStats[0], mainStats[1],
                             mainStats[2], "0.400 sec", "- "}));
        // Comparison: its own value, statistics and time.
        table.SetCursor(model, 1, true, 110, main, &comp);
        QCOMPARE(row(),
                 (Row{rpm + "(Filtered)-C", value(comp, model.Item(1).comparison.DrawnAt(110)),
                      value(comp, 1000.0f), value(comp, 1119.0f), value(comp, 1059.5f), "1.100 sec",
                      "- "}));
        // The raw marker gives a blank value cell even where the filtered curve has a value.
        table.SetCursor(model, 1, false, 7, main, &comp);
        QCOMPARE(table.Cell(1), std::string(" "));
        // A main-log cursor behind the main log's end: no value and no time of its own.
        table.SetCursor(model, 0, false, 110, main, &comp);
        QCOMPARE(std::pair(table.Cell(1), table.Cell(5)),
                 std::pair(std::string(" "), std::string("- ")));
        table.SetMouseTime(true, 12.3456);
        QCOMPARE(table.Cell(6), std::string("[12.346 sec]"));
        table.SetMouseTime(false, 0);
        QCOMPARE(table.Cell(6), std::string("- "));
        // No cursor, or an entry without a channel: cleared.
        table.SetCursor(model, 0, false, -1, main, &comp);
        QCOMPARE(row(), cleared);
        table.SetCursor(model, 5, false, 3, main, &comp);
        QCOMPARE(table.Cell(1), std::string("- "));
    }
};

QTEST_MAIN(ChartMathTest)
#include "ChartMathTest.moc"

// The scatter plot: colour ramp and indices, binned picture, filter, window, mouse and pictures.

#include <limits>

#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "gui/chart/ScatterPlotView.h"
#include "gui/common/CChannelPicker.h"
#include "gui/common/CGDIPColorLegend.h"
#include "gui/common/CNumericEdit.h"
#include "gui/common/NumericFormat.h"
#include "model/ChannelNaming.h"
#include "gui/dialogs/CDlgDataLogScatterPlot.h"
#include "support/DocumentFixture.h"
#include "support/GuiFixtures.h"
#include "support/PictureCheck.h"

using namespace quillon;
using test::HintSpy;

namespace {

constexpr int kAfr = 9;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kMarker = ScatterPlotData::kNoValue;

/// Every point drawn on its own as a square dot, in frame order.
QImage NaivePicture(const std::vector<float>& x, const std::vector<float>& y,
                    const std::vector<uint8_t>& ramp, const ScatterMapping& m, int r) {
    QImage image(m.Width(), m.Height(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (size_t i = 0; i < x.size(); ++i) {
        int px = 0, py = 0;
        if (!ScatterPlotData::IsDrawable(x[i], y[i]) || !m.ToPixel(x[i], y[i], &px, &py)) continue;
        painter.fillRect(QRect(px - r, py - r, 2 * r + 1, 2 * r + 1),
                         QColor(CGDIPColorLegend::Ramp()[ramp[i]]));
    }
    return image;
}

/// Many points on few pixels, so that frame order decides nearly every pixel; some land on the
/// edges, outside, on the no-value marker or on no number.
struct Crowd {
    static constexpr int n = 3000;
    std::vector<float> x = std::vector<float>(n), y = std::vector<float>(n);
    std::vector<uint8_t> ramp = std::vector<uint8_t>(n);
    ScatterMapping m{0.0, 40.0, 0.0, 10.0, 37, 23};
    ScatterRaster raster;

    Crowd() {
        QRandomGenerator rng(7);
        for (int i = 0; i < n; ++i) {
            x[size_t(i)] = float(rng.bounded(44.0) - 2.0);
            y[size_t(i)] = float(rng.bounded(12.0) - 1.0);
            ramp[size_t(i)] = uint8_t(rng.bounded(101));
        }
        x[0] = 0.0f, y[0] = 0.0f;
        x[1] = 40.0f, y[1] = 10.0f;
        x[2] = ScatterPlotData::kNoValue;
        y[3] = kNaN;
        raster.Bin(x.data(), y.data(), n, m);
    }
};

}  // namespace

class ScatterPlotTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    QPointer<CDlgDataLogScatterPlot> m_window;

    std::string WriteLog(const char* name, int frames, bool allFeatures = true) {
        return DocumentFixture::WriteLog(name, {.frames = frames, .allFeatures = allFeatures});
    }

    CDlgDataLogScatterPlot* Open() {
        return CDlgDataLogScatterPlot::OpenOrRaise(m_window, *m_doc, m_prompt);
    }

    std::vector<float> Column(int c) {
        const LogData& log = m_doc->Main();
        return {log.values[size_t(c - 1)].begin(),
                log.values[size_t(c - 1)].begin() + log.frameCount};
    }

private slots:
    void init() {
        NewDocument();
        m_doc->destroyModelessWindows = [this] { CDlgDataLogScatterPlot::Destroy(m_window); };
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 3000)));
    }

    void cleanup() {
        CDlgDataLogScatterPlot::Destroy(m_window);
        DeleteDocument();
    }

    void rampAndColourIndexOfValues() {
        // Five runs of 20 steps from red over yellow, green, cyan and blue to magenta, each
        // moving one component by 255 * k / 20, halves rounded up (12.75 -> 13, 127.5 -> 128).
        const std::pair<int, QColor> ramp[] = {
            {0, {255, 0, 0}},    {1, {255, 13, 0}},   {2, {255, 26, 0}},   {20, {255, 255, 0}},
            {30, {127, 255, 0}}, {55, {0, 255, 191}}, {100, {255, 0, 255}}};
        for (const auto& [i, colour] : ramp) {
            QCOMPARE(CGDIPColorLegend::RampColor(i), colour);
            QCOMPARE(QColor(CGDIPColorLegend::Ramp()[size_t(i)]), colour);
        }
        // Truncated; below the range red, above magenta, no number red. An empty range: the
        // value itself gives no number (red), above is magenta, below red.
        const std::tuple<float, float, float, int> index[] = {
            {10, 10, 20, 0},         {15, 10, 20, 50},         {20, 10, 20, 100},
            {11, 10, 13, 33},        {5, 10, 20, 0},           {25, 10, 20, 100},
            {kNaN, 10, 20, 0},       {14.7f, 14.7f, 14.7f, 0}, {14.8f, 14.7f, 14.7f, 100},
            {14.6f, 14.7f, 14.7f, 0}};
        for (const auto& [value, low, high, expected] : index)
            QCOMPARE(ScatterPlotData::RampIndex(value, low, high), expected);
    }

    void colourIndicesOfAWholeLog() {
        // The rebuild colours values in groups; each as the one-value rule, odd values included.
        LogData log;
        const float values[] = {kNaN,  -kNaN,  INFINITY, -INFINITY, -0.0f,  0.0f,
                                11.0f, 12.0f,  12.37f,   12.99999f, 13.0f,  13.0001f,
                                1e30f, -1e30f, 12.5f,    12.01f,    kMarker};
        const int n = 53;  // several groups of sixteen and a tail
        for (int c : {1, 2, 29, kAfr})
            log.values[size_t(c - 1)].Allocate(size_t(n));
        for (int i = 0; i < n; ++i) {
            log.values[0][size_t(i)] = float(i);
            log.values[1][size_t(i)] = log.values[28][size_t(i)] = 1.0f;
            log.values[kAfr - 1][size_t(i)] = values[size_t(i) % std::size(values)];
        }
        log.frameCount = n;
        // A range, an empty range and a reversed range.
        for (const auto& [cmin, cmax] : {std::pair{12.0f, 13.0f}, {12.5f, 12.5f}, {13.0f, 12.0f}}) {
            log.stats[kAfr - 1].minimum = cmin;
            log.stats[kAfr - 1].maximum = cmax;
            ScatterPlotData data;
            data.Build(log, n + 3, ScatterSelection{});  // three frames beyond the columns
            for (int i = 0; i < n; ++i)
                QCOMPARE(int(data.RampIndices()[size_t(i)]),
                         ScatterPlotData::RampIndex(log.values[kAfr - 1][size_t(i)], cmin, cmax));
            QVERIFY(!data.IsDrawn(n));
        }
    }

    void binnedPictureEqualsDrawingDotByDot() {
        Crowd c;
        for (int radius : {0, 1, 2}) {
            QImage binned;
            c.raster.Paint(c.ramp.data(), CGDIPColorLegend::Ramp().data(), radius, binned);
            QCOMPARE(binned, NaivePicture(c.x, c.y, c.ramp, c.m, radius));
        }
    }

    void nearestPixelWinsThenTheLatestFrame() {
        const Crowd c;
        // Half a pixel between two drawn pixels is a tie of distances, which the later frame wins.
        for (const QPointF& at :
             {QPointF(3.2, 4.6), QPointF(20, 11), QPointF(36, 0), QPointF(10.5, 7)}) {
            int best = -1, px = 0, py = 0;
            double bestD = 1e9;
            for (int i = 0; i < Crowd::n; ++i) {
                if (!ScatterPlotData::IsDrawable(c.x[size_t(i)], c.y[size_t(i)]) ||
                    !c.m.ToPixel(c.x[size_t(i)], c.y[size_t(i)], &px, &py))
                    continue;
                const double d = std::hypot(px - at.x(), py - at.y());
                if (d < bestD - 1e-12 || (std::fabs(d - bestD) < 1e-12 && i > best))
                    best = i, bestD = d;
            }
            QCOMPARE(c.raster.NearestFrame(at.x(), at.y(), 5.0), best);
        }
    }

    void filterKeepsFramesOnItsBounds() {
        LogData& log = m_doc->Main();
        const std::vector<float> afr = Column(kAfr);
        const float bound = afr[afr.size() / 2];
        ScatterSelection s;
        s.filterEnabled = true;
        s.lower = s.upper = bound;
        s.colorChannel = 2;
        ScatterPlotData data;
        data.Build(log, m_doc->GetDisplayLength(), s);
        int kept = 0;
        for (int i = 0; i < data.Size(); ++i) {
            QCOMPARE(data.IsDrawn(i), afr[size_t(i)] == bound);
            kept += data.IsDrawn(i);
        }
        QVERIFY(kept >= 1 && data.DrawnCount() == kept);
        // Not the filter channel: its statistics; the filter channel: the bounds.
        QCOMPARE(std::pair(data.ColorMin(), data.ColorMax()),
                 std::pair(log.stats[1].minimum, log.stats[1].maximum));
        s.colorChannel = kAfr;
        s.lower = 12.0f;
        s.upper = 13.0f;
        data.Build(log, m_doc->GetDisplayLength(), s);
        QCOMPARE(std::pair(data.ColorMin(), data.ColorMax()), std::pair(12.0f, 13.0f));
    }

    void windowSetsUpItsControls() {
        CDlgDataLogScatterPlot* w = Open();
        QCOMPARE(std::tuple(w->XCombo()->currentData().toInt(), w->YCombo()->currentData().toInt(),
                            w->ColorCombo()->currentData().toInt(),
                            w->FilterCombo()->currentData().toInt()),
                 std::tuple(2, 29, kAfr, kAfr));
        // The band's height limit leaves the drop-down list alone, so that it opens full length.
        QCOMPARE(w->XCombo()->view()->maximumHeight(), QWIDGETSIZE_MAX);
        QVERIFY(!w->FilterCheck()->isChecked());
        QCOMPARE(std::pair(w->Plot()->PlotTexts().xTitle, w->Plot()->PlotTexts().yTitle),
                 std::pair(QString("RPM"), QString("MAP")));

        // Bound fields: the full format shown, the number typed, the default axis range.
        const LogData& log = m_doc->Main();
        const std::string format = GetChannelValueFormat(log.config, kAfr);
        CNumericEdit* lower = w->LowerField();
        QCOMPARE(std::pair(lower->DisplayFormat(), lower->EditFormat()),
                 std::pair(FromAnsi(format), FromAnsi(NumberFormatOf(format))));
        QCOMPARE(std::pair(lower->Minimum(), lower->Maximum()),
                 std::pair(double(GetChannelMin(log, kAfr)), double(GetChannelMax(log, kAfr))));
        w->FilterCombo()->setCurrentIndex(w->FilterCombo()->findData(2));
        QCOMPARE(std::pair(w->UpperField()->Step(), w->UpperField()->Maximum()),
                 std::pair(1.0, double(GetChannelMax(log, 2))));

        // The legend texts are the colour range in the colour channel's format.
        const QString cf = FromAnsi(format);
        QCOMPARE(w->MinLabel()->text(), FormatDouble(cf, log.stats[kAfr - 1].minimum));
        QCOMPARE(w->MaxLabel()->text(), FormatDouble(cf, log.stats[kAfr - 1].maximum));
    }

    void boundsApplyOnlyWhileFiltering() {
        CDlgDataLogScatterPlot* w = Open();
        const int all = w->Plot()->Data().DrawnCount();
        QCOMPARE(all, m_doc->GetFrameCount());
        const int rebuilds = w->RebuildCount();
        w->LowerField()->SetPos(14.6);
        w->UpperField()->SetPos(14.7);
        QCOMPARE(w->RebuildCount(), rebuilds);
        QCOMPARE(w->Plot()->Data().DrawnCount(), all);

        w->FilterCheck()->setChecked(true);
        const int filtered = w->Plot()->Data().DrawnCount();
        QVERIFY(filtered > 0 && filtered < all);
        QCOMPARE(w->MinLabel()->text(), FormatDouble(w->LowerField()->DisplayFormat(), 14.6f));
        QCOMPARE(w->MaxLabel()->text(), FormatDouble(w->LowerField()->DisplayFormat(), 14.7f));
        w->UpperField()->SetPos(15.0);  // now it rebuilds at once
        QVERIFY(w->Plot()->Data().DrawnCount() > filtered);
        QCOMPARE(w->Plot()->Data().ColorMax(), 15.0f);

        // A bound typed outside the range asks through the prompt; No keeps the old value.
        m_prompt.QueueAnswer(PromptAnswer::No);
        w->UpperField()->SetPos(1e6);
        QCOMPARE(w->UpperField()->Value(), 15.0);
        QCOMPARE(m_prompt.asked.back().caption, std::string("Value Too High"));
    }

    void unavailableDefaultLeavesComboEmpty() {
        QVERIFY(m_doc->OnOpenDocument(WriteLog("bare.dl", 200, false)));
        QVERIFY(!IsChannelAvailable(m_doc->Main(), kAfr));
        CDlgDataLogScatterPlot* w = Open();
        QCOMPARE(std::pair(w->ColorCombo()->currentIndex(), w->FilterCombo()->currentIndex()),
                 std::pair(-1, -1));
        QCOMPARE(std::tuple(w->Selection().colorChannel, w->XCombo()->currentData().toInt(),
                            w->Plot()->Data().Size()),
                 std::tuple(kAfr, 2, 200));
        w->Plot()->RenderImage(QSize(400, 300));
    }

    void mouseMovesCursorZoomsReadsAndSelects() {
        CDlgDataLogScatterPlot* w = Open();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        HintSpy spy;
        m_doc->AddView(&spy);
        ScatterPlotView* plot = w->Plot();
        const QPointF at = plot->PositionOf(1234);
        QVERIFY(plot->PlotRect().contains(at.toPoint()));
        const int shown = plot->FrameAt(at.toPoint());
        QVERIFY(shown >= 0);
        QSignalSpy moved(w, &CDlgDataLogScatterPlot::cursorMoved);
        QTest::mouseClick(plot, Qt::LeftButton, {}, at.toPoint());
        QCOMPARE(std::tuple(m_doc->GetCursorFrame(), plot->CursorFrame(), int(moved.count())),
                 std::tuple(shown, shown, 1));
        QCOMPARE(spy.hints, std::vector<DocumentChange>{DocumentChange::CursorMoved});

        // Hover reads without binning again; the wheel zooms about the mouse, a double click out.
        const int builds = plot->RasterBuilds();
        QTest::mouseMove(plot, at.toPoint());
        plot->grab();
        QCOMPARE(std::pair(plot->HoverFrame(), plot->RasterBuilds()), std::pair(shown, builds));
        const ScatterRange full = plot->XRange();
        QWheelEvent wheel(at, plot->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot, &wheel);
        QVERIFY(plot->IsZoomed());
        QVERIFY(plot->XRange().maximum - plot->XRange().minimum < full.maximum - full.minimum);
        QVERIFY(std::fabs(plot->PositionOf(shown).x() - at.x()) <= 2.0);  // stays under the mouse
        // Zooming out stops at the data's range, from a zoomed plot and from the full one.
        for (int turn = 0; turn < 2; ++turn) {
            QWheelEvent out(at, plot->mapToGlobal(at), {}, {0, -720}, Qt::NoButton, {},
                            Qt::NoScrollPhase, false);
            QApplication::sendEvent(plot, &out);
            QVERIFY(!plot->IsZoomed() && plot->XRange() == full);
        }
        QApplication::sendEvent(plot, &wheel);
        QTest::mouseDClick(plot, Qt::LeftButton, {}, at.toPoint());
        QVERIFY(!plot->IsZoomed() && plot->XRange() == full);

        // A Shift box selects the frames drawn inside it; Escape clears them, a second one closes.
        spy.hints.clear();
        const QRect area = plot->PlotRect();
        const QPoint from = area.topLeft() + QPoint(area.width() / 3, area.height() / 4);
        const QPoint to = area.topLeft() + QPoint(area.width() * 2 / 3, area.height() * 3 / 4);
        QTest::mousePress(plot, Qt::LeftButton, Qt::ShiftModifier, to);  // corners either way
        QTest::mouseMove(plot, from);
        QTest::mouseRelease(plot, Qt::LeftButton, Qt::ShiftModifier, from);
        QVERIFY(m_doc->HasSelection() && plot->SelectionBox().has_value());
        QCOMPARE(spy.hints, std::vector<DocumentChange>{DocumentChange::SelectionChanged});
        // Every point drawn inside the box is selected, none outside (give or take a pixel).
        const FrameSelection& s = *m_doc->GetSelection();
        const QRectF box = QRectF(from, to).normalized();
        int inside = 0;
        for (int f = 0; f < m_doc->GetFrameCount(); ++f) {
            if (!plot->Data().IsDrawn(f)) {
                QVERIFY(!s.Contains(f));
                continue;
            }
            const QPointF at = plot->PositionOf(f);
            if (box.adjusted(1, 1, -1, -1).contains(at))
                QVERIFY2(s.Contains(f), qPrintable(QString::number(f)));
            if (!box.adjusted(-1, -1, 1, 1).contains(at)) QVERIFY(!s.Contains(f));
            inside += s.Contains(f);
        }
        QVERIFY(inside > 0 && s.FrameCount() == int64_t(inside));
        m_doc->RemoveView(&spy);
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!m_doc->HasSelection() && !plot->SelectionBox().has_value() && w->isVisible());
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(m_window.isNull());
    }

    void toolsMenuOpensItAndTheMainWindowFollowsClicks() {
        const QString log = QString::fromStdString(WriteLog("frame.dl", 2000));
        ScriptedPrompt prompt;
        const auto viewer = test::StartViewer(*m_dir, prompt, log);
        QVERIFY(viewer);
        CBrenmorQuillonLogViewerApp& app = *viewer;
        CDataLogFrame& frame = *app.MainFrame();
        QVERIFY(frame.ExecuteCommand(ID_SCATTER_PLOT));
        CDlgDataLogScatterPlot* w = frame.ScatterPlot();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->parentWidget(), &frame);  // owned by the main window, which it stays above

        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QPoint at = w->Plot()->PositionOf(700).toPoint();
        const int shown = w->Plot()->FrameAt(at);
        QTest::mouseClick(w->Plot(), Qt::LeftButton, {}, at);
        QCOMPARE(app.Doc().GetCursorFrame(), shown);
        QCOMPARE(frame.ChartPane()->CursorFrame(), shown);

        QVERIFY(frame.OpenDocumentFile(log));  // the document closes the window
        QVERIFY(!frame.ScatterPlot());
    }

    void exportPictureKeepsTheTextsAndWritesOnePdfPage() {
        CDlgDataLogScatterPlot* w = Open();
        // From the window's button, as a user saves it.
        QCOMPARE(test::PdfPagesSavedBy(w->PictureButton(), m_prompt,
                                       m_dir->filePath(QStringLiteral("plot.pdf"))),
                 1);
        QUILLON_SKIP_WITHOUT_SVG();
        int images = 0;
        const QStringList texts = test::SvgTexts(
            ChartPicture::Encode(w->Picture(), PictureFormat::Svg, QSize(700, 500)), &images);
        QVERIFY(texts.contains(QStringLiteral("RPM")));
        QVERIFY(texts.contains(QStringLiteral("MAP")));
        QVERIFY(texts.contains(w->MinLabel()->text()));
        QVERIFY(texts.contains(QStringLiteral("Color: ") + w->Plot()->PlotTexts().colorTitle));
        QCOMPARE(images, 1);  // the points; axes and texts stay vector
        QVERIFY(!texts.join(QLatin1Char(' ')).contains(QStringLiteral("Filter:")));
        // An active filter is named, so that the picture does not pass for the whole log.
        w->FilterCheck()->setChecked(true);
        const QString filter =
            QStringLiteral("Filter: %1 from %2 to %3")
                .arg(w->FilterCombo()->currentText(), w->LowerField()->DisplayText(),
                     w->UpperField()->DisplayText());
        QVERIFY2(
            test::SvgTexts(ChartPicture::Encode(w->Picture(), PictureFormat::Svg, QSize(700, 500)))
                .contains(filter),
            qPrintable(filter));
    }
};

QTEST_MAIN(ScatterPlotTest)
#include "ScatterPlotTest.moc"

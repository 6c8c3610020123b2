// The strip chart over a real document: clicks, zoom, dragging, keys, cursor table, hints.

#include "model/ChannelNaming.h"
#include "support/DocumentFixture.h"
#include "support/GuiFixtures.h"

using namespace quillon;

class DataLogViewTest : public QObject, test::DocumentFixture {
    Q_OBJECT

private:
    /// Opens a sample log (100 frames a second) and shows its chart (GuiFixtures' three curves).
    void OpenWithView(int frames) {
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", frames)));
        m_view = test::ShowThreeCurves(*m_doc, *m_prefs, QSize(1000, 640), &m_channels);
        QVERIFY(m_view);
    }

    QPoint PointOf(int entry, int frame) const {
        const ChartItem& it = m_view->Model().Item(m_view->Model().ItemOfEntry(entry));
        const PlotMapping map = m_view->Layout().MappingOf(it, Window());
        const LogData& log = m_doc->Main();
        const double t = log.values[0][size_t(frame)];
        const double v = log.values[size_t(it.channel - 1)][size_t(frame)];
        return QPointF(map.X(t), map.Y(v)).toPoint();
    }

    void Click(const QPoint& p) { QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, p); }
    void Click(const QRectF& r) { Click(r.center().toPoint()); }
    void Drag(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers mods) {
        QTest::mousePress(m_view.get(), Qt::LeftButton, mods, from);
        QTest::mouseMove(m_view.get(), (from + to) / 2);
        QTest::mouseMove(m_view.get(), to);
        QTest::mouseRelease(m_view.get(), Qt::LeftButton, mods, to);
    }
    TimeWindow Window() const { return m_view->VisibleWindow(); }

    std::unique_ptr<CDataLogView> m_view;
    test::HintSpy m_other;
    std::vector<int> m_channels;  // channels available in the sample logs

private slots:
    void init() {
        NewDocument();
        m_other.hints.clear();
        m_doc->AddView(&m_other);
    }

    void cleanup() {
        m_view.reset();
        if (m_doc) m_doc->RemoveView(&m_other);
        DeleteDocument();
    }

    void clicksPickFrameCurveAndAxes() {
        // Without a log there is no chart; the first log builds it through LogChanged.
        m_view = std::make_unique<CDataLogView>(*m_doc, *m_prefs);
        QVERIFY(!m_view->HasChart());
        m_view.reset();
        OpenWithView(2000);
        QVERIFY(m_view->HasChart() && !m_view->IsZoomed());
        QCOMPARE(m_doc->GetZoomLast(), 1999);
        QVERIFY(m_view->Layout().PanelRect(0).bottom() < m_view->Layout().PanelRect(1).top());
        QVERIFY(m_view->Layout().PanelRect(2).isEmpty());
        QCOMPARE(m_view->Table().Cell(0), std::string(" "));  // no cursor yet

        QSignalSpy cursorSpy(m_view.get(), &CDataLogView::cursorChanged);
        m_view->ZoomToWindow(10.0, 11.0);  // one frame spans several pixels
        m_other.hints.clear();
        Click(PointOf(3, 1042));  // the only curve in panel 1
        QCOMPARE(
            std::tuple(m_doc->GetCursorFrame(), m_doc->GetCursorEntry(), int(cursorSpy.count())),
            std::tuple(1042, 3, 1));
        QCOMPARE(m_view->CursorItem(), m_view->Model().ItemOfEntry(3));
        QCOMPARE(m_other.hints, std::vector<DocumentChange>{DocumentChange::CursorMoved});
        QCOMPARE(m_view->Table().Cell(0), GetChannelName(m_doc->Main().config, m_channels[0]));
        QCOMPARE(m_view->Table().Cell(5), std::string("10.420 sec"));
        // Clicks outside the plotting area leave the cursor alone.
        Click(QPoint(2, 300));
        Click(QPoint(500, 4 + int(m_view->Layout().TableRect().bottom())));
        QCOMPARE(std::pair(m_doc->GetCursorFrame(), int(cursorSpy.count())), std::pair(1042, 1));

        // Axis strips report their entry; the time axis has its own signal.
        QSignalSpy axisSpy(m_view.get(), &CDataLogView::axisClicked);
        QSignalSpy xSpy(m_view.get(), &CDataLogView::xAxisClicked);
        Click(m_view->Layout().AxisRect(m_view->Model().ItemOfEntry(6)));
        Click(m_view->Layout().XAxisRect());
        QCOMPARE(std::tuple(int(axisSpy.count()), axisSpy.at(0).at(0).toInt(), int(xSpy.count())),
                 std::tuple(1, 6, 1));
        QCOMPARE(m_doc->GetCursorFrame(), 1042);

        // The mouse time cell follows the mouse over the panels.
        QTest::mouseMove(m_view.get(), m_view->Layout().PanelRect(0).center().toPoint());
        const QString cell = QString::fromStdString(m_view->Table().Cell(6));
        QVERIFY(cell.startsWith('[') && cell.endsWith(" sec]"));
        QTest::mouseMove(m_view.get(), QPoint(2, 2));
        QCOMPARE(m_view->Table().Cell(6), std::string("- "));
    }

    void zoomCommandsGiveTheirWindows() {
        OpenWithView(2000);
        const float* t = m_doc->Main().values[0].data();
        QSignalSpy rangeSpy(m_view.get(), &CDataLogView::zoomRangeChanged);
        // Zoom In before any click centres on a frame inside the log.
        m_view->ZoomIn();
        QVERIFY(m_view->IsZoomed() && Window().minimum > 0);
        m_view->ZoomAll();
        QVERIFY(!m_view->IsZoomed());
        QCOMPARE(std::pair(m_doc->GetZoomFirst(), m_doc->GetZoomLast()), std::pair(0, 1999));

        Click(PointOf(3, 500));
        const int cursor = m_doc->GetCursorFrame();
        QVERIFY(std::abs(cursor - 500) <= 2);
        const double w = (double(t[1999]) - t[0]) / 10;
        m_view->ZoomIn();
        QCOMPARE(Window(), (TimeWindow{t[cursor] - w, t[cursor] + w}));
        QCOMPARE(std::pair(m_doc->GetZoomFirst(), rangeSpy.last().at(1).toInt()),
                 std::pair(m_doc->FrameAtTime(float(t[cursor] - w)), m_doc->GetZoomLast()));
        QCOMPARE(m_doc->GetZoomLast(), m_doc->FrameAtTime(float(t[cursor] + w)));
        const TimeWindow in = Window();
        // Zoom Out from the zoom range's frames: twice as wide.
        const int a = m_doc->GetZoomFirst(), b = m_doc->GetZoomLast();
        m_view->ZoomOut();
        const double h = (double(t[b]) - t[a]) / 2;
        QCOMPARE(Window(), (TimeWindow{t[a] - h, t[b] + h}));
        // Zoom Last toggles between the last two windows.
        const TimeWindow out = Window();
        m_view->ZoomLast();
        QCOMPARE(Window(), in);
        m_view->ZoomLast();
        QCOMPARE(Window(), out);
        // The buttons on the chart run the same commands.
        Click(m_view->Layout().ZoomButtonRect(ChartLayout::kZoomAll));
        QVERIFY(!m_view->IsZoomed() && m_doc->GetZoomLast() == 1999);
        Click(m_view->Layout().ZoomButtonRect(ChartLayout::kZoomLast));
        QCOMPARE(Window(), out);
        // Zoom In at the very start never shows negative times.
        m_view->ZoomAll();
        m_doc->SetCursor(3, 3, false);
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
        m_view->ZoomIn();
        QCOMPARE(Window().minimum, 0.0);
    }

    void boxWheelAndPanZoom() {
        OpenWithView(2000);
        const QRectF area = m_view->Layout().PlotArea();
        const TimeWindow all = Window();
        PlotMapping map;
        map.left = area.left();
        map.width = area.width();
        map.window = all;
        const int y = int(m_view->Layout().PanelRect(0).center().y());
        const QPoint p0(int(area.left() + 100), y), p1(int(area.left() + 300), y);
        Drag(p0, p1, Qt::NoModifier);
        QVERIFY(m_view->IsZoomed());
        QCOMPARE(Window(), (TimeWindow{map.TimeAt(p0.x()), map.TimeAt(p1.x())}));
        QCOMPARE(m_doc->GetCursorFrame(), -1);  // a drag is no click
        m_view->ZoomLast();
        QCOMPARE(Window(), all);

        // The wheel zooms around the time under the mouse.
        const double tMouse = map.TimeAt(p1.x());
        QWheelEvent wheel(QPointF(p1), m_view->mapToGlobal(QPointF(p1)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view.get(), &wheel);
        const TimeWindow wheeled = Window();
        QVERIFY(std::abs(wheeled.Width() - all.Width() * 0.8) < 1e-9);
        QVERIFY(std::abs((tMouse - wheeled.minimum) / wheeled.Width() -
                         (tMouse - all.minimum) / all.Width()) < 1e-9);

        // Shift + left drag pans: 100 pixels to the left shows later times.
        const double perPixel = wheeled.Width() / area.width();
        Drag(p1, QPoint(p1.x() - 100, y), Qt::ShiftModifier);
        QVERIFY(std::abs(Window().minimum - (wheeled.minimum + 100 * perPixel)) < 1e-9);
        QCOMPARE(m_doc->GetZoomFirst(), m_doc->FrameAtTime(float(Window().minimum)));
        // Zoom Last skips the wheel notch and the pan: back to the box's window.
        const TimeWindow panned = Window();
        m_view->ZoomLast();
        QCOMPARE(Window(), (TimeWindow{map.TimeAt(p0.x()), map.TimeAt(p1.x())}));
        m_view->ZoomLast();
        QCOMPARE(Window(), panned);
    }

    void keysMoveCursorAndKeepItVisible() {
        OpenWithView(2000);
        m_view->ZoomToWindow(10.0, 11.0);
        Click(PointOf(3, 1050));
        const std::pair<int, Qt::KeyboardModifiers> keys[] = {
            {Qt::Key_Right, {}}, {Qt::Key_Right, Qt::ShiftModifier}, {Qt::Key_Left, {}}};
        const int frames[] = {1051, 1061, 1060};
        for (size_t k = 0; k < 3; ++k) {
            QTest::keyClick(m_view.get(), Qt::Key(keys[k].first), keys[k].second);
            QCOMPARE(m_doc->GetCursorFrame(), frames[k]);
        }
        QCOMPARE(m_doc->GetCursorEntry(), 3);
        QTest::keyClick(m_view.get(), Qt::Key_End);
        QCOMPARE(m_doc->GetCursorFrame(), 1999);
        const double tEnd = m_doc->Main().values[0][1999];
        QVERIFY(Window().minimum <= tEnd && tEnd <= Window().maximum);
        QVERIFY(std::abs(Window().Width() - 1.0) < 1e-9);
        QTest::keyClick(m_view.get(), Qt::Key_Right);  // stays on the last frame
        QCOMPARE(m_doc->GetCursorFrame(), 1999);
        QTest::keyClick(m_view.get(), Qt::Key_Home);
        QTest::keyClick(m_view.get(), Qt::Key_Left);  // stays on the first
        QCOMPARE(std::pair(m_doc->GetCursorFrame(), Window().minimum), std::pair(0, 0.0));
    }

    void hintsRefillRelabelAndRebuild() {
        OpenWithView(1000);
        m_view->ZoomToWindow(2.0, 3.0);
        // Hint 2: the axis of entry 6 is hidden, the data stay.
        m_doc->Config().views[0].entries[6].axisDisplay = 0;
        m_doc->UpdateAllViews(nullptr, DocumentChange::LabelsChanged);
        QVERIFY(m_view->Layout().AxisRect(m_view->Model().ItemOfEntry(6)).isEmpty());
        QVERIFY(m_view->IsZoomed());
        // Hint 1 after another channel: new data, same window.
        m_doc->Config().views[0].entries[6].channel = uint32_t(m_channels[0]);
        m_doc->UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
        QCOMPARE(m_view->Model().Item(m_view->Model().ItemOfEntry(6)).channel, m_channels[0]);
        QCOMPARE(Window(), (TimeWindow{2.0, 3.0}));
        // Hint 3 over the same frames (new statistics) keeps the zoom window...
        m_doc->ComputeMainStats(200, 300);
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
        QVERIFY(Window() == (TimeWindow{2.0, 3.0}) && m_doc->GetZoomFirst() == 200);
        // ...and a new log starts unzoomed, the old log's windows forgotten.
        QVERIFY(m_doc->OnOpenDocument(WriteLog("other.dl", 700)));
        QVERIFY(!m_view->IsZoomed() && m_doc->GetZoomLast() == 699);
        m_view->ZoomLast();
        QVERIFY(!m_view->IsZoomed());
        // Channel numbers from a bad .graph file are ignored.
        m_doc->Config().views[0].entries[0] = {100000, 1, 1, {}, 99, 4000000000u};
        m_doc->UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
        QVERIFY(!m_view->Model().Item(m_view->Model().ItemOfEntry(0)).visible);
        m_doc->OnCloseDocument();
        QVERIFY(!m_view->HasChart());
    }

    void renderDrawsCurvesAndBackground() {
        m_prefs->SetBGColor(0x0000C0);  // "BGColor" is 0x00BBGGRR: a red of 192
        OpenWithView(3000);
        // Curve pixels of one colour inside the plotting area, drawn at the widget's own size.
        const QSize size = m_view->size();
        const QRect plot = m_view->Layout().PlotArea().toRect().adjusted(1, 1, -1, -1);
        auto render = [&] {
            return m_view->RenderImage(size).convertToFormat(QImage::Format_RGB32);
        };
        auto count = [&](const QImage& image, QRgb colour) {
            int n = 0;
            for (int y = plot.top(); y <= plot.bottom(); ++y)
                for (int x = plot.left(); x <= plot.right(); ++x)
                    n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
            return n;
        };
        // Entries 5, 6 and 3 are items 4, 5 and 15: dark green, dark blue and purple.
        const QRgb green = qRgb(0, 128, 0);
        const QImage image = render();
        QCOMPARE(image.pixel(2, size.height() / 2), qRgb(192, 0, 0));
        QVERIFY(count(image, green) > 300);
        QVERIFY(count(image, qRgb(0, 0, 128)) > 300);
        QVERIFY(count(image, qRgb(180, 50, 180)) > 300);
        QCOMPARE(count(image, qRgb(0, 0, 255)), 0);  // item 2 holds no channel
        // An ungraphed entry is not drawn (its axis is off too, so the layout stays the same)...
        m_doc->Config().views[0].entries[5].axisDisplay = 0;
        m_doc->Config().views[0].entries[5].graph = 0;
        m_doc->UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
        QVERIFY(count(render(), green) < 20);
        // ...and comes back with a label change alone.
        m_doc->Config().views[0].entries[5].graph = 1;
        m_doc->UpdateAllViews(nullptr, DocumentChange::LabelsChanged);
        QVERIFY(count(render(), green) > 300);
    }
};

QTEST_MAIN(DataLogViewTest)
#include "DataLogViewTest.moc"

// The strip chart widget over a real document: clicks, zoom commands, dragging, keys, the cursor
// table and the update hints, on the offscreen platform with logs from the sample generator.

#include <memory>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "chart/CDataLogView.h"
#include "chart/ChartHitTest.h"
#include "config/CPrefs.h"
#include "datalog/CDataLogDoc.h"
#include "datalog/ChannelInfo.h"
#include "datalog/ChannelNaming.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

/// Another view of the document, recording the hints it receives.
class HintRecorder : public IDataLogView {
public:
    void OnUpdate(IDataLogView*, int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

}  // namespace

class DataLogViewTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void buildsChartFromCurrentView();
    void clickPicksNearestFrameAndCurve();
    void axisClicksAreReported();
    void zoomCommandsGiveTheirWindows();
    void boxWheelAndPanZoom();
    void keysMoveCursorAndKeepItVisible();
    void cursorTableFilteredAndComparison();
    void mouseTimeCell();
    void hintsRefillRelabelAndRebuild();
    void renderDrawsCurves();
    void backgroundFromPreferences();

private:
    std::string WriteLog(const char* name, int frames);
    void OpenWithView(int frames);
    QPoint PointOf(int item, int frame, bool comparison = false) const;
    void Click(const QPoint& p, Qt::KeyboardModifiers mods = Qt::NoModifier);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CPrefs> m_prefs;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<CDataLogDoc> m_doc;
    std::unique_ptr<CDataLogView> m_view;
    HintRecorder m_other;
    std::vector<int> m_channels;  // channels available in the sample logs
};

void DataLogViewTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prefs = std::make_unique<CPrefs>(m_dir->path().toStdString());
    m_prompt = std::make_unique<ScriptedPrompt>(PromptAnswer::No);
    m_doc = std::make_unique<CDataLogDoc>(*m_prefs, *m_prompt);
    m_other.hints.clear();
    m_doc->AddView(&m_other);
}

void DataLogViewTest::cleanup() {
    m_view.reset();
    if (m_doc) m_doc->RemoveView(&m_other);
    m_doc.reset();
    m_prompt.reset();
    m_prefs.reset();
    m_dir.reset();
}

std::string DataLogViewTest::WriteLog(const char* name, int frames) {
    SampleLogOptions options;
    options.frames = frames;
    const std::string path = m_dir->filePath(QString::fromLatin1(name)).toStdString();
    std::string error;
    if (!WriteSampleLog(path, options, &error)) qWarning("%s", error.c_str());
    return path;
}

/// Opens a sample log and shows the chart with view 1: two channels, one per panel.
void DataLogViewTest::OpenWithView(int frames) {
    QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", frames)));
    m_channels.clear();
    for (int c = 2; c <= kChannelCount && m_channels.size() < 3; ++c)
        if (IsChannelAvailable(m_doc->Main(), c)) m_channels.push_back(c);
    QCOMPARE(m_channels.size(), size_t(3));
    GraphView& view = m_doc->Config().views[0];
    view.entries = {};
    view.entries[3] = {static_cast<uint32_t>(m_channels[0]), 1, 1, {}, 1, 0};
    view.entries[5] = {static_cast<uint32_t>(m_channels[1]), 1, 1, {}, 0, 0};
    view.entries[6] = {static_cast<uint32_t>(m_channels[2]), 1, 1, {}, 0, 0};
    m_doc->SetCurrentView(0);
    m_view = std::make_unique<CDataLogView>(*m_doc, *m_prefs);
    m_view->resize(1000, 640);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

QPoint DataLogViewTest::PointOf(int item, int frame, bool comparison) const {
    const ChartItem& it = m_view->Model().Item(item);
    const PlotMapping map = m_view->Layout().MappingOf(it, m_view->VisibleWindow());
    const LogData& log = comparison ? m_doc->Comparison() : m_doc->Main();
    const double t = log.values[0][static_cast<size_t>(frame)];
    const double v = log.values[static_cast<size_t>(it.channel - 1)][static_cast<size_t>(frame)];
    return QPointF(map.X(t), map.Y(v)).toPoint();
}

void DataLogViewTest::Click(const QPoint& p, Qt::KeyboardModifiers mods) {
    QTest::mouseClick(m_view.get(), Qt::LeftButton, mods, p);
}

void DataLogViewTest::buildsChartFromCurrentView() {
    // Without a log there is no chart; the first log builds it through hint 3.
    m_view = std::make_unique<CDataLogView>(*m_doc, *m_prefs);
    QVERIFY(!m_view->HasChart());
    m_view.reset();
    OpenWithView(2000);
    QVERIFY(m_view->HasChart());
    QVERIFY(!m_view->IsZoomed());
    QCOMPARE(m_doc->GetZoomFirst(), 0);
    QCOMPARE(m_doc->GetZoomLast(), 1999);
    // Items ordered by panel: the 15 entries of panel 0 (the empty ones hidden) in entry order,
    // then entry 3 of panel 1.
    const ChartModel& model = m_view->Model();
    QCOMPARE(model.Item(0).entry, 0);
    QVERIFY(!model.Item(0).visible);
    QCOMPARE(model.Item(3).entry, 4);
    QCOMPARE(model.Item(4).entry, 5);
    QCOMPARE(model.Item(5).entry, 6);
    QVERIFY(model.Item(5).visible);
    QCOMPARE(model.ItemOfEntry(3), 15);
    QVERIFY(model.Item(15).visible);
    QVERIFY(m_view->Layout().PanelRect(0).bottom() < m_view->Layout().PanelRect(1).top());
    QVERIFY(m_view->Layout().PanelRect(2).isEmpty());
    QCOMPARE(m_view->Table().Cell(0), std::string(" "));  // no cursor yet
}

void DataLogViewTest::clickPicksNearestFrameAndCurve() {
    OpenWithView(2000);
    QSignalSpy cursorSpy(m_view.get(), &CDataLogView::cursorChanged);
    // Zoomed so that one frame spans several pixels.
    m_view->ZoomToWindow(10.0, 11.0);
    m_other.hints.clear();
    const int item = m_view->Model().ItemOfEntry(3);  // the only curve in panel 1
    Click(PointOf(item, 1042));
    QCOMPARE(m_doc->GetCursorFrame(), 1042);
    QCOMPARE(m_doc->GetCursorEntry(), 3);
    QVERIFY(!m_doc->IsCursorOnComparison());
    QCOMPARE(m_view->CursorItem(), item);
    QCOMPARE(m_other.hints, std::vector<int>{kHintCursor});
    QCOMPARE(cursorSpy.count(), 1);
    QCOMPARE(m_view->Table().Cell(0), GetChannelName(m_doc->Main().config, m_channels[0]));
    QCOMPARE(m_view->Table().Cell(5), std::string("10.420 sec"));
    // A click on the second curve of panel 0.
    Click(PointOf(m_view->Model().ItemOfEntry(6), 1077));
    QCOMPARE(m_doc->GetCursorFrame(), 1077);
    const float v0 = m_doc->Main().values[static_cast<size_t>(m_channels[1] - 1)][1077];
    const float v1 = m_doc->Main().values[static_cast<size_t>(m_channels[2] - 1)][1077];
    const PlotMapping m0 = m_view->Layout().MappingOf(m_view->Model().Item(4), {10, 11});
    const PlotMapping m1 = m_view->Layout().MappingOf(m_view->Model().Item(5), {10, 11});
    if (std::abs(m0.Y(v0) - m1.Y(v1)) > 2) QCOMPARE(m_doc->GetCursorEntry(), 6);
    QVERIFY(m_doc->GetCursorEntry() == 5 || m_doc->GetCursorEntry() == 6);
    // Clicks outside the plotting area leave the cursor alone.
    Click(QPoint(2, 300));
    Click(QPoint(500, 2 + static_cast<int>(m_view->Layout().TableRect().bottom()) + 2));
    QCOMPARE(m_doc->GetCursorFrame(), 1077);
    QCOMPARE(cursorSpy.count(), 2);
}

void DataLogViewTest::axisClicksAreReported() {
    OpenWithView(500);
    QSignalSpy axisSpy(m_view.get(), &CDataLogView::axisClicked);
    QSignalSpy xSpy(m_view.get(), &CDataLogView::xAxisClicked);
    const int item = m_view->Model().ItemOfEntry(6);
    Click(m_view->Layout().AxisRect(item).center().toPoint());
    QCOMPARE(axisSpy.count(), 1);
    QCOMPARE(axisSpy.at(0).at(0).toInt(), 6);
    Click(m_view->Layout().XAxisRect().center().toPoint());
    QCOMPARE(xSpy.count(), 1);
    QCOMPARE(m_doc->GetCursorFrame(), -1);
}

void DataLogViewTest::zoomCommandsGiveTheirWindows() {
    OpenWithView(2000);  // 100 frames a second: frame i at i / 100 s
    const float* t = m_doc->Main().values[0].data();
    QSignalSpy rangeSpy(m_view.get(), &CDataLogView::zoomRangeChanged);
    // Zoom In before any click centres on a frame inside the log.
    m_view->ZoomIn();
    QVERIFY(m_view->IsZoomed());
    QVERIFY(m_view->VisibleWindow().minimum > 0);
    m_view->ZoomAll();
    QVERIFY(!m_view->IsZoomed());
    QCOMPARE(m_doc->GetZoomFirst(), 0);
    QCOMPARE(m_doc->GetZoomLast(), 1999);

    Click(PointOf(m_view->Model().ItemOfEntry(3), 500));
    const int cursor = m_doc->GetCursorFrame();
    QVERIFY(std::abs(cursor - 500) <= 2);
    const double w = (double(t[1999]) - t[0]) / 10;
    m_view->ZoomIn();
    QCOMPARE(m_view->VisibleWindow(), (TimeWindow{t[cursor] - w, t[cursor] + w}));
    QCOMPARE(m_doc->GetZoomFirst(), m_doc->FrameAtTime(float(t[cursor] - w)));
    QCOMPARE(m_doc->GetZoomLast(), m_doc->FrameAtTime(float(t[cursor] + w)));
    QCOMPARE(rangeSpy.last().at(1).toInt(), m_doc->GetZoomLast());
    const TimeWindow in = m_view->VisibleWindow();
    // Zoom Out from the zoom range's frames: twice as wide.
    const int a = m_doc->GetZoomFirst();
    const int b = m_doc->GetZoomLast();
    m_view->ZoomOut();
    const double h = (double(t[b]) - t[a]) / 2;
    QCOMPARE(m_view->VisibleWindow(), (TimeWindow{t[a] - h, t[b] + h}));
    // Zoom Last toggles between the last two windows.
    const TimeWindow out = m_view->VisibleWindow();
    m_view->ZoomLast();
    QCOMPARE(m_view->VisibleWindow(), in);
    m_view->ZoomLast();
    QCOMPARE(m_view->VisibleWindow(), out);
    // The buttons on the chart run the same commands.
    Click(m_view->Layout().ZoomButtonRect(ChartLayout::kZoomAll).center().toPoint());
    QVERIFY(!m_view->IsZoomed());
    QCOMPARE(m_doc->GetZoomLast(), 1999);
    Click(m_view->Layout().ZoomButtonRect(ChartLayout::kZoomLast).center().toPoint());
    QCOMPARE(m_view->VisibleWindow(), out);
    // Zoom In at the very start never shows negative times.
    m_view->ZoomAll();
    m_doc->SetCursor(3, 3, false);
    m_doc->UpdateAllViews(nullptr, kHintRebuild);
    m_view->ZoomIn();
    QCOMPARE(m_view->VisibleWindow().minimum, 0.0);
}

void DataLogViewTest::boxWheelAndPanZoom() {
    OpenWithView(2000);
    const QRectF area = m_view->Layout().PlotArea();
    const TimeWindow all = m_view->VisibleWindow();
    PlotMapping map;
    map.left = area.left();
    map.width = area.width();
    map.window = all;
    const int y = static_cast<int>(m_view->Layout().PanelRect(0).center().y());
    const QPoint p0(static_cast<int>(area.left() + 100), y);
    const QPoint p1(static_cast<int>(area.left() + 300), y);
    QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::NoModifier, p0);
    QTest::mouseMove(m_view.get(), QPoint(p0.x() + 50, y));
    QTest::mouseMove(m_view.get(), p1);
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::NoModifier, p1);
    QVERIFY(m_view->IsZoomed());
    QCOMPARE(m_view->VisibleWindow(), (TimeWindow{map.TimeAt(p0.x()), map.TimeAt(p1.x())}));
    QCOMPARE(m_doc->GetCursorFrame(), -1);  // a drag is no click
    m_view->ZoomLast();
    QCOMPARE(m_view->VisibleWindow(), all);

    // The wheel zooms around the time under the mouse.
    const double tMouse = map.TimeAt(p1.x());
    QWheelEvent wheel(QPointF(p1), m_view->mapToGlobal(QPointF(p1)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view.get(), &wheel);
    const TimeWindow wheeled = m_view->VisibleWindow();
    QVERIFY(std::abs(wheeled.Width() - all.Width() * 0.8) < 1e-9);
    QVERIFY(std::abs((tMouse - wheeled.minimum) / wheeled.Width() -
                     (tMouse - all.minimum) / all.Width()) < 1e-9);

    // Shift + left drag pans: 100 pixels to the right shows earlier times.
    const double perPixel = wheeled.Width() / area.width();
    QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::ShiftModifier, p1);
    QTest::mouseMove(m_view.get(), QPoint(p1.x() - 100, y));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::ShiftModifier, QPoint(p1.x() - 100, y));
    QVERIFY(std::abs(m_view->VisibleWindow().minimum - (wheeled.minimum + 100 * perPixel)) < 1e-9);
    QCOMPARE(m_doc->GetZoomFirst(), m_doc->FrameAtTime(float(m_view->VisibleWindow().minimum)));
    m_view->ZoomLast();
    QCOMPARE(m_view->VisibleWindow(), wheeled);
}

void DataLogViewTest::keysMoveCursorAndKeepItVisible() {
    OpenWithView(2000);
    m_view->ZoomToWindow(10.0, 11.0);
    Click(PointOf(m_view->Model().ItemOfEntry(3), 1050));
    QCOMPARE(m_doc->GetCursorFrame(), 1050);
    QTest::keyClick(m_view.get(), Qt::Key_Right);
    QCOMPARE(m_doc->GetCursorFrame(), 1051);
    QTest::keyClick(m_view.get(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m_doc->GetCursorFrame(), 1061);
    QTest::keyClick(m_view.get(), Qt::Key_Left);
    QCOMPARE(m_doc->GetCursorFrame(), 1060);
    QCOMPARE(m_doc->GetCursorEntry(), 3);
    QTest::keyClick(m_view.get(), Qt::Key_End);
    QCOMPARE(m_doc->GetCursorFrame(), 1999);
    const double tEnd = m_doc->Main().values[0][1999];
    QVERIFY(m_view->VisibleWindow().minimum <= tEnd && tEnd <= m_view->VisibleWindow().maximum);
    QVERIFY(std::abs(m_view->VisibleWindow().Width() - 1.0) < 1e-9);
    QTest::keyClick(m_view.get(), Qt::Key_Right);  // stays on the last frame
    QCOMPARE(m_doc->GetCursorFrame(), 1999);
    QTest::keyClick(m_view.get(), Qt::Key_Home);
    QCOMPARE(m_doc->GetCursorFrame(), 0);
    QCOMPARE(m_view->VisibleWindow().minimum, 0.0);
    QTest::keyClick(m_view.get(), Qt::Key_Left);
    QCOMPARE(m_doc->GetCursorFrame(), 0);
}

void DataLogViewTest::cursorTableFilteredAndComparison() {
    OpenWithView(1000);
    // Filter level 5 on entry 3.
    m_doc->Config().views[0].entries[3].filter = 5;
    m_doc->UpdateAllViews(nullptr, kHintRefill);
    m_view->ZoomToWindow(4.0, 5.0);
    const int item = m_view->Model().ItemOfEntry(3);
    Click(PointOf(item, 450));
    QCOMPARE(m_doc->GetCursorFrame(), 450);
    const std::string name = GetChannelName(m_doc->Main().config, m_channels[0]);
    QCOMPARE(m_view->Table().Cell(0), name + "(Filtered)");
    const ChartCurve& curve = m_view->Model().Item(item).main;
    QCOMPARE(m_view->Table().Cell(1),
             GetChannelValueText(m_doc->Main().config, m_channels[0], curve.DrawnAt(450)));

    // A longer comparison log: a click behind the main log's end lands on a comparison frame.
    SampleLogOptions options;
    options.frames = 1500;
    options.seed = 7;
    const std::string compPath = m_dir->filePath("comp.dl").toStdString();
    QVERIFY(WriteSampleLog(compPath, options));
    QVERIFY(m_doc->LoadComparison(compPath));
    QVERIFY(m_view->Model().HasComparison());
    QCOMPARE(m_view->Model().SubsetCount(), 32);
    m_view->ZoomToWindow(12.0, 13.0);
    const int compItem = m_view->Model().ItemOfEntry(3);
    Click(PointOf(compItem, 1234, true));
    QCOMPARE(m_doc->GetCursorFrame(), 1234);
    QVERIFY(m_doc->IsCursorOnComparison());
    QCOMPARE(m_view->Table().Cell(0), name + "(Filtered)-C");
    QCOMPARE(m_view->Table().Cell(5), std::string("12.340 sec"));
    // The same frame on the main log, which has ended: no value, no time.
    m_doc->SetCursor(1234, 3, false);
    m_doc->UpdateAllViews(nullptr, kHintRebuild);
    QCOMPARE(m_view->Table().Cell(1), std::string(" "));
    QCOMPARE(m_view->Table().Cell(5), std::string("- "));
    // Zoom In with that cursor stays on the main log's times.
    m_view->ZoomIn();
    QVERIFY(m_view->VisibleWindow().maximum > 9.0 && m_view->VisibleWindow().minimum < 10.0);
}

void DataLogViewTest::mouseTimeCell() {
    OpenWithView(1000);
    const QRectF panel = m_view->Layout().PanelRect(0);
    QTest::mouseMove(m_view.get(), panel.center().toPoint());
    QVERIFY(QString::fromStdString(m_view->Table().Cell(6)).startsWith('['));
    QVERIFY(QString::fromStdString(m_view->Table().Cell(6)).endsWith(" sec]"));
    QTest::mouseMove(m_view.get(), QPoint(2, 2));
    QCOMPARE(m_view->Table().Cell(6), std::string("- "));
}

void DataLogViewTest::hintsRefillRelabelAndRebuild() {
    OpenWithView(1000);
    m_view->ZoomToWindow(2.0, 3.0);
    // Hint 2: the axis of entry 6 is hidden, the data stay.
    m_doc->Config().views[0].entries[6].axisDisplay = 0;
    m_doc->UpdateAllViews(nullptr, kHintLabels);
    QVERIFY(m_view->Layout().AxisRect(m_view->Model().ItemOfEntry(6)).isEmpty());
    QVERIFY(m_view->IsZoomed());
    // Hint 1 after another channel: new data, same window.
    m_doc->Config().views[0].entries[6].channel = static_cast<uint32_t>(m_channels[0]);
    m_doc->UpdateAllViews(nullptr, kHintRefill);
    QCOMPARE(m_view->Model().Item(m_view->Model().ItemOfEntry(6)).channel, m_channels[0]);
    QCOMPARE(m_view->VisibleWindow(), (TimeWindow{2.0, 3.0}));
    // Hint 3 over the same frames (new statistics) keeps the zoom window...
    m_doc->ComputeStats(200, 300);
    m_doc->UpdateAllViews(nullptr, kHintRebuild);
    QCOMPARE(m_view->VisibleWindow(), (TimeWindow{2.0, 3.0}));
    QCOMPARE(m_doc->GetZoomFirst(), 200);
    // ...and a new log starts unzoomed.
    QVERIFY(m_doc->OnOpenDocument(WriteLog("other.dl", 700)));
    QVERIFY(!m_view->IsZoomed());
    QCOMPARE(m_doc->GetZoomLast(), 699);
    m_view->ZoomLast();  // the old log's windows are forgotten
    QVERIFY(!m_view->IsZoomed());
    // Channel numbers from a bad .graph file are ignored.
    m_doc->Config().views[0].entries[0] = {100000, 1, 1, {}, 99, 4000000000u};
    m_doc->UpdateAllViews(nullptr, kHintRefill);
    QVERIFY(!m_view->Model().Item(m_view->Model().ItemOfEntry(0)).visible);
    // Closing the log leaves no chart.
    m_doc->OnCloseDocument();
    QVERIFY(!m_view->HasChart());
}

void DataLogViewTest::renderDrawsCurves() {
    OpenWithView(3000);
    // Curve pixels of one colour inside the plotting area (axis strips and names lie outside),
    // in images drawn at the widget's own size so that its layout applies.
    const QRect plot = m_view->Layout().PlotArea().toRect().adjusted(1, 1, -1, -1);
    auto countColour = [&](const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int x = plot.left(); x <= plot.right(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    };
    const QSize size = m_view->size();
    // Entries 5, 6 and 3 are items 4, 5 and 15: dark green, dark blue and purple.
    const QImage image = m_view->RenderImage(size).convertToFormat(QImage::Format_RGB32);
    QVERIFY(countColour(image, qRgb(0, 128, 0)) > 300);
    QVERIFY(countColour(image, qRgb(0, 0, 128)) > 300);
    QVERIFY(countColour(image, qRgb(180, 50, 180)) > 300);
    QCOMPARE(countColour(image, qRgb(0, 0, 255)), 0);  // item 2 holds no channel
    // High-DPI: the same chart at twice the pixels, curves still one device pixel wide.
    const QImage sharp = m_view->RenderImage(size, 2.0);
    QCOMPARE(sharp.size(), size * 2);
    // An ungraphed entry is not drawn (its axis is off too, so the layout stays the same).
    m_doc->Config().views[0].entries[5].axisDisplay = 0;
    m_doc->Config().views[0].entries[5].graph = 0;
    m_doc->UpdateAllViews(nullptr, kHintRefill);
    const QImage hidden = m_view->RenderImage(size).convertToFormat(QImage::Format_RGB32);
    QVERIFY(countColour(hidden, qRgb(0, 128, 0)) < 20);
    // Shown again by a label change alone, its curve comes back.
    m_doc->Config().views[0].entries[5].graph = 1;
    m_doc->UpdateAllViews(nullptr, kHintLabels);
    const QImage shown = m_view->RenderImage(size).convertToFormat(QImage::Format_RGB32);
    QVERIFY(countColour(shown, qRgb(0, 128, 0)) > 300);
}

void DataLogViewTest::backgroundFromPreferences() {
    // "BGColor" is 0x00BBGGRR: 0x0000C0 is a red of 192.
    m_prefs->SetBGColor(0x0000C0);
    OpenWithView(300);
    const QSize size = m_view->size();
    QImage image = m_view->RenderImage(size).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.pixel(2, size.height() / 2), qRgb(192, 0, 0));
    // The gradient mode shades the background from top to bottom.
    m_prefs->SetBitmapGradientMode(true);
    m_doc->UpdateAllViews(nullptr, kHintRebuild);
    image = m_view->RenderImage(size).convertToFormat(QImage::Format_RGB32);
    QVERIFY(image.pixel(2, 5) != image.pixel(2, size.height() - 10));
}

QTEST_MAIN(DataLogViewTest)
#include "DataLogViewTest.moc"

// The second cursor: Ctrl+click, keys and Escape, the values line at B, stats between cursors.

#include "gui/app/CommandTable.h"
#include "gui/chart/CursorBMarker.h"
#include "gui/common/AnsiText.h"
#include "gui/common/CGDIPGlowLabel.h"
#include "model/ChannelNaming.h"
#include "analysis/ChannelStatistics.h"
#include "model/ComparisonLog.h"
#include "support/DocumentFixture.h"
#include "support/GuiFixtures.h"
#include "gui/panes/CDataLogValues.h"
#include "gui/panes/CDlgDataLogValue.h"

using namespace quillon;

namespace {

bool SameStats(const ChannelStats& a, const ChannelStats& b) {
    const auto same = [](float x, float y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return a.count == b.count && same(a.minimum, b.minimum) && same(a.maximum, b.maximum) &&
           same(a.average, b.average) && same(a.standardDeviation, b.standardDeviation) &&
           same(a.startValue, b.startValue) && same(a.endValue, b.endValue) &&
           same(a.delta, b.delta) && same(a.slope, b.slope);
}

// The frame whose time is nearest to t (a plain search, independent of the program's).
int Nearest(const LogData& log, float t) {
    int best = 0;
    for (int i = 1; i < log.frameCount; ++i)
        if (std::fabs(log.values[0][size_t(i)] - t) < std::fabs(log.values[0][size_t(best)] - t))
            best = i;
    return best;
}

}  // namespace

class TwoCursorsTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    QPoint PointOf(int frame) const {
        const ChartItem& it = m_chart->Model().Item(m_chart->Model().ItemOfEntry(0));
        const PlotMapping map = m_chart->Layout().MappingOf(it, m_chart->VisibleWindow());
        const LogData& log = m_doc->Main();
        return QPointF(map.X(log.values[0][size_t(frame)]),
                       map.Y(log.values[size_t(m_channel - 1)][size_t(frame)]))
            .toPoint();
    }

    int FrameB() const {
        const auto b = m_doc->GetCursorB();
        return b ? b->frame : -1;
    }

    QString Text(float v) const {
        return FromAnsi(GetChannelValueText(m_doc->Main().config, m_channel, v));
    }

    std::unique_ptr<CDataLogView> m_chart;
    std::unique_ptr<CDataLogValues> m_values;
    int m_channel = 0;

private slots:
    void init() {
        NewDocument();
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 1000)));
        m_channel = test::AvailableChannels(m_doc->Main(), 1).at(0);
        GraphView& view = m_doc->Config().views[0];
        view.entries = {};
        view.entries[0] = {uint32_t(m_channel), 1, 1, {}, 0, 0};
        m_doc->SetCurrentView(0);
        m_chart = std::make_unique<CDataLogView>(*m_doc, *m_prefs);
        m_chart->resize(900, 500);
        m_chart->show();
        m_values = std::make_unique<CDataLogValues>(*m_doc, *m_prefs);
        m_values->RebuildRows();
        QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
    }

    void cleanup() {
        m_values.reset();
        m_chart.reset();
        DeleteDocument();
    }

    void ctrlClickArrowsAndEscape() {
        const QImage plain = m_chart->RenderImage(QSize(600, 400));
        CDlgDataLogValue* row = m_values->Row(0);
        const int height = row->height();
        QTest::mouseClick(m_chart.get(), Qt::LeftButton, {}, PointOf(200));
        QCOMPARE(m_doc->GetCursorFrame(), 200);
        const QImage withA = m_chart->RenderImage(QSize(600, 400));
        QTest::mouseClick(m_chart.get(), Qt::LeftButton, Qt::ControlModifier, PointOf(450));
        QCOMPARE(std::pair(m_doc->GetCursorFrame(), FrameB()), std::pair(200, 450));  // A stays

        // Ctrl+arrows move B by one frame, ten with Shift; plain arrows still move A.
        QTest::keyClick(m_chart.get(), Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(m_chart.get(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(FrameB(), 441);
        QTest::keyClick(m_chart.get(), Qt::Key_Right);
        QCOMPARE(std::pair(m_doc->GetCursorFrame(), FrameB()), std::pair(201, 441));

        // The values line: the value at B and B - A from the log's own columns.
        const auto& v = m_doc->Main().values[size_t(m_channel - 1)];
        const float atA = v[201], atB = v[441];
        const QString delta = (atB - atA > 0 ? QStringLiteral("+") : QString()) + Text(atB - atA);
        QCOMPARE(row->CursorBLabel(false)->Text(),
                 QStringLiteral("B ") + Text(atB) + QStringLiteral("   B-A ") + delta);
        QVERIFY(!row->CursorBLabel(false)->isHidden() && row->height() > height);
        QVERIFY(row->CursorBLabel(true)->Text().isEmpty());  // no comparison loaded

        // The readout: 2.40 s from A to B at 100 frames a second, and its rate.
        const auto& t = m_doc->Main().values[0];
        QCOMPARE(CursorBMarker::Readout(t[201], t[441]),
                 QStringLiteral("B - A: 2.400 sec (0.4167 Hz)"));
        QCOMPARE(CursorBMarker::Readout(t[201], t[201]), QStringLiteral("B - A: 0.000 sec"));
        QCOMPARE(CursorBMarker::Readout(std::nullopt, 1.5), QStringLiteral("B: 1.500 sec"));
        QTest::keyClick(m_chart.get(), Qt::Key_Left);  // A back on frame 200
        QVERIFY(m_chart->RenderImage(QSize(600, 400)) != withA);

        // Escape removes B (picture and row as before B); a second Escape is harmless.
        QTest::keyClick(m_chart.get(), Qt::Key_Escape);
        QVERIFY(!m_doc->GetCursorB() && row->height() == height);
        QVERIFY(row->CursorBLabel(false)->isHidden());
        QCOMPARE(m_chart->RenderImage(QSize(600, 400)), withA);
        QTest::keyClick(m_chart.get(), Qt::Key_Escape);
        QCOMPARE(m_doc->GetCursorFrame(), 200);
        QVERIFY(plain != withA);
    }

    void statisticsBetweenCursors() {
        const std::string path = WriteLog("comparison.dl", 700, 50.0, 2, -3.0f);
        QVERIFY(LoadComparisonLog(path, m_doc->Main(), m_doc->Comparison()).ok());
        m_doc->SetComparisonLoaded(true, path);
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
        LogData &main = m_doc->Main(), &comparison = m_doc->Comparison();
        const auto expect = [&](LogData& log, int first, int last) {
            std::array<ChannelStats, kSlotCount> want{};
            ComputeChannelStats(log, first, last + 1, want);
            for (int s = 0; s < kSlotCount; ++s)
                if (!SameStats(log.stats[size_t(s)], want[size_t(s)]))
                    return qWarning("slot %d differs", s), false;
            return true;
        };

        // Without B the command changes nothing.
        m_doc->SetCursor(600, 0, false);
        const ChannelStats before = main.stats[size_t(m_channel - 1)];
        m_values->StatsBetweenCursors();
        QVERIFY(SameStats(main.stats[size_t(m_channel - 1)], before));

        // B before A: every main frame from B to A, the comparison's frames between their times.
        m_doc->SetCursorB(CDataLogDoc::CursorMark{150, false});
        m_values->StatsBetweenCursors();
        QVERIFY(expect(main, 150, 600));
        QVERIFY(expect(comparison, Nearest(comparison, main.values[0][150]),
                       Nearest(comparison, main.values[0][600])));
        QCOMPARE(main.stats[size_t(m_channel - 1)].count, 451u);

        // B on the comparison, A on the main log; B's line then shows both logs.
        m_doc->SetCursorB(CDataLogDoc::CursorMark{100, true});
        m_values->StatsBetweenCursors();
        QVERIFY(expect(comparison, 100, Nearest(comparison, main.values[0][600])));
        QVERIFY(expect(main, Nearest(main, comparison.values[0][100]), 600));
        m_values->RefreshValues();
        QVERIFY(m_values->Row(0)->CursorBLabel(true)->Text().startsWith(QStringLiteral("B ")));

        // Closing the comparison drops a B that stood on it.
        m_doc->CloseComparison();
        QVERIFY(!m_doc->GetCursorB());
    }
};

QTEST_MAIN(TwoCursorsTest)
#include "TwoCursorsTest.moc"

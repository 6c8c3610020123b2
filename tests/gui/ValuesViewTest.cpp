// The values view over a generated log: status texts, rows, check boxes, views, Update Stats.

#include "gui/common/CNudgeSpin.h"
#include "settings/GraphConfigurationFile.h"
#include "gui/common/CButtonViewShift.h"
#include "gui/common/CGDIPButton.h"
#include "gui/common/CGDIPCheckbox.h"
#include "gui/common/CGDIPDataMonitorValue.h"
#include "gui/common/CGDIPGlowLabel.h"
#include "gui/common/CNumericEdit.h"
#include "gui/common/NumericFormat.h"
#include "model/LogColumns.h"
#include "model/ChannelNaming.h"
#include "model/ComparisonLog.h"
#include "support/DocumentFixture.h"
#include "gui/panes/CDataLogValues.h"
#include "gui/panes/CDlgDataLogValue.h"

using namespace quillon;
using test::HintSpy;

namespace {

constexpr int kRpm = 2;
constexpr int kMap = 29;

GraphViewEntry Entry(uint32_t channel, uint32_t filter = 0) {
    return {channel, 1, 1, {}, 0, filter};
}

}  // namespace

class ValuesViewTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    void LoadComparison(int frames, double rate, float zeroTime = 0) {
        const std::string path = WriteLog("comparison.dl", frames, rate, 2, zeroTime);
        QVERIFY(LoadComparisonLog(path, m_doc->Main(), m_doc->Comparison()).ok());
        m_doc->SetComparisonLoaded(true, path);
        m_doc->ComputeComparisonStats(0, m_doc->Comparison().frameCount);
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
    }

    GraphConfiguration Saved() const {
        GraphConfiguration saved;
        if (!ReadGraphConfigurationFile(m_prefs->GetLastDataLogConfig(), saved))
            qWarning("the saved configuration could not be read");
        return saved;
    }

    void Cursor(int frame, bool onComparison = false) {
        m_doc->SetCursor(frame, 1, onComparison);
        m_doc->UpdateAllViews(nullptr, DocumentChange::CursorMoved);
    }

    QString MapText(const LogData& log, float v) const {
        return FormatDouble(FromAnsi(GetChannelValueFormat(log.config, kMap)), double(v));
    }

    CDataLogValues* m_view = nullptr;
    HintSpy m_chart;
    int m_unavailable = 0;

private slots:
    void init() {
        NewDocument();
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 1000, 100.0, 1)));
        for (int c = kChannelCount; c >= 1 && !m_unavailable; --c)
            if (!IsChannelAvailable(m_doc->Main(), c)) m_unavailable = c;
        GraphConfiguration& config = m_doc->Config();
        GraphView& v0 = config.views[0];
        v0 = GraphView{};
        std::strcpy(v0.title, "Engine");
        v0.entries[0] = Entry(kRpm);
        v0.entries[1] = Entry(kMap);
        v0.entries[2] = Entry(uint32_t(m_unavailable));
        v0.entries[4] = Entry(kMap, 3);
        config.axes[kMap - 1].autoscale = 0;
        config.axes[kMap - 1].minimum = 10;
        config.axes[kMap - 1].maximum = 250;
        m_doc->SetCurrentView(0);
        m_doc->AddView(&m_chart);
        m_view = new CDataLogValues(*m_doc, *m_prefs);
        m_view->resize(500, 600);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
    }

    void cleanup() {
        delete m_view;
        m_doc->RemoveView(&m_chart);
        m_chart.hints.clear();
        DeleteDocument();
    }

    void statusTextReplacesTheNumber() {
        LogData& main = m_doc->Main();
        CGDIPDataMonitorValue* display = m_view->Row(0)->MainValue();
        QVERIFY(EnsureColumns(main, {kRpm - 1}, true));
        main.values[kRpm - 1][10] = 2345.4f;
        // The log's status reaches the display (texts and lamps: CustomControlsTest).
        const std::tuple<uint32_t, float, const char*, int> cases[] = {
            {7, 2345.4f, "Unplugd", 3}, {0, 2345.4f, "2345", 0}, {54, kNoValue, "-", 0}};
        for (const auto& [status, value, text, lamp] : cases) {
            main.values[kRpm - 1][10] = value;
            main.status[kRpm - 1][10] = status;
            m_doc->SetCursor(10, 0, false);
            m_doc->UpdateAllViews(nullptr, DocumentChange::CursorMoved);
            QCOMPARE(std::pair(display->ShownText(), display->Lamp()),
                     std::pair(QString(text), lamp));
        }
        // Without a comparison log its display stays empty.
        QCOMPARE(m_view->Row(0)->ComparisonValue()->ShownText(), QString());
        m_doc->SetCursor(-1, 0, false);  // no cursor: the texts stay
        m_doc->UpdateAllViews(nullptr, DocumentChange::CursorMoved);
        QCOMPARE(display->ShownText(), QString("-"));
        // Until the rows are bound anew.
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
        QCOMPARE(display->ShownText(), QString());
    }

    void unavailableChannelShowsOnlyItsName() {
        CDlgDataLogValue* row = m_view->Row(2);
        QVERIFY(row->IsShown() && !row->IsAvailable() && row->IsCollapsed());
        QVERIFY(!row->NameLabel()->Text().isEmpty());
        QVERIFY(!m_view->Row(3)->IsShown() && !m_view->Row(3)->isVisible());  // channel 0
        QVERIFY(m_view->Row(4)->NameLabel()->Text().endsWith(" - F"));
        QVERIFY(!m_view->Row(1)->NameLabel()->Text().endsWith(" - F"));
        // A channel number beyond 440 from a damaged file gets a collapsed row and no crash.
        m_doc->Config().views[0].entries[5] = Entry(5000);
        m_doc->UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
        QVERIFY(m_view->Row(5)->IsShown() && m_view->Row(5)->IsCollapsed());
    }

    void checkBoxesAndAxisFieldsReachTheSavedFile() {
        CDlgDataLogValue* row = m_view->Row(1);  // MAP, graphed, autoscale off
        QVERIFY(row->AxisCheck()->isVisibleTo(row) && row->MinField()->isVisibleTo(row) &&
                row->MaxField()->isVisibleTo(row));
        QCOMPARE(std::pair(row->MinField()->Value(), row->MaxField()->Value()),
                 std::pair(10.0, 250.0));
        QCOMPARE(row->MinField()->DisplayFormat(),
                 FromAnsi(NumberFormatOf(GetChannelValueFormat(m_doc->Main().config, kMap))));

        row->MaxField()->SetPos(300.5);
        QCOMPARE(m_doc->Config().axes[kMap - 1].maximum, 300.5f);
        QCOMPARE(std::pair(Saved().axes[kMap - 1].minimum, Saved().axes[kMap - 1].maximum),
                 std::pair(10.0f, 300.5f));
        QCOMPARE(m_chart.hints, std::vector<DocumentChange>{DocumentChange::LabelsChanged});

        QTest::mouseClick(row->GraphCheck(), Qt::LeftButton);
        QVERIFY(!row->AxisCheck()->isVisibleTo(row) && !row->MinField()->isVisibleTo(row));
        QCOMPARE(std::pair(row->GraphCheck()->GetCheck(), Saved().views[0].entries[1].graph),
                 std::pair(0, uint8_t(0)));
        QTest::mouseClick(row->GraphCheck(), Qt::LeftButton);
        QVERIFY(row->AxisCheck()->isVisibleTo(row) && row->MinField()->isVisibleTo(row));
        QCOMPARE(std::pair(row->AxisCheck()->GetCheck(), Saved().views[0].entries[1].graph),
                 std::pair(1, uint8_t(1)));  // back with its previous tick
        QTest::mouseClick(row->AxisCheck(), Qt::LeftButton);
        QCOMPARE(Saved().views[0].entries[1].axisDisplay, uint8_t(0));

        // Autoscale on hides the fields although the channel is graphed; it is the channel's flag.
        QTest::mouseClick(row->AutoscaleCheck(), Qt::LeftButton);
        QVERIFY(!row->MinField()->isVisibleTo(row) && Saved().axes[kMap - 1].autoscale == 1);
        QCOMPARE(m_view->Row(4)->AutoscaleCheck()->GetCheck(), 0);  // until the rows are rebuilt
        m_doc->UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
        QCOMPARE(std::pair(m_view->Row(4)->AutoscaleCheck()->GetCheck(), m_chart.hints.size()),
                 std::pair(1, size_t(6)));

        // What the axis dialog's OK leaves to the row: save, ShownDataChanged, fields refilled.
        m_doc->Config().axes[kMap - 1].minimum = -5;
        m_doc->Config().axes[kMap - 1].autoscale = 0;
        m_view->AfterAxisSetup(1);
        QVERIFY(row->MinField()->Value() == -5.0 && row->MinField()->isVisibleTo(row));
        QCOMPARE(Saved().axes[kMap - 1].minimum, -5.0f);
        QCOMPARE(m_chart.hints.back(), DocumentChange::ShownDataChanged);
    }

    void statisticsTextsAreNeverCut() {
        m_view->resize(300, 600);  // the narrowest rows
        LoadComparison(1000, 100.0);
        m_doc->Config().views[0].entries[6] = Entry(1);  // RTC, "%.3f"
        ChannelStats& main = m_doc->Main().stats[0];
        ChannelStats& other = m_doc->Comparison().stats[0];
        // Every label is whole or visibly cut with a tooltip; columns neither overlap nor spill.
        const auto check = [](CGDIPGlowLabel* label, QWidget* row, int& right) {
            const QString shown = label->ShownText();
            QVERIFY(QFontMetricsF(label->LabelFont()).horizontalAdvance(shown) <= label->width());
            QVERIFY(label->x() >= right && label->geometry().right() < row->width());
            right = label->geometry().right() + 1;
            const bool whole = shown == label->Text();
            QVERIFY(whole || shown.endsWith(QChar(0x2026)));
            QCOMPARE(label->toolTip(), whole ? QString() : label->Text());
        };
        const auto checkAll = [&] {
            for (bool comparison : {false, true}) {
                for (int k : {0, 1, 6}) {
                    int right = 0;
                    for (int c = 0; c < CDlgDataLogValue::kStatColumns; ++c)
                        check(m_view->Row(k)->StatLabel(comparison, c), m_view->Row(k), right);
                }
            }
            int right = 0;
            for (int c = 0; c < CDlgDataLogValue::kStatColumns; ++c)
                check(m_view->Heading(c), m_view->Content(), right);
        };
        // A 2,000-second log: long, negative figures that all fit whole.
        main = {0.0f, 1999.99f, 1000.001f, 577.345f, 0.0f, 1999.99f, -1999.99f, 1000, 1.0f};
        other = {-1999.99f, 0.0f, -1000.001f, 577.345f, -1999.99f, 0.0f, -1999.99f, 1000, 1.0f};
        m_view->RebuildRows();  // figures set by hand: no time base to recompute them from
        checkAll();
        const QString expected[] = {"0.000", "1999.990", "1000.001",  "577.345",
                                    "0.000", "1999.990", "-1999.990", "1.000"};
        for (int c = 0; c < CDlgDataLogValue::kStatColumns; ++c)
            QCOMPARE(m_view->Row(6)->StatLabel(false, c)->ShownText(), expected[c]);
        QCOMPARE(m_view->Row(6)->StatLabel(true, 6)->ShownText(), QString("-1999.990"));
        // Figures far too long for the row are cut visibly, never silently.
        main.maximum = -1.5e12f;
        other.average = 3.0e15f;
        m_view->RebuildRows();
        checkAll();
        QVERIFY(m_view->Row(6)->StatLabel(false, 1)->ShownText() !=
                m_view->Row(6)->StatLabel(false, 1)->Text());
    }

    void theRangeOfTheStatisticsIsShownAndFollowsTheTimes() {
        // Main 0 .. 9.99 s at 100 Hz, comparison 0 .. 14.99 s.
        LoadComparison(1500, 100.0);
        CGDIPGlowLabel* mainRange = m_view->StatsRangeLabel(false);
        CGDIPGlowLabel* otherRange = m_view->StatsRangeLabel(true);
        const auto texts = [&] { return std::pair(mainRange->Text(), otherRange->Text()); };
        QCOMPARE(texts(), std::pair(QString("Stats 0.000 to 9.990 s"),
                                    QString("Comparison 0.000 to 14.990 s")));
        // Update Stats between the cursors: both logs over the same times.
        m_view->OnUpdateStats(TimeWindow{2.0, 5.0});
        QCOMPARE(texts(), std::pair(QString("Stats 2.000 to 5.000 s"),
                                    QString("Comparison 2.000 to 5.000 s")));
        // A zero time at 5 s: the time's figures and the range follow, a zero printed unsigned.
        const ChannelStats rpm = m_doc->Main().stats[kRpm - 1];
        m_prompt.SetAnswer(PromptAnswer::Yes);
        m_doc->SetCursor(500, 0, false);
        QVERIFY(m_doc->OnSetZeroTime());
        const ChannelStats& time = m_doc->Main().stats[0];
        QCOMPARE(std::tuple(time.startValue, time.endValue, time.count, time.minimum),
                 std::tuple(-3.0f, 0.0f, 301u, -3.0f));
        QCOMPARE(mainRange->Text(), QString("Stats -3.000 to 0.000 s"));
        QCOMPARE(m_doc->Main().stats[kRpm - 1].average, rpm.average);
        m_doc->Config().views[0].entries[6] = Entry(1);
        m_view->RebuildRows();
        QCOMPARE(m_view->Row(6)->StatLabel(false, 5)->Text(), QString("0.000"));
        // Without a comparison, its line is empty; with no log, both are.
        m_doc->CloseComparison();
        QVERIFY(otherRange->Text().isEmpty() && m_doc->OnNewDocument());
        QVERIFY(mainRange->Text().isEmpty());
    }

    void axisFieldsFitTheirNumbers() {
        CDlgDataLogValue* row = m_view->Row(1);  // MAP, fixed axis range
        // A wide axis maximum gets a field wide enough to show it whole.
        m_view->resize(300, 600);
        QCOMPARE(row->width(), int(CDlgDataLogValue::kRowWidth));
        m_doc->Config().axes[kMap - 1].maximum = 12000.0f;
        m_view->RebuildRows();
        QVERIFY(row->MaxField()->DisplayText().startsWith("12000"));
        QVERIFY(!row->MaxField()->IsTextCut());
        QVERIFY(row->MaxField()->geometry().right() < row->width());
        QVERIFY(row->MinField()->geometry().right() < row->MaxField()->x());
        // A number too long even for the widest field is cut visibly, the tooltip shows it.
        CNumericEdit* field = row->MaxField();
        field->Reconfigure("%.6f", "%.6f", -9999999, 9999999, 1);
        field->SetValue(false, -9999999);
        QVERIFY(field->IsTextCut());
    }

    void viewSteppingSkipsEmptyViews() {
        GraphConfiguration& config = m_doc->Config();
        for (int v = 1; v < kViewCount; ++v)
            config.views[size_t(v)] = GraphView{};
        config.views[3].entries[7] = Entry(kRpm);
        std::strcpy(config.views[3].title, "Three");
        config.views[7].entries[0] = Entry(kMap);
        m_doc->UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);

        QComboBox* combo = m_view->ViewCombo();
        QCOMPARE(combo->count(), 4);
        QCOMPARE(std::pair(combo->itemText(1), combo->itemText(3)),
                 std::pair(QString("Three"), QString("Edit Views")));
        QCOMPARE(combo->itemData(3).toInt(), 99);

        QTest::mouseClick(m_view->NextButton(), Qt::LeftButton);
        QCOMPARE(m_doc->GetCurrentView(), 3);
        QCOMPARE(m_view->TitleLabel()->Text(), QString("Three"));
        QVERIFY(m_view->Row(7)->IsShown() && !m_view->Row(0)->IsShown());
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(m_chart.hints.back(), DocumentChange::ShownDataChanged);
        for (int expected : {7, 0}) {
            m_view->StepView(1);
            QCOMPARE(m_doc->GetCurrentView(), expected);
        }
        QTest::mouseClick(m_view->PreviousButton(), Qt::LeftButton);
        QCOMPARE(m_doc->GetCurrentView(), 7);

        QSignalSpy edit(m_view, &CDataLogValues::editViewsRequested);
        combo->activated(3);
        QCOMPARE(edit.count(), 1);
        QCOMPARE(combo->currentIndex(), 2);  // back on the current view
        combo->activated(1);
        QCOMPARE(m_doc->GetCurrentView(), 3);
    }

    void theKeyboardStaysWithTheChart() {
        for (QWidget* w :
             QWidgetList{m_view, m_view->ViewCombo(), m_view->NudgeSpin()->LeftButton(),
                         m_view->Row(0)->GraphCheck()})
            QCOMPARE(w->focusPolicy(), Qt::NoFocus);
    }

    void comparisonValueIsInterpolatedAtTheCursor() {  // the values: DifferenceChannelTest
        // Between frames the earlier frame's status; outside the log or at no time, nothing.
        LogData& log = m_doc->Main();
        QVERIFY(EnsureColumns(log, {kMap - 1}, true));
        const float t0 = log.values[0][5], t1 = log.values[0][6], end = log.values[0][999];
        log.status[kMap - 1][5] = 6;
        log.status[kMap - 1][6] = 7;
        QCOMPARE(InterpolateAtTime(log, kMap - 1, t0 + (t1 - t0) / 4).status, 6u);
        for (float t : {log.values[0][0] - 0.001f, end + 0.001f, std::nanf("")}) {
            const InterpolatedValue r = InterpolateAtTime(log, kMap - 1, t);
            QCOMPARE(std::pair(r.value, r.status), std::pair(kNoValue, 0u));
        }
        // The row shows the comparison (50 s at 30 Hz) interpolated at the cursor's time.
        LoadComparison(1500, 30.0);
        const LogData& comparison = m_doc->Comparison();
        CDlgDataLogValue* row = m_view->Row(1);
        Cursor(101);
        const InterpolatedValue expected =
            InterpolateAtTime(comparison, kMap - 1, m_doc->Main().values[0][101]);
        QVERIFY(expected.value != kNoValue);
        QCOMPARE(row->ComparisonValue()->ValueText(), MapText(comparison, expected.value));

        // One step of the left arrow moves the comparison 0.1 s earlier and marks it edited.
        const float before = comparison.values[0][10];
        m_chart.hints.clear();
        QTest::mouseClick(m_view->NudgeSpin()->LeftButton(), Qt::LeftButton);
        QCOMPARE(comparison.values[0][10], before - 0.1f);
        QVERIFY(m_doc->IsComparisonEdited());
        QCOMPARE(m_chart.hints, std::vector<DocumentChange>{DocumentChange::ShownDataChanged});

        // On the comparison beyond the main log's end, the main value is "-".
        Cursor(1400, true);
        QCOMPARE(row->MainValue()->ShownText(), QString("-"));
        QCOMPARE(row->ComparisonValue()->ValueText(),
                 MapText(comparison, comparison.values[kMap - 1][1400]));
    }

    void differenceLineShowsTheCursorAndTheVisibleWindow() {
        CDlgDataLogValue* row = m_view->Row(1);
        QVERIFY(!row->DifferenceCheck()->isEnabled());  // no comparison yet
        LoadComparison(1500, 30.0);
        QVERIFY(row->DifferenceCheck()->isEnabled());
        const int height = row->height();
        Cursor(101);
        m_doc->SetZoomRange(100, 199);
        m_chart.hints.clear();
        QTest::mouseClick(row->DifferenceCheck(), Qt::LeftButton);
        QVERIFY(m_doc->IsDifferenceShown(kMap));
        QCOMPARE(m_chart.hints, std::vector<DocumentChange>{DocumentChange::ShownDataChanged});
        QVERIFY(row->DifferenceLabel()->isVisibleTo(row));
        QVERIFY(row->height() > height);
        // At the cursor: main less the comparison as shown; over frames 100 to 199 inclusive.
        const LogData& main = m_doc->Main();
        const float d = ValueAt(main, kMap - 1, 101) -
                        InterpolateAtTime(m_doc->Comparison(), kMap - 1, main.values[0][101]).value;
        QString atCursor = FromAnsi(GetChannelValueText(main.config, kMap, d));
        if (d > 0) atCursor.prepend(u'+');
        std::vector<float> window;
        QVERIFY(DifferenceValues(m_doc->Main(), m_doc->Comparison(), kMap - 1, 100, 200, window));
        const DifferenceStats stats = StatisticsOfDifferences(window);
        QCOMPARE(stats.count, 100);
        const QString format = FromAnsi(NumberFormatOf(GetChannelValueFormat(main.config, kMap)));
        QCOMPARE(row->DifferenceLabel()->Text(),
                 QStringLiteral("Diff ") + atCursor + QStringLiteral("    in view: Min ") +
                     FormatDouble(format, stats.minimum) + QStringLiteral("  Max ") +
                     FormatDouble(format, stats.maximum) + QStringLiteral("  Avg ") +
                     FormatDouble(format, stats.average) + QStringLiteral("  StDv ") +
                     FormatDouble(format, stats.deviation));
        // The same channel's other row shows it too; clearing the tick takes the line away.
        QVERIFY(m_view->Row(4)->DifferenceLabel()->isVisibleTo(m_view->Row(4)));
        QTest::mouseClick(row->DifferenceCheck(), Qt::LeftButton);
        QVERIFY(!m_doc->IsDifferenceShown(kMap));
        QVERIFY(!row->DifferenceLabel()->isVisibleTo(row));
        QCOMPARE(row->height(), height);
    }

    void updateStatsConvertsTheWindowWithEachLogsOwnTimes() {
        // Main 0 .. 9.99 s at 100 Hz; comparison -3 .. 26.98 s at 50 Hz; frames worked by hand.
        LoadComparison(1500, 50.0, 3.0f);
        using W = std::optional<TimeWindow>;
        const std::pair<W, StatsRanges> cases[] = {
            {std::nullopt, {0, 1000, 0, 1500}},
            {TimeWindow{2.004, 12.507}, {200, 1000, 250, 776}},  // runs past the main log's end
            {TimeWindow{-10, -2.5}, {0, 0, 0, 26}},              // before the main log starts
            {TimeWindow{15.005, 25.008}, {0, 0, 900, 1401}},     // after the main log ends
            {TimeWindow{-20, -10}, {0, 0, 0, 0}},
            {TimeWindow{4.0, 4.004}, {400, 401, 350, 351}},  // narrower than one frame
        };
        const auto tie = [](const StatsRanges& r) {
            return std::tuple(r.mainFirst, r.mainEnd, r.comparisonFirst, r.comparisonEnd);
        };
        for (const auto& [window, expected] : cases)
            QCOMPARE(tie(UpdateStatsRanges(*m_doc, window)), tie(expected));
    }

    void updateStatsOnALongerComparison() {
        // Main 0 .. 10 s, comparison 0 .. 30 s, zoomed to 15 .. 25 s: no main-log frame at all.
        LoadComparison(3000, 100.0);
        const LogData& main = m_doc->Main();
        const ChannelStats& time = m_doc->Comparison().stats[0];
        m_chart.hints.clear();
        m_view->OnUpdateStats(TimeWindow{15.0, 25.0});
        QCOMPARE(std::tuple(time.count, time.startValue, time.endValue, main.stats[0].count),
                 std::tuple(1001u, 15.0f, 25.0f, 0u));
        QCOMPARE(m_chart.hints, std::vector<DocumentChange>{DocumentChange::LogChanged});
        // A log without frames in the window shows no figures rather than zeros.
        QCOMPARE(m_view->Row(1)->StatLabel(false, 0)->Text(), QString("-"));
        const QString format = FromAnsi(NumberFormatOf(GetChannelValueFormat(main.config, kMap)));
        QCOMPARE(m_view->Row(1)->StatLabel(true, 5)->Text(),
                 FormatDouble(format, double(ValueAt(m_doc->Comparison(), kMap - 1, 2500))));

        m_view->OnUpdateStats(std::nullopt);  // not zoomed: both whole logs, last frames in
        QCOMPARE(main.stats[kMap - 1].endValue, ValueAt(main, kMap - 1, 999));
        QCOMPARE(std::tuple(main.stats[0].count, time.count, time.endValue),
                 std::tuple(1000u, 3000u, 29.99f));
    }
};

QTEST_MAIN(ValuesViewTest)
#include "ValuesViewTest.moc"

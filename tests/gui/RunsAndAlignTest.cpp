// Find Runs (table, sort, zoom, line up as comparison, a run of another log lined up) and Align
// (shift shown, applied, undone).

#include "gui/common/CChannelPicker.h"
#include "gui/dialogs/CDlgDataLogAlign.h"
#include "gui/dialogs/CDlgDataLogRuns.h"
#include "support/DocumentFixture.h"
#include "support/FileBytes.h"

using namespace quillon;

class RunsAndAlignTest : public QObject, public test::DocumentFixture {
    Q_OBJECT

private slots:
    void init() { NewDocument(); }
    void cleanup() { DeleteDocument(); }

    void runsSortZoomAndLineUpAsComparison() {
        // 150 s at 10 Hz: TPS above 90 at frames 223, 823 and 1423 until the lifts at 355 and
        // 955 and the log's end.
        QVERIFY(m_doc->OnOpenDocument(WriteLog("runs.dl", 1500, 10)).ok());
        QPointer<CDlgDataLogRuns> window;
        CDlgDataLogRuns::OpenOrRaise(window, *m_doc, m_prompt);
        QVector<double> zoomed;
        window->zoomToRun = [&](double from, double to) { zoomed = {from, to}; };
        QTableWidget* table = window->Table();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("22.300"));
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("13.200"));
        QVERIFY(window->Status()->text().contains(QStringLiteral("reaches the log's end")));
        table->sortItems(2, Qt::AscendingOrder);  // by duration, a number
        QCOMPARE(window->RunOfRow(0), 2);
        emit table->cellDoubleClicked(0, 1);
        QCOMPARE(zoomed, (QVector<double>{double(142.3f), double(149.9f)}));

        window->MinDuration()->setValue(10.0);
        QCOMPARE(table->rowCount(), 2);
        QVERIFY(!window->ComparisonButton()->isEnabled());
        // The run clicked last (the second pass) becomes the comparison, lined up on the first.
        const int first = window->RunOfRow(0) == 0 ? 0 : 1;
        table->selectRow(first);
        table->selectionModel()->setCurrentIndex(
            table->model()->index(1 - first, 0),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(window->ComparisonButton()->isEnabled());
        window->ComparisonButton()->click();
        QVERIFY(m_doc->IsComparisonLoaded());
        QVERIFY(qAbs(m_doc->Comparison().values[0][823] - m_doc->Main().values[0][223]) < 1e-4f);
        QCOMPARE(zoomed.front(), double(22.3f));
        QCOMPARE(QString::fromStdString(m_doc->UndoName()), QStringLiteral("Line Up Runs"));
        QVERIFY(!m_doc->IsComparisonEdited());  // nothing to write back into the log's own file
    }

    void lineUpARunOfAnotherLog() {
        // The main log's passes start at 22.3, 82.3 and 142.3 s; the other log, at 20 Hz and
        // with its zero 12.345 s in, starts its passes 12.345 s earlier on its own time axis.
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 1500, 10)).ok());
        const std::string other = WriteLog("other.dl", 3000, 20, 7, 12.345f);
        QPointer<CDlgDataLogRuns> window;
        CDlgDataLogRuns::OpenOrRaise(window, *m_doc, m_prompt);
        QVector<double> zoomed;
        window->zoomToRun = [&](double from, double to) { zoomed = {from, to}; };
        QVERIFY(!window->ComparisonTable()->isEnabled());
        m_prompt.QueueFile(other);
        window->LoadAnotherButton()->click();
        QCOMPARE(m_prompt.asked.back().caption, std::string("Choose Data Log to Compare"));
        QVERIFY(window->ComparisonTitle()->text().contains(QStringLiteral("other.dl: 3 runs")));
        QTableWidget* table = window->ComparisonTable();
        QCOMPARE(table->rowCount(), 3);

        // The main log's second pass and the other log's first.
        window->Table()->selectRow(window->RunOfRow(0) == 1 ? 0 : 1);
        QVERIFY(!window->LineUpButton()->isEnabled());
        table->selectRow(0);
        QVERIFY(window->LineUpButton()->isEnabled());
        const int frame =
            window->ComparisonRuns()[size_t(window->ComparisonRunOfRow(0))].firstFrame;
        const float before = m_doc->Comparison().values[0][size_t(frame)];
        window->LineUpButton()->click();
        QVERIFY(qAbs(m_doc->Comparison().values[0][size_t(frame)] - 82.3f) < 5e-4f);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("82.300"));
        QCOMPARE(zoomed.front(), double(82.3f));
        QCOMPARE(QString::fromStdString(m_doc->UndoName()), QStringLiteral("Line Up Runs"));
        QVERIFY(m_doc->Undo());
        QCOMPARE(m_doc->Comparison().values[0][size_t(frame)], before);
        QCOMPARE(window->ComparisonRuns().front().start, before);
    }

    void alignShowsTheShiftAndAppliesIt() {
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 3000)).ok());
        std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = 3123, .seed = 2});
        bytes.erase(bytes.begin() + std::ptrdiff_t(kFramesOffset),
                    bytes.begin() + std::ptrdiff_t(kFramesOffset + 123 * kFrameSize));
        test::WriteBytes(Path("copy.dl"), bytes);
        QVERIFY(m_doc->LoadComparison(Path("copy.dl")).ok());

        {
            CDlgDataLogAlign dialog(*m_doc);
            QCOMPARE(dialog.ChannelCombo()->Channel(), 2);
            QCOMPARE(dialog.WindowField()->value(), 10.0);
            QCOMPARE(dialog.ShiftLabel()->text(), QStringLiteral("+1.230 s"));
            QVERIFY(dialog.ApplyButton()->isEnabled());
            // A channel that never changes: no shift to apply.
            dialog.ChannelCombo()->setCurrentIndex(dialog.ChannelCombo()->findData(33));
            emit dialog.ChannelCombo()->channelPicked(33);
            QCOMPARE(dialog.ShiftLabel()->text(), QStringLiteral("none"));
            QVERIFY(!dialog.ApplyButton()->isEnabled());
        }
        test::OnNextDialog<CDlgDataLogAlign>(
            [](CDlgDataLogAlign& dialog) { dialog.ApplyButton()->click(); });
        QVERIFY(CDlgDataLogAlign::Run(*m_doc, nullptr));
        QVERIFY(qAbs(m_doc->Comparison().values[0][0] - 1.23f) < 1e-4f);
        QVERIFY(m_doc->Undo());
        QCOMPARE(m_doc->Comparison().values[0][0], 0.0f);
    }
};

QTEST_MAIN(RunsAndAlignTest)
#include "RunsAndAlignTest.moc"

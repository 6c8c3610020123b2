// The axis, x axis and auto-zero dialogs: what OK writes, what Cancel keeps, stored oddities.

#include "gui/common/CNumericEdit.h"
#include "model/ComparisonLog.h"
#include "gui/dialogs/CDlgDataLogAutoZero.h"
#include "gui/dialogs/CDlgDataLogAxisSetup.h"
#include "gui/dialogs/CDlgDataLogXAxisSetup.h"
#include "support/DocumentFixture.h"

using namespace quillon;
using test::AcceptNextDialog;

namespace {

constexpr int kRpm = 2;
constexpr int kInjPw = 3;  // "%.2f msec"
constexpr int kMap = 29;

}  // namespace

class AxisDialogsTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    GraphViewEntry& EntryOf(int index) { return m_doc->Config().views[0].entries[size_t(index)]; }

private slots:
    void init() {
        NewDocument();
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 600, 20)));  // 30 s: past the launch
        m_doc->SetCurrentView(0);
        EntryOf(3) = {uint32_t(kMap), 1, 1, {}, 0, 0};
        m_doc->Config().axes[kMap - 1] = {1, {}, 10, 250};
    }
    void cleanup() { DeleteDocument(); }

    void axisSetupWritesExactlyTheChosenValuesAndCancelNothing() {
        const GraphConfiguration before = m_doc->Config();
        {
            CDlgDataLogAxisSetup cancelled(*m_doc, 3);
            cancelled.AutoscaleBox()->click();
            cancelled.MinimumField()->SetValue(true, 77);
            cancelled.PanelBox()->setCurrentIndex(4);
            cancelled.reject();
        }
        QCOMPARE(std::memcmp(&before, &m_doc->Config(), sizeof before), 0);
        CDlgDataLogAxisSetup dialog(*m_doc, 3);
        QVERIFY(!dialog.MinimumField()->isEnabled());  // autoscale on
        QCOMPARE(dialog.MinimumField()->Value(), 10.0);
        dialog.AutoscaleBox()->click();
        QVERIFY(dialog.MinimumField()->isEnabled() && dialog.MaximumField()->isEnabled());
        dialog.MinimumField()->SetValue(true, 300.25);  // above the maximum: accepted
        dialog.MaximumField()->SetValue(true, -5);
        dialog.SmoothingBox()->setCurrentIndex(5);
        dialog.PanelBox()->setCurrentIndex(2);
        dialog.accept();

        const ChannelAxisSetting& axis = m_doc->Config().axes[kMap - 1];
        QCOMPARE(std::tuple(int(axis.autoscale), axis.minimum, axis.maximum),
                 std::tuple(0, 300.25f, -5.0f));
        QCOMPARE(std::tuple(EntryOf(3).filter, EntryOf(3).panel, EntryOf(3).channel),
                 std::tuple(5u, 2u, uint32_t(kMap)));
    }

    void storedValuesOutsideTheListsAreKeptInRange() {
        EntryOf(3).panel = 9;
        EntryOf(3).filter = 77;
        m_doc->Config().axes[kMap - 1] = {0, {}, std::numeric_limits<float>::quiet_NaN(), 1e9f};
        {
            CDlgDataLogAxisSetup dialog(*m_doc, 3);
            QCOMPARE(
                std::pair(dialog.PanelBox()->currentIndex(), dialog.SmoothingBox()->currentIndex()),
                std::pair(-1, -1));
            QCOMPARE(dialog.MaximumField()->Value(), 100000.0);
            dialog.accept();
        }
        QCOMPARE(std::pair(EntryOf(3).panel, EntryOf(3).filter), std::pair(4u, 5u));
        QCOMPARE(m_doc->Config().axes[kMap - 1].minimum, 0.0f);

        // An empty entry (or an entry index out of range) touches no axis setting.
        EntryOf(15) = {};
        const auto axes = m_doc->Config().axes;
        CDlgDataLogAxisSetup empty(*m_doc, 99);  // entry 15, channel 0
        QVERIFY(empty.Channel() == 0 && !empty.MinimumField()->isEnabled());
        empty.PanelBox()->setCurrentIndex(1);
        empty.accept();
        QCOMPARE(EntryOf(15).panel, 1u);
        QCOMPARE(std::memcmp(&axes, &m_doc->Config().axes, sizeof axes), 0);
    }

    void xAxisDialogStoresNothing() {
        m_doc->Config().axes[0] = {0, {}, 1.5f, 9.25f};
        const auto before = m_doc->Config().axes[0];
        CDlgDataLogXAxisSetup dialog(*m_doc);
        QCOMPARE(std::pair(dialog.MinimumField()->DisplayText(), dialog.MaximumField()->Step()),
                 std::pair(QString("1.50 sec"), 0.01));
        dialog.MinimumField()->SetValue(true, 2.5);
        dialog.MaximumField()->SetValue(true, 4.75);
        dialog.accept();
        QCOMPARE(std::pair(dialog.Minimum(), dialog.Maximum()), std::pair(2.5f, 4.75f));
        QCOMPARE(std::memcmp(&before, &m_doc->Config().axes[0], sizeof before), 0);
    }

    void autoZeroListsAndTriggerFieldFollowTheChannel() {
        m_prefs->SaveAutoZero(kInjPw, 12.5f, 1);
        CDlgDataLogAutoZero main(*m_doc, false);
        int available = 0;
        for (int c = 1; c <= kChannelCount; ++c)
            available += IsChannelAvailable(m_doc->Main(), c);
        QVERIFY(main.WhenBox()->count() == available && available < kChannelCount);
        QCOMPARE(main.IsBox()->currentText(), QString(">"));
        QCOMPARE(main.WhenBox()->currentData().toInt(), kInjPw);
        CNumericEdit* field = main.TriggerField();
        QCOMPARE(
            std::tuple(field->Value(), field->Step(), field->DisplayFormat(), field->Maximum()),
            std::tuple(12.5, 0.01, QString("%.2f"), double(GetChannelMax(m_doc->Main(), kInjPw))));
        main.WhenBox()->setCurrentIndex(main.WhenBox()->findData(kRpm));
        QCOMPARE(std::tuple(field->Step(), field->Minimum(), field->Maximum()),
                 std::tuple(1.0, double(GetChannelMin(m_doc->Main(), kRpm)),
                            double(GetChannelMax(m_doc->Main(), kRpm))));
        field->SetValue(true, 3500);
        main.IsBox()->setCurrentIndex(0);
        main.accept();
        int channel = 0, condition = -1;
        float trigger = 0;
        m_prefs->LoadAutoZero(channel, trigger, condition);
        QCOMPARE(std::tuple(channel, trigger, condition), std::tuple(kRpm, 3500.0f, 0));

        CDlgDataLogAutoZero comparison(*m_doc, true);
        QCOMPARE(comparison.WhenBox()->count(), kChannelCount - 1);
        QCOMPARE(comparison.WhenBox()->itemData(438).toInt(), 439);
    }

    void autoZeroCommandsRetimeOrReport() {
        m_prefs->SaveAutoZero(kRpm, 3000, 1);
        AcceptNextDialog();
        QVERIFY(CDlgDataLogAutoZero::Run(*m_doc, false, nullptr));
        // The first frame above the trigger becomes the zero time.
        const int frame = m_doc->GetCursorFrame();
        const auto& rpm = m_doc->Main().values[kRpm - 1];
        QVERIFY(frame > 0 && rpm[size_t(frame)] > 3000 && rpm[size_t(frame - 1)] <= 3000);
        QCOMPARE(m_doc->TimeOfFrame(frame), 0.0f);

        const std::string path = WriteLog("comparison.dl", 300, 20, 2);
        QVERIFY(LoadComparisonLog(path, m_doc->Main(), m_doc->Comparison()).ok());
        m_doc->SetComparisonLoaded(true, path);
        m_prefs->SaveAutoZero(kRpm, 20000, 1);  // above the maximum: never found
        AcceptNextDialog();
        QVERIFY(!CDlgDataLogAutoZero::Run(*m_doc, true, nullptr));
        QCOMPARE(m_prompt.lastCaption, std::string("Comparison Auto Zero Failed"));
        QCOMPARE(m_prompt.lastText, std::string("The condition was not found."));
    }
};

QTEST_MAIN(AxisDialogsTest)
#include "AxisDialogsTest.moc"

// The axis, x axis and auto-zero dialogs: what OK writes, what Cancel keeps, stored oddities.

#include "gui/common/CNumericEdit.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
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

    void axisSetupWritesExactlyTheChosenValues() {
        CDlgDataLogAxisSetup dialog(*m_doc, 3);
        QVERIFY(!dialog.MinimumField()->isEnabled());  // autoscale on
        QCOMPARE(dialog.MinimumField()->Value(), 10.0);
        QCOMPARE(dialog.SmoothingBox()->count(), 6);

        dialog.AutoscaleBox()->click();
        QVERIFY(dialog.MinimumField()->isEnabled() && dialog.MaximumField()->isEnabled());
        dialog.MinimumField()->SetValue(true, 300.25);  // above the maximum: accepted
        dialog.MaximumField()->SetValue(true, -5);
        dialog.SmoothingBox()->setCurrentIndex(5);
        dialog.PanelBox()->setCurrentIndex(2);
        dialog.accept();

        const ChannelAxisSetting& axis = m_doc->Config().axes[kMap - 1];
        QCOMPARE(int(axis.autoscale), 0);
        QCOMPARE(axis.minimum, 300.25f);
        QCOMPARE(axis.maximum, -5.0f);
        QCOMPARE(EntryOf(3).filter, 5u);
        QCOMPARE(EntryOf(3).panel, 2u);
        QCOMPARE(EntryOf(3).channel, uint32_t(kMap));
    }

    void axisSetupCancelKeepsEverything() {
        const GraphConfiguration before = m_doc->Config();
        CDlgDataLogAxisSetup dialog(*m_doc, 3);
        dialog.AutoscaleBox()->click();
        dialog.MinimumField()->SetValue(true, 77);
        dialog.PanelBox()->setCurrentIndex(4);
        dialog.reject();
        QCOMPARE(std::memcmp(&before, &m_doc->Config(), sizeof before), 0);
    }

    void storedValuesOutsideTheListsAreKeptInRange() {
        EntryOf(3).panel = 9;
        EntryOf(3).filter = 77;
        m_doc->Config().axes[kMap - 1] = {0, {}, std::numeric_limits<float>::quiet_NaN(), 1e9f};
        {
            CDlgDataLogAxisSetup dialog(*m_doc, 3);
            QCOMPARE(dialog.PanelBox()->currentIndex(), -1);
            QCOMPARE(dialog.SmoothingBox()->currentIndex(), -1);
            QCOMPARE(dialog.MaximumField()->Value(), 100000.0);
            dialog.accept();
        }
        QCOMPARE(EntryOf(3).panel, 4u);
        QCOMPARE(EntryOf(3).filter, 5u);
        QCOMPARE(m_doc->Config().axes[kMap - 1].minimum, 0.0f);

        // An empty entry (or an entry index out of range) touches no axis setting.
        EntryOf(15) = {};
        const auto axes = m_doc->Config().axes;
        CDlgDataLogAxisSetup empty(*m_doc, 99);  // entry 15, channel 0
        QCOMPARE(empty.Channel(), 0);
        QVERIFY(!empty.MinimumField()->isEnabled());
        empty.PanelBox()->setCurrentIndex(1);
        empty.accept();
        QCOMPARE(EntryOf(15).panel, 1u);
        QCOMPARE(std::memcmp(&axes, &m_doc->Config().axes, sizeof axes), 0);
    }

    void xAxisDialogStoresNothing() {
        m_doc->Config().axes[0] = {0, {}, 1.5f, 9.25f};
        const auto before = m_doc->Config().axes[0];
        CDlgDataLogXAxisSetup dialog(*m_doc);
        QCOMPARE(dialog.MinimumField()->DisplayText(), QString("1.50 sec"));
        QCOMPARE(dialog.MaximumField()->Step(), 0.01);
        dialog.MinimumField()->SetValue(true, 2.5);
        dialog.MaximumField()->SetValue(true, 4.75);
        dialog.accept();
        QCOMPARE(dialog.Minimum(), 2.5f);
        QCOMPARE(dialog.Maximum(), 4.75f);
        QCOMPARE(std::memcmp(&before, &m_doc->Config().axes[0], sizeof before), 0);
    }

    void autoZeroListsAndTriggerFieldFollowTheChannel() {
        m_prefs->SaveAutoZero(kInjPw, 12.5f, 1);
        CDlgDataLogAutoZero main(*m_doc, false);
        int available = 0;
        for (int c = 1; c <= kChannelCount; ++c)
            available += IsChannelAvailable(m_doc->Main(), c);
        QCOMPARE(main.WhenBox()->count(), available);
        QVERIFY(available < kChannelCount);
        QCOMPARE(main.IsBox()->currentText(), QString(">"));
        QCOMPARE(main.WhenBox()->currentData().toInt(), kInjPw);
        CNumericEdit* field = main.TriggerField();
        QCOMPARE(field->Value(), 12.5);
        QCOMPARE(field->Step(), 0.01);
        QCOMPARE(field->DisplayFormat(), QString("%.2f"));
        QCOMPARE(field->Maximum(), double(GetChannelMax(m_doc->Main(), kInjPw)));

        main.WhenBox()->setCurrentIndex(main.WhenBox()->findData(kRpm));
        QCOMPARE(field->Step(), 1.0);
        QCOMPARE(field->Minimum(), double(GetChannelMin(m_doc->Main(), kRpm)));
        QCOMPARE(field->Maximum(), double(GetChannelMax(m_doc->Main(), kRpm)));
        field->SetValue(true, 3500);
        main.IsBox()->setCurrentIndex(0);
        main.accept();
        int channel = 0, condition = -1;
        float trigger = 0;
        m_prefs->LoadAutoZero(channel, trigger, condition);
        QCOMPARE(channel, kRpm);
        QCOMPARE(trigger, 3500.0f);
        QCOMPARE(condition, 0);

        CDlgDataLogAutoZero comparison(*m_doc, true);
        QCOMPARE(comparison.WhenBox()->count(), kChannelCount - 1);
        QCOMPARE(comparison.WhenBox()->itemData(438).toInt(), 439);
    }

    void autoZeroCommandsRetimeOrReport() {
        m_prefs->SaveAutoZero(kRpm, 3000, 1);
        AcceptNextDialog();
        QVERIFY(CDlgDataLogAutoZero::Run(*m_doc, false, nullptr));
        const int frame = m_doc->GetCursorFrame();
        QVERIFY(frame > 0);
        QVERIFY(m_doc->Main().values[kRpm - 1][frame] > 3000);
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

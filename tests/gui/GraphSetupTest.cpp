// Graph setup: drop rules as a table, drags through the widgets, Auto-Fill, titles, OK.

#include "settings/GraphConfigurationFile.h"
#include "gui/dialogs/CDlgDataLogSetup.h"
#include "gui/dialogs/CListBoxDLView.h"
#include "gui/dialogs/CListBoxLogChannel.h"
#include "support/DocumentFixture.h"

using namespace quillon;

namespace {

using Effect = GraphSetupModel::Effect;
using Slots = std::vector<uint32_t>;

GraphConfiguration ConfigWith(int view, const Slots& channels) {
    GraphConfiguration config{};
    for (size_t k = 0; k < channels.size(); ++k)
        config.views[size_t(view)].entries[k].channel = channels[k];
    return config;
}

Slots ViewSlots(const GraphSetupModel& m, int view) {
    Slots s;
    for (int k = 0; k < kViewEntryCount; ++k)
        s.push_back(m.Channel(view, k));
    while (!s.empty() && s.back() == 0)
        s.pop_back();
    return s;
}

/// A drop on the model, and view 2 after it.
struct DropCase {
    const char* name;
    Slots before;
    int dragView, dragSlot;  // -1: from the channel list
    int view, slot;
    uint32_t channel;
    Effect effect;
    Slots after;  // view 2 after the drop (and after the source's end of the drag)
};

// Carries a drag that a list started to a target list as the platform's drag loop would: enter,
// move, then drop at `at` (viewport coordinates of the target).
Qt::DropAction Deliver(QDrag& drag, Qt::DropActions allowed, CChannelListBase* target, QPoint at) {
    QWidget* port = target->viewport();
    const QMimeData* data = drag.mimeData();
    QDragEnterEvent enter(at, allowed, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDragMoveEvent move(at, allowed, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    if (!move.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(port, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent drop(QPointF(at), allowed, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// Presses on a row of `source` and moves the mouse far enough to start a drag, which goes to
// row `targetRow` of `target`.
Qt::DropAction Drag(CChannelListBase* source, int sourceRow, CChannelListBase* target,
                    int targetRow) {
    Qt::DropAction result = Qt::IgnoreAction;
    const QPoint at = target->visualItemRect(target->item(targetRow)).center();
    source->execDrag = [&](QDrag& drag, Qt::DropActions allowed) {
        return result = Deliver(drag, allowed, target, at);
    };
    source->scrollToItem(source->item(sourceRow));
    const QPoint from = source->visualItemRect(source->item(sourceRow)).center();
    QWidget* port = source->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, from);
    const QPoint to = from + QPoint(QApplication::startDragDistance() + 4, 0);
    QMouseEvent move(QEvent::MouseMove, to, port->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    source->execDrag = nullptr;
    return result;
}

}  // namespace

class GraphSetupTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    CDlgDataLogSetup* m_dlg = nullptr;

    void Open(const GraphConfiguration& config) {
        delete m_dlg;
        m_dlg = new CDlgDataLogSetup(*m_doc, *m_prefs, m_prompt, config,
                                     m_prefs->GetLastDataLogConfig());
        m_dlg->resize(1200, 620);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    }

private slots:
    void init() {
        NewDocument();
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 200)));
        Open(m_doc->Config());
    }

    void cleanup() {
        delete m_dlg;
        m_dlg = nullptr;
        DeleteDocument();
    }

    void dropRulesAndShifts_data() {
        QTest::addColumn<DropCase>("c");
        const Slots full = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        const Slots fullReordered = {16, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
        const DropCase cases[] = {
            {"onto an empty slot", {}, -1, -1, 2, 3, 5, Effect::Move, {0, 0, 0, 5}},
            {"onto a filled slot", {7}, -1, -1, 2, 0, 5, Effect::None, {7}},
            {"not a channel", {}, -1, -1, 2, 0, 441, Effect::None, {}},
            {"full view refuses", full, -1, -1, 2, 0, 20, Effect::None, full},
            {"C onto 0: C, A, B", {10, 11, 12}, 2, 2, 2, 0, 12, Effect::Copy, {12, 10, 11}},
            {"A onto 2: B, C, A", {10, 11, 12}, 2, 0, 2, 2, 10, Effect::Copy, {11, 12, 10}},
            {"into a gap", {10, 11, 0, 12}, 2, 0, 2, 2, 10, Effect::Copy, {0, 11, 10, 12}},
            {"full view still reorders", full, 2, 15, 2, 0, 16, Effect::Copy, fullReordered},
            {"from another view moves", {}, 3, 0, 2, 1, 9, Effect::Move, {0, 9}},
        };
        for (const DropCase& c : cases)
            QTest::newRow(c.name) << c;
    }

    void dropRulesAndShifts() {
        QFETCH(DropCase, c);
        GraphConfiguration config = ConfigWith(2, c.before);
        config.views[3].entries[0].channel = 9;
        GraphSetupModel m;
        m.Fill(config);
        m.BeginDrag(c.dragView, c.dragSlot);
        QCOMPARE(m.DragOver(c.view, c.slot, c.channel), c.effect);
        QCOMPARE(m.Drop(c.view, c.slot, c.channel), c.effect != Effect::None);
        m.EndDrag(c.effect);
        QCOMPARE(ViewSlots(m, 2), c.after);
        if (c.dragView == 3) QCOMPARE(m.Channel(3, 0), 0u);
    }

    void autoFillAndTake() {
        GraphSetupModel m;
        m.Fill(ConfigWith(5, {7, 8}));
        m.AutoFill([](int c) { return c % 3 == 0 && c <= 60; });  // 20 channels
        QCOMPARE(ViewSlots(m, 0),
                 (Slots{3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48}));
        QCOMPARE(ViewSlots(m, 1), (Slots{51, 54, 57, 60}));
        for (int v = 2; v < kViewCount; ++v)
            QVERIFY(ViewSlots(m, v).empty());
        m.AutoFill([](int) { return true; });
        QCOMPARE(m.Channel(7, 15), 128u);
        // Taking the slots back writes channel numbers only; flags stay with their slot.
        GraphConfiguration config = ConfigWith(0, {1});
        config.views[0].entries[4].filter = 3;
        config.views[0].entries[4].panel = 2;
        m.TakeInto(config);
        const GraphViewEntry& e = config.views[0].entries[4];
        QCOMPARE(std::tuple(e.channel, e.filter, e.panel), std::tuple(5u, 3u, 2u));
        // Numbers out of range read from a file are empty slots.
        m.Fill(ConfigWith(0, {9999, 3}));
        QCOMPARE(ViewSlots(m, 0), (Slots{0, 3}));
    }

    void dragsThroughTheWidgets() {
        GraphConfiguration config = ConfigWith(0, {10, 11, 12});
        config.views[0].entries[0].filter = 4;
        config.views[0].entries[1].panel = 3;
        config.views[1].entries[0].channel = 20;
        std::strcpy(config.views[0].title, "Engine");
        Open(config);
        CListBoxLogChannel* channels = m_dlg->ChannelList();
        CListBoxDLView* v0 = m_dlg->ViewList(0);
        CListBoxDLView* v2 = m_dlg->ViewList(2);

        // Channel list to an empty slot of view 2: moved in, marked in the channel list.
        QCOMPARE(Drag(channels, 4, v2, 3), Qt::MoveAction);
        QCOMPARE(m_dlg->Model().Channel(2, 3), 5u);
        QVERIFY(channels->isMarked(5));
        QVERIFY(m_dlg->IsModified());
        // Again into view 2 is refused; view 3 takes it.
        QCOMPARE(Drag(channels, 4, v2, 4), Qt::IgnoreAction);
        QCOMPARE(m_dlg->DropNote()->text(),
                 QStringLiteral("This view already shows that channel."));
        QCOMPARE(Drag(channels, 4, m_dlg->ViewList(3), 0), Qt::MoveAction);
        QVERIFY(m_dlg->DropNote()->text().isEmpty());
        // Reorder inside view 0: C onto slot 0 gives C, A, B.
        QCOMPARE(Drag(v0, 2, v0, 0), Qt::CopyAction);
        QCOMPARE(ViewSlots(m_dlg->Model(), 0), (Slots{12, 10, 11}));
        // View 1 back to the channel list: gone from view 1.
        QCOMPARE(Drag(m_dlg->ViewList(1), 0, channels, 0), Qt::MoveAction);
        QVERIFY(ViewSlots(m_dlg->Model(), 1).empty());
        QVERIFY(!channels->isMarked(20));
        // Delete in a view list empties the slot with the caret.
        v2->setFocus();
        v2->setCurrentRow(3);
        QTest::keyClick(v2, Qt::Key_Delete);
        QCOMPARE(m_dlg->Model().Channel(2, 3), 0u);

        m_prompt.QueueAnswer(PromptAnswer::No);
        QTest::keyClick(m_dlg, Qt::Key_Return);
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QCOMPARE(m_prompt.lastCaption, std::string("Config Setup"));
        // The slots keep their own smoothing and panel whatever channel moved there.
        const GraphView& view = m_dlg->Configuration().views[0];
        QCOMPARE(std::tuple(view.entries[0].channel, view.entries[0].filter, view.entries[1].panel),
                 std::tuple(12u, 4u, 3u));
        QCOMPARE(std::string(view.title), std::string("Engine"));
    }

    void okQuestionTitlesAndSave() {
        // No changes: no question.
        m_dlg->OnOK();
        QCOMPARE(m_prompt.questions, 0);
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));

        Open(m_doc->Config());
        m_dlg->TitleField(1)->clear();
        QTest::keyClicks(m_dlg->TitleField(1), "A title of twenty ch and more");
        QCOMPARE(m_dlg->TitleField(1)->text().size(), 20);
        m_prompt.QueueAnswer(PromptAnswer::Yes);
        m_dlg->OnOK();
        GraphConfiguration saved;
        QVERIFY(ReadGraphConfigurationFile(m_prefs->GetLastDataLogConfig(), saved));
        QCOMPARE(std::string(saved.views[1].title), std::string("A title of twenty c"));
        QCOMPARE(std::string(m_dlg->Configuration().views[1].title), saved.views[1].title);

        // Pasted text that Windows-1252 cannot hold is refused with a note (typing: the sheet's).
        QLineEdit* title = m_dlg->TitleField(2);
        title->setText(QString::fromUtf8("\u20ac"));
        QApplication::clipboard()->setText(QString::fromUtf8("Pass \u4e2d"));
        title->paste();
        QCOMPARE(title->text(), QString::fromUtf8("\u20ac"));
        QVERIFY(QToolTip::isVisible() && QToolTip::text().contains("Windows-1252"));
        QToolTip::hideText();

        // Escape: nothing goes back.
        Open(m_doc->Config());
        QTest::mouseClick(m_dlg->Button("Clear All"), Qt::LeftButton);
        QTest::keyClick(m_dlg, Qt::Key_Escape);
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QCOMPARE(m_prompt.questions, 1);
    }

    void runAppliesTheBlocks() {
        GraphConfiguration changed = m_doc->Config();
        std::strcpy(changed.math[0].name, "Double");
        std::strcpy(changed.math[0].formula, "[002]*2");
        const std::string path = Path("math.graph");
        QVERIFY(WriteGraphConfigurationFile(path, changed));
        delete m_dlg;
        m_dlg = nullptr;
        // Open a file with a math channel in the dialog, then OK: the document follows.
        test::OnNextDialog<CDlgDataLogSetup>([this, path](CDlgDataLogSetup& dlg) {
            m_prompt.QueueFile(path);
            dlg.OpenAction()->trigger();
            dlg.OnOK();
        });
        QVERIFY(CDlgDataLogSetup::Run(*m_doc, *m_prefs, m_prompt, nullptr));
        QCOMPARE(m_prefs->GetLastDataLogConfig(), path);
        const LogData& log = m_doc->Main();
        QCOMPARE(log.values[368][50], log.values[1][50] * 2);
    }
};

QTEST_MAIN(GraphSetupTest)
#include "GraphSetupTest.moc"

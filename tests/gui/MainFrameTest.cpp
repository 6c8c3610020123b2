// The main window: start-up, enable rules, confirmations, compare and nudge, toolbar, status bar.

#include <atomic>
#include <chrono>
#include <thread>

#include "gui/app/CBrenmorQuillonLogViewerApp.h"
#include "gui/app/CDataLogFrame.h"
#include "gui/app/CDataLogStatusBar.h"
#include "gui/app/CDataLogToolbar.h"
#include "gui/common/CNudgeSpin.h"
#include "gui/common/CProgressWindow.h"
#include "gui/app/CRecentFileList.h"
#include "gui/app/CommandIds.h"
#include "gui/common/TextConversion.h"
#include "gui/chart/CDataLogView.h"
#include "model/LogFrames.h"
#include "settings/CPrefs.h"
#include "samplegen/SampleLog.h"
#include "support/ScriptedPrompt.h"

using namespace quillon;

namespace {

// A user slow to answer (events run meanwhile): notes a progress window over the question.
class SlowReader : public ScriptedPrompt {
public:
    using ScriptedPrompt::ScriptedPrompt;
    bool progressOverPrompt = false;
    bool windowShownAtPrompt = false;  // at the last question

    void Message(const std::string& caption, const std::string& text) override {
        Look();
        ScriptedPrompt::Message(caption, text);
    }
    PromptAnswer Question(const std::string& caption, const std::string& text) override {
        Look();
        return ScriptedPrompt::Question(caption, text);
    }

private:
    void Look() {
        QTest::qWait(700);
        windowShownAtPrompt = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QProgressDialog*>(w) && w->isVisible()) progressOverPrompt = true;
            if (qobject_cast<QMainWindow*>(w) && w->isVisible()) windowShownAtPrompt = true;
        }
    }
};

// Counts the progress windows that appear and keeps the last one's caption and label fit.
class ProgressWatcher : public QObject {
public:
    ProgressWatcher() { qApp->installEventFilter(this); }
    ~ProgressWatcher() override { qApp->removeEventFilter(this); }
    int shown = 0;
    bool textsFit = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QProgressDialog*>(watched);
        if (dialog && event->type() == QEvent::Show) {
            ++shown;
            const QFontMetrics fm(dialog->font());
            const QLabel* label = dialog->findChild<QLabel*>();
            textsFit = textsFit && label && dialog->width() > fm.horizontalAdvance(label->text()) &&
                       dialog->width() > fm.horizontalAdvance(dialog->windowTitle()) + 100;
        }
        return false;
    }
};

// The commands that a log, a comparison and the cursors enable; every other is always enabled.
const QList<int> kLogCommands = {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_EXPORT_PICTURE, ID_COPY_PICTURE,
                                 ID_HISTOGRAM, ID_PREV_VIEW,    ID_NEXT_VIEW,      ID_FIND_RUNS};
const QList<int> kComparisonCommands = {
    ID_CLOSE_COMPARISON, ID_COMPARISON_PROPERTIES, ID_COMPARISON_AUTOSET_ZERO_TIME,
    ID_NUDGE_LEFT,       ID_NUDGE_RIGHT,           ID_NUDGE_SPIN,
    ID_ALIGN_COMPARISON};
const QList<int> kCursorCommands = {ID_SET_ZERO_TIME, ID_SET_START_POINT, ID_SET_END_POINT,
                                    ID_STATS_BETWEEN_CURSORS, ID_COMPARISON_SET_ZERO_TIME};
// Enabled only after a change that can be undone, which no row makes.
const QList<int> kUndoCommands = {ID_EDIT_UNDO};

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    QString Path(const QString& name) const { return m_dir->filePath(name); }

    QString WriteLog(const QString& name, int frames, uint32_t seed = 1) {
        const SampleLogOptions options{.frames = frames, .seed = seed};
        std::string error;
        const bool ok = name.endsWith(QLatin1String(".dlz"), Qt::CaseInsensitive)
                            ? WriteSampleDlz(ToCorePath(Path(name)), options, &error)
                            : WriteSampleLog(ToCorePath(Path(name)), options, &error);
        if (!ok) qWarning("sample log: %s", error.c_str());
        return Path(name);
    }

    void NewApp(IPrompt& prompt) {
        m_app = std::make_unique<CBrenmorQuillonLogViewerApp>(
            Path(QStringLiteral("Documents")), Path(QStringLiteral("settings.ini")), &prompt);
    }

    // Starts the application as main() would, answering the open prompt (shown without a
    // command-line file) with `answer`.
    bool Start(const QString& commandLineFile, const QString& answer = {}) {
        m_prompt = ScriptedPrompt(PromptAnswer::No);
        if (commandLineFile.isEmpty()) m_prompt.QueueFile(ToCorePath(answer));
        NewApp(m_prompt);
        LaunchOptions options;
        options.file = commandLineFile;
        return m_app->InitInstance(options);
    }

    CDataLogFrame& Frame() { return *m_app->MainFrame(); }
    CDataLogDoc& Doc() { return m_app->Doc(); }
    // No refresh is forced: the enable states follow the document's notifications.
    bool Enabled(int id) { return Frame().Action(id)->isEnabled(); }
    int Asked(const std::string& kind) const {
        return int(std::count_if(m_prompt.asked.begin(), m_prompt.asked.end(),
                                 [&](const auto& a) { return a.kind == kind; }));
    }
    void SetCursor(int frame) {
        Doc().SetCursor(frame, 0, false);
        Doc().UpdateAllViews(nullptr, DocumentChange::CursorMoved);
    }
    void ChooseFile(const QString& path) { m_prompt.QueueFile(ToCorePath(path)); }
    float ComparisonStart() { return Doc().Comparison().values[0][0]; }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompt m_prompt;
    std::unique_ptr<CBrenmorQuillonLogViewerApp> m_app;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_prompt = ScriptedPrompt(PromptAnswer::No);
    }

    void cleanup() {
        m_app.reset();
        m_dir.reset();
    }

    void startUp() {
        // No file and a cancelled prompt: no window.
        QVERIFY(!Start({}));
        QVERIFY(Asked("open") == 1 && !Frame().isVisible() && !Doc().HasLog());
        // A file on the command line (the desktop's file association) is opened without a prompt.
        QVERIFY(Start(WriteLog(QStringLiteral("run1.dl"), 500)));
        QVERIFY(Asked("open") == 0 && Frame().isVisible() && Doc().GetFrameCount() == 500);
        QCOMPARE(Frame().windowTitle(), QStringLiteral("run1.dl[*] - Brenmor Quillon Log Viewer"));
        // The prompt at start can be turned off from the File menu, and stays off.
        QVERIFY(Frame().Action(ID_OPEN_PROMPT_AT_START)->isChecked());
        Frame().Action(ID_OPEN_PROMPT_AT_START)->trigger();
        QVERIFY(Start({}));
        QVERIFY(Asked("open") == 0 && Frame().isVisible() && !Doc().HasLog());
        QVERIFY(!Frame().Action(ID_OPEN_PROMPT_AT_START)->isChecked());
        Frame().Action(ID_OPEN_PROMPT_AT_START)->trigger();
        // The answered compressed log is expanded beside itself and the window names the result.
        QVERIFY(Start({}, WriteLog(QStringLiteral("run2.dlz"), 300)));
        QVERIFY(Doc().GetFrameCount() == 300 && QFileInfo::exists(Path(QStringLiteral("run2.dl"))));
        QCOMPARE(Frame().windowTitle(), QStringLiteral("run2.dl[*] - Brenmor Quillon Log Viewer"));
    }

    // A state of the window (log of 200, comparison of 300, cursors) and the commands it enables.
    void enableRules_data() {
        QTest::addColumn<bool>("log");
        QTest::addColumn<bool>("comparison");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("onComparison");
        QTest::addColumn<int>("cursorB");
        QTest::addColumn<QList<int>>("enabled");
        const QList<int> log = kLogCommands, both = log + kComparisonCommands,
                         zero = {ID_SET_ZERO_TIME},
                         zeroBoth = {ID_SET_ZERO_TIME, ID_COMPARISON_SET_ZERO_TIME};
        QTest::newRow("no log") << false << false << -1 << false << -1 << QList<int>{};
        QTest::newRow("no cursor") << true << false << -1 << false << -1 << log;
        // Frame 0 can be the zero time but no crop end; the last frame no end point.
        QTest::newRow("cursor 0") << true << false << 0 << false << -1 << log + zero;
        QTest::newRow("cursor 100")
            << true << false << 100 << false << -1
            << log + zero + QList<int>{ID_SET_START_POINT, ID_SET_END_POINT};
        QTest::newRow("cursor 199")
            << true << false << 199 << false << -1 << log + zero + QList<int>{ID_SET_START_POINT};
        QTest::newRow("cursor 199 and B at 50")
            << true << false << 199 << false << 50
            << log + zero + QList<int>{ID_SET_START_POINT, ID_STATS_BETWEEN_CURSORS};
        // With a comparison nothing is cropped; past the main log's end the main cursor is idle.
        QTest::newRow("comparison, cursor 100")
            << true << true << 100 << false << -1 << both + zeroBoth;
        QTest::newRow("comparison, main cursor 250") << true << true << 250 << false << -1 << both;
        QTest::newRow("comparison, its cursor 250")
            << true << true << 250 << true << -1 << both + zeroBoth;
        QTest::newRow("comparison, its cursor 299")
            << true << true << 299 << true << -1 << both + zeroBoth;
    }

    void enableRules() {
        QFETCH(bool, log);
        QFETCH(bool, comparison);
        QFETCH(int, cursor);
        QFETCH(bool, onComparison);
        QFETCH(int, cursorB);
        QFETCH(QList<int>, enabled);
        QVERIFY(Start(WriteLog(QStringLiteral("rules.dl"), 200)));
        if (comparison) {
            ChooseFile(WriteLog(QStringLiteral("other.dl"), 300, 2));
            QVERIFY(Frame().ExecuteCommand(ID_COMPARE_DATALOG));
        }
        if (!log) QVERIFY(Doc().OnNewDocument());
        // The window follows the document's notifications, without a refresh call.
        Doc().SetCursor(cursor, 0, onComparison);
        if (cursorB >= 0) Doc().SetCursorB(CDataLogDoc::CursorMark{cursorB, false});
        Doc().UpdateAllViews(nullptr, DocumentChange::CursorMoved);
        const QList<int> dependent =
            kLogCommands + kComparisonCommands + kCursorCommands + kUndoCommands;
        for (const CommandRow& row : CDataLogFrame::Commands())
            if (row.kind == CommandKind::Plain)
                QVERIFY2(
                    Enabled(row.id) == (!dependent.contains(row.id) || enabled.contains(row.id)),
                    qPrintable(QString::number(row.id) + QLatin1Char(' ') + row.text));
        QCOMPARE(Frame().Toolbar()->NudgeSpin()->isEnabled(), enabled.contains(ID_NUDGE_SPIN));
    }

    void answeringNoChangesNothingAndYesActs() {
        QVERIFY(Start(WriteLog(QStringLiteral("confirm.dl"), 400)));
        SetCursor(150);
        const DataLogHeader header = Doc().Main().header;
        const float t150 = Doc().Main().values[0][150];
        const struct {
            int id;
            const char *caption, *what;
        } cases[] = {{ID_SET_ZERO_TIME, "Set Zero Time", "zero time"},
                     {ID_SET_START_POINT, "Set Start Point", "start point"},
                     {ID_SET_END_POINT, "Set End Point", "end point"}};
        for (const auto& c : cases) {
            const int asked = m_prompt.questions;
            QVERIFY(Frame().ExecuteCommand(c.id));
            QCOMPARE(m_prompt.questions, asked + 1);
            QCOMPARE(m_prompt.lastCaption, std::string(c.caption));
            QCOMPARE(m_prompt.lastText, "Would you like to use the current point as the " +
                                            std::string(c.what) + " for this logfile?");
            QVERIFY(Doc().GetFrameCount() == 400 && Doc().Main().header == header);
            QVERIFY(Doc().Main().values[0][150] == t150 && !Doc().IsModified());
        }
        QVERIFY(!Frame().isWindowModified() && !Enabled(ID_EDIT_UNDO));

        // Each change marks the title and can be taken back.
        m_prompt.SetAnswer(PromptAnswer::Yes);
        QVERIFY(Frame().ExecuteCommand(ID_SET_ZERO_TIME));
        QVERIFY(Frame().isWindowModified());
        QCOMPARE(Frame().Action(ID_EDIT_UNDO)->text(), QStringLiteral("&Undo Set Zero Time"));
        QVERIFY(Frame().ExecuteCommand(ID_EDIT_UNDO));
        QCOMPARE(Doc().Main().values[0][150], t150);
        QVERIFY(!Doc().IsModified() && !Frame().isWindowModified() && !Enabled(ID_EDIT_UNDO));
        QVERIFY(Frame().ExecuteCommand(ID_SET_ZERO_TIME));
        QVERIFY(Doc().IsModified());
        QCOMPARE(std::pair(Doc().Main().values[0][150], Doc().GetCursorFrame()),
                 std::pair(0.0f, 150));
        QVERIFY(Frame().ExecuteCommand(ID_SET_END_POINT));
        QCOMPARE(std::pair(Doc().GetFrameCount(), Doc().GetCursorFrame()), std::pair(151, -1));
        const QString zoom = QStringLiteral("Zoom: 0 to 150 [151]");
        QCOMPARE(Frame().DataLogStatusBar()->Pane(1)->text(), zoom);
        SetCursor(50);
        const float t0 = Doc().Main().values[0][0];
        // A column the file gives: its frames come back from the file after the undo.
        const int slot = 2;
        std::vector<float> kept;
        for (int f = 0; f < 151; ++f)
            kept.push_back(ValueAt(Doc().Main(), slot, f));
        QVERIFY(Frame().ExecuteCommand(ID_SET_START_POINT));
        QCOMPARE(std::pair(Doc().GetFrameCount(), Doc().Main().values[0][0]), std::pair(101, 0.0f));
        QVERIFY(Frame().ExecuteCommand(ID_EDIT_UNDO));
        QCOMPARE(std::pair(Doc().GetFrameCount(), Doc().Main().values[0][0]), std::pair(151, t0));
        for (int f = 0; f < 151; ++f)
            QCOMPARE(ValueAt(Doc().Main(), slot, f), kept[size_t(f)]);
        QVERIFY(Doc().IsModified() && Frame().isWindowModified());
        QCOMPARE(Frame().DataLogStatusBar()->Pane(1)->text(), zoom);
    }

    void compareFlowExpandsLoadsNudgesAndCloses() {
        QVERIFY(Start(WriteLog(QStringLiteral("main.dl"), 300)));
        const QString dlz = WriteLog(QStringLiteral("RUN.DLZ"), 500, 7);
        ChooseFile(dlz);
        QVERIFY(Frame().ExecuteCommand(ID_COMPARE_DATALOG));
        QCOMPARE(m_prompt.asked.back().caption, std::string("Choose Data Log to Compare"));
        QVERIFY(Doc().IsComparisonLoaded() && QFileInfo::exists(Path(QStringLiteral("RUN.dl"))));
        QCOMPARE(std::pair(Doc().Comparison().frameCount, Doc().GetFrameCount()),
                 std::pair(500, 300));
        CNudgeSpin* spin = Frame().Toolbar()->NudgeSpin();
        // One click is 0.1 s; the two arrows, and the menu's nudges, go opposite ways.
        const float t0 = ComparisonStart();
        QTest::mouseClick(spin->RightButton(), Qt::LeftButton);
        QCOMPARE(ComparisonStart(), float(t0 + 0.1f));
        QVERIFY(Doc().IsComparisonEdited());
        QTest::mouseClick(spin->LeftButton(), Qt::LeftButton);
        QTest::mouseClick(spin->LeftButton(), Qt::LeftButton);
        QVERIFY(qAbs(ComparisonStart() - (t0 - 0.1f)) < 1e-4f);
        QVERIFY(Frame().ExecuteCommand(ID_NUDGE_RIGHT));
        QVERIFY(qAbs(ComparisonStart() - t0) < 1e-4f);
        // Filler frames past the main log's end stay no-value markers.
        QCOMPARE(Doc().Main().values[0][400], -999999.0f);

        const int asked = m_prompt.questions;
        QVERIFY(Frame().ExecuteCommand(ID_CLOSE_COMPARISON));
        QCOMPARE(m_prompt.questions, asked + 1);
        QCOMPARE(m_prompt.lastCaption, std::string("Comparison Logfile Edited"));
        QVERIFY(!Doc().IsComparisonLoaded() && !Enabled(ID_CLOSE_COMPARISON) && !spin->isEnabled());
    }

    void toolbarHoldsTheCommandsInOrderAndTheSpin() {
        QVERIFY(Start(WriteLog(QStringLiteral("bar.dl"), 50)));
        CDataLogToolbar* bar = Frame().Toolbar();
        // The 27 items by command id, 0 for a separator, then the nudge spin's slot.
        const int items[] = {32834, 57603, 57604, 32891, 32855, 0,     32934, 32869, 32867,
                             32868, 0,     32895, 32930, 32933, 0,     32926, 32927, 32928,
                             32929, 32942, 0,     32835, 32873, 32938, 32937, 32872, 32941};
        const QList<QAction*> actions = bar->actions();
        QVERIFY(actions.size() == 27 && actions.last() == bar->NudgeSlot());
        for (int i = 0; i < 26; ++i) {
            QCOMPARE(actions[i]->isSeparator(), items[i] == 0);
            if (items[i] == 0) continue;
            // The buttons are the menu's actions, and so follow its enable rules.
            QCOMPARE(actions[i], Frame().Action(items[i]));
        }
        // View > Toolbar is the toolbar's own action: its tick follows however the bar is hidden.
        bar->hide();
        QVERIFY(!Frame().Action(ID_VIEW_TOOLBAR)->isChecked());
        Frame().Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(bar->isVisible());

        // A button names its command in a tooltip.
        QWidget* zoomIn = bar->widgetForAction(Frame().Action(ID_ZOOM_IN));
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), zoomIn->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(zoomIn, &help);
        QCOMPARE(QToolTip::text(), QStringLiteral("Zoom In"));
        QToolTip::hideText();
    }

    void statusBarDescribesTheLog() {
        QVERIFY(Start(WriteLog(QStringLiteral("status.dl"), 1000)));
        Frame().UpdateCommandUI();
        CDataLogStatusBar* bar = Frame().DataLogStatusBar();
        QCOMPARE(bar->Pane(0)->text(), QStringLiteral("Ready"));
        QCOMPARE(bar->Pane(1)->text(), QStringLiteral("Zoom: 0 to 999 [1000]"));
        QVERIFY(bar->Pane(3)->text().startsWith("Date: ") &&
                bar->Pane(4)->text().startsWith("Firmware:"));
        QCOMPARE(CDataLogStatusBar::FirmwareText(0x587), QStringLiteral("Firmware:00000587"));
        QCOMPARE(CDataLogStatusBar::DateText(0xABCDEF), QStringLiteral("Date: 00ABCDEF"));

        // A long configuration-file name is cut on screen and shown whole in the tooltip.
        QLabel* pane = bar->Pane(5);
        const std::string longName(200, 'g');
        Doc().Main().header.Set(DataLogHeader::globalFile, longName);
        Frame().UpdateCommandUI();
        QCOMPARE(std::pair(pane->toolTip(), pane->text()),
                 std::pair(QString::fromStdString(longName), QString::fromStdString(longName)));
        QVERIFY(pane->fontMetrics().horizontalAdvance(pane->text()) > pane->width());
        // Header texts are Windows-1252 bytes.
        Doc().Main().header.Set(DataLogHeader::globalFile, "C:\\Tunes\\caf\xE9 \x80\xB0.gbl");
        Frame().UpdateCommandUI();
        QCOMPARE(pane->text(), QString::fromUtf8("C:\\Tunes\\caf\u00e9 \u20ac\u00b0.gbl"));
    }

    void droppedLogIsOpened() {
        QVERIFY(Start(WriteLog(QStringLiteral("first.dl"), 100)));
        auto enter = [&](const QString& path) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent event(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(&Frame(), &event);
            if (event.isAccepted()) {
                QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                                Qt::NoModifier);
                QCoreApplication::sendEvent(&Frame(), &drop);
            }
            return event.isAccepted();
        };
        QVERIFY(enter(WriteLog(QStringLiteral("second.dl"), 250, 3)));
        QTRY_COMPARE(Doc().GetFrameCount(), 250);
        QVERIFY(!enter(Path(QStringLiteral("notes.txt"))));
    }

    void exitAsksToSaveAndWritesTheDisplaySetup() {
        QVERIFY(Start(WriteLog(QStringLiteral("exit.dl"), 60)));
        Doc().SetModifiedFlag(true);
        m_prompt.QueueAnswer(PromptAnswer::Cancel);
        QVERIFY(Frame().ExecuteCommand(ID_APP_EXIT));
        QVERIFY(Asked("question3") == 1 && Frame().isVisible() && Doc().HasLog());

        const QString graph = FromCorePath(m_app->Prefs().GetLastDataLogConfig());
        QFile::remove(graph);
        m_prompt.QueueAnswer(PromptAnswer::No);
        QVERIFY(Frame().ExecuteCommand(ID_APP_EXIT));
        QVERIFY(Asked("question3") == 2 && !Frame().isVisible());
        QCOMPARE(QFileInfo(graph).size(), 10218);
    }

    void keysNewDocumentAndSplit() {
        QVERIFY(Start(WriteLog(QStringLiteral("split.dl"), 30)));
        Frame().resize(1000, 700);
        QCoreApplication::processEvents();
        const QList<int> before = Frame().Splitter()->sizes();
        QVERIFY(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(&Frame(), Qt::Key_Right);
        QCOMPARE(Frame().Splitter()->sizes()[0], before[0] + 16);
        QTest::keyClick(&Frame(), Qt::Key_Escape);
        QCOMPARE(Frame().Splitter()->sizes(), before);
        QVERIFY(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
        QTest::keyClick(&Frame(), Qt::Key_Left);
        QTest::keyClick(&Frame(), Qt::Key_Return);
        QTest::keyClick(&Frame(), Qt::Key_Left);  // no longer moving the split
        QCOMPARE(Frame().Splitter()->sizes()[0], before[0] - 8);

        Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Frame()));
        // Ctrl+PageDown and Ctrl+PageUp switch views.
        QTest::keyClick(&Frame(), Qt::Key_PageDown, Qt::ControlModifier);
        QVERIFY(Doc().GetCurrentView() != 0);
        QTest::keyClick(&Frame(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(Doc().GetCurrentView(), 0);
        const int opens = Asked("open");
        QTest::keyClick(&Frame(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(Asked("open"), opens + 1);
        QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(Frame().windowTitle(), QStringLiteral("Untitled[*] - Brenmor Quillon Log Viewer"));
    }

    void progressNeverStandsOverAQuestionAndTheWindowComesFirst() {
        // A file with another magic number.
        const QString wrongMagic = WriteLog(QStringLiteral("magic.dl"), 50);
        QFile file(wrongMagic);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.write(QByteArray(8, '\x7f'));
        file.close();

        // A shown progress window closes for a question and may come back afterwards.
        QVERIFY(Start(WriteLog(QStringLiteral("good.dl"), 100)));
        Frame().Progress().SetShowDelay(0);
        Frame().Progress().Begin(QStringLiteral("Loading..."));
        Frame().Progress().Step(1, 2);
        QVERIFY(Frame().Progress().Dialog() && Frame().Progress().Dialog()->isVisible());
        Doc().Prompt().Message("", "stop");
        QVERIFY(!Frame().Progress().Dialog());
        Frame().Progress().End();

        // A log named on the command line is loaded in the window already shown.
        m_app.reset();
        SlowReader second(PromptAnswer::No);
        NewApp(second);
        LaunchOptions options;
        options.file = wrongMagic;
        QVERIFY(!m_app->InitInstance(options));
        QCOMPARE(second.messages, 1);
        QVERIFY(second.windowShownAtPrompt && !second.progressOverPrompt && !Frame().isVisible());
    }

    void savingShowsTheProgressWindowAndPanesFitTheirTexts() {
        QVERIFY(Start(WriteLog(QStringLiteral("big.dl"), 3000)));
        Frame().Progress().SetShowDelay(0);
        ProgressWatcher watcher;
        QVERIFY(Frame().Save());
        ChooseFile(Path(QStringLiteral("other.dl")));
        QVERIFY(Frame().SaveAs());
        QVERIFY(watcher.shown == 2 && watcher.textsFit);

        // The zoom pane of a log of a million frames shows its numbers whole.
        Frame().resize(1366, 768);
        LogData& main = Doc().Main();
        const int frames = main.frameCount;
        main.frameCount = 1000000;
        Doc().SetZoomRange(999998, 999999);
        Frame().UpdateCommandUI();
        QCoreApplication::processEvents();
        QLabel* zoom = Frame().DataLogStatusBar()->Pane(1);
        QCOMPARE(zoom->text(), QStringLiteral("Zoom: 999998 to 999999 [1000000]"));
        QVERIFY(zoom->contentsRect().width() >=
                zoom->fontMetrics().horizontalAdvance(zoom->text()));
        main.frameCount = frames;
        Doc().ResetZoomRange();
    }

    void aLoadRunsBesideTheWindowAndEscapeKeepsTheOpenLog() {
        QVERIFY(Start(WriteLog(QStringLiteral("first.dl"), 300)));
        const std::string second = ToCorePath(WriteLog(QStringLiteral("second.dl"), 3000));
        Frame().Progress().SetShowDelay(0);
        // While the log is read on another thread the window handles its events (its timers
        // fire), and Escape in the loading window stops the read.
        std::atomic<int> ticks = 0;
        ProgressWatcher watcher;
        QTimer escape;
        connect(&escape, &QTimer::timeout, [&] {
            auto* dialog = Frame().Progress().Dialog();
            if (++ticks == 1 || !dialog || !dialog->isVisible()) return;
            QVERIFY(dialog->findChild<QPushButton*>());
            QTest::keyClick(dialog, Qt::Key_Escape);
            escape.stop();
        });
        escape.start(0);
        PendingOpen pending = Doc().BeginOpen(second);
        const auto window = std::this_thread::get_id();
        bool elsewhere = false;
        const Result read = Frame().FlowsHost().RunCancellable(
            "Loading second.dl...",
            [&](const ProgressCallback& progress, const CancelCheck& cancelled) {
                elsewhere = std::this_thread::get_id() != window;
                // The read starts once the window has been used, so that it is stopped at its
                // first look.
                while (ticks == 0 || !cancelled()) {
                    progress(1, 2);
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                return CDataLogDoc::ReadOpen(pending, progress, cancelled);
            });
        QVERIFY(elsewhere && !escape.isActive());
        QVERIFY(watcher.shown == 1 && watcher.textsFit);
        QCOMPARE(read.kind, ErrorKind::Cancelled);
        const int messages = m_prompt.messages;
        QCOMPARE(Doc().FinishOpen(pending, read).kind, ErrorKind::Cancelled);
        QCOMPARE(std::tuple(Doc().GetFrameCount(), m_prompt.messages), std::tuple(300, messages));
        QCOMPARE(Doc().GetPathName(), ToCorePath(Path(QStringLiteral("first.dl"))));
    }

    void openStartsInTheLastFolderAndTheChartHasTheFocus() {
        QDir(m_dir->path()).mkpath(QStringLiteral("elsewhere"));
        const QString log = WriteLog(QStringLiteral("elsewhere/far.dl"), 40);
        QVERIFY(Start(log));
        QCOMPARE(Frame().focusWidget(), static_cast<QWidget*>(Frame().ChartPane()));
        // The open dialog after the command-line log starts beside it.
        const std::string elsewhere = ToCorePath(Path(QStringLiteral("elsewhere")));
        // Either separator names the folder on Windows.
        const auto asked = [this] {
            return QDir::fromNativeSeparators(QString::fromStdString(m_prompt.asked.back().text));
        };
        Frame().PromptAndOpen();
        QCOMPARE(asked(), QString::fromStdString(elsewhere + "|"));
        // The next run remembers the folder.
        QVERIFY(!Start({}));
        QCOMPARE(asked(), QString::fromStdString(elsewhere + "|"));
    }

    void recentFileListKeepsTheFourNewest() {
        QVERIFY(Start(WriteLog(QStringLiteral("r0.dl"), 20)));
        for (int i = 1; i <= 4; ++i)
            QVERIFY(Frame().OpenDocumentFile(WriteLog(QStringLiteral("r%1.dl").arg(i), 20)));
        QVERIFY(Frame().OpenDocumentFile(Path(QStringLiteral("r2.dl"))));
        CRecentFileList stored(Path(QStringLiteral("settings.ini")));
        QCOMPARE(stored.Files(),
                 (QStringList{Path("r2.dl"), Path("r4.dl"), Path("r3.dl"), Path("r1.dl")}));
    }

    void windowStateComesBackOnTheNextRun() {
        const QString log = WriteLog(QStringLiteral("w.dl"), 20);
        const auto restart = [&] {
            if (m_app) Frame().close();
            m_app.reset();
            return Start(log);
        };
        // The first run fills the screen.
        QVERIFY(restart() && Frame().isMaximized());
        // A window left smaller, with a wider values pane, comes back so.
        Frame().showNormal();
        Frame().setGeometry(60, 50, 700, 500);
        Frame().Splitter()->setSizes({300, 400});
        const QList<int> split = Frame().Splitter()->sizes();
        QVERIFY(restart() && !Frame().isMaximized());
        QCOMPARE(std::pair(Frame().size(), Frame().Splitter()->sizes()),
                 std::pair(QSize(700, 500), split));
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"

// The main window: start-up with and without a log, the command table's enable rules, the
// confirmations, the compare flow with the nudge spin, the toolbar, the status bar, drag and
// drop, save as and the recent-file list.

#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "app/CBrenmorQuillonLogViewerApp.h"
#include "app/CDataLogFrame.h"
#include "app/CDataLogStatusBar.h"
#include "app/CDataLogToolbar.h"
#include "app/CNudgeSpin.h"
#include "app/CRecentFileList.h"
#include "app/CommandIds.h"
#include "app/CommandRules.h"
#include "app/TextConversion.h"
#include "config/CPrefs.h"
#include "datalog/CDataLogDoc.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    QString WriteLog(const QString& name, int frames, uint32_t seed = 1) {
        SampleLogOptions options;
        options.frames = frames;
        options.seed = seed;
        const QString path = m_dir->filePath(name);
        std::string error;
        const bool dlz = name.endsWith(QLatin1String(".dlz"), Qt::CaseInsensitive);
        const bool ok = dlz ? WriteSampleDlz(ToCorePath(path), options, &error)
                            : WriteSampleLog(ToCorePath(path), options, &error);
        if (!ok) qWarning("sample log: %s", error.c_str());
        return path;
    }

    // Starts the application as main() would, answering the open prompt with `answer`.
    bool Start(const QString& commandLineFile, const QString& answer) {
        m_promptsAsked = 0;
        m_app = std::make_unique<CBrenmorQuillonLogViewerApp>(
            m_dir->filePath(QStringLiteral("Documents")),
            m_dir->filePath(QStringLiteral("settings.ini")), &m_prompt);
        m_app->openPromptAnswer = [this, answer] {
            ++m_promptsAsked;
            return answer;
        };
        LaunchOptions options;
        options.file = commandLineFile;
        return m_app->InitInstance(options);
    }

    CDataLogFrame& Frame() { return *m_app->MainFrame(); }
    CDataLogDoc& Doc() { return m_app->Doc(); }
    bool Enabled(int id) {
        Frame().UpdateCommandUI();
        return Frame().Action(id)->isEnabled();
    }
    void SetCursor(int frame, bool onComparison = false) {
        Doc().SetCursor(frame, 0, onComparison);
        Doc().UpdateAllViews(nullptr, kHintCursor);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompt m_prompt;
    std::unique_ptr<CBrenmorQuillonLogViewerApp> m_app;
    int m_promptsAsked = 0;

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

    void startWithoutFileAndCancelledPromptEndsWithoutWindow() {
        QVERIFY(!Start({}, {}));
        QCOMPARE(m_promptsAsked, 1);
        QVERIFY(!Frame().isVisible());
        QVERIFY(!Doc().HasLog());
    }

    void startWithFileStillPromptsAndKeepsItOnCancel() {
        const QString log = WriteLog(QStringLiteral("run1.dl"), 500);
        QVERIFY(Start(log, {}));
        QCOMPARE(m_promptsAsked, 1);
        QVERIFY(Frame().isVisible());
        QCOMPARE(Doc().GetFrameCount(), 500);
        QCOMPARE(Frame().windowTitle(), QStringLiteral("run1.dl - Brenmor Quillon Log Viewer"));
    }

    void startWithoutFileOpensTheAnsweredLog() {
        const QString log = WriteLog(QStringLiteral("run2.dlz"), 300);
        QVERIFY(Start({}, log));
        QVERIFY(Frame().isVisible());
        QCOMPARE(Doc().GetFrameCount(), 300);
        // The compressed log is expanded beside itself and the window names the result.
        QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("run2.dl"))));
        QCOMPARE(Frame().windowTitle(), QStringLiteral("run2.dl - Brenmor Quillon Log Viewer"));
    }

    void startWithBrokenFileReportsAndFails() {
        const QString path = m_dir->filePath(QStringLiteral("broken.dl"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20000, '\x5a'));
        file.close();
        QVERIFY(!Start(path, {}));
        QVERIFY(m_prompt.messages >= 1);
        QVERIFY(!Frame().isVisible());
    }

    void enableRulesFollowTheCursor() {
        QVERIFY(Start(WriteLog(QStringLiteral("rules.dl"), 200), {}));
        SetCursor(-1);
        QVERIFY(!Enabled(ID_SET_ZERO_TIME));
        QVERIFY(!Enabled(ID_SET_START_POINT));
        QVERIFY(!Enabled(ID_SET_END_POINT));

        SetCursor(0);
        QVERIFY(Enabled(ID_SET_ZERO_TIME));
        QVERIFY(!Enabled(ID_SET_START_POINT));
        QVERIFY(!Enabled(ID_SET_END_POINT));

        SetCursor(100);
        QVERIFY(Enabled(ID_SET_START_POINT));
        QVERIFY(Enabled(ID_SET_END_POINT));

        SetCursor(199);
        QVERIFY(Enabled(ID_SET_ZERO_TIME));
        QVERIFY(Enabled(ID_SET_START_POINT));
        QVERIFY(!Enabled(ID_SET_END_POINT));

        // Always-on commands, commands waiting for their dialogs, and the comparison's.
        for (int id : {ID_DATALOG_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_ZOOM_IN, ID_ZOOM_OUT,
                       ID_ZOOM_ALL, ID_ZOOM_LAST, ID_COMPARE_DATALOG, ID_APP_EXIT})
            QVERIFY2(Enabled(id), qPrintable(QString::number(id)));
        for (int id : {ID_FILE_EXPORT, ID_FILE_PROPERTIES, ID_MATH_CHANNELS, ID_SCATTER_PLOT,
                       ID_UPGRADE_LOGFILES, ID_CLOSE_COMPARISON, ID_COMPARISON_SET_ZERO_TIME,
                       ID_NUDGE_LEFT, ID_NUDGE_RIGHT})
            QVERIFY2(!Enabled(id), qPrintable(QString::number(id)));
        QVERIFY(!Frame().Toolbar()->NudgeSpin()->isEnabled());
    }

    void cursorOnFillerFramesEnablesNoZeroTime() {
        // A comparison longer than the main log: frames beyond the main log's end have no time.
        CommandState s;
        s.zeroTimeCommands = s.comparisonCommands = true;
        s.frameCount = 100;
        s.comparisonLoaded = true;
        s.comparisonFrameCount = 300;
        s.currentPoint = 150;
        QVERIFY(!IsCommandEnabled(ID_SET_ZERO_TIME, s));
        QVERIFY(!IsCommandEnabled(ID_COMPARISON_SET_ZERO_TIME, s));
        s.cursorOnComparison = true;
        QVERIFY(IsCommandEnabled(ID_SET_ZERO_TIME, s));
        QVERIFY(IsCommandEnabled(ID_COMPARISON_SET_ZERO_TIME, s));
        s.currentPoint = 300;
        QVERIFY(!IsCommandEnabled(ID_COMPARISON_SET_ZERO_TIME, s));
    }

    void answeringNoChangesNothingAndYesActs() {
        QVERIFY(Start(WriteLog(QStringLiteral("confirm.dl"), 400), {}));
        SetCursor(150);
        const DataLogHeader header = Doc().Main().header;
        const float t150 = Doc().Main().values[0][150];
        struct Case {
            int id;
            const char* caption;
            const char* text;
        };
        const Case cases[] = {
            {ID_SET_ZERO_TIME, "Set Zero Time",
             "Would you like to use the current point as the zero time for this logfile?"},
            {ID_SET_START_POINT, "Set Start Point",
             "Would you like to use the current point as the start point for this logfile?"},
            {ID_SET_END_POINT, "Set End Point",
             "Would you like to use the current point as the end point for this logfile?"},
        };
        m_prompt.SetAnswer(PromptAnswer::No);
        for (const Case& c : cases) {
            const int asked = m_prompt.questions;
            QVERIFY(Frame().ExecuteCommand(c.id));
            QCOMPARE(m_prompt.questions, asked + 1);
            QCOMPARE(QString::fromStdString(m_prompt.lastCaption), QString::fromLatin1(c.caption));
            QCOMPARE(QString::fromStdString(m_prompt.lastText), QString::fromLatin1(c.text));
            QCOMPARE(Doc().GetFrameCount(), 400);
            QVERIFY(Doc().Main().header == header);
            QCOMPARE(Doc().Main().values[0][150], t150);
            QVERIFY(!Doc().IsModified());
        }

        m_prompt.SetAnswer(PromptAnswer::Yes);
        QVERIFY(Frame().ExecuteCommand(ID_SET_ZERO_TIME));
        QCOMPARE(Doc().Main().values[0][150], 0.0f);
        QVERIFY(Doc().IsModified());
        QCOMPARE(Doc().GetCursorFrame(), 150);

        QVERIFY(Frame().ExecuteCommand(ID_SET_END_POINT));
        QCOMPARE(Doc().GetFrameCount(), 151);
        QCOMPARE(Doc().GetCursorFrame(), -1);
        QCOMPARE(Frame().DataLogStatusBar()->Pane(1)->text(),
                 QStringLiteral("Zoom: 0 to 150 [151]"));

        SetCursor(50);
        QVERIFY(Frame().ExecuteCommand(ID_SET_START_POINT));
        QCOMPARE(Doc().GetFrameCount(), 101);
        QCOMPARE(Doc().Main().values[0][0], 0.0f);
    }

    void compareFlowExpandsLoadsNudgesAndCloses() {
        QVERIFY(Start(WriteLog(QStringLiteral("main.dl"), 300), {}));
        const QString dlz = WriteLog(QStringLiteral("RUN.DLZ"), 500, 7);
        Frame().chooseCompareFile = [&](const QString& caption, const QString&, const QString&) {
            return caption == QLatin1String("Choose Data Log to Compare") ? dlz : QString();
        };
        QVERIFY(Frame().ExecuteCommand(ID_COMPARE_DATALOG));
        QVERIFY(Doc().IsComparisonLoaded());
        QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("run.dl"))));
        QCOMPARE(Doc().Comparison().frameCount, 500);
        QCOMPARE(Doc().GetFrameCount(), 300);

        SetCursor(100);
        QVERIFY(!Enabled(ID_SET_START_POINT));
        QVERIFY(!Enabled(ID_SET_END_POINT));
        QVERIFY(Enabled(ID_SET_ZERO_TIME));
        QVERIFY(Enabled(ID_CLOSE_COMPARISON));
        QVERIFY(Enabled(ID_COMPARISON_SET_ZERO_TIME));
        QVERIFY(Frame().Toolbar()->NudgeSpin()->isEnabled());

        // One click is 0.1 s; the two arrows move the comparison in opposite directions.
        const float t0 = Doc().Comparison().values[0][0];
        QTest::mouseClick(Frame().Toolbar()->NudgeSpin()->RightButton(), Qt::LeftButton);
        QCOMPARE(Doc().Comparison().values[0][0], float(t0 + 0.1f));
        QVERIFY(Doc().IsComparisonEdited());
        QTest::mouseClick(Frame().Toolbar()->NudgeSpin()->LeftButton(), Qt::LeftButton);
        QTest::mouseClick(Frame().Toolbar()->NudgeSpin()->LeftButton(), Qt::LeftButton);
        QVERIFY(qAbs(Doc().Comparison().values[0][0] - (t0 - 0.1f)) < 1e-4f);
        // The menu's nudges go the same ways.
        QVERIFY(Frame().ExecuteCommand(ID_NUDGE_RIGHT));
        QVERIFY(Frame().ExecuteCommand(ID_NUDGE_RIGHT));
        QVERIFY(qAbs(Doc().Comparison().values[0][0] - (t0 + 0.1f)) < 1e-4f);
        QVERIFY(Frame().ExecuteCommand(ID_NUDGE_LEFT));
        QVERIFY(qAbs(Doc().Comparison().values[0][0] - t0) < 1e-4f);
        // Filler frames past the main log's end stay no-value markers.
        QCOMPARE(Doc().Main().values[0][400], -999999.0f);

        m_prompt.SetAnswer(PromptAnswer::No);
        const int asked = m_prompt.questions;
        QVERIFY(Frame().ExecuteCommand(ID_CLOSE_COMPARISON));
        QCOMPARE(m_prompt.questions, asked + 1);
        QCOMPARE(QString::fromStdString(m_prompt.lastCaption),
                 QStringLiteral("Comparison Logfile Edited"));
        QVERIFY(!Doc().IsComparisonLoaded());
        QVERIFY(!Enabled(ID_CLOSE_COMPARISON));
        QVERIFY(!Frame().Toolbar()->NudgeSpin()->isEnabled());
    }

    void compareWithBrokenOrMissingFileReportsAndLoadsNothing() {
        QVERIFY(Start(WriteLog(QStringLiteral("main.dl"), 100), {}));
        const QString broken = m_dir->filePath(QStringLiteral("empty.dlz"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString missing = m_dir->filePath(QStringLiteral("missing.dl"));
        for (const QString& path : {broken, missing}) {
            const int messages = m_prompt.messages;
            Frame().chooseCompareFile = [&](const QString&, const QString&, const QString&) {
                return path;
            };
            QVERIFY(Frame().ExecuteCommand(ID_COMPARE_DATALOG));
            QCOMPARE(m_prompt.messages, messages + 1);
            QVERIFY(!Doc().IsComparisonLoaded());
        }
        QCOMPARE(QString::fromStdString(m_prompt.lastText),
                 QStringLiteral("There was an error opening the file"));
        QCOMPARE(Doc().GetFrameCount(), 100);
    }

    void toolbarHoldsTwentyTwoButtonsAndTheSpin() {
        QVERIFY(Start(WriteLog(QStringLiteral("bar.dl"), 50), {}));
        const QList<QAction*> buttons = Frame().Toolbar()->ButtonActions();
        QCOMPARE(buttons.size(), 22);
        int k = 0;
        for (int id : CDataLogToolbar::kItems) {
            if (id == 0 || id == ID_NUDGE_SPIN) continue;
            QCOMPARE(buttons[k]->data().toInt(), id);
            const QPixmap image = buttons[k]->icon().pixmap(QSize(32, 30));
            QCOMPARE(image.size(), QSize(32, 30));
            QVERIFY(!image.toImage().isNull());
            ++k;
        }
        const QList<QAction*> items = Frame().Toolbar()->actions();
        QCOMPARE(items.size(), 27);
        QCOMPARE(items.last(), Frame().Toolbar()->NudgeSlot());
        QVERIFY(Frame().Toolbar()->NudgeSlot()->icon().isNull());
        // The buttons share the menu's actions, and so its enable rules.
        QCOMPARE(buttons[0], Frame().Action(ID_DATALOG_OPEN));

        // Only Save and Save As show a tooltip: the others first, before any tip exists.
        auto tipOf = [&](QAction* action) {
            QWidget* button = Frame().Toolbar()->widgetForAction(action);
            QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(button, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        for (QAction* action : buttons) {
            const int id = action->data().toInt();
            if (id != ID_FILE_SAVE && id != ID_FILE_SAVE_AS) QCOMPARE(tipOf(action), QString());
        }
        QCOMPARE(tipOf(Frame().Action(ID_FILE_SAVE)), QStringLiteral("Save"));
        QCOMPARE(tipOf(Frame().Action(ID_FILE_SAVE_AS)), QStringLiteral("Save As"));
        QToolTip::hideText();
    }

    void statusBarDescribesTheLog() {
        QVERIFY(Start(WriteLog(QStringLiteral("status.dl"), 1000), {}));
        Frame().UpdateCommandUI();
        CDataLogStatusBar* bar = Frame().DataLogStatusBar();
        QCOMPARE(bar->Pane(0)->text(), QStringLiteral("Ready"));
        QCOMPARE(bar->Pane(1)->text(), QStringLiteral("Zoom: 0 to 999 [1000]"));
        QCOMPARE(bar->Pane(2)->text(), QString::fromStdString(Doc().StartTimeText()));
        const DataLogHeader& h = Doc().Main().header;
        QCOMPARE(bar->Pane(3)->text(), CDataLogStatusBar::DateText(h.Get(DataLogHeader::logDate)));
        QCOMPARE(bar->Pane(4)->text(),
                 CDataLogStatusBar::FirmwareText(h.Get(DataLogHeader::firmwareVersion)));
        QCOMPARE(CDataLogStatusBar::FirmwareText(0x587), QStringLiteral("Firmware:00000587"));
        QCOMPARE(CDataLogStatusBar::DateText(0xABCDEF), QStringLiteral("Date: 00ABCDEF"));

        // A long configuration-file name is cut on screen and shown whole in the tooltip.
        const std::string longName(200, 'g');
        Doc().Main().header.Set(DataLogHeader::globalFile, longName);
        Frame().UpdateCommandUI();
        QCOMPARE(bar->Pane(5)->toolTip(), QString::fromStdString(longName));
        QCOMPARE(bar->Pane(5)->text(), QString::fromStdString(longName));
        QVERIFY(bar->Pane(5)->fontMetrics().horizontalAdvance(bar->Pane(5)->text()) >
                bar->Pane(5)->width());

        // Header texts are Windows-1252 bytes.
        Doc().Main().header.Set(DataLogHeader::globalFile, "C:\\Tunes\\caf\xE9 \x80\xB0.gbl");
        Frame().UpdateCommandUI();
        QCOMPARE(bar->Pane(5)->text(), QString::fromUtf8("C:\\Tunes\\caf\u00e9 \u20ac\u00b0.gbl"));
    }

    void droppedLogIsOpened() {
        QVERIFY(Start(WriteLog(QStringLiteral("first.dl"), 100), {}));
        const QString second = WriteLog(QStringLiteral("second.dl"), 250, 3);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(second)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&Frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Frame(), &drop);
        QTRY_COMPARE(Doc().GetFrameCount(), 250);

        QMimeData other;
        other.setUrls({QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("notes.txt")))});
        QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &other, Qt::LeftButton,
                                Qt::NoModifier);
        QCoreApplication::sendEvent(&Frame(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    void saveAsWritesAPlainLogAndCancelKeepsTheModifiedOne() {
        QVERIFY(Start(WriteLog(QStringLiteral("orig.dl"), 120), {}));
        const QString target = m_dir->filePath(QStringLiteral("copy.dlz"));
        Frame().chooseSaveFile = [&](const QString&, const QString&, const QString&) {
            return target;
        };
        QVERIFY(Frame().SaveAs());
        QVERIFY(!QFileInfo::exists(target));
        const QString written = m_dir->filePath(QStringLiteral("copy.dl"));
        QCOMPARE(QFileInfo(written).size(), QFileInfo(m_dir->filePath("orig.dl")).size());
        QCOMPARE(FromCorePath(Doc().GetPathName()), written);

        // Cancel at the save question: the modified log stays, nothing is opened.
        Doc().SetModifiedFlag(true);
        int asked = 0;
        Frame().askSaveChanges = [&](const QString& text) {
            ++asked;
            return text == QLatin1String("Save changes to copy.dl?") ? QMessageBox::Cancel
                                                                     : QMessageBox::No;
        };
        QVERIFY(!Frame().OpenDocumentFile(m_dir->filePath(QStringLiteral("orig.dl"))));
        QCOMPARE(asked, 1);
        QVERIFY(Doc().IsModified());
        QCOMPARE(FromCorePath(Doc().GetPathName()), written);
    }

    void updateStatsCoversTheVisibleWindowWithItsLastFrame() {
        QVERIFY(Start(WriteLog(QStringLiteral("stats.dl"), 800), {}));
        QVERIFY(Frame().ExecuteCommand(ID_UPDATE_STATS));
        QCOMPARE(Doc().Main().stats[0].count, 800u);
        QCOMPARE(Doc().Main().stats[0].endValue, Doc().Main().values[0][799]);
        QVERIFY(Frame().ExecuteCommand(ID_ZOOM_IN));
        const int first = Doc().GetZoomFirst();
        const int last = Doc().GetZoomLast();
        QVERIFY(last - first + 1 < 800);
        QVERIFY(Frame().ExecuteCommand(ID_UPDATE_STATS));
        QCOMPARE(Doc().Main().stats[0].count, uint32_t(last - first + 1));
        QCOMPARE(Doc().Main().stats[0].startValue, Doc().Main().values[0][size_t(first)]);
        QCOMPARE(Doc().Main().stats[0].endValue, Doc().Main().values[0][size_t(last)]);
    }

    void exitAsksToSaveAndWritesTheDisplaySetup() {
        QVERIFY(Start(WriteLog(QStringLiteral("exit.dl"), 60), {}));
        Doc().SetModifiedFlag(true);
        QMessageBox::StandardButton answer = QMessageBox::Cancel;
        int asked = 0;
        Frame().askSaveChanges = [&](const QString&) {
            ++asked;
            return answer;
        };
        QVERIFY(Frame().ExecuteCommand(ID_APP_EXIT));
        QCOMPARE(asked, 1);
        QVERIFY(Frame().isVisible());
        QVERIFY(Doc().HasLog());

        const QString graph = FromCorePath(m_app->Prefs().GetLastDataLogConfig());
        QFile::remove(graph);
        answer = QMessageBox::No;
        QVERIFY(Frame().ExecuteCommand(ID_APP_EXIT));
        QCOMPARE(asked, 2);
        QVERIFY(!Frame().isVisible());
        QCOMPARE(QFileInfo(graph).size(), 10218);
    }

    void failedSaveIsReportedAndKeepsTheWindowOpen() {
        const QString log = WriteLog(QStringLiteral("keep.dl"), 40);
        QVERIFY(Start(log, {}));
        // A folder that cannot exist: its parent is a file.
        const QString impossible = log + QStringLiteral("/inside.dl");
        Frame().chooseSaveFile = [&](const QString&, const QString&, const QString&) {
            return impossible;
        };
        int messages = m_prompt.messages;
        QVERIFY(!Frame().SaveAs());
        QCOMPARE(m_prompt.messages, messages + 1);
        QCOMPARE(FromCorePath(Doc().GetPathName()), log);

        Doc().SetPathName(ToCorePath(impossible));
        Doc().SetModifiedFlag(true);
        Frame().askSaveChanges = [](const QString&) { return QMessageBox::Yes; };
        messages = m_prompt.messages;
        QVERIFY(Frame().ExecuteCommand(ID_APP_EXIT));
        QCOMPARE(m_prompt.messages, messages + 1);
        QVERIFY(Frame().isVisible());
        QVERIFY(Doc().IsModified());
        QCOMPARE(Doc().GetFrameCount(), 40);
    }

    void newDocumentKeepsTheWindowUntitled() {
        QVERIFY(Start(WriteLog(QStringLiteral("named.dl"), 30), {}));
        Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Frame()));
        QTest::keyClick(&Frame(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(Frame().windowTitle(), QStringLiteral("Untitled - Brenmor Quillon Log Viewer"));
        QVERIFY(Doc().GetPathName().empty());
    }

    void splitMovesWithTheKeysAndEscapeRestoresIt() {
        QVERIFY(Start(WriteLog(QStringLiteral("split.dl"), 30), {}));
        Frame().resize(1000, 700);
        QCoreApplication::processEvents();
        const QList<int> before = Frame().Splitter()->sizes();
        QVERIFY(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
        QTest::keyClick(&Frame(), Qt::Key_Right);
        QTest::keyClick(&Frame(), Qt::Key_Right);
        QCOMPARE(Frame().Splitter()->sizes()[0], before[0] + 16);
        QTest::keyClick(&Frame(), Qt::Key_Escape);
        QCOMPARE(Frame().Splitter()->sizes(), before);
        QVERIFY(Frame().ExecuteCommand(ID_WINDOW_SPLIT));
        QTest::keyClick(&Frame(), Qt::Key_Left);
        QTest::keyClick(&Frame(), Qt::Key_Return);
        QTest::keyClick(&Frame(), Qt::Key_Left);  // no longer moving the split
        QCOMPARE(Frame().Splitter()->sizes()[0], before[0] - 8);
    }

    void recentFileListKeepsTheFourNewest() {
        QVERIFY(Start(WriteLog(QStringLiteral("r0.dl"), 20), {}));
        for (int i = 1; i <= 4; ++i)
            QVERIFY(Frame().OpenDocumentFile(WriteLog(QStringLiteral("r%1.dl").arg(i), 20)));
        QVERIFY(Frame().OpenDocumentFile(m_dir->filePath(QStringLiteral("r2.dl"))));
        CRecentFileList stored(m_dir->filePath(QStringLiteral("settings.ini")));
        const QStringList expected = {m_dir->filePath("r2.dl"), m_dir->filePath("r4.dl"),
                                      m_dir->filePath("r3.dl"), m_dir->filePath("r1.dl")};
        QCOMPARE(stored.Files(), expected);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"

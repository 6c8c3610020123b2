// File > Export (name, progress, Cancel, failures) and the logfile upgrader's list.

#include <fstream>

#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "gui/panes/CDataLogValues.h"
#include "gui/dialogs/CDlgDataLogFileUpgrader.h"
#include "gui/dialogs/CDlgProgress.h"
#include "gui/dialogs/DataLogExport.h"
#include "gui/dialogs/PictureExport.h"
#include "gui/chart/ChartPicture.h"
#include "samplegen/LegacyWriter.h"
#include "support/DocumentFixture.h"
#include "support/GuiFixtures.h"

using namespace quillon;
using test::DialogsOpenedBy;

namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

QStringList ListLines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

}  // namespace

class ExportUpgradeTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    QWidget* m_owner = nullptr;

    void Open(int frames, const char* name = "run.dl") {
        QVERIFY(m_doc->OnOpenDocument(WriteLog(name, frames)));
    }
    // Runs the export with `onShown` called once the progress window is up.
    bool Export(const std::function<void(CDlgProgress&)>& onShown) {
        QTimer::singleShot(0, m_owner, [this, onShown] {
            if (auto* progress = m_owner->findChild<CDlgProgress*>()) onShown(*progress);
        });
        return RunDataLogExport(*m_doc, m_prompt, m_owner);
    }

private slots:
    void init() {
        NewDocument();
        m_owner = new QWidget;
    }
    void cleanup() {
        delete m_owner;
        DeleteDocument();
    }

    void exportUpdatesTheProgressAtItsFrames() {
        m_prompt.SetAnswer(PromptAnswer::Yes);  // replace out.csv the second time
        for (const int frames : {300, 1000}) {
            // A new file each time: Windows cannot replace the open log.
            Open(frames, frames == 300 ? "run.dl" : "run-1000.dl");
            m_prompt.QueueFile(Path("out"));  // no extension typed: ".csv" is added
            QList<int> positions;
            QString total;
            QVERIFY(Export([&](CDlgProgress& progress) {
                total = progress.FrameLabel()->text();
                connect(&progress, &CDlgProgress::positionChanged,
                        [&](int pos) { positions << pos; });
            }));
            QCOMPARE(total, QString::number(frames));
            // Every frame up to 500 frames, else every frames / 500th, and the first.
            const int step = frames <= 500 ? 1 : frames / 500;
            QList<int> want = {1};
            for (int p = std::max(step, 2); p <= frames; p += step)
                want << p;
            QCOMPARE(positions, want);
            QCOMPARE(ReadAll(m_dir->filePath("out.csv")).count('\n'), frames + 2);
        }
        QCOMPARE(m_prompt.questions, 1);
        // The proposal is the log's name with ".csv", in the log's folder.
        QCOMPARE(m_prompt.asked.front().text, m_dir->path().toStdString() + "|run.csv");
    }

    void cancelLeavesTheOldFileAndNoTemporary() {
        Open(5000);
        std::ofstream(Path("out.csv"), std::ios::binary) << "old export\n";
        m_prompt.QueueFile(Path("out.csv"));
        int clicked = 0;
        QVERIFY(!Export([&](CDlgProgress& progress) {
            QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
            ++clicked;
        }));
        QCOMPARE(std::pair(clicked, m_prompt.messages), std::pair(1, 0));
        QCOMPARE(ReadAll(m_dir->filePath("out.csv")), QString("old export\n"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"out.csv", "run.dl"}));
    }

    void pictureExportAsksBeforeReplacingTheNameWithItsSuffix() {
        const QString shot = QString::fromStdString(Path("shot.png"));
        std::ofstream(Path("shot.png"), std::ios::binary) << "kept";
        m_prompt.QueueFile(Path("shot"));
        m_prompt.QueueAnswer(PromptAnswer::No);
        QVERIFY(
            !RunPictureExport(PictureSource{}, QSize(100, 100), 1.0, "", "", m_prompt, m_owner));
        QCOMPARE(m_prompt.asked.back().text,
                 std::string("shot.png already exists.\nDo you want to replace it?"));
        QCOMPARE(ReadAll(shot), QString("kept"));
    }

    void upgraderListsEveryLineNewestFirst() {
        // Long names: the selection is far beyond 260 characters.
        const QString folder = QString(200, 'f');
        QVERIFY(QDir(m_dir->path()).mkdir(folder));
        auto in = [&](const char* name) { return Path(folder + "/" + name); };
        const std::string bad = in("bad.dl"), v2 = in("run.dl"), v4 = in("new.dl");
        std::ofstream(bad, std::ios::binary) << std::string(20000, 'x');
        QVERIFY(WriteLegacyLog(v2, 2, SampleLogOptions{}));
        QVERIFY(WriteSampleLog(v4, SampleLogOptions{}));

        CDlgDataLogFileUpgrader dialog(m_prompt);
        bool buttonsOff = true;
        connect(&dialog, &CDlgDataLogFileUpgrader::converting, [&] {
            buttonsOff =
                buttonsOff && !dialog.SelectButton()->isEnabled() && !dialog.Buttons()->isEnabled();
        });
        m_prompt.QueueFiles({bad, v2, v4});
        QTest::mouseClick(dialog.SelectButton(), Qt::LeftButton);
        QVERIFY(buttonsOff && dialog.SelectButton()->isEnabled());
        QCOMPARE(m_prompt.asked.back().caption, std::string("Convert KORA Datalogs"));
        const auto converting = [](const std::string& p) {
            return "Converting " + QString::fromStdString(p);
        };
        QCOMPARE(ListLines(dialog.List()),
                 QStringList({"-VERSION:V4 - upgrade not required", converting(v4),
                              "-WRITE: conversion complete", "-WRITE: logfile writing",
                              "-READ: logfile read complete", "-VERSION:V2", converting(v2),
                              "-FAILED:Magic Number does not match", converting(bad)}));
        QVERIFY(QFile::exists(QString::fromStdString(in("run.V4.dl"))));
        QVERIFY(!QFile::exists(QString::fromStdString(in("new.V4.dl"))));

        // Cancel in the file dialog keeps the list; a second batch empties it first.
        QTest::mouseClick(dialog.SelectButton(), Qt::LeftButton);
        QCOMPARE(dialog.List()->count(), 9);
        m_prompt.QueueFiles({v4});
        QTest::mouseClick(dialog.SelectButton(), Qt::LeftButton);
        QCOMPARE(ListLines(dialog.List()),
                 QStringList({"-VERSION:V4 - upgrade not required", converting(v4)}));
    }

    void windowCommandsAndClicksOpenTheirDialogs() {
        SampleLogOptions o;
        QVERIFY(WriteSampleLog(Path("run.dl"), o));
        QVERIFY(WriteLegacyLog(Path("old.dl"), 2, o));
        m_prompt = ScriptedPrompt(PromptAnswer::Yes);
        const auto app = test::StartViewer(*m_dir, m_prompt, m_dir->filePath("run.dl"));
        QVERIFY(app);
        CDataLogFrame& frame = *app->MainFrame();
        // The chart's axes and the values pane's names open the axis dialogs.
        const QStringList opened = DialogsOpenedBy([&] {
            emit frame.ChartPane()->axisClicked(2);
            emit frame.ChartPane()->xAxisClicked();
            emit frame.ValuesPane()->axisSetupRequested(1);
            // Yes converts the old log in the upgrader, Yes again opens the converted one.
            QVERIFY(frame.OpenDocumentFile(m_dir->filePath("old.dl")));
        });
        QCOMPARE(
            opened,
            QStringList({"quillon::CDlgDataLogAxisSetup", "quillon::CDlgDataLogXAxisSetup",
                         "quillon::CDlgDataLogAxisSetup", "quillon::CDlgDataLogFileUpgrader"}));
        QVERIFY(QString::fromStdString(app->Doc().GetPathName()).endsWith("old.V4.dl"));
        QCOMPARE(m_prompt.lastCaption, std::string("Logfile Upgrader"));
        m_prompt.QueueFile(Path("out.csv"));
        QVERIFY(frame.ExecuteCommand(ID_FILE_EXPORT));
        QVERIFY(QFile::exists(m_dir->filePath("out.csv")));
    }
};

QTEST_MAIN(ExportUpgradeTest)
#include "ExportUpgradeTest.moc"

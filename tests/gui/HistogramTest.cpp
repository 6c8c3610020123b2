// The histogram window: Tools menu, grid, clipboard and CSV of a hand-made log, typed edges.

#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "gui/common/CChannelPicker.h"
#include "gui/dialogs/CDlgDataLogHistogram.h"
#include "support/DocumentFixture.h"
#include "support/FileBytes.h"
#include "support/GuiFixtures.h"
#include "support/PictureCheck.h"

using namespace quillon;

class HistogramTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    QPointer<CDlgDataLogHistogram> m_window;

    std::string WriteLog(const char* name, int frames, bool allFeatures = true) {
        return DocumentFixture::WriteLog(name, {.frames = frames, .allFeatures = allFeatures});
    }
    // A sample log of `frames` frames whose slots are changed by `edit` before it is written.
    std::string WriteEdited(const char* name, int frames,
                            const std::function<void(uint8_t*)>& edit) {
        std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = frames});
        edit(bytes.data() + kFramesOffset);
        return test::WriteBytes(Path(name), bytes);
    }
    CDlgDataLogHistogram* Open(const std::string& log) {
        if (!m_doc->OnOpenDocument(log)) return nullptr;
        return CDlgDataLogHistogram::OpenOrRaise(m_window, *m_doc, m_prompt);
    }

private slots:
    void init() {
        NewDocument();
        m_doc->destroyModelessWindows = [this] { CDlgDataLogHistogram::Destroy(m_window); };
    }
    void cleanup() {
        CDlgDataLogHistogram::Destroy(m_window);
        DeleteDocument();
    }

    void toolsMenuOpensOneWindowThatClosesWithTheLog() {
        ScriptedPrompt prompt;
        const auto app =
            test::StartViewer(*m_dir, prompt, QString::fromStdString(WriteLog("main.dl", 3000)));
        QVERIFY(app);
        CDataLogFrame& frame = *app->MainFrame();
        QVERIFY(frame.ExecuteCommand(ID_HISTOGRAM));
        CDlgDataLogHistogram* w = frame.Histogram();
        QVERIFY(w && w->isVisible());
        QVERIFY(frame.ExecuteCommand(ID_HISTOGRAM));
        QCOMPARE(frame.Histogram(), w);
        // AFR Average by RPM and MAP, every frame binned, in round steps over the log's range.
        QCOMPARE(std::tuple(w->XCombo()->currentData().toInt(), w->YCombo()->currentData().toInt(),
                            w->ZCombo()->currentData().toInt(), w->Table().TotalCount()),
                 std::tuple(2, 29, 9, 3000));

        QVERIFY(frame.OpenDocumentFile(QString::fromStdString(WriteLog("other.dl", 500))) &&
                !frame.Histogram());
    }

    void gridClipboardAndCsvShowTheTable() {
        // Six frames of RPM (channel 2), MAP (29) and AFR Average (9), binned by RPM at 0, 2000,
        // 4000 and 9000 and MAP at 0, 50 and 100: the AFR averages are 14 and 13 -> 13.5, 12.0;
        // 11.0, 13 and 10 -> 11.5.
        const float frames[6][3] = {{1000, 30, 14}, {1500, 30, 13}, {2500, 30, 12},
                                    {2500, 70, 11}, {5000, 70, 13}, {8000, 90, 10}};
        CDlgDataLogHistogram* w = Open(WriteEdited("grid.dl", 6, [&](uint8_t* at) {
            const int slotOf[3] = {1, 28, 8};
            for (int i = 0; i < 6; ++i)
                for (int k = 0; k < 3; ++k)
                    StoreF32(at + size_t(i) * kFrameSize + 8 * slotOf[k], frames[i][k]);
        }));
        QVERIFY(w);
        w->XEdges()->setText(QStringLiteral("0 2000 4000 9000"));
        emit w->XEdges()->editingFinished();
        w->YEdges()->setText(QStringLiteral("0 50 100"));
        emit w->YEdges()->editingFinished();

        const char* cells[2][3] = {{"13.5", "12.0", ""}, {"", "11.0", "11.5"}};
        const int counts[2][3] = {{2, 1, 0}, {0, 1, 2}};
        QCOMPARE(std::pair(w->Grid()->columnCount(), w->Grid()->rowCount()), std::pair(3, 2));
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c) {
                const QTableWidgetItem* item = w->Grid()->item(r, c);
                QCOMPARE(item->text(), QString::fromLatin1(cells[r][c]));
                QVERIFY(item->toolTip().startsWith(QString::number(counts[r][c]) + " frame"));
                QCOMPARE(w->Grid()->horizontalHeaderItem(c)->text(), QString::number(2000 * c));
                QCOMPARE(w->Grid()->verticalHeaderItem(r)->text(), QString::number(50 * r));
            }
        // Lines naming what was binned by what head the grid's own lines.
        w->CopyToClipboard();
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("Channel\tAFR Average\nFunction\tAverage\nX Axis\tRPM\n"
                                "Y Axis\tMAP\nFilter\t(none)\n"
                                "\t0\t2000\t4000\n0\t13.5\t12.0\t\n50\t\t11.0\t11.5\n"));
        const QString csv = m_dir->filePath("table.csv");
        m_prompt.QueueFile(csv.toStdString());
        w->FilterCheck()->setChecked(true);
        w->LowerField()->setValue(-1000);
        w->UpperField()->setValue(1000);
        w->OnExportCsv();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Channel,AFR Average\r\nFunction,Average\r\n"
                                            "X Axis,RPM\r\nY Axis,MAP\r\n"
                                            "Filter,TPS from -1000 to 1000\r\n"
                                            ",0,2000,4000\r\n0,13.5,12.0,\r\n50,,11.0,11.5\r\n"));
        w->FilterCheck()->setChecked(false);
        // A folder cannot be written over: the user is told and the failure is not hidden.
        QVERIFY(!w->ExportCsv(m_dir->path().toStdString()) && m_prompt.messages == 1);

        // Typed edges take From, To and Step out of play.
        const bool typed = w->XStep()->isEnabled();
        w->XEdges()->clear();
        QVERIFY(!typed && w->XStep()->isEnabled());
        // Edges that do not rise leave an empty grid and say why.
        w->XEdges()->setText(QStringLiteral("3000 1000"));
        emit w->XEdges()->editingFinished();
        QVERIFY(w->Grid()->columnCount() == 0 && w->Status()->text().contains("rising"));
    }

    void selectedFramesOnlyFollowsTheSelection() {
        CDlgDataLogHistogram* w = Open(WriteLog("selected.dl", 3000));
        QVERIFY(w);
        QVERIFY(!w->SelectedCheck()->isEnabled());
        // Frames 100 to 199 and 2500 to 2999, kept by their runs.
        std::vector<int> frames;
        for (int i = 0; i < 3000; ++i)
            if ((i >= 100 && i < 200) || i >= 2500) frames.push_back(i);
        m_doc->SetSelection(FrameSelection::OfFrames(frames), nullptr);
        QVERIFY(w->SelectedCheck()->isEnabled());
        QCOMPARE(w->Table().TotalCount(), 3000);  // not until ticked
        w->SelectedCheck()->setChecked(true);
        QCOMPARE(w->Status()->text(), QStringLiteral("600 of 600 selected frames binned"));
        QCOMPARE(w->Table().TotalCount(), 600);
        // A new selection bins again; a cleared one unticks the box and bins every frame.
        m_doc->SetSelection(FrameSelection::OfFrames({5, 6, 7}), nullptr);
        QCOMPARE(w->Table().TotalCount(), 3);
        m_doc->ClearSelection(nullptr);
        QVERIFY(!w->SelectedCheck()->isEnabled() && !w->SelectedCheck()->isChecked());
        QCOMPARE(w->Table().TotalCount(), 3000);
    }

    void pickersOfALogWithoutTheDefaults() {
        CDlgDataLogHistogram* w = Open(WriteLog("bare.dl", 300, false));
        QVERIFY(w);
        // No AFR sensor: the value falls back to the first channel rather than to nothing.
        QCOMPARE(std::pair(w->ZCombo()->currentIndex(), w->ZCombo()->Channel()), std::pair(0, 1));
        // "(none)" heads the Y list; picking it bins by X alone, one row named after the value.
        QCOMPARE(w->YCombo()->itemText(0), QStringLiteral("(none)"));
        w->YCombo()->setCurrentIndex(0);
        QCOMPARE(std::tuple(w->Table().Rows(), w->Table().TotalCount()), std::tuple(1, 300));
        QCOMPARE(w->Grid()->verticalHeaderItem(0)->text(), w->ZCombo()->currentText());
        QVERIFY(w->BarsWidget()->isVisibleTo(w));  // by X alone, drawn as bars too
        w->YCombo()->setCurrentIndex(1);
        QVERIFY(!w->BarsWidget()->isVisibleTo(w));
    }

    void stepOfATinyRangeShowsItsDecimals() {
        // RPM spread over 0.003 only: 16 round bins need a step of 0.0002, which three decimals
        // would show as 0 and refuse.
        CDlgDataLogHistogram* w = Open(WriteEdited("tiny.dl", 31, [](uint8_t* at) {
            for (int i = 0; i < 31; ++i)
                StoreF32(at + size_t(i) * kFrameSize + 8, 1.0f + 0.0001f * float(i));
        }));
        QVERIFY(w);
        w->YCombo()->setCurrentIndex(0);
        QCOMPARE(std::tuple(w->XStep()->value(), w->Table().TotalCount()), std::tuple(0.0002, 31));
        QVERIFY(w->Table().Columns() >= 15);
    }

    void exportPictureShowsTheWholeGrid() {
        CDlgDataLogHistogram* w = Open(WriteLog("picture.dl", 2000));
        QVERIFY(w);
        w->resize(300, 200);  // most of the grid scrolled away: the picture still holds it all
        QCOMPARE(test::PdfPagesSavedBy(w->PictureButton(), m_prompt,
                                       m_dir->filePath(QStringLiteral("table.pdf"))),
                 1);
        QUILLON_SKIP_WITHOUT_SVG();
        const QStringList texts = test::SvgTexts(
            ChartPicture::Encode(w->Picture(), PictureFormat::Svg, w->PictureNaturalSize()));
        QVERIFY(!texts.isEmpty() && texts[0].startsWith(QStringLiteral("Average of AFR")));
        QTableWidget* grid = w->Grid();
        QTableWidgetItem* corner = grid->item(grid->rowCount() - 1, grid->columnCount() - 1);
        for (QTableWidgetItem* item : {grid->horizontalHeaderItem(grid->columnCount() - 1),
                                       grid->verticalHeaderItem(grid->rowCount() - 1), corner})
            QVERIFY2(item->text().isEmpty() || texts.contains(item->text()),
                     qPrintable(item->text()));
        int values = 0;
        for (int r = 0; r < grid->rowCount(); ++r)
            for (int c = 0; c < grid->columnCount(); ++c)
                values += !grid->item(r, c)->text().isEmpty();
        QCOMPARE(int(texts.size()), 2 + grid->columnCount() + grid->rowCount() + values);
    }
};

QTEST_MAIN(HistogramTest)
#include "HistogramTest.moc"

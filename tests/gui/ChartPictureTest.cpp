// The chart exported as a picture: SVG and PDF keep curves as paths and text as text, PNG comes
// out at the chosen size and pixel ratio; on the offscreen platform with a generated log.

#include <map>
#include <memory>

#include <QClipboard>
#include <QDialog>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "gui/app/CBrenmorQuillonLogViewerApp.h"
#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "gui/common/TextConversion.h"
#include "gui/chart/CDataLogView.h"
#include "gui/chart/ChartPicture.h"
#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "samplegen/SampleLog.h"
#include "support/ScriptedPrompt.h"

using namespace quillon;

class ChartPictureTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CPrefs> m_prefs;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<CDataLogDoc> m_doc;
    std::unique_ptr<CDataLogView> m_view;

    /// Keeps a picture for a person to look at when QUILLON_KEEP_PICTURES names a folder.
    static void Keep(const QByteArray& bytes, const char* name) {
        const QString dir = qEnvironmentVariable("QUILLON_KEEP_PICTURES");
        if (dir.isEmpty()) return;
        QFile file(dir + QLatin1Char('/') + QLatin1String(name));
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }

    /// The viewer about to open the sample log (InitInstance is left to the test).
    std::unique_ptr<CBrenmorQuillonLogViewerApp> OpenViewer(ScriptedPrompt& prompt) {
        prompt.QueueFile(ToCorePath(m_dir->filePath(QStringLiteral("main.dl"))));
        return std::make_unique<CBrenmorQuillonLogViewerApp>(
            m_dir->filePath(QStringLiteral("Documents")),
            m_dir->filePath(QStringLiteral("settings.ini")), &prompt);
    }

private slots:
    void initTestCase() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_prefs = std::make_unique<CPrefs>(m_dir->path().toStdString());
        m_prompt = std::make_unique<ScriptedPrompt>(PromptAnswer::No);
        m_doc = std::make_unique<CDataLogDoc>(*m_prefs, *m_prompt);
        SampleLogOptions options;
        options.frames = 3000;
        const std::string path = m_dir->filePath(QStringLiteral("main.dl")).toStdString();
        QVERIFY(WriteSampleLog(path, options, nullptr));
        QVERIFY(m_doc->OnOpenDocument(path));
        // Three curves in two panels: entries 5 and 6 in panel 0, entry 3 in panel 1.
        std::vector<uint32_t> channels;
        for (int c = 2; c <= kChannelCount && channels.size() < 3; ++c)
            if (IsChannelAvailable(m_doc->Main(), c)) channels.push_back(uint32_t(c));
        QCOMPARE(channels.size(), size_t(3));
        GraphView& view = m_doc->Config().views[0];
        view.entries = {};
        view.entries[3] = {channels[0], 1, 1, {}, 1, 0};
        view.entries[5] = {channels[1], 1, 1, {}, 0, 0};
        view.entries[6] = {channels[2], 1, 1, {}, 0, 0};
        m_doc->SetCurrentView(0);
        m_view = std::make_unique<CDataLogView>(*m_doc, *m_prefs);
        m_view->resize(900, 560);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QVERIFY(m_view->HasChart());
    }

    void cleanupTestCase() {
        m_view.reset();
        m_doc.reset();
    }

    void formatFollowsTheExtension() {
        QCOMPARE(ChartPicture::FormatOf(QStringLiteral("/a/b.PNG")), PictureFormat::Png);
        QCOMPARE(ChartPicture::FormatOf(QStringLiteral("run.2.svg")), PictureFormat::Svg);
        QCOMPARE(ChartPicture::FormatOf(QStringLiteral("c.Pdf")), PictureFormat::Pdf);
        QVERIFY(!ChartPicture::FormatOf(QStringLiteral("pdf")));
        QVERIFY(!ChartPicture::FormatOf(QStringLiteral("run.png.txt")));
    }

    void svgHoldsOnePathPerCurveAndTheTexts() {
        const QByteArray svg = ChartPicture::Encode(*m_view, PictureFormat::Svg, QSize(800, 500));
        Keep(svg, "chart.svg");
        // Paths per stroke colour (the stroke sits on the enclosing group), and every text.
        std::map<QString, int> paths;
        QStringList texts;
        QStringList strokes{QString()};
        QXmlStreamReader xml(svg);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                const QString stroke = xml.attributes().value(QLatin1String("stroke")).toString();
                strokes.push_back(stroke.isEmpty() ? strokes.back() : stroke);
                if (xml.name() == QLatin1String("path")) ++paths[strokes.back()];
                if (xml.name() == QLatin1String("text")) {
                    texts += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    strokes.pop_back();
                }
            } else if (xml.isEndElement()) {
                strokes.pop_back();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(svg.contains("viewBox=\"0 0 800 500\""));
        int curves = 0;
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = m_view->Model().Item(k);
            if (!item.visible || item.main.Empty()) continue;
            ++curves;
            const QString colour = QColor::fromRgb(item.rgb).name();
            QVERIFY2(paths[colour] == 1, qPrintable(colour));
            QVERIFY2(texts.join(QLatin1Char('\n')).contains(QString::fromStdString(item.name)),
                     item.name.c_str());
        }
        QCOMPARE(curves, 3);
        // The time axis is labelled in text: the sample log runs 30 s, its ticks include 10.
        QVERIFY(texts.contains(QStringLiteral("10")) || texts.contains(QStringLiteral("10.0")));
        // The log's name and time range replace the zoom buttons, which cannot be clicked here.
        QVERIFY(texts.contains(QStringLiteral("main.dl")));
        const TimeWindow w = m_view->VisibleWindow();
        QVERIFY(texts.contains(
            QStringLiteral("%1 to %2 s").arg(w.minimum, 0, 'f', 3).arg(w.maximum, 0, 'f', 3)));
        for (const char* button : {"In", "Out", "All", "Last"})
            QVERIFY2(!texts.contains(QLatin1String(button)), button);
        QVERIFY(svg.contains("<title>main.dl, "));
    }

    void pdfIsOnePageWithText() {
        const QByteArray pdf = ChartPicture::Encode(*m_view, PictureFormat::Pdf, QSize(800, 500));
        Keep(pdf, "chart.pdf");
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                     pdf.count("/Type /Page/") + pdf.count("/Type /Page "),
                 qsizetype(1));
        QVERIFY(pdf.contains("/Font"));
    }

    void pngHasTheChosenSizeAndRatio() {
        const QByteArray png =
            ChartPicture::Encode(*m_view, PictureFormat::Png, QSize(640, 400), 2.0);
        Keep(png, "chart.png");
        const QImage image = QImage::fromData(png, "PNG");
        QCOMPARE(image.size(), QSize(1280, 800));
        // A curve colour is there, so the chart was drawn and not just its background.
        const QRgb green = qRgb(0, 128, 0);
        int hits = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                hits += image.pixel(x, y) == green;
        QVERIFY(hits > 300);
        // Sizes that cannot be drawn give nothing rather than a broken file.
        QVERIFY(ChartPicture::Encode(*m_view, PictureFormat::Png, QSize(0, 400)).isEmpty());
        QVERIFY(ChartPicture::Encode(*m_view, PictureFormat::Png, QSize(8000, 8000), 4).isEmpty());
    }

    void exportPictureCommandWritesTheFileTheUserNamed_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        // A name without an extension becomes a PNG; the others follow their extension.
        QTest::newRow("no extension") << "plain"
                                      << "plain.png" << QByteArray("\x89PNG");
        QTest::newRow("svg") << "chart.svg"
                             << "chart.svg" << QByteArray("<?xml");
        QTest::newRow("PDF") << "chart.PDF"
                             << "chart.PDF" << QByteArray("%PDF-");
    }

    void exportPictureCommandWritesTheFileTheUserNamed() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        ScriptedPrompt prompt(PromptAnswer::No);
        const auto app = OpenViewer(prompt);
        QVERIFY(app->InitInstance({}));
        prompt.QueueFile(ToCorePath(m_dir->filePath(chosen)));
        QTimer::singleShot(0, [] {  // accepts the picture size dialog
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->accept();
        });
        QVERIFY(app->MainFrame()->ExecuteCommand(ID_EXPORT_PICTURE));
        QFile file(m_dir->filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(magic));
    }

    void otherExtensionIsRefusedAndCopyGivesBothForms() {
        ScriptedPrompt prompt(PromptAnswer::No);
        const auto app = OpenViewer(prompt);
        QVERIFY(app->InitInstance({}));
        CDataLogFrame& frame = *app->MainFrame();
        // Another extension is refused with a message and writes nothing.
        const int messages = prompt.messages;
        prompt.QueueFile(ToCorePath(m_dir->filePath(QStringLiteral("chart.bmp"))));
        QVERIFY(frame.ExecuteCommand(ID_EXPORT_PICTURE));
        QCOMPARE(prompt.messages, messages + 1);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("chart.bmp"))));
        // Copy puts the bitmap and the drawing on the clipboard.
        QVERIFY(frame.ExecuteCommand(ID_COPY_PICTURE));
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied && copied->hasImage());
        QVERIFY(copied->data(QStringLiteral("image/svg+xml")).contains("<svg"));
        QVERIFY(frame.statusBar()->currentMessage().contains(QLatin1String("copied")));
    }
};

QTEST_MAIN(ChartPictureTest)
#include "ChartPictureTest.moc"

// The chart as a picture: SVG and PDF keep curves as paths and texts as text, PNG has its size.

#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "gui/common/TextConversion.h"
#include "gui/chart/ChartPicture.h"
#include "support/DocumentFixture.h"
#include "support/GuiFixtures.h"
#include "support/PictureCheck.h"

using namespace quillon;

class ChartPictureTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    std::unique_ptr<CDataLogView> m_view;

    /// Keeps a picture for a person to look at when QUILLON_KEEP_PICTURES names a folder.
    static void Keep(const QByteArray& bytes, const char* name) {
        const QString dir = qEnvironmentVariable("QUILLON_KEEP_PICTURES");
        if (dir.isEmpty()) return;
        QFile file(dir + QLatin1Char('/') + QLatin1String(name));
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }

private slots:
    void initTestCase() {
        NewDocument();
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 3000)));
        m_view = test::ShowThreeCurves(*m_doc, *m_prefs, QSize(900, 560));
        QVERIFY(m_view && m_view->HasChart());
    }

    void cleanupTestCase() {
        m_view.reset();
        DeleteDocument();
    }

    void svgHoldsOnePathPerCurveAndTheTexts() {
        QUILLON_SKIP_WITHOUT_SVG();
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

    void pngHasTheChosenSizeAndRatio() {
        const QByteArray png =
            ChartPicture::Encode(*m_view, PictureFormat::Png, QSize(640, 400), 2.0);
        Keep(png, "chart.png");
        const QImage image = QImage::fromData(png, "PNG");
        QCOMPARE(image.size(), QSize(1280, 800));
        // Sizes that cannot be drawn give nothing rather than a broken file.
        QVERIFY(ChartPicture::Encode(*m_view, PictureFormat::Png, QSize(0, 400)).isEmpty());
        QVERIFY(ChartPicture::Encode(*m_view, PictureFormat::Png, QSize(8000, 8000), 4).isEmpty());
    }

    void exportWritesTheNamedFormatRefusesOthersAndCopyGivesBoth() {
        ScriptedPrompt prompt(PromptAnswer::No);
        const auto app = test::StartViewer(*m_dir, prompt, m_dir->filePath("main.dl"));
        QVERIFY(app);
        CDataLogFrame& frame = *app->MainFrame();
        // A name without an extension becomes a PNG; the others follow their extension.
        const std::tuple<const char*, const char*, QByteArray> cases[] = {
            {"plain", "plain.png", "\x89PNG"},
            {"chart.svg", "chart.svg", "<?xml"},
            {"chart.PDF", "chart.PDF", "%PDF-"}};
        for (const auto& [chosen, written, magic] : cases) {
            if (magic == "<?xml" && !ChartPicture::SvgAvailable()) continue;
            prompt.QueueFile(ToCorePath(m_dir->filePath(chosen)));
            QTimer::singleShot(0, [] {  // accepts the picture size dialog
                if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    d->accept();
            });
            QVERIFY(frame.ExecuteCommand(ID_EXPORT_PICTURE));
            QFile file(m_dir->filePath(written));
            QVERIFY2(file.open(QIODevice::ReadOnly) && file.readAll().startsWith(magic), written);
        }
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
        QVERIFY(!ChartPicture::SvgAvailable() ||
                copied->data(QStringLiteral("image/svg+xml")).contains("<svg"));
        QVERIFY(frame.statusBar()->currentMessage().contains(QLatin1String("copied")));
    }
};

QTEST_MAIN(ChartPictureTest)
#include "ChartPictureTest.moc"

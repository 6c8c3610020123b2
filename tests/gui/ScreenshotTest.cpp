// The viewer's --screenshot mode as its own process: the picture, and failures without one.

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "gui/app/CBrenmorQuillonLogViewerApp.h"
#include "gui/common/PngEncoding.h"
#include "gui/common/TextConversion.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

class ScreenshotTest : public QObject {
    Q_OBJECT

private:
    struct Run {
        int exitCode = -1;
        QString errors;
    };

    /// Runs the viewer, through the shell after `shellPrefix` when one is given (a ulimit).
    Run RunViewer(const QStringList& arguments, const QString& shellPrefix = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display and no chosen platform: the viewer must go offscreen by itself.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        if (shellPrefix.isEmpty())
            process.start(QStringLiteral(QUILLON_VIEWER_PATH), arguments);
        else
            process.start(QStringLiteral("/bin/sh"),
                          QStringList{QStringLiteral("-c"),
                                      shellPrefix + QStringLiteral(" exec \"$0\" \"$@\""),
                                      QStringLiteral(QUILLON_VIEWER_PATH)} +
                              arguments);
        Run run;
        if (!process.waitForFinished(120000)) return run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QString WriteLog(const QString& name, int frames) {
        const QString path = m_dir.filePath(name);
        return WriteSampleLog(ToCorePath(path), {.frames = frames}) ? path : QString();
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
#ifndef QUILLON_VIEWER_PATH
        QSKIP("the viewer is not built");
#endif
        QVERIFY(m_dir.isValid());
    }

    void screenshotShowsCurves() {
        const QString log = WriteLog("shot.dl", 3000);
        const QString png = m_dir.filePath("shot.png");
        const Run run =
            RunViewer({"--screenshot", png, "--size", "1200x800", "--cursor", "1500", log});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QImage image(png);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(1200, 800));

        // In the plot area at the right edge curves of several strong colours cross the grey
        // background, not only grid or text.
        QHash<int, int> hues;
        for (int y = 160; y < 680; ++y)
            for (int x = 960; x < 1160; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.hsvSaturation() >= 120 && c.value() >= 60) ++hues[c.hsvHue() / 30];
            }
        int curves = 0;
        for (auto it = hues.cbegin(); it != hues.cend(); ++it)
            curves += it.value() >= 50;
        QVERIFY2(curves >= 3, qPrintable(QString::number(curves)));
    }

    void badRequestsFailWithoutAPicture() {
        const QString log = WriteLog("small.dl", 100);
        const QString png = m_dir.filePath("bad.png");
        const QString missing = m_dir.filePath("missing.dl");
        const QString garbage = m_dir.filePath("garbage.dl");
        QFile file(garbage);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, '\x11'));
        file.close();
        const QList<QStringList> requests = {
            {"--screenshot", png, missing},
            {"--screenshot", png, garbage},
            {"--screenshot", png, "--cursor", "100", log},
            {"--screenshot", png, "--size", "12x", log},
            {"--screenshot", png},
        };
        for (const QStringList& arguments : requests) {
            const Run run = RunViewer(arguments);
            QVERIFY2(run.exitCode > 0, qPrintable(arguments.join(' ')));
            QVERIFY2(!run.errors.isEmpty(), qPrintable(arguments.join(' ')));
            QVERIFY(!QFileInfo::exists(png));
        }
    }

    void aFullDiskOrAFifoLeavesNoPartialPicture() {
#ifdef _WIN32
        QSKIP("a shell's file size limit and a FIFO are POSIX only");
#else
        const QString log = WriteLog("full.dl", 500);
        const QString png = m_dir.filePath("full.png");
        QFile old(png);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old picture");
        old.close();
        // A file size limit stands in for a full disk: writes beyond 8 KB fail.
        Run run = RunViewer({"--screenshot", png, log}, "trap '' XFSZ; ulimit -f 8;");
        QVERIFY2(run.exitCode > 0, qPrintable(run.errors));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old picture"));
        old.close();
        const QStringList left =
            QDir(m_dir.path()).entryList({"*full*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, (QStringList{"full.dl", "full.png"}));
        // A FIFO given as the log is refused at once instead of hanging the start-up.
        const QString fifo = m_dir.filePath("pipe.dl");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        run = RunViewer({"--screenshot", m_dir.filePath("p.png"), fifo});
        QVERIFY2(run.exitCode > 0, qPrintable(run.errors));
        QVERIFY2(run.errors.contains("FIFO"), qPrintable(run.errors));
#endif
    }

    void showPicturesOneDialogAloneOverALogAndItsComparison() {
        const QString log = WriteLog("main.dl", 400);
        const QString other = WriteLog("other.dl", 600);
        const QString png = m_dir.filePath("about.png");
        Run run = RunViewer({"--screenshot", png, "--compare", other, "--show", "about", log});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        const QImage image(png);
        // The box alone: far smaller than the 1280 x 800 window behind it.
        QVERIFY(!image.isNull() && image.width() < 800 && image.height() < 500);
        QVERIFY(QFile::remove(png));

        run = RunViewer({"--screenshot", png, "--show", "nosuch:3", log});
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.errors.contains(QLatin1String("nosuch")) &&
                     run.errors.contains(QLatin1String("main")) &&
                     run.errors.contains(QLatin1String("about")),
                 qPrintable(run.errors));
        QVERIFY(!QFileInfo::exists(png));
        // Cursor B stands on a frame of the log or the picture fails.
        run = RunViewer({"--screenshot", png, "--show", "cursor-b:400", log});
        QVERIFY(run.exitCode > 0 && run.errors.contains(QLatin1String("below 400")));
        // A comparison that cannot be loaded fails the picture.
        run = RunViewer({"--screenshot", png, "--compare", m_dir.filePath("none.dl"), log});
        QVERIFY(run.exitCode > 0 && !QFileInfo::exists(png));
    }

    void quickPngEncodingKeepsEveryPixel() {
        // Opaque pictures become RGB, others RGBA; both must decode to the same pixels.
        for (const bool alpha : {false, true}) {
            QImage image(37, 11, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(
                        x, y,
                        qRgba(x * 7, 255 - y * 20, (x * y) & 0xFF, alpha ? (x * 13) & 0xFF : 255));
            QImage decoded;
            QVERIFY(decoded.loadFromData(EncodePngFast(image), "PNG"));
            QCOMPARE(decoded.hasAlphaChannel(), alpha);
            QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32),
                     image.convertToFormat(QImage::Format_ARGB32));
        }
        QVERIFY(EncodePngFast(QImage()).isEmpty());
    }

    void argumentsOutsideAPictureAreRefused() {
        QString error;
        const auto options = CBrenmorQuillonLogViewerApp::ParseArguments({"x.dlz"}, &error);
        QVERIFY(options && !options->Screenshot() && options->file == QString("x.dlz"));
        QVERIFY(!CBrenmorQuillonLogViewerApp::ParseArguments({"a.dl", "b.dl"}, &error));
        QVERIFY(!CBrenmorQuillonLogViewerApp::ParseArguments({"--cursor", "3", "a.dl"}, &error));
        QVERIFY(!CBrenmorQuillonLogViewerApp::ParseArguments({"--bogus"}, &error));
        // An empty picture path is refused rather than opening the window for good.
        QVERIFY(!CBrenmorQuillonLogViewerApp::ParseArguments({"--screenshot", QString(), "a.dl"},
                                                             &error));
        QCOMPARE(error, QString("--screenshot needs a PNG path"));
        // --show and --compare only make sense for a picture.
        QVERIFY(!CBrenmorQuillonLogViewerApp::ParseArguments({"--show", "main", "a.dl"}, &error));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"

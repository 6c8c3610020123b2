#include "gui/app/CBrenmorQuillonLogViewerApp.h"

#include <cstdio>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QScreen>

#include "gui/app/CDataLogFrame.h"
#include "gui/common/PngEncoding.h"
#include "gui/common/CMessageBoxPrompt.h"
#include "gui/chart/CDataLogView.h"
#include "gui/app/CRecentFileList.h"
#include "gui/app/ScreenshotTargets.h"
#include "gui/common/TextConversion.h"
#include "platform/FileSystem.h"
#include "settings/CPrefs.h"
#include "platform/AtomicFile.h"
#include "document/CDataLogDoc.h"
#include "texts/FailureText.h"
#include "texts/UserTexts.h"

namespace quillon {

namespace {

// Fills the screen first: a display without a window manager ignores the maximised state.
void ShowMaximized(QWidget& window) {
    if (QScreen* screen = window.screen()) window.setGeometry(screen->availableGeometry());
    window.showMaximized();
}

void PrintError(const QString& text) {
    std::fprintf(stderr, "quillon-viewer: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

CBrenmorQuillonLogViewerApp::CBrenmorQuillonLogViewerApp(QString documentsFolder,
                                                         QString settingsFile, IPrompt* prompt)
    : m_documentsFolder(std::move(documentsFolder)),
      m_settingsFile(std::move(settingsFile)),
      m_externalPrompt(prompt) {}

CBrenmorQuillonLogViewerApp::~CBrenmorQuillonLogViewerApp() {
    // The views leave the document's observer list as the window goes, so the window goes
    // first; the preferences write their flag last.
    m_frame.reset();
    m_doc.reset();
}

IPrompt& CBrenmorQuillonLogViewerApp::Prompt() {
    return *m_prompt;
}

QString CBrenmorQuillonLogViewerApp::Usage() {
    return QStringLiteral(
        "usage: quillon-viewer [LOG]\n"
        "       quillon-viewer --version\n"
        "       quillon-viewer --screenshot OUT.png [--size WxH] [--cursor FRAME] "
        "[--compare LOG2] [--show NAME[:ARG]] LOG");
}

std::optional<LaunchOptions> CBrenmorQuillonLogViewerApp::ParseArguments(
    const QStringList& arguments, QString* error) {
    LaunchOptions options;
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == QLatin1String("--screenshot")) {
            if (!hasValue || arguments[i + 1].isEmpty())
                return fail(QStringLiteral("--screenshot needs a PNG path"));
            options.screenshotPath = arguments[++i];
        } else if (arg == QLatin1String("--size")) {
            if (!hasValue) return fail(QStringLiteral("--size needs WxH"));
            const QStringList parts = arguments[++i].toLower().split(QLatin1Char('x'));
            bool okW = false;
            bool okH = false;
            const int w = parts.size() == 2 ? parts[0].toInt(&okW) : 0;
            const int h = parts.size() == 2 ? parts[1].toInt(&okH) : 0;
            if (!okW || !okH || w < 200 || h < 150 || w > 8192 || h > 8192)
                return fail(QStringLiteral("--size wants WxH between 200x150 and 8192x8192, got "
                                           "\"%1\"")
                                .arg(arguments[i]));
            options.size = QSize(w, h);
        } else if (arg == QLatin1String("--cursor")) {
            bool ok = false;
            const int frame = hasValue ? arguments[++i].toInt(&ok) : -1;
            if (!ok || frame < 0) return fail(QStringLiteral("--cursor wants a frame number >= 0"));
            options.cursorFrame = frame;
        } else if (arg == QLatin1String("--compare")) {
            if (!hasValue) return fail(QStringLiteral("--compare needs a LOG2 path"));
            options.compareFile = arguments[++i];
        } else if (arg == QLatin1String("--show")) {
            if (!hasValue) return fail(QStringLiteral("--show needs NAME[:ARG]"));
            const QString& value = arguments[++i];
            const qsizetype colon = value.indexOf(QLatin1Char(':'));
            options.show = colon < 0 ? value : value.left(colon);
            options.showArg = colon < 0 ? QString() : value.mid(colon + 1);
            if (!FindScreenshotTarget(options.show))
                return fail(QStringLiteral("--show: unknown name \"%1\"; the names are:\n%2")
                                .arg(options.show, ScreenshotTargetList().join(QLatin1Char('\n'))));
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            return fail(Usage());
        } else if (arg.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        } else if (options.file.isEmpty()) {
            options.file = arg;
        } else {
            return fail(QStringLiteral("only one log can be opened"));
        }
    }
    if (options.Screenshot() && options.file.isEmpty())
        return fail(QStringLiteral("--screenshot needs a LOG to open"));
    if (!options.Screenshot() &&
        (options.cursorFrame >= 0 || !options.compareFile.isEmpty() || !options.show.isEmpty()))
        return fail(QStringLiteral("--cursor, --compare and --show are used with --screenshot"));
    return options;
}

void CBrenmorQuillonLogViewerApp::CreateDocumentAndFrame() {
    QString documents = m_documentsFolder;
    // The command-line tool's lookup, so that both find the same preferences.
    if (documents.isEmpty()) documents = FromCorePath(fs::DocumentsFolder());
    m_prefs = std::make_unique<CPrefs>(ToCorePath(documents));
    // The document and the window ask through one prompt, which closes the progress window
    // before each question.
    m_prompt = std::make_unique<CMessageBoxPrompt>(m_externalPrompt);
    m_recentFiles = std::make_unique<CRecentFileList>(m_settingsFile);
    m_doc = std::make_unique<CDataLogDoc>(*m_prefs, *m_prompt);
    m_frame = std::make_unique<CDataLogFrame>(*m_doc, *m_prefs, *m_recentFiles, *m_prompt);
    m_prompt->SetProgressWindow(&m_frame->Progress());
    m_prompt->SetOwner(m_frame.get());
}

bool CBrenmorQuillonLogViewerApp::InitInstance(const LaunchOptions& options) {
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    CreateDocumentAndFrame();
    // A log named on the command line is opened first, in the window already shown, so that a
    // long load shows its progress; its failure ends start-up.
    // The window comes back as the user left it; the first run fills the screen.
    const bool restored = m_frame->RestoreWindowState();
    auto showWindow = [&] {
        if (restored)
            m_frame->show();
        else
            ShowMaximized(*m_frame);
    };
    if (!options.file.isEmpty()) {
        showWindow();
        if (!m_frame->OpenDocumentFile(options.file)) {
            m_frame->hide();
            return false;
        }
    }
    // Without a log named on the command line (the desktop's file association names one) the
    // open prompt follows, unless the user turned it off; cancelling it ends the program.
    if (options.file.isEmpty() && m_prefs->GetOpenPromptAtStart()) {
        m_frame->PromptAndOpen();
        if (!m_frame->HasOpenedLog()) return false;
    }
    if (!m_frame->isVisible()) showWindow();
    // The arrow keys move the cursor from the start.
    m_frame->ChartPane()->setFocus(Qt::OtherFocusReason);
    return true;
}

bool CBrenmorQuillonLogViewerApp::RunScreenshot(const LaunchOptions& options) {
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    CreateDocumentAndFrame();
    m_prompt->SetQuiet(true);
    // A picture taken for someone else leaves the user's recent files alone.
    m_recentFiles->SetEnabled(false);
    if (!QFileInfo::exists(options.file)) {
        PrintError(QStringLiteral("%1: no such file").arg(options.file));
        return false;
    }
    if (!m_frame->OpenDocumentFile(options.file)) {
        PrintError(QStringLiteral("%1: the log could not be opened").arg(options.file));
        return false;
    }
    const bool timing = qEnvironmentVariableIsSet("QUILLON_TIMING");
    if (timing)
        std::fprintf(stderr, "log opened at %lld ms\n",
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    if (!options.compareFile.isEmpty()) {
        if (!QFileInfo::exists(options.compareFile)) {
            PrintError(QStringLiteral("%1: no such file").arg(options.compareFile));
            return false;
        }
        if (!m_frame->LoadComparison(ToCorePath(options.compareFile))) {
            PrintError(
                QStringLiteral("%1: the comparison could not be loaded").arg(options.compareFile));
            return false;
        }
    }
    if (options.cursorFrame >= 0) {
        if (options.cursorFrame >= m_doc->GetFrameCount()) {
            PrintError(QStringLiteral("--cursor %1 lies beyond the log's %2 frames")
                           .arg(options.cursorFrame)
                           .arg(m_doc->GetFrameCount()));
            return false;
        }
        m_doc->SetCursor(options.cursorFrame, 0, false);
        // The chart takes the document's cursor when it is built; the values follow it too.
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
    }
    m_frame->resize(options.size);
    m_frame->show();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    m_frame->UpdateCommandUI();
    // QUILLON_TIMING=1 prints when the log was read and when the window first showed it
    // (milliseconds since the epoch), for the benchmarks: the picture itself waits for the
    // figures still being read.
    if (timing) {
        m_frame->grab();
        std::fprintf(stderr, "first picture at %lld ms\n",
                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    }
    while (m_doc->DeviationsComing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QWidget* pictured = m_frame.get();
    std::unique_ptr<QWidget> shown;
    if (!options.show.isEmpty()) {
        const ScreenshotTarget* target = FindScreenshotTarget(options.show);
        QString error;
        pictured = target ? target->create({*m_frame, *m_doc, *m_prefs, *m_prompt, options.showArg},
                                           &error)
                          : nullptr;
        if (!pictured) {
            PrintError(QStringLiteral("--show %1: %2").arg(options.show, error));
            return false;
        }
        if (pictured != m_frame.get()) shown.reset(pictured);
        pictured->show();
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    const QPixmap shot = pictured->grab();
    // Encoded in memory and written through the one writer, so that a full disk leaves no
    // partial picture.
    const QByteArray png = EncodePngFast(shot.toImage());
    std::string error;
    bool written = !png.isEmpty();
    if (written) {
        const Result saved =
            WriteFileAtomically(ToCorePath(options.screenshotPath),
                                std::string_view(png.constData(), size_t(png.size())));
        written = saved.ok();
        error = FailureText(saved);
    }
    if (!written) {
        PrintError(
            QStringLiteral("%1: the screenshot could not be written%2")
                .arg(QDir::toNativeSeparators(options.screenshotPath),
                     error.empty() ? QString() : QStringLiteral(" (%1)").arg(FromCoreText(error))));
        return false;
    }
    return true;
}

}  // namespace quillon

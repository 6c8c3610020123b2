// The viewer: opens a log in the main window, or renders one into a PNG with --screenshot.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "Version.h"
#include "gui/app/CBrenmorQuillonLogViewerApp.h"

int main(int argc, char** argv) {
    // Help and the version need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quillon-viewer %s\n", quillon::kProgramVersion);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s\n",
                        quillon::CBrenmorQuillonLogViewerApp::Usage().toLocal8Bit().constData());
            return 0;
        }
    }
    // A screenshot needs no display: lay the window out offscreen unless a platform was chosen.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0 && !std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication application(argc, argv);
    QString error;
    const auto options = quillon::CBrenmorQuillonLogViewerApp::ParseArguments(
        QApplication::arguments().mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    quillon::CBrenmorQuillonLogViewerApp app;
    if (options->Screenshot()) return app.RunScreenshot(*options) ? 0 : 1;
    if (!app.InitInstance(*options)) return options->file.isEmpty() ? 0 : 1;
    return QApplication::exec();
}

// The viewer: opens a log in the main window, or renders one into a PNG with --screenshot.

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QtGlobal>

#ifdef _WIN32
#include <windows.h>
#endif

#include "Version.h"
#include "gui/app/CBrenmorQuillonLogViewerApp.h"
#include "platform/FileSystem.h"

namespace {

#ifdef _WIN32
// A windowed program starts without a console: what it prints goes to the console of the command
// prompt it was started from, unless its output is redirected to a file or a pipe.
void UseParentConsole() {
    if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!std::freopen("CONOUT$", "w", stdout) || !std::freopen("CONOUT$", "w", stderr)) return;
}
#else
void UseParentConsole() {}
#endif

}  // namespace

int main(int argc, char** argv) {
    UseParentConsole();
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
        if (std::strcmp(argv[i], "--screenshot") == 0 &&
            !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef _WIN32
    // Offscreen on Windows, Qt reads the font files itself: those of Windows unless a folder
    // was chosen.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !qEnvironmentVariableIsSet("QT_QPA_FONTDIR") &&
        qEnvironmentVariableIsSet("WINDIR"))
        qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
#endif

    QApplication application(argc, argv);
    QString error;
    QStringList arguments = QApplication::arguments();
#ifdef _WIN32
    // Qt's entry point hands the arguments over in the 8-bit code page, which loses letters
    // outside it: the wide command line keeps every path.
    arguments.clear();
    for (const std::string& argument : quillon::fs::Arguments(argc, argv))
        arguments << QString::fromStdString(argument);
#endif
    const auto options =
        quillon::CBrenmorQuillonLogViewerApp::ParseArguments(arguments.mid(1), &error);
    if (!options) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    quillon::CBrenmorQuillonLogViewerApp app;
    if (options->Screenshot()) return app.RunScreenshot(*options) ? 0 : 1;
    if (!app.InitInstance(*options)) return options->file.isEmpty() ? 0 : 1;
    return QApplication::exec();
}

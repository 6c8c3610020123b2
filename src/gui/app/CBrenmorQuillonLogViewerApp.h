#pragma once
/// The viewer application: start-up in its fixed order (channel drag format, preferences, the
/// document, a log named on the command line, the open prompt), the window's life, and the
/// --screenshot mode that renders a log offscreen into a PNG.

#include <functional>
#include <memory>
#include <optional>

#include <QSize>
#include <QString>
#include <QStringList>

#include "Version.h"

namespace quillon {

class CDataLogDoc;
class CDataLogFrame;
class IPrompt;
class CMessageBoxPrompt;
class CPrefs;
class CRecentFileList;

/// What the command line asks for.
struct LaunchOptions {
    QString file;            // a log to open, empty for none
    QString screenshotPath;  // --screenshot OUT.png
    QSize size{1280, 800};   // --size WxH
    int cursorFrame = -1;    // --cursor FRAME
    QString compareFile;     // --compare LOG2: loaded as the comparison log
    QString show;            // --show NAME[:ARG]: the name of a screenshot target
    QString showArg;         // its ARG
    bool Screenshot() const { return !screenshotPath.isEmpty(); }
};

class CBrenmorQuillonLogViewerApp {
public:
    static constexpr const char* kVersion = kProgramVersion;

    /// documentsFolder and settingsFile default to the user's documents folder and settings;
    /// tests pass folders of their own and a scripted prompt instead of message boxes.
    explicit CBrenmorQuillonLogViewerApp(QString documentsFolder = {}, QString settingsFile = {},
                                         IPrompt* prompt = nullptr);
    ~CBrenmorQuillonLogViewerApp();
    CBrenmorQuillonLogViewerApp(const CBrenmorQuillonLogViewerApp&) = delete;
    CBrenmorQuillonLogViewerApp& operator=(const CBrenmorQuillonLogViewerApp&) = delete;

    /// Parses the arguments after the program name; nullopt with a message when they are wrong.
    static std::optional<LaunchOptions> ParseArguments(const QStringList& arguments,
                                                       QString* error);
    /// Usage text for the command line.
    static QString Usage();

    /// Start-up: preferences, document and window, the command-line log, then the open prompt.
    /// True when a log is open and the window is shown; false ends the program.
    bool InitInstance(const LaunchOptions& options);
    /// Opens the log (and the comparison) without any prompt, lays the window out at the size
    /// offscreen, sets the cursor and saves a PNG of the window, or of the widget that the
    /// --show target makes. False with a message on stderr when any step fails.
    bool RunScreenshot(const LaunchOptions& options);

    CDataLogFrame* MainFrame() const { return m_frame.get(); }
    CDataLogDoc& Doc() { return *m_doc; }
    CPrefs& Prefs() { return *m_prefs; }
    IPrompt& Prompt();

private:
    void CreateDocumentAndFrame();

    QString m_documentsFolder;
    QString m_settingsFile;
    IPrompt* m_externalPrompt = nullptr;
    std::unique_ptr<CPrefs> m_prefs;
    std::unique_ptr<CMessageBoxPrompt> m_prompt;
    std::unique_ptr<CRecentFileList> m_recentFiles;
    std::unique_ptr<CDataLogDoc> m_doc;
    std::unique_ptr<CDataLogFrame> m_frame;
};

}  // namespace quillon

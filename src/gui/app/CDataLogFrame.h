#pragma once
/// The main window: a splitter with the values pane (left) and the strip chart (right), and the
/// menu bar, toolbar, shortcuts and enable states built from one command table whose rows turn
/// every command into a call on the document, on one of the two panes or into a dialog.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "document/DataLogFileFlows.h"
#include "document/DataLogViewObserver.h"
#include "gui/app/CommandTable.h"
#include "platform/Progress.h"
#include "platform/Result.h"

class QDialog;
class QSplitter;

namespace quillon {

class CDataLogDoc;
class CDataLogPropertySheet;
class CDataLogStatusBar;
class CDlgDataLogHistogram;
class CDlgDataLogRuns;
class CDlgDataLogScatterPlot;
class CDataLogToolbar;
class CDataLogValues;
class CDataLogView;
class CPrefs;
class CProgressWindow;
class CRecentFileList;
class IPrompt;

class CDataLogFrame : public QMainWindow, public IDataLogView, private IFileFlowsHost {
    Q_OBJECT
public:
    /// Every question goes through `prompt`, which the application shares with the document.
    CDataLogFrame(CDataLogDoc& doc, CPrefs& prefs, CRecentFileList& recentFiles, IPrompt& prompt,
                  QWidget* parent = nullptr);
    ~CDataLogFrame() override;

    /// The command table: one row per menu item, toolbar button and shortcut
    /// (MainFrameCommands.cpp).
    static const std::vector<CommandRow>& Commands();

    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

    /// The action of a command id (menu, shortcut and toolbar share it); null if unknown.
    QAction* Action(int id) const;
    CommandState CurrentCommandState() const;
    /// Enables and disables every command by its row's rule and refreshes the status-bar panes.
    /// Runs after document notifications, cursor and zoom changes, and before a menu opens.
    void UpdateCommandUI();
    /// Runs a command as its menu item would; false when it is unknown or disabled.
    bool ExecuteCommand(int id);

    /// The file commands (see DataLogFileFlows), each followed by the window's title and
    /// enable states.
    bool PromptAndOpen();
    bool OpenDocumentFile(const std::string& path);
    /// A path from Qt (the command line, a drop, the recent-file menu).
    bool OpenDocumentFile(const QString& path);
    bool Save();
    bool SaveAs();
    bool LoadComparison(const std::string& path);
    /// True once a log has been opened in this window.
    bool HasOpenedLog() const { return m_flows->HasOpenedLog(); }
    DataLogFileFlows& FileFlows() const { return *m_flows; }

    CDataLogToolbar* Toolbar() const { return m_toolbar; }
    CDataLogStatusBar* DataLogStatusBar() const { return m_statusBar; }
    QSplitter* Splitter() const { return m_splitter; }
    CDataLogValues* ValuesPane() const { return m_valuesPane; }
    CDataLogView* ChartPane() const { return m_chartPane; }
    CDataLogDoc& Doc() const { return m_doc; }
    CPrefs& Prefs() const { return m_prefs; }
    IPrompt& Prompt() const { return m_prompt; }
    CProgressWindow& Progress() const { return *m_progress; }
    /// The window as the file commands see it: where their long work runs.
    IFileFlowsHost& FlowsHost() { return *this; }
    QString TitleText() const;
    /// The Help > About box, owned by the caller.
    QDialog* CreateAboutBox();
    /// The open properties sheet of the main log or of the comparison log; null when closed.
    CDataLogPropertySheet* PropertySheet(bool comparison) const;
    /// The document's scatter plot window; null while it is closed.
    CDlgDataLogScatterPlot* ScatterPlot() const;
    /// The document's histogram and table window; null while it is closed.
    CDlgDataLogHistogram* Histogram() const;
    /// The document's Find Runs window; null while it is closed.
    CDlgDataLogRuns* Runs() const;
    /// Closes the windows that belong to the document (it calls this on open, new and close).
    void DestroyModelessWindows();
    /// Stores the window's size, position, maximised state and split in the application's
    /// settings; nothing is stored while the recent-file list is disabled (screenshots).
    void SaveWindowState();
    /// Applies the stored window state before the window is shown; false when none is stored.
    bool RestoreWindowState();
    /// The Help > Keyboard and Mouse window, owned by the caller.
    QDialog* CreateKeyboardAndMouseWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateClient();
    void CreateCommands();
    void RebuildRecentFileMenu();
    void UpdateTitle();
    bool AfterOpen(bool opened);

    // What the file flows ask of the window.
    /// Runs a long document operation under a wait cursor and a progress dialog.
    Result RunWithProgress(const std::string& label,
                           const std::function<Result(const ProgressCallback&)>& work) override;
    /// The same with a Cancel button in the progress dialog, the work on a worker thread while
    /// the window goes on handling its events.
    Result RunCancellable(
        const std::string& label,
        const std::function<Result(const ProgressCallback&, const CancelCheck&)>& work) override;
    std::string LastOpenFolder() override;
    void SetLastOpenFolder(const std::string& folder) override;
    void AddRecentFile(const std::string& path) override;
    std::string RunConverter(const std::string& path) override;

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnAppExit();
    void OnAppAbout();
    void OnKeyboardAndMouse();
    void OnWindowSplit();
    void OnEditUndo();
    void OnNextView();
    void OnPreviousView();
    void OnNextPane();
    void OnSetZeroTime();
    void OnSetStartPoint();
    void OnSetEndPoint();
    void OnMathChannels();
    /// Asks which entry of the current view a channel that no view shows should replace.
    void OfferChannelForCurrentView(uint32_t channel, const QString& name);
    void OnViewConfiguration();
    void OnAutosetZeroTime();
    void OnUpgradeLogfiles();
    void OnFileExport();
    void OnExportPicture();
    void OnCopyPicture();
    void OnAxisSetup(int entry);
    void OnXAxisSetup();
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomAll();
    void OnZoomLast();
    void OnUpdateStats();
    /// Puts the standard deviations read beside the window into the document.
    void TakeDeviations();
    void OnStatsBetweenCursors();
    void OnCompareDataLog();
    void OnCloseComparison();
    void OnComparisonAutosetZeroTime();
    void OnComparisonSetZeroTime();
    void OnNudge(int delta);
    void OnNudgeLeft();
    void OnNudgeRight();
    void OnFileProperties();
    void OnComparisonProperties();
    void OnScatterPlot();
    void OnHistogram();
    void OnFindRuns();
    void OnAlignComparison();

    CDataLogDoc& m_doc;
    CPrefs& m_prefs;
    CRecentFileList& m_recentFiles;
    IPrompt& m_prompt;
    std::unique_ptr<DataLogFileFlows> m_flows;
    std::map<int, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentAnchor = nullptr;  // the separator after the recent files
    QList<QAction*> m_recentActions;
    QSplitter* m_splitter = nullptr;
    CDataLogValues* m_valuesPane = nullptr;
    CDataLogView* m_chartPane = nullptr;
    CDataLogToolbar* m_toolbar = nullptr;
    CDataLogStatusBar* m_statusBar = nullptr;
    std::unique_ptr<CProgressWindow> m_progress;
    bool m_splitTracking = false;
    bool m_busy = false;     // a long operation is replacing the document's columns
    bool m_working = false;  // work runs on a worker thread; the window must stay
    QList<int> m_splitSizesBefore;
    /// The modeless properties sheets (main log, comparison log); each empties itself when its
    /// sheet is destroyed.
    QPointer<CDataLogPropertySheet> m_propertySheets[2];
    QPointer<CDlgDataLogScatterPlot> m_scatterPlot;  // empties itself when the window goes
    QPointer<CDlgDataLogHistogram> m_histogram;
    QPointer<CDlgDataLogRuns> m_runs;
    QPointer<QDialog> m_keyboardAndMouse;  // modeless; empties itself when closed
};

}  // namespace quillon

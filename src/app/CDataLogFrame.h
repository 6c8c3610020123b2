#pragma once
/// The main window: a splitter with the values pane (left) and the strip chart (right), the menu
/// bar, the toolbar and the status bar, and the command table that turns every command into a
/// call on the document, on one of the two views or into a dialog.

#include <functional>
#include <map>
#include <string>

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include "app/CommandRules.h"
#include "datalog/DataLogViewObserver.h"
#include "datalog/Progress.h"

class QSplitter;
class QTimer;

namespace quillon {

class CDataLogDoc;
class CPrefs;
class CRecentFileList;
class CDataLogToolbar;
class CDataLogStatusBar;

class CDataLogFrame : public QMainWindow, public IDataLogView {
    Q_OBJECT
public:
    /// Asks for a file: (caption, initial folder, filter) -> path, empty on Cancel.
    using FileChooser = std::function<QString(const QString& caption, const QString& folder,
                                              const QString& filter)>;
    /// The save question before a log is replaced or the window closes: Yes, No or Cancel.
    using SaveQuestion = std::function<QMessageBox::StandardButton(const QString& text)>;

    CDataLogFrame(CDataLogDoc& doc, CPrefs& prefs, CRecentFileList& recentFiles,
                  QWidget* parent = nullptr);
    ~CDataLogFrame() override;

    void OnUpdate(IDataLogView* sender, int hint) override;

    /// The action of a command id (menu, accelerator and toolbar share it); null if unknown.
    QAction* Action(int id) const;
    CommandState CurrentCommandState() const;
    /// Enables and disables every command by the command table's rules and refreshes the
    /// status-bar panes (runs at idle time, after document changes and before menus open).
    void UpdateCommandUI();
    /// Runs a command as its menu item would; false when it is unknown or disabled.
    bool ExecuteCommand(int id);

    /// The open prompt: asks for a .dl or .dlz file and opens it. False on Cancel or failure.
    bool PromptAndOpen();
    /// Offers the current log for saving, then opens path as the main log.
    bool OpenDocumentFile(const QString& path);
    /// The save question for a modified log; false when the user cancels or the save fails.
    bool SaveModified();
    bool Save();
    bool SaveAs();
    /// Loads path (.dl, or .dlz expanded beside it) as the comparison log through the document,
    /// which closes the current one with its save question; failures are reported.
    bool LoadComparison(const std::string& path);
    /// True once a log has been opened in this window.
    bool HasOpenedLog() const { return m_hasOpenedLog; }

    CDataLogToolbar* Toolbar() const { return m_toolbar; }
    CDataLogStatusBar* DataLogStatusBar() const { return m_statusBar; }
    QSplitter* Splitter() const { return m_splitter; }
    QWidget* ValuesPane() const { return m_valuesPane; }
    QWidget* ChartPane() const { return m_chartPane; }
    QString TitleText() const;

    FileChooser chooseOpenFile;
    FileChooser chooseSaveFile;
    FileChooser chooseCompareFile;
    SaveQuestion askSaveChanges;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateClient();
    void CreateActions();
    void CreateMenus();
    void RebuildRecentFileMenu();
    QAction* AddCommand(int id, const QString& text, void (CDataLogFrame::*handler)());
    void UpdateTitle();
    /// Runs a long document operation under a wait cursor and a progress dialog.
    bool RunWithProgress(const QString& label,
                         const std::function<bool(const ProgressCallback&)>& work);

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnAppExit();
    void OnAppAbout();
    void OnWindowSplit();
    void OnNextPane();
    void OnPreviousPane();
    void OnSetZeroTime();
    void OnSetStartPoint();
    void OnSetEndPoint();
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomAll();
    void OnZoomLast();
    void OnUpdateStats();
    void OnCompareDataLog();
    void OnCloseComparison();
    void OnComparisonSetZeroTime();
    void OnNudge(int delta);
    void OnNudgeLeft();
    void OnNudgeRight();
    void OnPendingCommand();

    CDataLogDoc& m_doc;
    CPrefs& m_prefs;
    CRecentFileList& m_recentFiles;
    std::map<int, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentAnchor = nullptr;  // the separator after the recent files
    QList<QAction*> m_recentActions;
    QSplitter* m_splitter = nullptr;
    QWidget* m_valuesPane = nullptr;
    QWidget* m_chartPane = nullptr;
    CDataLogToolbar* m_toolbar = nullptr;
    CDataLogStatusBar* m_statusBar = nullptr;
    QTimer* m_idleTimer = nullptr;
    bool m_hasOpenedLog = false;
    bool m_splitTracking = false;
    QList<int> m_splitSizesBefore;
};

}  // namespace quillon

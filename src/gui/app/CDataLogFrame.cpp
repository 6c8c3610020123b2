#include "gui/app/CDataLogFrame.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QSettings>
#include <QSplitter>
#include <QTimer>

#include "Version.h"
#include "gui/app/CDataLogStatusBar.h"
#include "gui/app/CDataLogToolbar.h"
#include "gui/app/CDlgKeyboardAndMouse.h"
#include "gui/common/CNudgeSpin.h"
#include "gui/common/CProgressWindow.h"
#include "gui/common/FailureMessage.h"
#include "gui/app/CRecentFileList.h"
#include "gui/app/CToolbarImages.h"
#include "gui/app/CommandIds.h"
#include "gui/common/TextConversion.h"
#include "gui/chart/CDataLogView.h"
#include "gui/chart/ChartPicture.h"
#include "settings/CPrefs.h"
#include "gui/common/WaitCursor.h"
#include "document/CDataLogDoc.h"
#include "gui/dialogs/CDlgDataLogScatterPlot.h"
#include "document/Prompt.h"
#include "texts/UserTexts.h"
#include "gui/dialogs/CDataLogPropertySheet.h"
#include "gui/dialogs/CDlgDataLogAutoZero.h"
#include "gui/dialogs/CDlgDataLogAxisSetup.h"
#include "gui/dialogs/CDlgDataLogFileUpgrader.h"
#include "gui/dialogs/CDlgDataLogHistogram.h"
#include "gui/dialogs/CDlgDataLogMathChannelSetup.h"
#include "gui/dialogs/CDlgDataLogSetup.h"
#include "gui/dialogs/CDlgDataLogXAxisSetup.h"
#include "gui/dialogs/DataLogExport.h"
#include "gui/dialogs/PictureExport.h"
#include "gui/panes/CDataLogValues.h"

namespace quillon {

namespace {

const char* const kLogFilter = "Brenmor Quillon Log Viewer Files (*.dl *.dlz);;All Files (*)";

// The pane sizes the window starts with.
constexpr int kValuesPaneWidth = 235;
constexpr int kValuesPaneHeight = 520;
constexpr int kChartPaneWidth = 400;
constexpr int kChartPaneHeight = 150;

// The window's own state in the application's settings (not in the INI file of the preferences).
const QString kWindowGeometryKey = QStringLiteral("Window/Geometry");
const QString kWindowSplitterKey = QStringLiteral("Window/Splitter");

bool IsLogFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dl") || suffix == QLatin1String("dlz");
}

}  // namespace

// ---- the command table --------------------------------------------------------------------

const std::vector<CommandRow>& CDataLogFrame::Commands() {
    using F = CDataLogFrame;
    using M = CommandMenu;
    using R = EnableRule;
    using K = CommandKind;
    // A row without a handler is pending until its dialog is connected: shown, but disabled.
    static const std::vector<CommandRow> rows = {
        // File
        {.id = ID_DATALOG_OPEN,
         .menu = M::File,
         .text = "&Open Data Log...",
         .shortcut = "Ctrl+O",
         .toolbarPosition = 1,
         .handler = &F::OnFileOpen},
        {.id = ID_FILE_SAVE,
         .menu = M::File,
         .text = "&Save",
         .shortcut = "Ctrl+S",
         .toolbarPosition = 2,
         .tooltip = "Save",
         .statusTip = "Save the active document",
         .handler = &F::OnFileSave},
        {.id = ID_FILE_SAVE_AS,
         .menu = M::File,
         .text = "Save &As...",
         .toolbarPosition = 3,
         .tooltip = "Save As",
         .statusTip = "Save the active document with a new name",
         .handler = &F::OnFileSaveAs},
        {.id = ID_FILE_EXPORT,
         .menu = M::File,
         .text = "Export",
         .toolbarPosition = 4,
         .handler = &F::OnFileExport},
        {.id = ID_EXPORT_PICTURE,
         .menu = M::File,
         .text = "Export &Picture...",
         .statusTip = "Save the chart as a PNG, SVG or PDF picture",
         .handler = &F::OnExportPicture,
         .rule = R::LogLoaded},
        {.id = ID_COPY_PICTURE,
         .text = "Copy Picture",
         .shortcut = "Ctrl+Shift+C",
         .handler = &F::OnCopyPicture,
         .rule = R::LogLoaded},
        {.id = ID_FILE_PROPERTIES,
         .menu = M::File,
         .separatorBefore = true,
         .text = "Properties",
         .toolbarPosition = 5,
         .handler = &F::OnFileProperties},
        {.id = ID_FILE_MRU_FILE1,
         .menu = M::File,
         .separatorBefore = true,
         .text = "Recent File",
         .rule = R::Never,
         .kind = K::RecentFiles},
        {.id = ID_APP_EXIT,
         .menu = M::File,
         .separatorBefore = true,
         .text = "E&xit",
         .statusTip = "Quit the application; prompts to save the log",
         .handler = &F::OnAppExit},
        // View
        {.id = ID_VIEW_TOOLBAR,
         .menu = M::View,
         .text = "&Toolbar",
         .statusTip = "Show or hide the toolbar",
         .kind = K::ToolbarToggle},
        {.id = ID_VIEW_STATUS_BAR,
         .menu = M::View,
         .text = "&Status Bar",
         .statusTip = "Show or hide the status bar",
         .kind = K::StatusBarToggle},
        {.id = ID_WINDOW_SPLIT,
         .menu = M::View,
         .text = "S&plit",
         .statusTip = "Move the split between the panes with the arrow keys; Enter ends",
         .handler = &F::OnWindowSplit},
        // Tools
        {.id = ID_AUTOSET_ZERO_TIME,
         .menu = M::Tools,
         .text = "Autoset Zero Time",
         .toolbarPosition = 7,
         .handler = &F::OnAutosetZeroTime},
        {.id = ID_SET_ZERO_TIME,
         .menu = M::Tools,
         .text = "Set Zero Time",
         .toolbarPosition = 8,
         .handler = &F::OnSetZeroTime,
         .rule = R::ZeroTime},
        {.id = ID_SET_START_POINT,
         .menu = M::Tools,
         .separatorBefore = true,
         .text = "Set Start Point",
         .toolbarPosition = 9,
         .handler = &F::OnSetStartPoint,
         .rule = R::StartPoint},
        {.id = ID_SET_END_POINT,
         .menu = M::Tools,
         .text = "Set End Point",
         .toolbarPosition = 10,
         .handler = &F::OnSetEndPoint,
         .rule = R::EndPoint},
        {.id = ID_STATS_BETWEEN_CURSORS,
         .menu = M::Tools,
         .text = "Statistics Between Cursors",
         .statusTip = "Statistics of both logs over the frames from cursor A to cursor B",
         .handler = &F::OnStatsBetweenCursors,
         .rule = R::BothCursors},
        {.id = ID_MATH_CHANNELS,
         .menu = M::Tools,
         .separatorBefore = true,
         .text = "Math Channels",
         .toolbarPosition = 12,
         .handler = &F::OnMathChannels},
        {.id = ID_SCATTER_PLOT,
         .menu = M::Tools,
         .text = "Scatter Plot",
         .toolbarPosition = 14,
         .handler = &F::OnScatterPlot},
        {.id = ID_HISTOGRAM,
         .menu = M::Tools,
         .text = "Histogram and Table",
         .statusTip = "Bin a channel by one or two others into a table",
         .handler = &F::OnHistogram,
         .rule = R::LogLoaded},
        {.id = ID_VIEW_CONFIGURATION,
         .menu = M::Tools,
         .text = "View Configuration",
         .toolbarPosition = 13,
         .handler = &F::OnViewConfiguration},
        {.id = ID_UPGRADE_LOGFILES,
         .menu = M::Tools,
         .separatorBefore = true,
         .text = "Upgrade Logfiles",
         .handler = &F::OnUpgradeLogfiles},
        // Zoom
        {.id = ID_ZOOM_IN,
         .menu = M::Zoom,
         .text = "Zoom In",
         .toolbarPosition = 16,
         .handler = &F::OnZoomIn},
        {.id = ID_ZOOM_OUT,
         .menu = M::Zoom,
         .text = "Zoom Out",
         .toolbarPosition = 17,
         .handler = &F::OnZoomOut},
        {.id = ID_ZOOM_ALL,
         .menu = M::Zoom,
         .text = "Zoom All",
         .toolbarPosition = 18,
         .handler = &F::OnZoomAll},
        {.id = ID_ZOOM_LAST,
         .menu = M::Zoom,
         .text = "Zoom Last",
         .toolbarPosition = 19,
         .handler = &F::OnZoomLast},
        {.id = ID_UPDATE_STATS,
         .menu = M::Zoom,
         .separatorBefore = true,
         .text = "Update Stats",
         .toolbarPosition = 20,
         .handler = &F::OnUpdateStats},
        // Comparison
        {.id = ID_COMPARE_DATALOG,
         .menu = M::Comparison,
         .text = "Compare Data Log",
         .toolbarPosition = 22,
         .handler = &F::OnCompareDataLog},
        {.id = ID_CLOSE_COMPARISON,
         .menu = M::Comparison,
         .text = "Close Comparison",
         .toolbarPosition = 23,
         .handler = &F::OnCloseComparison,
         .rule = R::ComparisonLoaded},
        {.id = ID_COMPARISON_PROPERTIES,
         .menu = M::Comparison,
         .separatorBefore = true,
         .text = "Properties",
         .toolbarPosition = 24,
         .handler = &F::OnComparisonProperties,
         .rule = R::ComparisonLoaded},
        {.id = ID_COMPARISON_AUTOSET_ZERO_TIME,
         .menu = M::Comparison,
         .separatorBefore = true,
         .text = "Autoset Zero Time",
         .toolbarPosition = 25,
         .handler = &F::OnComparisonAutosetZeroTime,
         .rule = R::ComparisonLoaded},
        {.id = ID_COMPARISON_SET_ZERO_TIME,
         .menu = M::Comparison,
         .text = "Set Zero Time",
         .toolbarPosition = 26,
         .handler = &F::OnComparisonSetZeroTime,
         .rule = R::ComparisonZeroTime},
        // The menu's nudges move the comparison curves the way the spin's arrows do.
        {.id = ID_NUDGE_LEFT,
         .menu = M::Comparison,
         .text = "Nudge Left",
         .statusTip = "Move the comparison log 0.1 s earlier",
         .handler = &F::OnNudgeLeft,
         .rule = R::ComparisonLoaded},
        {.id = ID_NUDGE_RIGHT,
         .menu = M::Comparison,
         .text = "Nudge Right",
         .statusTip = "Move the comparison log 0.1 s later",
         .handler = &F::OnNudgeRight,
         .rule = R::ComparisonLoaded},
        {.id = ID_NUDGE_SPIN,
         .toolbarPosition = 27,
         .rule = R::ComparisonLoaded,
         .kind = K::NudgeSpin},
        // Help
        {.id = ID_APP_ABOUT,
         .menu = M::Help,
         .text = "&About Brenmor Quillon Log Viewer...",
         .statusTip = "Display program information and version number",
         .handler = &F::OnAppAbout},
        {.id = ID_HELP_KEYBOARD_MOUSE,
         .menu = M::Help,
         .text = "&Keyboard and Mouse",
         .shortcut = "F1",
         .statusTip = "List every shortcut and mouse action",
         .handler = &F::OnKeyboardAndMouse},
        // Shortcuts without a menu item
        {.id = ID_FILE_NEW, .text = "New", .shortcut = "Ctrl+N", .handler = &F::OnFileNew},
        {.id = ID_NEXT_PANE, .text = "Next Pane", .shortcut = "F6", .handler = &F::OnNextPane},
        // Two panes: the previous one is the next one.
        {.id = ID_PREV_PANE,
         .text = "Previous Pane",
         .shortcut = "Shift+F6",
         .handler = &F::OnNextPane},
    };
    return rows;
}

// ---- construction -------------------------------------------------------------------------

CDataLogFrame::CDataLogFrame(CDataLogDoc& doc, CPrefs& prefs, CRecentFileList& recentFiles,
                             IPrompt& prompt, QWidget* parent)
    : QMainWindow(parent),
      m_doc(doc),
      m_prefs(prefs),
      m_recentFiles(recentFiles),
      m_prompt(prompt) {
    setObjectName(QStringLiteral("DataLogFrame"));
    setWindowIcon(CToolbarImages::AppIcon());
    setAcceptDrops(true);
    m_progress = std::make_unique<CProgressWindow>(this);
    CreateClient();
    CreateCommands();
    m_doc.AddView(this);
    m_doc.destroyModelessWindows = [this] { DestroyModelessWindows(); };
    // A log whose file another program truncated or rewrote is closed once the read that found
    // it has unwound.
    m_doc.logFileChanged = [this] {
        QTimer::singleShot(0, this, [this] {
            if (m_doc.CloseChangedLogs()) UpdateCommandUI();
        });
    };
    UpdateTitle();
    UpdateCommandUI();
}

CDataLogFrame::~CDataLogFrame() {
    if (m_splitTracking) qApp->removeEventFilter(this);
    DestroyModelessWindows();
    m_doc.destroyModelessWindows = nullptr;
    m_doc.logFileChanged = nullptr;
    m_doc.RemoveView(this);
}

void CDataLogFrame::DestroyModelessWindows() {
    CDlgDataLogScatterPlot::Destroy(m_scatterPlot);
    CDlgDataLogHistogram::Destroy(m_histogram);
    // The properties sheets close without applying what they hold.
    for (QPointer<CDataLogPropertySheet>& sheet : m_propertySheets)
        delete sheet.data();
}

CDlgDataLogScatterPlot* CDataLogFrame::ScatterPlot() const {
    return m_scatterPlot;
}

void CDataLogFrame::OnScatterPlot() {
    CDlgDataLogScatterPlot::OpenOrRaise(m_scatterPlot, m_doc, m_prompt);
}

CDlgDataLogHistogram* CDataLogFrame::Histogram() const {
    return m_histogram;
}

void CDataLogFrame::OnHistogram() {
    CDlgDataLogHistogram::OpenOrRaise(m_histogram, m_doc, m_prompt);
}

void CDataLogFrame::CreateClient() {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("DataLogSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_valuesPane = new CDataLogValues(m_doc, m_prefs, m_splitter);
    m_valuesPane->setObjectName(QStringLiteral("ValuesPane"));
    m_valuesPane->setMinimumWidth(40);
    m_valuesPane->resize(kValuesPaneWidth, kValuesPaneHeight);
    connect(m_valuesPane, &CDataLogValues::editViewsRequested, this,
            &CDataLogFrame::OnViewConfiguration);
    m_chartPane = new CDataLogView(m_doc, m_prefs, m_splitter);
    m_chartPane->setObjectName(QStringLiteral("ChartPane"));
    m_chartPane->resize(kChartPaneWidth, kChartPaneHeight);
    m_splitter->addWidget(m_valuesPane);
    m_splitter->addWidget(m_chartPane);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    // The values pane starts as wide as its rows and scroll bar ask, so that it needs no
    // horizontal scroll bar (never more than twice its nominal width).
    const int valuesWidth =
        std::clamp(m_valuesPane->sizeHint().width(), kValuesPaneWidth, kValuesPaneWidth * 2);
    m_splitter->setSizes({valuesWidth, kChartPaneWidth});
    setCentralWidget(m_splitter);
    // The status bar and the enable rules follow the chart's cursor and zoom.
    connect(m_chartPane, &CDataLogView::cursorChanged, this, &CDataLogFrame::UpdateCommandUI);
    connect(m_chartPane, &CDataLogView::zoomRangeChanged, this, &CDataLogFrame::UpdateCommandUI);
    // A y axis or a row's name opens the axis setup of its entry, the x axis the time window.
    connect(m_chartPane, &CDataLogView::axisClicked, this, &CDataLogFrame::OnAxisSetup);
    connect(m_valuesPane, &CDataLogValues::axisSetupRequested, this, &CDataLogFrame::OnAxisSetup);
    connect(m_chartPane, &CDataLogView::xAxisClicked, this, &CDataLogFrame::OnXAxisSetup);

    m_statusBar = new CDataLogStatusBar(this);
    setStatusBar(m_statusBar);
}

void CDataLogFrame::CreateCommands() {
    std::vector<CDataLogToolbar::Item> toolbarItems;
    for (const CommandRow& row : Commands()) {
        if (row.kind == CommandKind::NudgeSpin || row.kind == CommandKind::ToolbarToggle) {
            if (row.toolbarPosition > 0)
                toolbarItems.push_back({row.toolbarPosition, row.id, nullptr, false});
            continue;  // made with the toolbar below
        }
        auto* action = new QAction(QString::fromUtf8(row.text), this);
        action->setData(row.id);
        if (*row.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        if (*row.tooltip) action->setToolTip(QString::fromUtf8(row.tooltip));
        if (*row.statusTip) action->setStatusTip(QString::fromUtf8(row.statusTip));
        if (row.handler) connect(action, &QAction::triggered, this, row.handler);
        if (row.kind == CommandKind::StatusBarToggle) {
            action->setCheckable(true);
            action->setChecked(true);
            connect(action, &QAction::toggled, m_statusBar, &QWidget::setVisible);
        }
        m_actions[row.id] = action;
        if (row.toolbarPosition > 0)
            toolbarItems.push_back({row.toolbarPosition, row.id, action, *row.tooltip != '\0'});
        // Shortcuts of items that no menu or toolbar carries belong to the window.
        if (row.menu == CommandMenu::None && row.toolbarPosition == 0) addAction(action);
    }

    m_toolbar = new CDataLogToolbar(std::move(toolbarItems), this);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    connect(m_toolbar->NudgeSpin(), &CNudgeSpin::deltaPos, this, &CDataLogFrame::OnNudge);

    QMenuBar* bar = menuBar();
    const std::pair<CommandMenu, const char*> menus[] = {{CommandMenu::File, "&File"},
                                                         {CommandMenu::View, "&View"},
                                                         {CommandMenu::Tools, "Tools"},
                                                         {CommandMenu::Zoom, "Zoom"},
                                                         {CommandMenu::Comparison, "Comparison"},
                                                         {CommandMenu::Help, "Help"}};
    for (const auto& [which, title] : menus) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        if (which == CommandMenu::File) m_fileMenu = menu;
        for (const CommandRow& row : Commands()) {
            if (row.menu != which) continue;
            if (row.separatorBefore) menu->addSeparator();
            QAction* action = row.kind == CommandKind::ToolbarToggle ? m_toolbar->toggleViewAction()
                                                                     : Action(row.id);
            if (row.kind == CommandKind::ToolbarToggle) {
                action->setText(QString::fromUtf8(row.text));
                action->setStatusTip(QString::fromUtf8(row.statusTip));
                action->setData(row.id);
                m_actions[row.id] = action;
            }
            if (row.kind == CommandKind::RecentFiles) m_recentAnchor = action;
            menu->addAction(action);
        }
        connect(menu, &QMenu::aboutToShow, this, &CDataLogFrame::UpdateCommandUI);
    }
    RebuildRecentFileMenu();
}

void CDataLogFrame::RebuildRecentFileMenu() {
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    // The disabled "Recent File" item stands in for an empty list.
    const QStringList files = m_recentFiles.Files();
    m_recentAnchor->setVisible(files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        auto* action = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this);
        action->setData(ID_FILE_MRU_FILE1 + i);
        action->setStatusTip(QStringLiteral("Open this log"));
        connect(action, &QAction::triggered, this, [this, path] {
            if (!QFileInfo::exists(path)) {
                // A vanished file leaves the list, as the user cannot open it any more.
                m_recentFiles.Remove(path);
                RebuildRecentFileMenu();
            }
            OpenDocumentFile(path);
        });
        m_fileMenu->insertAction(m_recentAnchor, action);
        m_recentActions.append(action);
    }
}

// ---- command table ------------------------------------------------------------------------

QAction* CDataLogFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

CommandState CDataLogFrame::CurrentCommandState() const {
    CommandState s;
    s.currentPoint = m_doc.GetCursorFrame();
    s.frameCount = m_doc.GetFrameCount();
    s.comparisonLoaded = m_doc.IsComparisonLoaded();
    s.comparisonFrameCount = m_doc.IsComparisonLoaded() ? m_doc.Comparison().frameCount : 0;
    s.cursorOnComparison = m_doc.IsCursorOnComparison();
    s.cursorB = m_doc.GetCursorB().has_value();
    return s;
}

void CDataLogFrame::UpdateCommandUI() {
    // While a long operation replaces the document's columns nothing may read them.
    if (m_busy) return;
    const CommandState state = CurrentCommandState();
    for (const CommandRow& row : Commands()) {
        const bool enabled = row.IsEnabled(state);
        if (row.kind == CommandKind::NudgeSpin) {
            m_toolbar->NudgeSpin()->setEnabled(enabled);
        } else if (row.kind == CommandKind::StatusBarToggle) {
            // The tick follows the bar however it was hidden.
            Action(row.id)->setChecked(!m_statusBar->isHidden());
        } else if (row.kind == CommandKind::Plain) {
            Action(row.id)->setEnabled(enabled);
        }
    }
    m_statusBar->Refresh(&m_doc);
}

bool CDataLogFrame::ExecuteCommand(int id) {
    UpdateCommandUI();
    if (id == ID_NUDGE_SPIN) return false;
    QAction* action = Action(id);
    if (!action || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

void CDataLogFrame::OnUpdate(IDataLogView* /*sender*/, int hint) {
    if (hint == kHintRebuild) UpdateTitle();
    UpdateCommandUI();
}

// ---- files --------------------------------------------------------------------------------

QString CDataLogFrame::TitleText() const {
    const QString path = FromCorePath(m_doc.GetPathName());
    const QString name = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName();
    return name + QStringLiteral(" - ") + QString::fromUtf8(kAppTitle);
}

void CDataLogFrame::UpdateTitle() {
    setWindowTitle(TitleText());
}

bool CDataLogFrame::PromptAndOpen() {
    // The prompt starts where the last log was opened from, at first in the data-log folder.
    const QString lastFolder = m_recentFiles.LastOpenFolder();
    const std::string folder =
        lastFolder.isEmpty() ? m_prefs.GetDataLogFolder() : ToCorePath(lastFolder);
    const std::string chosen = m_prompt.OpenFileName({"Open", folder, "", kLogFilter});
    if (chosen.empty()) return false;
    const QString path = FromCorePath(chosen);
    return OpenDocumentFile(path);
}

bool CDataLogFrame::OpenDocumentFile(const QString& path) {
    if (!SaveModified()) return false;
    const Result result =
        RunWithProgress(QStringLiteral("Loading %1...").arg(QFileInfo(path).fileName()),
                        [&](const ProgressCallback& progress) {
                            return m_doc.OnOpenDocument(ToCorePath(path), progress);
                        });
    const bool ok = result.ok();
    if (result.kind == ErrorKind::WrongVersion) {
        // A log of another layout: the converter is offered.
        const FailureMessage question = MessageForFailure(result);
        if (m_prompt.Question(question.caption, question.text) != PromptAnswer::No)
            ExecuteCommand(ID_UPGRADE_LOGFILES);
    } else if (!ok) {
        m_prompt.ShowFailure(result);
    }
    if (ok) {
        m_hasOpenedLog = true;
        m_recentFiles.SetLastOpenFolder(QFileInfo(path).absolutePath());
        m_recentFiles.Add(
            FromCorePath(m_doc.GetPathName()).isEmpty() ? path : FromCorePath(m_doc.GetPathName()));
        RebuildRecentFileMenu();
    }
    UpdateTitle();
    UpdateCommandUI();
    return ok;
}

Result CDataLogFrame::RunWithProgress(const QString& label,
                                      const std::function<Result(const ProgressCallback&)>& work) {
    // The progress dialog lets events through while the document replaces its columns: the
    // panes must not paint from them and the idle refresh must not read them until the
    // document has announced the change.
    m_busy = true;
    centralWidget()->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] {
        centralWidget()->setUpdatesEnabled(true);
        m_busy = false;
    });
    WaitCursor wait;
    m_progress->Begin(label);
    const auto end = qScopeGuard([this] { m_progress->End(); });
    return work([this](int64_t done, int64_t total) { m_progress->Step(done, total); });
}

bool CDataLogFrame::SaveModified() {
    if (!m_doc.IsModified()) return true;
    const QString path = FromCorePath(m_doc.GetPathName());
    const QString name = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName();
    switch (m_prompt.QuestionWithCancel(
        "", ToCorePath(QStringLiteral("Save changes to %1?").arg(name)))) {
        case PromptAnswer::Yes:
            return Save();
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

bool CDataLogFrame::Save() {
    const QString path = FromCorePath(m_doc.GetPathName());
    if (path.isEmpty()) return SaveAs();
    const bool ok = SaveWithProgress(path);
    UpdateTitle();
    return ok;
}

bool CDataLogFrame::SaveAs() {
    const QString current = FromCorePath(m_doc.GetPathName());
    FileDialogRequest request{"Save As", m_prefs.GetDataLogFolder(), "",
                              "Brenmor Quillon Log Viewer Files (*.dl)"};
    if (!current.isEmpty()) {
        request.folder = ToCorePath(QFileInfo(current).absolutePath());
        request.fileName = ToCorePath(QFileInfo(current).fileName());
    }
    QString path = FromCorePath(m_prompt.SaveFileName(request));
    if (path.isEmpty()) return false;
    // The log is always written uncompressed: a name that promised .dlz would not open again.
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("dlz"), Qt::CaseInsensitive) == 0)
        path.chop(1);
    else if (info.suffix().compare(QLatin1String("dl"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".dl");
    if (!SaveWithProgress(path)) return false;
    m_doc.SetPathName(ToCorePath(path));
    m_recentFiles.Add(path);
    RebuildRecentFileMenu();
    UpdateTitle();
    return true;
}

bool CDataLogFrame::SaveWithProgress(const QString& path) {
    const Result result =
        RunWithProgress(QStringLiteral("Saving %1...").arg(QFileInfo(path).fileName()),
                        [&](const ProgressCallback& progress) {
                            return m_doc.OnSaveDocument(ToCorePath(path), progress);
                        });
    if (!result) m_prompt.ShowFailure(result);
    return result.ok();
}

void CDataLogFrame::OnFileNew() {
    if (!SaveModified()) return;
    m_doc.OnNewDocument();
    UpdateTitle();
    UpdateCommandUI();
}

void CDataLogFrame::OnFileOpen() {
    PromptAndOpen();
}

void CDataLogFrame::OnFileSave() {
    Save();
}

void CDataLogFrame::OnFileSaveAs() {
    SaveAs();
}

void CDataLogFrame::OnAppExit() {
    close();
}

void CDataLogFrame::closeEvent(QCloseEvent* event) {
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    m_doc.OnCloseDocument();
    SaveWindowState();
    event->accept();
}

void CDataLogFrame::SaveWindowState() {
    if (!m_recentFiles.IsEnabled()) return;
    QSettings& settings = m_recentFiles.Settings();
    settings.setValue(kWindowGeometryKey, saveGeometry());
    settings.setValue(kWindowSplitterKey, m_splitter->saveState());
    settings.sync();
}

bool CDataLogFrame::RestoreWindowState() {
    const QSettings& settings = m_recentFiles.Settings();
    const QByteArray geometry = settings.value(kWindowGeometryKey).toByteArray();
    // A damaged or foreign value is ignored; the window then starts as on a first run.
    if (geometry.isEmpty() || !restoreGeometry(geometry)) return false;
    m_splitter->restoreState(settings.value(kWindowSplitterKey).toByteArray());
    return true;
}

QDialog* CDataLogFrame::CreateKeyboardAndMouseWindow() {
    return new CDlgKeyboardAndMouse(Commands(), this);
}

void CDataLogFrame::OnKeyboardAndMouse() {
    if (!m_keyboardAndMouse) {
        m_keyboardAndMouse = CreateKeyboardAndMouseWindow();
        m_keyboardAndMouse->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_keyboardAndMouse->show();
    m_keyboardAndMouse->raise();
    m_keyboardAndMouse->activateWindow();
}

QDialog* CDataLogFrame::CreateAboutBox() {
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About Brenmor Quillon Log Viewer"),
                        QStringLiteral("Brenmor Quillon Log Viewer Version %1\n\n"
                                       "Strip chart, values, statistics and comparison of "
                                       "ECU datalogs.\n\n"
                                       "Build date: %2\n"
                                       "Qt version: %3\n"
                                       "Licence: MIT")
                            .arg(QCoreApplication::applicationVersion(),
                                 QString::fromLatin1(kBuildDate), QString::fromLatin1(qVersion())),
                        QMessageBox::Ok, this);
    box->setIconPixmap(CToolbarImages::AppIcon().pixmap(64, 64));
    return box;
}

CDataLogPropertySheet* CDataLogFrame::PropertySheet(bool comparison) const {
    return m_propertySheets[comparison ? 1 : 0];
}

void CDataLogFrame::OnFileProperties() {
    CDataLogPropertySheet::OpenOrRaise(m_propertySheets[0], m_doc, m_prefs, false, this);
}

void CDataLogFrame::OnComparisonProperties() {
    if (!m_doc.IsComparisonLoaded()) return;
    CDataLogPropertySheet::OpenOrRaise(m_propertySheets[1], m_doc, m_prefs, true, this);
}

void CDataLogFrame::OnAppAbout() {
    std::unique_ptr<QDialog> box(CreateAboutBox());
    box->exec();
}

// ---- panes --------------------------------------------------------------------------------

void CDataLogFrame::OnWindowSplit() {
    if (m_splitTracking) return;
    // Keyboard split: the arrow keys move the split, Enter keeps it, Escape restores it.
    m_splitTracking = true;
    m_splitSizesBefore = m_splitter->sizes();
    m_splitter->handle(1)->setCursor(Qt::SplitHCursor);
    qApp->installEventFilter(this);
    statusBar()->showMessage(
        QStringLiteral("Move the split with Left and Right; Enter keeps it, Escape restores it"));
}

bool CDataLogFrame::eventFilter(QObject* watched, QEvent* event) {
    if (m_splitTracking &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)) {
        auto finish = [this](bool keep) {
            if (!keep) m_splitter->setSizes(m_splitSizesBefore);
            m_splitTracking = false;
            qApp->removeEventFilter(this);
            m_splitter->handle(1)->unsetCursor();
            statusBar()->clearMessage();
        };
        if (event->type() == QEvent::MouseButtonPress) {
            finish(true);
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        QList<int> sizes = m_splitter->sizes();
        const int step = (key->modifiers() & Qt::ControlModifier) ? 1 : 8;
        switch (key->key()) {
            case Qt::Key_Left:
            case Qt::Key_Right: {
                const int d = key->key() == Qt::Key_Left ? -step : step;
                if (sizes.size() == 2 && sizes[0] + d > 0 && sizes[1] - d > 0) {
                    sizes[0] += d;
                    sizes[1] -= d;
                    m_splitter->setSizes(sizes);
                }
                return true;
            }
            case Qt::Key_Return:
            case Qt::Key_Enter:
                finish(true);
                return true;
            case Qt::Key_Escape:
                finish(false);
                return true;
            default:
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CDataLogFrame::OnNextPane() {
    const bool inChart = m_chartPane->isAncestorOf(focusWidget()) || focusWidget() == m_chartPane;
    QWidget* next = inChart ? static_cast<QWidget*>(m_valuesPane) : m_chartPane;
    next->setFocus(Qt::TabFocusReason);
}

// ---- tools --------------------------------------------------------------------------------

void CDataLogFrame::OnSetZeroTime() {
    m_doc.OnSetZeroTime();
    UpdateCommandUI();
}

void CDataLogFrame::OnSetStartPoint() {
    WaitCursor wait;
    m_doc.OnSetStartPoint();
    UpdateCommandUI();
}

void CDataLogFrame::OnSetEndPoint() {
    WaitCursor wait;
    m_doc.OnSetEndPoint();
    UpdateCommandUI();
}

// The dialogs hand their blocks back to the document on OK and tell every view (hint 1).
void CDataLogFrame::OnMathChannels() {
    CDlgDataLogMathChannelSetup::Run(m_doc, m_prefs, m_prompt, this);
}

void CDataLogFrame::OnViewConfiguration() {
    CDlgDataLogSetup::Run(m_doc, m_prefs, m_prompt, this);
}

void CDataLogFrame::OnAutosetZeroTime() {
    CDlgDataLogAutoZero::Run(m_doc, false, this);
    UpdateCommandUI();
}

void CDataLogFrame::OnUpgradeLogfiles() {
    CDlgDataLogFileUpgrader dialog(m_prompt, this);
    dialog.exec();
}

void CDataLogFrame::OnFileExport() {
    RunDataLogExport(m_doc, m_prompt, this);
}

void CDataLogFrame::OnExportPicture() {
    if (!m_chartPane->HasChart()) return;
    RunPictureExport(ChartPicture::SourceOf(*m_chartPane), m_chartPane->size(),
                     m_chartPane->devicePixelRatioF(), m_doc.GetPathName(), QString(), m_prompt,
                     this);
}

void CDataLogFrame::OnCopyPicture() {
    if (!m_chartPane->HasChart()) return;
    // Both a bitmap and the vector drawing, so that drawing programs can keep the curves sharp.
    auto* mime = new QMimeData;
    const QSize size = m_chartPane->size();
    mime->setImageData(m_chartPane->RenderImage(size, m_chartPane->devicePixelRatioF()));
    mime->setData(QStringLiteral("image/svg+xml"),
                  ChartPicture::Encode(*m_chartPane, PictureFormat::Svg, size));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void CDataLogFrame::OnAxisSetup(int entry) {
    // The chart refills its data and the values pane its rows.
    if (CDlgDataLogAxisSetup::Run(m_doc, entry, this)) m_doc.UpdateAllViews(nullptr, kHintRefill);
}

void CDataLogFrame::OnXAxisSetup() {
    CDlgDataLogXAxisSetup dialog(m_doc, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_chartPane->ZoomToWindow(dialog.Minimum(), dialog.Maximum());
    UpdateCommandUI();
}

// ---- zoom ---------------------------------------------------------------------------------

void CDataLogFrame::OnZoomIn() {
    m_chartPane->ZoomIn();
}

void CDataLogFrame::OnZoomOut() {
    m_chartPane->ZoomOut();
}

void CDataLogFrame::OnZoomAll() {
    m_chartPane->ZoomAll();
}

void CDataLogFrame::OnZoomLast() {
    m_chartPane->ZoomLast();
}

void CDataLogFrame::OnUpdateStats() {
    // The values view converts the visible window with each log's own times.
    WaitCursor wait;
    m_valuesPane->OnUpdateStats(
        m_chartPane->IsZoomed() ? std::optional(m_chartPane->VisibleWindow()) : std::nullopt);
}

void CDataLogFrame::OnStatsBetweenCursors() {
    WaitCursor wait;
    m_valuesPane->StatsBetweenCursors();
}

// ---- comparison ---------------------------------------------------------------------------

void CDataLogFrame::OnCompareDataLog() {
    const std::string chosen =
        m_prompt.OpenFileName({"Choose Data Log to Compare", m_prefs.GetDataLogFolder(), "",
                               "KORA Datalog (*.dl *.dlz)"});
    if (chosen.empty()) return;
    LoadComparison(chosen);
}

bool CDataLogFrame::LoadComparison(const std::string& path) {
    const Result result = RunWithProgress(
        QStringLiteral("Loading %1...").arg(QFileInfo(FromCorePath(path)).fileName()),
        [&](const ProgressCallback& progress) { return m_doc.LoadComparison(path, progress); });
    if (!result) m_prompt.ShowFailure(result);
    UpdateCommandUI();
    return result.ok();
}

void CDataLogFrame::OnCloseComparison() {
    m_doc.CloseComparison();
    UpdateCommandUI();
}

void CDataLogFrame::OnComparisonAutosetZeroTime() {
    CDlgDataLogAutoZero::Run(m_doc, true, this);
    UpdateCommandUI();
}

void CDataLogFrame::OnComparisonSetZeroTime() {
    m_doc.OnSetComparisonZeroTime();
    UpdateCommandUI();
}

void CDataLogFrame::OnNudge(int delta) {
    if (delta != 0) m_doc.NudgeComparison(-delta);
}

void CDataLogFrame::OnNudgeLeft() {
    m_doc.NudgeComparison(-1);
}

void CDataLogFrame::OnNudgeRight() {
    m_doc.NudgeComparison(+1);
}

// ---- drag and drop ------------------------------------------------------------------------

void CDataLogFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile() && IsLogFileName(url.toLocalFile())) {
                event->acceptProposedAction();
                return;
            }
    event->ignore();
}

void CDataLogFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile() || !IsLogFileName(url.toLocalFile())) continue;
        event->acceptProposedAction();
        // Open after the drop has finished: the open may ask questions in modal boxes.
        const QString path = url.toLocalFile();
        QTimer::singleShot(0, this, [this, path] { OpenDocumentFile(path); });
        return;
    }
    event->ignore();
}

}  // namespace quillon

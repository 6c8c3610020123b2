#include "app/CDataLogFrame.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QSplitter>
#include <QTimer>

#include "app/CDataLogStatusBar.h"
#include "app/CDataLogToolbar.h"
#include "app/CNudgeSpin.h"
#include "app/CRecentFileList.h"
#include "app/CToolbarImages.h"
#include "app/CommandIds.h"
#include "app/TextConversion.h"
#include "config/CPrefs.h"
#include "datalog/CDataLogDoc.h"

#if __has_include("chart/CDataLogView.h")
#include "chart/CDataLogView.h"
#define QUILLON_HAVE_CHART_VIEW 1
#endif
#if __has_include("views/CDataLogValues.h")
#include "views/CDataLogValues.h"
#define QUILLON_HAVE_VALUES_VIEW 1
#endif

namespace quillon {

namespace {

const QString kAppTitle = QStringLiteral("Brenmor Quillon Log Viewer");
const QString kLogFilter = QStringLiteral("Brenmor Quillon Log Viewer Files (*.dl *.dlz)");
const QString kAllFilesFilter = QStringLiteral("All Files (*)");

// The pane sizes the window starts with.
constexpr int kValuesPaneWidth = 235;
constexpr int kValuesPaneHeight = 520;
constexpr int kChartPaneWidth = 400;
constexpr int kChartPaneHeight = 150;

bool IsLogFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dl") || suffix == QLatin1String("dlz");
}

// A wait cursor for the duration of a long operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString DefaultOpenFile(QWidget* owner, const QString& caption, const QString& folder,
                        const QString& filter) {
    return QFileDialog::getOpenFileName(owner, caption, folder, filter);
}

}  // namespace

CDataLogFrame::CDataLogFrame(CDataLogDoc& doc, CPrefs& prefs, CRecentFileList& recentFiles,
                             QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_prefs(prefs), m_recentFiles(recentFiles) {
    setObjectName(QStringLiteral("DataLogFrame"));
    setWindowIcon(CToolbarImages::AppIcon());
    setAcceptDrops(true);
    chooseOpenFile = [this](const QString& caption, const QString& folder, const QString& filter) {
        return DefaultOpenFile(this, caption, folder, filter);
    };
    chooseCompareFile = chooseOpenFile;
    chooseSaveFile = [this](const QString& caption, const QString& folder, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, folder, filter);
    };
    askSaveChanges = [this](const QString& text) {
        return QMessageBox::warning(this, kAppTitle, text,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                    QMessageBox::Yes);
    };

    CreateActions();
    CreateClient();
    CreateMenus();
    m_doc.AddView(this);

    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(250);
    connect(m_idleTimer, &QTimer::timeout, this, &CDataLogFrame::UpdateCommandUI);
    m_idleTimer->start();
    UpdateTitle();
    UpdateCommandUI();
}

CDataLogFrame::~CDataLogFrame() {
    if (m_splitTracking) qApp->removeEventFilter(this);
    m_doc.RemoveView(this);
}

// ---- construction -------------------------------------------------------------------------

QAction* CDataLogFrame::AddCommand(int id, const QString& text, void (CDataLogFrame::*handler)()) {
    auto* action = new QAction(text, this);
    action->setData(id);
    if (handler) connect(action, &QAction::triggered, this, handler);
    m_actions[id] = action;
    return action;
}

void CDataLogFrame::CreateActions() {
    using F = CDataLogFrame;
    AddCommand(ID_DATALOG_OPEN, QStringLiteral("&Open Data Log..."), &F::OnFileOpen)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* save = AddCommand(ID_FILE_SAVE, QStringLiteral("&Save"), &F::OnFileSave);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setToolTip(QStringLiteral("Save"));
    save->setStatusTip(QStringLiteral("Save the active document"));
    QAction* saveAs = AddCommand(ID_FILE_SAVE_AS, QStringLiteral("Save &As..."), &F::OnFileSaveAs);
    saveAs->setToolTip(QStringLiteral("Save As"));
    saveAs->setStatusTip(QStringLiteral("Save the active document with a new name"));
    AddCommand(ID_FILE_EXPORT, QStringLiteral("Export"), &F::OnPendingCommand);
    AddCommand(ID_FILE_PROPERTIES, QStringLiteral("Properties"), &F::OnPendingCommand);
    AddCommand(ID_APP_EXIT, QStringLiteral("E&xit"), &F::OnAppExit)
        ->setStatusTip(QStringLiteral("Quit the application; prompts to save the log"));

    AddCommand(ID_AUTOSET_ZERO_TIME, QStringLiteral("Autoset Zero Time"), &F::OnPendingCommand);
    AddCommand(ID_SET_ZERO_TIME, QStringLiteral("Set Zero Time"), &F::OnSetZeroTime);
    AddCommand(ID_SET_START_POINT, QStringLiteral("Set Start Point"), &F::OnSetStartPoint);
    AddCommand(ID_SET_END_POINT, QStringLiteral("Set End Point"), &F::OnSetEndPoint);
    AddCommand(ID_MATH_CHANNELS, QStringLiteral("Math Channels"), &F::OnPendingCommand);
    AddCommand(ID_SCATTER_PLOT, QStringLiteral("Scatter Plot"), &F::OnPendingCommand);
    AddCommand(ID_VIEW_CONFIGURATION, QStringLiteral("View Configuration"), &F::OnPendingCommand);
    AddCommand(ID_UPGRADE_LOGFILES, QStringLiteral("Upgrade Logfiles"), &F::OnPendingCommand);

    AddCommand(ID_ZOOM_IN, QStringLiteral("Zoom In"), &F::OnZoomIn);
    AddCommand(ID_ZOOM_OUT, QStringLiteral("Zoom Out"), &F::OnZoomOut);
    AddCommand(ID_ZOOM_ALL, QStringLiteral("Zoom All"), &F::OnZoomAll);
    AddCommand(ID_ZOOM_LAST, QStringLiteral("Zoom Last"), &F::OnZoomLast);
    AddCommand(ID_UPDATE_STATS, QStringLiteral("Update Stats"), &F::OnUpdateStats);

    AddCommand(ID_COMPARE_DATALOG, QStringLiteral("Compare Data Log"), &F::OnCompareDataLog);
    AddCommand(ID_CLOSE_COMPARISON, QStringLiteral("Close Comparison"), &F::OnCloseComparison);
    AddCommand(ID_COMPARISON_PROPERTIES, QStringLiteral("Properties"), &F::OnPendingCommand);
    AddCommand(ID_COMPARISON_AUTOSET_ZERO_TIME, QStringLiteral("Autoset Zero Time"),
               &F::OnPendingCommand);
    AddCommand(ID_COMPARISON_SET_ZERO_TIME, QStringLiteral("Set Zero Time"),
               &F::OnComparisonSetZeroTime);
    // The menu's nudges move the comparison curves the way the spin's arrows do.
    AddCommand(ID_NUDGE_LEFT, QStringLiteral("Nudge Left"), &F::OnNudgeLeft)
        ->setStatusTip(QStringLiteral("Move the comparison log 0.1 s earlier"));
    AddCommand(ID_NUDGE_RIGHT, QStringLiteral("Nudge Right"), &F::OnNudgeRight)
        ->setStatusTip(QStringLiteral("Move the comparison log 0.1 s later"));

    AddCommand(ID_APP_ABOUT, QStringLiteral("&About Brenmor Quillon Log Viewer..."), &F::OnAppAbout)
        ->setStatusTip(QStringLiteral("Display program information and version number"));

    // Accelerators without a menu item of their own.
    QAction* fileNew = AddCommand(ID_FILE_NEW, QStringLiteral("New"), &F::OnFileNew);
    fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addAction(fileNew);
    auto* nextPane = new QAction(this);
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    connect(nextPane, &QAction::triggered, this, &F::OnNextPane);
    addAction(nextPane);
    auto* previousPane = new QAction(this);
    previousPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(previousPane, &QAction::triggered, this, &F::OnPreviousPane);
    addAction(previousPane);
}

void CDataLogFrame::CreateClient() {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("DataLogSplitter"));
    m_splitter->setChildrenCollapsible(false);
#ifdef QUILLON_HAVE_VALUES_VIEW
    m_valuesPane = new CDataLogValues(m_doc, m_prefs, m_splitter);
#else
    m_valuesPane = new QWidget(m_splitter);
#endif
    m_valuesPane->setObjectName(QStringLiteral("ValuesPane"));
    m_valuesPane->setMinimumWidth(40);
    m_valuesPane->resize(kValuesPaneWidth, kValuesPaneHeight);
#ifdef QUILLON_HAVE_CHART_VIEW
    m_chartPane = new CDataLogView(m_doc, m_prefs, m_splitter);
#else
    m_chartPane = new QWidget(m_splitter);
#endif
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

    m_toolbar = new CDataLogToolbar([this](int id) { return Action(id); }, this);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    connect(m_toolbar->NudgeSpin(), &CNudgeSpin::deltaPos, this, &CDataLogFrame::OnNudge);

    m_statusBar = new CDataLogStatusBar(this);
    setStatusBar(m_statusBar);
}

void CDataLogFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, int id) { menu->addAction(Action(id)); };

    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    add(m_fileMenu, ID_DATALOG_OPEN);
    add(m_fileMenu, ID_FILE_SAVE);
    add(m_fileMenu, ID_FILE_SAVE_AS);
    add(m_fileMenu, ID_FILE_EXPORT);
    m_fileMenu->addSeparator();
    add(m_fileMenu, ID_FILE_PROPERTIES);
    m_fileMenu->addSeparator();
    m_recentAnchor = m_fileMenu->addSeparator();
    add(m_fileMenu, ID_APP_EXIT);
    RebuildRecentFileMenu();

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QAction* toolbar = AddCommand(ID_VIEW_TOOLBAR, QStringLiteral("&Toolbar"), nullptr);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    toolbar->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    connect(toolbar, &QAction::toggled, m_toolbar, &QWidget::setVisible);
    QAction* status = AddCommand(ID_VIEW_STATUS_BAR, QStringLiteral("&Status Bar"), nullptr);
    status->setCheckable(true);
    status->setChecked(true);
    status->setStatusTip(QStringLiteral("Show or hide the status bar"));
    connect(status, &QAction::toggled, m_statusBar, &QWidget::setVisible);
    AddCommand(ID_WINDOW_SPLIT, QStringLiteral("S&plit"), &CDataLogFrame::OnWindowSplit)
        ->setStatusTip(
            QStringLiteral("Move the split between the panes with the arrow keys; Enter ends"));
    add(view, ID_VIEW_TOOLBAR);
    add(view, ID_VIEW_STATUS_BAR);
    add(view, ID_WINDOW_SPLIT);

    QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
    add(tools, ID_AUTOSET_ZERO_TIME);
    add(tools, ID_SET_ZERO_TIME);
    tools->addSeparator();
    add(tools, ID_SET_START_POINT);
    add(tools, ID_SET_END_POINT);
    tools->addSeparator();
    add(tools, ID_MATH_CHANNELS);
    add(tools, ID_SCATTER_PLOT);
    add(tools, ID_VIEW_CONFIGURATION);
    tools->addSeparator();
    add(tools, ID_UPGRADE_LOGFILES);

    QMenu* zoom = bar->addMenu(QStringLiteral("Zoom"));
    add(zoom, ID_ZOOM_IN);
    add(zoom, ID_ZOOM_OUT);
    add(zoom, ID_ZOOM_ALL);
    add(zoom, ID_ZOOM_LAST);
    zoom->addSeparator();
    add(zoom, ID_UPDATE_STATS);

    QMenu* comparison = bar->addMenu(QStringLiteral("Comparison"));
    add(comparison, ID_COMPARE_DATALOG);
    add(comparison, ID_CLOSE_COMPARISON);
    comparison->addSeparator();
    add(comparison, ID_COMPARISON_PROPERTIES);
    comparison->addSeparator();
    add(comparison, ID_COMPARISON_AUTOSET_ZERO_TIME);
    add(comparison, ID_COMPARISON_SET_ZERO_TIME);
    add(comparison, ID_NUDGE_LEFT);
    add(comparison, ID_NUDGE_RIGHT);

    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    add(help, ID_APP_ABOUT);

    for (QMenu* menu : bar->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CDataLogFrame::UpdateCommandUI);
}

void CDataLogFrame::RebuildRecentFileMenu() {
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const QStringList files = m_recentFiles.Files();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(QStringLiteral("Recent File"), this);
        placeholder->setData(ID_FILE_MRU_FILE1);
        placeholder->setEnabled(false);
        m_fileMenu->insertAction(m_recentAnchor, placeholder);
        m_recentActions.append(placeholder);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
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
#ifdef QUILLON_HAVE_CHART_VIEW
    s.chartView = true;
#endif
#ifdef QUILLON_HAVE_VALUES_VIEW
    s.valuesView = true;
#endif
    s.comparisonCommands = true;
    s.zeroTimeCommands = true;
    return s;
}

void CDataLogFrame::UpdateCommandUI() {
    const CommandState state = CurrentCommandState();
    for (auto& [id, action] : m_actions) {
        const bool enabled = IsCommandEnabled(id, state);
        if (action->isEnabled() != enabled) action->setEnabled(enabled);
    }
    if (m_toolbar) {
        const bool spin = IsCommandEnabled(ID_NUDGE_SPIN, state);
        if (m_toolbar->NudgeSpin()->isEnabled() != spin) m_toolbar->NudgeSpin()->setEnabled(spin);
    }
    if (m_statusBar) m_statusBar->Refresh(&m_doc);
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
    return name + QStringLiteral(" - ") + kAppTitle;
}

void CDataLogFrame::UpdateTitle() {
    setWindowTitle(TitleText());
}

bool CDataLogFrame::PromptAndOpen() {
    const QString path =
        chooseOpenFile(QStringLiteral("Open"), FromCorePath(m_prefs.GetDataLogFolder()),
                       kLogFilter + QStringLiteral(";;") + kAllFilesFilter);
    if (path.isEmpty()) return false;
    return OpenDocumentFile(path);
}

bool CDataLogFrame::OpenDocumentFile(const QString& path) {
    if (!SaveModified()) return false;
    const bool ok = RunWithProgress(QStringLiteral("Loading %1...").arg(QFileInfo(path).fileName()),
                                    [&](const ProgressCallback& progress) {
                                        return m_doc.OnOpenDocument(ToCorePath(path), progress);
                                    });
    if (ok) {
        m_hasOpenedLog = true;
        m_recentFiles.Add(
            FromCorePath(m_doc.GetPathName()).isEmpty() ? path : FromCorePath(m_doc.GetPathName()));
        RebuildRecentFileMenu();
    }
    UpdateTitle();
    UpdateCommandUI();
    return ok;
}

bool CDataLogFrame::RunWithProgress(const QString& label,
                                    const std::function<bool(const ProgressCallback&)>& work) {
    // The progress dialog lets events through while the document replaces its columns: the
    // panes must not paint from them and the idle refresh must not read them until the
    // document has announced the change.
    m_idleTimer->stop();
    centralWidget()->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] {
        centralWidget()->setUpdatesEnabled(true);
        m_idleTimer->start();
    });
    WaitCursor wait;
    QProgressDialog progress(label, QString(), 0, 1000, this);
    progress.setWindowTitle(kAppTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setValue(0);
    return work([&progress](int64_t done, int64_t total) {
        if (total > 0) progress.setValue(int(std::min<int64_t>(1000, done * 1000 / total)));
    });
}

bool CDataLogFrame::SaveModified() {
    if (!m_doc.IsModified()) return true;
    const QString path = FromCorePath(m_doc.GetPathName());
    const QString name = path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName();
    switch (askSaveChanges(QStringLiteral("Save changes to %1?").arg(name))) {
        case QMessageBox::Yes:
            return Save();
        case QMessageBox::No:
            return true;
        default:
            return false;
    }
}

bool CDataLogFrame::Save() {
    const QString path = FromCorePath(m_doc.GetPathName());
    if (path.isEmpty()) return SaveAs();
    std::string error;
    bool ok = false;
    {
        WaitCursor wait;
        ok = m_doc.OnSaveDocument(ToCorePath(path), &error);
    }
    if (!ok)
        m_doc.Prompt().Message("", error.empty() ? "There was an error saving the file" : error);
    UpdateTitle();
    return ok;
}

bool CDataLogFrame::SaveAs() {
    const QString current = FromCorePath(m_doc.GetPathName());
    QString path =
        chooseSaveFile(QStringLiteral("Save As"),
                       current.isEmpty() ? FromCorePath(m_prefs.GetDataLogFolder()) : current,
                       QStringLiteral("Brenmor Quillon Log Viewer Files (*.dl)"));
    if (path.isEmpty()) return false;
    // The log is always written uncompressed: a name that promised .dlz would not open again.
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("dlz"), Qt::CaseInsensitive) == 0)
        path.chop(1);
    else if (info.suffix().compare(QLatin1String("dl"), Qt::CaseInsensitive) != 0)
        path += QStringLiteral(".dl");
    std::string error;
    bool ok = false;
    {
        WaitCursor wait;
        ok = m_doc.OnSaveDocument(ToCorePath(path), &error);
    }
    if (!ok) {
        m_doc.Prompt().Message("", error.empty() ? "There was an error saving the file" : error);
        return false;
    }
    m_doc.SetPathName(ToCorePath(path));
    m_recentFiles.Add(path);
    RebuildRecentFileMenu();
    UpdateTitle();
    return true;
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
    event->accept();
}

void CDataLogFrame::OnAppAbout() {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("About Brenmor Quillon Log Viewer"),
                    QStringLiteral("Brenmor Quillon Log Viewer Version %1\n\n"
                                   "Strip chart, values, statistics and comparison of "
                                   "ECU datalogs.")
                        .arg(QCoreApplication::applicationVersion()),
                    QMessageBox::Ok, this);
    box.setIconPixmap(CToolbarImages::AppIcon().pixmap(64, 64));
    box.exec();
}

void CDataLogFrame::OnPendingCommand() {}

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
    QWidget* next = m_chartPane->isAncestorOf(focusWidget()) || focusWidget() == m_chartPane
                        ? m_valuesPane
                        : m_chartPane;
    next->setFocus(Qt::TabFocusReason);
}

void CDataLogFrame::OnPreviousPane() {
    OnNextPane();  // two panes: the previous one is the next one
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

// ---- zoom ---------------------------------------------------------------------------------

void CDataLogFrame::OnZoomIn() {
#ifdef QUILLON_HAVE_CHART_VIEW
    static_cast<CDataLogView*>(m_chartPane)->ZoomIn();
#endif
}

void CDataLogFrame::OnZoomOut() {
#ifdef QUILLON_HAVE_CHART_VIEW
    static_cast<CDataLogView*>(m_chartPane)->ZoomOut();
#endif
}

void CDataLogFrame::OnZoomAll() {
#ifdef QUILLON_HAVE_CHART_VIEW
    static_cast<CDataLogView*>(m_chartPane)->ZoomAll();
#endif
}

void CDataLogFrame::OnZoomLast() {
#ifdef QUILLON_HAVE_CHART_VIEW
    static_cast<CDataLogView*>(m_chartPane)->ZoomLast();
#endif
}

void CDataLogFrame::OnUpdateStats() {
#if defined(QUILLON_HAVE_CHART_VIEW) && defined(QUILLON_HAVE_VALUES_VIEW)
    // The values view converts the visible window with each log's own times.
    const auto* chart = static_cast<CDataLogView*>(m_chartPane);
    WaitCursor wait;
    static_cast<CDataLogValues*>(m_valuesPane)
        ->OnUpdateStats(chart->IsZoomed() ? std::optional(chart->VisibleWindow()) : std::nullopt);
#endif
}

// ---- comparison ---------------------------------------------------------------------------

void CDataLogFrame::OnCompareDataLog() {
    const QString chosen = chooseCompareFile(QStringLiteral("Choose Data Log to Compare"),
                                             FromCorePath(m_prefs.GetDataLogFolder()),
                                             QStringLiteral("KORA Datalog (*.dl *.dlz)"));
    if (chosen.isEmpty()) return;
    LoadComparison(ToCorePath(chosen));
}

bool CDataLogFrame::LoadComparison(const std::string& path) {
    const bool ok = RunWithProgress(
        QStringLiteral("Loading %1...").arg(QFileInfo(FromCorePath(path)).fileName()),
        [&](const ProgressCallback& progress) { return m_doc.LoadComparison(path, progress); });
    UpdateCommandUI();
    return ok;
}

void CDataLogFrame::OnCloseComparison() {
    m_doc.CloseComparison();
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

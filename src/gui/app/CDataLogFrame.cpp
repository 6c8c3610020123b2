#include "gui/app/CDataLogFrame.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QSettings>
#include <QSplitter>
#include <QTimer>

#include "Version.h"
#include "analysis/MathChannels.h"
#include "model/ChannelNaming.h"
#include "gui/common/AnsiText.h"
#include "gui/app/CDataLogStatusBar.h"
#include "gui/app/CDataLogToolbar.h"
#include "gui/app/CDlgKeyboardAndMouse.h"
#include "gui/common/CNudgeSpin.h"
#include "gui/common/CProgressWindow.h"
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
#include "platform/FileSystem.h"
#include "texts/UserTexts.h"
#include "gui/dialogs/CDataLogPropertySheet.h"
#include "gui/dialogs/CDlgDataLogAutoZero.h"
#include "gui/dialogs/CDlgDataLogAxisSetup.h"
#include "gui/dialogs/CDlgDataLogFileUpgrader.h"
#include "gui/dialogs/CDlgDataLogAlign.h"
#include "gui/dialogs/CDlgDataLogHistogram.h"
#include "gui/dialogs/CDlgDataLogRuns.h"
#include "gui/dialogs/CDlgDataLogMathChannelSetup.h"
#include "gui/dialogs/CDlgDataLogSetup.h"
#include "gui/dialogs/CDlgPlaceChannel.h"
#include "gui/dialogs/CDlgDataLogXAxisSetup.h"
#include "gui/dialogs/DataLogExport.h"
#include "gui/dialogs/PictureExport.h"
#include "gui/panes/CDataLogValues.h"

namespace quillon {

namespace {

// The pane sizes the window starts with.
constexpr int kValuesPaneWidth = 235;
constexpr int kValuesPaneHeight = 520;
constexpr int kChartPaneWidth = 400;
constexpr int kChartPaneHeight = 150;
// How often the window looks at the progress of work on a worker thread.
constexpr int kProgressPollMs = 40;

// The window's own state in the application's settings (not in the INI file of the preferences).
const QString kWindowGeometryKey = QStringLiteral("Window/Geometry");
const QString kWindowSplitterKey = QStringLiteral("Window/Splitter");

bool IsLogFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dl") || suffix == QLatin1String("dlz");
}

}  // namespace

// ---- construction -------------------------------------------------------------------------

CDataLogFrame::CDataLogFrame(CDataLogDoc& doc, CPrefs& prefs, CRecentFileList& recentFiles,
                             IPrompt& prompt, QWidget* parent)
    : QMainWindow(parent),
      m_doc(doc),
      m_prefs(prefs),
      m_recentFiles(recentFiles),
      m_prompt(prompt),
      m_flows(std::make_unique<DataLogFileFlows>(doc, prefs, prompt,
                                                 static_cast<IFileFlowsHost&>(*this))) {
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
    // Called on the thread that read them.
    m_doc.deviationsReady = [this] {
        QMetaObject::invokeMethod(this, &CDataLogFrame::TakeDeviations, Qt::QueuedConnection);
    };
    UpdateTitle();
    UpdateCommandUI();
}

CDataLogFrame::~CDataLogFrame() {
    if (m_splitTracking) qApp->removeEventFilter(this);
    DestroyModelessWindows();
    m_doc.destroyModelessWindows = nullptr;
    m_doc.logFileChanged = nullptr;
    m_doc.StopDeviations();
    m_doc.deviationsReady = nullptr;
    m_doc.RemoveView(this);
}

void CDataLogFrame::TakeDeviations() {
    // Work that lets events through while it replaces the document's columns finishes first.
    if (m_busy) {
        QTimer::singleShot(kProgressPollMs, this, &CDataLogFrame::TakeDeviations);
        return;
    }
    m_doc.TakeDeviations();
}

void CDataLogFrame::DestroyModelessWindows() {
    CDlgDataLogScatterPlot::Destroy(m_scatterPlot);
    CDlgDataLogHistogram::Destroy(m_histogram);
    CDlgDataLogRuns::Destroy(m_runs);
    // The properties sheets close without applying what they hold.
    for (QPointer<CDataLogPropertySheet>& sheet : m_propertySheets)
        delete sheet.data();
}

CDlgDataLogScatterPlot* CDataLogFrame::ScatterPlot() const {
    return m_scatterPlot;
}

void CDataLogFrame::OnScatterPlot() {
    CDlgDataLogScatterPlot::OpenOrRaise(m_scatterPlot, m_doc, m_prompt, this);
}

CDlgDataLogHistogram* CDataLogFrame::Histogram() const {
    return m_histogram;
}

void CDataLogFrame::OnHistogram() {
    CDlgDataLogHistogram::OpenOrRaise(m_histogram, m_doc, m_prompt, this);
}

CDlgDataLogRuns* CDataLogFrame::Runs() const {
    return m_runs;
}

void CDataLogFrame::OnFindRuns() {
    const bool fresh = !m_runs;
    CDlgDataLogRuns::OpenOrRaise(m_runs, m_doc, m_prompt, this);
    if (fresh) {
        m_runs->zoomToRun = [this](double from, double to) { m_chartPane->ZoomToWindow(from, to); };
        m_runs->loadComparison = [this](const std::string& path) { return LoadComparison(path); };
        m_runs->chooseComparison = [this] { OnCompareDataLog(); };
    }
}

void CDataLogFrame::OnAlignComparison() {
    CDlgDataLogAlign::Run(m_doc, this);
    UpdateCommandUI();
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
    // The difference figures follow the visible window.
    connect(m_chartPane, &CDataLogView::zoomRangeChanged, m_valuesPane,
            &CDataLogValues::RefreshDifferenceStats);
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
                toolbarItems.push_back(
                    {row.toolbarPosition, row.id, nullptr, QString::fromUtf8(row.tooltip)});
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
        if (row.kind == CommandKind::OpenPromptToggle) {
            action->setCheckable(true);
            action->setChecked(m_prefs.GetOpenPromptAtStart());
            connect(action, &QAction::toggled, this,
                    [this](bool on) { m_prefs.SetOpenPromptAtStart(on); });
        }
        m_actions[row.id] = action;
        if (row.toolbarPosition > 0)
            toolbarItems.push_back({row.toolbarPosition, row.id, action, {}});
        // Shortcuts of items that no menu or toolbar carries belong to the window.
        if (row.menu == CommandMenu::None && row.toolbarPosition == 0) addAction(action);
    }

    m_toolbar = new CDataLogToolbar(std::move(toolbarItems), this);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    connect(m_toolbar->NudgeSpin(), &CNudgeSpin::deltaPos, this, &CDataLogFrame::OnNudge);

    QMenuBar* bar = menuBar();
    const std::pair<CommandMenu, const char*> menus[] = {
        {CommandMenu::File, "&File"}, {CommandMenu::Edit, "&Edit"},
        {CommandMenu::View, "&View"}, {CommandMenu::Tools, "Tools"},
        {CommandMenu::Zoom, "Zoom"},  {CommandMenu::Comparison, "Comparison"},
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
    s.canUndo = m_doc.CanUndo();
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
    // The undo item names what it takes back; the title's mark shows unsaved changes of either
    // log.
    const QString undo = QString::fromUtf8(m_doc.UndoName().c_str());
    Action(ID_EDIT_UNDO)
        ->setText(undo.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo %1").arg(undo));
    setWindowModified(m_doc.IsModified() || m_doc.IsComparisonEdited());
}

bool CDataLogFrame::ExecuteCommand(int id) {
    UpdateCommandUI();
    if (id == ID_NUDGE_SPIN) return false;
    QAction* action = Action(id);
    if (!action || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

void CDataLogFrame::OnUpdate(IDataLogView* /*sender*/, DocumentChange change) {
    if (change == DocumentChange::LogChanged) UpdateTitle();
    UpdateCommandUI();
}

// ---- files --------------------------------------------------------------------------------

QString CDataLogFrame::TitleText() const {
    return FromCoreText(m_flows->DocumentName()) + QStringLiteral("[*] - ") +
           QString::fromUtf8(kAppTitle);
}

void CDataLogFrame::UpdateTitle() {
    setWindowTitle(TitleText());
}

bool CDataLogFrame::PromptAndOpen() {
    return AfterOpen(m_flows->Open());
}

bool CDataLogFrame::OpenDocumentFile(const std::string& path) {
    return AfterOpen(m_flows->OpenFile(path));
}

bool CDataLogFrame::OpenDocumentFile(const QString& path) {
    return OpenDocumentFile(ToCorePath(path));
}

bool CDataLogFrame::AfterOpen(bool opened) {
    UpdateTitle();
    UpdateCommandUI();
    return opened;
}

bool CDataLogFrame::Save() {
    const bool saved = m_flows->Save();
    UpdateTitle();
    return saved;
}

bool CDataLogFrame::SaveAs() {
    const bool saved = m_flows->SaveAs();
    UpdateTitle();
    return saved;
}

bool CDataLogFrame::LoadComparison(const std::string& path) {
    const bool loaded = m_flows->LoadComparison(path);
    UpdateCommandUI();
    return loaded;
}

Result CDataLogFrame::RunWithProgress(const std::string& label,
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
    m_progress->Begin(FromCoreText(label));
    const auto end = qScopeGuard([this] { m_progress->End(); });
    return work([this](int64_t done, int64_t total) { m_progress->Step(done, total); });
}

Result CDataLogFrame::RunCancellable(
    const std::string& label,
    const std::function<Result(const ProgressCallback&, const CancelCheck&)>& work) {
    // The work reads beside the document, which the window goes on painting from meanwhile.
    // Its progress and the Cancel button cross between the threads through atomics that a
    // timer looks at, so the window repaints, moves and stops the work at once.
    m_busy = true;
    m_working = true;
    const auto resume = qScopeGuard([this] {
        m_working = false;
        m_busy = false;
    });
    WaitCursor wait;
    m_progress->Begin(FromCoreText(label), true);
    const auto end = qScopeGuard([this] { m_progress->End(); });
    std::atomic<int64_t> done{0};
    std::atomic<int64_t> total{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    Result result;
    QEventLoop loop;
    std::thread worker([&] {
        result = work(
            [&](int64_t d, int64_t t) {
                total.store(t, std::memory_order_relaxed);
                done.store(d, std::memory_order_relaxed);
            },
            [&] { return stop.load(std::memory_order_relaxed); });
        finished.store(true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer poll;
    poll.setInterval(kProgressPollMs);
    bool inputLetThrough = false;
    const auto look = [&] {
        if (m_progress->Cancelled()) stop.store(true, std::memory_order_relaxed);
        // A question asked meanwhile (a log whose file changed) keeps the window away.
        const QWidget* modal = QApplication::activeModalWidget();
        const int64_t t = total.load(std::memory_order_relaxed);
        if (t > 0 && (!modal || modal == m_progress->Dialog()))
            m_progress->Step(done.load(std::memory_order_relaxed), t);
        // The loop runs again when the window has appeared or gone.
        if (finished.load() || inputLetThrough != (m_progress->Dialog() != nullptr)) loop.quit();
    };
    connect(&poll, &QTimer::timeout, &loop, look);
    poll.start();
    // While the window is not shown the user's input waits, as it would for work on this
    // thread: once it shows, it keeps the input from the rest of the window itself.
    while (!finished.load()) {
        inputLetThrough = m_progress->Dialog() != nullptr;
        loop.exec(inputLetThrough ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    poll.stop();
    worker.join();
    // A stop asked for after the work's last look still keeps what was there.
    if (result.ok() && m_progress->Cancelled())
        result = Result::Failure(ErrorKind::Cancelled, Cause::None);
    return result;
}

// The recent-file list keeps Qt paths in the application's settings: the paths of the flows
// cross over here.
std::string CDataLogFrame::LastOpenFolder() {
    return ToCorePath(m_recentFiles.LastOpenFolder());
}

void CDataLogFrame::SetLastOpenFolder(const std::string& folder) {
    m_recentFiles.SetLastOpenFolder(FromCorePath(folder));
}

void CDataLogFrame::AddRecentFile(const std::string& path) {
    m_recentFiles.Add(FromCorePath(path));
    RebuildRecentFileMenu();
}

std::string CDataLogFrame::RunConverter(const std::string& path) {
    // The upgrader opens with the refused log and converts it at once; its lines stay readable
    // until the user closes it.
    CDlgDataLogFileUpgrader dialog(m_prompt, this);
    std::vector<std::string> converted;
    QTimer::singleShot(0, &dialog, [&] { converted = dialog.ConvertFiles({path}); });
    dialog.exec();
    if (converted.size() != 1) return {};
    const std::string question =
        "Open the converted log " + fs::FileNameOf(converted.front()) + "?";
    if (m_prompt.Question("Logfile Upgrader", question) != PromptAnswer::Yes) return {};
    return converted.front();
}

void CDataLogFrame::OnFileNew() {
    if (!m_flows->New()) return;
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
    // Work on a worker thread refers to this window until it is over.
    if (m_working) {
        event->ignore();
        return;
    }
    if (!m_flows->Close()) {
        UpdateTitle();
        event->ignore();
        return;
    }
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
    auto* sheet =
        CDataLogPropertySheet::OpenOrRaise(m_propertySheets[0], m_doc, m_prefs, false, this);
    // The title's mark and the undo item follow the sheet's OK.
    connect(sheet, &QDialog::accepted, this, &CDataLogFrame::UpdateCommandUI, Qt::UniqueConnection);
}

void CDataLogFrame::OnComparisonProperties() {
    if (!m_doc.IsComparisonLoaded()) return;
    auto* sheet =
        CDataLogPropertySheet::OpenOrRaise(m_propertySheets[1], m_doc, m_prefs, true, this);
    connect(sheet, &QDialog::accepted, this, &CDataLogFrame::UpdateCommandUI, Qt::UniqueConnection);
}

void CDataLogFrame::OnEditUndo() {
    WaitCursor wait;
    m_doc.Undo();
    UpdateCommandUI();
}

void CDataLogFrame::OnNextView() {
    WaitCursor wait;
    m_valuesPane->StepView(1);
    UpdateCommandUI();
}

void CDataLogFrame::OnPreviousView() {
    WaitCursor wait;
    m_valuesPane->StepView(-1);
    UpdateCommandUI();
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

// The dialogs hand their blocks back to the document on OK and tell every view (ShownDataChanged).
void CDataLogFrame::OnMathChannels() {
    const auto before = m_doc.Config().math;
    if (!CDlgDataLogMathChannelSetup::Run(m_doc, m_prefs, m_prompt, this)) return;
    // A math channel defined or changed just now that no view shows would appear nowhere: the
    // first such one is offered for the current view.
    const GraphConfiguration& config = m_doc.Config();
    for (int i = 0; i < kMathChannelCount; ++i) {
        const MathChannelDefinition& now = config.math[size_t(i)];
        const MathChannelDefinition& was = before[size_t(i)];
        if (MathChannelFormula(now).empty() ||
            (MathChannelFormula(now) == MathChannelFormula(was) &&
             MathChannelName(now) == MathChannelName(was)))
            continue;
        const uint32_t channel = uint32_t(kFirstMathChannel + i);
        const bool shown =
            std::any_of(config.views.begin(), config.views.end(), [&](const auto& v) {
                return std::any_of(v.entries.begin(), v.entries.end(),
                                   [&](const GraphViewEntry& e) { return e.channel == channel; });
            });
        if (!shown) OfferChannelForCurrentView(channel, FromAnsi(MathChannelName(now)));
        return;
    }
}

void CDataLogFrame::OfferChannelForCurrentView(uint32_t channel, const QString& name) {
    GraphView& view = m_doc.Config().views[size_t(m_doc.GetCurrentView())];
    QStringList entries;
    int suggested = -1;
    for (int k = 0; k < kViewEntryCount; ++k) {
        const uint32_t c = view.entries[size_t(k)].channel;
        QString text = QStringLiteral("Entry %1: ").arg(k + 1);
        if (IsValidChannelNumber(c) && m_doc.HasLog()) {
            text += FromAnsi(GetChannelName(m_doc.Main().config, int(c)));
        } else if (IsValidChannelNumber(c)) {
            text += QStringLiteral("channel %1").arg(c);
        } else {
            text += QStringLiteral("(empty)");
            if (suggested < 0) suggested = k;
        }
        entries << text;
    }
    QString title = FromAnsi(GraphViewTitle(view));
    if (title.isEmpty()) title = QStringLiteral("View #%1").arg(m_doc.GetCurrentView() + 1);
    CDlgPlaceChannel dialog(name, title, entries, suggested < 0 ? kViewEntryCount - 1 : suggested,
                            this);
    if (dialog.exec() != QDialog::Accepted) return;
    GraphViewEntry& entry = view.entries[size_t(dialog.Entry())];
    entry.channel = channel;
    entry.graph = 1;
    m_doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
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
    if (ChartPicture::SvgAvailable())
        mime->setData(QStringLiteral("image/svg+xml"),
                      ChartPicture::Encode(*m_chartPane, PictureFormat::Svg, size));
    QGuiApplication::clipboard()->setMimeData(mime);
    statusBar()->showMessage(QStringLiteral("The chart's picture was copied to the clipboard"),
                             5000);
}

void CDataLogFrame::OnAxisSetup(int entry) {
    // The chart refills its data and the values pane its rows.
    if (CDlgDataLogAxisSetup::Run(m_doc, entry, this))
        m_doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
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
    m_flows->Compare();
    UpdateCommandUI();
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
    UpdateCommandUI();
}

void CDataLogFrame::OnNudgeLeft() {
    m_doc.NudgeComparison(-1);
    UpdateCommandUI();
}

void CDataLogFrame::OnNudgeRight() {
    m_doc.NudgeComparison(+1);
    UpdateCommandUI();
}

// ---- drag and drop ------------------------------------------------------------------------

void CDataLogFrame::dragEnterEvent(QDragEnterEvent* event) {
    // A log dropped while another loads would open inside that load.
    if (m_working) return event->ignore();
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

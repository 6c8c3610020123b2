#include "gui/common/ToolWindow.h"
#include "gui/dialogs/CDlgDataLogRuns.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "document/CDataLogDoc.h"
#include "document/DataLogFileFlows.h"
#include "document/Prompt.h"
#include "gui/common/AnsiText.h"
#include "gui/common/CChannelPicker.h"
#include "gui/common/TextConversion.h"
#include "model/ChannelNaming.h"
#include "model/ZeroTime.h"
#include "platform/FileSystem.h"
#include "texts/FailureText.h"

namespace quillon {

namespace {

constexpr int kDefaultChannel = 30;  // TPS
constexpr float kDefaultStart = 90.0f;
constexpr float kDefaultEnd = 20.0f;
constexpr int kDefaultMax = 2;  // RPM
constexpr int kRunRole = Qt::UserRole + 1;

/// A table cell that sorts by the number it shows, not by its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const double a = data(Qt::UserRole).toDouble();
        const double b = other.data(Qt::UserRole).toDouble();
        // Cells without a number sort first.
        if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && !std::isnan(b);
        return a < b;
    }
};

QTableWidget* RunTable(QWidget* parent) {
    auto* table = new QTableWidget(0, 4, parent);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    // In the log's order until the user sorts by another column.
    table->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    table->setSortingEnabled(true);
    return table;
}

int RunOfTableRow(const QTableWidget* table, const std::vector<Run>& runs, int row) {
    const QTableWidgetItem* item = table->item(row, 0);
    if (!item) return -1;
    const int run = item->data(kRunRole).toInt();
    return run >= 0 && run < int(runs.size()) ? run : -1;
}

QString RunCount(size_t count) {
    return count == 1 ? QStringLiteral("1 run") : QStringLiteral("%1 runs").arg(count);
}

QDoubleSpinBox* NumberField(QWidget* parent, double lowest) {
    auto* field = new QDoubleSpinBox(parent);
    field->setRange(lowest, 1e7);
    field->setDecimals(2);
    field->setKeyboardTracking(false);  // searched again when the typing ends, not per digit
    field->setMinimumWidth(90);
    return field;
}

}  // namespace

CDlgDataLogRuns::CDlgDataLogRuns(CDataLogDoc& doc, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Find Runs"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), this); };
    const LogData& log = m_doc.Main();
    constexpr auto kFirst = CChannelPicker::Missing::FirstItem;
    const char* const titles[] = {"Starts when", "Ends when"};
    ConditionFields* fields[] = {&m_start, &m_end};
    for (int row = 0; row < 2; ++row) {
        ConditionFields& f = *fields[row];
        f.combo = new CChannelPicker(this);
        f.combo->Fill(log, kDefaultChannel, false, kFirst);
        f.is = new QComboBox(this);
        f.is->addItems({QStringLiteral("<"), QStringLiteral(">")});
        f.is->setCurrentIndex(row == 0 ? int(kAutoZeroGreaterThan) : int(kAutoZeroLessThan));
        f.value = NumberField(this, -1e7);
        f.value->setValue(row == 0 ? kDefaultStart : kDefaultEnd);
        grid->addWidget(label(titles[row]), row, 0);
        grid->addWidget(f.combo, row, 1);
        grid->addWidget(f.is, row, 2);
        grid->addWidget(f.value, row, 3);
    }
    m_minDuration = NumberField(this, 0.0);
    m_minDuration->setSuffix(QStringLiteral(" s"));
    m_minDuration->setToolTip(QStringLiteral("Shorter runs are not listed"));
    m_maxCombo = new CChannelPicker(this);
    m_maxCombo->Fill(log, kDefaultMax, false, kFirst);
    grid->addWidget(label("Lasting at least"), 2, 0);
    grid->addWidget(m_minDuration, 2, 1);
    grid->addWidget(label("Maximum of"), 3, 0);
    grid->addWidget(m_maxCombo, 3, 1);
    grid->setColumnStretch(1, 1);

    m_mainTitle = new QLabel(this);
    m_table = RunTable(this);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setToolTip(QStringLiteral("Double-click a run to zoom the chart to it"));
    m_comparisonTitle = new QLabel(this);
    m_comparisonTitle->setWordWrap(true);
    m_loadAnother = new QPushButton(QStringLiteral("Load Another Log..."), this);
    m_loadAnother->setToolTip(QStringLiteral("Loads another log as the comparison"));
    m_comparisonTable = RunTable(this);
    m_comparisonTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_comparisonTable->setToolTip(
        QStringLiteral("Select a run here and one of the main log, then Line Up Runs"));
    auto* comparisonHeading = new QHBoxLayout;
    comparisonHeading->addWidget(m_comparisonTitle, 1);
    comparisonHeading->addWidget(m_loadAnother);

    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_useAsComparison = new QPushButton(QStringLiteral("Use as Comparison"), this);
    m_useAsComparison->setToolTip(
        QStringLiteral("With two runs selected (Ctrl+click), the log is loaded again as the "
                       "comparison and shifted so that the run clicked last starts where the "
                       "other one starts"));
    m_lineUp = new QPushButton(QStringLiteral("Line Up Runs"), this);
    m_lineUp->setToolTip(
        QStringLiteral("With a run selected in each table, the comparison is shifted so that its "
                       "run starts where the main log's run starts"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_useAsComparison);
    buttons->addWidget(m_lineUp);
    buttons->addWidget(close);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(m_mainTitle);
    column->addWidget(m_table, 3);
    column->addLayout(comparisonHeading);
    column->addWidget(m_comparisonTable, 2);
    column->addLayout(buttons);
    resize(620, 560);

    auto find = [this] { Find(); };
    for (ConditionFields* f : fields) {
        connect(f->combo, &CChannelPicker::channelPicked, this, find);
        connect(f->is, &QComboBox::currentIndexChanged, this, find);
        connect(f->value, &QDoubleSpinBox::valueChanged, this, find);
    }
    connect(m_minDuration, &QDoubleSpinBox::valueChanged, this, find);
    connect(m_maxCombo, &CChannelPicker::channelPicked, this, find);
    connect(m_table, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { ZoomToRow(row); });
    connect(m_comparisonTable, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        const int run = ComparisonRunOfRow(row);
        if (run < 0 || !zoomToRun) return;
        const Run& r = m_comparisonRuns[size_t(run)];
        zoomToRun(double(r.start), r.end > r.start ? double(r.end) : double(r.start) + 0.1);
    });
    for (QTableWidget* table : {m_table, m_comparisonTable})
        connect(table, &QTableWidget::itemSelectionChanged, this, &CDlgDataLogRuns::UpdateButtons);
    connect(m_useAsComparison, &QPushButton::clicked, this, &CDlgDataLogRuns::UseAsComparison);
    connect(m_lineUp, &QPushButton::clicked, this, &CDlgDataLogRuns::LineUpRuns);
    connect(m_loadAnother, &QPushButton::clicked, this, &CDlgDataLogRuns::LoadAnotherLog);
    connect(close, &QPushButton::clicked, this, &CDlgDataLogRuns::reject);

    m_settingUp = false;
    Find();
    m_doc.AddView(this);
}

CDlgDataLogRuns::~CDlgDataLogRuns() {
    m_doc.RemoveView(this);
}

CDlgDataLogRuns* CDlgDataLogRuns::OpenOrRaise(QPointer<CDlgDataLogRuns>& window, CDataLogDoc& doc,
                                              IPrompt& prompt, QWidget* parent) {
    return ShowToolWindow(window, [&] { return new CDlgDataLogRuns(doc, prompt, parent); });
}

void CDlgDataLogRuns::Destroy(QPointer<CDlgDataLogRuns>& window) {
    delete window.data();
}

void CDlgDataLogRuns::reject() {
    QDialog::reject();
    deleteLater();
}

void CDlgDataLogRuns::OnUpdate(IDataLogView*, DocumentChange change) {
    if (change == DocumentChange::LogChanged)
        Find();
    else if (change == DocumentChange::ShownDataChanged)
        UpdateComparisonTimes();
}

RunCondition CDlgDataLogRuns::ConditionOf(const ConditionFields& fields) const {
    RunCondition c;
    c.channel = fields.combo->Channel();
    c.condition = fields.is->currentIndex() == 1 ? kAutoZeroGreaterThan : kAutoZeroLessThan;
    c.value = float(fields.value->value());
    return c;
}

void CDlgDataLogRuns::Find() {
    if (m_settingUp) return;
    RunSearch search;
    search.start = ConditionOf(m_start);
    search.end = ConditionOf(m_end);
    search.minDuration = float(m_minDuration->value());
    search.maxChannel = m_maxCombo->Channel();
    Result found = FindRuns(m_doc.Main(), search, m_runs);
    ShowRuns(m_table, m_runs, m_doc.Main());
    m_comparisonRuns.clear();
    if (found && m_doc.IsComparisonLoaded())
        found = FindRuns(m_doc.Comparison(), search, m_comparisonRuns);
    ShowRuns(m_comparisonTable, m_comparisonRuns, m_doc.Comparison());
    ShowComparisonTitle();
    if (!found) {
        m_status->setText(QString::fromStdString(FailureText(found)));
        // A log whose file can no longer be read is closed, as the chart does it.
        m_doc.NoteBrokenStore();
        return;
    }
    QString text = RunCount(m_runs.size());
    if (!m_runs.empty() && !m_runs.back().endFound)
        text += QStringLiteral("; the last reaches the log's end");
    m_status->setText(text);
}

void CDlgDataLogRuns::ShowComparisonTitle() {
    const std::string& main = m_doc.GetPathName();
    m_mainTitle->setText(QStringLiteral("Runs of the main log%1:")
                             .arg(main.empty()
                                      ? QString()
                                      : QStringLiteral(", ") + FromCorePath(fs::FileNameOf(main))));
    const bool loaded = m_doc.IsComparisonLoaded();
    m_comparisonTable->setEnabled(loaded);
    if (!loaded) {
        m_comparisonTitle->setText(
            QStringLiteral("No comparison log: load one to line its runs up with these."));
        return;
    }
    QString text = QStringLiteral("Runs of the comparison log, %1: %2")
                       .arg(FromCorePath(fs::FileNameOf(m_doc.GetComparisonPathName())),
                            RunCount(m_comparisonRuns.size()));
    if (!m_comparisonRuns.empty() && !m_comparisonRuns.back().endFound)
        text += QStringLiteral("; the last reaches the log's end");
    m_comparisonTitle->setText(text);
}

void CDlgDataLogRuns::UpdateComparisonTimes() {
    if (!m_doc.IsComparisonLoaded() || m_comparisonRuns.empty()) return;
    const LogData& log = m_doc.Comparison();
    const float* time = log.values[0].data();
    for (Run& run : m_comparisonRuns) {
        if (run.lastFrame >= log.frameCount) return;  // the log changed: a LogChanged follows
        run.start = time[run.firstFrame];
        run.end = time[run.lastFrame];
    }
    m_comparisonTable->setSortingEnabled(false);
    for (int row = 0; row < m_comparisonTable->rowCount(); ++row) {
        const int run = ComparisonRunOfRow(row);
        QTableWidgetItem* cell = m_comparisonTable->item(row, 1);
        if (run < 0 || !cell) continue;
        const float start = m_comparisonRuns[size_t(run)].start;
        cell->setText(QString::number(double(start), 'f', 3));
        cell->setData(Qt::UserRole, start);
    }
    m_comparisonTable->setSortingEnabled(true);
}

void CDlgDataLogRuns::ShowRuns(QTableWidget* table, const std::vector<Run>& runs,
                               const LogData& log) {
    const int maxChannel = m_maxCombo->Channel();
    const QString maxName =
        maxChannel > 0 ? FromAnsi(GetChannelName(log.config, maxChannel)) : QString();
    const std::string format = NumberFormatOf(GetChannelValueFormat(log.config, maxChannel));
    table->setSortingEnabled(false);
    table->clearContents();
    table->setRowCount(int(runs.size()));
    table->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Start (s)"),
                                      QStringLiteral("Duration (s)"),
                                      QStringLiteral("Max %1").arg(maxName)});
    for (int i = 0; i < int(runs.size()); ++i) {
        const Run& run = runs[size_t(i)];
        auto* number = new NumberItem(QString::number(i + 1), i + 1);
        number->setData(kRunRole, i);
        QTableWidgetItem* cells[] = {
            number, new NumberItem(QString::number(double(run.start), 'f', 3), run.start),
            new NumberItem(QString::number(run.duration, 'f', 3), run.duration),
            new NumberItem(FromAnsi(FormatValue(format, run.maximum)), run.maximum)};
        for (int col = 0; col < 4; ++col) {
            if (!run.endFound) {
                cells[col]->setToolTip(QStringLiteral("The log ends before the end condition"));
                QFont font = cells[col]->font();
                font.setItalic(true);
                cells[col]->setFont(font);
            }
            table->setItem(i, col, cells[col]);
        }
    }
    table->setSortingEnabled(true);
    UpdateButtons();
}

int CDlgDataLogRuns::RunOfRow(int row) const {
    return RunOfTableRow(m_table, m_runs, row);
}

int CDlgDataLogRuns::ComparisonRunOfRow(int row) const {
    return RunOfTableRow(m_comparisonTable, m_comparisonRuns, row);
}

void CDlgDataLogRuns::UpdateButtons() {
    const qsizetype rows = m_table->selectionModel()->selectedRows().size();
    m_useAsComparison->setEnabled(rows == 2 && !m_doc.GetPathName().empty());
    m_lineUp->setEnabled(rows == 1 && m_doc.IsComparisonLoaded() &&
                         m_comparisonTable->selectionModel()->selectedRows().size() == 1);
}

void CDlgDataLogRuns::ZoomToRow(int row) {
    const int run = RunOfRow(row);
    if (run < 0 || !zoomToRun) return;
    const Run& r = m_runs[size_t(run)];
    // A run of a single frame still shows a little around it.
    const double end = r.end > r.start ? double(r.end) : double(r.start) + 0.1;
    zoomToRun(double(r.start), end);
}

void CDlgDataLogRuns::UseAsComparison() {
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.size() != 2) return;
    // The row clicked last becomes the comparison; the other stays where it is.
    const int current = m_table->currentRow();
    const int movedRow = rows[0].row() == current ? rows[0].row() : rows[1].row();
    const int fixedRow = movedRow == rows[0].row() ? rows[1].row() : rows[0].row();
    const int movedRun = RunOfRow(movedRow), fixedRun = RunOfRow(fixedRow);
    if (movedRun < 0 || fixedRun < 0) return;
    const Run moved = m_runs[size_t(movedRun)];
    const Run fixed = m_runs[size_t(fixedRun)];
    LogData& main = m_doc.Main();
    // The moved run's start as a timestamp of the file, which the comparison reads afresh
    // whatever was cropped or re-timed in the main log since it was opened.
    const int64_t startStamp = int64_t(main.firstTimestamp) + FrameOffsetMs(main, moved.firstFrame);
    if (!LoadComparisonFile(m_doc.GetPathName()) || !m_doc.IsComparisonLoaded()) return;
    const LogData& comparison = m_doc.Comparison();
    const double startThere = double(startStamp - int64_t(comparison.firstTimestamp)) / 1000.0 -
                              double(comparison.header.Get(DataLogHeader::zeroTime));
    m_doc.ShiftComparison(float(double(fixed.start) - startThere), "Line Up Runs");
    // The comparison is the main log's own file: closing it must not offer to write the shift
    // into that file, under the main log read from it. Later nudges mark it edited as ever.
    m_doc.SetComparisonEdited(false);
    ZoomToLinedUp(fixed, moved);
}

void CDlgDataLogRuns::LineUpRuns() {
    const QModelIndexList mainRows = m_table->selectionModel()->selectedRows();
    const QModelIndexList comparisonRows = m_comparisonTable->selectionModel()->selectedRows();
    if (mainRows.size() != 1 || comparisonRows.size() != 1 || !m_doc.IsComparisonLoaded()) return;
    const int fixedRun = RunOfRow(mainRows[0].row());
    const int movedRun = ComparisonRunOfRow(comparisonRows[0].row());
    if (fixedRun < 0 || movedRun < 0) return;
    const Run fixed = m_runs[size_t(fixedRun)];
    const Run moved = m_comparisonRuns[size_t(movedRun)];
    // Both starts as the chart shows them now: the main log's time axis and the comparison's
    // own, with the shifts it has had.
    const LogData& comparison = m_doc.Comparison();
    if (moved.firstFrame >= comparison.frameCount) return;
    const double startThere = double(comparison.values[0][size_t(moved.firstFrame)]);
    m_doc.ShiftComparison(float(double(fixed.start) - startThere), "Line Up Runs");
    ZoomToLinedUp(fixed, moved);
}

void CDlgDataLogRuns::ZoomToLinedUp(const Run& fixed, const Run& moved) const {
    if (zoomToRun)
        zoomToRun(double(fixed.start),
                  double(fixed.start) + std::max({fixed.duration, moved.duration, 0.1}));
}

void CDlgDataLogRuns::LoadAnotherLog() {
    if (chooseComparison) {
        chooseComparison();
        return;
    }
    const std::string path = m_prompt.OpenFileName(CompareFileRequest(m_doc.Prefs()));
    if (!path.empty()) LoadComparisonFile(path);
}

bool CDlgDataLogRuns::LoadComparisonFile(const std::string& path) {
    if (loadComparison) return loadComparison(path);
    const Result r = m_doc.LoadComparison(path);
    if (!r) m_prompt.ShowFailure(r);
    return r.ok();
}

}  // namespace quillon

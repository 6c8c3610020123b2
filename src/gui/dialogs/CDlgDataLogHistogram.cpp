#include "gui/dialogs/CDlgDataLogHistogram.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/common/AnsiText.h"
#include "gui/common/CChannelPicker.h"
#include "gui/common/NumericFormat.h"
#include "gui/common/TablePicture.h"
#include "platform/AtomicFile.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "format/DataLogFrame.h"
#include "document/Prompt.h"
#include "gui/dialogs/PictureExport.h"
#include "texts/FailureText.h"

namespace quillon {

namespace {

constexpr int kDefaultX = 2;        // RPM
constexpr int kDefaultY = 29;       // MAP
constexpr int kDefaultZ = 9;        // AFR Average
constexpr int kDefaultFilter = 30;  // TPS
constexpr int kDefaultBins = 16;

const char* const kFunctionNames[] = {"Average", "Minimum", "Maximum", "Count",
                                      "Standard Deviation"};

QDoubleSpinBox* NumberField(QWidget* parent) {
    auto* field = new QDoubleSpinBox(parent);
    field->setRange(-1e9, 1e9);
    field->setDecimals(3);
    field->setKeyboardTracking(false);  // binned again when the typing ends, not per digit
    field->setMinimumWidth(80);
    return field;
}

/// Pale colours from blue (lowest) through green to red (highest), light enough for black text.
QColor Shade(double fraction) {
    const double f = std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0);
    return QColor::fromHsv(int(std::lround(240.0 * (1.0 - f))), 110, 255);
}

}  // namespace

CDlgDataLogHistogram::CDlgDataLogHistogram(CDataLogDoc& doc, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Histogram and Table"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A dialog-type window stays above its owner under a window manager; it keeps the buttons
    // of a main window.
    setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    auto* band = new QWidget(this);
    auto* grid = new QGridLayout(band);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto label = [band](const char* text) { return new QLabel(QString::fromLatin1(text), band); };

    const char* const axisLabels[] = {"X Axis:", "Y Axis:"};
    for (int a = 0; a < 2; ++a) {
        Axis& axis = m_axis[a];
        axis.combo = new CChannelPicker(band);
        axis.from = NumberField(band);
        axis.to = NumberField(band);
        axis.step = NumberField(band);
        axis.step->setMinimum(0.0);
        axis.edges = new QLineEdit(band);
        axis.edges->setPlaceholderText(QStringLiteral("or typed edges: 500 1000 1500 ..."));
        axis.edges->setMinimumWidth(160);
        grid->addWidget(label(axisLabels[a]), a, 0);
        grid->addWidget(axis.combo, a, 1);
        grid->addWidget(label("From:"), a, 2);
        grid->addWidget(axis.from, a, 3);
        grid->addWidget(label("To:"), a, 4);
        grid->addWidget(axis.to, a, 5);
        grid->addWidget(label("Step:"), a, 6);
        grid->addWidget(axis.step, a, 7);
        grid->addWidget(axis.edges, a, 8);
    }

    m_zCombo = new CChannelPicker(band);
    m_functionCombo = new QComboBox(band);
    for (const char* name : kFunctionNames)
        m_functionCombo->addItem(QString::fromLatin1(name));
    grid->addWidget(label("Value:"), 2, 0);
    grid->addWidget(m_zCombo, 2, 1);
    grid->addWidget(label("Function:"), 2, 2);
    grid->addWidget(m_functionCombo, 2, 3, 1, 3);

    m_filterCombo = new CChannelPicker(band);
    m_filterCheck = new QCheckBox(QStringLiteral("Filter Data"), band);
    m_lower = NumberField(band);
    m_upper = NumberField(band);
    grid->addWidget(label("Filter:"), 3, 0);
    grid->addWidget(m_filterCombo, 3, 1);
    grid->addWidget(m_filterCheck, 3, 2, 1, 2);
    grid->addWidget(m_lower, 3, 4, 1, 2);
    grid->addWidget(m_upper, 3, 6, 1, 2);
    m_selectedCheck = new QCheckBox(QStringLiteral("Selected frames only"), band);
    m_selectedCheck->setToolTip(
        QStringLiteral("Only the frames selected with a Shift box in the scatter plot"));
    grid->addWidget(m_selectedCheck, 3, 8);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(8, 1);

    auto* buttons = new QHBoxLayout;
    m_status = new QLabel(band);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_copy = new QPushButton(QStringLiteral("Copy"), band);
    m_copy->setToolTip(QStringLiteral("Copy the grid as tab-separated text (Ctrl+C)"));
    m_export = new QPushButton(QStringLiteral("Export CSV..."), band);
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_copy);
    buttons->addWidget(m_export);
    m_picture = new QPushButton(QStringLiteral("Export Picture..."), band);
    m_picture->setToolTip(QStringLiteral("Save the grid as a PNG, SVG or PDF file"));
    buttons->addWidget(m_picture);
    grid->addLayout(buttons, 4, 0, 1, 9);

    m_grid = new QTableWidget(this);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->setMouseTracking(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(band);
    column->addWidget(m_grid, 1);
    resize(1040, 640);

    // A default channel that the log lacks leaves a picker on its first item (Y's: "(none)").
    const LogData& log = m_doc.Main();
    constexpr auto kFirst = CChannelPicker::Missing::FirstItem;
    m_axis[0].combo->Fill(log, kDefaultX, false, kFirst);
    m_axis[1].combo->Fill(log, kDefaultY, true, kFirst);
    m_zCombo->Fill(log, kDefaultZ, false, kFirst);
    m_filterCombo->Fill(log, kDefaultFilter, false, kFirst);
    for (Axis& axis : m_axis)
        SetUpRange(axis);
    SetUpBounds();

    auto rebuild = [this] { Rebuild(); };
    for (Axis& axis : m_axis) {
        Axis* a = &axis;
        connect(axis.combo, &CChannelPicker::channelPicked, this, [this, a] {
            if (m_settingUp) return;
            m_settingUp = true;
            SetUpRange(*a);
            m_settingUp = false;
            Rebuild();
        });
        for (QDoubleSpinBox* field : {axis.from, axis.to, axis.step})
            connect(field, &QDoubleSpinBox::valueChanged, this, rebuild);
        connect(axis.edges, &QLineEdit::editingFinished, this, rebuild);
    }
    connect(m_zCombo, &CChannelPicker::channelPicked, this, rebuild);
    connect(m_functionCombo, &QComboBox::currentIndexChanged, this, rebuild);
    connect(m_filterCombo, &CChannelPicker::channelPicked, this, [this] {
        if (m_settingUp) return;
        m_settingUp = true;
        SetUpBounds();
        m_settingUp = false;
        Rebuild();
    });
    connect(m_filterCheck, &QCheckBox::toggled, this, rebuild);
    connect(m_selectedCheck, &QCheckBox::toggled, this, rebuild);
    FollowSelection();
    for (QDoubleSpinBox* field : {m_lower, m_upper})
        connect(field, &QDoubleSpinBox::valueChanged, this, [this] {
            if (m_filterCheck->isChecked()) Rebuild();
        });
    connect(m_copy, &QPushButton::clicked, this, &CDlgDataLogHistogram::CopyToClipboard);
    connect(m_export, &QPushButton::clicked, this, &CDlgDataLogHistogram::OnExportCsv);
    connect(m_picture, &QPushButton::clicked, this, &CDlgDataLogHistogram::OnExportPicture);
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, &CDlgDataLogHistogram::CopyToClipboard);

    m_settingUp = false;
    Rebuild();
    m_doc.AddView(this);
}

CDlgDataLogHistogram::~CDlgDataLogHistogram() {
    m_doc.RemoveView(this);
}

CDlgDataLogHistogram* CDlgDataLogHistogram::OpenOrRaise(QPointer<CDlgDataLogHistogram>& window,
                                                        CDataLogDoc& doc, IPrompt& prompt,
                                                        QWidget* parent) {
    if (!window) window = new CDlgDataLogHistogram(doc, prompt, parent);
    // A window minimised or hidden behind others comes back as it was.
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CDlgDataLogHistogram::Destroy(QPointer<CDlgDataLogHistogram>& window) {
    delete window.data();
}

void CDlgDataLogHistogram::reject() {
    QDialog::reject();
    deleteLater();
}

void CDlgDataLogHistogram::OnUpdate(IDataLogView*, DocumentChange change) {
    if (change != DocumentChange::LogChanged && change != DocumentChange::SelectionChanged) return;
    const bool restricted = m_selectedCheck->isChecked();
    FollowSelection();
    if (change == DocumentChange::LogChanged || restricted) Rebuild();
}

void CDlgDataLogHistogram::FollowSelection() {
    const QSignalBlocker block(m_selectedCheck);
    m_selectedCheck->setEnabled(m_doc.HasSelection());
    if (!m_doc.HasSelection()) m_selectedCheck->setChecked(false);
}

void CDlgDataLogHistogram::SetUpRange(Axis& axis) {
    const int c = axis.combo->Channel();
    const bool used = c >= 1 && c <= kSlotCount;
    for (QWidget* w : {static_cast<QWidget*>(axis.from), static_cast<QWidget*>(axis.to),
                       static_cast<QWidget*>(axis.step), static_cast<QWidget*>(axis.edges)})
        w->setEnabled(used);
    if (!used) return;
    // The range the log really covers, in round steps; a channel without frames falls back to
    // its default axis range.
    const LogData& log = m_doc.Main();
    const ChannelStats& stats = log.stats[size_t(c - 1)];
    double lo = stats.minimum, hi = stats.maximum;
    if (log.Empty() || !std::isfinite(lo) || !std::isfinite(hi) || hi < lo || lo <= kNoValue) {
        lo = GetChannelMin(log, c);
        hi = GetChannelMax(log, c);
    }
    const ChannelTable::Range range = ChannelTable::NiceRange(lo, hi, kDefaultBins);
    const QSignalBlocker b1(axis.from), b2(axis.to), b3(axis.step);
    axis.from->setValue(range.from);
    axis.to->setValue(range.to);
    axis.step->setValue(range.step);
    axis.edges->clear();
}

void CDlgDataLogHistogram::SetUpBounds() {
    const LogData& log = m_doc.Main();
    const int c = m_filterCombo->Channel();
    if (c < 1 || c > kSlotCount) return;
    const QSignalBlocker b1(m_lower), b2(m_upper);
    // A new filter channel starts with its whole range between the bounds.
    m_lower->setValue(GetChannelMin(log, c));
    m_upper->setValue(std::max(GetChannelMax(log, c), GetChannelMin(log, c)));
}

std::optional<std::vector<float>> CDlgDataLogHistogram::EdgesOf(const Axis& axis,
                                                                QString* why) const {
    const QString typed = axis.edges->text().trimmed();
    if (!typed.isEmpty()) {
        auto edges = ChannelTable::ParseEdges(typed.toStdString());
        if (!edges) *why = QStringLiteral("The typed edges must be at least two rising numbers.");
        return edges;
    }
    std::vector<float> edges =
        ChannelTable::MakeEdges(axis.from->value(), axis.to->value(), axis.step->value());
    if (edges.empty()) {
        *why = QStringLiteral("From must be below To, and Step above 0 giving at most %1 bins.")
                   .arg(ChannelTable::kMaxBins);
        return std::nullopt;
    }
    return edges;
}

int CDlgDataLogHistogram::Decimals() const {
    // The value channel's own number of decimals; the deviation gets one more.
    const int z = m_zCombo->Channel();
    const std::string format = NumberFormatOf(GetChannelValueFormat(m_doc.Main().config, z));
    const size_t dot = format.find('.');
    int decimals = dot != std::string::npos && dot + 1 < format.size() && format[dot + 1] >= '0' &&
                           format[dot + 1] <= '9'
                       ? format[dot + 1] - '0'
                       : 0;
    if (m_table.Setup().function == TableFunction::StandardDeviation) ++decimals;
    return decimals;
}

void CDlgDataLogHistogram::Rebuild() {
    if (m_settingUp) return;
    ChannelTableSetup setup;
    setup.xChannel = m_axis[0].combo->Channel();
    setup.yChannel = m_axis[1].combo->Channel();
    setup.zChannel = m_zCombo->Channel();
    setup.function = TableFunction(std::max(m_functionCombo->currentIndex(), 0));
    if (m_filterCheck->isChecked()) {
        setup.filterChannel = m_filterCombo->Channel();
        setup.lower = float(m_lower->value());
        setup.upper = float(m_upper->value());
    }
    if (m_selectedCheck->isChecked()) setup.frames = m_doc.GetSelection();
    QString why;
    if (auto edges = EdgesOf(m_axis[0], &why)) setup.xEdges = std::move(*edges);
    if (setup.yChannel != 0 && why.isEmpty())
        if (auto edges = EdgesOf(m_axis[1], &why)) setup.yEdges = std::move(*edges);
    std::string error;
    if (why.isEmpty() && !m_table.Build(m_doc.Main(), m_doc.GetFrameCount(), setup, &error)) {
        why = QString::fromStdString(
            m_table.ReadFailure().ok() ? error : FailureText(m_table.ReadFailure()));
        // A log whose file can no longer be read is closed, as the chart does it.
        if (!m_table.ReadFailure().ok()) m_doc.NoteBrokenStore();
    }
    if (!why.isEmpty()) m_table.Build(m_doc.Main(), 0, ChannelTableSetup{});
    ShowGrid();
    QString status = why;
    if (why.isEmpty() && setup.frames)
        status = QStringLiteral("%1 of %2 selected frames binned")
                     .arg(m_table.TotalCount())
                     .arg(setup.frames->FrameCount());
    else if (why.isEmpty())
        status = QStringLiteral("%1 of %2 frames binned")
                     .arg(m_table.TotalCount())
                     .arg(m_doc.GetFrameCount());
    m_status->setText(status);
    m_copy->setEnabled(why.isEmpty());
    m_export->setEnabled(why.isEmpty());
    m_picture->setEnabled(why.isEmpty());
}

void CDlgDataLogHistogram::ShowGrid() {
    const ChannelTableSetup& setup = m_table.Setup();
    const int columns = m_table.Columns(), rows = m_table.Rows();
    m_grid->clear();
    m_grid->setColumnCount(columns);
    m_grid->setRowCount(rows);
    if (columns == 0) return;
    const EcuConfigBlock& config = m_doc.Main().config;
    auto edge = [](float v) { return QString::number(double(v), 'g', 7); };
    auto range = [&](const std::vector<float>& e, int i) {
        const bool last = size_t(i) + 2 == e.size();
        return QStringLiteral("%1 to %2 (%3)")
            .arg(edge(e[size_t(i)]), edge(e[size_t(i) + 1]),
                 last ? QStringLiteral("both included") : QStringLiteral("upper excluded"));
    };
    const QString xName = FromAnsi(GetChannelName(config, setup.xChannel));
    const QString yName = setup.yChannel ? FromAnsi(GetChannelName(config, setup.yChannel)) : "";
    for (int c = 0; c < columns; ++c) {
        auto* item = new QTableWidgetItem(edge(setup.xEdges[size_t(c)]));
        item->setToolTip(xName + QStringLiteral(": ") + range(setup.xEdges, c));
        m_grid->setHorizontalHeaderItem(c, item);
    }
    for (int r = 0; r < rows; ++r) {
        auto* item =
            new QTableWidgetItem(setup.yChannel ? edge(setup.yEdges[size_t(r)])
                                                : FromAnsi(GetChannelName(config, setup.zChannel)));
        if (setup.yChannel) item->setToolTip(yName + QStringLiteral(": ") + range(setup.yEdges, r));
        m_grid->setVerticalHeaderItem(r, item);
    }
    const int decimals = setup.function == TableFunction::Count ? 0 : Decimals();
    const double lo = m_table.MinValue().value_or(0.0);
    const double hi = m_table.MaxValue().value_or(0.0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem;
            const auto value = m_table.Value(c, r);
            const int64_t count = m_table.Count(c, r);
            if (value) {
                item->setText(QString::number(*value, 'f', decimals));
                item->setBackground(Shade(hi > lo ? (*value - lo) / (hi - lo) : 0.5));
                item->setForeground(Qt::black);
            }
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            QString tip = QStringLiteral("%1 frame%2").arg(count).arg(count == 1 ? "" : "s");
            tip += QStringLiteral("\n") + xName + QStringLiteral(": ") + range(setup.xEdges, c);
            if (setup.yChannel)
                tip += QStringLiteral("\n") + yName + QStringLiteral(": ") + range(setup.yEdges, r);
            item->setToolTip(tip);
            m_grid->setItem(r, c, item);
        }
}

QString CDlgDataLogHistogram::ClipboardText() const {
    return QString::fromStdString(m_table.ToText('\t', Decimals()));
}

std::string CDlgDataLogHistogram::CsvText() const {
    return m_table.ToText(',', Decimals());
}

void CDlgDataLogHistogram::CopyToClipboard() {
    if (m_table.Columns() == 0) return;
    QApplication::clipboard()->setText(ClipboardText());
}

bool CDlgDataLogHistogram::ExportCsv(const std::string& path) {
    const Result written = WriteFileAtomically(path, CsvText());
    if (written) return true;
    m_prompt.Message("Histogram and Table",
                     "There was an error saving the file\n" + FailureText(written));
    return false;
}

void CDlgDataLogHistogram::OnExportCsv() {
    if (m_table.Columns() == 0) return;
    FileDialogRequest request;
    request.caption = "Export Table";
    request.fileName = "table.csv";
    request.filter = "CSV Files (*.csv);;All Files (*)";
    const std::string path = m_prompt.SaveFileName(request);
    if (!path.empty()) ExportCsv(path);
}

QStringList CDlgDataLogHistogram::PictureTitle() const {
    const ChannelTableSetup& setup = m_table.Setup();
    const EcuConfigBlock& config = m_doc.Main().config;
    auto name = [&](int c) { return FromAnsi(GetChannelName(config, c)); };
    QString what = m_functionCombo->currentText() + QStringLiteral(" of ") + name(setup.zChannel) +
                   QStringLiteral(" by ") + name(setup.xChannel);
    if (setup.yChannel)
        what += QStringLiteral(" (across) and ") + name(setup.yChannel) + QStringLiteral(" (down)");
    QString how = m_status->text();
    if (setup.filterChannel)
        how += QStringLiteral(", %1 from %2 to %3")
                   .arg(name(setup.filterChannel), QString::number(double(setup.lower), 'g', 7),
                        QString::number(double(setup.upper), 'g', 7));
    return {what, how};
}

QSize CDlgDataLogHistogram::PictureNaturalSize() const {
    return TablePicture(*m_grid, PictureTitle(), font()).NaturalSize();
}

PictureSource CDlgDataLogHistogram::Picture() {
    PictureSource source;
    source.render = [this](QPainter& p, const QSizeF& size) {
        TablePicture(*m_grid, PictureTitle(), font()).Paint(p, size);
    };
    source.title = windowTitle();
    source.dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    return source;
}

void CDlgDataLogHistogram::OnExportPicture() {
    if (m_table.Columns() == 0) return;
    RunPictureExport(Picture(), PictureNaturalSize(), devicePixelRatioF(), m_doc.GetPathName(),
                     QStringLiteral(" table"), m_prompt, this);
}

}  // namespace quillon

#include "gui/common/ToolWindow.h"
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
#include <QScrollBar>
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

/// The number of decimals of a channel's value format ("%.2f psi" -> 2).
int ChannelDecimals(const EcuConfigBlock& config, int c) {
    const std::string format = NumberFormatOf(GetChannelValueFormat(config, c));
    const size_t dot = format.find('.');
    return dot != std::string::npos && dot + 1 < format.size() && format[dot + 1] >= '0' &&
                   format[dot + 1] <= '9'
               ? format[dot + 1] - '0'
               : 0;
}

/// The decimals a number field needs for `value` to show it whole (up to 9).
int DecimalsFor(double value) {
    int d = 0;
    for (double scaled = std::fabs(value); d < 9; ++d, scaled *= 10)
        if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * std::max(scaled, 1.0)) break;
    return d;
}

/// A CSV or clipboard field: quoted when it holds the separator, a quote or a line break.
std::string Field(const std::string& text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char ch : text) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    return quoted + '"';
}

/// Pale colours from blue (lowest) through green to red (highest), light enough for black text.
QColor Shade(double fraction) {
    const double f = std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0);
    return QColor::fromHsv(int(std::lround(240.0 * (1.0 - f))), 110, 255);
}

}  // namespace

/// The one-row table of a histogram by X alone as bars, one per bin in the table's order, shaded
/// as the cells are, with the bin edges below and the value range at the left.
class CDlgDataLogHistogram::Bars : public QWidget {
public:
    explicit Bars(const ChannelTable& table, QWidget* parent) : QWidget(parent), m_table(table) {
        setMinimumHeight(160);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Base);
    }
    int decimals = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        const int columns = m_table.Columns();
        if (columns == 0 || m_table.Rows() != 1) return;
        QPainter p(this);
        const QFontMetricsF fm(font());
        const double lo = std::min(0.0, m_table.MinValue().value_or(0.0));
        double hi = std::max(0.0, m_table.MaxValue().value_or(0.0));
        if (!(hi > lo)) hi = lo + 1;
        auto text = [this](double v) { return UnsignedZero(QString::number(v, 'f', decimals)); };
        const double left =
            8 + std::max(fm.horizontalAdvance(text(lo)), fm.horizontalAdvance(text(hi)));
        const std::vector<float>& edges = m_table.Setup().xEdges;
        // Room on the right for half the last edge's label, which sits under the last bar's end.
        const double right = std::max(
            12.0, fm.horizontalAdvance(QString::number(double(edges.back()), 'g', 7)) / 2 + 4);
        const QRectF plot(left, fm.height() / 2 + 4, width() - left - right,
                          height() - 2 * fm.height() - 8);
        if (plot.width() < 10 || plot.height() < 10) return;
        auto y = [&](double v) { return plot.bottom() - (v - lo) / (hi - lo) * plot.height(); };
        const double bin = plot.width() / columns;
        const double minimum = m_table.MinValue().value_or(0.0);
        const double maximum = m_table.MaxValue().value_or(0.0);
        p.setPen(QPen(QColor(90, 90, 90), 0));
        for (int c = 0; c < columns; ++c) {
            const auto v = m_table.Value(c, 0);
            if (!v) continue;
            const QRectF bar(QPointF(plot.left() + c * bin + 1, y(std::max(*v, 0.0))),
                             QPointF(plot.left() + (c + 1) * bin - 1, y(std::min(*v, 0.0))));
            p.setBrush(Shade(maximum > minimum ? (*v - minimum) / (maximum - minimum) : 0.5));
            p.drawRect(bar);
        }
        p.setPen(palette().color(QPalette::Text));
        p.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
        p.drawLine(plot.topLeft(), plot.bottomLeft());
        for (double v : {lo, hi})
            p.drawText(QRectF(0, y(v) - fm.height() / 2, left - 4, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, text(v));
        // Edge labels left to right, each only where it clears the one before and the last
        // edge's, which always shows.
        auto labelOf = [](float edge) { return QString::number(double(edge), 'g', 7); };
        const double gap = fm.horizontalAdvance(QLatin1Char('0'));
        const double lastLeft = plot.right() - fm.horizontalAdvance(labelOf(edges.back())) / 2;
        double clear = -1e9;
        for (size_t i = 0; i < edges.size(); ++i) {
            const QString label = labelOf(edges[i]);
            const double w = fm.horizontalAdvance(label);
            const double x = plot.left() + double(i) * bin;
            const bool last = i + 1 == edges.size();
            if (!last && (x - w / 2 < clear || x + w / 2 + gap > lastLeft)) continue;
            p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
            p.drawText(QRectF(x - w / 2, plot.bottom() + 4, w, fm.height()), Qt::AlignCenter,
                       label);
            clear = x + w / 2 + gap;
        }
    }

private:
    const ChannelTable& m_table;
};

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
    m_bars = new Bars(m_table, this);
    column->addWidget(m_bars, 1);
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
        connect(axis.edges, &QLineEdit::textChanged, this, [this, a] { EnableRangeFields(*a); });
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
    return ShowToolWindow(window, [&] { return new CDlgDataLogHistogram(doc, prompt, parent); });
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
    axis.edges->setEnabled(used);
    if (!used) {
        EnableRangeFields(axis);
        return;
    }
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
    const QSignalBlocker b1(axis.from), b2(axis.to), b3(axis.step), b4(axis.edges);
    // Three decimals at least, more where the channel or its round step has them: a range
    // under a few thousandths would otherwise show a step of 0.
    const int decimals = std::max({3, ChannelDecimals(log.config, c), DecimalsFor(range.step),
                                   DecimalsFor(range.from), DecimalsFor(range.to)});
    for (QDoubleSpinBox* field : {axis.from, axis.to, axis.step})
        field->setDecimals(decimals);
    axis.from->setValue(range.from);
    axis.to->setValue(range.to);
    axis.step->setValue(range.step);
    axis.edges->clear();
    EnableRangeFields(axis);
}

void CDlgDataLogHistogram::EnableRangeFields(Axis& axis) {
    // Typed edges win over From, To and Step, which then have no say.
    const int c = axis.combo->Channel();
    const bool enabled = c >= 1 && c <= kSlotCount && axis.edges->text().trimmed().isEmpty();
    for (QDoubleSpinBox* field : {axis.from, axis.to, axis.step})
        field->setEnabled(enabled);
}

void CDlgDataLogHistogram::SetUpBounds() {
    const LogData& log = m_doc.Main();
    const int c = m_filterCombo->Channel();
    if (c < 1 || c > kSlotCount) return;
    const QSignalBlocker b1(m_lower), b2(m_upper);
    for (QDoubleSpinBox* field : {m_lower, m_upper})
        field->setDecimals(std::max(3, ChannelDecimals(log.config, c)));
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
    int decimals = ChannelDecimals(m_doc.Main().config, m_zCombo->Channel());
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
    ShowBars();
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

std::string CDlgDataLogHistogram::Heading(char separator) const {
    // Single-byte texts as the file keeps them; the clipboard converts them.
    const ChannelTableSetup& setup = m_table.Setup();
    const EcuConfigBlock& config = m_doc.Main().config;
    const std::string newline = separator == '\t' ? "\n" : "\r\n";
    auto name = [&](int c) { return c ? GetChannelName(config, c) : std::string("(none)"); };
    auto number = [](float v) { return QString::number(double(v), 'g', 7).toStdString(); };
    std::string filter = "(none)";
    if (setup.filterChannel)
        filter = name(setup.filterChannel) + " from " + number(setup.lower) + " to " +
                 number(setup.upper);
    const std::pair<const char*, std::string> lines[] = {
        {"Channel", name(setup.zChannel)},
        {"Function", m_functionCombo->currentText().toStdString()},
        {"X Axis", name(setup.xChannel)},
        {"Y Axis", name(setup.yChannel)},
        {"Filter", filter},
    };
    std::string out;
    for (const auto& [key, value] : lines)
        out += key + std::string(1, separator) + Field(value, separator) + newline;
    return out;
}

QWidget* CDlgDataLogHistogram::BarsWidget() const {
    return m_bars;
}

void CDlgDataLogHistogram::ShowBars() {
    // Binned by X alone, the table is one row: bars take the room it leaves.
    const bool shown = m_table.Columns() > 0 && m_table.Setup().yChannel == 0;
    m_bars->decimals = m_table.Setup().function == TableFunction::Count ? 0 : Decimals();
    m_bars->setVisible(shown);
    m_grid->setMaximumHeight(shown ? m_grid->horizontalHeader()->sizeHint().height() +
                                         m_grid->verticalHeader()->defaultSectionSize() +
                                         m_grid->horizontalScrollBar()->sizeHint().height() +
                                         2 * m_grid->frameWidth() + 4
                                   : QWIDGETSIZE_MAX);
    m_bars->update();
}

QString CDlgDataLogHistogram::ClipboardText() const {
    return FromAnsi(Heading('\t')) + QString::fromStdString(m_table.ToText('\t', Decimals()));
}

std::string CDlgDataLogHistogram::CsvText() const {
    return Heading(',') + m_table.ToText(',', Decimals());
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

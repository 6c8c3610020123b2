#include "gui/panes/CDlgDataLogValue.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "gui/chart/ChartModel.h"
#include "model/GraphConfiguration.h"
#include "gui/common/CGDIPCheckbox.h"
#include "gui/common/CGDIPDataMonitorValue.h"
#include "gui/common/CGDIPGlowLabel.h"
#include "gui/common/CNumericEdit.h"
#include "gui/common/NumericFormat.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"

namespace quillon {

namespace {

constexpr int kNameHeight = 18;
constexpr int kValueTop = 22;
constexpr int kValueHeight = 20;
constexpr int kStatTop = 45;
constexpr int kStatHeight = 14;
constexpr int kFullHeight = kStatTop + 2 * (kStatHeight + 1) + 3;
constexpr int kCursorBTop = kStatTop + 2 * (kStatHeight + 1);
const QColor kNoItemColor(180, 50, 180);

// Figures of a statistics record in column order (the count is not shown).
std::array<float, CDlgDataLogValue::kStatColumns> StatFigures(const ChannelStats& s) {
    return {s.minimum,    s.maximum,  s.average, s.standardDeviation,
            s.startValue, s.endValue, s.delta,   s.slope};
}

double StepOfFormat(const QString& format) {
    // The digit after "%." decides: one decimal steps by 0.1, two by 0.01, anything else by 1.
    if (format.size() > 2 && format[2] == u'1') return 0.1;
    if (format.size() > 2 && format[2] == u'2') return 0.01;
    return 1.0;
}

QFont SmallFont(const QFont& base, qreal points, bool bold = false) {
    QFont f = base;
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

}  // namespace

CDlgDataLogValue::CDlgDataLogValue(CDataLogDoc& doc, IDataLogView* sender, int rowIndex,
                                   QWidget* parent)
    : QWidget(parent), m_doc(doc), m_sender(sender), m_rowIndex(rowIndex) {
    m_fullSize = QSize(kRowWidth, kFullHeight);
    m_collapsedSize = QSize(kRowWidth, 2 + kNameHeight + 2);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_name = new CGDIPGlowLabel(this);
    m_name->SetLabelFont(SmallFont(font(), 9, true));
    m_name->SetElideMode(Qt::ElideRight);
    m_name->setCursor(Qt::PointingHandCursor);
    connect(m_name, &CGDIPBuffer::clicked, this, [this] { emit axisSetupRequested(m_rowIndex); });

    m_graph = new CGDIPCheckbox(QStringLiteral("Graph"), this);
    m_graph->setToolTip(QStringLiteral("Graph Channel"));
    m_axis = new CGDIPCheckbox(QStringLiteral("Axis"), this);
    m_axis->setToolTip(QStringLiteral("Display Axis"));
    m_difference = new CGDIPCheckbox(QStringLiteral("Diff"), this);
    m_difference->setToolTip(
        QStringLiteral("Difference: main minus comparison as a curve of its own (needs a "
                       "comparison log)"));

    m_mainValue = new CGDIPDataMonitorValue(this);
    m_comparisonValue = new CGDIPDataMonitorValue(this);
    m_comparisonValue->SetTextColor(QColor(150, 200, 255));
    for (auto* v : {m_mainValue, m_comparisonValue}) {
        v->SetFontSize(9);
        v->SetBackgroundColor(QColor(16, 18, 24));
    }

    m_autoscale = new CGDIPCheckbox(QString(), this);
    m_autoscale->setToolTip(QStringLiteral("Autoscale Axis"));
    m_min = new CNumericEdit(m_doc.Prompt(), this, 0);
    m_min->setToolTip(QStringLiteral("Axis Minimum"));
    m_max = new CNumericEdit(m_doc.Prompt(), this, 1);
    m_max->setToolTip(QStringLiteral("Axis Maximum"));
    for (auto* f : {m_min, m_max}) {
        f->setFont(SmallFont(font(), 8));
        f->Setup(kAxisFieldStyle, QStringLiteral("%.0f"), QStringLiteral("%.0f"), -9999999, 9999999,
                 1);
        connect(f, &CNumericEdit::nenChanged, this, &CDlgDataLogValue::OnFieldChanged);
        // Taken by a click only: the window's first focus and Tab belong to the chart's cursor.
        f->setFocusPolicy(Qt::ClickFocus);
    }

    for (int c = 0; c < kStatColumns; ++c) {
        for (bool comparison : {false, true}) {
            auto* label = new CGDIPGlowLabel(this);
            label->SetGlow(0);
            label->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->SetElideMode(Qt::ElideRight);
            label->SetColors(comparison ? QColor(150, 200, 255) : QColor(230, 230, 230),
                             Qt::transparent);
            (comparison ? m_comparisonStats : m_mainStats)[size_t(c)] = label;
        }
    }
    for (bool comparison : {false, true}) {
        auto* label = new CGDIPGlowLabel(this);
        label->SetGlow(0);
        label->SetElideMode(Qt::ElideRight);
        label->SetLabelFont(SmallFont(font(), 7));
        label->SetColors(comparison ? QColor(150, 200, 255) : QColor(255, 150, 150),
                         Qt::transparent);
        label->hide();
        m_cursorB[comparison ? 1 : 0] = label;
    }
    m_differenceLine = new CGDIPGlowLabel(this);
    m_differenceLine->SetGlow(0);
    m_differenceLine->SetElideMode(Qt::ElideRight);
    m_differenceLine->SetLabelFont(SmallFont(font(), 7));
    m_differenceLine->SetColors(QColor(255, 220, 120), Qt::transparent);
    m_differenceLine->hide();
    LayoutControls();
    StatWidths even;
    even.fill(StatRoom() / kStatColumns);
    SetStatColumns(SmallFont(font(), 7), even);

    connect(m_graph, &QAbstractButton::clicked, this, &CDlgDataLogValue::OnGraphClicked);
    connect(m_axis, &QAbstractButton::clicked, this, &CDlgDataLogValue::OnAxisClicked);
    connect(m_difference, &QAbstractButton::clicked, this, &CDlgDataLogValue::OnDifferenceClicked);
    connect(m_autoscale, &QAbstractButton::clicked, this, &CDlgDataLogValue::OnAutoscaleClicked);
    resize(m_collapsedSize);
}

void CDlgDataLogValue::SetRowWidth(int width) {
    width = std::max(width, int(kRowWidth));
    if (width == m_fullSize.width()) return;
    m_fullSize.setWidth(width);
    m_collapsedSize.setWidth(width);
    LayoutControls();
    resize(m_collapsed ? m_collapsedSize : m_fullSize);
}

void CDlgDataLogValue::LayoutControls() {
    const int width = m_fullSize.width();
    // The name line: the name, then the two check boxes at the right end.
    m_axis->setGeometry(width - 60, 3, 54, 16);
    m_graph->setGeometry(width - 122, 3, 58, 16);
    m_difference->setGeometry(width - 172, 3, 48, 16);
    m_name->setGeometry(4, 2, width - 180, kNameHeight);
    // The value line from the right: the axis fields, as wide as their shown numbers need, the
    // autoscale box, then the two value displays sharing what is left.
    int field = kAxisFieldWidth;
    for (const CNumericEdit* f : {m_min, m_max})
        if (!f->isHidden())
            field = std::max(
                field,
                int(std::ceil(QFontMetricsF(f->font()).horizontalAdvance(f->DisplayText()))) + 10);
    field = std::min(field, kAxisFieldMaxWidth);
    const int maxLeft = width - 4 - field;
    const int minLeft = maxLeft - 2 - field;
    const int autoscaleLeft = minLeft - 18;
    m_max->setGeometry(maxLeft, kValueTop, field, kValueHeight);
    m_min->setGeometry(minLeft, kValueTop, field, kValueHeight);
    m_autoscale->setGeometry(autoscaleLeft, kValueTop + 2, 16, 16);
    const int value = (autoscaleLeft - 4 - 4 - 2) / 2;
    m_mainValue->setGeometry(4, kValueTop, value, kValueHeight);
    m_comparisonValue->setGeometry(4 + value + 2, kValueTop, value, kValueHeight);
    const int half = (width - 2 * kStatLeft) / 2;
    for (bool comparison : {false, true})
        m_cursorB[comparison ? 1 : 0]->setGeometry(kStatLeft + (comparison ? half : 0), kCursorBTop,
                                                   half - kStatGap, kStatHeight);
    const int differenceTop = kCursorBTop + (m_cursorB[0]->isHidden() ? 0 : kStatHeight + 1);
    m_differenceLine->setGeometry(kStatLeft, differenceTop, width - 2 * kStatLeft - kStatGap,
                                  kStatHeight);
}

// NOLINTNEXTLINE(readability-make-member-function-const): moves the child labels
void CDlgDataLogValue::SetStatColumns(const QFont& font, const StatWidths& widths) {
    int left = kStatLeft;
    for (int c = 0; c < kStatColumns; ++c) {
        for (bool comparison : {false, true}) {
            CGDIPGlowLabel* label = StatLabel(comparison, c);
            label->SetLabelFont(font);
            label->setGeometry(left, kStatTop + (comparison ? kStatHeight + 1 : 0),
                               std::max(widths[size_t(c)] - kStatGap, 0), kStatHeight);
        }
        left += widths[size_t(c)];
    }
}

GraphViewEntry* CDlgDataLogValue::Entry() const {
    const int view = m_doc.GetCurrentView();
    if (view < 0 || view >= kViewCount || m_rowIndex < 0 || m_rowIndex >= kViewEntryCount)
        return nullptr;
    return &m_doc.Config().views[size_t(view)].entries[size_t(m_rowIndex)];
}

bool CDlgDataLogValue::ValidChannel() const {
    return m_channel >= 1 && m_channel <= kChannelCount;
}

void CDlgDataLogValue::SetChannel(const QString& displayName, bool available) {
    const GraphViewEntry* entry = Entry();
    if (!entry) return;
    const int channel = int(std::min<uint32_t>(entry->channel, 100000));
    if (channel != m_channel || !m_shown) {
        // Value texts of another channel must not stay on screen until the next cursor move.
        m_mainValue->SetStatus(QString(), 0);
        m_comparisonValue->SetStatus(QString(), 0);
    }
    m_shown = true;
    m_channel = channel;
    // A number outside 1..440 (from a damaged .graph file) names no slot and counts as absent.
    m_available = available && ValidChannel();

    m_name->SetText(entry->filter > 0 ? displayName + QStringLiteral(" - F") : displayName);
    m_graph->setVisible(m_available);
    m_graph->SetCheck(entry->graph ? 1 : 0);
    m_axis->setVisible(m_available && entry->graph);
    m_axis->SetCheck(entry->axisDisplay ? 1 : 0);
    RefreshDifferenceCheck();
    m_autoscale->SetCheck(ValidChannel() && m_doc.Config().axes[size_t(m_channel - 1)].autoscale);

    const std::string valueFormat =
        ValidChannel() ? GetChannelValueFormat(m_doc.Main().config, m_channel) : std::string();
    const QString format = FromAnsi(NumberFormatOf(valueFormat));
    for (auto* f : {m_min, m_max})
        f->Reconfigure(format, format, -9999999, 9999999, StepOfFormat(format));
    RefreshAxisFields();
    FillStatistics();

    m_collapsed = !m_available;
    resize(m_collapsed ? m_collapsedSize : m_fullSize);
    update();
}

void CDlgDataLogValue::RefreshAxisFields() {
    const GraphViewEntry* entry = Entry();
    if (!ValidChannel() || !entry) {
        m_min->hide();
        m_max->hide();
        return;
    }
    const ChannelAxisSetting& axis = m_doc.Config().axes[size_t(m_channel - 1)];
    // Values from the file are shown as they are, but never raise the range question here.
    for (auto [field, v] : {std::pair{m_min, double(axis.minimum)}, {m_max, double(axis.maximum)}})
        field->SetValue(false,
                        std::isfinite(v) ? std::clamp(v, field->Minimum(), field->Maximum()) : 0.0);
    const bool shown = m_available && entry->graph && !axis.autoscale;
    m_min->setVisible(shown);
    m_max->setVisible(shown);
    LayoutControls();
}

void CDlgDataLogValue::FillStatistics() {
    if (!ValidChannel()) {
        for (int c = 0; c < kStatColumns; ++c) {
            m_mainStats[size_t(c)]->SetText({});
            m_comparisonStats[size_t(c)]->SetText({});
        }
        return;
    }
    const QString format =
        FromAnsi(NumberFormatOf(GetChannelValueFormat(m_doc.Main().config, m_channel)));
    // Figures over no frames at all (a zoom window beside a log) are shown as absent, not as 0.
    const auto slot = size_t(m_channel - 1);
    // A standard deviation still being worked out beside the window shows as such.
    const auto texts = [&](const LogData& log, int column) {
        const ChannelStats& stats = log.stats[slot];
        if (stats.count == 0) return QStringLiteral("-");
        if (column == kDeviationColumn && log.deviationPending[slot])
            return QStringLiteral("\u2026");
        return FormatDouble(format, double(StatFigures(stats)[size_t(column)]));
    };
    const bool comparison = m_doc.IsComparisonLoaded();
    m_doc.EnsureDeviations(int(slot));
    for (int c = 0; c < kStatColumns; ++c) {
        m_mainStats[size_t(c)]->SetText(texts(m_doc.Main(), c));
        m_comparisonStats[size_t(c)]->SetText(comparison ? texts(m_doc.Comparison(), c)
                                                         : QString());
    }
}

void CDlgDataLogValue::SetValues(const QString& mainText, uint32_t mainStatus,
                                 const QString& comparisonText, uint32_t comparisonStatus) {
    m_mainValue->SetStatus(mainText, mainStatus);
    m_comparisonValue->SetStatus(comparisonText, comparisonStatus);
}

bool CDlgDataLogValue::SetCursorBTexts(const QString& mainText, const QString& comparisonText) {
    const bool on = !mainText.isEmpty() || !comparisonText.isEmpty();
    m_cursorB[0]->SetText(mainText);
    m_cursorB[1]->SetText(comparisonText);
    for (auto* label : m_cursorB)
        label->setVisible(on);
    return FitHeight();
}

bool CDlgDataLogValue::SetDifferenceText(const QString& text) {
    m_differenceLine->SetText(text);
    m_differenceLine->setVisible(!text.isEmpty());
    return FitHeight();
}

bool CDlgDataLogValue::FitHeight() {
    int bottom = kCursorBTop;
    if (!m_cursorB[0]->isHidden()) bottom += kStatHeight + 1;
    m_differenceLine->move(m_differenceLine->x(), bottom);
    if (!m_differenceLine->isHidden()) bottom += kStatHeight + 1;
    const int height = bottom == kCursorBTop ? kFullHeight : bottom + 2;
    if (m_fullSize.height() == height) return false;
    m_fullSize.setHeight(height);
    if (m_collapsed) return false;
    resize(m_fullSize);
    return true;
}

void CDlgDataLogValue::RefreshDifferenceCheck() {
    m_difference->setVisible(m_available);
    m_difference->setEnabled(m_doc.IsComparisonLoaded());
    m_difference->SetCheck(m_doc.IsDifferenceShown(m_channel) ? 1 : 0);
}

void CDlgDataLogValue::OnDifferenceClicked() {
    if (!ValidChannel()) return;
    m_doc.SetDifferenceShown(m_channel, m_difference->GetCheck() != 0);
    emit differenceToggled(m_rowIndex);
}

QColor CDlgDataLogValue::CurveColor() const {
    const int view = m_doc.GetCurrentView();
    if (view < 0 || view >= kViewCount) return kNoItemColor;
    const auto& entries = m_doc.Config().views[size_t(view)].entries;
    const std::vector<int> order = m_doc.EntriesOrderedByPanel();
    for (size_t k = 0; k < order.size() && k < ChartModel::kColours.size(); ++k) {
        const int e = order[k];
        if (e >= 0 && e < kViewEntryCount && int(entries[size_t(e)].channel) == m_channel) {
            const uint32_t rgb = ChartModel::kColours[k];
            return QColor(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
        }
    }
    return kNoItemColor;
}

QColor CDlgDataLogValue::OutlineColor() const {
    return OutlineWidth() == 2 ? CurveColor() : QColor(255, 255, 255, 250);
}

int CDlgDataLogValue::OutlineWidth() const {
    return m_available && m_graph->GetCheck() ? 2 : 1;
}

void CDlgDataLogValue::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setRenderHint(QPainter::Antialiasing);
    const int w = OutlineWidth();
    const QRectF box = QRectF(rect()).adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0);
    QPainterPath path;
    path.addRoundedRect(box, 4, 4);
    p.fillPath(path, Qt::black);
    p.setPen(QPen(OutlineColor(), w));
    p.drawPath(path);
}

void CDlgDataLogValue::Changed() {
    m_doc.SaveGraphConfiguration();  // a failed save goes unnoticed, as every display change
    m_doc.UpdateAllViews(m_sender, DocumentChange::LabelsChanged);
}

void CDlgDataLogValue::OnGraphClicked() {
    GraphViewEntry* entry = Entry();
    if (!entry) return;
    const bool graphed = m_graph->GetCheck();
    m_axis->SetCheck(entry->axisDisplay ? 1 : 0);
    m_axis->setVisible(m_available && graphed);
    const bool autoscale = ValidChannel() && m_doc.Config().axes[size_t(m_channel - 1)].autoscale;
    m_min->setVisible(graphed && !autoscale);
    m_max->setVisible(graphed && !autoscale);
    LayoutControls();
    entry->graph = graphed ? 1 : 0;
    Changed();
    repaint();
}

void CDlgDataLogValue::OnAxisClicked() {
    GraphViewEntry* entry = Entry();
    if (!entry) return;
    entry->axisDisplay = m_axis->GetCheck() ? 1 : 0;
    Changed();
}

void CDlgDataLogValue::OnAutoscaleClicked() {
    GraphViewEntry* entry = Entry();
    if (!entry || !ValidChannel()) return;
    const bool autoscale = m_autoscale->GetCheck();
    m_doc.Config().axes[size_t(m_channel - 1)].autoscale = autoscale ? 1 : 0;
    m_min->setVisible(!autoscale);
    m_max->setVisible(!autoscale);
    LayoutControls();
    entry->axisDisplay = m_axis->GetCheck() ? 1 : 0;
    Changed();
}

void CDlgDataLogValue::OnFieldChanged(int id, double value) {
    GraphViewEntry* entry = Entry();
    if (!entry || !ValidChannel()) return;
    ChannelAxisSetting& axis = m_doc.Config().axes[size_t(m_channel - 1)];
    (id == 0 ? axis.minimum : axis.maximum) = float(value);
    entry->axisDisplay = m_axis->GetCheck() ? 1 : 0;
    LayoutControls();
    Changed();
}

}  // namespace quillon

#include "gui/panes/CDataLogValues.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <utility>

#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QToolButton>

#include "gui/common/CNudgeSpin.h"
#include "model/GraphConfiguration.h"
#include "gui/common/CBGImage.h"
#include "gui/common/CButtonViewShift.h"
#include "gui/common/CGDIPButton.h"
#include "gui/common/CGDIPGlowLabel.h"
#include "gui/common/NumericFormat.h"
#include "model/LogColumns.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "model/ComparisonLog.h"
#include "model/RangeStats.h"
#include "gui/panes/CDlgDataLogValue.h"

namespace quillon {

namespace {

const char* const kHeadings[8] = {"Min", "Max", "Avg", "StDv", "Start", "End", "Delta", "Slope"};

bool IsListedChannel(uint32_t c) {
    return c >= 1 && c <= uint32_t(kChannelCount);
}

QString ViewTitle(const GraphView& view) {
    return FromAnsi(std::string_view(view.title, strnlen(view.title, sizeof(view.title))));
}

// The shared value text, with a zero shown unsigned on screen.
QString ValueText(const LogData& log, int channel, float value) {
    return UnsignedZero(FromAnsi(GetChannelValueText(log.config, channel, value)));
}

// "Stats 12.500 to 40.250 s": the times of the first and last frames the figures cover, in the
// time channel's format; the count says there are none.
QString StatsRangeText(const LogData& log, const QString& what) {
    const int first = std::max(log.statsFirst, 0);
    const int end = std::min(log.statsEnd, log.frameCount);
    if (first >= end || log.values[0].size() < size_t(end) || log.stats[0].count == 0)
        return what + QStringLiteral(": no frames");
    const QString format = FromAnsi(NumberFormatOf(GetChannelValueFormat(log.config, 1)));
    return what + QStringLiteral(" ") + FormatDouble(format, double(log.values[0][size_t(first)])) +
           QStringLiteral(" to ") + FormatDouble(format, double(log.values[0][size_t(end - 1)])) +
           QStringLiteral(" s");
}

// The frame count a cursor may index in a log: its own frames (a padded tail holds no data).
bool HasFrame(const LogData& log, int frame) {
    return frame >= 0 && frame < log.frameCount && size_t(frame) < log.values[0].size();
}

// A slot's value and status at a frame, the no-value marker where the columns do not reach.
InterpolatedValue At(const LogData& log, int slot, int frame) {
    if (frame < 0 || size_t(frame) >= log.values[0].size()) return {kNoValue, 0};
    if (!IsFileSlot(log, slot) && size_t(frame) >= log.values[size_t(slot)].size())
        return {kNoValue, 0};
    return {ValueAt(log, slot, frame), StatusAt(log, slot, frame)};
}

// A channel's value and status in both logs at a frame of one of them: the frame's own in its
// log, the other log's interpolated at the frame's time.
std::pair<InterpolatedValue, InterpolatedValue> ValuesAtFrame(const CDataLogDoc& doc, int frame,
                                                              bool onComparison, int slot) {
    const bool comparisonLoaded = doc.IsComparisonLoaded();
    onComparison = onComparison && comparisonLoaded;
    const LogData& own = onComparison ? doc.Comparison() : doc.Main();
    InterpolatedValue mv{kNoValue, 0};
    InterpolatedValue cv{kNoValue, 0};
    if (!HasFrame(own, frame)) return {mv, cv};
    const float t = own.values[0][size_t(frame)];
    if (onComparison) {
        cv = At(doc.Comparison(), slot, frame);
        mv = InterpolateAtTime(doc.Main(), slot, t);
    } else {
        mv = At(doc.Main(), slot, frame);
        if (comparisonLoaded) cv = InterpolateAtTime(doc.Comparison(), slot, t);
    }
    return {mv, cv};
}

// "B 14.2  B-A +0.3": the value at B and, with a cursor, its difference from the value there.
QString CursorBText(const LogData& log, int channel, float atB, std::optional<float> atA) {
    QString text = QStringLiteral("B ") + ValueText(log, channel, atB);
    if (!atA) return text;
    QString delta = QStringLiteral("-");
    if (atB != kNoValue && *atA != kNoValue) {
        delta = ValueText(log, channel, atB - *atA);
        if (atB - *atA > 0 && !delta.startsWith(u'+')) delta.prepend(u'+');
    }
    return text + QStringLiteral("   B-A ") + delta;
}

// Statistics font sizes from the nominal one down to the smallest that stays readable.
constexpr qreal kStatPointSizes[] = {7.0, 6.5, 6.0};

QFont SizedFont(const QFont& base, qreal points) {
    QFont f = base;
    f.setPointSizeF(points);
    return f;
}

// Column widths of at least each column's need that fill `room`: the narrowest columns are
// widened first, so that the columns are as even as their texts allow. When the needs exceed the
// room, each column gets a share in proportion to its need (its labels elide what is left over).
CDlgDataLogValue::StatWidths FitColumns(const CDlgDataLogValue::StatWidths& need, int room) {
    CDlgDataLogValue::StatWidths width{};
    const int total = std::accumulate(need.begin(), need.end(), 0);
    if (total > room) {
        for (size_t c = 0; c < need.size(); ++c)
            width[c] = int(int64_t(need[c]) * room / std::max(total, 1));
    } else {
        const auto filled = [&](int level) {
            int sum = 0;
            for (int n : need)
                sum += std::max(n, level);
            return sum;
        };
        int level = room / int(need.size());
        while (level > 0 && filled(level) > room)
            --level;
        for (size_t c = 0; c < need.size(); ++c)
            width[c] = std::max(need[c], level);
    }
    // The pixels that rounding left over go to the narrowest columns, one each.
    int spare = room - std::accumulate(width.begin(), width.end(), 0);
    while (spare > 0) {
        ++*std::min_element(width.begin(), width.end());
        --spare;
    }
    return width;
}

}  // namespace

StatsRanges UpdateStatsRanges(const CDataLogDoc& doc, const std::optional<TimeWindow>& visible) {
    StatsRanges r;
    const int n = std::max(0, doc.GetFrameCount());
    const int m = doc.IsComparisonLoaded() ? std::max(0, doc.Comparison().frameCount) : 0;
    if (!visible) {
        r.mainEnd = n;
        r.comparisonEnd = m;
        return r;
    }
    // Each log converts the same window with its own times: the logs may differ in length, rate
    // and zero time, so a main-log frame says nothing about the comparison's frames. The frames
    // nearest to both edges are in, as the zoom pane's "first to last" says; a window that lies
    // wholly before or after a log holds none of its frames.
    const auto t0 = float(visible->minimum);
    const auto t1 = float(visible->maximum);
    const auto range = [&](const LogData& log, int count, auto frameAt) {
        if (count <= 0 || log.values[0].size() < size_t(count)) return std::pair{0, 0};
        const float* time = log.values[0].data();
        if (!(t1 >= time[0]) || !(t0 <= time[count - 1])) return std::pair{0, 0};
        const int first = std::max(frameAt(t0), 0);
        return std::pair{first, std::clamp(frameAt(t1) + 1, first, count)};
    };
    std::tie(r.mainFirst, r.mainEnd) =
        range(doc.Main(), n, [&](float t) { return doc.FrameAtTime(t); });
    std::tie(r.comparisonFirst, r.comparisonEnd) =
        range(doc.Comparison(), m, [&](float t) { return doc.ComparisonFrameAtTime(t); });
    return r;
}

CDataLogValues::CDataLogValues(CDataLogDoc& doc, CPrefs& prefs, QWidget* parent)
    : QScrollArea(parent), m_doc(doc), m_prefs(prefs) {
    setFrameShape(QFrame::NoFrame);
    // The pane scrolls with the wheel and its bar, never with the arrow keys.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    viewport()->setPalette(dark);
    viewport()->setAutoFillBackground(true);

    m_content = new QWidget;
    m_background = new CBGImage(m_content);

    m_previous = new CButtonViewShift(CButtonViewShift::kLeft, m_content);
    m_previous->setGeometry(3, 4, 22, 22);
    m_combo = new QComboBox(m_content);
    m_combo->setGeometry(28, 4, 140, 22);
    m_next = new CButtonViewShift(CButtonViewShift::kRight, m_content);
    m_next->setGeometry(171, 4, 22, 22);
    m_edit = new CGDIPButton(QStringLiteral("Ed"), m_content);
    m_edit->setGeometry(197, 4, 28, 22);

    // The comparison nudge: the left arrow moves the comparison curves earlier, the right later.
    m_nudge = new CNudgeSpin(m_content);
    m_nudge->setGeometry(kRowsLeft + CDlgDataLogValue::kRowWidth - m_nudge->width(), 4,
                         m_nudge->width(), 22);
    connect(m_nudge, &CNudgeSpin::deltaPos, this, &CDataLogValues::Nudge);

    QFont titleFont = font();
    titleFont.setPointSizeF(12);
    titleFont.setBold(true);
    m_title = new CGDIPGlowLabel(m_content);
    m_title->setGeometry(kRowsLeft, 30, 220, 24);
    m_title->SetLabelFont(titleFont);
    m_title->SetGlow(3);
    m_startTime = new CGDIPGlowLabel(m_content, QStringLiteral("Start Time"));
    m_startTime->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QFont small = SizedFont(font(), 7.5);
    m_headingFont = small;
    m_startTime->SetLabelFont(small);
    m_startTime->SetGlow(1);
    for (bool comparison : {false, true}) {
        auto* range = new CGDIPGlowLabel(m_content);
        range->SetLabelFont(small);
        range->SetGlow(0);
        range->SetElideMode(Qt::ElideRight);
        range->SetAlignment((comparison ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        range->SetColors(comparison ? QColor(150, 200, 255) : QColor(230, 230, 230),
                         Qt::transparent);
        m_statsRange[comparison ? 1 : 0] = range;
    }
    for (int c = 0; c < CDlgDataLogValue::kStatColumns; ++c) {
        auto* h = new CGDIPGlowLabel(m_content, QString::fromLatin1(kHeadings[c]));
        h->SetLabelFont(small);
        h->SetGlow(1);
        h->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
        h->SetElideMode(Qt::ElideRight);
        m_headings[size_t(c)] = h;
    }

    for (int k = 0; k < kRowCount; ++k) {
        auto* row = new CDlgDataLogValue(m_doc, this, k, m_content);
        row->hide();
        connect(row, &CDlgDataLogValue::axisSetupRequested, this,
                &CDataLogValues::axisSetupRequested);
        connect(row, &CDlgDataLogValue::differenceToggled, this,
                &CDataLogValues::OnDifferenceToggled);
        m_rows[size_t(k)] = row;
    }

    connect(m_previous, &QAbstractButton::clicked, this, [this] { StepView(-1); });
    connect(m_next, &QAbstractButton::clicked, this, [this] { StepView(1); });
    connect(m_edit, &QAbstractButton::clicked, this, &CDataLogValues::editViewsRequested);
    connect(m_title, &CGDIPBuffer::doubleClicked, this, &CDataLogValues::editViewsRequested);
    connect(m_combo, &QComboBox::activated, this, &CDataLogValues::OnComboActivated);

    // The keyboard belongs to the chart's cursor: like the pane's self-drawn buttons and check
    // boxes, the view picker and the nudge arrows work with the mouse and leave the focus where
    // it is (the axis fields take it when clicked, to be typed in).
    m_combo->setFocusPolicy(Qt::NoFocus);
    m_nudge->LeftButton()->setFocusPolicy(Qt::NoFocus);
    m_nudge->RightButton()->setFocusPolicy(Qt::NoFocus);

    setWidget(m_content);
    m_doc.AddView(this);
    RebuildRows();
    RefreshValues();
}

CDataLogValues::~CDataLogValues() {
    m_doc.RemoveView(this);
}

void CDataLogValues::OnUpdate(IDataLogView* sender, DocumentChange change) {
    if (sender == this) return;
    if (change == DocumentChange::ShownDataChanged || change == DocumentChange::LogChanged) {
        // A zero time (hint 3) or a nudge (hint 1) moves a log's times under its figures.
        RetimeStatistics();
        RebuildRows();
    } else if (change == DocumentChange::StatisticsChanged) {
        RebuildRows();
    }
    RefreshValues();
}

void CDataLogValues::RetimeStatistics() {
    if (!m_doc.HasLog()) return;
    RetimeStats(m_doc.Main());
    if (m_doc.IsComparisonLoaded()) RetimeStats(m_doc.Comparison());
}

void CDataLogValues::RebuildRows() {
    const int view = m_doc.GetCurrentView();
    const GraphView& gv = m_doc.Config().views[size_t(std::clamp(view, 0, kViewCount - 1))];
    const LogData& main = m_doc.Main();
    for (int k = 0; k < kRowCount; ++k) {
        CDlgDataLogValue* row = m_rows[size_t(k)];
        const uint32_t c = gv.entries[size_t(k)].channel;
        if (c == 0) {
            row->SetShown(false);
            continue;
        }
        const int channel = int(std::min<uint32_t>(c, 100000));
        const bool available = IsListedChannel(c) && IsChannelAvailable(main, channel);
        row->SetChannel(FromAnsi(GetChannelName(main.config, channel)), available);
    }
    // Without a cursor no row keeps the texts of a log or a view that is gone.
    if (m_doc.GetCursorFrame() < 0)
        for (CDlgDataLogValue* row : m_rows)
            row->SetValues({}, 0, {}, 0);
    m_title->SetText(ViewTitle(gv));
    FillCombo();
    FillStartTime();
    FillStatsRanges();
    m_nudge->setEnabled(m_doc.IsComparisonLoaded());
    RefreshDifferenceStats();
    LayoutRows();
}

void CDataLogValues::FillCombo() {
    const QSignalBlocker block(m_combo);
    m_combo->clear();
    int selected = -1;
    for (int v = 0; v < kViewCount; ++v) {
        const GraphView& gv = m_doc.Config().views[size_t(v)];
        const bool listed =
            std::any_of(gv.entries.begin(), gv.entries.end(),
                        [](const GraphViewEntry& e) { return IsListedChannel(e.channel); });
        if (!listed) continue;
        if (v == m_doc.GetCurrentView()) selected = m_combo->count();
        m_combo->addItem(ViewTitle(gv), v);
    }
    m_combo->addItem(QStringLiteral("Edit Views"), kEditViewsData);
    m_combo->setCurrentIndex(selected);
}

void CDataLogValues::FillStartTime() {
    if (!m_doc.HasLog()) {
        m_startTime->SetText(QStringLiteral("Start Time"));
        return;
    }
    m_startTime->SetText(FromAnsi(m_doc.StartTimeText()));
}

void CDataLogValues::FillStatsRanges() {
    const bool comparison = m_doc.IsComparisonLoaded();
    m_statsRange[0]->SetText(m_doc.HasLog() ? StatsRangeText(m_doc.Main(), QStringLiteral("Stats"))
                                            : QString());
    m_statsRange[1]->SetText(
        comparison ? StatsRangeText(m_doc.Comparison(), QStringLiteral("Comparison")) : QString());
}

int CDataLogValues::RowWidth() const {
    return std::max(int(CDlgDataLogValue::kRowWidth), viewport()->width() - 2 * kRowsLeft);
}

bool CDataLogValues::viewportEvent(QEvent* event) {
    const bool handled = QScrollArea::viewportEvent(event);
    // The viewport also narrows when the vertical scroll bar appears.
    if (event->type() == QEvent::Resize && m_rows[0] && m_rows[0]->FullSize().width() != RowWidth())
        LayoutRows();
    return handled;
}

void CDataLogValues::LayoutStatColumns() {
    // Every shown row and the headings share one set of columns, each as wide as its widest
    // text needs, in the largest font size for which all of them fit.
    using Widths = CDlgDataLogValue::StatWidths;
    constexpr int kColumns = CDlgDataLogValue::kStatColumns;
    const auto measure = [](const QFont& font, const QString& text) {
        return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text))) +
               CDlgDataLogValue::kStatGap + 1;
    };
    Widths headings{};
    for (int c = 0; c < kColumns; ++c)
        headings[size_t(c)] = measure(m_headingFont, m_headings[size_t(c)]->Text()) + 2;
    const int room = m_rows[0]->StatRoom();
    QFont font;
    Widths need{};
    for (qreal points : kStatPointSizes) {
        font = SizedFont(this->font(), points);
        need = headings;
        for (const CDlgDataLogValue* row : m_rows) {
            if (!row->IsShown() || row->IsCollapsed()) continue;
            for (int c = 0; c < kColumns; ++c)
                for (bool comparison : {false, true})
                    need[size_t(c)] = std::max(
                        need[size_t(c)], measure(font, row->StatLabel(comparison, c)->Text()));
        }
        if (std::accumulate(need.begin(), need.end(), 0) <= room) break;
    }
    const Widths widths = FitColumns(need, room);
    for (CDlgDataLogValue* row : m_rows)
        row->SetStatColumns(font, widths);
    int left = kRowsLeft + CDlgDataLogValue::kStatLeft;
    for (int c = 0; c < kColumns; ++c) {
        m_headings[size_t(c)]->setGeometry(left, 68, widths[size_t(c)] - CDlgDataLogValue::kStatGap,
                                           18);
        left += widths[size_t(c)];
    }
}

void CDataLogValues::LayoutRows() {
    // Rows are as wide as the pane: widening the pane widens the rows and their columns.
    const int width = RowWidth();
    for (CDlgDataLogValue* row : m_rows)
        row->SetRowWidth(width);
    LayoutStatColumns();
    m_nudge->move(kRowsLeft + width - m_nudge->width(), m_nudge->y());
    m_startTime->setGeometry(kRowsLeft + width - 176, 30, 176, 24);
    const int half = width / 2;
    m_statsRange[0]->setGeometry(kRowsLeft + CDlgDataLogValue::kStatLeft, 54, half - 6, 14);
    m_statsRange[1]->setGeometry(kRowsLeft + half, 54, width - half - 4, 14);
    const QPoint origin(kRowsLeft, kRowsTop);
    int y = origin.y();
    for (CDlgDataLogValue* row : m_rows) {
        if (!row->IsShown()) {
            row->hide();
            continue;
        }
        row->move(origin.x(), y);
        row->show();
        y += row->height() + kRowGap;
    }
    // The rows' own width and the same margin at both sides: the vertical scroll bar lies
    // beside the content, so no more is needed for it (see sizeHint).
    const QSize size(kRowsLeft + width + kRowsLeft, std::max(y, kRowsTop));
    m_content->resize(size);
    m_background->setGeometry(0, 0, size.width(), size.height());
    m_background->lower();
    m_content->update();
}

QSize CDataLogValues::sizeHint() const {
    // Wide enough for the narrowest rows and a vertical scroll bar, so that no horizontal one is
    // needed; a wider pane widens the rows.
    const int frame = 2 * frameWidth();
    return {kRowsLeft + CDlgDataLogValue::kRowWidth + kRowsLeft +
                verticalScrollBar()->sizeHint().width() + frame,
            QScrollArea::sizeHint().height()};
}

void CDataLogValues::RefreshValues() {
    RefreshCursorB();
    RefreshDifferences();
    const int frame = m_doc.GetCursorFrame();
    if (frame < 0) return;
    const bool comparisonLoaded = m_doc.IsComparisonLoaded();
    const bool onComparison = m_doc.IsCursorOnComparison() && comparisonLoaded;
    const LogData& main = m_doc.Main();
    const LogData& comparison = m_doc.Comparison();
    // A cursor frame beyond the log it points into (a stale cursor) shows nothing.
    if (!HasFrame(onComparison ? comparison : main, frame)) return;
    const float t = (onComparison ? comparison : main).values[0][size_t(frame)];
    const GraphView& gv =
        m_doc.Config().views[size_t(std::clamp(m_doc.GetCurrentView(), 0, kViewCount - 1))];
    for (int k = 0; k < kRowCount; ++k) {
        const uint32_t c = gv.entries[size_t(k)].channel;
        CDlgDataLogValue* row = m_rows[size_t(k)];
        if (!IsListedChannel(c) || !row->IsShown()) continue;
        const int slot = int(c) - 1;
        InterpolatedValue mv{kNoValue, 0};
        InterpolatedValue cv{kNoValue, 0};
        if (onComparison) {
            cv = At(comparison, slot, frame);
            mv = InterpolateAtTime(main, slot, t);
        } else {
            mv = At(main, slot, frame);
            if (comparisonLoaded) cv = InterpolateAtTime(comparison, slot, t);
        }
        row->SetValues(ValueText(main, int(c), mv.value), mv.status,
                       comparisonLoaded ? ValueText(comparison, int(c), cv.value) : QString(),
                       comparisonLoaded ? cv.status : 0);
    }
}

void CDataLogValues::RefreshCursorB() {
    const std::optional<CDataLogDoc::CursorMark> b = m_doc.GetCursorB();
    const int a = m_doc.GetCursorFrame();
    const bool comparisonLoaded = m_doc.IsComparisonLoaded();
    const GraphView& gv =
        m_doc.Config().views[size_t(std::clamp(m_doc.GetCurrentView(), 0, kViewCount - 1))];
    bool resized = false;
    for (int k = 0; k < kRowCount; ++k) {
        const uint32_t c = gv.entries[size_t(k)].channel;
        CDlgDataLogValue* row = m_rows[size_t(k)];
        if (!b || !IsListedChannel(c) || !row->IsShown()) {
            resized |= row->SetCursorBTexts({}, {});
            continue;
        }
        const int slot = int(c) - 1;
        const auto [mb, cb] = ValuesAtFrame(m_doc, b->frame, b->onComparison, slot);
        std::optional<float> ma, ca;
        if (a >= 0) {
            const auto [mv, cv] = ValuesAtFrame(m_doc, a, m_doc.IsCursorOnComparison(), slot);
            ma = mv.value;
            ca = cv.value;
        }
        resized |= row->SetCursorBTexts(
            CursorBText(m_doc.Main(), int(c), mb.value, ma),
            comparisonLoaded ? CursorBText(m_doc.Comparison(), int(c), cb.value, ca) : QString());
    }
    if (resized) LayoutRows();
}

bool CDataLogValues::ShowsDifference(int k) const {
    const GraphView& gv =
        m_doc.Config().views[size_t(std::clamp(m_doc.GetCurrentView(), 0, kViewCount - 1))];
    const uint32_t c = gv.entries[size_t(k)].channel;
    const CDlgDataLogValue* row = m_rows[size_t(k)];
    return m_doc.IsComparisonLoaded() && IsListedChannel(c) && row->IsShown() &&
           row->IsAvailable() && m_doc.IsDifferenceShown(int(c));
}

void CDataLogValues::RefreshDifferenceStats() {
    const GraphView& gv =
        m_doc.Config().views[size_t(std::clamp(m_doc.GetCurrentView(), 0, kViewCount - 1))];
    // The frames the chart shows: its zoom range, both ends included.
    const int first = std::max(m_doc.GetZoomFirst(), 0);
    const int end = std::min(m_doc.GetZoomLast() + 1, m_doc.GetFrameCount());
    std::vector<float> differences;
    for (int k = 0; k < kRowCount; ++k) {
        QString& text = m_differenceStats[size_t(k)];
        text.clear();
        if (!ShowsDifference(k)) continue;
        const int c = int(gv.entries[size_t(k)].channel);
        if (!DifferenceValues(m_doc.Main(), m_doc.Comparison(), c - 1, first, end, differences)) {
            m_doc.NoteBrokenStore();
            continue;
        }
        const DifferenceStats stats = StatisticsOfDifferences(differences);
        if (stats.count == 0) {
            text = QStringLiteral("in view: no frame of both logs");
            continue;
        }
        const QString format =
            FromAnsi(NumberFormatOf(GetChannelValueFormat(m_doc.Main().config, c)));
        text = QStringLiteral("in view: Min %1  Max %2  Avg %3  StDv %4")
                   .arg(FormatDouble(format, stats.minimum), FormatDouble(format, stats.maximum),
                        FormatDouble(format, stats.average), FormatDouble(format, stats.deviation));
    }
    RefreshDifferences();
}

void CDataLogValues::RefreshDifferences() {
    const GraphView& gv =
        m_doc.Config().views[size_t(std::clamp(m_doc.GetCurrentView(), 0, kViewCount - 1))];
    const int a = m_doc.GetCursorFrame();
    bool resized = false;
    for (int k = 0; k < kRowCount; ++k) {
        CDlgDataLogValue* row = m_rows[size_t(k)];
        if (!ShowsDifference(k)) {
            resized |= row->SetDifferenceText({});
            continue;
        }
        const int c = int(gv.entries[size_t(k)].channel);
        // The values the row shows at the cursor, main less comparison.
        QString atCursor = QStringLiteral("-");
        if (a >= 0) {
            const auto [mv, cv] = ValuesAtFrame(m_doc, a, m_doc.IsCursorOnComparison(), c - 1);
            if (mv.value != kNoValue && cv.value != kNoValue) {
                atCursor = ValueText(m_doc.Main(), c, mv.value - cv.value);
                if (mv.value - cv.value > 0 && !atCursor.startsWith(u'+')) atCursor.prepend(u'+');
            }
        }
        resized |= row->SetDifferenceText(QStringLiteral("Diff ") + atCursor +
                                          QStringLiteral("    ") + m_differenceStats[size_t(k)]);
    }
    if (resized) LayoutRows();
}

void CDataLogValues::OnDifferenceToggled(int row) {
    RefreshDifferenceStats();
    m_doc.UpdateAllViews(this, DocumentChange::ShownDataChanged);
    if (row >= 0 && row < kRowCount) m_rows[size_t(row)]->update();
}

void CDataLogValues::StatsBetweenCursors() {
    const std::optional<CDataLogDoc::CursorMark> b = m_doc.GetCursorB();
    const int a = m_doc.GetCursorFrame();
    if (!b || a < 0) return;
    const bool aOnComparison = m_doc.IsCursorOnComparison() && m_doc.IsComparisonLoaded();
    const LogData& logA = aOnComparison ? m_doc.Comparison() : m_doc.Main();
    const LogData& logB = b->onComparison ? m_doc.Comparison() : m_doc.Main();
    if (!HasFrame(logA, a) || !HasFrame(logB, b->frame)) return;
    const double ta = logA.values[0][size_t(a)];
    const double tb = logB.values[0][size_t(b->frame)];
    // The window from one cursor's time to the other's, each end's nearest frame included:
    // on the cursors' own log that is every frame from A to B.
    OnUpdateStats(TimeWindow{std::min(ta, tb), std::max(ta, tb)});
}

void CDataLogValues::StepView(int direction) {
    m_doc.StepView(direction);
    RebuildRows();
    RefreshValues();
    m_doc.UpdateAllViews(this, DocumentChange::ShownDataChanged);
}

void CDataLogValues::OnComboActivated(int index) {
    const int data = m_combo->itemData(index).toInt();
    if (data == kEditViewsData) {
        FillCombo();  // back to the current view
        emit editViewsRequested();
        return;
    }
    m_doc.SetCurrentView(data);
    RebuildRows();
    RefreshValues();
    m_doc.UpdateAllViews(this, DocumentChange::ShownDataChanged);
}

void CDataLogValues::AfterAxisSetup(int row) {
    m_doc.SaveGraphConfiguration();
    m_doc.UpdateAllViews(this, DocumentChange::ShownDataChanged);
    if (row >= 0 && row < kRowCount) m_rows[size_t(row)]->RefreshAxisFields();
}

void CDataLogValues::Nudge(int delta) {
    if (delta != 0) m_doc.NudgeComparison(-delta);
}

void CDataLogValues::OnUpdateStats(const std::optional<TimeWindow>& visible) {
    const StatsRanges r = UpdateStatsRanges(m_doc, visible);
    m_doc.ComputeMainStats(r.mainFirst, r.mainEnd);
    m_doc.ComputeComparisonStats(r.comparisonFirst, r.comparisonEnd);
    m_doc.UpdateAllViews(this, DocumentChange::LogChanged);
    RebuildRows();
    RefreshValues();
}

}  // namespace quillon

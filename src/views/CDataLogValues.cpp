#include "views/CDataLogValues.h"

#include <algorithm>

#include <QComboBox>
#include <QHBoxLayout>
#include <QToolButton>

#include "config/GraphConfiguration.h"
#include "controls/CBGImage.h"
#include "controls/CButtonViewShift.h"
#include "controls/CGDIPButton.h"
#include "controls/CGDIPGlowLabel.h"
#include "controls/NumericFormat.h"
#include "datalog/CDataLogDoc.h"
#include "datalog/ChannelInfo.h"
#include "datalog/ChannelNaming.h"
#include "datalog/ComparisonLog.h"
#include "views/CDlgDataLogValue.h"

namespace quillon {

namespace {

const char* const kHeadings[8] = {"Min", "Max", "Avg", "StDv", "Start", "End", "Delta", "Slope"};

bool IsListedChannel(uint32_t c) {
    return c >= 1 && c <= uint32_t(kChannelCount);
}

QString ViewTitle(const GraphView& view) {
    return FromAnsi(std::string_view(view.title, strnlen(view.title, sizeof(view.title))));
}

QString ValueText(const LogData& log, int channel, float value) {
    if (value == kNoValue) return QStringLiteral("-");
    return FormatDouble(FromAnsi(GetChannelValueFormat(log.config, channel)), double(value));
}

// The frame count a cursor may index in a log: its own frames (a padded tail holds no data).
bool HasFrame(const LogData& log, int frame) {
    return frame >= 0 && frame < log.frameCount && size_t(frame) < log.values[0].size();
}

// A slot's value and status at a frame, the no-value marker where the columns do not reach.
InterpolatedValue At(const LogData& log, int slot, int frame) {
    const auto& v = log.values[size_t(slot)];
    const auto& s = log.status[size_t(slot)];
    if (size_t(frame) >= v.size()) return {kNoValue, 0};
    return {v[size_t(frame)], size_t(frame) < s.size() ? s[size_t(frame)] : 0};
}

}  // namespace

InterpolatedValue InterpolateAtTime(const LogData& log, int slot, float t) {
    const InterpolatedValue none{kNoValue, 0};
    const int m = log.frameCount;
    if (m <= 0 || slot < 0 || slot >= kSlotCount) return none;
    const float* u = log.values[0].data();
    const float* v = log.values[size_t(slot)].data();
    const uint32_t* s = log.status[size_t(slot)].data();
    if (!u || !v || !s || log.values[0].size() < size_t(m) ||
        log.values[size_t(slot)].size() < size_t(m) || log.status[size_t(slot)].size() < size_t(m))
        return none;
    if (!(t >= u[0]) || t > u[m - 1]) return none;
    if (t == u[m - 1]) return {v[m - 1], s[m - 1]};
    // The smallest i with u[i] > t; damaged (unordered) times still give an index inside.
    const int i = int(std::upper_bound(u, u + m, t) - u);
    if (i <= 0 || i >= m || !(u[i] > u[i - 1])) return none;
    const float value = (t - u[i - 1]) / (u[i] - u[i - 1]) * (v[i] - v[i - 1]) + v[i - 1];
    return {value, s[i - 1]};
}

CDataLogValues::CDataLogValues(CDataLogDoc& doc, CPrefs& prefs, QWidget* parent)
    : QScrollArea(parent), m_doc(doc), m_prefs(prefs) {
    setFrameShape(QFrame::NoFrame);
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
    m_nudge = new QWidget(m_content);
    m_nudge->setGeometry(272, 4, 45, 22);
    m_nudge->setToolTip(QStringLiteral("Nudge Comparison"));
    auto* nudgeLayout = new QHBoxLayout(m_nudge);
    nudgeLayout->setContentsMargins(0, 0, 0, 0);
    nudgeLayout->setSpacing(1);
    for (auto [arrow, delta] : {std::pair{Qt::LeftArrow, 1}, {Qt::RightArrow, -1}}) {
        auto* b = new QToolButton(m_nudge);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFixedSize(22, 22);
        nudgeLayout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, delta = delta] { Nudge(delta); });
    }

    QFont titleFont = font();
    titleFont.setPointSizeF(12);
    titleFont.setBold(true);
    m_title = new CGDIPGlowLabel(m_content);
    m_title->setGeometry(3, 30, 180, 24);
    m_title->SetLabelFont(titleFont);
    m_title->SetGlow(3);
    m_startTime = new CGDIPGlowLabel(m_content, QStringLiteral("Start Time"));
    m_startTime->setGeometry(184, 30, 136, 24);
    m_startTime->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont small = font();
    small.setPointSizeF(7.5);
    m_startTime->SetLabelFont(small);
    m_startTime->SetGlow(1);
    for (int c = 0; c < 8; ++c) {
        auto* h = new CGDIPGlowLabel(m_content, QString::fromLatin1(kHeadings[c]));
        h->setGeometry(3 + CDlgDataLogValue::kStatLeft + c * CDlgDataLogValue::kStatWidth, 56,
                       CDlgDataLogValue::kStatWidth - 2, 18);
        h->SetLabelFont(small);
        h->SetGlow(1);
        h->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_headings[size_t(c)] = h;
    }

    for (int k = 0; k < kRowCount; ++k) {
        auto* row = new CDlgDataLogValue(m_doc, this, k, m_content);
        row->hide();
        connect(row, &CDlgDataLogValue::axisSetupRequested, this,
                &CDataLogValues::axisSetupRequested);
        m_rows[size_t(k)] = row;
    }

    connect(m_previous, &QAbstractButton::clicked, this, [this] { StepView(-1); });
    connect(m_next, &QAbstractButton::clicked, this, [this] { StepView(1); });
    connect(m_edit, &QAbstractButton::clicked, this, &CDataLogValues::editViewsRequested);
    connect(m_title, &CGDIPBuffer::doubleClicked, this, &CDataLogValues::editViewsRequested);
    connect(m_combo, &QComboBox::activated, this, &CDataLogValues::OnComboActivated);

    setWidget(m_content);
    m_doc.AddView(this);
    RebuildRows();
    RefreshValues();
}

CDataLogValues::~CDataLogValues() {
    m_doc.RemoveView(this);
}

void CDataLogValues::OnUpdate(IDataLogView* sender, int hint) {
    if (sender == this) return;
    if (hint == kHintRefill || hint == kHintRebuild) RebuildRows();
    RefreshValues();
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
    m_nudge->setEnabled(m_doc.IsComparisonLoaded());
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

void CDataLogValues::LayoutRows() {
    const QPoint origin(3, kRowsTop);
    int y = origin.y();
    int width = CDlgDataLogValue::kRowWidth;
    for (CDlgDataLogValue* row : m_rows) {
        if (!row->IsShown()) {
            row->hide();
            continue;
        }
        row->move(origin.x(), y);
        row->show();
        y += row->height() + kRowGap;
        width = row->width();
    }
    const QSize size(width + 33, std::max(y, kRowsTop));
    m_content->resize(size);
    m_background->setGeometry(0, 0, size.width(), size.height());
    m_background->lower();
    m_content->update();
}

void CDataLogValues::RefreshValues() {
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

void CDataLogValues::StepView(int direction) {
    m_doc.StepView(direction);
    RebuildRows();
    RefreshValues();
    m_doc.UpdateAllViews(this, kHintRefill);
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
    m_doc.UpdateAllViews(this, kHintRefill);
}

void CDataLogValues::AfterAxisSetup(int row) {
    m_doc.SaveGraphConfiguration();
    m_doc.UpdateAllViews(this, kHintRefill);
    if (row >= 0 && row < kRowCount) m_rows[size_t(row)]->RefreshAxisFields();
}

void CDataLogValues::Nudge(int delta) {
    if (!m_doc.IsComparisonLoaded() || delta == 0) return;
    NudgeComparison(m_doc.Comparison(), -delta);
    m_doc.SetComparisonEdited(true);
    m_doc.UpdateAllViews(this, kHintRefill);
    RebuildRows();
    RefreshValues();
}

void CDataLogValues::OnUpdateStats(int first, int end) {
    const LogData& main = m_doc.Main();
    const int n = main.frameCount;
    first = std::clamp(first, 0, std::max(n, 0));
    end = std::clamp(end, first, std::max(n, 0));
    m_doc.ComputeMainStats(first, end);
    if (m_doc.IsComparisonLoaded()) {
        const int m = m_doc.Comparison().frameCount;
        if ((first == 0 && end >= n) || end <= first || main.values[0].size() < size_t(end)) {
            m_doc.ComputeComparisonStats(0, m);
        } else {
            // The comparison's frames over the same stretch of time, its last frame included.
            const float t0 = main.values[0][size_t(first)];
            const float t1 = main.values[0][size_t(end - 1)];
            const int cf = std::max(0, m_doc.ComparisonFrameAtTime(t0));
            const int ce = std::max(cf, m_doc.ComparisonFrameAtTime(t1) + 1);
            m_doc.ComputeComparisonStats(cf, ce);
        }
    }
    m_doc.UpdateAllViews(this, kHintRebuild);
    RebuildRows();
    RefreshValues();
}

}  // namespace quillon

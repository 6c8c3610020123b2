#include "gui/chart/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "gui/chart/AxisScale.h"
#include "gui/chart/SmoothingFilter.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "model/FrameDecoding.h"
#include "model/LogColumns.h"
#include "model/LogStore.h"
#include "model/LogSummary.h"

namespace quillon {

const std::array<uint32_t, ChartModel::kItemCount> ChartModel::kColours = {
    0xFF0000, 0x00FF00, 0x0000FF, 0x800000, 0x008000, 0x000080, 0xFFFF00, 0x00FFFF,
    0xFF00FF, 0x808000, 0x008080, 0x800080, 0x3232B4, 0x32B432, 0xB43232, 0xB432B4};

namespace {

bool ValidChannel(uint32_t c) {
    return c >= 1 && c <= static_cast<uint32_t>(kChannelCount);
}

const GraphView* ViewOf(const GraphConfiguration& config, int view) {
    if (view < 0 || view >= kViewCount) return nullptr;
    return &config.views[static_cast<size_t>(view)];
}

/// The item order: the entries of panelOrder (valid, each once), then the others in entry order.
std::array<int, ChartModel::kItemCount> ItemOrder(const std::vector<int>& panelOrder) {
    std::array<int, ChartModel::kItemCount> order{};
    std::array<bool, ChartModel::kItemCount> taken{};
    size_t n = 0;
    for (int e : panelOrder) {
        if (e < 0 || e >= ChartModel::kItemCount || taken[static_cast<size_t>(e)]) continue;
        taken[static_cast<size_t>(e)] = true;
        order[n++] = e;
    }
    for (int e = 0; e < ChartModel::kItemCount; ++e)
        if (!taken[static_cast<size_t>(e)]) order[n++] = e;
    return order;
}

// The summary that draws an unfiltered file slot of a log long enough for its blocks, or null.
const LogSummary* SummaryServing(const LogData& log, int slot, uint32_t filter) {
    if (filter != 0 || !IsFileSlot(log, slot)) return nullptr;
    const LogSummary* summary = SummaryOf(log);
    if (!summary || log.frameCount < 2 * summary->BlockFrames(0) ||
        log.values[0].size() < static_cast<size_t>(log.frameCount))
        return nullptr;
    return summary;
}

// A channel of at most this many distinct drawable values is drawn as one of a few levels.
constexpr size_t kFewLevels = 4;

// Adds a value to the distinct drawable ones seen; false once they are more than kFewLevels.
bool NoteLevel(std::vector<float>& levels, float v) {
    if (!CurveEnvelope::IsDrawable(v) || std::find(levels.begin(), levels.end(), v) != levels.end())
        return true;
    levels.push_back(v);
    return levels.size() <= kFewLevels;
}

// Whether a curve's values take only a few levels, judged by the ends and extremes of each block
// of the summary's coarse size: from the summary, or computed alike from the values.
bool HasFewLevels(const float* values, size_t n, const LogSummary* summary, int slot) {
    std::vector<float> levels;
    const auto few = [&](const SummaryBlock& b) {
        return NoteLevel(levels, b.first) && NoteLevel(levels, b.last) &&
               NoteLevel(levels, b.minimum) && NoteLevel(levels, b.maximum);
    };
    if (summary) {
        const int coarse = summary->LevelCount() - 1;
        const SummaryBlock* blocks = summary->Blocks(coarse, slot);
        for (size_t b = 0; b < summary->BlockCount(coarse); ++b)
            if (!few(blocks[b])) return false;
        return levels.size() > 1;
    }
    constexpr size_t kBlock = LogSummary::kCoarseBlock;
    for (size_t first = 0; first < n; first += kBlock) {
        const size_t end = std::min(n, first + kBlock);
        SummaryBlock b{std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity(), values[first], values[end - 1]};
        for (size_t i = first; i < end; ++i) {
            const float v = values[i];
            if (!LogSummary::IsDrawable(v)) continue;
            b.minimum = v < b.minimum ? v : b.minimum;
            b.maximum = v > b.maximum ? v : b.maximum;
        }
        if (!few(b)) return false;
    }
    return levels.size() > 1;
}

void PointCurve(ChartCurve& curve, const LogData& log, int channel, int filter) {
    curve = ChartCurve{};
    if (channel < 1 || log.frameCount <= 0) return;
    const Column<float>& time = log.values[0];
    if (const LogSummary* summary =
            SummaryServing(log, channel - 1, static_cast<uint32_t>(filter))) {
        curve.timeColumn = time;
        curve.x = time.data();
        curve.count = static_cast<size_t>(log.frameCount);
        curve.log = &log;
        curve.slot = channel - 1;
        curve.summary = log.source.summary;
        curve.envelope.BuildFromSummary(*summary, curve.slot, curve.count);
        curve.fewLevels = HasFewLevels(nullptr, 0, summary, curve.slot);
        return;
    }
    const Column<float>& values = log.values[static_cast<size_t>(channel - 1)];
    const size_t n = std::min({static_cast<size_t>(log.frameCount), time.size(), values.size()});
    if (n == 0) return;
    curve.timeColumn = time;
    curve.valueColumn = values;
    curve.x = time.data();
    curve.raw = values.data();
    curve.count = n;
    if (filter != 0) {
        curve.filtered.resize(n);
        ApplySmoothingFilter(curve.raw, n, filter, curve.filtered.data());
        curve.y = curve.filtered.data();
    } else {
        curve.y = curve.raw;
    }
    curve.envelope.Build(curve.y, n);
    curve.fewLevels = HasFewLevels(curve.y, n, nullptr, 0);
}

/// The range an automatic axis shows for the drawn values in r: 5% room at both ends, round
/// ends; false when r holds no value.
bool AutoRange(const CurveEnvelope::Range& r, double& lo, double& hi) {
    if (!r.any) return false;
    lo = r.minimum;
    hi = r.maximum;
    if (lo == hi) {
        const double pad = std::max(1.0, std::abs(lo) * 0.05);
        lo -= pad;
        hi += pad;
    } else {
        const double pad = (hi - lo) * 0.05;
        lo -= pad;
        hi += pad;
    }
    // Round ends read as plain numbers on the axis.
    RoundRange(lo, hi);
    return true;
}

/// Main minus comparison of a channel at the main log's times as a curve of its own.
bool PointDifference(ChartCurve& curve, LogData& main, LogData& comparison, int channel) {
    curve = ChartCurve{};
    if (channel < 1 || main.frameCount <= 0) return false;
    if (!DifferenceValues(main, comparison, channel - 1, 0, main.frameCount, curve.filtered) ||
        curve.filtered.empty() || main.values[0].size() < curve.filtered.size())
        return false;
    curve.timeColumn = main.values[0];
    curve.x = curve.timeColumn.data();
    curve.raw = curve.y = curve.filtered.data();
    curve.count = curve.filtered.size();
    curve.envelope.Build(curve.y, curve.count);
    return true;
}

}  // namespace

float ChartCurve::RawAt(int frame) const {
    if (frame < 0 || static_cast<size_t>(frame) >= count) return ChartModel::kNoValue;
    if (summary) {
        const std::vector<float>& window = envelope.WindowValues();
        const size_t at = static_cast<size_t>(frame) - envelope.WindowFirst();
        if (static_cast<size_t>(frame) >= envelope.WindowFirst() && at < window.size())
            return window[at];
        return log ? ValueAt(*log, slot, frame) : ChartModel::kNoValue;
    }
    if (!raw) return ChartModel::kNoValue;
    return raw[frame];
}

float ChartCurve::DrawnAt(int frame) const {
    if (summary) return RawAt(frame);
    if (!y || frame < 0 || static_cast<size_t>(frame) >= count) return ChartModel::kNoValue;
    return y[frame];
}

bool ChartModel::LoadWindows(const float* x, size_t from, size_t to, size_t keepValues) const {
    for (const LogData* log : {m_mainLog, m_comparisonLog}) {
        if (!log) continue;
        std::vector<const ChartCurve*> curves;
        for (const ChartItem& item : m_items)
            for (const ChartCurve* c : {&item.main, &item.comparison})
                if (c->summary && c->log == log && c->x == x &&
                    !(c->envelope.WindowHolds(from, to) &&
                      (to - from > keepValues || !c->envelope.WindowValues().empty())))
                    curves.push_back(c);
        if (curves.empty()) continue;
        // A curve whose column the log has made meanwhile (statistics, another view) is read
        // from it; the others from the file, in one pass.
        std::vector<const ChartCurve*> fromFile;
        for (const ChartCurve* c : curves) {
            c->envelope.BeginWindow(from, to, keepValues);
            const Column<float>& column = log->values[static_cast<size_t>(c->slot)];
            if (column.size() >= to)
                c->envelope.AddWindowValues(column.data() + from, to - from);
            else
                fromFile.push_back(c);
        }
        Result pass;
        if (!fromFile.empty()) {
            std::vector<float> values(LogStore::kBlockFrames);
            pass = VisitFrames(
                *log, static_cast<int>(from), static_cast<int>(to),
                [&](const uint8_t* frames, int, int n) {
                    for (const ChartCurve* c : fromFile) {
                        for (int i = 0; i < n; ++i)
                            values[static_cast<size_t>(i)] =
                                FrameValue(frames + static_cast<size_t>(i) * kFrameSize, c->slot);
                        c->envelope.AddWindowValues(values.data(), static_cast<size_t>(n));
                    }
                    return true;
                });
        }
        for (const ChartCurve* c : curves)
            c->envelope.EndWindow();
        if (!pass.ok()) return false;
    }
    return true;
}

void ChartModel::Clear() {
    m_items = {};
    m_differences = {};
    m_hasComparison = false;
    m_mainLog = m_comparisonLog = nullptr;
}

void ChartModel::Build(const GraphConfiguration& config, int view,
                       const std::vector<int>& panelOrder, LogData& main, LogData* comparison,
                       const ChannelSet& differences) {
    Clear();
    m_hasComparison = comparison != nullptr;
    m_mainLog = &main;
    m_comparisonLog = comparison;
    const GraphView* v = ViewOf(config, view);
    // The columns of every curve not drawn from a summary are made from the files in one pass
    // per log.
    if (v) {
        for (LogData* log : {&main, comparison}) {
            if (!log) continue;
            std::vector<int> wanted;
            for (const GraphViewEntry& e : v->entries)
                if (ValidChannel(e.channel) &&
                    !SummaryServing(*log, static_cast<int>(e.channel) - 1, e.filter))
                    wanted.push_back(static_cast<int>(e.channel) - 1);
            EnsureColumns(*log, wanted);
        }
    }
    const std::array<int, kItemCount> order = ItemOrder(panelOrder);
    for (int k = 0; k < kItemCount; ++k) {
        ChartItem& item = m_items[static_cast<size_t>(k)];
        item.entry = order[static_cast<size_t>(k)];
        item.rgb = kColours[static_cast<size_t>(k)];
        if (!v) continue;
        const GraphViewEntry& e = v->entries[static_cast<size_t>(item.entry)];
        item.channel = ValidChannel(e.channel) ? static_cast<int>(e.channel) : 0;
        item.panel = e.panel < static_cast<uint32_t>(kPanelCount) ? static_cast<int>(e.panel) : -1;
        // Levels beyond 5 are smoothed as level 1, as the filter treats any unknown level.
        item.filter = e.filter == 0 ? 0 : static_cast<int>(std::min<uint32_t>(e.filter, 99));
        PointCurve(item.main, main, item.channel, item.filter);
        if (comparison) PointCurve(item.comparison, *comparison, item.channel, item.filter);
        FillLabels(item, &e, config, main);
        ChartItem& difference = m_differences[static_cast<size_t>(k)];
        difference.difference = comparison && item.channel > 0 &&
                                differences.test(static_cast<size_t>(item.channel - 1)) &&
                                PointDifference(difference.main, main, *comparison, item.channel);
        FillDifferenceLabels(difference, item, main);
    }
}

bool ChartModel::UpdateLabels(const GraphConfiguration& config, int view,
                              const std::vector<int>& panelOrder, const LogData& main,
                              const ChannelSet& differences) {
    const GraphView* v = ViewOf(config, view);
    const std::array<int, kItemCount> order = ItemOrder(panelOrder);
    for (int k = 0; k < kItemCount; ++k) {
        const ChartItem& item = m_items[static_cast<size_t>(k)];
        if (item.entry != order[static_cast<size_t>(k)]) return false;
        if (!v) continue;
        const GraphViewEntry& e = v->entries[static_cast<size_t>(item.entry)];
        const int channel = ValidChannel(e.channel) ? static_cast<int>(e.channel) : 0;
        if (channel != item.channel || (e.filter == 0) != (item.filter == 0) ||
            (e.filter != 0 && SmoothingHalfWidth(static_cast<int>(std::min<uint32_t>(
                                  e.filter, 99))) != SmoothingHalfWidth(item.filter)))
            return false;
        const bool wanted =
            m_hasComparison && channel > 0 && differences.test(static_cast<size_t>(channel - 1));
        if (wanted != m_differences[static_cast<size_t>(k)].difference) return false;
    }
    for (int k = 0; k < kItemCount; ++k) {
        ChartItem& item = m_items[static_cast<size_t>(k)];
        if (v) {
            const GraphViewEntry& e = v->entries[static_cast<size_t>(item.entry)];
            item.filter = e.filter == 0 ? 0 : static_cast<int>(std::min<uint32_t>(e.filter, 99));
        }
        FillLabels(item, v ? &v->entries[static_cast<size_t>(item.entry)] : nullptr, config, main);
        FillDifferenceLabels(m_differences[static_cast<size_t>(k)], item, main);
    }
    return true;
}

void ChartModel::FillDifferenceLabels(ChartItem& difference, const ChartItem& item,
                                      const LogData& main) {
    difference.entry = item.entry;
    difference.channel = item.channel;
    difference.panel = item.panel;
    difference.rgb = item.rgb;
    difference.name.clear();
    difference.autoscale = true;
    difference.axisMin = 0;
    difference.axisMax = 1;
    // Drawn whether or not the channel itself is graphed: the difference alone may be wanted.
    difference.visible = difference.difference && item.panel >= 0 && item.channel > 0 &&
                         IsChannelAvailable(main, item.channel);
    difference.axisShown = difference.visible;
    if (!difference.visible) return;
    difference.name = item.name + " diff";
    AutoRange(difference.main.envelope.MinMax(0, difference.main.count), difference.axisMin,
              difference.axisMax);
}

void ChartModel::FillLabels(ChartItem& item, const GraphViewEntry* entry,
                            const GraphConfiguration& config, const LogData& main) {
    item.visible = false;
    item.axisShown = false;
    item.name.clear();
    item.autoscale = true;
    item.axisMin = 0;
    item.axisMax = 1;
    if (!entry || item.channel == 0) return;
    item.name = GetChannelName(main.config, item.channel);
    item.visible = item.panel >= 0 && entry->graph != 0 && IsChannelAvailable(main, item.channel);
    item.axisShown = item.visible && entry->axisDisplay != 0;

    const ChannelAxisSetting& axis = config.axes[static_cast<size_t>(item.channel - 1)];
    double lo = axis.minimum;
    double hi = axis.maximum;
    // A fixed range read from a file may be unusable: non-finite or empty ranges fall back to
    // automatic scaling, a reversed one is put in order.
    item.autoscale = axis.autoscale != 0 || !std::isfinite(lo) || !std::isfinite(hi) || lo == hi;
    if (!item.autoscale) {
        if (lo > hi) std::swap(lo, hi);
        item.axisMin = lo;
        item.axisMax = hi;
        return;
    }
    CurveEnvelope::Range r = item.main.envelope.MinMax(0, item.main.count);
    const CurveEnvelope::Range rc = item.comparison.envelope.MinMax(0, item.comparison.count);
    if (rc.any) {
        r.minimum = r.any ? std::min(r.minimum, rc.minimum) : rc.minimum;
        r.maximum = r.any ? std::max(r.maximum, rc.maximum) : rc.maximum;
        r.any = true;
    }
    AutoRange(r, item.axisMin, item.axisMax);
}

std::array<int, ChartModel::kItemCount> ChartModel::ItemEntries() const {
    std::array<int, kItemCount> entries{};
    for (int k = 0; k < kItemCount; ++k)
        entries[static_cast<size_t>(k)] = m_items[static_cast<size_t>(k)].entry;
    return entries;
}

int ChartModel::ItemOfEntry(int entry) const {
    for (int k = 0; k < kItemCount; ++k)
        if (m_items[static_cast<size_t>(k)].entry == entry) return k;
    return -1;
}

int ChartModel::PanelItemCount(int panel) const {
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(),
                                          [&](const ChartItem& i) { return i.panel == panel; }));
}

int ChartModel::SubsetOf(int item, bool comparison) const {
    return m_hasComparison ? 2 * item + (comparison ? 1 : 0) : item;
}

void ChartModel::SplitSubset(int subset, int& item, bool& comparison) const {
    comparison = m_hasComparison && subset % 2 == 1;
    item = m_hasComparison ? subset / 2 : subset;
}

}  // namespace quillon

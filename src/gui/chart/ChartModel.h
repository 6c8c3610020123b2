#pragma once
/// What the strip chart draws, built from the current view of the graph configuration and the
/// loaded logs: 16 items ordered by panel, each with its y axis, colour, scaling and one curve per
/// log (main, and comparison when loaded). Holds no Qt state, so it is testable without painting.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/DifferenceChannel.h"
#include "gui/chart/CurveEnvelope.h"
#include "model/GraphConfiguration.h"
#include "model/LogData.h"
#include "model/LogSummary.h"

namespace quillon {

/// One curve (a subset): a log's times and the values it draws. An unfiltered channel of a large
/// log read from a file is drawn from the log's summary, without its column (raw and y null):
/// the few frames a close zoom needs are read into the envelope's window (ChartModel::LoadWindows).
struct ChartCurve {
    const float* x = nullptr;    // the log's frame times
    const float* raw = nullptr;  // the channel's values as stored
    const float* y = nullptr;    // what is drawn: raw, or the filtered copy
    size_t count = 0;            // the log's own frame count
    std::vector<float> filtered;
    /// Mutable: a summary-backed envelope's window is a cache of the frames last drawn.
    mutable CurveEnvelope envelope;
    /// Keep the columns x and raw point into alive while the curve exists.
    Column<float> timeColumn;
    Column<float> valueColumn;
    /// Summary-backed: the log and slot whose frames the window reads, and the summary kept alive.
    const LogData* log = nullptr;
    int slot = 0;
    std::shared_ptr<const LogSummary> summary;
    /// The drawn values take only a few levels (a status or flag channel): drawn under the other
    /// curves, its columns filled translucent where it toggles.
    bool fewLevels = false;

    bool Empty() const { return count == 0 || (!y && !summary); }
    /// Raw value at a frame, or the no-value marker outside the log.
    float RawAt(int frame) const;
    /// Drawn value at a frame, or the no-value marker outside the log.
    float DrawnAt(int frame) const;
};

struct ChartItem {
    int entry = 0;    // the view entry (0..15) this item shows
    int channel = 0;  // 1..440, or 0 when the entry holds none or an out-of-range number
    int panel = -1;   // 0..4, or -1 when the entry's panel lies outside 0..4
    int filter = 0;   // the entry's filter level (0 = none)
    bool visible = false;
    bool axisShown = false;
    std::string name;  // the channel's display name (bytes in the log's code page)
    uint32_t rgb = 0;  // 0xRRGGBB
    bool autoscale = true;
    double axisMin = 0;  // the y range the axis shows
    double axisMax = 1;
    ChartCurve main;
    ChartCurve comparison;
    /// A difference item: its main curve is main minus comparison at the main log's times (held
    /// in `filtered`), drawn dotted against an axis of its own.
    bool difference = false;
};

class ChartModel {
public:
    static constexpr float kNoValue = -999999.0f;
    static constexpr int kItemCount = 16;
    /// Axes: one per item (0..15), then one per item's difference curve (16..31).
    static constexpr int kAxisCount = 2 * kItemCount;
    /// The 16 item colours, 0xRRGGBB, in item order.
    static const std::array<uint32_t, kItemCount> kColours;
    /// Text colour of the cursor table's figures, 0xRRGGBB.
    static constexpr uint32_t kTableFigureColour = 0xC60000;

    /// Builds every item of view `view` (0..7; other numbers show an empty chart) and, with
    /// data, points the curves at the logs' columns and makes the filtered copies. Items follow
    /// panelOrder (the view's entries ordered by panel, as the document gives them); entries it
    /// leaves out (those without a panel 0..4) come last, in entry order. comparison is null
    /// when no comparison log is loaded. The curves' columns are made from the logs' files
    /// first. The logs must outlive the model's data. With a comparison, each item whose
    /// channel is in `differences` also gets its difference curve (main minus comparison).
    void Build(const GraphConfiguration& config, int view, const std::vector<int>& panelOrder,
               LogData& main, LogData* comparison, const ChannelSet& differences = {});
    /// Refreshes visibility, names, axis display and scaling without touching the curves; false
    /// (nothing changed) when the view's channels, filters, panel order or difference curves no
    /// longer match the curves, which then need a Build.
    bool UpdateLabels(const GraphConfiguration& config, int view,
                      const std::vector<int>& panelOrder, const LogData& main,
                      const ChannelSet& differences = {});
    /// Reads the frames [from, to) of the log whose times are `x` into the windows of its
    /// summary-backed curves that do not hold them yet, in one pass; values are kept for windows
    /// of at most keepValues frames. False when the file could not be read.
    bool LoadWindows(const float* x, size_t from, size_t to, size_t keepValues) const;
    void Clear();

    bool HasComparison() const { return m_hasComparison; }
    int SubsetCount() const { return m_hasComparison ? 2 * kItemCount : kItemCount; }
    const std::array<ChartItem, kItemCount>& Items() const { return m_items; }
    const ChartItem& Item(int k) const { return m_items[static_cast<size_t>(k)]; }
    /// Item k's difference curve and axis (not visible when it has none).
    const ChartItem& Difference(int k) const { return m_differences[static_cast<size_t>(k)]; }
    /// What axis a (0..kAxisCount - 1) shows: an item, or an item's difference.
    const ChartItem& AxisItem(int a) const {
        return a < kItemCount ? Item(a) : Difference(a - kItemCount);
    }
    /// itemEntry: the view entry of each item.
    std::array<int, kItemCount> ItemEntries() const;
    /// The item showing view entry e, or -1.
    int ItemOfEntry(int entry) const;
    /// Items in panel p (0..4), in item order.
    int PanelItemCount(int panel) const;

    /// Subset index of item k's main (false) or comparison (true) curve, and back.
    int SubsetOf(int item, bool comparison) const;
    void SplitSubset(int subset, int& item, bool& comparison) const;

private:
    void FillLabels(ChartItem& item, const GraphViewEntry* entry, const GraphConfiguration& config,
                    const LogData& main);
    /// The difference item's panel, visibility, name and automatic scale from its item.
    static void FillDifferenceLabels(ChartItem& difference, const ChartItem& item,
                                     const LogData& main);

    std::array<ChartItem, kItemCount> m_items;
    std::array<ChartItem, kItemCount> m_differences;
    bool m_hasComparison = false;
    const LogData* m_mainLog = nullptr;
    const LogData* m_comparisonLog = nullptr;
};

}  // namespace quillon

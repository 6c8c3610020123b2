#include "gui/chart/CursorTable.h"

#include <cstdio>

#include "model/LogColumns.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"

namespace quillon {

namespace {

// Held as strings: assigning the literals directly trips a false -Wrestrict of GCC 12 at -O3.
const std::string kBlank(" ");
const std::string kDash("- ");

}  // namespace

const std::array<const char*, CursorTable::kColumns> CursorTable::kHeadings = {
    "", "Value ", "Min ", "Max ", "Average ", "Time ", " "};
const std::array<int, CursorTable::kColumns> CursorTable::kWidths = {12, 10, 10, 10, 10, 15, 15};

void CursorTable::Reset() {
    m_row[6] = kDash;
    ClearCursor();
}

void CursorTable::ClearCursor() {
    m_row[0] = kBlank;
    for (int c = 1; c <= 5; ++c)
        m_row[static_cast<size_t>(c)] = kDash;
}

void CursorTable::SetCursor(const ChartModel& model, int item, bool comparison, int frame,
                            const LogData& main, const LogData* comparisonLog) {
    if (frame < 0 || item < 0 || item >= ChartModel::kItemCount) {
        ClearCursor();
        return;
    }
    const ChartItem& it = model.Item(item);
    const int c = it.channel;
    if (c < 1 || c > kChannelCount) {
        ClearCursor();
        return;
    }
    const bool onComparison = comparison && comparisonLog != nullptr;
    const LogData& log = onComparison ? *comparisonLog : main;
    const ChartCurve& curve = onComparison ? it.comparison : it.main;

    const char* filtered = it.filter > 0 ? "(Filtered)" : "";
    const char* suffix = onComparison ? "-C" : "";
    m_row[0] = GetChannelName(main.config, c);
    m_row[0].append(filtered).append(suffix);

    // A frame beyond this log's own end (the padding behind the shorter of two logs) has no
    // value and no time of its own.
    const bool inLog = frame < log.frameCount && static_cast<size_t>(frame) < log.values[0].size();
    const float raw = inLog ? ValueAt(log, c - 1, frame) : ChartModel::kNoValue;
    if (raw == ChartModel::kNoValue) {
        m_row[1] = kBlank;
    } else {
        const float drawn = curve.y ? curve.DrawnAt(frame) : raw;
        m_row[1] = GetChannelValueText(log.config, c, drawn);
    }
    const ChannelStats& s = log.stats[static_cast<size_t>(c - 1)];
    m_row[2] = GetChannelValueText(log.config, c, s.minimum);
    m_row[3] = GetChannelValueText(log.config, c, s.maximum);
    m_row[4] = GetChannelValueText(log.config, c, s.average);
    if (inLog) {
        char text[64];
        std::snprintf(text, sizeof text, "%.3f sec",
                      static_cast<double>(log.values[0][static_cast<size_t>(frame)]));
        m_row[5] = text;
    } else {
        m_row[5] = kDash;
    }
}

void CursorTable::SetMouseTime(bool inside, double t) {
    if (!inside) {
        m_row[6] = kDash;
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "[%.3f sec]", t);
    m_row[6] = text;
}

}  // namespace quillon

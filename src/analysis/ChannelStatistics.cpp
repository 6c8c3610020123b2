#include "analysis/ChannelStatistics.h"

#include <algorithm>
#include <cstddef>

#include "model/RangeStats.h"
#include "model/StatsKernel.h"

namespace quillon {

void ComputeChannelStats(const float* const* columns, int frameCount, int first, int end,
                         ChannelStats* out) {
    first = std::max(first, 0);
    end = std::min(end, std::max(frameCount, 0));
    for (int s = 0; s < kSlotCount; ++s)
        out[s] = ChannelStats{};
    if (first >= end || !columns) return;
    ColumnSetStats(columns, size_t(first), size_t(end), out);
    ApplySlopes(out);
}

void ComputeChannelStats(LogData& log, int first, int end,
                         std::array<ChannelStats, kSlotCount>& out) {
    if (log.source.store) {
        // A log read from a file: passes over its frames; its own figures are then complete.
        if (&out == &log.stats) {
            ComputeLogStats(log, first, end);
        } else if (!StatsOfRange(log, first, end, true, true, out).ok()) {
            out.fill(ChannelStats{});
        }
        return;
    }
    const float* columns[kSlotCount];
    size_t available = log.frameCount > 0 ? size_t(log.frameCount) : 0;
    for (int s = 0; s < kSlotCount; ++s) {
        columns[s] = log.values[s].data();
        available = std::min(available, log.values[s].size());
    }
    ComputeChannelStats(columns, int(available), first, end, out.data());
}

}  // namespace quillon

#pragma once
/// Main minus comparison for one channel: the comparison's value interpolated at each main
/// frame's time (the interpolation the values pane uses at the cursor), and the statistics of the
/// differences over a range of main frames.

#include <bitset>
#include <cstdint>
#include <vector>

#include "model/ChannelInfo.h"
#include "model/LogData.h"

namespace quillon {

/// Channels 1..440 as bits 0..439: those whose difference curve is shown.
using ChannelSet = std::bitset<kChannelCount>;

/// A channel's value and status in a log at time t: linear between the frames around t, the
/// status of the earlier frame. A time equal to a frame's time takes that frame's value and
/// status. The no-value marker (status 0) outside the log's time span, and between two frames
/// of which one holds the marker: a line to a missing value means nothing.
struct InterpolatedValue {
    float value;
    uint32_t status;
};
InterpolatedValue InterpolateAtTime(const LogData& log, int slot, float t);

/// Main minus comparison of a slot at main frames [first, end) (cut to the main log's frames)
/// into `out`, one value per frame: the main frame's value less the comparison's value at the
/// frame's time, interpolated as InterpolateAtTime does it. Where either is the no-value marker
/// (a frame outside the comparison's time span, say) the difference is the marker. The slot's
/// columns are made from the logs' files first; false (out empty) when they cannot be.
bool DifferenceValues(LogData& main, LogData& comparison, int slot, int first, int end,
                      std::vector<float>& out);

/// Figures of a run of differences, the no-value marker and values that are not finite left
/// out; count 0 when none is left. The deviation is the population one, as in the statistics.
struct DifferenceStats {
    int64_t count = 0;
    double minimum = 0;
    double maximum = 0;
    double average = 0;
    double deviation = 0;
};
DifferenceStats StatisticsOfDifferences(const std::vector<float>& values);

}  // namespace quillon

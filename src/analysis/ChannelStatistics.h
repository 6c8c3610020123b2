#pragma once
/// Statistics of every slot of a log over a frame range: minimum, maximum, average, population
/// standard deviation, start and end values, delta, count and slope against slot 0 (time).

#include <array>

#include "model/ChannelStats.h"
#include "format/DataLogFrame.h"
#include "model/LogData.h"

namespace quillon {

/// Computes the statistics of all kSlotCount slots over frames [first, end). columns[s] is the
/// value column of slot s and holds at least frameCount values. The range is clamped to
/// [0, frameCount]; an empty or reversed range gives zeroed records with count 0. Sums and sums
/// of squares are double, added in frame order; the average and the standard deviation are
/// rounded to f32 once. NaN values change no minimum or maximum, and no-value markers count like
/// any other value.
void ComputeChannelStats(const float* const* columns, int frameCount, int first, int end,
                         ChannelStats* out);

/// The same over the value columns of a log (main or comparison). For a log read from a file,
/// into its own figures (`out` is log.stats), they are recorded as complete over the range.
void ComputeChannelStats(LogData& log, int first, int end,
                         std::array<ChannelStats, kSlotCount>& out);

}  // namespace quillon

#pragma once
/// The one statistics kernel: minimum, maximum, sum and sum of squared deviations of slots over
/// frames, read either from frames as in the file or from columns in memory. Sums and sums of
/// squares are double, added in frame order; the average and the deviation are rounded to single
/// precision once. Whichever layout and vector width computes them, every path gives the same
/// bits.

#include <array>
#include <cstddef>
#include <cstdint>

#include "format/DataLogFrame.h"
#include "model/ChannelStats.h"

namespace quillon {

/// Running minimum, maximum and sum of every slot over whole frames as in the file.
struct SlotSums {
    alignas(16) float minimum[kSlotCount];
    alignas(16) float maximum[kSlotCount];
    alignas(16) double sum[kSlotCount];

    void Reset();
    void Add(const uint8_t* frames, int n);
};

/// Running sums of squared deviations from each slot's average over whole frames as in the file.
struct SlotSquares {
    alignas(16) float average[kSlotCount];
    alignas(16) double squares[kSlotCount];

    /// Starts from the averages of `stats`.
    void Reset(const std::array<ChannelStats, kSlotCount>& stats);
    void Add(const uint8_t* frames, int n);
};

/// Statistics of one column over [first, end) (no slope); zeroed when the range is empty.
ChannelStats ColumnStats(const float* values, int first, int end);
/// The same without the standard deviation (one pass instead of two).
ChannelStats ColumnFigures(const float* values, int first, int end);
/// The sum of squared deviations of one column from `average` over [first, end).
double ColumnSquares(const float* values, int first, int end, float average);

/// Statistics of kSlotCount columns over [first, end) (no slope); a null column's record stays
/// zeroed. The range must lie inside every present column.
void ColumnSetStats(const float* const* columns, size_t first, size_t end, ChannelStats* out);

/// Sets minimum, maximum, average (sum / n in double, rounded to single precision), start, end,
/// delta and count of a record.
void FinishStats(ChannelStats& st, float minimum, float maximum, double sum, float start, float end,
                 uint32_t n);
/// The population standard deviation from a sum of squared deviations over n values: the square
/// root in double, rounded to single precision.
float Deviation(double squares, uint32_t n);
/// Sets the slope of every counted record against the time range of slot 0.
void ApplySlopes(ChannelStats* stats);

}  // namespace quillon

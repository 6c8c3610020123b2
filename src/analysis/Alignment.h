#pragma once
/// Lining a comparison log up with the main log by their data: the time shift, within a search
/// window, that gives the largest normalised cross-correlation of one channel of both logs, each
/// resampled onto a common time grid over a range of the main log.

#include <cmath>

#include "model/LogData.h"
#include "platform/Result.h"

namespace quillon {

/// The correlation below which a shift is not trusted.
inline constexpr double kConfidentCorrelation = 0.5;

struct AlignmentSetup {
    int channel = 2;  // RPM
    /// Shifts from -window to +window seconds are tried.
    double window = 10.0;
    /// The main log's time range compared; NaN for the log's first or last time.
    double from = NAN;
    double to = NAN;
};

enum class AlignmentQuality {
    Confident,  // the correlation reaches kConfidentCorrelation
    Weak,       // the best shift found correlates too weakly to be trusted
    Flat,       // the channel does not vary in one of the logs: no shift can be told
    TooShort,   // too few samples overlap at every shift
};

struct Alignment {
    AlignmentQuality quality = AlignmentQuality::TooShort;
    /// Seconds to add to the comparison's times so that it lines up with the main log: a
    /// multiple of `step`.
    double shift = 0.0;
    /// Pearson's R of the two resampled channels at that shift (0 when flat or too short).
    double correlation = 0.0;
    /// The grid's period: the main log's typical frame period.
    double step = 0.0;
    /// Grid points compared at that shift.
    int samples = 0;
};

/// Searches every shift of whole grid periods within the window: a direct sum over a grid
/// coarsened by block means first, then every period near the best coarse shift (the correlation
/// of each shift needs only one product sum; the other sums are prefix sums). Only the channel's
/// and the times' columns are read. A failure when the columns could not be made.
Result AlignLogs(LogData& main, LogData& comparison, const AlignmentSetup& setup, Alignment& out);

}  // namespace quillon

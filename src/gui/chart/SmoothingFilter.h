#pragma once
/// The chart's per-channel smoothing filter: a moving average whose window depends on the
/// entry's filter level (1..5).

#include <cstddef>

namespace quillon {

/// Half-width h of filter level 1..5 (1, 2, 4, 7, 12); any other level behaves as level 1.
int SmoothingHalfWidth(int level);

/// Writes n smoothed values to out: out[i] is the single-precision mean of in[max(0, i - h)] up
/// to but not including in[min(n, i + h)]. The window is cut at both ends of the data; no-value
/// markers are averaged like any other value. in and out must not overlap.
void ApplySmoothingFilter(const float* in, size_t n, int level, float* out);

}  // namespace quillon

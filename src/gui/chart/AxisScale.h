#pragma once
/// Number texts and ranges of the chart's y axes: compact texts ("1.5k", "10k", "-0.25") and
/// automatic ranges widened to round values, so that an axis's ends read as plain numbers.

#include <string>

namespace quillon {

/// A round step (1, 2 or 5 times a power of ten) near `raw`; 1 for unusable input.
double NiceStep(double raw);

/// v as a short text that resolves differences of `resolution`: thousands as "k", millions as
/// "M", no trailing zeros after the point, never "-0".
std::string CompactNumber(double v, double resolution);

/// Widens [lo, hi] outward to multiples of a round step of about a tenth of its width.
void RoundRange(double& lo, double& hi);

}  // namespace quillon

#pragma once
/// One axis of the scatter plot: its shown range, the full range it returns to, tick positions
/// at round numbers and zooming about a value.

#include <vector>

#include "gui/chart/ScatterPlotData.h"

namespace quillon {

struct ScatterRange {
    double minimum = 0.0;
    double maximum = 1.0;
    bool operator==(const ScatterRange&) const = default;
};

class ScatterAxis {
public:
    /// The full range for the drawn points' extent, with a margin so that no point sits on the
    /// plot's edge; a single value gets a range around it; no points take the fallback range.
    static ScatterRange FullRange(const ScatterExtent& extent, bool hasPoints,
                                  const ScatterRange& fallback);
    /// Ticks at multiples of 1, 2 or 5 times a power of ten inside the range, at most maxTicks.
    static std::vector<double> Ticks(const ScatterRange& range, int maxTicks);
    /// Decimals that tell ticks of this spacing apart (0 for whole steps).
    static int TickDecimals(const std::vector<double>& ticks);
    /// The range scaled by factor (below 1 zooms in) about anchor, which keeps its place.
    static ScatterRange Zoom(const ScatterRange& range, double anchor, double factor);
    /// The range moved inside `full`, or `full` itself when it is not narrower: zooming out
    /// stops at the data's range.
    static ScatterRange Within(const ScatterRange& range, const ScatterRange& full);
};

}  // namespace quillon

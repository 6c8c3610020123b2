#include "gui/chart/ScatterAxis.h"

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

double TickStep(const ScatterRange& range, int maxTicks) {
    const double span = range.maximum - range.minimum;
    const double raw = span / std::max(maxTicks - 1, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10.0 * power;
}

}  // namespace

ScatterRange ScatterAxis::FullRange(const ScatterExtent& extent, bool hasPoints,
                                    const ScatterRange& fallback) {
    ScatterRange r = hasPoints ? ScatterRange{extent.minimum, extent.maximum} : fallback;
    if (!(r.maximum > r.minimum)) {
        const double half = std::max(std::fabs(r.minimum) * 0.05, 0.5);
        return {r.minimum - half, r.minimum + half};
    }
    const double margin = (r.maximum - r.minimum) * 0.03;
    return {r.minimum - margin, r.maximum + margin};
}

std::vector<double> ScatterAxis::Ticks(const ScatterRange& range, int maxTicks) {
    std::vector<double> ticks;
    const double span = range.maximum - range.minimum;
    if (!(span > 0) || !std::isfinite(span) || maxTicks < 1) return ticks;
    // A step of at least span / (maxTicks - 1) leaves room for at most maxTicks ticks.
    const double step = TickStep(range, maxTicks);
    const double first = std::ceil(range.minimum / step) * step;
    for (int k = 0;; ++k) {
        const double t = first + k * step;
        if (t > range.maximum + step * 1e-9 || k >= maxTicks) break;
        ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    }
    return ticks;
}

int ScatterAxis::TickDecimals(const std::vector<double>& ticks) {
    if (ticks.size() < 2) return 0;
    const double step = ticks[1] - ticks[0];
    return std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 9);
}

ScatterRange ScatterAxis::Zoom(const ScatterRange& range, double anchor, double factor) {
    ScatterRange r{anchor - (anchor - range.minimum) * factor,
                   anchor + (range.maximum - anchor) * factor};
    // Stop where single-precision values could no longer be told apart.
    const double floor = std::max({std::fabs(r.minimum), std::fabs(r.maximum), 1e-3}) * 1e-6;
    if (!(r.maximum - r.minimum > floor)) return range;
    return r;
}

ScatterRange ScatterAxis::Within(const ScatterRange& range, const ScatterRange& full) {
    const double width = range.maximum - range.minimum;
    if (!(width < full.maximum - full.minimum)) return full;
    if (range.minimum < full.minimum) return {full.minimum, full.minimum + width};
    if (range.maximum > full.maximum) return {full.maximum - width, full.maximum};
    return range;
}

}  // namespace quillon

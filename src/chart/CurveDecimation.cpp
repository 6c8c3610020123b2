#include "chart/CurveDecimation.h"

#include <algorithm>
#include <cmath>

namespace quillon {

CurveDecimation CurveDecimation::Make(const float* x, const float* y, size_t n,
                                      const CurveEnvelope& envelope, const TimeWindow& window,
                                      int columns) {
    CurveDecimation d;
    if (n == 0 || !x || !y || columns <= 0 || !(window.Width() > 0)) return d;
    const float* xEnd = x + n;
    size_t first =
        static_cast<size_t>(std::lower_bound(x, xEnd, static_cast<float>(window.minimum)) - x);
    size_t end =
        static_cast<size_t>(std::upper_bound(x, xEnd, static_cast<float>(window.maximum)) - x);
    // One sample either side, so that lines run on to the edges of the window.
    first = first > 0 ? first - 1 : 0;
    end = std::min(n, end + 1);
    if (end < first) end = first;
    d.first = first;
    d.end = end;
    if (end - first <= kRawPointsPerColumn * static_cast<size_t>(columns)) return d;

    d.raw = false;
    d.columns = columns;
    d.minimum.assign(static_cast<size_t>(columns), 0.0f);
    d.maximum.assign(static_cast<size_t>(columns), 0.0f);
    d.flags.assign(static_cast<size_t>(columns), 0);
    const double step = window.Width() / columns;
    size_t lo =
        static_cast<size_t>(std::lower_bound(x, xEnd, static_cast<float>(window.minimum)) - x);
    for (int c = 0; c < columns; ++c) {
        const float tEnd = static_cast<float>(window.minimum + step * (c + 1));
        size_t hi = c + 1 == columns
                        ? static_cast<size_t>(std::upper_bound(x + lo, xEnd, tEnd) - x)
                        : static_cast<size_t>(std::lower_bound(x + lo, xEnd, tEnd) - x);
        hi = std::max(hi, lo);
        const CurveEnvelope::Range r = envelope.MinMax(lo, hi);
        const size_t k = static_cast<size_t>(c);
        d.minimum[k] = r.minimum;
        d.maximum[k] = r.maximum;
        d.flags[k] = static_cast<uint8_t>((r.any ? kColumnAny : 0) | (r.hasGap ? kColumnGap : 0));
        lo = hi;
    }
    return d;
}

void CurveDecimation::AppendPolylines(const float* x, const float* y, const PlotMapping& mapping,
                                      double pixelRatio, std::vector<QPointF>& points,
                                      std::vector<int>& starts) const {
    bool open = false;
    auto startLine = [&] {
        if (!open) starts.push_back(static_cast<int>(points.size()));
        open = true;
    };
    if (raw) {
        for (size_t i = first; i < end; ++i) {
            if (!CurveEnvelope::IsDrawable(y[i]) || !CurveEnvelope::IsDrawable(x[i])) {
                open = false;
                continue;
            }
            startLine();
            points.emplace_back(mapping.X(x[i]), mapping.Y(y[i]));
        }
    } else {
        double lastY = 0;
        for (int c = 0; c < columns; ++c) {
            const size_t k = static_cast<size_t>(c);
            const double px = mapping.left + c / pixelRatio;
            if (flags[k] & kColumnGap) open = false;
            if (!(flags[k] & kColumnAny)) continue;
            startLine();
            const double yMax = mapping.Y(maximum[k]);
            const double yMin = mapping.Y(minimum[k]);
            // Enter the column at the end nearer to where the line comes from.
            const bool maxFirst = std::abs(lastY - yMax) < std::abs(lastY - yMin);
            points.emplace_back(px, maxFirst ? yMax : yMin);
            if (yMax != yMin) points.emplace_back(px, maxFirst ? yMin : yMax);
            lastY = maxFirst ? yMin : yMax;
            if (flags[k] & kColumnGap) open = false;
        }
    }
    // A polyline needs two points; a lone point is drawn as a short line by the painter.
}

}  // namespace quillon

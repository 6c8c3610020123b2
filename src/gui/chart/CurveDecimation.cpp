#include "gui/chart/CurveDecimation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quillon {

namespace {

/// The first index from `from` on whose time is not below t (upper: above t), found by
/// galloping forward: column boundaries lie close together, so the search stays within a few
/// cache lines instead of bisecting the whole log for every column.
/// Pixel coordinates far outside any screen (a value far beyond a fixed axis range) are pulled
/// in: the clip hides them either way, and the rasteriser need not walk huge lines.
double Tame(double v) {
    constexpr double kLimit = 1e6;
    return std::isfinite(v) ? std::clamp(v, -kLimit, kLimit) : 0.0;
}

/// `colour` at `alpha` (0..255) over opaque pixels; a span crosses few distinct pixels, so the
/// last one's blend is kept.
class Blender {
public:
    Blender(QRgb colour, int alpha) : m_colour(colour), m_alpha(alpha) {}
    QRgb Over(QRgb under) {
        if (under != m_under || !m_valid) {
            const auto mix = [&](int a, int b) {
                const int v = a * m_alpha + b * (255 - m_alpha) + 128;
                return (v + (v >> 8)) >> 8;  // v / 255, rounded
            };
            m_result = qRgb(mix(qRed(m_colour), qRed(under)), mix(qGreen(m_colour), qGreen(under)),
                            mix(qBlue(m_colour), qBlue(under)));
            m_under = under;
            m_valid = true;
        }
        return m_result;
    }

private:
    QRgb m_colour;
    int m_alpha;
    QRgb m_under = 0;
    QRgb m_result = 0;
    bool m_valid = false;
};

size_t SearchForward(const float* x, size_t n, size_t from, float t, bool upper) {
    auto before = [&](size_t i) { return upper ? !(t < x[i]) : x[i] < t; };
    size_t lo = from;
    size_t step = 1;
    size_t hi = from;
    while (hi < n && before(hi)) {
        lo = hi + 1;
        hi += step;
        step *= 2;
    }
    hi = std::min(hi, n);
    return static_cast<size_t>(
        (upper ? std::upper_bound(x + lo, x + hi, t) : std::lower_bound(x + lo, x + hi, t)) - x);
}

}  // namespace

CurveDecimation::Columns CurveDecimation::Split(const float* x, size_t n, const TimeWindow& window,
                                                int columns) {
    Columns cols;
    if (n == 0 || !x || columns <= 0 || !(window.Width() > 0)) return cols;
    const float* xEnd = x + n;
    const size_t inside =
        static_cast<size_t>(std::lower_bound(x, xEnd, static_cast<float>(window.minimum)) - x);
    size_t end =
        static_cast<size_t>(std::upper_bound(x, xEnd, static_cast<float>(window.maximum)) - x);
    // One sample either side, so that lines run on to the edges of the window.
    cols.first = inside > 0 ? inside - 1 : 0;
    cols.end = std::max(cols.first, std::min(n, end + 1));
    if (cols.end - cols.first <= kRawPointsPerColumn * static_cast<size_t>(columns)) return cols;

    cols.bounds.resize(static_cast<size_t>(columns) + 1);
    const double step = window.Width() / columns;
    size_t lo = inside;
    cols.bounds[0] = lo;
    for (int c = 0; c < columns; ++c) {
        const float tEnd = static_cast<float>(window.minimum + step * (c + 1));
        lo = std::max(lo, SearchForward(x, n, lo, tEnd, c + 1 == columns));
        cols.bounds[static_cast<size_t>(c) + 1] = lo;
    }
    return cols;
}

CurveDecimation CurveDecimation::Make(const Columns& cols, const CurveEnvelope& envelope) {
    CurveDecimation d;
    d.first = cols.first;
    d.end = cols.end;
    if (cols.bounds.empty()) return d;
    const int columns = static_cast<int>(cols.bounds.size()) - 1;
    d.raw = false;
    d.columns = columns;
    d.minimum.resize(static_cast<size_t>(columns));
    d.maximum.resize(static_cast<size_t>(columns));
    d.flags.resize(static_cast<size_t>(columns));
    for (size_t k = 0; k < static_cast<size_t>(columns); ++k) {
        const CurveEnvelope::Range r = envelope.MinMax(cols.bounds[k], cols.bounds[k + 1]);
        d.minimum[k] = r.minimum;
        d.maximum[k] = r.maximum;
        d.flags[k] = static_cast<uint8_t>((r.any ? kColumnAny : 0) | (r.hasGap ? kColumnGap : 0));
    }
    return d;
}

CurveDecimation CurveDecimation::Make(const float* x, const float* y, size_t n,
                                      const CurveEnvelope& envelope, const TimeWindow& window,
                                      int columns) {
    if (!y) return CurveDecimation{};
    return Make(Split(x, n, window, columns), envelope);
}

void CurveDecimation::AppendPolylines(const float* x, const float* y, const PlotMapping& mapping,
                                      double pixelRatio, std::vector<QPointF>& points,
                                      std::vector<int>& starts, size_t yFirst,
                                      size_t yCount) const {
    bool open = false;
    auto startLine = [&] {
        if (!open) starts.push_back(static_cast<int>(points.size()));
        open = true;
    };
    if (raw) {
        for (size_t i = first; i < end; ++i) {
            const bool held = y && i >= yFirst && i - yFirst < yCount;
            if (!held || !CurveEnvelope::IsDrawable(y[i - yFirst]) ||
                !CurveEnvelope::IsDrawable(x[i])) {
                open = false;
                continue;
            }
            startLine();
            points.emplace_back(Tame(mapping.X(x[i])), Tame(mapping.Y(y[i - yFirst])));
        }
    } else {
        double lastY = 0;
        for (int c = 0; c < columns; ++c) {
            const size_t k = static_cast<size_t>(c);
            const double px = mapping.left + c / pixelRatio;
            if (flags[k] & kColumnGap) open = false;
            if (!(flags[k] & kColumnAny)) continue;
            startLine();
            const double yMax = Tame(mapping.Y(maximum[k]));
            const double yMin = Tame(mapping.Y(minimum[k]));
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

void CurveDecimation::FillSpans(QImage& image, const PlotMapping& mapping, double pixelRatio,
                                QRgb colour, const QRect& clip, int dashPeriod, int fillAlpha,
                                int blendFrom) const {
    if (raw || columns <= 0) return;
    const QRect area = clip.intersected(image.rect());
    if (area.isEmpty()) return;
    const int x0 = static_cast<int>(std::lround(mapping.left * pixelRatio));
    const qsizetype stride = image.bytesPerLine();
    uchar* bits = image.bits();
    bool connected = false;
    double prevTop = 0, prevBottom = 0;
    Blender blender(colour, fillAlpha);
    for (int c = 0; c < columns; ++c) {
        const size_t k = static_cast<size_t>(c);
        if (flags[k] & kColumnGap) connected = false;
        if (!(flags[k] & kColumnAny)) continue;
        double top = mapping.Y(maximum[k]) * pixelRatio;
        double bottom = mapping.Y(minimum[k]) * pixelRatio;
        const double ownTop = top, ownBottom = bottom;
        if (connected) {
            if (prevBottom < top) top = prevBottom;
            if (prevTop > bottom) bottom = prevTop;
        }
        prevTop = ownTop;
        prevBottom = ownBottom;
        connected = !(flags[k] & kColumnGap);
        const int x = x0 + c;
        if (x < area.left() || x > area.right()) continue;
        if (dashPeriod > 0 && c % dashPeriod >= (dashPeriod + 1) / 2) continue;
        if (!std::isfinite(top) || !std::isfinite(bottom)) continue;
        const int y0 = std::max(area.top(), static_cast<int>(std::lround(std::max(top, -1e9))));
        const int y1 =
            std::min(area.bottom(), static_cast<int>(std::lround(std::min(bottom, 1e9))));
        uchar* p = bits + stride * y0 + x * 4;
        if (fillAlpha >= 255 || y1 - y0 + 1 < std::max(blendFrom, 3)) {
            for (int y = y0; y <= y1; ++y, p += stride)
                *reinterpret_cast<QRgb*>(p) = colour;
            continue;
        }
        // Both ends opaque, the inside blended.
        *reinterpret_cast<QRgb*>(p) = colour;
        for (int y = y0 + 1; y < y1; ++y) {
            p += stride;
            QRgb& pixel = *reinterpret_cast<QRgb*>(p);
            pixel = blender.Over(pixel);
        }
        *reinterpret_cast<QRgb*>(p + stride) = colour;
    }
}

}  // namespace quillon

#include "gui/chart/ScatterPlotData.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/LogColumns.h"
#include "format/DataLogFrame.h"

namespace quillon {

namespace {

bool ValidChannel(int c) {
    return c >= 1 && c <= kSlotCount;
}

/// The values of channel c and how many frames its column reaches (none for a bad channel).
struct Source {
    const float* values = nullptr;
    size_t count = 0;
};
Source SourceOf(const LogData& log, int c, size_t n) {
    if (!ValidChannel(c)) return {};
    const Column<float>& column = log.values[size_t(c - 1)];
    return column.data() ? Source{column.data(), std::min(n, column.size())} : Source{};
}

/// RampIndex over n values. The compiler keeps the scalar form's comparisons as branches (they
/// could raise floating-point exceptions), so sixteen values at a time go through the same
/// operations in vector registers: max(v, 0) gives 0 for a v that is not a number, as the
/// scalar form does.
void ColourIndices(const float* values, size_t n, float cmin, float cmax, uint8_t* out) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128 lo = _mm_set1_ps(cmin);
    const __m128 span = _mm_set1_ps(cmax - cmin);
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 hundred = _mm_set1_ps(100.0f);
    auto four = [&](const float* p) {
        __m128 v = _mm_div_ps(_mm_sub_ps(_mm_loadu_ps(p), lo), span);
        v = _mm_min_ps(_mm_max_ps(v, zero), one);
        return _mm_cvttps_epi32(_mm_mul_ps(v, hundred));
    };
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_packs_epi32(four(values + i), four(values + i + 4));
        const __m128i b = _mm_packs_epi32(four(values + i + 8), four(values + i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < n; ++i)
        out[i] = uint8_t(ScatterPlotData::RampIndex(values[i], cmin, cmax));
}

}  // namespace

float ScatterPlotData::ValueAt(int channel, int i) const {
    if (!m_log || !ValidChannel(channel) || i < 0 || i >= m_log->frameCount) return 0.0f;
    return ::quillon::ValueAt(*m_log, channel - 1, i);
}

void ScatterPlotData::Build(LogData& log, int pointCount, const ScatterSelection& s) {
    const size_t n = size_t(std::max(pointCount, 0));
    m_log = &log;
    m_colorChannel = s.colorChannel;
    if (s.filterEnabled && s.colorChannel == s.filterChannel) {
        m_colorMin = s.lower;
        m_colorMax = s.upper;
    } else if (ValidChannel(s.colorChannel)) {
        m_colorMin = log.stats[size_t(s.colorChannel - 1)].minimum;
        m_colorMax = log.stats[size_t(s.colorChannel - 1)].maximum;
    } else {
        m_colorMin = m_colorMax = 0.0f;
    }

    std::vector<int> wanted;
    for (int c : {s.xChannel, s.yChannel, s.colorChannel, s.filterEnabled ? s.filterChannel : 0})
        if (ValidChannel(c)) wanted.push_back(c - 1);
    EnsureColumns(log, wanted);

    // One pass copies x and y, leaves out the filtered frames and finds the extents; the
    // extents live in locals, as members would be stored again for every point.
    const Source xs = SourceOf(log, s.xChannel, n);
    const Source ys = SourceOf(log, s.yChannel, n);
    const Source fs = s.filterEnabled ? SourceOf(log, s.filterChannel, n) : Source{};
    m_x.resize(n);
    m_y.resize(n);
    int drawn = 0;
    ScatterExtent xe, ye;
    for (size_t i = 0; i < n; ++i) {
        float x = i < xs.count ? xs.values[i] : kNoValue;
        float y = i < ys.count ? ys.values[i] : kNoValue;
        if (s.filterEnabled) {
            const float f = i < fs.count ? fs.values[i] : kNoValue;
            // A value that is not a number lies inside no range, so it is left out as well.
            if (!(f >= s.lower && f <= s.upper)) x = y = kNoValue;
        }
        m_x[i] = x;
        m_y[i] = y;
        if (!IsDrawable(x, y)) continue;
        if (drawn++ == 0) {
            xe = {x, x};
            ye = {y, y};
            continue;
        }
        xe = {std::min(xe.minimum, x), std::max(xe.maximum, x)};
        ye = {std::min(ye.minimum, y), std::max(ye.maximum, y)};
    }
    m_drawn = drawn;
    m_xExtent = xe;
    m_yExtent = ye;

    const float cmin = m_colorMin;
    const float cmax = m_colorMax;
    const Source cs = SourceOf(log, s.colorChannel, n);
    m_ramp.resize(n);
    ColourIndices(cs.values, cs.count, cmin, cmax, m_ramp.data());
    std::fill(m_ramp.begin() + ptrdiff_t(cs.count), m_ramp.end(),
              uint8_t(RampIndex(0.0f, cmin, cmax)));
}

}  // namespace quillon

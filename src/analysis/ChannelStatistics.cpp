#include "analysis/ChannelStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "model/LogColumns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

constexpr float kLargest = 3.4028235e38f;

// Every slot's figures are single-precision sums taken in frame order. The slots are
// independent, so eight are handled side by side: four frames of four columns are loaded and
// transposed so that each vector lane carries one slot, and the lane operations (add, min, max,
// subtract, multiply) are exactly the scalar f32 operations of that slot. Two such vectors per
// step keep two independent addition chains in flight.
constexpr int kGroup = 8;

/// One step of the first pass for one value of one slot.
inline void Accumulate(float v, float& minimum, float& maximum, float& sum) {
    minimum = v < minimum ? v : minimum;
    maximum = v > maximum ? v : maximum;
    sum = sum + v;
}

inline void AccumulateSquare(float v, float average, float& squares) {
    const float d = v - average;
    const float square = d * d;
    squares = squares + square;
}

#if defined(__SSE2__)
/// Frames i .. i + 3 of four columns, one vector per frame, lane k = column k.
inline void LoadFrames(const float* const* cols, size_t i, __m128 r[4]) {
    r[0] = _mm_loadu_ps(cols[0] + i);
    r[1] = _mm_loadu_ps(cols[1] + i);
    r[2] = _mm_loadu_ps(cols[2] + i);
    r[3] = _mm_loadu_ps(cols[3] + i);
    _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
}
#endif

/// First pass over frames [first, end) of kGroup slots: minimum, maximum, sum.
void SumGroup(const float* const* cols, size_t first, size_t end, float* minimum, float* maximum,
              float* sum) {
    size_t i = first;
#if defined(__SSE2__)
    __m128 mnA = _mm_set1_ps(kLargest), mnB = mnA;
    __m128 mxA = _mm_set1_ps(-kLargest), mxB = mxA;
    __m128 sA = _mm_setzero_ps(), sB = sA;
    for (; i + 4 <= end; i += 4) {
        __m128 a[4], b[4];
        LoadFrames(cols, i, a);
        LoadFrames(cols + 4, i, b);
        for (int j = 0; j < 4; ++j) {
            // _mm_min_ps(v, m) is "v < m ? v : m" lane by lane, so a NaN never replaces m.
            mnA = _mm_min_ps(a[j], mnA);
            mnB = _mm_min_ps(b[j], mnB);
            mxA = _mm_max_ps(a[j], mxA);
            mxB = _mm_max_ps(b[j], mxB);
            sA = _mm_add_ps(sA, a[j]);
            sB = _mm_add_ps(sB, b[j]);
        }
    }
    _mm_storeu_ps(minimum, mnA);
    _mm_storeu_ps(minimum + 4, mnB);
    _mm_storeu_ps(maximum, mxA);
    _mm_storeu_ps(maximum + 4, mxB);
    _mm_storeu_ps(sum, sA);
    _mm_storeu_ps(sum + 4, sB);
#else
    for (int k = 0; k < kGroup; ++k) {
        minimum[k] = kLargest;
        maximum[k] = -kLargest;
        sum[k] = 0.0f;
    }
#endif
    for (; i < end; ++i)
        for (int k = 0; k < kGroup; ++k)
            Accumulate(cols[k][i], minimum[k], maximum[k], sum[k]);
}

/// Second pass over frames [first, end) of kGroup slots: sum of squared deviations.
void SquareGroup(const float* const* cols, size_t first, size_t end, const float* average,
                 float* squares) {
    size_t i = first;
#if defined(__SSE2__)
    const __m128 avgA = _mm_loadu_ps(average);
    const __m128 avgB = _mm_loadu_ps(average + 4);
    __m128 qA = _mm_setzero_ps(), qB = qA;
    for (; i + 4 <= end; i += 4) {
        __m128 a[4], b[4];
        LoadFrames(cols, i, a);
        LoadFrames(cols + 4, i, b);
        for (int j = 0; j < 4; ++j) {
            const __m128 dA = _mm_sub_ps(a[j], avgA);
            const __m128 dB = _mm_sub_ps(b[j], avgB);
            qA = _mm_add_ps(qA, _mm_mul_ps(dA, dA));
            qB = _mm_add_ps(qB, _mm_mul_ps(dB, dB));
        }
    }
    _mm_storeu_ps(squares, qA);
    _mm_storeu_ps(squares + 4, qB);
#else
    for (int k = 0; k < kGroup; ++k)
        squares[k] = 0.0f;
#endif
    for (; i < end; ++i)
        for (int k = 0; k < kGroup; ++k)
            AccumulateSquare(cols[k][i], average[k], squares[k]);
}

}  // namespace

void ComputeChannelStats(const float* const* columns, int frameCount, int first, int end,
                         ChannelStats* out) {
    first = std::max(first, 0);
    end = std::min(end, std::max(frameCount, 0));
    for (int s = 0; s < kSlotCount; ++s)
        out[s] = ChannelStats{};
    if (first >= end || !columns) return;

    const size_t from = size_t(first);
    const size_t to = size_t(end);
    const uint32_t n = uint32_t(end - first);
    const float count = float(n);

    static_assert(kSlotCount % kGroup == 0);
    for (int g = 0; g < kSlotCount; g += kGroup) {
        // A missing column is replaced by another column of its group so that the group can
        // run; its record stays zeroed below.
        const float* cols[kGroup];
        bool present[kGroup];
        const float* any = nullptr;
        for (int k = 0; k < kGroup; ++k) {
            present[k] = columns[g + k] != nullptr;
            if (present[k] && !any) any = columns[g + k];
        }
        if (!any) continue;
        for (int k = 0; k < kGroup; ++k)
            cols[k] = present[k] ? columns[g + k] : any;

        float minimum[kGroup], maximum[kGroup], sum[kGroup], average[kGroup], squares[kGroup];
        SumGroup(cols, from, to, minimum, maximum, sum);
        for (int k = 0; k < kGroup; ++k)
            average[k] = sum[k] / count;
        SquareGroup(cols, from, to, average, squares);

        for (int k = 0; k < kGroup; ++k) {
            if (!present[k]) continue;
            ChannelStats& st = out[g + k];
            st.minimum = minimum[k];
            st.maximum = maximum[k];
            st.average = average[k];
            st.standardDeviation = std::sqrt(squares[k] / count);
            st.startValue = cols[k][from];
            st.endValue = cols[k][to - 1];
            st.delta = st.startValue - st.endValue;
            st.count = n;
        }
    }
    // Slope against the time range of slot 0 of this same call; slot 0's own slope is
    // delta / delta (1, or NaN for a single frame).
    const float timeDelta = out[0].startValue - out[0].endValue;
    for (int s = 0; s < kSlotCount; ++s)
        if (out[s].count) out[s].slope = out[s].delta / timeDelta;
}

void ComputeChannelStats(const LogData& log, int first, int end,
                         std::array<ChannelStats, kSlotCount>& out) {
    if (log.source.store) {
        // A log read from a file: passes over its frames; its own figures are then complete.
        if (&out == &log.stats) {
            ComputeLogStats(const_cast<LogData&>(log), first, end);
        } else if (!StatsOfRange(log, first, end, true, true, out).ok()) {
            out.fill(ChannelStats{});
        }
        return;
    }
    const float* columns[kSlotCount];
    size_t available = log.frameCount > 0 ? size_t(log.frameCount) : 0;
    for (int s = 0; s < kSlotCount; ++s) {
        columns[s] = log.values[s].data();
        available = std::min(available, log.values[s].size());
    }
    ComputeChannelStats(columns, int(available), first, end, out.data());
}

}  // namespace quillon

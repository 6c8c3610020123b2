#include "datalog/ChannelStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

constexpr float kLargest = 3.4028235e38f;

// Every slot's figures are single-precision sums taken in frame order. The slots are
// independent, so groups of four are handled side by side: four frames of four columns are
// loaded and transposed so that each vector lane carries one slot, and the lane operations
// (add, min, max, subtract, multiply) are exactly the scalar f32 operations of that slot.

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

/// First pass over frames [first, end) of four slots: minimum, maximum, sum.
void SumGroup(const float* const* cols, size_t first, size_t end, float* minimum, float* maximum,
              float* sum) {
    size_t i = first;
#if defined(__SSE2__)
    __m128 mn = _mm_set1_ps(kLargest);
    __m128 mx = _mm_set1_ps(-kLargest);
    __m128 s = _mm_setzero_ps();
    for (; i + 4 <= end; i += 4) {
        __m128 r0 = _mm_loadu_ps(cols[0] + i);
        __m128 r1 = _mm_loadu_ps(cols[1] + i);
        __m128 r2 = _mm_loadu_ps(cols[2] + i);
        __m128 r3 = _mm_loadu_ps(cols[3] + i);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);  // now r_j holds frame i + j of the four slots
        // _mm_min_ps(v, m) is "v < m ? v : m" lane by lane, so a NaN never replaces m.
        mn = _mm_min_ps(r0, mn);
        mx = _mm_max_ps(r0, mx);
        s = _mm_add_ps(s, r0);
        mn = _mm_min_ps(r1, mn);
        mx = _mm_max_ps(r1, mx);
        s = _mm_add_ps(s, r1);
        mn = _mm_min_ps(r2, mn);
        mx = _mm_max_ps(r2, mx);
        s = _mm_add_ps(s, r2);
        mn = _mm_min_ps(r3, mn);
        mx = _mm_max_ps(r3, mx);
        s = _mm_add_ps(s, r3);
    }
    _mm_storeu_ps(minimum, mn);
    _mm_storeu_ps(maximum, mx);
    _mm_storeu_ps(sum, s);
#else
    for (int k = 0; k < 4; ++k) {
        minimum[k] = kLargest;
        maximum[k] = -kLargest;
        sum[k] = 0.0f;
    }
#endif
    for (; i < end; ++i)
        for (int k = 0; k < 4; ++k)
            Accumulate(cols[k][i], minimum[k], maximum[k], sum[k]);
}

/// Second pass over frames [first, end) of four slots: sum of squared deviations.
void SquareGroup(const float* const* cols, size_t first, size_t end, const float* average,
                 float* squares) {
    size_t i = first;
#if defined(__SSE2__)
    const __m128 avg = _mm_loadu_ps(average);
    __m128 q = _mm_setzero_ps();
    for (; i + 4 <= end; i += 4) {
        __m128 r0 = _mm_loadu_ps(cols[0] + i);
        __m128 r1 = _mm_loadu_ps(cols[1] + i);
        __m128 r2 = _mm_loadu_ps(cols[2] + i);
        __m128 r3 = _mm_loadu_ps(cols[3] + i);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        r0 = _mm_sub_ps(r0, avg);
        r1 = _mm_sub_ps(r1, avg);
        r2 = _mm_sub_ps(r2, avg);
        r3 = _mm_sub_ps(r3, avg);
        q = _mm_add_ps(q, _mm_mul_ps(r0, r0));
        q = _mm_add_ps(q, _mm_mul_ps(r1, r1));
        q = _mm_add_ps(q, _mm_mul_ps(r2, r2));
        q = _mm_add_ps(q, _mm_mul_ps(r3, r3));
    }
    _mm_storeu_ps(squares, q);
#else
    for (int k = 0; k < 4; ++k)
        squares[k] = 0.0f;
#endif
    for (; i < end; ++i)
        for (int k = 0; k < 4; ++k)
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

    static_assert(kSlotCount % 4 == 0);
    for (int g = 0; g < kSlotCount; g += 4) {
        // A missing column stands in for nothing: its group reads slot g's column instead,
        // and its record stays zeroed below.
        const float* cols[4];
        bool present[4];
        const float* any = nullptr;
        for (int k = 0; k < 4; ++k) {
            present[k] = columns[g + k] != nullptr;
            if (present[k] && !any) any = columns[g + k];
        }
        if (!any) continue;
        for (int k = 0; k < 4; ++k)
            cols[k] = present[k] ? columns[g + k] : any;

        float minimum[4], maximum[4], sum[4], average[4], squares[4];
        SumGroup(cols, from, to, minimum, maximum, sum);
        for (int k = 0; k < 4; ++k)
            average[k] = sum[k] / count;
        SquareGroup(cols, from, to, average, squares);

        for (int k = 0; k < 4; ++k) {
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
    const float* columns[kSlotCount];
    size_t available = log.frameCount > 0 ? size_t(log.frameCount) : 0;
    for (int s = 0; s < kSlotCount; ++s) {
        columns[s] = log.values[s].data();
        available = std::min(available, log.values[s].size());
    }
    ComputeChannelStats(columns, int(available), first, end, out.data());
}

}  // namespace quillon

#include "model/StatsKernel.h"

#include <algorithm>
#include <cmath>

#include "model/FrameDecoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

constexpr float kLargest = 3.4028235e38f;

// The steps of every figure, for one value of one slot and for four slots side by side. The
// minimum and maximum are f32 comparisons; sums and squares widen each value (exactly) to double
// and add in double. The lane operations are exactly the scalar operations of each lane's slot,
// so any grouping of slots into vectors gives the same bits.
inline void Accumulate(float v, float& minimum, float& maximum, double& sum) {
    minimum = v < minimum ? v : minimum;
    maximum = v > maximum ? v : maximum;
    sum = sum + double(v);
}

inline void AccumulateSquare(float v, float average, double& squares) {
    const double d = double(v) - double(average);
    const double square = d * d;
    squares = squares + square;
}

#if defined(__SSE2__)
// Four double sums: lanes 0 and 1 in `low`, lanes 2 and 3 in `high`.
struct WideSums {
    __m128d low = _mm_setzero_pd();
    __m128d high = _mm_setzero_pd();

    void Load(const double* p) {
        low = _mm_loadu_pd(p);
        high = _mm_loadu_pd(p + 2);
    }
    void Store(double* p) const {
        _mm_storeu_pd(p, low);
        _mm_storeu_pd(p + 2, high);
    }
};

inline __m128d WidenLow(__m128 v) {
    return _mm_cvtps_pd(v);
}

inline __m128d WidenHigh(__m128 v) {
    return _mm_cvtps_pd(_mm_movehl_ps(v, v));
}

inline void Accumulate(__m128 v, __m128& minimum, __m128& maximum, WideSums& sum) {
    // _mm_min_ps(v, m) is "v < m ? v : m" lane by lane: a NaN never replaces m.
    minimum = _mm_min_ps(v, minimum);
    maximum = _mm_max_ps(v, maximum);
    sum.low = _mm_add_pd(sum.low, WidenLow(v));
    sum.high = _mm_add_pd(sum.high, WidenHigh(v));
}

inline void AccumulateSquare(__m128 v, const WideSums& average, WideSums& squares) {
    const __m128d low = _mm_sub_pd(WidenLow(v), average.low);
    const __m128d high = _mm_sub_pd(WidenHigh(v), average.high);
    squares.low = _mm_add_pd(squares.low, _mm_mul_pd(low, low));
    squares.high = _mm_add_pd(squares.high, _mm_mul_pd(high, high));
}

// Four f32 averages widened to double.
inline WideSums WideAverages(const float* average) {
    const __m128 a = _mm_loadu_ps(average);
    WideSums w;
    w.low = WidenLow(a);
    w.high = WidenHigh(a);
    return w;
}

// The values of slots s .. s + 3 of one frame (`p` points at slot s): a frame holds value and
// status of each slot, so two loads and one shuffle give four values.
inline __m128 LoadSlots(const uint8_t* p) {
    const __m128 a = _mm_loadu_ps(reinterpret_cast<const float*>(p));
    const __m128 b = _mm_loadu_ps(reinterpret_cast<const float*>(p + 16));
    return _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
}

// Frames i .. i + 3 of four columns, one vector per frame, lane k = column k.
inline void LoadFrames(const float* const* cols, size_t i, __m128 r[4]) {
    r[0] = _mm_loadu_ps(cols[0] + i);
    r[1] = _mm_loadu_ps(cols[1] + i);
    r[2] = _mm_loadu_ps(cols[2] + i);
    r[3] = _mm_loadu_ps(cols[3] + i);
    _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
}
#endif

// Columns are handled eight at a time: four frames of four columns are loaded and transposed so
// that each lane carries one slot, and two such vectors per step keep two independent addition
// chains in flight.
constexpr int kGroup = 8;

// Minimum, maximum and sum of kGroup columns over [first, end).
void SumGroup(const float* const* cols, size_t first, size_t end, float* minimum, float* maximum,
              double* sum) {
    size_t i = first;
#if defined(__SSE2__)
    __m128 mnA = _mm_set1_ps(kLargest), mnB = mnA;
    __m128 mxA = _mm_set1_ps(-kLargest), mxB = mxA;
    WideSums sA, sB;
    for (; i + 4 <= end; i += 4) {
        __m128 a[4], b[4];
        LoadFrames(cols, i, a);
        LoadFrames(cols + 4, i, b);
        for (int j = 0; j < 4; ++j) {
            Accumulate(a[j], mnA, mxA, sA);
            Accumulate(b[j], mnB, mxB, sB);
        }
    }
    _mm_storeu_ps(minimum, mnA);
    _mm_storeu_ps(minimum + 4, mnB);
    _mm_storeu_ps(maximum, mxA);
    _mm_storeu_ps(maximum + 4, mxB);
    sA.Store(sum);
    sB.Store(sum + 4);
#else
    for (int k = 0; k < kGroup; ++k) {
        minimum[k] = kLargest;
        maximum[k] = -kLargest;
        sum[k] = 0.0;
    }
#endif
    for (; i < end; ++i)
        for (int k = 0; k < kGroup; ++k)
            Accumulate(cols[k][i], minimum[k], maximum[k], sum[k]);
}

// Sums of squared deviations of kGroup columns over [first, end).
void SquareGroup(const float* const* cols, size_t first, size_t end, const float* average,
                 double* squares) {
    size_t i = first;
#if defined(__SSE2__)
    const WideSums avgA = WideAverages(average);
    const WideSums avgB = WideAverages(average + 4);
    WideSums qA, qB;
    for (; i + 4 <= end; i += 4) {
        __m128 a[4], b[4];
        LoadFrames(cols, i, a);
        LoadFrames(cols + 4, i, b);
        for (int j = 0; j < 4; ++j) {
            AccumulateSquare(a[j], avgA, qA);
            AccumulateSquare(b[j], avgB, qB);
        }
    }
    qA.Store(squares);
    qB.Store(squares + 4);
#else
    for (int k = 0; k < kGroup; ++k)
        squares[k] = 0.0;
#endif
    for (; i < end; ++i)
        for (int k = 0; k < kGroup; ++k)
            AccumulateSquare(cols[k][i], average[k], squares[k]);
}

}  // namespace

void SlotSums::Reset() {
    std::fill(std::begin(minimum), std::end(minimum), kLargest);
    std::fill(std::begin(maximum), std::end(maximum), -kLargest);
    std::fill(std::begin(sum), std::end(sum), 0.0);
}

void SlotSums::Add(const uint8_t* frames, int n) {
    int s = 0;
#if defined(__SSE2__)
    for (; s + 4 <= kSlotCount; s += 4) {
        __m128 mn = _mm_load_ps(minimum + s);
        __m128 mx = _mm_load_ps(maximum + s);
        WideSums sm;
        sm.Load(sum + s);
        const uint8_t* p = frames + 8 * size_t(s);
        for (int i = 0; i < n; ++i, p += kFrameSize)
            Accumulate(LoadSlots(p), mn, mx, sm);
        _mm_store_ps(minimum + s, mn);
        _mm_store_ps(maximum + s, mx);
        sm.Store(sum + s);
    }
#endif
    for (; s < kSlotCount; ++s)
        for (int i = 0; i < n; ++i)
            Accumulate(FrameValue(frames + size_t(i) * kFrameSize, s), minimum[s], maximum[s],
                       sum[s]);
}

void SlotSquares::Reset(const std::array<ChannelStats, kSlotCount>& stats) {
    for (int s = 0; s < kSlotCount; ++s) {
        average[s] = stats[size_t(s)].average;
        squares[s] = 0.0;
    }
}

void SlotSquares::Add(const uint8_t* frames, int n) {
    int s = 0;
#if defined(__SSE2__)
    for (; s + 4 <= kSlotCount; s += 4) {
        const WideSums avg = WideAverages(average + s);
        WideSums q;
        q.Load(squares + s);
        const uint8_t* p = frames + 8 * size_t(s);
        for (int i = 0; i < n; ++i, p += kFrameSize)
            AccumulateSquare(LoadSlots(p), avg, q);
        q.Store(squares + s);
    }
#endif
    for (; s < kSlotCount; ++s)
        for (int i = 0; i < n; ++i)
            AccumulateSquare(FrameValue(frames + size_t(i) * kFrameSize, s), average[s],
                             squares[s]);
}

ChannelStats ColumnStats(const float* values, int first, int end) {
    ChannelStats st = ColumnFigures(values, first, end);
    if (st.count)
        st.standardDeviation = Deviation(ColumnSquares(values, first, end, st.average), st.count);
    return st;
}

ChannelStats ColumnFigures(const float* values, int first, int end) {
    ChannelStats st;
    if (!values || first >= end) return st;
    float minimum = kLargest, maximum = -kLargest;
    double sum = 0.0;
    for (int i = first; i < end; ++i)
        Accumulate(values[i], minimum, maximum, sum);
    FinishStats(st, minimum, maximum, sum, values[first], values[end - 1], uint32_t(end - first));
    return st;
}

double ColumnSquares(const float* values, int first, int end, float average) {
    double squares = 0.0;
    for (int i = first; i < end; ++i)
        AccumulateSquare(values[i], average, squares);
    return squares;
}

void ColumnSetStats(const float* const* columns, size_t first, size_t end, ChannelStats* out) {
    if (first >= end) return;
    const uint32_t n = uint32_t(end - first);
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

        float minimum[kGroup], maximum[kGroup], average[kGroup];
        double sum[kGroup], squares[kGroup];
        SumGroup(cols, first, end, minimum, maximum, sum);
        for (int k = 0; k < kGroup; ++k) {
            ChannelStats st;
            FinishStats(st, minimum[k], maximum[k], sum[k], cols[k][first], cols[k][end - 1], n);
            average[k] = st.average;
            if (present[k]) out[g + k] = st;
        }
        SquareGroup(cols, first, end, average, squares);
        for (int k = 0; k < kGroup; ++k)
            if (present[k]) out[g + k].standardDeviation = Deviation(squares[k], n);
    }
}

void FinishStats(ChannelStats& st, float minimum, float maximum, double sum, float start, float end,
                 uint32_t n) {
    st.minimum = minimum;
    st.maximum = maximum;
    st.average = float(sum / double(n));
    st.startValue = start;
    st.endValue = end;
    st.delta = start - end;
    st.count = n;
}

float Deviation(double squares, uint32_t n) {
    return float(std::sqrt(squares / double(n)));
}

void ApplySlopes(ChannelStats* stats) {
    // Slope against the time range of slot 0 over the same frames; slot 0's own slope is
    // delta / delta (1, or NaN for a single frame).
    const float timeDelta = stats[0].startValue - stats[0].endValue;
    for (int s = 0; s < kSlotCount; ++s)
        if (stats[s].count) stats[s].slope = stats[s].delta / timeDelta;
}

}  // namespace quillon

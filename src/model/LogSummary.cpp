#include "model/LogSummary.h"

#include <algorithm>
#include <limits>
#include <new>

#include "model/FrameDecoding.h"
#include "model/LogData.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

size_t BlocksOf(int frames, int blockFrames) {
    return (size_t(frames) + size_t(blockFrames) - 1) / size_t(blockFrames);
}

// Minimum, maximum and gap of one slot over n frames, value by value.
void SlotFigures(const uint8_t* frames, int n, int s, float& minimum, float& maximum,
                 uint8_t& gap) {
    float mn = kInf, mx = -kInf;
    uint8_t g = 0;
    for (int i = 0; i < n; ++i) {
        const float v = FrameValue(frames + size_t(i) * kFrameSize, s);
        if (!LogSummary::IsDrawable(v)) {
            g = 1;
            continue;
        }
        mn = v < mn ? v : mn;
        mx = v > mx ? v : mx;
    }
    minimum = mn;
    maximum = mx;
    gap = g;
}

// Minimum and maximum of the drawable values of every slot over n frames, and whether any value
// is not drawable. The minimum is taken as "v < m ? v : m" in frame order, as the chart's own
// envelope takes it.
void SegmentFigures(const uint8_t* frames, int n, float* minimum, float* maximum, uint8_t* gap) {
    int s = 0;
#if defined(__SSE2__)
    // Plain minimum and maximum (a NaN never replaces them) and whether a NaN was seen. A slot
    // whose extremes are finite and above the marker held nothing undrawable, so they are its
    // figures; the rare other slots are gone over again value by value.
    const __m128 inf = _mm_set1_ps(kInf);
    const __m128 marker = _mm_set1_ps(kNoValue);
    for (; s + 4 <= kSlotCount; s += 4) {
        __m128 mn = inf, mx = _mm_set1_ps(-kInf);
        __m128 nan = _mm_setzero_ps();
        const uint8_t* p = frames + 8 * size_t(s);
        for (int i = 0; i < n; ++i, p += kFrameSize) {
            const __m128 a = _mm_loadu_ps(reinterpret_cast<const float*>(p));
            const __m128 b = _mm_loadu_ps(reinterpret_cast<const float*>(p + 16));
            const __m128 v = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
            mn = _mm_min_ps(v, mn);
            mx = _mm_max_ps(v, mx);
            nan = _mm_or_ps(nan, _mm_cmpunord_ps(v, v));
        }
        const __m128 clean =
            _mm_andnot_ps(nan, _mm_and_ps(_mm_cmpgt_ps(mn, marker), _mm_cmplt_ps(mx, inf)));
        const int ok = _mm_movemask_ps(clean);
        _mm_storeu_ps(minimum + s, mn);
        _mm_storeu_ps(maximum + s, mx);
        for (int k = 0; k < 4; ++k) {
            gap[s + k] = 0;
            if (!((ok >> k) & 1))
                SlotFigures(frames, n, s + k, minimum[s + k], maximum[s + k], gap[s + k]);
        }
    }
#endif
    for (; s < kSlotCount; ++s)
        SlotFigures(frames, n, s, minimum[s], maximum[s], gap[s]);
}

}  // namespace

void LogSummary::Clear() {
    for (Level& level : m_levels)
        level = Level{};
    m_levelCount = 0;
    m_frames = 0;
}

bool LogSummary::Start(int frames, size_t fineBudget) {
    Clear();
    if (frames <= 0) return true;
    // The finest level within the budget, below the coarse one.
    int fine = 0;
    for (int b = kFinestBlock; b < kCoarseBlock; b *= kLevelFactor) {
        const size_t bytes =
            BlocksOf(frames, b) * kSlotCount * (sizeof(SummaryBlock) + sizeof(uint8_t));
        if (bytes <= fineBudget) {
            fine = b;
            break;
        }
    }
    int sizes[2] = {fine, kCoarseBlock};
    for (int b : sizes)
        if (b != 0 && !AddLevel(frames, b)) return false;
    return true;
}

bool LogSummary::AddLevel(int frames, int blockFrames) {
    Level& level = m_levels[m_levelCount];
    level.blockFrames = blockFrames;
    level.count = BlocksOf(frames, blockFrames);
    level.blocks.reset(new (std::nothrow) SummaryBlock[level.count * kSlotCount]);
    level.gaps.reset(new (std::nothrow) uint8_t[level.count * kSlotCount]);
    if (!level.blocks || !level.gaps) {
        Clear();
        return false;
    }
    ++m_levelCount;
    return true;
}

bool LogSummary::Restore(int frames, const int* blockFrames, int levels) {
    Clear();
    if (frames <= 0 || levels < 1 || levels > 2) return false;
    for (int l = 0; l < levels; ++l) {
        if (blockFrames[l] <= 0) {
            Clear();
            return false;
        }
        if (!AddLevel(frames, blockFrames[l])) return false;
    }
    m_frames = frames;
    return true;
}

void LogSummary::Fold(int at, int n, const float* minimum, const float* maximum, const uint8_t* gap,
                      const uint8_t* firstFrame, const uint8_t* lastFrame) {
    for (int l = 0; l < m_levelCount; ++l) {
        Level& level = m_levels[l];
        const size_t b = size_t(at / level.blockFrames);
        const bool opens = at % level.blockFrames == 0;
        if (b >= level.count) continue;
        for (int s = 0; s < kSlotCount; ++s) {
            const size_t k = size_t(s) * level.count + b;
            SummaryBlock& blk = level.blocks[k];
            if (opens) {
                blk = {minimum[s], maximum[s], FrameValue(firstFrame, s), 0.0f};
                level.gaps[k] = gap[s];
            } else {
                blk.minimum = minimum[s] < blk.minimum ? minimum[s] : blk.minimum;
                blk.maximum = maximum[s] > blk.maximum ? maximum[s] : blk.maximum;
                level.gaps[k] |= gap[s];
            }
            blk.last = FrameValue(lastFrame, s);
        }
    }
    m_frames = std::max(m_frames, at + n);
}

void LogSummary::Add(const uint8_t* frames, int first, int n) {
    if (m_levelCount == 0 || n <= 0) return;
    float minimum[kSlotCount], maximum[kSlotCount];
    uint8_t gap[kSlotCount];
    const int step = m_levels[0].blockFrames;
    int i = 0;
    while (i < n) {
        const int at = first + i;
        const int len = std::min(n - i, step - at % step);
        const uint8_t* p = frames + size_t(i) * kFrameSize;
        SegmentFigures(p, len, minimum, maximum, gap);
        Fold(at, len, minimum, maximum, gap, p, p + size_t(len - 1) * kFrameSize);
        i += len;
    }
}

size_t LogSummary::Bytes() const {
    size_t bytes = 0;
    for (int l = 0; l < m_levelCount; ++l)
        bytes += m_levels[l].count * kSlotCount * (sizeof(SummaryBlock) + sizeof(uint8_t));
    return bytes;
}

const LogSummary* SummaryOf(const LogData& log) {
    const ColumnSource& src = log.source;
    const LogSummary* summary = src.summary.get();
    if (!src.store || !summary || summary->Empty() || src.first != 0 ||
        summary->Frames() != log.frameCount)
        return nullptr;
    return summary;
}

}  // namespace quillon

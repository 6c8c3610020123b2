#include "gui/chart/CurveEnvelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon {

namespace {

constexpr float kNoValue = -999999.0f;
constexpr float kInf = std::numeric_limits<float>::infinity();

void Merge(CurveEnvelope::Range& r, const CurveEnvelope::Block& b) {
    if (b.hasGap) r.hasGap = true;
    if (b.minimum <= b.maximum) {
        if (!r.any) {
            r.minimum = b.minimum;
            r.maximum = b.maximum;
            r.any = true;
        } else {
            r.minimum = std::min(r.minimum, b.minimum);
            r.maximum = std::max(r.maximum, b.maximum);
        }
    }
}

}  // namespace

bool CurveEnvelope::IsDrawable(float v) {
    return v != kNoValue && std::isfinite(v);
}

void CurveEnvelope::Clear() {
    m_values = nullptr;
    m_size = 0;
    m_levels.clear();
}

void CurveEnvelope::Build(const float* values, size_t n) {
    Clear();
    m_values = values;
    m_size = n;
    if (n < kBaseBlock * 2) return;
    std::vector<Block> level((n + kBaseBlock - 1) / kBaseBlock);
    for (size_t b = 0; b < level.size(); ++b) {
        Block blk{kInf, -kInf, false};
        const size_t end = std::min(n, (b + 1) * kBaseBlock);
        for (size_t i = b * kBaseBlock; i < end; ++i) {
            const float v = values[i];
            if (!IsDrawable(v)) {
                blk.hasGap = true;
                continue;
            }
            blk.minimum = std::min(blk.minimum, v);
            blk.maximum = std::max(blk.maximum, v);
        }
        level[b] = blk;
    }
    m_levels.push_back(std::move(level));
    while (m_levels.back().size() >= kLevelFactor * 2) {
        const std::vector<Block>& fine = m_levels.back();
        std::vector<Block> coarse((fine.size() + kLevelFactor - 1) / kLevelFactor);
        for (size_t b = 0; b < coarse.size(); ++b) {
            Block blk{kInf, -kInf, false};
            const size_t end = std::min(fine.size(), (b + 1) * kLevelFactor);
            for (size_t i = b * kLevelFactor; i < end; ++i) {
                blk.minimum = std::min(blk.minimum, fine[i].minimum);
                blk.maximum = std::max(blk.maximum, fine[i].maximum);
                blk.hasGap = blk.hasGap || fine[i].hasGap;
            }
            coarse[b] = blk;
        }
        m_levels.push_back(std::move(coarse));
    }
}

CurveEnvelope::Range CurveEnvelope::MinMax(size_t first, size_t end) const {
    Range r;
    end = std::min(end, m_size);
    if (first >= end || !m_values) return r;
    const size_t count = end - first;
    // The coarsest level whose blocks are at most half the range: a block boundary then lies
    // within a quarter of the range from each end, so a spike moves by less than a column.
    int level = -1;
    size_t blockSize = 1;
    for (size_t l = 0, size = kBaseBlock; l < m_levels.size(); ++l, size *= kLevelFactor) {
        if (size * 2 > count) break;
        level = static_cast<int>(l);
        blockSize = size;
    }
    if (level < 0) {
        float lo = kInf, hi = -kInf;
        bool gap = false;
        for (size_t i = first; i < end; ++i) {
            const float v = m_values[i];
            if (!IsDrawable(v)) {
                gap = true;
                continue;
            }
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        Merge(r, Block{lo, hi, gap});
        return r;
    }
    const std::vector<Block>& blocks = m_levels[static_cast<size_t>(level)];
    const size_t b0 = (first + blockSize / 2) / blockSize;
    // The data's end always closes the last (possibly partial) block.
    const size_t b1 =
        end == m_size ? blocks.size() : std::min(blocks.size(), (end + blockSize / 2) / blockSize);
    for (size_t b = b0; b < b1; ++b)
        Merge(r, blocks[b]);
    return r;
}

}  // namespace quillon

#include "gui/chart/CurveEnvelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/LogSummary.h"

namespace quillon {

namespace {

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

void CurveEnvelope::AddToBlock(Block& block, float v) {
    if (!IsDrawable(v)) {
        block.hasGap = true;
        return;
    }
    block.minimum = std::min(block.minimum, v);
    block.maximum = std::max(block.maximum, v);
}

void CurveEnvelope::Clear() {
    m_values = nullptr;
    m_size = 0;
    m_counts.clear();
    m_levels.clear();
    m_summary = nullptr;
    m_slot = 0;
    m_summaryLevel = 0;
    m_windowFirst = m_windowEnd = m_windowFilled = 0;
    m_keepValues = false;
    m_windowValues.clear();
}

void CurveEnvelope::CountLevels(size_t n) {
    m_counts.clear();
    if (n < kBaseBlock * 2) return;
    m_counts.push_back((n + kBaseBlock - 1) / kBaseBlock);
    while (m_counts.back() >= kLevelFactor * 2)
        m_counts.push_back((m_counts.back() + kLevelFactor - 1) / kLevelFactor);
}

// Levels 1 .. upTo - 1 from level 0, each block the merge of kLevelFactor finer ones.
void CurveEnvelope::BuildUpperLevels(std::vector<std::vector<Block>>& levels, size_t upTo) const {
    while (levels.size() < upTo) {
        const std::vector<Block>& fine = levels.back();
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
        levels.push_back(std::move(coarse));
    }
}

void CurveEnvelope::Build(const float* values, size_t n) {
    Clear();
    m_values = values;
    m_size = n;
    CountLevels(n);
    if (m_counts.empty()) return;
    std::vector<Block> level(m_counts[0]);
    for (size_t b = 0; b < level.size(); ++b) {
        Block blk{kInf, -kInf, false};
        const size_t end = std::min(n, (b + 1) * kBaseBlock);
        for (size_t i = b * kBaseBlock; i < end; ++i) {
            AddToBlock(blk, values[i]);
        }
        level[b] = blk;
    }
    m_levels.push_back(std::move(level));
    BuildUpperLevels(m_levels, m_counts.size());
}

void CurveEnvelope::BuildFromSummary(const LogSummary& summary, int slot, size_t n) {
    Clear();
    if (summary.Empty()) return;
    m_summary = &summary;
    m_slot = slot;
    m_size = n;
    CountLevels(n);
    for (size_t size = kBaseBlock; size < static_cast<size_t>(summary.BlockFrames(0));
         size *= kLevelFactor)
        ++m_summaryLevel;
}

size_t CurveEnvelope::WindowAlign() const {
    return m_summary ? static_cast<size_t>(m_summary->BlockFrames(0)) : 1;
}

int CurveEnvelope::LevelFor(size_t count, size_t& blockSize) const {
    // The coarsest level whose blocks are at most half the range: a block boundary then lies
    // within a quarter of the range from each end, so a spike moves by less than a column.
    int level = -1;
    blockSize = 1;
    for (size_t l = 0, size = kBaseBlock; l < m_counts.size(); ++l, size *= kLevelFactor) {
        if (size * 2 > count) break;
        level = static_cast<int>(l);
        blockSize = size;
    }
    return level;
}

bool CurveEnvelope::NeedsWindow(size_t first, size_t end) const {
    end = std::min(end, m_size);
    if (!m_summary || first >= end) return false;
    size_t blockSize = 1;
    return LevelFor(end - first, blockSize) < m_summaryLevel;
}

void CurveEnvelope::WindowSpan(size_t first, size_t end, size_t& from, size_t& to) const {
    const size_t align = WindowAlign();
    end = std::min(end, m_size);
    from = first / align * align;
    to = std::min(m_size, (end + align - 1) / align * align);
    if (from > to) from = to;
}

bool CurveEnvelope::WindowHolds(size_t first, size_t end) const {
    return m_windowFilled == m_windowEnd - m_windowFirst && first >= m_windowFirst &&
           end <= m_windowEnd && first < end;
}

void CurveEnvelope::BeginWindow(size_t first, size_t end, size_t keepValues) {
    m_windowFirst = first;
    m_windowEnd = std::max(first, std::min(end, m_size));
    m_windowFilled = 0;
    m_keepValues = m_windowEnd - m_windowFirst <= keepValues;
    m_windowValues.clear();
    if (m_keepValues) m_windowValues.reserve(m_windowEnd - m_windowFirst);
    m_levels.clear();
    if (m_summaryLevel > 0 && !m_counts.empty()) {
        m_levels.emplace_back();
        m_levels.back().reserve((m_windowEnd - m_windowFirst + kBaseBlock - 1) / kBaseBlock);
    }
}

void CurveEnvelope::AddWindowValues(const float* values, size_t n) {
    n = std::min(n, m_windowEnd - m_windowFirst - m_windowFilled);
    if (m_keepValues) m_windowValues.insert(m_windowValues.end(), values, values + n);
    if (!m_levels.empty()) {
        std::vector<Block>& level = m_levels.front();
        for (size_t i = 0; i < n; ++i) {
            if ((m_windowFilled + i) % kBaseBlock == 0) level.push_back(Block{kInf, -kInf, false});
            AddToBlock(level.back(), values[i]);
        }
    }
    m_windowFilled += n;
}

void CurveEnvelope::EndWindow() {
    if (!m_levels.empty())
        BuildUpperLevels(m_levels, std::min<size_t>(m_counts.size(), size_t(m_summaryLevel)));
}

CurveEnvelope::Range CurveEnvelope::MinMax(size_t first, size_t end) const {
    Range r;
    end = std::min(end, m_size);
    if (first >= end || (!m_values && !m_summary)) return r;
    size_t blockSize = 1;
    const int level = LevelFor(end - first, blockSize);
    if (level < 0) {
        // Summary-backed, the samples come from the window's values.
        const float* values = m_values;
        if (!values) {
            if (!m_keepValues || !WindowHolds(first, end)) return r;
            values = m_windowValues.data();
            end -= m_windowFirst;
            first -= m_windowFirst;
        }
        float lo = kInf, hi = -kInf;
        bool gap = false;
        for (size_t i = first; i < end; ++i) {
            const float v = values[i];
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
    const size_t count = m_counts[static_cast<size_t>(level)];
    const size_t b0 = (first + blockSize / 2) / blockSize;
    // The data's end always closes the last (possibly partial) block.
    const size_t b1 = end == m_size ? count : std::min(count, (end + blockSize / 2) / blockSize);
    if (m_summary && level >= m_summaryLevel) {
        // The coarsest summary level whose blocks divide this level's.
        int sl = 0;
        while (sl + 1 < m_summary->LevelCount() &&
               static_cast<size_t>(m_summary->BlockFrames(sl + 1)) <= blockSize)
            ++sl;
        const size_t per = blockSize / static_cast<size_t>(m_summary->BlockFrames(sl));
        const SummaryBlock* blocks = m_summary->Blocks(sl, m_slot);
        const size_t last = std::min(b1 * per, m_summary->BlockCount(sl));
        for (size_t b = b0 * per; b < last; ++b)
            Merge(r, Block{blocks[b].minimum, blocks[b].maximum, m_summary->HasGap(sl, m_slot, b)});
        return r;
    }
    if (m_summary) {
        // The window's blocks start at its first sample, a multiple of every finer block size.
        if (static_cast<size_t>(level) >= m_levels.size() ||
            !WindowHolds(b0 * blockSize, std::min(b1 * blockSize, m_size)))
            return r;
        const std::vector<Block>& blocks = m_levels[static_cast<size_t>(level)];
        const size_t w0 = m_windowFirst / blockSize;
        for (size_t b = b0; b < b1 && b - w0 < blocks.size(); ++b)
            Merge(r, blocks[b - w0]);
        return r;
    }
    const std::vector<Block>& blocks = m_levels[static_cast<size_t>(level)];
    for (size_t b = b0; b < b1; ++b)
        Merge(r, blocks[b]);
    return r;
}

}  // namespace quillon

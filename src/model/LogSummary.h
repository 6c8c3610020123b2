#pragma once
/// A summary of every slot of a log read from a file, made in the opening pass: per block of
/// frames the minimum and maximum of the drawable values (neither the no-value marker nor
/// non-finite), whether the block holds an undrawable value, and its first and last value. A
/// coarse level is kept for every log; one finer level is kept when it fits a fixed budget. The
/// chart draws from it without reading the frames again.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "format/DataLogFrame.h"

namespace quillon {

struct LogData;

struct SummaryBlock {
    float minimum;  // +inf when the block holds no drawable value
    float maximum;  // -inf when the block holds no drawable value
    float first;    // the block's first and last values as stored
    float last;
};

class LogSummary {
public:
    /// Frames per block of the coarse level, and of the finest level that may be kept; every
    /// level's block is the previous one's times kLevelFactor, from kFinestBlock up.
    static constexpr int kCoarseBlock = 1024;
    static constexpr int kFinestBlock = 16;
    static constexpr int kLevelFactor = 4;
    /// Bytes the finer level may take.
    static constexpr size_t kFineBudget = size_t(32) << 20;

    /// Whether a value is drawn (not the no-value marker, finite).
    static bool IsDrawable(float v) { return v != kNoValue && v - v == 0.0f; }

    /// Prepares the levels for `frames` frames (the finer one when it fits `fineBudget`); false
    /// when memory runs out (the summary is then empty).
    bool Start(int frames, size_t fineBudget = kFineBudget);
    /// Adds frames [first, first + n) as in the file; frames must come in order, from frame 0.
    void Add(const uint8_t* frames, int first, int n);
    void Clear();
    /// Prepares levels of the given block sizes (finest first) for `frames` frames, all added, for
    /// their blocks and gaps to be filled in place (a summary read back from a cache); false when
    /// memory runs out.
    bool Restore(int frames, const int* blockFrames, int levels);
    SummaryBlock* MutableBlocks(int level) { return m_levels[level].blocks.get(); }
    uint8_t* MutableGaps(int level) { return m_levels[level].gaps.get(); }
    const uint8_t* Gaps(int level) const { return m_levels[level].gaps.get(); }

    /// Frames covered (those added once Start's frames have all been added).
    int Frames() const { return m_frames; }
    bool Empty() const { return m_levelCount == 0; }
    /// Levels kept, the finest first.
    int LevelCount() const { return m_levelCount; }
    int BlockFrames(int level) const { return m_levels[level].blockFrames; }
    size_t BlockCount(int level) const { return m_levels[level].count; }
    /// The blocks of one slot at one level, in frame order.
    const SummaryBlock* Blocks(int level, int slot) const {
        return m_levels[level].blocks.get() + size_t(slot) * m_levels[level].count;
    }
    /// Whether block b of a slot holds the no-value marker or a non-finite value.
    bool HasGap(int level, int slot, size_t b) const {
        return m_levels[level].gaps[size_t(slot) * m_levels[level].count + b] != 0;
    }
    /// Bytes held.
    size_t Bytes() const;

private:
    struct Level {
        int blockFrames = 0;
        size_t count = 0;
        std::unique_ptr<SummaryBlock[]> blocks;
        std::unique_ptr<uint8_t[]> gaps;
    };
    /// Adds a level of blocks of `blockFrames` frames for `frames` frames; false (the summary
    /// cleared) when memory runs out.
    bool AddLevel(int frames, int blockFrames);
    /// Folds the figures of frames [at, at + n) of every slot, all inside one block of every
    /// level, into the levels.
    void Fold(int at, int n, const float* minimum, const float* maximum, const uint8_t* gap,
              const uint8_t* firstFrame, const uint8_t* lastFrame);

    Level m_levels[2];
    int m_levelCount = 0;
    int m_frames = 0;
};

/// The summary of a log's file that still describes its frames (none after its frame set changed,
/// for a log made in memory, or when memory ran out at opening).
const LogSummary* SummaryOf(const LogData& log);

}  // namespace quillon

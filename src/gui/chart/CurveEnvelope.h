#pragma once
/// Minimum and maximum of one curve's values over blocks of samples at several scales, so that
/// the min/max of a pixel column costs a few block reads whatever the number of frames. Built
/// either over the values in memory or over a log's summary, whose blocks give the coarse levels
/// and a window of values read from the file the finer ones.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

class LogSummary;

class CurveEnvelope {
public:
    /// Samples per block at level 0; each further level groups kLevelFactor blocks.
    static constexpr size_t kBaseBlock = 16;
    static constexpr size_t kLevelFactor = 4;

    struct Block {
        float minimum;  // +inf when the block holds no drawable value
        float maximum;  // -inf when the block holds no drawable value
        bool hasGap;    // the block holds a no-value marker or a non-finite value
    };

    struct Range {
        float minimum = 0;
        float maximum = 0;
        bool any = false;     // at least one drawable value
        bool hasGap = false;  // at least one marker or non-finite value
    };

    /// Builds the levels over n values (a few levels only when n is small).
    void Build(const float* values, size_t n);
    /// Takes the levels of one slot of a summary covering n samples; the levels finer than the
    /// summary's finest block, and single samples, come from the window (BeginWindow).
    void BuildFromSummary(const LogSummary& summary, int slot, size_t n);
    void Clear();
    size_t Size() const { return m_size; }
    bool FromSummary() const { return m_summary != nullptr; }

    /// Summary-backed: samples a window must start at a multiple of (the summary's finest block).
    size_t WindowAlign() const;
    /// Summary-backed: whether MinMax over [first, end) reads the window rather than the summary.
    bool NeedsWindow(size_t first, size_t end) const;
    /// Summary-backed: the samples MinMax over [first, end) may read, widened to WindowAlign.
    void WindowSpan(size_t first, size_t end, size_t& from, size_t& to) const;
    /// Whether the window holds samples [first, end).
    bool WindowHolds(size_t first, size_t end) const;
    /// Summary-backed: starts a window of samples [first, end) (first a multiple of WindowAlign,
    /// end one too or the size); its values follow in order through AddWindowValues, which keeps
    /// them when the window has at most keepValues samples, and EndWindow builds its levels.
    void BeginWindow(size_t first, size_t end, size_t keepValues);
    void AddWindowValues(const float* values, size_t n);
    void EndWindow();
    /// The window's values, when kept: samples [WindowFirst, WindowFirst + size).
    const std::vector<float>& WindowValues() const { return m_windowValues; }
    size_t WindowFirst() const { return m_windowFirst; }

    /// Min and max of the drawable values in samples [first, end). The boundaries are rounded to
    /// the nearest boundary of a block size of at most (end - first) / 2, so that neighbouring
    /// ranges never lose or share a block and the cost stays bounded. Summary-backed, a range
    /// the window should hold but does not is empty.
    Range MinMax(size_t first, size_t end) const;

    /// Whether a value is drawn (not the no-value marker, finite).
    static bool IsDrawable(float v);
    /// Widens the block by a value: its extremes, or its gap mark for an undrawable value.
    static void AddToBlock(Block& block, float v);

private:
    /// The level MinMax uses over `count` samples (-1: single samples) and its block size.
    int LevelFor(size_t count, size_t& blockSize) const;
    void CountLevels(size_t n);
    void BuildUpperLevels(std::vector<std::vector<Block>>& levels, size_t upTo) const;

    const float* m_values = nullptr;
    size_t m_size = 0;
    /// Blocks per level, whether built or taken from a summary.
    std::vector<size_t> m_counts;
    std::vector<std::vector<Block>> m_levels;

    const LogSummary* m_summary = nullptr;
    int m_slot = 0;
    int m_summaryLevel = 0;  // the level of the summary's finest block
    size_t m_windowFirst = 0;
    size_t m_windowEnd = 0;
    size_t m_windowFilled = 0;
    bool m_keepValues = false;
    std::vector<float> m_windowValues;
};

}  // namespace quillon

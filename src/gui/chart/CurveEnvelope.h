#pragma once
/// Minimum and maximum of one curve's values over blocks of samples at several scales, so that
/// the min/max of a pixel column costs a few block reads whatever the number of frames.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

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
    void Clear();
    size_t Size() const { return m_size; }

    /// Min and max of the drawable values in samples [first, end). The boundaries are rounded to
    /// the nearest boundary of a block size of at most (end - first) / 2, so that neighbouring
    /// ranges never lose or share a block and the cost stays bounded.
    Range MinMax(size_t first, size_t end) const;

    /// Whether a value is drawn (not the no-value marker, finite).
    static bool IsDrawable(float v);

private:
    const float* m_values = nullptr;
    size_t m_size = 0;
    std::vector<std::vector<Block>> m_levels;
};

}  // namespace quillon

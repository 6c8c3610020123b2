#pragma once
/// A set of frames of the main log, picked as a box in the scatter plot and shared by every
/// window: kept as sorted runs of adjacent frames, so that a million selected frames cost a few
/// runs where they lie together.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

/// Frames [first, end).
struct FrameRun {
    int first = 0;
    int end = 0;
    bool operator==(const FrameRun&) const = default;
};

/// A box in the values of two channels. Every edge belongs to the box.
struct ValueBox {
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
};

class FrameSelection {
public:
    /// The frames i < n whose point (x[i], y[i]) lies inside the box, edges included (the box's
    /// corners may come in either order). A point holding the no-value marker or a value that is
    /// not finite is never inside.
    static FrameSelection InBox(const float* x, const float* y, size_t n, const ValueBox& box);
    /// The given frames (any order, repeats allowed; negative ones left out).
    static FrameSelection OfFrames(std::vector<int> frames);

    bool Empty() const { return m_runs.empty(); }
    /// Sorted, apart (a gap of at least one frame between runs) and never empty.
    const std::vector<FrameRun>& Runs() const { return m_runs; }
    int64_t FrameCount() const { return m_count; }
    bool Contains(int frame) const;

private:
    void Add(int frame);

    std::vector<FrameRun> m_runs;
    int64_t m_count = 0;
};

}  // namespace quillon

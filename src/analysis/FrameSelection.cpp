#include "analysis/FrameSelection.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "format/DataLogFrame.h"

namespace quillon {

void FrameSelection::Add(int frame) {
    // Frames come in rising order: each extends the last run or starts one.
    if (!m_runs.empty() && m_runs.back().end == frame)
        ++m_runs.back().end;
    else
        m_runs.push_back({frame, frame + 1});
    ++m_count;
}

FrameSelection FrameSelection::InBox(const float* x, const float* y, size_t n,
                                     const ValueBox& box) {
    FrameSelection s;
    if (!x || !y) return s;
    const double x0 = std::min(box.xMin, box.xMax), x1 = std::max(box.xMin, box.xMax);
    const double y0 = std::min(box.yMin, box.yMax), y1 = std::max(box.yMin, box.yMax);
    n = std::min(n, size_t(INT32_MAX));
    for (size_t i = 0; i < n; ++i) {
        const float u = x[i], v = y[i];
        if (u == kNoValue || v == kNoValue || !std::isfinite(u) || !std::isfinite(v)) continue;
        if (double(u) >= x0 && double(u) <= x1 && double(v) >= y0 && double(v) <= y1) s.Add(int(i));
    }
    return s;
}

FrameSelection FrameSelection::OfFrames(std::vector<int> frames) {
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    FrameSelection s;
    for (int f : frames)
        if (f >= 0) s.Add(f);
    return s;
}

bool FrameSelection::Contains(int frame) const {
    // The first run that ends after the frame holds it when it starts at or before it.
    const auto it = std::upper_bound(m_runs.begin(), m_runs.end(), frame,
                                     [](int f, const FrameRun& r) { return f < r.end; });
    return it != m_runs.end() && it->first <= frame;
}

}  // namespace quillon

#pragma once
/// The points of one scatter plot: x and y of every frame copied from the main log, the frames
/// left out by the filter marked as not drawn, and each point's colour index on the 101-colour
/// ramp.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/LogData.h"

namespace quillon {

/// The channels and filter a plot is built from.
struct ScatterSelection {
    int xChannel = 2;       // RPM
    int yChannel = 29;      // MAP
    int colorChannel = 9;   // AFR Average
    int filterChannel = 9;  // AFR Average
    bool filterEnabled = false;
    float lower = 0.0f;  // filter bounds, both kept
    float upper = 0.0f;
};

/// Extent of the drawn points on one axis.
struct ScatterExtent {
    float minimum = 0.0f;
    float maximum = 0.0f;
};

class ScatterPlotData {
public:
    /// The no-value marker of x and y: such a point is never drawn.
    static constexpr float kNoValue = -999999.0f;
    static constexpr int kRampLast = 100;

    /// Copies pointCount frames of the selected channels from log. Frames the log's columns do
    /// not reach are not drawn. The colour range is the colour channel's statistics minimum and
    /// maximum, or the filter bounds when the colour channel is the filter channel and the
    /// filter is on.
    /// A rebuild reuses the buffers of the previous one.
    void Build(LogData& log, int pointCount, const ScatterSelection& selection);

    /// Ramp index 0..100 of a colour value: (value - cmin) / (cmax - cmin) in single precision,
    /// limited to 0..1 with a result that is not a number counting as 0, times 100, truncated.
    static int RampIndex(float value, float cmin, float cmax) {
        const float v = (value - cmin) / (cmax - cmin);
        // max(0, v) is 0 for a v that is not a number; written so, the loop over all points
        // runs on vector instructions.
        return int(std::min(std::max(0.0f, v), 1.0f) * 100.0f);
    }

    int Size() const { return int(m_x.size()); }
    bool IsDrawn(int i) const { return IsDrawable(m_x[size_t(i)], m_y[size_t(i)]); }
    static bool IsDrawable(float x, float y) {
        return x != kNoValue && y != kNoValue && std::isfinite(x) && std::isfinite(y);
    }
    const std::vector<float>& X() const { return m_x; }
    const std::vector<float>& Y() const { return m_y; }
    /// The colour channel's value and the time of frame i, read from the log (0 where its
    /// columns no longer reach).
    float ColorValue(int i) const { return ValueAt(m_colorChannel, i); }
    float Time(int i) const { return ValueAt(1, i); }
    const std::vector<uint8_t>& RampIndices() const { return m_ramp; }
    float ColorMin() const { return m_colorMin; }
    float ColorMax() const { return m_colorMax; }
    /// How many points are drawn, and their extents (meaningful when DrawnCount() > 0).
    int DrawnCount() const { return m_drawn; }
    const ScatterExtent& XExtent() const { return m_xExtent; }
    const ScatterExtent& YExtent() const { return m_yExtent; }

private:
    float ValueAt(int channel, int i) const;

    const LogData* m_log = nullptr;
    int m_colorChannel = 0;
    std::vector<float> m_x;
    std::vector<float> m_y;
    std::vector<uint8_t> m_ramp;
    float m_colorMin = 0.0f;
    float m_colorMax = 0.0f;
    int m_drawn = 0;
    ScatterExtent m_xExtent;
    ScatterExtent m_yExtent;
};

}  // namespace quillon

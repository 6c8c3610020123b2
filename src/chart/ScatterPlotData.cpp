#include "chart/ScatterPlotData.h"

#include <algorithm>
#include <cmath>

#include "datalog/DataLogFrame.h"

namespace quillon {

namespace {

bool ValidChannel(int c) {
    return c >= 1 && c <= kSlotCount;
}

/// n values of channel c; frames the column does not reach get `missing`.
void CopyChannel(const LogData& log, int c, size_t n, float missing, std::vector<float>& out) {
    out.assign(n, missing);
    if (!ValidChannel(c)) return;
    const Column<float>& column = log.values[size_t(c - 1)];
    if (!column.data()) return;
    std::copy_n(column.data(), std::min(n, column.size()), out.begin());
}

}  // namespace

bool ScatterPlotData::IsDrawable(float x, float y) {
    return x != kNoValue && y != kNoValue && std::isfinite(x) && std::isfinite(y);
}

int ScatterPlotData::RampIndex(float value, float cmin, float cmax) {
    float v = (value - cmin) / (cmax - cmin);
    if (!(v >= 0.0f)) v = 0.0f;  // below the range, or not a number
    if (v > 1.0f) v = 1.0f;
    return int(v * 100.0f);
}

void ScatterPlotData::Build(const LogData& log, int pointCount, const ScatterSelection& s) {
    const size_t n = size_t(std::max(pointCount, 0));
    CopyChannel(log, s.xChannel, n, kNoValue, m_x);
    CopyChannel(log, s.yChannel, n, kNoValue, m_y);
    CopyChannel(log, s.colorChannel, n, 0.0f, m_color);
    CopyChannel(log, 1, n, 0.0f, m_time);

    if (s.filterEnabled) {
        std::vector<float> filter;
        CopyChannel(log, s.filterChannel, n, kNoValue, filter);
        for (size_t i = 0; i < n; ++i) {
            // A value that is not a number lies inside no range, so it is left out as well.
            if (filter[i] >= s.lower && filter[i] <= s.upper) continue;
            m_x[i] = kNoValue;
            m_y[i] = kNoValue;
        }
    }

    if (s.filterEnabled && s.colorChannel == s.filterChannel) {
        m_colorMin = s.lower;
        m_colorMax = s.upper;
    } else if (ValidChannel(s.colorChannel)) {
        m_colorMin = log.stats[size_t(s.colorChannel - 1)].minimum;
        m_colorMax = log.stats[size_t(s.colorChannel - 1)].maximum;
    } else {
        m_colorMin = m_colorMax = 0.0f;
    }

    m_ramp.resize(n);
    m_drawn = 0;
    m_xExtent = {};
    m_yExtent = {};
    for (size_t i = 0; i < n; ++i) {
        m_ramp[i] = uint8_t(RampIndex(m_color[i], m_colorMin, m_colorMax));
        if (!IsDrawable(m_x[i], m_y[i])) continue;
        if (m_drawn++ == 0) {
            m_xExtent = {m_x[i], m_x[i]};
            m_yExtent = {m_y[i], m_y[i]};
            continue;
        }
        m_xExtent.minimum = std::min(m_xExtent.minimum, m_x[i]);
        m_xExtent.maximum = std::max(m_xExtent.maximum, m_x[i]);
        m_yExtent.minimum = std::min(m_yExtent.minimum, m_y[i]);
        m_yExtent.maximum = std::max(m_yExtent.maximum, m_y[i]);
    }
}

}  // namespace quillon

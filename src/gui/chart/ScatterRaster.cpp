#include "gui/chart/ScatterRaster.h"

#include <algorithm>
#include <cmath>

#include "gui/chart/ScatterPlotData.h"

namespace quillon {

void ScatterRaster::Bin(const float* x, const float* y, int n, const ScatterMapping& mapping) {
    m_width = std::max(mapping.Width(), 0);
    m_height = std::max(mapping.Height(), 0);
    m_top.assign(size_t(m_width) * size_t(m_height), -1);
    if (m_top.empty()) return;
    int32_t* top = m_top.data();
    // A local copy, so that the stores into the grid cannot be taken to change it.
    const ScatterMapping m = mapping;
    constexpr float kNoValue = ScatterPlotData::kNoValue;
    for (int i = 0; i < n; ++i) {
        // ToPixel refuses values that are not numbers; the no-value marker is refused here.
        if (x[i] == kNoValue || y[i] == kNoValue) continue;
        int px, py;
        if (!m.ToPixel(x[i], y[i], &px, &py)) continue;
        top[size_t(py) * size_t(m_width) + size_t(px)] = i;
    }
}

int ScatterRaster::TopFrame(int px, int py) const {
    if (px < 0 || py < 0 || px >= m_width || py >= m_height) return -1;
    return m_top[size_t(py) * size_t(m_width) + size_t(px)];
}

int ScatterRaster::NearestFrame(double px, double py, double radius) const {
    if (!(radius >= 0) || !std::isfinite(px) || !std::isfinite(py)) return -1;
    const int r = int(std::ceil(radius));
    const int cx = int(std::floor(px + 0.5));
    const int cy = int(std::floor(py + 0.5));
    const double limit = radius * radius;
    int best = -1;
    double bestDistance = 0.0;
    for (int y = std::max(cy - r, 0); y <= std::min(cy + r, m_height - 1); ++y) {
        for (int x = std::max(cx - r, 0); x <= std::min(cx + r, m_width - 1); ++x) {
            const int frame = m_top[size_t(y) * size_t(m_width) + size_t(x)];
            if (frame < 0) continue;
            const double d = (x - px) * (x - px) + (y - py) * (y - py);
            if (d > limit) continue;
            if (best < 0 || d < bestDistance || (d == bestDistance && frame > best)) {
                best = frame;
                bestDistance = d;
            }
        }
    }
    return best;
}

void ScatterRaster::Paint(const uint8_t* rampIndex, const QRgb* ramp, int dotRadius,
                          QImage& image) {
    if (image.size() != QSize(m_width, m_height) ||
        image.format() != QImage::Format_ARGB32_Premultiplied)
        image = QImage(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return;
    const int r = std::max(dotRadius, 0);
    const size_t w = size_t(m_width);

    // The frame on top of a pixel is the latest frame binned within the dot's reach: a maximum
    // over a square, taken along the rows and then along the columns.
    m_rows.assign(m_top.size(), -1);
    std::vector<int32_t>& rows = m_rows;
    for (int y = 0; y < m_height; ++y) {
        const int32_t* in = m_top.data() + size_t(y) * w;
        int32_t* out = rows.data() + size_t(y) * w;
        for (int x = 0; x < m_width; ++x) {
            if (in[x] < 0) continue;
            const int x1 = std::min(x + r, m_width - 1);
            for (int k = std::max(x - r, 0); k <= x1; ++k)
                out[k] = std::max(out[k], in[x]);
        }
    }
    m_line.resize(w);
    std::vector<int32_t>& line = m_line;
    for (int y = 0; y < m_height; ++y) {
        std::fill(line.begin(), line.end(), -1);
        const int y1 = std::min(y + r, m_height - 1);
        for (int k = std::max(y - r, 0); k <= y1; ++k) {
            const int32_t* in = rows.data() + size_t(k) * w;
            for (size_t x = 0; x < w; ++x)
                line[x] = std::max(line[x], in[x]);
        }
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (size_t x = 0; x < w; ++x)
            pixels[x] = line[x] >= 0 ? ramp[rampIndex[line[x]]] : 0;
    }
}

}  // namespace quillon

#pragma once
/// The scatter plot's points drawn through a pixel grid: one pass over the frames keeps, for
/// every device pixel, the last frame that lands on it; dots are then grown from those pixels
/// and coloured. The picture is the same as drawing every dot one by one in frame order, at a
/// cost that grows with the frame count only through the one pass.

#include <cstdint>
#include <vector>

#include <QImage>
#include <QRgb>

#include "gui/chart/ScatterMapping.h"

namespace quillon {

class ScatterRaster {
public:
    /// Bins n points (x[i], y[i]) onto the mapping's grid; points that are not drawable (the
    /// no-value marker, not a number) or fall outside the grid are skipped.
    void Bin(const float* x, const float* y, int n, const ScatterMapping& mapping);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// The last frame binned to a pixel, -1 for none (or outside the grid).
    int TopFrame(int px, int py) const;
    /// The frame whose pixel is nearest to (px, py) within radius device pixels, -1 for none.
    /// Between equally near pixels the later frame wins, as it is the one drawn on top.
    int NearestFrame(double px, double py, double radius) const;

    /// Square dots of side 2 x dotRadius + 1 around every binned pixel, each in
    /// ramp[rampIndex[frame]], later frames covering earlier ones; transparent elsewhere. The
    /// image is reused when it already has the grid's size.
    void Paint(const uint8_t* rampIndex, const QRgb* ramp, int dotRadius, QImage& image);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<int32_t> m_top;   // row-major, -1 for an empty pixel
    std::vector<int32_t> m_rows;  // the same after the maximum along the rows
    std::vector<int32_t> m_line;
};

}  // namespace quillon

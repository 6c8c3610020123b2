#pragma once
/// The value ranges of a scatter plot's two axes laid onto a grid of device pixels: the low end
/// of each range falls on the centre of the first pixel (left, bottom), the high end on the
/// centre of the last pixel (right, top).

namespace quillon {

class ScatterMapping {
public:
    ScatterMapping() = default;
    ScatterMapping(double xMin, double xMax, double yMin, double yMax, int width, int height)
        : m_xMin(xMin), m_yMax(yMax), m_width(width), m_height(height) {
        // An empty or inverted range would divide by zero: it maps everything to one pixel.
        m_xScale = xMax > xMin ? (width - 1) / (xMax - xMin) : 0.0;
        m_yScale = yMax > yMin ? (height - 1) / (yMax - yMin) : 0.0;
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// Fractional device-pixel position of a value (pixel centres at whole numbers).
    double PixelX(double x) const { return (x - m_xMin) * m_xScale; }
    double PixelY(double y) const { return (m_yMax - y) * m_yScale; }
    double ValueX(double px) const { return m_xScale > 0 ? m_xMin + px / m_xScale : m_xMin; }
    double ValueY(double py) const { return m_yScale > 0 ? m_yMax - py / m_yScale : m_yMax; }

    /// The pixel a point lands on; false when it lies outside the grid (or is not a number).
    bool ToPixel(float x, float y, int* px, int* py) const {
        const double u = PixelX(x);
        const double v = PixelY(y);
        if (!(u >= -0.5 && u < m_width - 0.5 && v >= -0.5 && v < m_height - 0.5)) return false;
        // Both are at least 0 here, so truncation rounds to the nearest pixel.
        *px = int(u + 0.5);  // NOLINT(bugprone-incorrect-roundings): u + 0.5 >= 0 here
        *py = int(v + 0.5);  // NOLINT(bugprone-incorrect-roundings): v + 0.5 >= 0 here
        return true;
    }

private:
    double m_xMin = 0.0;
    double m_yMax = 0.0;
    double m_xScale = 0.0;
    double m_yScale = 0.0;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace quillon

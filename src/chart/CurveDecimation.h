#pragma once
/// A curve reduced to what one time window and pixel width need: the raw samples when they are
/// few, else the minimum and maximum per pixel column (read from the curve's envelope).

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QPointF>

#include "chart/ChartTypes.h"
#include "chart/CurveEnvelope.h"

namespace quillon {

struct CurveDecimation {
    /// Raw samples are drawn while there are at most this many per pixel column.
    static constexpr size_t kRawPointsPerColumn = 2;
    enum ColumnFlag : uint8_t { kColumnAny = 1, kColumnGap = 2 };

    bool raw = true;
    size_t first = 0;  // raw: samples [first, end) cover the window and one sample either side
    size_t end = 0;
    int columns = 0;  // decimated: one entry per pixel column
    std::vector<float> minimum;
    std::vector<float> maximum;
    std::vector<uint8_t> flags;

    /// Reduces n samples (times x ascending, values y, envelope built over y) to the window
    /// drawn across the given number of pixel columns.
    static CurveDecimation Make(const float* x, const float* y, size_t n,
                                const CurveEnvelope& envelope, const TimeWindow& window,
                                int columns);

    /// Appends the curve as polylines in pixels: points, and in starts the index of the first
    /// point of each polyline (a marker or a non-finite sample breaks the line). Column c is
    /// drawn at x = mapping.left + c / pixelRatio.
    void AppendPolylines(const float* x, const float* y, const PlotMapping& mapping,
                         double pixelRatio, std::vector<QPointF>& points,
                         std::vector<int>& starts) const;
};

}  // namespace quillon

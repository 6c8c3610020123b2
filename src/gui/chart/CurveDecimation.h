#pragma once
/// A curve reduced to what one time window and pixel width need: the raw samples when they are
/// few, else the minimum and maximum per pixel column (read from the curve's envelope).

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QPointF>
#include <QRect>

#include "gui/chart/ChartTypes.h"
#include "gui/chart/CurveEnvelope.h"

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

    /// The samples of one log's time array that a window shows across a number of pixel
    /// columns: [first, end) with one sample either side, and, when they are too many to draw
    /// raw, the sample index where each column begins (columns + 1 entries). Every curve of the
    /// log shares it.
    struct Columns {
        size_t first = 0;
        size_t end = 0;
        std::vector<size_t> bounds;  // empty: draw raw samples
    };
    static Columns Split(const float* x, size_t n, const TimeWindow& window, int columns);
    /// One curve over the columns of its log (envelope built over the drawn values).
    static CurveDecimation Make(const Columns& cols, const CurveEnvelope& envelope);

    /// Reduces n samples (times x ascending, values y, envelope built over y) to the window
    /// drawn across the given number of pixel columns.
    static CurveDecimation Make(const float* x, const float* y, size_t n,
                                const CurveEnvelope& envelope, const TimeWindow& window,
                                int columns);

    /// Appends the curve as polylines in pixels: points, and in starts the index of the first
    /// point of each polyline (a marker or a non-finite sample breaks the line). Column c is
    /// drawn at x = mapping.left + c / pixelRatio.
    /// Draws a reduced (not raw) curve straight into an ARGB32 image as one vertical span of
    /// device pixels per column, each span stretched to meet its neighbour so that the curve
    /// stays connected. clip is in device pixels; with dashPeriod > 0 only the first half of
    /// every dashPeriod columns is drawn (a dashed curve). The painter's wide-pen and dash
    /// paths cost far more per pixel, and a reduced curve is nothing but such spans.
    /// With fillAlpha below 255 the inner pixels of a span of at least blendFrom pixels are
    /// blended at that opacity and only its    /// two ends are opaque (a channel of a few levels
    /// toggling within a column).
    void FillSpans(QImage& image, const PlotMapping& mapping, double pixelRatio, QRgb colour,
                   const QRect& clip, int dashPeriod, int fillAlpha = 255, int blendFrom = 3) const;

    /// y holds the samples from yFirst on (yCount of them; SIZE_MAX: all the curve's); raw
    /// samples it does not hold are not drawn.
    void AppendPolylines(const float* x, const float* y, const PlotMapping& mapping,
                         double pixelRatio, std::vector<QPointF>& points, std::vector<int>& starts,
                         size_t yFirst = 0, size_t yCount = SIZE_MAX) const;
};

}  // namespace quillon

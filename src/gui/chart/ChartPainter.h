#pragma once
/// Paints the strip chart in three layers from a ChartPaintParams: back (background, panels,
/// grid, axes), middle (the curves, reduced to a few points per pixel column and kept for the
/// next picture of the same window) and fore (zoom band, cursor, cursor table, zoom buttons).
/// The same painter draws the screen, screenshots and pictures on any paint device.

#include <optional>
#include <utility>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QPointF>

#include "gui/chart/ChartPaintParams.h"
#include "gui/chart/CurveDecimation.h"

namespace quillon {

class ChartPainter {
public:
    /// The x extents in pixels (left, right) of the bands that shade the selected frames within
    /// [xMap.left, xMap.left + xMap.width]: each run of adjacent frames from its first frame's
    /// time to its last one's, at least `minimum` pixels wide, and runs whose bands touch or
    /// overlap merged into one, so that the count never exceeds the pixel columns. The frames'
    /// times are taken as rising.
    static std::vector<std::pair<double, double>> SelectionBands(const FrameSelection& selection,
                                                                 const float* times, int count,
                                                                 const PlotMapping& xMap,
                                                                 double minimum);

    /// Background, border, panels with their grid, y axes and the x axis.
    void PaintBack(QPainter& p, const ChartPaintParams& pp) const;
    /// Zoom band, cursor, cursor table and zoom buttons (a picture's caption instead).
    void PaintFore(QPainter& p, const ChartPaintParams& pp) const;
    /// Back and middle layer into an ARGB32 image (the screen's cached picture): reduced curves
    /// are written straight into its pixels, which costs far less than the painter's lines.
    void PaintBackAndCurves(QImage& image, const ChartPaintParams& pp);
    /// All three layers through one painter, on any paint device (SVG and PDF included).
    void Paint(QPainter& p, const ChartPaintParams& pp);
    /// The plate an axis name in `text` is drawn on over `background`, when the two are too
    /// alike to read (yellow or cyan on light grey): dark grey or white, whichever sets the name
    /// off better. None when the name reads well as it is.
    static std::optional<QColor> NamePlate(const QColor& text, const QColor& background);
    /// Forgets the reduced curves (the data changed).
    void Invalidate() { m_valid = false; }

private:
    /// A picture's caption in the top band.
    static void PaintCaption(QPainter& p, const ChartPaintParams& pp);
    /// Reduces every shown curve for the window and the number of pixel columns, unless the
    /// last reduction was made for the same ones.
    void Reduce(const ChartPaintParams& pp, int columns);
    /// Reads into a summary-backed curve's window the frames the reduction needs.
    static void LoadWindow(const ChartModel& model, const ChartCurve& c,
                           const CurveDecimation::Columns& cols, int columns);
    /// The middle layer: comparison curves under the main ones, in item order. With pixels,
    /// reduced curves become column spans in the image and only raw curves use a painter
    /// (opened on the image between spans); without, everything goes through `shared`.
    void PaintCurves(const ChartPaintParams& pp, double pixelRatio, QImage* pixels,
                     QPainter* shared);

    std::vector<CurveDecimation> m_decimated;  // per subset
    TimeWindow m_window;
    int m_columns = 0;
    bool m_valid = false;
    std::vector<QPointF> m_points;
    std::vector<int> m_starts;
};

}  // namespace quillon

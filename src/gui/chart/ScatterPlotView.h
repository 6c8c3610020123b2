#pragma once
/// The scatter plot's drawing surface: x and y axes with ticks, numbers and channel titles, the
/// points drawn through a ScatterRaster, a ring on the main window's cursor frame and a readout
/// of the point under the mouse. The wheel zooms, a double click returns to the full range and a
/// click on a point reports its frame; a box dragged with Shift reports its values.

#include <optional>

#include <QImage>
#include <QString>
#include <QWidget>

#include "analysis/FrameSelection.h"

#include "gui/chart/ScatterAxis.h"
#include "gui/chart/ScatterPlotData.h"
#include "gui/chart/ScatterRaster.h"

namespace quillon {

class ScatterPlotView : public QWidget {
    Q_OBJECT
public:
    /// Axis titles, and the printf formats (unit included) of the readout's values.
    struct Texts {
        QString xTitle;
        QString yTitle;
        QString colorTitle;
        QString xFormat = QStringLiteral("%.2f");
        QString yFormat = QStringLiteral("%.2f");
        QString colorFormat = QStringLiteral("%.2f");
        QString timeFormat = QStringLiteral("%.3f");
    };

    explicit ScatterPlotView(QWidget* parent = nullptr);

    /// Takes the points of a rebuild and shows them over their full range; the fallback ranges
    /// are shown when no point is drawn.
    void SetPlot(ScatterPlotData data, const Texts& texts, const ScatterRange& xFallback,
                 const ScatterRange& yFallback);
    const ScatterPlotData& Data() const { return m_data; }
    /// Hands the points back (with their buffers) for the next rebuild to reuse.
    ScatterPlotData TakeData();
    const Texts& PlotTexts() const { return m_texts; }

    ScatterRange XRange() const { return m_x; }
    ScatterRange YRange() const { return m_y; }
    bool IsZoomed() const { return !(m_x == m_xFull && m_y == m_yFull); }
    /// Scales both ranges by factor (below 1 zooms in) about the value under pos.
    void ZoomAt(const QPointF& pos, double factor);
    void ResetZoom();

    /// Rings a frame's point (the main window's cursor); -1 for none.
    void SetCursorFrame(int frame);
    int CursorFrame() const { return m_cursorFrame; }
    int HoverFrame() const { return m_hoverFrame; }
    /// The frame of the drawn point nearest to a widget position, within a few pixels; -1 none.
    int FrameAt(const QPointF& pos) const;
    /// Where a frame's point is drawn, in widget coordinates (its centre).
    QPointF PositionOf(int frame) const;
    /// The plotting area inside the axes.
    QRect PlotRect() const;
    /// How often the points were binned and painted (hovering and rings never do it).
    int RasterBuilds() const { return m_rasterBuilds; }

    /// The box of the frames selected (drawn as an outline in the plot's values), and the note
    /// drawn in the plot's corner while there is a selection; none and empty clear them.
    void SetSelectionBox(const std::optional<ValueBox>& box, const QString& note);
    const std::optional<ValueBox>& SelectionBox() const { return m_box; }
    /// The values of the plot under a widget position (for a box's corners).
    QPointF ValuesAt(const QPointF& pos) const;

    /// The whole plot (without the mouse readout) drawn into an image of this size.
    QImage RenderImage(const QSize& size, qreal pixelRatio = 1.0);
    /// The same drawn by any painter (SVG, PDF) over (0, 0) to size; the points are a bitmap of
    /// twice the resolution, everything else is lines and text.
    void Render(QPainter& painter, const QSize& size);

signals:
    void frameClicked(int frame);
    /// A box was dragged with Shift over the plot: its corners in the axes' values.
    void boxSelected(const quillon::ValueBox& box);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Frame {
        QRect plot;
        std::vector<double> xTicks;
        std::vector<double> yTicks;
        int xDecimals = 0;
        int yDecimals = 0;
    };
    Frame LayOut(const QSize& size) const;
    ScatterMapping MappingFor(const QRect& plot, qreal pixelRatio) const;
    void Draw(QPainter& painter, const QSize& size, qreal pixelRatio, bool readout);
    void DrawAxes(QPainter& painter, const Frame& frame, qreal pixelRatio) const;
    void DrawReadout(QPainter& painter, const QRect& plot, const QPointF& at) const;
    /// The selection's box and note, and the box being dragged.
    void DrawSelection(QPainter& painter, const QRect& plot, qreal pixelRatio, bool dragging) const;
    const QImage& Raster(const QRect& plot, qreal pixelRatio) const;
    void InvalidateRaster();
    QPointF PixelToWidget(const QRect& plot, qreal pixelRatio, double px, double py) const;

    ScatterPlotData m_data;
    Texts m_texts;
    ScatterRange m_x, m_y;
    ScatterRange m_xFull, m_yFull;
    int m_cursorFrame = -1;
    int m_hoverFrame = -1;
    std::optional<ValueBox> m_box;
    QString m_note;
    bool m_dragging = false;  // a Shift box between m_dragFrom and m_dragTo
    QPointF m_dragFrom, m_dragTo;

    // A cache: the binned points and their picture for one plot size, pixel ratio and pair of
    // ranges.
    mutable ScatterRaster m_raster;
    mutable QImage m_rasterImage;
    mutable bool m_rasterValid = false;
    mutable QSize m_rasterSize;
    mutable qreal m_rasterRatio = 0;
    mutable int m_rasterBuilds = 0;
};

}  // namespace quillon

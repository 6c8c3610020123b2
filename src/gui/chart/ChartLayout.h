#pragma once
/// Where the strip chart's parts lie for one widget size: the cursor table, the four zoom
/// buttons, up to five stacked panels, one y-axis strip per labelled item with its ticks, value
/// labels and name, and the x axis; and which part a point hits.

#include <array>
#include <functional>
#include <vector>

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "gui/chart/ChartModel.h"
#include "gui/chart/ChartTypes.h"

namespace quillon {

class ChartLayout {
public:
    /// Text sizes in pixels: average character width and line height of the chart's font.
    struct Metrics {
        double charWidth = 7;
        double lineHeight = 14;
        /// The width of a text; charWidth per character when not set.
        std::function<double(const QString&)> textWidth;

        /// The metrics of a font.
        static Metrics Of(const QFont& font);
        double TextWidth(const QString& text) const;
    };

    /// A value label of a y axis: the value, its text and the box it is drawn in (a tall box
    /// when the labels are turned to read upwards).
    struct AxisLabel {
        double value = 0;
        QString text;
        QRectF rect;
    };

    enum class Part { None, Plot, YAxis, XAxis, ZoomButton, Table };
    /// A hit: the part, and the panel (Plot), the axis (YAxis: an item's below kItemCount, a
    /// difference curve's from there) or the button (ZoomButton).
    struct Hit {
        Part part = Part::None;
        int index = -1;
    };
    /// The zoom buttons, left to right.
    enum ZoomButton { kZoomIn = 0, kZoomOut = 1, kZoomAll = 2, kZoomLast = 3, kZoomButtonCount };

    void Compute(const QSizeF& size, const ChartModel& model, const Metrics& metrics);

    const QRectF& TableRect() const { return m_table; }
    double TableRowHeight() const { return m_rowHeight; }
    /// Cell rectangle of the cursor table.
    QRectF TableCell(int row, int column) const;
    const QRectF& ZoomButtonRect(int button) const {
        return m_buttons[static_cast<size_t>(button)];
    }
    /// The rectangle of panel p (0..4), empty when the panel holds no item.
    const QRectF& PanelRect(int panel) const { return m_panels[static_cast<size_t>(panel)]; }
    /// The rectangle all panels share horizontally (their x extent, from the first panel's top
    /// to the last one's bottom).
    const QRectF& PlotArea() const { return m_plotArea; }
    /// Axis a's strip (ChartModel::AxisItem), empty when the axis is not shown. Axis k < 16 is
    /// item k's.
    const QRectF& AxisRect(int item) const { return m_axes[static_cast<size_t>(item)]; }
    const QRectF& XAxisRect() const { return m_xAxis; }
    /// Item k's tick values, its value labels (always the axis's minimum and maximum) and the
    /// box of its name; empty when the axis is not shown.
    const std::vector<double>& AxisTicks(int item) const {
        return m_ticks[static_cast<size_t>(item)];
    }
    const std::vector<AxisLabel>& AxisLabels(int item) const {
        return m_labels[static_cast<size_t>(item)];
    }
    const QRectF& AxisNameRect(int item) const { return m_nameRects[static_cast<size_t>(item)]; }
    /// Many axes side by side turn their names and value labels to read upwards, in one narrow
    /// column per axis.
    bool AxisTextTurned() const { return m_turned; }

    /// Item k's values and the window's times to pixels in its panel.
    PlotMapping MappingOf(const ChartItem& item, const TimeWindow& window) const;
    std::vector<PlotMapping> Mappings(const ChartModel& model, const TimeWindow& window) const;
    /// The panel whose rectangle holds p strictly inside, or -1.
    int PanelAt(const QPointF& p) const;
    Hit HitTest(const QPointF& p) const;

    /// Round tick positions (1, 2 or 5 times a power of ten) within [lo, hi], at most maxTicks.
    static std::vector<double> NiceTicks(double lo, double hi, int maxTicks);

private:
    void LayOutAxisText(int k, const ChartItem& item, const Metrics& m);

    QRectF m_table;
    double m_rowHeight = 18;
    std::array<double, 8> m_columnX{};  // left edge of each table column and the right edge
    std::array<QRectF, kZoomButtonCount> m_buttons;
    std::array<QRectF, kPanelCount> m_panels;
    QRectF m_plotArea;
    std::array<QRectF, ChartModel::kAxisCount> m_axes;
    QRectF m_xAxis;
    std::array<std::vector<double>, ChartModel::kAxisCount> m_ticks;
    std::array<std::vector<AxisLabel>, ChartModel::kAxisCount> m_labels;
    std::array<QRectF, ChartModel::kAxisCount> m_nameRects;
    bool m_turned = false;
};

}  // namespace quillon

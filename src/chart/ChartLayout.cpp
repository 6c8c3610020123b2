#include "chart/ChartLayout.h"

#include <algorithm>
#include <cmath>

#include "chart/CursorTable.h"

namespace quillon {

void ChartLayout::Compute(const QSizeF& size, const ChartModel& model, const Metrics& m) {
    const double margin = 4;
    const double w = std::max(size.width(), 40.0);
    const double h = std::max(size.height(), 40.0);

    // Top band: the cursor table on the left, the zoom buttons on the right.
    m_rowHeight = m.lineHeight + 4;
    const double buttonWidth = m.charWidth * 5 + 8;
    // A narrow chart narrows the table's columns rather than covering the zoom buttons.
    int units = 0;
    for (int width : CursorTable::kWidths)
        units += width;
    const double room = w - 2 * margin - static_cast<int>(kZoomButtonCount) * (buttonWidth + 2) - 6;
    const double unit = std::max(1.0, std::min(m.charWidth, room / units));
    m_columnX[0] = margin;
    for (int c = 0; c < CursorTable::kColumns; ++c)
        m_columnX[static_cast<size_t>(c + 1)] =
            m_columnX[static_cast<size_t>(c)] + CursorTable::kWidths[static_cast<size_t>(c)] * unit;
    m_table = QRectF(margin, margin, m_columnX[7] - margin, 2 * m_rowHeight);
    for (int b = 0; b < kZoomButtonCount; ++b)
        m_buttons[static_cast<size_t>(b)] =
            QRectF(w - margin - (kZoomButtonCount - b) * (buttonWidth + 2), margin, buttonWidth,
                   m_rowHeight);

    // Left margin: the widest stack of shown axes over all panels.
    std::array<int, kPanelCount> shown{};
    for (const ChartItem& item : model.Items())
        if (item.axisShown && item.panel >= 0) ++shown[static_cast<size_t>(item.panel)];
    const int maxShown = *std::max_element(shown.begin(), shown.end());
    // Many axes share at most 40% of the width; squeezed strips keep the name and drop their
    // tick values (the painter leaves out values that do not fit).
    double axisWidth = m.lineHeight + m.charWidth * 7 + 8;
    if (maxShown * axisWidth > w * 0.4) axisWidth = std::max(m.lineHeight + 4, w * 0.4 / maxShown);
    const double left = margin + maxShown * axisWidth;
    const double right = w - margin - 4;
    const double top = m_table.bottom() + 6;
    const double xAxisHeight = 2 * m.lineHeight + 10;
    const double bottom = std::max(top + 10, h - margin - xAxisHeight);

    // Panels that hold at least one item share the height; a view without any gets one panel.
    std::array<bool, kPanelCount> used{};
    int usedCount = 0;
    for (int p = 0; p < kPanelCount; ++p) {
        used[static_cast<size_t>(p)] = model.PanelItemCount(p) > 0;
        usedCount += used[static_cast<size_t>(p)] ? 1 : 0;
    }
    if (usedCount == 0) {
        used[0] = true;
        usedCount = 1;
    }
    const double gap = 6;
    const double panelHeight = std::max(4.0, (bottom - top - gap * (usedCount - 1)) / usedCount);
    double y = top;
    for (int p = 0; p < kPanelCount; ++p) {
        if (!used[static_cast<size_t>(p)]) {
            m_panels[static_cast<size_t>(p)] = QRectF();
            continue;
        }
        m_panels[static_cast<size_t>(p)] =
            QRectF(left, y, std::max(4.0, right - left), panelHeight);
        y += panelHeight + gap;
    }
    m_plotArea = QRectF(left, top, std::max(4.0, right - left), y - gap - top);
    m_xAxis = QRectF(left, m_plotArea.bottom(), m_plotArea.width(), xAxisHeight);

    // Axis strips, outward from the plot in item order.
    std::array<int, kPanelCount> placed{};
    for (int k = 0; k < ChartModel::kItemCount; ++k) {
        const ChartItem& item = model.Item(k);
        m_itemPanel[static_cast<size_t>(k)] = item.panel;
        m_axes[static_cast<size_t>(k)] = QRectF();
        if (!item.axisShown || item.panel < 0) continue;
        const QRectF& panel = m_panels[static_cast<size_t>(item.panel)];
        const int n = placed[static_cast<size_t>(item.panel)]++;
        m_axes[static_cast<size_t>(k)] =
            QRectF(left - (n + 1) * axisWidth, panel.top(), axisWidth, panel.height());
    }
}

QRectF ChartLayout::TableCell(int row, int column) const {
    const double x0 = m_columnX[static_cast<size_t>(column)];
    const double x1 = m_columnX[static_cast<size_t>(column + 1)];
    return QRectF(x0, m_table.top() + row * m_rowHeight, x1 - x0, m_rowHeight);
}

PlotMapping ChartLayout::MappingOf(const ChartItem& item, const TimeWindow& window) const {
    PlotMapping map;
    const QRectF r =
        item.panel >= 0 ? m_panels[static_cast<size_t>(item.panel)] : QRectF(m_plotArea);
    map.left = r.left();
    map.top = r.top();
    map.width = std::max(1.0, r.width());
    map.height = std::max(1.0, r.height());
    map.window = window;
    map.valueMin = item.axisMin;
    map.valueMax = item.axisMax > item.axisMin ? item.axisMax : item.axisMin + 1;
    return map;
}

std::vector<PlotMapping> ChartLayout::Mappings(const ChartModel& model,
                                               const TimeWindow& window) const {
    std::vector<PlotMapping> maps;
    maps.reserve(ChartModel::kItemCount);
    for (const ChartItem& item : model.Items())
        maps.push_back(MappingOf(item, window));
    return maps;
}

int ChartLayout::PanelAt(const QPointF& p) const {
    for (int i = 0; i < kPanelCount; ++i) {
        const QRectF& r = m_panels[static_cast<size_t>(i)];
        if (r.isEmpty()) continue;
        if (p.x() > r.left() && p.x() < r.right() && p.y() > r.top() && p.y() < r.bottom())
            return i;
    }
    return -1;
}

ChartLayout::Hit ChartLayout::HitTest(const QPointF& p) const {
    for (int b = 0; b < kZoomButtonCount; ++b)
        if (m_buttons[static_cast<size_t>(b)].contains(p)) return {Part::ZoomButton, b};
    const int panel = PanelAt(p);
    if (panel >= 0) return {Part::Plot, panel};
    for (int k = 0; k < ChartModel::kItemCount; ++k)
        if (!m_axes[static_cast<size_t>(k)].isEmpty() && m_axes[static_cast<size_t>(k)].contains(p))
            return {Part::YAxis, k};
    if (m_xAxis.contains(p)) return {Part::XAxis, 0};
    if (m_table.contains(p)) return {Part::Table, 0};
    return {};
}

std::vector<double> ChartLayout::NiceTicks(double lo, double hi, int maxTicks) {
    std::vector<double> ticks;
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo || maxTicks < 2) return ticks;
    const double raw = (hi - lo) / (maxTicks - 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
        step = f * magnitude;
        if (step >= raw) break;
    }
    if (!(step > 0)) return ticks;
    for (double t = std::ceil(lo / step) * step; t <= hi + step * 1e-9; t += step) {
        ticks.push_back(std::abs(t) < step * 1e-9 ? 0.0 : t);
        if (ticks.size() > static_cast<size_t>(maxTicks) * 2) break;
    }
    return ticks;
}

}  // namespace quillon

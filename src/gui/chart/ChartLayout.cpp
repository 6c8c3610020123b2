#include "gui/chart/ChartLayout.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>

#include "gui/chart/AxisScale.h"
#include "gui/chart/CursorTable.h"
#include "gui/common/AnsiText.h"

namespace quillon {

namespace {

/// The value range item k's axis shows.
void AxisRange(const ChartItem& item, double& lo, double& hi) {
    lo = item.axisMin;
    hi = item.axisMax > item.axisMin ? item.axisMax : item.axisMin + 1;
}

/// The text of an axis end: fine enough to tell a hundredth of the range.
QString EndText(double v, double lo, double hi) {
    return QString::fromStdString(CompactNumber(v, (hi - lo) / 100));
}

}  // namespace

ChartLayout::Metrics ChartLayout::Metrics::Of(const QFont& font) {
    const QFontMetricsF fm(font);
    Metrics m;
    // The table's widths are counted in characters of figures and units: the digit width with
    // some room, so that "12.345 sec" fits its 10 characters.
    m.charWidth = std::max(fm.averageCharWidth(), fm.horizontalAdvance(QLatin1Char('0'))) * 1.15;
    m.lineHeight = fm.height();
    m.textWidth = [fm](const QString& text) { return fm.horizontalAdvance(text); };
    return m;
}

double ChartLayout::Metrics::TextWidth(const QString& text) const {
    return textWidth ? textWidth(text) : charWidth * text.size();
}

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
        m_columnX[static_cast<size_t>(c) + 1] =
            m_columnX[static_cast<size_t>(c)] + CursorTable::kWidths[static_cast<size_t>(c)] * unit;
    m_table = QRectF(margin, margin, m_columnX[7] - margin, 2 * m_rowHeight);
    for (int b = 0; b < kZoomButtonCount; ++b)
        m_buttons[static_cast<size_t>(b)] =
            QRectF(w - margin - (kZoomButtonCount - b) * (buttonWidth + 2), margin, buttonWidth,
                   m_rowHeight);

    // Left margin: the widest stack of shown axes over all panels.
    std::array<int, kPanelCount> shown{};
    double widestEnd = m.charWidth * 3;
    for (int a = 0; a < ChartModel::kAxisCount; ++a) {
        const ChartItem& item = model.AxisItem(a);
        if (!item.axisShown || item.panel < 0) continue;
        ++shown[static_cast<size_t>(item.panel)];
        double lo, hi;
        AxisRange(item, lo, hi);
        widestEnd = std::max(
            {widestEnd, m.TextWidth(EndText(lo, lo, hi)), m.TextWidth(EndText(hi, lo, hi))});
    }
    const int maxShown = *std::max_element(shown.begin(), shown.end());
    // A strip holds the name's column, the upright value labels, the tick marks and the axis
    // line. When such strips would take more than a third of the width, names and labels turn
    // to read upwards and share one column; beyond 60% of the width strips are squeezed (and
    // lose the labels that no longer fit) so that the plot keeps some room.
    const double upright = m.lineHeight + widestEnd + 10;
    m_turned = maxShown * upright > w / 3;
    double axisWidth = m_turned ? m.lineHeight + 5 : upright;
    if (maxShown * axisWidth > w * 0.6) axisWidth = w * 0.6 / maxShown;
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

    // Axis strips, outward from the plot in item order, the difference curves' outermost.
    std::array<int, kPanelCount> placed{};
    for (int k = 0; k < ChartModel::kAxisCount; ++k) {
        const ChartItem& item = model.AxisItem(k);
        m_axes[static_cast<size_t>(k)] = QRectF();
        if (!item.axisShown || item.panel < 0) continue;
        const QRectF& panel = m_panels[static_cast<size_t>(item.panel)];
        const int n = placed[static_cast<size_t>(item.panel)]++;
        m_axes[static_cast<size_t>(k)] =
            QRectF(left - (n + 1) * axisWidth, panel.top(), axisWidth, panel.height());
    }
    for (int k = 0; k < ChartModel::kAxisCount; ++k)
        LayOutAxisText(k, model.AxisItem(k), m);
}

void ChartLayout::LayOutAxisText(int k, const ChartItem& item, const Metrics& m) {
    const size_t i = static_cast<size_t>(k);
    const QRectF& r = m_axes[i];
    m_ticks[i].clear();
    m_labels[i].clear();
    m_nameRects[i] = QRectF();
    if (r.isEmpty()) return;
    double lo, hi;
    AxisRange(item, lo, hi);
    const double lh = m.lineHeight;
    const double gap = 3;
    const auto y = [&](double v) { return r.bottom() - (v - lo) / (hi - lo) * r.height(); };
    // Turned labels are longer along the axis: fewer ticks keep them apart.
    const double tickSpacing = m_turned ? 60 : 40;
    m_ticks[i] = NiceTicks(lo, hi, std::max(2, static_cast<int>(r.height() / tickSpacing)));
    const double step = m_ticks[i].size() > 1 ? m_ticks[i][1] - m_ticks[i][0] : hi - lo;

    // The text column lies left of the tick marks; upright labels leave the name its own column.
    // Turned texts get the line height less the leading below the glyphs.
    const double turnedHeight = lh - 2;
    const double textLeft = r.left() + (m_turned ? 0.5 : lh);
    const double room = r.right() - (m_turned ? 5 : 7) - textLeft;
    const auto along = [&](const QString& t) { return m_turned ? m.TextWidth(t) : lh; };
    const auto across = [&](const QString& t) { return m_turned ? turnedHeight : m.TextWidth(t); };
    struct Span {
        double a, b;
    };
    std::vector<Span> used;
    const auto place = [&](double v, const QString& text) {
        const double len = along(text);
        if (across(text) > room + 0.5 || len > r.height()) return;
        const double a = std::clamp(y(v) - len / 2, r.top(), r.bottom() - len);
        for (const Span& s : used)
            if (a < s.b + gap && a + len > s.a - gap) return;
        used.push_back({a, a + len});
        m_labels[i].push_back(
            {v, text, m_turned ? QRectF(textLeft, a, lh, len) : QRectF(textLeft, a, room, lh)});
    };
    // The ends first, so that every axis tells its range.
    place(hi, EndText(hi, lo, hi));
    place(lo, EndText(lo, lo, hi));

    const QString name = FromAnsi(item.name);
    if (!m_turned) {
        m_nameRects[i] = QRectF(r.left(), r.top(), lh, r.height());
    } else {
        // The name goes between the end labels; a name that does not fit is cut there (and
        // shown whole in the strip's tooltip).
        double top = r.top(), bottom = r.bottom();
        for (const AxisLabel& l : m_labels[i]) {
            if (l.value == hi) top = l.rect.bottom() + gap;
            if (l.value == lo) bottom = l.rect.top() - gap;
        }
        // A short name ("RPM") shows whole; a long one at least to a few characters.
        const double whole = m.TextWidth(name);
        const double len = std::min(whole, bottom - top);
        if (len > 0 && len >= std::min(whole, 3 * m.charWidth)) {
            const double a = (top + bottom - len) / 2;
            m_nameRects[i] = QRectF(textLeft, a, turnedHeight, len);
            // Numbers keep a wider berth from the name, so that neither reads as part of the
            // other.
            used.push_back({a - lh / 2, a + len + lh / 2});
        }
    }
    for (double v : m_ticks[i])
        if (std::abs(v - lo) > step * 1e-6 && std::abs(v - hi) > step * 1e-6)
            place(v, QString::fromStdString(CompactNumber(v, step)));
}

QRectF ChartLayout::TableCell(int row, int column) const {
    const double x0 = m_columnX[static_cast<size_t>(column)];
    const double x1 = m_columnX[static_cast<size_t>(column) + 1];
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
    for (int k = 0; k < ChartModel::kAxisCount; ++k)
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

#include "gui/chart/ChartZoomer.h"

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

PlotMapping TimeMapping(const QRectF& area, const TimeWindow& window) {
    PlotMapping map;
    map.left = area.left();
    map.width = std::max(1.0, area.width());
    map.window = window;
    return map;
}

}  // namespace

void ChartZoomer::Press(const QPointF& pos, const TimeWindow& window) {
    m_state = State::Press;
    m_press = pos;
    m_current = pos;
    m_window = window;
}

bool ChartZoomer::Move(const QPointF& pos) {
    if (m_state == State::Press && (pos - m_press).manhattanLength() > kDragDistance)
        m_state = State::Box;
    if (m_state != State::Box) return false;
    m_current = pos;
    return true;
}

ChartZoomer::Release ChartZoomer::Finish(const QPointF& pos, const QRectF& plotArea,
                                         TimeWindow& zoomed) {
    const State state = m_state;
    m_state = State::Idle;
    if (state == State::Press) return Release::Click;
    if (state != State::Box) return Release::None;
    const double x0 = std::clamp(m_press.x(), plotArea.left(), plotArea.right());
    const double x1 = std::clamp(pos.x(), plotArea.left(), plotArea.right());
    if (std::abs(x1 - x0) < kMinimumBand) return Release::None;
    // The band is read against the window of the press, which the drag never changes.
    const PlotMapping map = TimeMapping(plotArea, m_window);
    zoomed = {map.TimeAt(std::min(x0, x1)), map.TimeAt(std::max(x0, x1))};
    return Release::Zoom;
}

double ChartZoomer::WheelFactor(int angleDelta) {
    return std::pow(0.8, angleDelta / 120.0);
}

double ChartZoomer::WheelCentre(double x, const QRectF& plotArea, const TimeWindow& window) {
    if (x < plotArea.left() || x > plotArea.right()) return (window.minimum + window.maximum) / 2;
    return TimeMapping(plotArea, window).TimeAt(x);
}

}  // namespace quillon

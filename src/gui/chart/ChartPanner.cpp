#include "gui/chart/ChartPanner.h"

#include <algorithm>

namespace quillon {

void ChartPanner::Start(const QPointF& pos, const TimeWindow& window) {
    m_active = true;
    m_moved = false;
    m_start = pos;
    m_window = window;
}

bool ChartPanner::Move(const QPointF& pos, double plotWidth, TimeWindow& window) {
    const double dx = pos.x() - m_start.x();
    if (!m_active || (dx == 0 && !m_moved)) return false;
    m_moved = true;
    const double dt = -dx * m_window.Width() / std::max(1.0, plotWidth);
    window = {m_window.minimum + dt, m_window.maximum + dt};
    return true;
}

bool ChartPanner::Finish() {
    const bool moved = m_active && m_moved;
    m_active = false;
    m_moved = false;
    return moved;
}

}  // namespace quillon

#include "gui/chart/ChartZoom.h"

#include <algorithm>
#include <cmath>

namespace quillon {

void ChartZoom::SetFullWindow(const TimeWindow& full) {
    m_full = full;
    if (!(m_full.Width() > 0)) {
        const double c = std::isfinite(full.minimum) ? full.minimum : 0.0;
        m_full = {c - 0.5, c + 0.5};
    }
    m_zoomed = false;
}

double ChartZoom::Floor() const {
    return std::min(0.0, m_full.minimum);
}

TimeWindow ChartZoom::Sound(TimeWindow w) const {
    if (!std::isfinite(w.minimum) || !std::isfinite(w.maximum)) return Window();
    if (w.maximum < w.minimum) std::swap(w.minimum, w.maximum);
    if (w.Width() < kMinimumWidth) {
        const double c = (w.minimum + w.maximum) / 2;
        w = {c - kMinimumWidth / 2, c + kMinimumWidth / 2};
    }
    return w;
}

void ChartZoom::Show(const TimeWindow& w) {
    m_window = Sound(w);
    m_zoomed = true;
}

void ChartZoom::RememberCurrent() {
    m_previous = Window();
    m_hasPrevious = true;
}

void ChartZoom::ZoomTo(const TimeWindow& w) {
    RememberCurrent();
    Show(w);
}

void ChartZoom::ZoomIn(double c, double a, double b) {
    const double w = (b - a) / 10;
    RememberCurrent();
    Show({std::max(c - w, Floor()), c + w});
}

void ChartZoom::ZoomOut(double a, double b) {
    const double h = (b - a) / 2;
    RememberCurrent();
    Show({std::max(a - h, Floor()), b + h});
}

void ChartZoom::ZoomAll() {
    RememberCurrent();
    m_zoomed = false;
}

bool ChartZoom::ZoomLast() {
    if (!m_hasPrevious) return false;
    const TimeWindow current = Window();
    Show(m_previous);
    m_previous = current;
    return true;
}

void ChartZoom::ZoomAround(double t, double factor) {
    if (!(factor > 0) || !std::isfinite(t)) return;
    const TimeWindow w = Window();
    Show({t - (t - w.minimum) * factor, t + (w.maximum - t) * factor});
}

void ChartZoom::PanFrom(const TimeWindow& start, double dt) {
    if (!std::isfinite(dt)) return;
    Show({start.minimum + dt, start.maximum + dt});
}

void ChartZoom::EnsureVisible(double t) {
    const TimeWindow w = Window();
    if (t >= w.minimum && t <= w.maximum) return;
    const double shift = t < w.minimum ? t - w.minimum : t - w.maximum;
    Show({w.minimum + shift, w.maximum + shift});
}

}  // namespace quillon

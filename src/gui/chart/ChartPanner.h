#pragma once
/// Panning: a drag in the plot with the middle button (or Shift and the left one) moves the
/// visible window with the mouse, keeping its width.

#include <QPointF>

#include "gui/chart/ChartTypes.h"

namespace quillon {

class ChartPanner {
public:
    /// The drag starts at pos over the window then visible.
    void Start(const QPointF& pos, const TimeWindow& window);
    bool Active() const { return m_active; }
    /// The window for the mouse at pos across a plot plotWidth pixels wide: the start window
    /// shifted against the mouse. False while the mouse has not moved sideways.
    bool Move(const QPointF& pos, double plotWidth, TimeWindow& window);
    /// Ends the drag; true when it moved the window.
    bool Finish();

private:
    bool m_active = false;
    bool m_moved = false;
    QPointF m_start;
    TimeWindow m_window;
};

}  // namespace quillon

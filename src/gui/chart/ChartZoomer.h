#pragma once
/// Box zoom and wheel zoom on the plot. A press in a panel that moves a few pixels before its
/// release draws a band and zooms to the band's times; a press released in place is a click.

#include <QPointF>
#include <QRectF>

#include "gui/chart/ChartTypes.h"

namespace quillon {

class ChartZoomer {
public:
    /// How far (Manhattan pixels) a press moves before it becomes a box.
    static constexpr double kDragDistance = 4;
    /// Narrower bands are dropped: the user let go rather than chose a range.
    static constexpr double kMinimumBand = 3;

    enum class Release { None, Click, Zoom };

    /// A press in a panel, with the window visible at that moment.
    void Press(const QPointF& pos, const TimeWindow& window);
    /// Follows the mouse; true when the band needs a repaint.
    bool Move(const QPointF& pos);
    /// Ends the press: a click, a zoom (the band's times are put in `zoomed`) or nothing.
    Release Finish(const QPointF& pos, const QRectF& plotArea, TimeWindow& zoomed);

    bool Pressed() const { return m_state != State::Idle; }
    bool BandShown() const { return m_state == State::Box; }
    double BandX0() const { return m_press.x(); }
    double BandX1() const { return m_current.x(); }

    /// The window scale of a wheel turn: 0.8 per notch towards the user's zoom in.
    static double WheelFactor(int angleDelta);
    /// The time a wheel turn zooms around: the time under the mouse, or the window's middle when
    /// the mouse lies beside the plot.
    static double WheelCentre(double x, const QRectF& plotArea, const TimeWindow& window);

private:
    enum class State { Idle, Press, Box };
    State m_state = State::Idle;
    QPointF m_press;
    QPointF m_current;
    TimeWindow m_window;
};

}  // namespace quillon

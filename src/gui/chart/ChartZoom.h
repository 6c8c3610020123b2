#pragma once
/// The chart's visible time window with its one-step history, and the zoom commands as plain
/// arithmetic: Zoom In, Zoom Out, Zoom All, Zoom Last, box zoom, wheel zoom and panning. The
/// history holds the window before the last zoom command or box zoom; wheel steps and panning
/// adjust the window without touching it, so Zoom Last never undoes a single wheel notch.

#include "gui/chart/ChartTypes.h"

namespace quillon {

class ChartZoom {
public:
    /// The narrowest window any command produces, in seconds (a 1-frame zoom range would
    /// otherwise give a window of width 0).
    static constexpr double kMinimumWidth = 1e-3;

    /// Sets the whole time span of the data and leaves zoom mode; the history is kept.
    void SetFullWindow(const TimeWindow& full);
    const TimeWindow& FullWindow() const { return m_full; }
    /// The visible window: the zoomed one, or the whole span when not zoomed.
    const TimeWindow& Window() const { return m_zoomed ? m_window : m_full; }
    bool IsZoomed() const { return m_zoomed; }
    bool HasPrevious() const { return m_hasPrevious; }
    const TimeWindow& Previous() const { return m_previous; }
    /// Forgets the previous window (a window of another log means nothing for this one).
    void ClearHistory() { m_hasPrevious = false; }

    /// Remembers the visible window as the previous one and shows w (box zoom, axis dialog).
    void ZoomTo(const TimeWindow& w);
    /// One fifth of the zoom range's width, centred on the cursor time c: a and b are the times
    /// of the zoom range's first and last frame.
    void ZoomIn(double c, double a, double b);
    /// Twice the zoom range's width, around the same centre.
    void ZoomOut(double a, double b);
    /// Leaves zoom mode (the whole span shows); the window before becomes the previous one.
    void ZoomAll();
    /// Swaps the visible and the previous window; false (nothing changes) without a previous one.
    bool ZoomLast();
    /// Scales the visible window by factor around time t, which keeps its place on the screen
    /// (the history stays).
    void ZoomAround(double t, double factor);
    /// Shows start shifted by dt seconds (panning from the window shown when the drag began; the
    /// history stays).
    void PanFrom(const TimeWindow& start, double dt);
    /// Shifts the visible window, keeping its width, so that it contains time t.
    void EnsureVisible(double t);

private:
    /// Windows never start below 0, or below the first time of data that starts before 0.
    double Floor() const;
    TimeWindow Sound(TimeWindow w) const;
    void Show(const TimeWindow& w);
    void RememberCurrent();

    TimeWindow m_full;
    TimeWindow m_window;
    TimeWindow m_previous;
    bool m_zoomed = false;
    bool m_hasPrevious = false;
};

}  // namespace quillon

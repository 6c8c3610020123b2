#pragma once
/// Small value types shared by the chart's pieces: a visible time window and the mapping of one
/// y axis's values and the window's times to pixels.

namespace quillon {

/// A visible x range, in seconds from the zero time.
struct TimeWindow {
    double minimum = 0;
    double maximum = 1;
    double Width() const { return maximum - minimum; }
    bool operator==(const TimeWindow&) const = default;
};

/// Times and values to pixels for one plotting rectangle and one y axis.
struct PlotMapping {
    double left = 0;
    double top = 0;
    double width = 1;
    double height = 1;
    TimeWindow window;
    double valueMin = 0;
    double valueMax = 1;

    double X(double t) const { return left + (t - window.minimum) / window.Width() * width; }
    double Y(double v) const {
        return top + height - (v - valueMin) / (valueMax - valueMin) * height;
    }
    double TimeAt(double x) const { return window.minimum + (x - left) / width * window.Width(); }
    double ValueAt(double y) const {
        return valueMin + (top + height - y) / height * (valueMax - valueMin);
    }
};

}  // namespace quillon

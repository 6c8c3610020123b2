#pragma once
/// The second cursor (B) on the strip chart: a dashed line in its own colour at B's time, and a
/// readout at the top of the plotting area with the time from the cursor (A) to B.

#include <optional>

#include <QColor>
#include <QPainter>
#include <QString>

#include "gui/chart/ChartPaintParams.h"

namespace quillon {

class CursorBMarker {
public:
    static const QColor kColour;

    /// "B - A: 0.250 sec (4 Hz)": the time from A to B, with its inverse as a rate when the
    /// two cursors are apart; "B: 12.345 sec" without A.
    static QString Readout(std::optional<double> timeA, double timeB);
    /// Draws B and its readout when pp holds B (cursorBFrame >= 0); nothing otherwise.
    static void Paint(QPainter& p, const ChartPaintParams& pp);
};

}  // namespace quillon

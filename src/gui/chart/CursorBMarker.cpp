#include "gui/chart/CursorBMarker.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>

namespace quillon {

const QColor CursorBMarker::kColour(200, 30, 30);

QString CursorBMarker::Readout(std::optional<double> timeA, double timeB) {
    if (!timeA) return QStringLiteral("B: %1 sec").arg(timeB, 0, 'f', 3);
    const double dt = timeB - *timeA;
    QString text = QStringLiteral("B - A: %1 sec").arg(dt, 0, 'f', 3);
    // Below a microsecond the two cursors stand on one instant: no rate.
    if (std::fabs(dt) >= 1e-6)
        text += QStringLiteral(" (%1 Hz)").arg(1.0 / std::fabs(dt), 0, 'g', 4);
    return text;
}

void CursorBMarker::Paint(QPainter& p, const ChartPaintParams& pp) {
    if (pp.cursorBFrame < 0 || !pp.layout) return;
    const QRectF& area = pp.layout->PlotArea();
    const double span = pp.window.maximum - pp.window.minimum;
    if (!(span > 0)) return;
    const double x = area.left() + (pp.cursorBTime - pp.window.minimum) / span * area.width();
    p.save();
    if (x >= area.left() && x <= area.right()) {
        QPen pen(kColour, 1, Qt::DashLine);
        pen.setCosmetic(true);
        p.setPen(pen);
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    // The readout hangs from the top of the plotting area beside B's line, on the side with
    // more room, and stays inside the area when B is scrolled out of view.
    p.setFont(pp.font);
    const QFontMetricsF fm(pp.font);
    const QSizeF box(fm.horizontalAdvance(pp.cursorBReadout) + 8, fm.height() + 4);
    double left = x + 4 + box.width() <= area.right() ? x + 4 : x - 4 - box.width();
    left = std::clamp(left, area.left() + 1, std::max(area.left() + 1, area.right() - box.width()));
    const QRectF r(QPointF(left, area.top() + 2), box);
    p.setPen(QPen(kColour, 0));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(r);
    p.setPen(kColour);
    p.drawText(r, Qt::AlignCenter, pp.cursorBReadout);
    p.restore();
}

}  // namespace quillon

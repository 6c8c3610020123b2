#include "gui/common/CGDIPColorLegend.h"

#include <algorithm>

#include <QPainter>

namespace quillon {

CGDIPColorLegend::CGDIPColorLegend(QWidget* parent) : CGDIPBuffer(parent) {}

QColor CGDIPColorLegend::RampColor(int i) {
    i = std::clamp(i, 0, kRampSize - 1);
    const int run = std::min(i / 20, 4);
    const int k = i - 20 * run;
    const int up = (255 * k + 10) / 20;  // 255 k / 20, halves rounded up
    const int down = 255 - up;
    switch (run) {
        case 0:
            return QColor(255, up, 0);  // red to yellow
        case 1:
            return QColor(down, 255, 0);  // yellow to green
        case 2:
            return QColor(0, 255, up);  // green to cyan
        case 3:
            return QColor(0, down, 255);  // cyan to blue
        default:
            return QColor(up, 0, 255);  // blue to magenta (k = 20 at index 100)
    }
}

const std::array<QRgb, CGDIPColorLegend::kRampSize>& CGDIPColorLegend::Ramp() {
    static const std::array<QRgb, kRampSize> ramp = [] {
        std::array<QRgb, kRampSize> table{};
        for (int i = 0; i < kRampSize; ++i)
            table[size_t(i)] = RampColor(i).rgb();
        return table;
    }();
    return ramp;
}

void CGDIPColorLegend::Render(QPainter& painter, const QSize& size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    const double w = size.width();
    const double band = w / kRampSize;
    for (int i = 0; i < kRampSize; ++i)
        painter.fillRect(QRectF(i * w / kRampSize, 0, band, size.height()), RampColor(i));
}

}  // namespace quillon

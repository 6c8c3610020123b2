#pragma once
/// The colour legend of the scatter plot: 101 equal bands of the colour ramp on black.

#include <array>

#include <QColor>
#include <QRgb>

#include "gui/common/CGDIPBuffer.h"

namespace quillon {

class CGDIPColorLegend : public CGDIPBuffer {
    Q_OBJECT
public:
    static constexpr int kRampSize = 101;

    explicit CGDIPColorLegend(QWidget* parent = nullptr);

    /// Ramp colour i (0..100): red, yellow, green, cyan, blue, magenta in runs of 20 steps.
    static QColor RampColor(int i);
    /// The whole ramp as opaque pixels, index 0 first: the scatter plot colours its points with it.
    static const std::array<QRgb, kRampSize>& Ramp();

protected:
    void Render(QPainter& painter, const QSize& size) override;
};

}  // namespace quillon

#pragma once
/// The colour legend of the scatter plot: 101 equal bands of the colour ramp on black.

#include <QColor>

#include "controls/CGDIPBuffer.h"

namespace quillon {

class CGDIPColorLegend : public CGDIPBuffer {
    Q_OBJECT
public:
    static constexpr int kRampSize = 101;

    explicit CGDIPColorLegend(QWidget* parent = nullptr);

    /// Ramp colour i (0..100): red, yellow, green, cyan, blue, magenta in runs of 20 steps.
    static QColor RampColor(int i);

protected:
    void Render(QPainter& painter, const QSize& size) override;
};

}  // namespace quillon

#pragma once
/// The "<" and ">" view-step buttons: a left- or right-pointing scroll arrow in the normal, hot,
/// pressed and disabled looks of the current style.

#include "gui/common/CHoverButton.h"

namespace quillon {

class CButtonViewShift : public CHoverButton {
    Q_OBJECT
public:
    enum Direction { kLeft, kRight };
    explicit CButtonViewShift(Direction direction, QWidget* parent = nullptr);

    Direction GetDirection() const { return m_direction; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Direction m_direction;
};

}  // namespace quillon

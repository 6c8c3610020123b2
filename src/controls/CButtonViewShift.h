#pragma once
/// The "<" and ">" view-step buttons: a left- or right-pointing scroll arrow in the normal, hot,
/// pressed and disabled looks of the current style.

#include <QAbstractButton>

namespace quillon {

class CButtonViewShift : public QAbstractButton {
    Q_OBJECT
public:
    enum Direction { kLeft, kRight };
    explicit CButtonViewShift(Direction direction, QWidget* parent = nullptr);

    Direction GetDirection() const { return m_direction; }
    bool IsHover() const { return m_hover; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Direction m_direction;
    bool m_hover = false;
};

}  // namespace quillon

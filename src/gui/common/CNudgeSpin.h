#pragma once
/// The toolbar's small horizontal spin (command 32941): two arrow buttons that report one signed
/// step per click. The left arrow reports +1 and the right arrow -1, so that the frame's nudge by
/// the negated step moves the comparison curves in the arrow's direction.

#include <QWidget>

class QToolButton;

namespace quillon {

class CNudgeSpin : public QWidget {
    Q_OBJECT
public:
    explicit CNudgeSpin(QWidget* parent = nullptr);
    QToolButton* LeftButton() const { return m_left; }
    QToolButton* RightButton() const { return m_right; }

signals:
    /// A position change of `delta` steps (the platform's up-down notification).
    void deltaPos(int delta);

private:
    QToolButton* m_left;
    QToolButton* m_right;
};

}  // namespace quillon

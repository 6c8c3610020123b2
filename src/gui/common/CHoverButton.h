#pragma once
/// A self-drawn button that knows whether the mouse is over it and repaints when that changes.

#include <QAbstractButton>

namespace quillon {

class CHoverButton : public QAbstractButton {
public:
    explicit CHoverButton(QWidget* parent = nullptr) : QAbstractButton(parent) {}
    bool IsHover() const { return m_hover; }

protected:
    void enterEvent(QEnterEvent*) override { SetHover(true); }
    void leaveEvent(QEvent*) override { SetHover(false); }

private:
    void SetHover(bool hover) {
        m_hover = hover;
        update();
    }

    bool m_hover = false;
};

}  // namespace quillon

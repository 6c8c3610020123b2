#include "gui/common/CMyButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace quillon {

CMyButton::CMyButton(QWidget* parent) : CHoverButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void CMyButton::SetPressed(bool pressed) {
    m_shownPressed = pressed;
    update();
}

void CMyButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton b;
    b.initFrom(this);
    if (m_shownPressed || isDown())
        b.state |= QStyle::State_Sunken;
    else
        b.state |= QStyle::State_Raised;
    if (IsHover()) b.state |= QStyle::State_MouseOver;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &b, &p, this);
    QStyleOption a;
    a.initFrom(this);
    a.rect = rect().adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &a, &p, this);
}

}  // namespace quillon

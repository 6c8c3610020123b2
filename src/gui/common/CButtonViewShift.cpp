#include "gui/common/CButtonViewShift.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace quillon {

CButtonViewShift::CButtonViewShift(Direction direction, QWidget* parent)
    : CHoverButton(parent), m_direction(direction) {
    setText(direction == kLeft ? QStringLiteral("<") : QStringLiteral(">"));
    setFocusPolicy(Qt::NoFocus);
}

QSize CButtonViewShift::sizeHint() const {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return {w + 4, w + 4};
}

void CButtonViewShift::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton b;
    b.initFrom(this);
    if (isDown())
        b.state |= QStyle::State_Sunken;
    else
        b.state |= QStyle::State_Raised;
    if (IsHover() && isEnabled()) b.state |= QStyle::State_MouseOver;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &b, &p, this);
    QStyleOption a;
    a.initFrom(this);
    a.rect = rect().adjusted(3, 3, -3, -3);
    if (isDown()) a.rect.translate(1, 1);
    style()->drawPrimitive(
        m_direction == kLeft ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight, &a,
        &p, this);
}

}  // namespace quillon

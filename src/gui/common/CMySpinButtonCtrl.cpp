#include "gui/common/CMySpinButtonCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "gui/common/CNumericEdit.h"

namespace quillon {

CMySpinButtonCtrl::CMySpinButtonCtrl(CNumericEdit* owner) : QWidget(owner), m_owner(owner) {
    setFocusPolicy(Qt::NoFocus);
    // Holding an arrow repeats its click, first after 400 ms, then every 80 ms.
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(80);
        if (m_pressed) Click(m_pressed);
    });
}

void CMySpinButtonCtrl::SetRange(double minimum, double maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = std::clamp(m_value, std::min(minimum, maximum), std::max(minimum, maximum));
}

void CMySpinButtonCtrl::Click(int delta) {
    m_owner->SpinClicked(delta);
}

void CMySpinButtonCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int k = 0; k < 2; ++k) {
        QStyleOptionButton b;
        b.initFrom(this);
        b.rect = halves[k];
        if (m_pressed == (k == 0 ? -1 : 1))
            b.state |= QStyle::State_Sunken;
        else
            b.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &b, &p, this);
        QStyleOption a;
        a.initFrom(this);
        a.rect = halves[k].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(k == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &a, &p, this);
    }
}

void CMySpinButtonCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_pressed = event->position().y() < height() / 2.0 ? -1 : 1;
    Click(m_pressed);
    m_repeat.start(400);
    update();
}

void CMySpinButtonCtrl::mouseReleaseEvent(QMouseEvent*) {
    m_pressed = 0;
    m_repeat.stop();
    update();
}

}  // namespace quillon
